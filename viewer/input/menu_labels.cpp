// Menu texts; see menu_labels.h.
#include "viewer/input/menu_labels.h"

#include "viewer/core/command_ids.h"

const std::vector<MenuLabelRow>& MenuLabelTable() {
    static const std::vector<MenuLabelRow> rows = {
        {IDM_OPEN, L"Open", L"Open(&O)...\t", L"開く(&O)...\t", LabelMenus::kBoth},
        {IDM_NEXT, L"Next", L"Next(&G)\t", L"次へ(&G)\t", LabelMenus::kMenuBar},
        {IDM_PREV, L"Prev", L"Prev(&B)\t", L"前へ(&B)\t", LabelMenus::kBoth},
        {IDM_ARC_NEXT, L"NextInArchive", L"Next in Arc(&V)\t", L"書庫内次へ(&V)\t", LabelMenus::kBoth},
        {IDM_ARC_PREV, L"PrevInArchive", L"Prev in Arc(&N)\t", L"書庫内前へ(&N)\t", LabelMenus::kBoth},
        {IDM_GIF_ANIME, L"SwitchAnime", L"Animation(&Q)\t", L"アニメーション(&Q)\t", LabelMenus::kBoth},
        {IDM_SLIDE_SHOW, L"SlideShow", L"SlideShow(&T)\t", L"スライドショー(&T)\t", LabelMenus::kBoth},
        {IDM_EXIT, L"Exit", L"Quit(&X)\t", L"終了(&X)\t", LabelMenus::kBoth},
        {IDM_DELETE, L"DeleteFile", L"Delete(&D)\t", L"削除(&D)\t", LabelMenus::kBoth},
        {IDM_MOVE, L"MoveFile", L"Move(&E)...\t", L"移動(&E)...\t", LabelMenus::kBoth},
        {IDM_COPY, L"CopyFile", L"Copy(&W)...\t", L"コピー(&W)...\t", LabelMenus::kBoth},
        {IDM_WINDOW, L"SwitchWindowMode", L"Full Screen(&A)\t", L"全画面(&A)\t", LabelMenus::kBoth},
        {IDM_TOP_MOST, L"SwitchOnTop", L"Top Most(&T)\t", L"最前面(&T)\t", LabelMenus::kBoth},
        {IDM_FIT_OUT, L"SwitchFitOut", L"Fit Out(&Q)\t", L"縮小(&Q)\t", LabelMenus::kBoth},
        {IDM_FIT_IN, L"SwitchFitIn", L"Fit In(&Z)\t", L"拡大(&Z)\t", LabelMenus::kBoth},
        {IDM_FIT_WIDTH, L"SwitchFitWidth", L"Adjust Width(&W)\t", L"横幅を合わせる(&W)\t", LabelMenus::kBoth},
        {IDM_LINER, L"Liner", L"Linear Interpolation (&S)\t", L"線形補間(&S)\t", LabelMenus::kBoth},
        {IDM_ZOOM_UP, L"ZoomIn", nullptr, nullptr, LabelMenus::kBoth},
        {IDM_ZOOM_DOWN, L"ZoomOut", nullptr, nullptr, LabelMenus::kBoth},
        {IDM_ZOOM_RESET, L"ZoomReset", L"100%(&A)\t", L"100%(&A)\t", LabelMenus::kBoth},
        {IDM_ROTATE_L, L"RotateLeft", L"Rotate Left(&E)\t", L"左回転(&E)\t", LabelMenus::kBoth},
        {IDM_ROTATE_R, L"RotateRight", L"Rotate Right(&T)\t", L"右回転(&T)\t", LabelMenus::kBoth},
        {IDM_COPY_IMAGE, L"CopyImage", L"Copy Image(&C)\t", L"画像コピー(&C)\t", LabelMenus::kBoth},
        {IDM_SAVE_IMAGE, L"SaveImage", L"Save Image(&R)...\t", L"画像保存(&R)...\t", LabelMenus::kBoth},
        {IDM_PRINT, L"Print", L"Print(&P)...\t", L"印刷(&P)...\t", LabelMenus::kBoth},
        {IDM_SORT_NAME, nullptr, L"Filename(&1)", L"ファイル名(&1)", LabelMenus::kBoth},
        {IDM_SORT_EXT, nullptr, L"Extension(&2)", L"拡張子(&2)", LabelMenus::kBoth},
        {IDM_SORT_TYPE, nullptr, L"File Type(&3)", L"ファイルの種類(&3)", LabelMenus::kBoth},
        {IDM_SORT_SIZE, nullptr, L"File Size(&4)", L"サイズ(&4)", LabelMenus::kBoth},
        {IDM_SORT_CREATE, nullptr, L"Created(&5)", L"作成日時(&5)", LabelMenus::kBoth},
        {IDM_SORT_WRITE, nullptr, L"Modified(&6)", L"更新日時(&6)", LabelMenus::kBoth},
        {IDM_SORT_REV, nullptr, L"Descending(&D)", L"逆順(&D)", LabelMenus::kBoth},
    };
    return rows;
}

std::wstring KeyTextOf(const std::wstring& value) { return value.substr(0, value.find(L',')); }

std::wstring CommandLabel(const MenuLabelRow& row, bool english, int32_t zoomStep, const std::wstring& keyText) {
    if (row.command == IDM_ZOOM_UP || row.command == IDM_ZOOM_DOWN) {
        const bool up = row.command == IDM_ZOOM_UP;
        return std::wstring(up ? L"+" : L"-") + std::to_wstring(zoomStep) + L"%" + (up ? L"(&Z)\t" : L"(&Q)\t") +
               keyText;
    }
    return std::wstring(english ? row.english : row.japanese) + keyText;
}

const wchar_t* FileCaption(bool english) { return english ? L"&File" : L"ファイル(&F)"; }
const wchar_t* ViewStateCaption(bool english) { return english ? L"View State(&W)" : L"表示状態(&W)"; }
const wchar_t* SortCaption(bool english) { return english ? L"Sort(&S)" : L"ソート(&S)"; }

std::wstring FitCaption(bool fitWidth, bool fitIn, bool fitOut, bool english) {
    const wchar_t* word;
    if (fitWidth) {
        word = english ? L"FitWidth" : L"横幅";
    } else if (fitIn && fitOut) {
        word = english ? L"FitInOut" : L"縮小拡大";
    } else if (fitIn) {
        word = english ? L"FitIn" : L"拡大";
    } else if (fitOut) {
        word = english ? L"FitOut" : L"縮小";
    } else {
        word = english ? L"NoFit" : L"そのまま";
    }
    return std::wstring(word) + L"(&A)";
}

std::wstring ZoomCaption(int32_t zoomPercent) { return std::to_wstring(zoomPercent) + L"%(&W)"; }

std::wstring RotationCaption(int32_t rotation, bool english) {
    const wchar_t* word;
    switch (rotation) {
    case 90: word = english ? L"R90" : L"右90°"; break;
    case 180: word = english ? L"180" : L"180°"; break;
    case 270: word = english ? L"L90" : L"左90°"; break;
    default: word = english ? L"NoRot" : L"無回転"; break;
    }
    return std::wstring(word) + L"(&R)";
}
