// The folder check when the window is activated while it follows the file
// manager: the key-sending stop with its message, or the silent re-read.
#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"
#include "viewer_window.h"

namespace {

const std::vector<std::wstring> kAbc = {L"a.jpg", L"b.jpg", L"c.jpg"};

HICON SharedIcon(const wchar_t* name, int metric) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, GetSystemMetrics(metric),
                                         GetSystemMetrics(metric), LR_SHARED));
}

class Activation : public ViewerWindowTest {
protected:
    void Open(const std::string& settings) {
        folder_ = MakeFolderWith(L"activate", kAbc);
        Create(settings, L"\"" + Join(folder_, L"b.jpg") + L"\"");
        ASSERT_EQ(state_->keySendingOn, 1);
    }
    void Activate() {
        Send(WM_ACTIVATE, WA_ACTIVE);
        Settle();
    }
    std::wstring folder_;
};

TEST_F(Activation, UnchangedFolderDoesNothing) {
    Open("");
    Activate();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(state_->keySendingOn, 1);
}

TEST_F(Activation, ChangedFolderStopsKeySendingWithOneMessage) {
    Open("");
    WriteWholeFile(Join(folder_, L"d.jpg"), "d");
    Activate();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"ファイル構成に変更があっため、キー送信を中止します。");
    EXPECT_EQ(boxes_[0].caption, L"Oxel");
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(state_->keySendingOn, 0);
    EXPECT_EQ(state_->lastListIndex, 2);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0)),
              SharedIcon(L"OxelICON_SM_X", SM_CXSMICON));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_BIG, 0)),
              SharedIcon(L"OxelICON_X", SM_CXICON));
    Activate();
    EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(Activation, VanishedFileIsAChangeToo) {
    Open("[SystemSetting]\r\nEnglish=ON\r\n");
    DeleteFileW(Join(folder_, L"a.jpg").c_str());
    Activate();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"File structure was changed, so stop key sending.");
}

TEST_F(Activation, RereadAddsTheNewFileSilently) {
    Open("[SystemSetting]\r\nRereadFileList=ON\r\n");
    WriteWholeFile(Join(folder_, L"0.jpg"), "0");
    Activate();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Names(state_->fileList.paths), (std::vector<std::wstring>{L"0.jpg", L"a.jpg", L"b.jpg", L"c.jpg"}));
    EXPECT_EQ(state_->currentIndex, 2);
    EXPECT_EQ(state_->lastListIndex, 3);
    EXPECT_EQ(state_->keySendingOn, 1);
    EXPECT_EQ(Title(), L"(3/4)b.jpg");
}

TEST_F(Activation, RereadWithTheShownFileGoneMarksItMissing) {
    Open("[SystemSetting]\r\nRereadFileList=ON\r\n");
    DeleteFileW(Join(folder_, L"b.jpg").c_str());
    Activate();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(state_->picture.width, -1);
    EXPECT_EQ(state_->picture.bitmap, nullptr);
    EXPECT_EQ(state_->displayBitmap, nullptr);
    // The old list stays, so the position is still shown.
    EXPECT_EQ(state_->lastListIndex, 2);
    EXPECT_EQ(state_->keySendingOn, 1);
}

TEST_F(Activation, DeactivationDisarmsTheClick) {
    Open("");
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(state_->clickArmed, 0);
    Send(WM_ACTIVATE, WA_CLICKACTIVE);
    EXPECT_EQ(state_->clickArmed, 0);
    Send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_EQ(state_->clickArmed, 1);
}

}  // namespace
