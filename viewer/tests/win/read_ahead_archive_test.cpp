// Reading ahead through a zip file's members with ARC_NEXT and ARC_PREV in a
// real window: the same members as a decode on demand, with the wrap, and an
// archive replaced on disk after its next member was read ahead; a zip whose
// members are over the budget; and the temporary folder shared by the window's
// thread and the read-ahead thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "decode_test_support.h"
#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/plugins/temp_folder.h"
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

// Every member is over a budget of 1 MB: the thread gives up at the first
// rather than extracting all 1,000, so the step onto the zip, which waits for
// the thread, and the close after it are quick (5 s is a hang, not a speed
// figure: extracting them all takes longer).
TEST_F(ReadAheadArchive, AZipOverTheBudgetIsGivenUpAtItsFirstMember) {
    const std::wstring folder = FolderOfPictures(L"ra-over", {L"a.jpg"});
    ASSERT_TRUE(CopyFileW(TestArchive(L"over-budget.zip").c_str(), Join(folder, L"b.zip").c_str(), FALSE));
    const LARGE_INTEGER before = Now();
    Create("[SystemSetting]\r\nReadAheadMB=1\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_EQ(state_->picture.width, 700);
    EXPECT_EQ(state_->picture.lastIndex, 999);
    Send(WM_COMMAND, IDM_ARC_NEXT);
    EXPECT_EQ(state_->decodeState.subIndex, 1);
    DestroyWindow(window_);
    EXPECT_LT(Milliseconds(before, Now()), 5000.0);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

// Two threads extracting at once, each removing the folder when it has
// emptied it: neither finds the folder gone between making it and creating
// its file.
DWORD WINAPI ExtractMany(void* failures) {
    for (int i = 0; i < 300; ++i) {
        wchar_t path[MAX_PATH];
        HANDLE file = CreateProcessFolderFile(L"member.png", path);
        if (file == INVALID_HANDLE_VALUE) InterlockedIncrement(static_cast<LONG*>(failures));
        if (file != INVALID_HANDLE_VALUE && CloseHandle(file)) DeleteFileW(path);
        RemoveProcessFolderIfEmpty();
    }
    return 0;
}

TEST(TemporaryFolderShared, TwoThreadsExtractingAtOnceAlwaysFindTheFolder) {
    LONG failures = 0;
    HANDLE other = CreateThread(nullptr, 0, ExtractMany, &failures, 0, nullptr);
    ExtractMany(&failures);
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

}  // namespace
