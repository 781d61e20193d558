// The four ways a file reaches the main window (command line, drop, open
// dialog, hand-over from a second instance), each building the folder's list,
// and the paths that cannot be opened.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <thread>

#include "test_support.h"
#include "viewer/app/instance.h"
#include "viewer/app/startup.h"
#include "viewer_window.h"

namespace {

const std::vector<std::wstring> kAbc = {L"a.jpg", L"b.jpg", L"c.jpg"};

class OpenPicture : public ViewerWindowTest {
protected:
    void ExpectOpenedB(const std::wstring& folder) {
        EXPECT_EQ(state_->currentIndex, 1);
        EXPECT_EQ(state_->lastListIndex, 2);
        EXPECT_EQ(Names(state_->fileList.paths), kAbc);
        EXPECT_EQ(Title(), L"(2/3)b.jpg");
        EXPECT_EQ(std::wstring(state_->currentFolder), folder);
        EXPECT_TRUE(boxes_.empty());
    }
};

TEST_F(OpenPicture, CommandLineOpensTheFileAndListsItsFolder) {
    std::wstring folder = MakeFolderWith(L"cmd", kAbc);
    Create("", L"\"" + Join(folder, L"b.jpg") + L"\"");
    ExpectOpenedB(folder);
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(lstrcmpiW(current, folder.c_str()), 0);
    // Opened from the command line with file-manager keys configured.
    EXPECT_EQ(state_->keySendingOn, 1);
}

TEST_F(OpenPicture, QuotedPathWithBlanksOpensWithoutItsQuotes) {
    std::wstring folder = MakeFolderWith(L"blank dir", {L"my picture.png", L"other.png"});
    Create("", L"\"" + Join(folder, L"my picture.png") + L"\"");
    EXPECT_EQ(state_->lastListIndex, 1);
    EXPECT_EQ(Title(), L"(1/2)my picture.png");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(OpenPicture, MissingPathShowsTheNotFoundTextAndKeepsTheTitle) {
    std::wstring missing = MakeScratchFolder(L"missing") + L"\\nothing here.jpg";
    Create("", L"\"" + missing + L"\"");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"ファイルが見つかりません。\n" + missing);
    EXPECT_EQ(boxes_[0].caption, L"Oxel");
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes_[0].owner, window_);
    EXPECT_EQ(state_->lastListIndex, -1);
    EXPECT_EQ(Title(), L"Oxel");
    EXPECT_EQ(state_->keySendingOn, 0);
}

TEST_F(OpenPicture, NotFoundTextInEnglish) {
    Create("[SystemSetting]\r\nEnglish=on\r\n", L"C:\\no\\such.png");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"FILE NOT FOUND\nC:\\no\\such.png");
}

TEST_F(OpenPicture, ProgramPathAndBlankGiveNoPathAndNoMessage) {
    Create("", L"");
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(state_->lastListIndex, -1);
    EXPECT_EQ(Title(), L"Oxel");
}

TEST_F(OpenPicture, OverlongPathIsRefusedWhole) {
    std::wstring longPath = L"C:\\" + std::wstring(300, L'x') + L".jpg";
    Create("[SystemSetting]\r\nEnglish=on\r\n", L"\"" + longPath + L"\"");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"FILE NOT FOUND\n" + longPath);
    EXPECT_EQ(state_->lastListIndex, -1);
}

TEST_F(OpenPicture, PathInAnotherCaseFindsItsEntry) {
    std::wstring folder = MakeFolderWith(L"case", kAbc);
    Create("", Join(folder, L"B.JPG"));
    EXPECT_EQ(state_->currentIndex, 1);
}

HDROP MakeDrop(const std::vector<std::wstring>& files) {
    size_t chars = 1;
    for (const std::wstring& f : files) chars += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wchar_t* out = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& f : files) {
        wcscpy(out, f.c_str());
        out += f.size() + 1;
    }
    *out = L'\0';
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(OpenPicture, DropOpensTheFirstDroppedFile) {
    std::wstring folder = MakeFolderWith(L"drop", kAbc);
    std::wstring other = MakeFolderWith(L"drop-other", {L"z.jpg"});
    Create("", L"");
    wcscpy(state_->destinationFolder, L"C:\\kept");
    Send(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Join(folder, L"b.jpg"), Join(other, L"z.jpg")})));
    Settle();
    ExpectOpenedB(folder);
    EXPECT_STREQ(state_->destinationFolder, L"");
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST_F(OpenPicture, OpenDialogOpensTheChosenFileAndUnlinks) {
    std::wstring folder = MakeFolderWith(L"dialog", kAbc);
    Create("", L"");
    std::thread answer(AnswerOpenDialog, GetCurrentThreadId(), Join(folder, L"b.jpg"), false);
    Send(WM_APP);
    answer.join();
    Settle();
    ExpectOpenedB(folder);
    EXPECT_EQ(state_->keySendingOn, 0);
    EXPECT_EQ(state_->filerFocus, nullptr);
}

TEST_F(OpenPicture, CancelledDialogChangesNothing) {
    std::wstring folder = MakeFolderWith(L"dialog-cancel", kAbc);
    Create("", Join(folder, L"b.jpg"));
    wcscpy(state_->destinationFolder, L"C:\\kept");
    std::thread answer(AnswerOpenDialog, GetCurrentThreadId(), std::wstring(), true);
    Send(WM_APP);
    answer.join();
    Settle();
    ExpectOpenedB(folder);
    EXPECT_STREQ(state_->destinationFolder, L"C:\\kept");
}

void SendHandover(HWND window, const std::string& text, DWORD count) {
    COPYDATASTRUCT data = {0, count, const_cast<char*>(text.data())};
    SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data));
    SendMessageW(window, kMsgOpenHandover, 0, 0);
}

TEST_F(OpenPicture, HandoverOpensTheQuotedOrPlainPath) {
    std::wstring folder = MakeFolderWith(L"handover", kAbc);
    Create("", L"");
    std::string quoted = "\"" + Narrow(Join(folder, L"b.jpg")) + "\"";
    SendHandover(window_, quoted, static_cast<DWORD>(quoted.size() + 1));
    Settle();
    ExpectOpenedB(folder);

    std::string plain = Narrow(Join(folder, L"c.jpg"));
    SendHandover(window_, plain, static_cast<DWORD>(plain.size() + 1));
    Settle();
    EXPECT_EQ(state_->currentIndex, 2);
}

TEST_F(OpenPicture, OverlongHandoverIsRefusedAndChangesNothing) {
    std::wstring folder = MakeFolderWith(L"handover-long", kAbc);
    Create("", Join(folder, L"b.jpg"));
    std::string text = "\"C:\\" + std::string(400, 'y') + "\"";
    SendHandover(window_, text, static_cast<DWORD>(text.size() + 1));
    Settle();
    ExpectOpenedB(folder);
    // An empty text, a second start without a path, is an empty path.
    SendHandover(window_, "", 1);
    Settle();
    EXPECT_EQ(state_->lastListIndex, -1);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Title(), L"Oxel");
}

TEST_F(OpenPicture, SecondInstanceHandsItsFileToThisWindow) {
    std::wstring folder = MakeFolderWith(L"second", kAbc);
    std::wstring programFolder = MakeScratchFolder(L"second-program");
    std::wstring exe = InstallOxel(programFolder, "[SystemSetting]\r\nIsSingle=ON\r\n");
    Create("", L"");
    SetPropW(window_, kInstanceProperty, reinterpret_cast<HANDLE>(1));
    ChildProcess child;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\" \"" + Join(folder, L"b.jpg") + L"\"", child));
    EXPECT_EQ(WaitForExit(child, 30000), 0u);
    Settle();
    ExpectOpenedB(folder);
}

TEST(OpenPictureProcess, StartedWithAPathTheProgramShowsItsPosition) {
    std::wstring folder = MakeFolderWith(L"process", kAbc);
    std::wstring exe = InstallOxel(MakeScratchFolder(L"process-program"), "");
    ChildProcess child;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\" \"" + Join(folder, L"b.jpg") + L"\"", child));
    HWND window = WaitForWindowOf(child.id, L"Oxel", 30000);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WaitForTitle(window, L"(2/3)b.jpg"), L"(2/3)b.jpg");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child, 30000), 0u);
}

TEST_F(OpenPicture, BareRelativeNameListsItsOwnFolder) {
    std::wstring folder = MakeFolderWith(L"relative", kAbc);
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    Create("", L"b.jpg");
    SetCurrentDirectoryW(before);
    ExpectOpenedB(folder);
}

TEST_F(OpenPicture, AnOpenThatListsNothingLeavesNoPictureBehind) {
    const std::wstring sample = PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg";
    Create("[SystemSetting]\r\nignoreHiddenFile=ON\r\n", L"\"" + sample + L"\"");
    ASSERT_NE(state_->displayBitmap, nullptr);
    // A hidden file alone in its folder exists but is left out of the list.
    std::wstring folder = MakeFolderWith(L"hidden-only", {L"h.jpg"});
    const std::wstring hidden = Join(folder, L"h.jpg");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    std::string text = Narrow(hidden);
    SendHandover(window_, text, static_cast<DWORD>(text.size() + 1));
    Settle();
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(state_->lastListIndex, -1);
    EXPECT_EQ(state_->picture.bitmap, nullptr);
    EXPECT_EQ(state_->displayBitmap, nullptr);
}

}  // namespace
