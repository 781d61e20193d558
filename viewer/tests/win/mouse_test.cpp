// The mouse table of the main window, observed through the commands that reach
// the window: clicks, the one-shot swallowing of releases, drags, the middle
// button, right-button combinations and the wheel.
#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

namespace {

int g_menusSeen = 0;
ViewerState* g_state = nullptr;

// Notes the menus open at that moment and closes a context menu that opened,
// so that a test never waits in its loop.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_state && g_state->openMenus > g_menusSeen) g_menusSeen = g_state->openMenus;
    EndMenu();
}

class Mouse : public ViewerWindowTest {
protected:
    void SetUp() override {
        ViewerWindowTest::SetUp();
        folder_ = MakeFolderWith(L"mouse", {L"a.jpg", L"b.jpg", L"c.jpg"});
    }
    void Open(const std::string& settings = "") {
        Create(settings, L"\"" + Join(folder_, L"b.jpg") + L"\"");
        Send(WM_ACTIVATE, WA_ACTIVE);
        commands_.clear();
    }
    static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
    void Click(int x, int y, WPARAM held = 0) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON | held, At(x, y));
        Send(WM_LBUTTONUP, held, At(x, y));
    }
    // A right release; a context menu that it opens is counted and closed.
    void RightUp(WPARAM held, LPARAM at, bool menuExpected = false) {
        g_state = state_;
        g_menusSeen = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 300, CloseMenu);
        Send(WM_RBUTTONUP, held, at);
        KillTimer(nullptr, timer);
        EXPECT_EQ(g_menusSeen > 0, menuExpected);
        EXPECT_EQ(state_->openMenus, 0);
        g_state = nullptr;
    }
    std::wstring folder_;
};

using Commands = std::vector<WORD>;

TEST_F(Mouse, ClickStepsForward) {
    Open();
    Click(40, 30);
    EXPECT_EQ(commands_, Commands{IDM_NEXT});
}

TEST_F(Mouse, ClickWithTheRightButtonHeldStepsBackWithoutContextMenu) {
    Open();
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, At(40, 30));
    Send(WM_LBUTTONUP, MK_RBUTTON, At(40, 30));
    EXPECT_EQ(commands_, Commands{IDM_PREV});
    EXPECT_EQ(state_->rightUpArmed, 0);
    RightUp(0, At(40, 30));
    EXPECT_EQ(state_->rightUpArmed, 1);
    EXPECT_EQ(commands_, Commands{IDM_PREV});
}

TEST_F(Mouse, PlainRightClickOpensTheContextMenu) {
    Open();
    RightUp(0, At(40, 30), true);
    EXPECT_TRUE(commands_.empty());
}

TEST_F(Mouse, DragOfOnePixelDoesNotStep) {
    Open();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(40, 30));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(41, 30));
    Send(WM_LBUTTONUP, 0, At(41, 30));
    EXPECT_TRUE(commands_.empty());
    Click(41, 30);
    EXPECT_EQ(commands_, Commands{IDM_NEXT});
}

TEST_F(Mouse, TheActivatingClickDoesNotStep) {
    Open();
    Send(WM_ACTIVATE, WA_INACTIVE);
    Send(WM_ACTIVATE, WA_CLICKACTIVE);
    Click(40, 30);
    EXPECT_TRUE(commands_.empty());
    Click(40, 30);
    EXPECT_EQ(commands_, Commands{IDM_NEXT});
}

TEST_F(Mouse, ControlWheelSwallowsTheNextLeftRelease) {
    Open();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), At(100, 100));
    EXPECT_EQ(state_->wheelZoomed, 1);
    Sleep(300);
    Click(40, 30);
    EXPECT_TRUE(commands_.empty());
    Click(40, 30);
    EXPECT_EQ(commands_, Commands{IDM_NEXT});
}

TEST_F(Mouse, LeftHeldRightClickTogglesFitOutAndSwallowsTheLeftRelease) {
    Open();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(40, 30));
    RightUp(MK_LBUTTON, At(40, 30));
    EXPECT_EQ(commands_, Commands{IDM_FIT_OUT});
    Send(WM_LBUTTONUP, 0, At(40, 30));
    EXPECT_EQ(commands_, Commands{IDM_FIT_OUT});
    Click(40, 30);
    EXPECT_EQ(commands_, (Commands{IDM_FIT_OUT, IDM_NEXT}));
}

TEST_F(Mouse, MiddleButtonStepsSubPictures) {
    Open();
    Send(WM_MBUTTONDOWN, MK_MBUTTON, At(40, 30));
    Send(WM_MBUTTONUP, 0, At(40, 30));
    Send(WM_MBUTTONDOWN, MK_MBUTTON | MK_RBUTTON, At(40, 30));
    Send(WM_MBUTTONUP, MK_RBUTTON, At(40, 30));
    EXPECT_EQ(commands_, (Commands{IDM_ARC_NEXT, IDM_ARC_PREV}));
    // The right release that ends this combination opens no menu.
    RightUp(0, At(40, 30));
}

TEST_F(Mouse, RightButtonWheelSwallowsTheRightRelease) {
    Open();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_RBUTTON, WHEEL_DELTA), At(100, 100));
    RightUp(0, At(40, 30));
    EXPECT_TRUE(commands_.empty());
}

TEST_F(Mouse, DoubleClickIsTwoClicksUnlessItExits) {
    Open();
    Click(40, 30);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(40, 30));
    Send(WM_LBUTTONUP, 0, At(40, 30));
    EXPECT_EQ(commands_, (Commands{IDM_NEXT, IDM_NEXT}));
}

TEST_F(Mouse, DoubleClickExitsWhenAsked) {
    Open("[SystemSetting]\r\nExitByDoubleClick=ON\r\n");
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(40, 30));
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(40, 30));
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(Mouse, CommandsWhileDraggingAreLost) {
    Open();
    state_->dragging = 1;
    Send(WM_COMMAND, IDM_SORT_REV);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), At(100, 100));
    EXPECT_EQ(state_->settings.SortDescending, 0);
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_EQ(state_->wheelZoomed, 0);
}

}  // namespace
