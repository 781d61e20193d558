// Closing the main window: the view keys written unless Alt and F4 are held,
// the window-mode rectangle across a full-screen period, when maximised and
// when minimised, nothing decoded while closing, and the temporary folder:
// stale folders of gone viewers swept at start, nothing of ours left at close.
#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"
#include "viewer/app/open_picture.h"
#include "viewer/archive/archive_access.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

namespace {

const char kWindowAt[] =
    "[ViewSetting]\r\nWindowLeft=10\r\nWindowTop=20\r\nWindowWidth=400\r\nWindowHeight=300\r\n";

class Close : public ViewerWindowTest {
protected:
    void TearDown() override {
        BYTE keys[256] = {};
        SetKeyboardState(keys);
        ViewerWindowTest::TearDown();
    }
    std::string Closed() {
        Send(WM_CLOSE);
        EXPECT_FALSE(IsWindow(window_));
        return ReadWholeFile(TestSettingsPath());
    }
};

TEST_F(Close, WritesTheTwelveViewKeys) {
    Create(kWindowAt, L"");
    std::string text = Closed();
    for (const char* key : {"WindowMode", "FitOut", "FitIn", "FitWidth", "Liner", "AlwaysOnTop", "SortMethod",
                            "SortDescending", "WindowLeft", "WindowTop", "WindowWidth", "WindowHeight"}) {
        EXPECT_NE(text.find(std::string("\n") + key + "="), std::string::npos) << key;
    }
    EXPECT_TRUE(HasProfileEntry(text, "WindowLeft", "10")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowHeight", "300")) << text;
}

TEST_F(Close, AltF4WritesNothing) {
    Create(kWindowAt, L"");
    std::string before = ReadWholeFile(TestSettingsPath());
    state_->settings.FitIn = 1;
    BYTE keys[256] = {};
    keys[VK_MENU] = 0x80;
    keys[VK_F4] = 0x80;
    SetKeyboardState(keys);
    EXPECT_EQ(Closed(), before);
}

TEST_F(Close, AltAloneStillWrites) {
    Create(kWindowAt, L"");
    BYTE keys[256] = {};
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    state_->settings.FitIn = 1;
    EXPECT_TRUE(HasProfileEntry(Closed(), "FitIn", "ON"));
}

TEST_F(Close, FullScreenPeriodKeepsTheWindowRectangle) {
    Create(kWindowAt, L"");
    SetWindowPos(window_, nullptr, 30, 40, 500, 350, SWP_NOZORDER | SWP_NOACTIVATE);
    Send(WM_COMMAND, IDM_WINDOW);
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(state_->settings.WindowMode, 0);
    Send(WM_COMMAND, IDM_WINDOW);
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(GetMenu(window_), state_->menuBar);
    std::string text = Closed();
    EXPECT_TRUE(HasProfileEntry(text, "WindowLeft", "30")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowTop", "40")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowWidth", "500")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowHeight", "350")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowMode", "ON")) << text;
}

TEST_F(Close, ClosingInFullScreenKeepsTheLastWindowRectangle) {
    Create(kWindowAt, L"");
    Send(WM_COMMAND, IDM_WINDOW);
    std::string text = Closed();
    EXPECT_TRUE(HasProfileEntry(text, "WindowMode", "OFF")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowLeft", "10")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowWidth", "400")) << text;
}

TEST_F(Close, MaximisedCloseRecordsTheScreen) {
    Create(kWindowAt, L"");
    ShowWindow(window_, SW_MAXIMIZE);
    Settle();
    ASSERT_TRUE(IsZoomed(window_));
    std::string text = Closed();
    EXPECT_TRUE(HasProfileEntry(text, "WindowLeft", "0")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowTop", "0")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowWidth", std::to_string(GetSystemMetrics(SM_CXSCREEN)))) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowHeight", std::to_string(GetSystemMetrics(SM_CYSCREEN)))) << text;
}

TEST_F(Close, MinimisedCloseRecordsTheRestoredPlaceAndTheNextStartIsOnScreen) {
    Create(kWindowAt, L"");
    SetWindowPos(window_, nullptr, 30, 40, 500, 350, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, SW_SHOWMINNOACTIVE);
    Settle();
    ASSERT_TRUE(IsIconic(window_));
    // The move handling's WM_SIZE while minimised is no resize.
    EXPECT_GT(state_->clientWidth, 0);
    EXPECT_GT(state_->clientHeight, 0);
    std::string text = Closed();
    EXPECT_TRUE(HasProfileEntry(text, "WindowLeft", "30")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowTop", "40")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowWidth", "500")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowHeight", "350")) << text;

    Create(text, L"");
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
}

// The window's resources at the moment it is destroyed, seen before the
// window procedure frees the record.
HBITMAP g_bitmapAtDestroy = nullptr;
WNDPROC g_innerProc = nullptr;
LRESULT CALLBACK WatchDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ViewerState* state = GetViewerState(window);
        g_bitmapAtDestroy = state->picture.bitmap ? state->picture.bitmap : state->displayBitmap;
    }
    return CallWindowProcW(g_innerProc, window, message, wParam, lParam);
}

TEST_F(Close, ClosingWithReloadByResizeDecodesNothing) {
    const std::wstring sample = PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg";
    Create("[SystemSetting]\r\nReloadByResize=ON\r\nShowMenuBar=ON\r\n", L"\"" + sample + L"\"");
    ASSERT_NE(state_->picture.bitmap, nullptr);
    ASSERT_NE(GetMenu(window_), nullptr);
    g_bitmapAtDestroy = nullptr;
    g_innerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDestroy)));
    // Taking the menu bar off at close resizes the client area.
    Closed();
    EXPECT_EQ(g_bitmapAtDestroy, nullptr);
}

TEST_F(Close, TopMostFollowsTheSettingInWindowModeOnly) {
    // Under Wine an owned tooltip keeps its owner from turning top-most later;
    // this checks the switch itself, without the tooltip.
    Create("[ViewSetting]\r\nAlwaysOnTop=OFF\r\n[SystemSetting]\r\nShowToolTip=0\r\n", L"");
    EXPECT_FALSE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Send(WM_COMMAND, IDM_TOP_MOST);
    EXPECT_EQ(state_->settings.AlwaysOnTop, 1);
    EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(HasProfileEntry(Closed(), "AlwaysOnTop", "ON"));
}

TEST_F(Close, TemporaryFolderIsSweptAtStartEmptiedAtCloseAndKeptForOthers) {
    wchar_t temp[MAX_PATH];
    TemporaryFolder(temp);
    CreateDirectoryW(temp, nullptr);
    // This process id with another start time: a viewer that is gone.
    const std::wstring stale = std::wstring(temp) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-0000000000000001";
    CreateDirectoryW(stale.c_str(), nullptr);
    WriteWholeFile(stale + L"\\left.png", "x");
    Create("", L"");
    EXPECT_NE(GetFileAttributesW(temp), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(stale.c_str()), INVALID_FILE_ATTRIBUTES);
    wchar_t own[MAX_PATH];
    ASSERT_TRUE(MakeProcessFolder(own));
    WriteWholeFile(std::wstring(own) + L"\\left.png", "x");
    Closed();
    EXPECT_EQ(GetFileAttributesW(temp), INVALID_FILE_ATTRIBUTES);

    Create("", L"");
    std::wstring member = std::wstring(temp) + L"\\member.png";
    WriteWholeFile(member, "x");
    Closed();
    EXPECT_NE(GetFileAttributesW(temp), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(member.c_str());
    RemoveDirectoryW(temp);
}

}  // namespace
