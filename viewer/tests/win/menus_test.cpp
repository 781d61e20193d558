// The menus of a real window, read back: labels with their key texts in both
// languages, the state captions, the information item and its removal.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

namespace {

std::wstring Text(HMENU menu, UINT item, UINT by) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, item, text, 256, by);
    return text;
}

class Menus : public ViewerWindowTest {
protected:
    std::wstring Bar(UINT command) { return Text(state_->menuBar, command, MF_BYCOMMAND); }
    std::wstring Context(UINT command) { return Text(state_->contextMenu, command, MF_BYCOMMAND); }
    std::wstring BarAt(UINT position) { return Text(state_->menuBar, position, MF_BYPOSITION); }
};

TEST_F(Menus, EnglishLabelsCarryTheFirstKeyCombination) {
    Create("[SystemSetting]\r\nEnglish=ON\r\nZoomStep=25\r\n"
           "[KeySetting]\r\nNext=RIGHT,SPACE\r\nPrev=ctrl+LEFT\r\nZoomIn=ADD\r\n",
           L"");
    EXPECT_EQ(Bar(IDM_NEXT), L"Next(&G)\tRIGHT");
    EXPECT_EQ(Context(IDM_NEXT), L"");  // the context menu has no NEXT
    EXPECT_EQ(Bar(IDM_PREV), L"Prev(&B)\tctrl+LEFT");
    EXPECT_EQ(Context(IDM_PREV), L"Prev(&B)\tctrl+LEFT");
    EXPECT_EQ(Bar(IDM_OPEN), L"Open(&O)...\t");
    EXPECT_EQ(Bar(IDM_FIT_WIDTH), L"Adjust Width(&W)\tSLASH");  // the accelerator's default
    EXPECT_EQ(Bar(IDM_ZOOM_UP), L"+25%(&Z)\tADD");
    EXPECT_EQ(Bar(IDM_SORT_SIZE), L"File Size(&4)");
    EXPECT_EQ(BarAt(0), L"&File");
    EXPECT_EQ(Text(GetSubMenu(state_->menuBar, 0), 11, MF_BYPOSITION), L"Sort(&S)");
    EXPECT_EQ(Text(state_->contextMenu, 14, MF_BYPOSITION), L"View State(&W)");
}

TEST_F(Menus, JapaneseLabelsAndStateCaptions) {
    Create("[ViewSetting]\r\nFitOut=ON\r\nFitIn=ON\r\nFitWidth=OFF\r\n[KeySetting]\r\nNext=RIGHT\r\n", L"");
    EXPECT_EQ(Bar(IDM_NEXT), L"次へ(&G)\tRIGHT");
    EXPECT_EQ(Bar(IDM_SORT_REV), L"逆順(&D)");
    EXPECT_EQ(BarAt(0), L"ファイル(&F)");
    EXPECT_EQ(BarAt(1), L"縮小拡大(&A)");
    EXPECT_EQ(BarAt(2), L"100%(&W)");
    EXPECT_EQ(BarAt(3), L"無回転(&R)");
    for (int i = 0; i < 3; ++i) Send(WM_COMMAND, IDM_ROTATE_R);
    EXPECT_EQ(BarAt(3), L"左90°(&R)");
    Send(WM_COMMAND, IDM_FIT_WIDTH);
    EXPECT_EQ(BarAt(1), L"横幅(&A)");
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoW(state_->menuBar, IDM_FIT_WIDTH, FALSE, &info));
    EXPECT_TRUE(info.fState & MFS_CHECKED);
    // No picture: the information item is empty and greyed.
    EXPECT_EQ(Bar(IDM_INFO), L"");
    ASSERT_TRUE(GetMenuItemInfoW(state_->menuBar, IDM_INFO, FALSE, &info));
    EXPECT_TRUE(info.fState & MFS_GRAYED);
}

TEST_F(Menus, InformationItemGoesWhenBothOfItsPartsAreOff) {
    Create("[SystemSetting]\r\nShowCGSizeInMenuBar=OFF\r\nShowCGColorInMenuBar=off\r\n", L"");
    EXPECT_EQ(GetMenuItemCount(state_->menuBar), 4);
    Create("[SystemSetting]\r\nShowCGSizeInMenuBar=OFF\r\n", L"");
    EXPECT_EQ(GetMenuItemCount(state_->menuBar), 5);
}

// The screen while a menu is open, saved as a 24-bit bitmap file for a person
// to look at; then the menu is closed.
std::wstring g_shotPath;
bool g_shotSaved = false;

void CALLBACK SaveScreenAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const int width = 640, height = 400;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a bitmap file holds it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD pixelBytes = static_cast<DWORD>(width * 3 * height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + pixelBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
    bytes.append(static_cast<const char*>(bits), pixelBytes);
    g_shotSaved = WriteWholeFile(g_shotPath, bytes);
    SelectObject(memory, old);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EndMenu();
}

TEST_F(Menus, OpenMenusOfBothLanguagesAreSavedForReview) {
    const std::wstring folder = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (bool english : {true, false}) {
        Create(std::string("[SystemSetting]\r\nEnglish=") + (english ? "ON" : "OFF") +
                   "\r\n[ViewSetting]\r\nWindowLeft=0\r\nWindowTop=0\r\nWindowWidth=600\r\nWindowHeight=380\r\n"
                   "[KeySetting]\r\nOpen=CTRL+O\r\nNext=RIGHT,SPACE\r\nPrev=LEFT\r\nExit=ESC\r\n",
               L"");
        g_shotPath = folder + (english ? L"\\menu-english.bmp" : L"\\menu-japanese.bmp");
        g_shotSaved = false;
        UINT_PTR timer = SetTimer(nullptr, 0, 400, SaveScreenAndCloseMenu);
        RECT r;
        GetWindowRect(window_, &r);
        TrackPopupMenu(GetSubMenu(state_->menuBar, 0), TPM_LEFTALIGN | TPM_TOPALIGN, r.left + 10, r.top + 50, 0,
                       window_, nullptr);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_shotSaved) << (english ? "English" : "Japanese");
    }
}

}  // namespace
