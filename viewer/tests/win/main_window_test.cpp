// The main window created in the test process: its state record, the bounded
// hand-over text, and the settings written at close.
#include "viewer/app/instance.h"
#include "viewer/app/main_window.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "viewer/app/startup.h"

namespace {

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterMainWindowClass(GetModuleHandleW(nullptr));
        // The test program's own arguments are no picture path.
        SetCreationCommandLine(L"\"viewer_app_test.exe\" ");
    }
    static void TearDownTestSuite() { SetCreationCommandLine(nullptr); }

    void Create(const std::string& settings) {
        WriteWholeFile(TestSettingsPath(), settings);
        window_ = CreateMainWindow(GetModuleHandleW(nullptr));
        ASSERT_NE(window_, nullptr);
        state_ = GetViewerState(window_);
        ASSERT_NE(state_, nullptr);
    }
    void TearDown() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        PumpMessages(0);
    }

    void SendText(const void* bytes, DWORD count) {
        COPYDATASTRUCT data = {0, count, const_cast<void*>(bytes)};
        SendMessageW(window_, WM_COPYDATA, reinterpret_cast<WPARAM>(window_), reinterpret_cast<LPARAM>(&data));
    }

    HWND window_ = nullptr;
    ViewerState* state_ = nullptr;
};

TEST_F(MainWindow, CreationLoadsSettingsAndMenus) {
    Create("[SystemSetting]\r\nZoomStep=40\r\n[ViewSetting]\r\nWindowWidth=500\r\nWindowHeight=400\r\n");
    EXPECT_EQ(state_->settings.ZoomStep, 40);
    EXPECT_EQ(state_->lastListIndex, -1);
    EXPECT_NE(state_->menuBar, nullptr);
    EXPECT_NE(state_->contextMenu, nullptr);
    EXPECT_EQ(GetMenuItemCount(state_->menuBar), 5);
    EXPECT_EQ(GetMenuItemCount(state_->contextMenu), 18);
    wchar_t title[32] = {};
    GetWindowTextW(window_, title, 32);
    EXPECT_STREQ(title, L"Oxel");
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 400);
}

TEST_F(MainWindow, HandoverTextIsCopiedWithinItsBuffer) {
    Create("");
    const char text[] = "\"C:\\p\\a.png\"";
    SendText(text, sizeof text);
    EXPECT_STREQ(state_->handoverText, text);

    std::string unterminated(260, 'u');
    SendText(unterminated.data(), 260);
    EXPECT_EQ(std::string(state_->handoverText), std::string(259, 'u'));

    std::string tooLong(300, 'v');
    SendText(tooLong.data(), 300);
    EXPECT_STREQ(state_->handoverText, "");

    SendText(text, sizeof text);
    SendText(nullptr, 0);
    EXPECT_STREQ(state_->handoverText, "");
}

TEST_F(MainWindow, CloseWritesTheViewSettings) {
    Create("[ViewSetting]\r\nWindowLeft=10\r\nWindowTop=20\r\nWindowWidth=400\r\nWindowHeight=300\r\n");
    state_->settings.FitIn = 1;
    state_->settings.SortMethod = 3;
    SetWindowPos(window_, nullptr, -30, 40, 420, 310, SWP_NOZORDER);
    SendMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window_));
    std::string text = ReadWholeFile(TestSettingsPath());
    EXPECT_TRUE(HasProfileEntry(text, "FitIn", "ON")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "SortMethod", "3")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowLeft", "4294967266")) << text;
    EXPECT_TRUE(HasProfileEntry(text, "WindowWidth", "420")) << text;
    Settings back = LoadSettings(TestSettingsPath().c_str());
    EXPECT_EQ(back.WindowLeft, -30);
    EXPECT_EQ(back.WindowTop, 40);
}

TEST_F(MainWindow, FullScreenCoversThePrimaryScreenWithoutMenu) {
    Create("[ViewSetting]\r\nWindowMode=OFF\r\n[SystemSetting]\r\nShowMenuBar=ON\r\n");
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetMenu(window_), nullptr);
    EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(HasProfileEntry(ReadWholeFile(TestSettingsPath()), "WindowMode", "OFF"));
}

}  // namespace
