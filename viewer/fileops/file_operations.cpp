// Delete, move and copy; see file_operations.h. Every box is owned by the main
// window and goes through the message-box seam, the folder dialog through the
// dialog seam; the shell's own questions are owned by the main window too. A
// step that fails ends the operation with its message and leaves the user's
// files as they were.
#include "viewer/fileops/file_operations.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>

#include "viewer/core/dialogs.h"
#include "viewer/core/message_box.h"
#include "viewer/core/viewer_state.h"
#include "viewer/fileops/aside_name.h"
#include "viewer/fileops/path_checks.h"

namespace {

enum class Text {
    kDeleted,
    kConfirmDelete,
    kDeleteFailed,
    kFileGone,
    kMoveTitle,
    kCopyTitle,
    kSameFolder,
    kSameName,
    kMoveFailed,
    kCopyRemoveFailed,
    kCopyFailed,
};

struct TextRow {
    const wchar_t* english;
    const wchar_t* japanese;
    UINT flags;
};

// In the order of Text. "%s" stands for the file's name.
const TextRow kTexts[] = {
    {L"%s was deleted.", L"%s は削除されています。", MB_OK | MB_ICONERROR},
    {L"Delete %s?", L"%s を削除します。", MB_OKCANCEL | MB_ICONWARNING},
    {L"Fail to delete %s.", L"%s の削除に失敗しました。", MB_OK | MB_ICONERROR},
    {L"File is gone.", L"フォルダにファイルが無くなりました。", MB_OK | MB_ICONINFORMATION},
    {L"Select folder to move %s.", L"%s を移動するフォルダを選択してください。", 0},
    {L"Select folder to copy %s.", L"%s をコピーするフォルダを選択してください。", 0},
    {L"Select same folder as current.", L"現在と同じフォルダが選択されました。", MB_OK | MB_ICONERROR},
    {L"Same name file exists.\nOver Write?", L"指定されたフォルダには同じ名前のファイルが存在します。\n置き換えますか？",
     MB_YESNO | MB_ICONWARNING},
    {L"Fail to move %s.", L"%s の移動に失敗しました。", MB_OK | MB_ICONERROR},
    {L"Fail to copy %s", L"%s のコピーに失敗しました。", MB_OK},
    {L"Fail to copy %s", L"%s のコピーに失敗しました。", MB_OK | MB_ICONERROR},
};

std::wstring Wording(const ViewerState& state, Text which, const wchar_t* fileName) {
    const TextRow& row = kTexts[static_cast<int>(which)];
    std::wstring text = state.settings.English ? row.english : row.japanese;
    // The name is put in as it is: a '%' in it is no format.
    size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, fileName);
    return text;
}

int Tell(ViewerState& state, Text which, const wchar_t* fileName) {
    return ShowMessageBox(state.window, Wording(state, which, fileName).c_str(), L"Oxel",
                          kTexts[static_cast<int>(which)].flags);
}

// The shown file, copied out of the list: a box's modal loop may let the
// window re-read its list meanwhile.
struct SourceFile {
    wchar_t path[MAX_PATH];
    const wchar_t* name;
    wchar_t folder[MAX_PATH];
};

void TakeSource(const ViewerState& state, SourceFile& source) {
    lstrcpynW(source.path, state.fileList.paths[state.currentIndex].c_str(), MAX_PATH);
    source.name = PathFindFileNameW(source.path);
    ParentFolder(source.path, source.folder);
}

// Points `currentIndex` at `path` again if the list moved under a box. False
// when the list no longer holds it: then no entry may be taken out, since the
// current one is another file.
bool FindEntryAgain(ViewerState& state, const wchar_t* path) {
    const std::vector<std::wstring>& paths = state.fileList.paths;
    if (state.currentIndex >= 0 && static_cast<size_t>(state.currentIndex) < paths.size() &&
        lstrcmpiW(paths[state.currentIndex].c_str(), path) == 0) {
        return true;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        if (lstrcmpiW(paths[i].c_str(), path) == 0) {
            state.currentIndex = static_cast<int32_t>(i);
            return true;
        }
    }
    return false;
}

enum class Choice { kCancelled, kChosen, kTooLong };

// The folder dialog, started on `destinationFolder`; the choice is written
// back there. A folder whose path does not fit the 256 characters of
// `destinationFolder` is refused rather than cut into another folder.
Choice ChooseFolder(ViewerState& state, Text title, const wchar_t* fileName) {
    // The dialog writes up to MAX_PATH characters of display name.
    wchar_t displayName[MAX_PATH] = L"";
    const std::wstring titleText = Wording(state, title, fileName);
    BROWSEINFOW info = {};
    info.hwndOwner = state.window;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = titleText.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseFolderCallback;
    info.lParam = reinterpret_cast<LPARAM>(state.destinationFolder);
    PIDLIST_ABSOLUTE chosen = ShowFolderDialog(&info);
    if (!chosen) return Choice::kCancelled;
    wchar_t folder[MAX_PATH] = L"";
    const BOOL isPath = SHGetPathFromIDListW(chosen, folder);
    CoTaskMemFree(chosen);
    if (!isPath || !folder[0] || state.closing) return Choice::kCancelled;
    const size_t capacity = sizeof state.destinationFolder / sizeof state.destinationFolder[0];
    if (static_cast<size_t>(lstrlenW(folder)) >= capacity) return Choice::kTooLong;
    lstrcpynW(state.destinationFolder, folder, static_cast<int>(capacity));
    return Choice::kChosen;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// A drive without its medium fails the step, which says so in its own
// message, instead of raising the system's box, which no window owns.
struct QuietDriveErrors {
    DWORD previous = 0;
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous); }
    ~QuietDriveErrors() { SetThreadErrorMode(previous, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;
};

// Names tried for the aside file before the replace is given up.
constexpr size_t kAsideAttempts = 100;

// Renames the file at `target` to a free name in its folder, written to
// `aside`. The file being replaced is recycled only once its replacement is
// in: where the recycle bin cannot take it, it would be deleted for ever, and
// lost with a move that then fails.
bool SetAside(const wchar_t* target, wchar_t (&aside)[MAX_PATH]) {
    wchar_t folder[MAX_PATH];
    ParentFolder(target, folder);
    const size_t folderLength = static_cast<size_t>(lstrlenW(folder));
    const size_t separator = folderLength > 0 && folder[folderLength - 1] == L'\\' ? 0 : 1;
    if (folderLength + separator + 1 >= MAX_PATH) return false;
    const size_t room = MAX_PATH - 1 - folderLength - separator;
    for (size_t attempt = 0; attempt < kAsideAttempts; ++attempt) {
        const std::wstring name = AsideName(PathFindFileNameW(target), attempt, room);
        if (name.empty() || !JoinPath(folder, name.c_str(), aside)) return false;
        // MoveFileW never replaces: a name that is taken, even meanwhile, is skipped.
        if (MoveFileW(target, aside)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

// The shared part of move and copy, then the move or copy itself. True when
// the file was moved and the list still holds it at `currentIndex`.
bool TransferCurrentFile(ViewerState& state, bool move) {
    const Text failed = move ? Text::kMoveFailed : Text::kCopyFailed;
    SourceFile source;
    TakeSource(state, source);
    if (!PathFileExistsW(source.path)) {
        Tell(state, Text::kDeleted, source.name);
        return false;
    }
    switch (ChooseFolder(state, move ? Text::kMoveTitle : Text::kCopyTitle, source.name)) {
    case Choice::kCancelled:
        return false;
    case Choice::kTooLong:
        Tell(state, failed, source.name);
        return false;
    case Choice::kChosen:
        break;
    }
    wchar_t target[MAX_PATH];
    if (IsSameFolder(source.folder, state.destinationFolder)) {
        Tell(state, Text::kSameFolder, source.name);
        return false;
    }
    if (!JoinPath(state.destinationFolder, source.name, target)) {
        Tell(state, failed, source.name);
        return false;
    }
    QuietDriveErrors quiet;
    if (Exists(target)) {
        // The same folder under another name (a short name, a link) would
        // make the file its own target, and replacing it would lose it. A
        // target that cannot be compared may be that one file too.
        switch (CompareFiles(source.path, target)) {
        case FileIdentity::kSame:
            Tell(state, Text::kSameFolder, source.name);
            return false;
        case FileIdentity::kUnknown:
            Tell(state, failed, source.name);
            return false;
        case FileIdentity::kDifferent:
            break;
        }
    }
    // Set aside, the replaced file stays whole until its replacement is in.
    wchar_t aside[MAX_PATH] = L"";
    if (Exists(target)) {
        if (Tell(state, Text::kSameName, source.name) != IDYES || state.closing) return false;
        // A folder of that name is not replaced.
        if (PathIsDirectoryW(target) || !SetAside(target, aside)) {
            Tell(state, move ? Text::kMoveFailed : Text::kCopyRemoveFailed, source.name);
            return false;
        }
    }
    const BOOL done = move ? MoveFileW(source.path, target) : CopyFileW(source.path, target, TRUE);
    if (!done) {
        // Nothing stood at the target now: whatever a broken-off copy left
        // there is ours, and goes while the source is still whole. A file
        // that another program put there meanwhile is not ours, and keeps the
        // replaced one under its aside name.
        const DWORD error = GetLastError();
        const bool appeared = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (!appeared && Exists(target) && Exists(source.path)) DeleteFileW(target);
        if (aside[0]) MoveFileW(aside, target);
        Tell(state, failed, source.name);
        return false;
    }
    // Where the bin cannot take the replaced file, the shell asks before it
    // is deleted for ever; kept, it stays beside under its aside name.
    if (aside[0]) SendToRecycleBin(state.window, aside, false);
    if (state.closing) return false;
    return move && FindEntryAgain(state, source.path);
}

bool g_selectionPending = false;

BOOL CALLBACK FindTreeChild(HWND child, LPARAM found) {
    wchar_t className[64];
    if (GetClassNameW(child, className, 64) && lstrcmpiW(className, WC_TREEVIEWW) == 0) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

RecycleResult SendToRecycleBin(HWND owner, const wchar_t* path, bool ownErrorMessage) {
    const size_t length = static_cast<size_t>(lstrlenW(path));
    if (length == 0 || length >= MAX_PATH) return RecycleResult::kFailed;
    // A list of one name, ended by two zero characters.
    wchar_t list[MAX_PATH + 1] = {};
    lstrcpynW(list, path, MAX_PATH);
    SHFILEOPSTRUCTW operation = {};
    // The shell's question and error boxes are modal to the owner: without
    // one they would stand beside a window that still takes commands.
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    // No question for the recycle bin, which the caller has asked already,
    // but one before a file that the bin cannot take is deleted for ever.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;
    if (ownErrorMessage) operation.fFlags |= FOF_NOERRORUI;
    const int result = SHFileOperationW(&operation);
    // Some shells answer 0 for a file they left in place.
    if (!Exists(path)) return RecycleResult::kGone;
    if (operation.fAnyOperationsAborted || result == ERROR_CANCELLED) return RecycleResult::kKept;
    return RecycleResult::kFailed;
}

ListChange RemoveCurrentEntry(ViewerState& state) {
    FileList& list = state.fileList;
    --state.lastListIndex;
    if (state.lastListIndex < 0) {
        state.lastListIndex = -1;
        state.currentIndex = 0;
        list.paths.clear();
        list.facts.clear();
        Tell(state, Text::kFileGone, L"");
        return ListChange::kEmptied;
    }
    const size_t at = static_cast<size_t>(state.currentIndex);
    if (at < list.facts.size() && list.facts.size() == list.paths.size()) list.facts.erase(list.facts.begin() + at);
    if (at < list.paths.size()) list.paths.erase(list.paths.begin() + at);
    state.currentIndex = std::min(state.currentIndex, state.lastListIndex);
    return ListChange::kRemoved;
}

ListChange DeleteCurrentFile(ViewerState& state) {
    SourceFile source;
    TakeSource(state, source);
    if (!PathFileExistsW(source.path)) {
        Tell(state, Text::kDeleted, source.name);
        return ListChange::kUnchanged;
    }
    if (Tell(state, Text::kConfirmDelete, source.name) != IDOK || state.closing) return ListChange::kUnchanged;
    QuietDriveErrors quiet;
    const RecycleResult recycled = SendToRecycleBin(state.window, source.path, true);
    // The shell's question runs a message loop of its own.
    if (state.closing) return ListChange::kUnchanged;
    if (recycled != RecycleResult::kGone) {
        // Kept at the shell's question, as the user chose: no failure.
        if (recycled == RecycleResult::kFailed) Tell(state, Text::kDeleteFailed, source.name);
        return ListChange::kUnchanged;
    }
    if (state.lastListIndex < 0 || !FindEntryAgain(state, source.path)) return ListChange::kUnchanged;
    return RemoveCurrentEntry(state);
}

ListChange MoveCurrentFile(ViewerState& state) {
    if (!TransferCurrentFile(state, true) || state.lastListIndex < 0) return ListChange::kUnchanged;
    return RemoveCurrentEntry(state);
}

void CopyCurrentFile(ViewerState& state) { TransferCurrentFile(state, false); }

int CALLBACK BrowseFolderCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
        g_selectionPending = true;
    } else if (message == BFFM_SELCHANGED && g_selectionPending) {
        // Disarmed first: the selection set here reports a change of its own.
        g_selectionPending = false;
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
        // The new-style dialog keeps its tree in a child window.
        HWND tree = nullptr;
        EnumChildWindows(dialog, FindTreeChild, reinterpret_cast<LPARAM>(&tree));
        if (!tree) tree = dialog;
        LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
        if (item) SendMessageW(tree, TVM_ENSUREVISIBLE, 0, item);
        Sleep(0);
    }
    return 0;
}
