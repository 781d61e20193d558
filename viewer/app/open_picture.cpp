// The open flow; see open_picture.h. The steps run in one fixed order for all
// four triggers, some of them only for one trigger, so that every open leaves
// the same state behind whatever brought the file.
#include "viewer/app/open_picture.h"

#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

#include "viewer/app/busy_scope.h"
#include "viewer/app/command_line.h"
#include "viewer/app/navigation.h"
#include "viewer/app/read_ahead.h"
#include "viewer/app/instance.h"
#include "viewer/app/window_icons.h"
#include "viewer/app/window_mode.h"
#include "viewer/archive/archive_access.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/message_box.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/display/animation.h"
#include "viewer/display/geometry.h"
#include "viewer/display/japanese_font.h"
#include "viewer/filelist/file_list.h"
#include "viewer/fileops/information.h"
#include "viewer/input/menus.h"

namespace {

// The mouse and view flags every open starts from.
void ResetForOpen(ViewerState& state) {
    state.clickArmed = 1;
    state.viewResetPending = 1;
    state.decodeState.subIndex = 0;
    state.loopsDone = 0;
    state.dragging = 0;
    state.rightUpArmed = 1;
    state.wheelZoomed = 0;
    state.leftUpArmed = 1;
}

bool ChooseWithDialog(HWND owner, std::wstring& path) {
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    // A name too long for the buffer fails like a cancel.
    if (!GetOpenFileNameW(&dialog)) return false;
    path = file;
    return true;
}

std::wstring HandedOverPath(const char* text) {
    if (!text[0]) return std::wstring();
    int length = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return HandoverPath(wide);
}

void LoadMenus(ViewerState& state) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(state.window, GWLP_HINSTANCE));
    state.menuBar = LoadMenuW(instance, L"Oxel_MENU");
    state.popupMenu = LoadMenuW(instance, L"Oxel_POPUP");
    state.contextMenu = state.popupMenu ? GetSubMenu(state.popupMenu, 0) : nullptr;
    BuildMenuLabels(state.iniPath, state.menuBar, state.contextMenu, state.settings);
}

void InitScrollRecord(SCROLLINFO& record) {
    record = SCROLLINFO{};
    record.cbSize = sizeof record;
    record.fMask = SIF_ALL;
    record.nMin = 0;
}

void FinishCreation(ViewerState& state) {
    PrepareTemporaryFolder();

    if (state.menuBar) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STATE;
        item.fState = MFS_DISABLED | MFS_GRAYED;
        SetMenuItemInfoW(state.menuBar, IDM_INFO, FALSE, &item);
    }
    DrawMenuBar(state.window);
    // The menu that the window was created with gives way to `menuBar`.
    HMENU createdWith = GetMenu(state.window);
    ApplyWindowMode(state.window, state.menuBar, state.settings);
    if (createdWith && createdWith != state.menuBar && createdWith != GetMenu(state.window)) DestroyMenu(createdWith);
    InitScrollRecord(state.vScroll);
    InitScrollRecord(state.hScroll);
}

void CreateTooltip(ViewerState& state) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(state.window, GWLP_HINSTANCE));
    state.tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, state.window, nullptr, instance, nullptr);
    state.toolInfo = TOOLINFOW{};
    state.toolInfo.cbSize = sizeof state.toolInfo;
    state.toolInfo.uFlags = TTF_SUBCLASS;
    state.toolInfo.hwnd = state.window;
    state.toolInfo.uId = 1;
}

void SetUpTooltip(ViewerState& state, bool pathExists) {
    if (!state.tooltip) return;
    GetClientRect(state.window, &state.toolInfo.rect);
    if (pathExists && state.lastListIndex >= 0) {
        wchar_t text[kInformationChars];
        PictureInformation(state.settings, state.picture.bitmap ? &state.picture : nullptr,
                           state.fileList.paths[state.currentIndex].c_str(), text);
        SetTooltipText(state, text);
    }
    SendMessageW(state.tooltip, TTM_SETMAXTIPWIDTH, 0, 520);
    SendMessageW(state.tooltip, TTM_SETDELAYTIME, TTDT_INITIAL,
                 MAKELPARAM(static_cast<int>(state.settings.ShowToolTip * 1000), 0));
    if (state.settings.HideToolTip != 0) {
        SendMessageW(state.tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP,
                     MAKELPARAM(static_cast<WORD>(static_cast<int>(state.settings.HideToolTip * 1000)), 0));
    }
}

// The tooltip draws in the system's status font, which on a Windows without
// the Japanese fonts has no kanji: it is given a Japanese face then.
void FitTooltipFont(ViewerState& state, const wchar_t* text) {
    if (state.settings.English) return;
    HDC dc = GetDC(state.tooltip);
    if (!dc) return;
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(state.tooltip, WM_GETFONT, 0, 0));
    if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!FontHoldsText(dc, current, text)) {
        LOGFONTW shape = {};
        GetObjectW(current, sizeof shape, &shape);
        if (HFONT japanese = CreateJapaneseFont(dc, shape.lfHeight, text)) {
            SendMessageW(state.tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(japanese), FALSE);
            if (state.tooltipFont) DeleteObject(state.tooltipFont);
            state.tooltipFont = japanese;
        }
    }
    ReleaseDC(state.tooltip, dc);
}

}  // namespace

void SetTooltipText(ViewerState& state, wchar_t* text) {
    FitTooltipFont(state, text);
    state.toolInfo.lpszText = text;
    SendMessageW(state.tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&state.toolInfo));
    SendMessageW(state.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&state.toolInfo));
    state.toolInfo.lpszText = nullptr;
}

std::wstring TakeDroppedPath(HDROP drop) {
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, 0, &path[0], length + 1);
    path.resize(length);
    DragFinish(drop);
    return path;
}

void DecodeCurrentEntry(ViewerState& state) {
    FreePictureBitmaps(state.picture.bitmap, state.displayBitmap);
    DecodePicture(state.fileList.paths[state.currentIndex].c_str(), state.decodeState, state.settings,
                  state.plugins, state.window, 1, state.picture);
    RebuildDisplayBitmap(state);
}

void RebuildDisplayBitmap(ViewerState& state) {
    FreeDisplayBitmap(state.displayBitmap, state.picture.bitmap);
    state.displayBitmap = MakeRotatedBitmap(state.window, state.picture.bitmap, state.picture.width,
                                            state.picture.height, state.settings);
}

void OpenPicture(ViewerState& state, OpenTrigger trigger, const wchar_t* droppedPath) {
    const bool creation = trigger == OpenTrigger::Creation;
    std::wstring path;
    BusyScope busy(state);
    CancelPendingReadAhead(state);

    if (creation) {
        DragAcceptFiles(state.window, TRUE);
        state.animationRunning = 0;
        ResetForOpen(state);
        state.keySendingOn = 1;
    }
    // The dialog and the not-found box run message loops of their own, in
    // which the window may be closed: the open ends there.
    if (trigger == OpenTrigger::Dialog && (!ChooseWithDialog(state.window, path) || state.closing)) return;
    if (trigger == OpenTrigger::Handover) {
        // A text that did not fit was refused: the window stays as it is.
        if (state.handoverRefused) return;
        path = HandedOverPath(state.handoverText);
    }
    if (!creation) {
        ResetForOpen(state);
        state.keySendingOn = trigger == OpenTrigger::Drop ? 1 : 0;
        state.destinationFolder[0] = L'\0';
    }
    CaptureFileManager(state, trigger);
    StopAnimation(state);

    if (!MakeSettingsPath(state.iniPath, false)) state.iniPath[0] = L'\0';
    wchar_t programFolder[MAX_PATH] = L"";
    if (GetModuleFileNameW(nullptr, programFolder, MAX_PATH) < MAX_PATH) PathRemoveFileSpecW(programFolder);

    if (creation) {
        path = CommandLinePath(CreationCommandLine());
        LoadPlugins(programFolder, state.iniPath, state.plugins);
        state.settings = LoadSettings(state.iniPath);
        StartReadAhead(state);
        LoadMenus(state);
    }
    if (trigger == OpenTrigger::Drop && droppedPath) path = droppedPath;

    const bool exists = OpenPath(state, path.c_str());
    if (!exists && !path.empty()) {
        std::wstring text =
            std::wstring(state.settings.English ? L"FILE NOT FOUND" : L"ファイルが見つかりません。") + L"\n" + path;
        ShowMessageBox(state.window, text.c_str(), L"Oxel", MB_OK);
    }
    if (state.closing) return;

    if (creation) FinishCreation(state);
    if (exists) {
        LoadEntry(state, state.currentIndex);
        RebuildDisplayBitmap(state);
    }

    UpdateMenus(state);

    if (state.settings.AssociatedIcon && exists) {
        SetFileIcon(state, path.c_str());
    } else {
        if (creation) {
            const KeyPair& next = state.settings.FilerNext;
            const KeyPair& prev = state.settings.FilerPrev;
            state.keySendingOn = exists && (next.modifier || next.key || prev.modifier || prev.key) ? 1 : 0;
        } else if (trigger == OpenTrigger::Dialog) {
            state.keySendingOn = 0;
        } else {
            state.keySendingOn = state.filerFocus ? 1 : 0;
        }
        SetStateIcons(state.window, state.keySendingOn);
    }

    if (creation && state.settings.ShowToolTip != 0) CreateTooltip(state);
    if (state.settings.ShowToolTip != 0) SetUpTooltip(state, exists);

    SetCursor(LoadCursorW(nullptr, IDC_ARROW));

    if (creation) {
        TIMECAPS caps = {};
        if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
            state.timerPeriod = caps.wPeriodMin;
            state.timerPeriodBegun = timeBeginPeriod(state.timerPeriod) == TIMERR_NOERROR;
        }
    }

    state.lastStepTick = FrameClock();
    InvalidateRect(state.window, nullptr, FALSE);
    UpdateWindow(state.window);

    if (state.animated && state.settings.AutoAnime) {
        SendMessageW(state.window, WM_COMMAND, IDM_GIF_ANIME, 0);
        UpdateMenus(state);
    }
    if (exists && !state.closing) ScheduleReadAhead(state, 1);
}
