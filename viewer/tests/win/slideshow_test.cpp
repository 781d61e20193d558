// The slideshow's window timers as the main window handles them: the end at
// the last picture and the pause while a menu is open.
#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

namespace {

class SlideShow : public ViewerWindowTest {
protected:
    void Open(const wchar_t* name) {
        std::wstring folder = MakeFolderWith(L"slides", {L"a.jpg", L"b.jpg", L"c.jpg"});
        Create("[SystemSetting]\r\nSlideShowInterval=1\r\n", Join(folder, name));
    }
    UINT CheckState() {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STATE;
        GetMenuItemInfoW(state_->menuBar, IDM_SLIDE_SHOW, FALSE, &item);
        return item.fState & MFS_CHECKED;
    }
};

TEST_F(SlideShow, EndsAtTheLastPictureAfterOneInterval) {
    Open(L"c.jpg");
    Send(WM_COMMAND, IDM_SLIDE_SHOW);
    ASSERT_EQ(state_->settings.slideShowOn, 1);
    EXPECT_TRUE(CheckState());
    commands_.clear();
    PumpMessages(1600);
    EXPECT_EQ(commands_, std::vector<WORD>{IDM_NEXT});
    EXPECT_EQ(state_->settings.slideShowOn, 0);
    EXPECT_FALSE(CheckState());
    // The timers are gone: nothing more arrives.
    PumpMessages(1300);
    EXPECT_EQ(commands_.size(), 1u);
}

TEST_F(SlideShow, NeedsTwoFiles) {
    std::wstring folder = MakeFolderWith(L"single", {L"only.jpg"});
    Create("", Join(folder, L"only.jpg"));
    ASSERT_EQ(state_->lastListIndex, 0);
    Send(WM_COMMAND, IDM_SLIDE_SHOW);
    EXPECT_EQ(state_->settings.slideShowOn, 0);
}

TEST_F(SlideShow, AnOpenMenuHoldsThePicture) {
    Open(L"b.jpg");
    Send(WM_COMMAND, IDM_SLIDE_SHOW);
    commands_.clear();
    Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(state_->contextMenu), 0);
    EXPECT_EQ(state_->openMenus, 1);
    PumpMessages(1500);
    EXPECT_TRUE(commands_.empty());
    Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(state_->contextMenu), 0);
    EXPECT_EQ(state_->openMenus, 0);
    PumpMessages(1500);
    EXPECT_EQ(commands_, std::vector<WORD>{IDM_NEXT});
    // b.jpg was held; the step went on to c.jpg, the last, where the show ends.
    EXPECT_EQ(state_->currentIndex, 2);
    EXPECT_EQ(state_->settings.slideShowOn, 0);
}

}  // namespace
