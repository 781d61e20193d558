// Reading ahead through a zip file's members with ARC_NEXT and ARC_PREV in a
// real window: the same members as a decode on demand, with the wrap, and an
// archive replaced on disk after its next member was read ahead.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "decode_test_support.h"
#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

namespace {

using ReadAheadArchive = ViewerWindowTest;

TEST_F(ReadAheadArchive, MembersReadAheadAreTheOnesShownAndAReplacedArchiveIsReadAgain) {
    const std::wstring folder = MakeFolderWith(L"ra-zip", {L"p.zip"});
    const std::wstring zip = Join(folder, L"p.zip");
    ASSERT_TRUE(CopyFileW(TestArchive(L"pictures.zip").c_str(), zip.c_str(), FALSE));
    Create("", L"\"" + zip + L"\"");
    // Members: readme.txt, a.png (4 x 3), notes.txt, dir/, dir/b.png (5 x 4), c.txt.
    struct Step {
        WORD command;
        int32_t member, width;
    } steps[] = {{IDM_ARC_NEXT, 4, 5}, {IDM_ARC_NEXT, 1, 4}, {IDM_ARC_NEXT, 4, 5}, {IDM_ARC_PREV, 1, 4},
                 {IDM_ARC_PREV, 4, 5}};
    EXPECT_EQ(state_->picture.width, 4);
    for (const Step& step : steps) {
        PumpMessages(400);  // the next member is read ahead meanwhile
        Send(WM_COMMAND, step.command);
        EXPECT_EQ(state_->decodeState.subIndex, step.member);
        EXPECT_EQ(state_->picture.width, step.width);
        EXPECT_EQ(state_->picture.lastIndex, 5);
        EXPECT_NE(state_->displayBitmap, nullptr);
    }
    PumpMessages(400);
    // Members now: big.png (over the size limit), small.png (6 x 5).
    Sleep(20);
    ASSERT_TRUE(CopyFileW(TestArchive(L"large-then-small.zip").c_str(), zip.c_str(), FALSE));
    Send(WM_COMMAND, IDM_ARC_PREV);
    EXPECT_EQ(state_->picture.width, 6);
    EXPECT_EQ(state_->picture.lastIndex, 1);
    DestroyWindow(window_);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

}  // namespace
