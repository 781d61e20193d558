// Delete, move and copy through a real window: the list and the picture
// afterwards, the files on disk, the recycle bin, every message in both
// languages, and the failure paths, which must leave the user's files as they
// were. The folder dialog is answered through the dialog seam.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/dialogs.h"
#include "viewer/fileops/file_operations.h"
#include "viewer_window.h"

namespace {

// What the folder dialog was asked, and the folder it answers ("" cancels).
struct FolderDialogCall {
    HWND owner;
    std::wstring title;
    UINT flags;
    std::wstring startFolder;
    bool callback;
};
std::vector<FolderDialogCall> g_dialogCalls;
std::wstring g_folderAnswer;

PIDLIST_ABSOLUTE AnswerFolderDialog(BROWSEINFOW* info) {
    g_dialogCalls.push_back({info->hwndOwner, info->lpszTitle, info->ulFlags,
                             reinterpret_cast<const wchar_t*>(info->lParam), info->lpfn == BrowseFolderCallback});
    if (g_folderAnswer.empty()) return nullptr;
    // A folder that does not exist (any more) still has an item list.
    return SHSimpleIDListFromPath(g_folderAnswer.c_str());
}

int CountInRecycleBin(const std::wstring& name) {
    int count = 0;
    IShellFolder* desktop = nullptr;
    PIDLIST_ABSOLUTE bin = nullptr;
    IShellFolder* folder = nullptr;
    IEnumIDList* items = nullptr;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop)) && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin)) &&
        SUCCEEDED(desktop->BindToObject(bin, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))) &&
        folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK) {
        PITEMID_CHILD item;
        while (items->Next(1, &item, nullptr) == S_OK) {
            STRRET text;
            wchar_t shown[MAX_PATH] = L"";
            if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_NORMAL, &text))) StrRetToBufW(&text, item, shown, MAX_PATH);
            count += name == shown;
            CoTaskMemFree(item);
        }
        items->Release();
    }
    if (folder) folder->Release();
    if (bin) CoTaskMemFree(bin);
    if (desktop) desktop->Release();
    return count;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file opened without any sharing, as a program that locks it holds it.
struct LockedFile {
    HANDLE handle;
    explicit LockedFile(const std::wstring& path)
        : handle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~LockedFile() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
};

// The shell's own questions to the main window's thread, answered from
// another thread as a user would while the object lives; each is noted with
// its owner and whether the main window was disabled under it. `release`, if
// given, is closed before the answer. Wine asks before deleting a file that
// its recycle bin cannot take, a locked one too.
struct ShellQuestion {
    HWND owner;
    bool ownerDisabled;
};

BOOL CALLBACK FindShellDialog(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

class ShellQuestions {
public:
    ShellQuestions(HWND window, WPARAM button, std::vector<ShellQuestion>& asked, HANDLE release = nullptr)
        : answering_([this, window, button, &asked, release, thread = GetCurrentThreadId()] {
              HWND answered = nullptr;
              while (!done_) {
                  Sleep(20);
                  HWND dialog = nullptr;
                  EnumThreadWindows(thread, FindShellDialog, reinterpret_cast<LPARAM>(&dialog));
                  if (!dialog || dialog == answered) continue;
                  asked.push_back({GetWindow(dialog, GW_OWNER), !IsWindowEnabled(window)});
                  if (release && asked.size() == 1) CloseHandle(release);
                  PostMessageW(dialog, WM_COMMAND, button, 0);
                  answered = dialog;
              }
          }) {}
    ~ShellQuestions() {
        done_ = true;
        answering_.join();
    }
    ShellQuestions(const ShellQuestions&) = delete;
    ShellQuestions& operator=(const ShellQuestions&) = delete;

private:
    std::atomic<bool> done_{false};
    std::thread answering_;
};

class FileOperations : public ViewerWindowTest {
protected:
    void SetUp() override {
        ViewerWindowTest::SetUp();
        g_dialogCalls.clear();
        g_folderAnswer.clear();
        SetFolderDialogHook(AnswerFolderDialog);
    }
    HICON SmallIcon() { return reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0)); }
    HICON ResourceIcon(const wchar_t* name) {
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    // A distinct content per file, so that a test sees which file went where.
    void Mark(const std::wstring& path, const std::string& content) { ASSERT_TRUE(WriteWholeFile(path, content)); }
    void ExpectBox(size_t index, const std::wstring& text, UINT flags) {
        ASSERT_LT(index, boxes_.size()) << "missing box: " << std::string(text.begin(), text.end());
        EXPECT_EQ(boxes_[index].text, text);
        EXPECT_EQ(boxes_[index].caption, L"Oxel");
        EXPECT_EQ(boxes_[index].flags, flags);
        EXPECT_EQ(boxes_[index].owner, window_);
    }
};

TEST_F(FileOperations, DeletingTheOnlyFileLeavesNoPictureAndTheCrossedIcons) {
    std::wstring folder = FolderOfPictures(L"only", {L"only.jpg"});
    Create("", L"\"" + Join(folder, L"only.jpg") + L"\"");
    ASSERT_NE(state_->picture.bitmap, nullptr);
    const int binned = CountInRecycleBin(L"only.jpg");
    Send(WM_COMMAND, IDM_DELETE);
    ASSERT_EQ(boxes_.size(), 2u);
    ExpectBox(0, L"only.jpg を削除します。", MB_OKCANCEL | MB_ICONWARNING);
    ExpectBox(1, L"フォルダにファイルが無くなりました。", MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(state_->lastListIndex, -1);
    EXPECT_TRUE(state_->fileList.paths.empty());
    EXPECT_EQ(state_->picture.bitmap, nullptr);
    EXPECT_EQ(state_->displayBitmap, nullptr);
    EXPECT_EQ(state_->picture.width, 1);
    EXPECT_EQ(Title(), L"Oxel");
    EXPECT_EQ(SmallIcon(), ResourceIcon(L"OxelICON_SM_X"));
    EXPECT_FALSE(Exists(Join(folder, L"only.jpg")));
    EXPECT_EQ(CountInRecycleBin(L"only.jpg"), binned + 1);
    // With no list, the file commands do nothing.
    Send(WM_COMMAND, IDM_DELETE);
    Send(WM_COMMAND, IDM_MOVE);
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_TRUE(g_dialogCalls.empty());
}

TEST_F(FileOperations, DeletingTheLastOfThreeShowsTheSecond) {
    std::wstring folder = FolderOfPictures(L"three", {L"a.jpg", L"b.jpg", L"third-one.jpg"});
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"third-one.jpg") + L"\"");
    const int binned = CountInRecycleBin(L"third-one.jpg");
    Send(WM_COMMAND, IDM_DELETE);
    ASSERT_EQ(boxes_.size(), 1u);
    ExpectBox(0, L"Delete third-one.jpg?", MB_OKCANCEL | MB_ICONWARNING);
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_EQ(state_->lastListIndex, 1);
    EXPECT_EQ(Names(state_->fileList.paths), (std::vector<std::wstring>{L"a.jpg", L"b.jpg"}));
    EXPECT_EQ(Title(), L"(2/2)b.jpg");
    EXPECT_NE(state_->picture.bitmap, nullptr);
    EXPECT_EQ(SmallIcon(), ResourceIcon(L"OxelICON_SM"));
    EXPECT_EQ(CountInRecycleBin(L"third-one.jpg"), binned + 1);
}

TEST_F(FileOperations, ACancelledDeleteAndAFileRemovedMeanwhileKeepTheList) {
    std::wstring folder = FolderOfPictures(L"keep", {L"a.jpg", L"b.jpg"});
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    answers_.push_back(IDCANCEL);
    Send(WM_COMMAND, IDM_DELETE);
    EXPECT_TRUE(Exists(Join(folder, L"a.jpg")));
    EXPECT_EQ(state_->lastListIndex, 1);

    ASSERT_TRUE(DeleteFileW(Join(folder, L"a.jpg").c_str()));
    boxes_.clear();
    Send(WM_COMMAND, IDM_DELETE);
    ASSERT_EQ(boxes_.size(), 1u);
    ExpectBox(0, L"a.jpg was deleted.", MB_OK | MB_ICONERROR);
    EXPECT_EQ(state_->lastListIndex, 1);
    EXPECT_EQ(state_->currentIndex, 0);
    // Move and copy say the same and open no dialog.
    Send(WM_COMMAND, IDM_MOVE);
    Send(WM_COMMAND, IDM_COPY);
    EXPECT_EQ(boxes_.size(), 3u);
    EXPECT_TRUE(g_dialogCalls.empty());
}

TEST_F(FileOperations, MoveAsksForAFolderAndTheNextFileTakesThePlace) {
    std::wstring folder = FolderOfPictures(L"from", {L"a.jpg", L"b.jpg"});
    std::wstring target = MakeFolderWith(L"to", {});
    Mark(Join(folder, L"a.jpg"), "picture a");
    Create("[SystemSetting]\r\nEnglish=ON\r\nMemorizeFolder=ON\r\n", L"\"" + Join(folder, L"b.jpg") + L"\"");
    Send(WM_COMMAND, IDM_PREV);
    g_folderAnswer = target;
    Send(WM_COMMAND, IDM_MOVE);
    ASSERT_EQ(g_dialogCalls.size(), 1u);
    EXPECT_EQ(g_dialogCalls[0].owner, window_);
    EXPECT_EQ(g_dialogCalls[0].title, L"Select folder to move a.jpg.");
    EXPECT_EQ(g_dialogCalls[0].flags, 0x41u);
    EXPECT_EQ(g_dialogCalls[0].startFolder, folder);
    EXPECT_TRUE(g_dialogCalls[0].callback);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(ReadWholeFile(Join(target, L"a.jpg")), "picture a");
    EXPECT_FALSE(Exists(Join(folder, L"a.jpg")));
    EXPECT_EQ(Title(), L"(1/1)b.jpg");
    EXPECT_EQ(std::wstring(state_->destinationFolder), target);
    // With "MemorizeFolder" the next dialog starts in the folder chosen.
    g_folderAnswer.clear();
    Send(WM_COMMAND, IDM_COPY);
    ASSERT_EQ(g_dialogCalls.size(), 2u);
    EXPECT_EQ(g_dialogCalls[1].title, L"Select folder to copy b.jpg.");
    EXPECT_EQ(g_dialogCalls[1].startFolder, target);
}

TEST_F(FileOperations, MovingOntoAFileOfTheSameNameAsksFirst) {
    std::wstring folder = FolderOfPictures(L"clash", {L"same-name.jpg", L"other.jpg"});
    std::wstring target = FolderOfPictures(L"clash-to", {L"same-name.jpg"});
    Mark(Join(folder, L"same-name.jpg"), "moving");
    Mark(Join(target, L"same-name.jpg"), "standing");
    Create("", L"\"" + Join(folder, L"same-name.jpg") + L"\"");
    g_folderAnswer = target;
    answers_.push_back(IDNO);
    Send(WM_COMMAND, IDM_MOVE);
    ASSERT_EQ(boxes_.size(), 1u);
    ExpectBox(0, L"指定されたフォルダには同じ名前のファイルが存在します。\n置き換えますか？", MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(ReadWholeFile(Join(folder, L"same-name.jpg")), "moving");
    EXPECT_EQ(ReadWholeFile(Join(target, L"same-name.jpg")), "standing");
    EXPECT_EQ(state_->lastListIndex, 1);

    // The replaced file goes to the recycle bin under the name it waited under.
    const int binned = CountInRecycleBin(L"same-name (old).jpg");
    answers_.push_back(IDYES);
    Send(WM_COMMAND, IDM_MOVE);
    EXPECT_EQ(ReadWholeFile(Join(target, L"same-name.jpg")), "moving");
    EXPECT_FALSE(Exists(Join(folder, L"same-name.jpg")));
    EXPECT_FALSE(Exists(Join(target, L"same-name (old).jpg")));
    EXPECT_EQ(CountInRecycleBin(L"same-name (old).jpg"), binned + 1);
    EXPECT_EQ(Names(state_->fileList.paths), (std::vector<std::wstring>{L"other.jpg"}));
}

TEST_F(FileOperations, CopyingLeavesTheListAndAsksTheSecondTime) {
    std::wstring folder = FolderOfPictures(L"copy", {L"a.jpg", L"b.jpg"});
    std::wstring target = MakeFolderWith(L"copy-to", {});
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"b.jpg") + L"\"");
    HBITMAP shown = state_->picture.bitmap;
    g_folderAnswer = target;
    Send(WM_COMMAND, IDM_COPY);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(ReadWholeFile(Join(target, L"b.jpg")), ReadWholeFile(Join(folder, L"b.jpg")));
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_EQ(state_->lastListIndex, 1);
    EXPECT_EQ(state_->picture.bitmap, shown);
    answers_.push_back(IDNO);
    Send(WM_COMMAND, IDM_COPY);
    ASSERT_EQ(boxes_.size(), 1u);
    ExpectBox(0, L"Same name file exists.\nOver Write?", MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(state_->picture.bitmap, shown);
}

TEST_F(FileOperations, ACancelledDialogOrTheFilesOwnFolderChangeNothing) {
    std::wstring folder = FolderOfPictures(L"own", {L"a.jpg"});
    std::wstring elsewhere = MakeFolderWith(L"own-other", {});
    Create("[SystemSetting]\r\nMemorizeFolder=ON\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    Send(WM_COMMAND, IDM_MOVE);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(state_->lastListIndex, 0);
    EXPECT_NE(state_->picture.bitmap, nullptr);
    EXPECT_EQ(std::wstring(state_->destinationFolder), folder);

    // The own folder, spelt in another case and with a trailing backslash.
    g_folderAnswer = folder;
    CharUpperW(&g_folderAnswer[0]);
    g_folderAnswer += L"\\";
    boxes_.clear();
    Send(WM_COMMAND, IDM_MOVE);
    state_->settings.English = 1;
    Send(WM_COMMAND, IDM_COPY);
    state_->settings.English = 0;
    ASSERT_EQ(boxes_.size(), 2u);
    ExpectBox(0, L"現在と同じフォルダが選択されました。", MB_OK | MB_ICONERROR);
    ExpectBox(1, L"Select same folder as current.", MB_OK | MB_ICONERROR);
    EXPECT_TRUE(Exists(Join(folder, L"a.jpg")));
    EXPECT_EQ(state_->lastListIndex, 0);
    // The next dialog starts from the folder chosen.
    g_folderAnswer = elsewhere;
    answers_.push_back(IDNO);
    Send(WM_COMMAND, IDM_COPY);
    std::wstring start = g_dialogCalls.back().startFolder;
    if (start.back() == L'\\') start.pop_back();
    EXPECT_EQ(lstrcmpiW(start.c_str(), folder.c_str()), 0) << std::string(start.begin(), start.end());
}

// Every failure path leaves the files as they were, with its message.
TEST_F(FileOperations, FailuresLeaveTheFilesAsTheyWere) {
    std::wstring folder = FolderOfPictures(L"fail", {L"locked.jpg", L"z.jpg"});
    std::wstring target = MakeFolderWith(L"fail-to", {});
    Mark(Join(folder, L"locked.jpg"), "locked picture");
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"locked.jpg") + L"\"");
    std::vector<ShellQuestion> asked;
    {
        LockedFile lock(Join(folder, L"locked.jpg"));
        ASSERT_NE(lock.handle, INVALID_HANDLE_VALUE);
        ShellQuestions answer(window_, IDYES, asked);
        Send(WM_COMMAND, IDM_DELETE);
        g_folderAnswer = target;
        Send(WM_COMMAND, IDM_MOVE);
        Send(WM_COMMAND, IDM_COPY);
    }
    ASSERT_EQ(boxes_.size(), 4u);
    ExpectBox(1, L"Fail to delete locked.jpg.", MB_OK | MB_ICONERROR);
    ExpectBox(2, L"Fail to move locked.jpg.", MB_OK | MB_ICONERROR);
    ExpectBox(3, L"Fail to copy locked.jpg", MB_OK | MB_ICONERROR);
    EXPECT_EQ(ReadWholeFile(Join(folder, L"locked.jpg")), "locked picture");
    EXPECT_FALSE(Exists(Join(target, L"locked.jpg")));
    EXPECT_EQ(state_->lastListIndex, 1);

    // Move and copy into the folder answered, both refused with their message.
    auto moveAndCopyFail = [&] {
        boxes_.clear();
        Send(WM_COMMAND, IDM_MOVE);
        Send(WM_COMMAND, IDM_COPY);
        ASSERT_EQ(boxes_.size(), 2u);
        ExpectBox(0, L"Fail to move locked.jpg.", MB_OK | MB_ICONERROR);
        ExpectBox(1, L"Fail to copy locked.jpg", MB_OK | MB_ICONERROR);
    };

    // A chosen folder that vanished before the move.
    ASSERT_TRUE(RemoveDirectoryW(target.c_str()));
    moveAndCopyFail();
    EXPECT_EQ(ReadWholeFile(Join(folder, L"locked.jpg")), "locked picture");

    // A folder whose path with the name would pass 259 characters, and one
    // whose path alone does not fit the remembered folder's 256.
    const std::wstring base = MakeFolderWith(L"deep", {});
    const std::wstring deep = base + L"\\" + std::wstring(252 - base.size(), L'd');
    ASSERT_EQ(deep.size(), 253u);
    for (const std::wstring& answer : {deep, deep + L"eeee"}) {
        g_folderAnswer = answer;
        moveAndCopyFail();
    }
    EXPECT_EQ(ReadWholeFile(Join(folder, L"locked.jpg")), "locked picture");
    EXPECT_EQ(state_->lastListIndex, 1);

    // A folder of the file's name stands in the target: it is not replaced.
    std::wstring blocked = MakeFolderWith(L"blocked", {});
    DeleteFileW(Join(blocked, L"locked.jpg\\inside.txt").c_str());  // left by an earlier run
    RemoveDirectoryW(Join(blocked, L"locked.jpg").c_str());
    ASSERT_TRUE(CreateDirectoryW(Join(blocked, L"locked.jpg").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(Join(blocked, L"locked.jpg\\inside.txt"), "kept"));
    g_folderAnswer = blocked;
    boxes_.clear();
    answers_ = {IDYES, IDOK, IDYES};
    Send(WM_COMMAND, IDM_COPY);
    Send(WM_COMMAND, IDM_MOVE);
    ASSERT_EQ(boxes_.size(), 4u);
    ExpectBox(1, L"Fail to copy locked.jpg", MB_OK);
    ExpectBox(3, L"Fail to move locked.jpg.", MB_OK | MB_ICONERROR);
    EXPECT_EQ(ReadWholeFile(Join(blocked, L"locked.jpg\\inside.txt")), "kept");
    EXPECT_EQ(ReadWholeFile(Join(folder, L"locked.jpg")), "locked picture");
}

// A replaced file waits under a free name beside the target until the move or
// copy is done, and is back in its place when that fails.
TEST_F(FileOperations, AReplacedFileIsRecycledOnlyOnceItsReplacementIsIn) {
    std::wstring folder = FolderOfPictures(L"aside", {L"same.jpg", L"z.jpg"});
    std::wstring target = MakeFolderWith(L"aside-to", {L"same.jpg", L"same (old).jpg"});
    Mark(Join(folder, L"same.jpg"), "moving");
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"same.jpg") + L"\"");
    g_folderAnswer = target;
    const int binned = CountInRecycleBin(L"same (old 2).jpg");
    {
        LockedFile lock(Join(folder, L"same.jpg"));
        answers_ = {IDYES, IDOK, IDYES, IDOK};
        Send(WM_COMMAND, IDM_MOVE);
        Send(WM_COMMAND, IDM_COPY);
    }
    ASSERT_EQ(boxes_.size(), 4u);
    ExpectBox(1, L"Fail to move same.jpg.", MB_OK | MB_ICONERROR);
    ExpectBox(3, L"Fail to copy same.jpg", MB_OK | MB_ICONERROR);
    EXPECT_EQ(ReadWholeFile(Join(target, L"same.jpg")), "same.jpg");
    EXPECT_EQ(ReadWholeFile(Join(target, L"same (old).jpg")), "same (old).jpg");
    EXPECT_FALSE(Exists(Join(target, L"same (old 2).jpg")));
    EXPECT_EQ(CountInRecycleBin(L"same (old 2).jpg"), binned);

    // A name that is taken is passed over; the user's file of that name stays.
    answers_ = {IDYES};
    Send(WM_COMMAND, IDM_COPY);
    EXPECT_EQ(ReadWholeFile(Join(target, L"same.jpg")), "moving");
    EXPECT_EQ(ReadWholeFile(Join(target, L"same (old).jpg")), "same (old).jpg");
    EXPECT_FALSE(Exists(Join(target, L"same (old 2).jpg")));
    EXPECT_EQ(CountInRecycleBin(L"same (old 2).jpg"), binned + 1);
    EXPECT_EQ(boxes_.size(), 5u);
}

TEST_F(FileOperations, ATargetThatCannotBeComparedWithTheSourceIsRefused) {
    // Linux lists a write-only attribute of its devices that no one can open
    // for reading; reached through Wine's drive Z:, it is a target that exists
    // but cannot be opened.
    const std::wstring devices = L"Z:\\sys\\bus\\cpu";
    const DWORD attributes = GetFileAttributesW(Join(devices, L"uevent").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        GTEST_SKIP() << "no file that exists but cannot be opened";
    }
    std::wstring folder = FolderOfPictures(L"unknown", {L"uevent", L"b.jpg"});
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"uevent") + L"\"");
    g_folderAnswer = devices;
    Send(WM_COMMAND, IDM_MOVE);
    Send(WM_COMMAND, IDM_COPY);
    ASSERT_EQ(boxes_.size(), 2u);
    ExpectBox(0, L"Fail to move uevent.", MB_OK | MB_ICONERROR);
    ExpectBox(1, L"Fail to copy uevent", MB_OK | MB_ICONERROR);
    EXPECT_TRUE(Exists(Join(folder, L"uevent")));
    EXPECT_EQ(state_->lastListIndex, 1);
}

TEST_F(FileOperations, AFileTheRecycleBinCannotTakeIsDeletedOnlyIfTheUserAgrees) {
    // Wine's recycle bin takes a file of another file system by copying it: a
    // program reading it, which lets it be deleted but not read, keeps it out.
    const std::wstring memory = L"Z:\\dev\\shm";
    if (!PathIsDirectoryW(memory.c_str())) GTEST_SKIP() << "no second file system";
    const std::wstring folder = memory + L"\\oxel-test-nuke-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string picture = ReadWholeFile(PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg");
    for (const wchar_t* name : {L"a.jpg", L"b.jpg"}) ASSERT_TRUE(WriteWholeFile(Join(folder, name), picture));
    const std::wstring shown = Join(folder, L"a.jpg");
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + shown + L"\"");
    for (WPARAM button : {IDNO, IDYES}) {
        HANDLE reader = CreateFileW(shown.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        std::vector<ShellQuestion> asked;
        {
            // Asked to delete it for ever, the user closes that program first.
            ShellQuestions answer(window_, button, asked, button == IDYES ? reader : nullptr);
            Send(WM_COMMAND, IDM_DELETE);
        }
        if (button == IDNO || asked.empty()) CloseHandle(reader);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].owner, window_);
        EXPECT_TRUE(asked[0].ownerDisabled);
        EXPECT_EQ(Exists(shown), button == IDNO);
        EXPECT_EQ(state_->lastListIndex, button == IDNO ? 1 : 0);
    }
    // Kept at the question, the file was not reported as failed.
    ASSERT_EQ(boxes_.size(), 2u);
    ExpectBox(0, L"Delete a.jpg?", MB_OKCANCEL | MB_ICONWARNING);
    ExpectBox(1, L"Delete a.jpg?", MB_OKCANCEL | MB_ICONWARNING);
    // The viewer made the folder the current one.
    SetCurrentDirectoryW(memory.c_str());
    DeleteFileW(Join(folder, L"b.jpg").c_str());
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

// The texts not met above, in the other language.
TEST_F(FileOperations, TheOtherLanguage) {
    std::wstring folder = FolderOfPictures(L"lang", {L"a.jpg"});
    std::wstring target = MakeFolderWith(L"lang-to", {});
    Create("[SystemSetting]\r\nEnglish=ON\r\n", L"\"" + Join(folder, L"a.jpg") + L"\"");
    state_->settings.English = 0;
    Send(WM_COMMAND, IDM_COPY);
    Send(WM_COMMAND, IDM_MOVE);
    EXPECT_EQ(g_dialogCalls[0].title, L"a.jpg をコピーするフォルダを選択してください。");
    EXPECT_EQ(g_dialogCalls[1].title, L"a.jpg を移動するフォルダを選択してください。");
    g_folderAnswer = target;
    std::vector<ShellQuestion> asked;
    {
        LockedFile lock(Join(folder, L"a.jpg"));
        ShellQuestions answer(window_, IDYES, asked);
        Send(WM_COMMAND, IDM_DELETE);
        Send(WM_COMMAND, IDM_MOVE);
        Send(WM_COMMAND, IDM_COPY);
    }
    ASSERT_TRUE(CreateDirectoryW(Join(target, L"a.jpg").c_str(), nullptr));
    answers_ = {IDYES};
    Send(WM_COMMAND, IDM_COPY);
    ASSERT_TRUE(RemoveDirectoryW(Join(target, L"a.jpg").c_str()));
    ASSERT_EQ(boxes_.size(), 6u);
    ExpectBox(1, L"a.jpg の削除に失敗しました。", MB_OK | MB_ICONERROR);
    ExpectBox(2, L"a.jpg の移動に失敗しました。", MB_OK | MB_ICONERROR);
    ExpectBox(3, L"a.jpg のコピーに失敗しました。", MB_OK | MB_ICONERROR);
    ExpectBox(5, L"a.jpg のコピーに失敗しました。", MB_OK);
    ASSERT_TRUE(MoveFileW(Join(folder, L"a.jpg").c_str(), Join(target, L"a.jpg").c_str()));
    boxes_.clear();
    Send(WM_COMMAND, IDM_DELETE);
    ASSERT_EQ(boxes_.size(), 1u);
    ExpectBox(0, L"a.jpg は削除されています。", MB_OK | MB_ICONERROR);
    // Moved back, and moved away by the viewer: the emptied list in English.
    ASSERT_TRUE(MoveFileW(Join(target, L"a.jpg").c_str(), Join(folder, L"a.jpg").c_str()));
    state_->settings.English = 1;
    boxes_.clear();
    Send(WM_COMMAND, IDM_MOVE);
    ASSERT_EQ(boxes_.size(), 1u);
    ExpectBox(0, L"File is gone.", MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(SmallIcon(), ResourceIcon(L"OxelICON_SM_X"));
    EXPECT_TRUE(Exists(Join(target, L"a.jpg")));
}

}  // namespace

namespace {

std::vector<std::wstring> g_selections;

LRESULT CALLBACK RecordingDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BFFM_SETSELECTIONW && wParam) g_selections.push_back(reinterpret_cast<const wchar_t*>(lParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

// The callback on a stand-in for the folder dialog: a window with a real
// tree whose selected item lies outside the view.
TEST(BrowseFolderCallback, SelectsTheStartFolderAndScrollsItIntoViewOnce) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW type = {};
    type.lpfnWndProc = RecordingDialogProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"OxelTestFolderDialog";
    RegisterClassW(&type);
    HWND dialog = CreateWindowW(L"OxelTestFolderDialog", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                type.hInstance, nullptr);
    HWND tree = CreateWindowW(WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, dialog, nullptr,
                              type.hInstance, nullptr);
    ASSERT_NE(tree, nullptr);
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 60; ++i) {
        std::wstring text = L"folder " + std::to_wstring(i);
        TVINSERTSTRUCTW insert = {};
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = &text[0];
        items.push_back(reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert))));
    }
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[50]));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[0]));
    ASSERT_EQ(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0), reinterpret_cast<LRESULT>(items[0]));

    wchar_t start[256] = L"C:\\windows";
    g_selections.clear();
    const LPARAM data = reinterpret_cast<LPARAM>(start);
    EXPECT_EQ(BrowseFolderCallback(dialog, BFFM_SELCHANGED, 0, data), 0);  // not armed yet
    EXPECT_TRUE(g_selections.empty());
    EXPECT_EQ(BrowseFolderCallback(dialog, BFFM_INITIALIZED, 0, data), 0);
    EXPECT_EQ(BrowseFolderCallback(dialog, BFFM_SELCHANGED, 0, data), 0);
    EXPECT_EQ(g_selections, (std::vector<std::wstring>{start, start}));
    EXPECT_NE(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0), reinterpret_cast<LRESULT>(items[0]));
    // Disarmed: the user's own choices are left alone.
    SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[0]));
    EXPECT_EQ(BrowseFolderCallback(dialog, BFFM_SELCHANGED, 0, data), 0);
    EXPECT_EQ(g_selections.size(), 2u);
    EXPECT_EQ(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0), reinterpret_cast<LRESULT>(items[0]));
    DestroyWindow(dialog);
}

}  // namespace
