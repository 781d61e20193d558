// Enumeration, lookup, opening and the activation check of the file list; see
// file_list.h.
#include "viewer/filelist/file_list.h"

#include <shlwapi.h>

#include <cwchar>

#include "viewer/core/viewer_state.h"
#include "viewer/display/geometry.h"
#include "viewer/filelist/explorer_sync.h"
#include "viewer/filelist/list_rules.h"
#include "viewer/filelist/sort_order.h"

namespace {

// Compares as the list's lookup does: on copies of at most 259 characters,
// ignoring case.
bool PathsEqualIgnoringCase(const wchar_t* a, const wchar_t* b) {
    wchar_t left[MAX_PATH], right[MAX_PATH];
    lstrcpynW(left, a, MAX_PATH);
    lstrcpynW(right, b, MAX_PATH);
    return _wcsicmp(left, right) == 0;
}

void ReleasePicture(ViewerState& state) { FreePictureBitmaps(state.picture.bitmap, state.displayBitmap); }

}  // namespace

void FolderOf(const wchar_t* path, wchar_t (&folder)[MAX_PATH]) {
    lstrcpynW(folder, path, MAX_PATH);
    PathRemoveFileSpecW(folder);
}

void EnumerateFolder(const wchar_t* folder, const Settings& settings, FileList& list) {
    list.paths.clear();
    list.facts.clear();
    wchar_t pattern[MAX_PATH + 8];
    swprintf(pattern, MAX_PATH + 8, L"%ls\\*.*", folder);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DWORD attributes = found.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if ((attributes & FILE_ATTRIBUTE_SYSTEM) && settings.ignoreSystemFile) continue;
        if ((attributes & FILE_ATTRIBUTE_HIDDEN) && settings.ignoreHiddenFile) continue;
        wchar_t path[MAX_PATH];
        // A name that would not fit a path buffer could not be opened later.
        if (!PathCombineW(path, folder, found.cFileName)) continue;
        list.paths.push_back(path);
        list.facts.push_back({found.nFileSizeLow, FileTimeValue(found.ftCreationTime), FileTimeValue(found.ftLastWriteTime)});
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

int32_t FindInList(const FileList& list, const wchar_t* path) {
    return FindPathIndex(list.paths, path, PathsEqualIgnoringCase);
}

bool OpenPath(ViewerState& state, const wchar_t* given) {
    // A relative name ("b.png" typed in its own folder) is taken from the
    // current folder; the list is built from the full path.
    wchar_t full[MAX_PATH];
    const wchar_t* path = given;
    if (given[0]) {
        DWORD length = GetFullPathNameW(given, MAX_PATH, full, nullptr);
        if (length > 0 && length < MAX_PATH) path = full;
    }
    const bool fits = wcslen(path) < MAX_PATH;
    if (fits) {
        FolderOf(path, state.currentFolder);
    } else {
        state.currentFolder[0] = L'\0';
    }
    SetCurrentDirectoryW(state.currentFolder);
    if (fits && path[0] && PathFileExistsW(path)) {
        if (state.settings.Explorer) AdoptExplorerSortOrder(state);
        EnumerateFolder(state.currentFolder, state.settings, state.fileList);
        SortFileList(state.fileList, state.settings);
        state.currentIndex = FindInList(state.fileList, path);
        state.lastListIndex = static_cast<int32_t>(state.fileList.paths.size()) - 1;
        return true;
    }
    // Nothing of the previous file stays on screen after a failed open.
    state.lastListIndex = -1;
    state.currentIndex = 0;
    state.fileList.paths.clear();
    state.fileList.facts.clear();
    ReleasePicture(state);
    return false;
}

FolderRefresh RefreshOnActivate(ViewerState& state) {
    if (!state.keySendingOn || state.lastListIndex == -1 || state.fileList.paths.empty()) {
        return FolderRefresh::kUnchanged;
    }
    wchar_t folder[MAX_PATH];
    FolderOf(state.fileList.paths[0].c_str(), folder);
    FileList fresh;
    EnumerateFolder(folder, state.settings, fresh);
    SortFileList(fresh, state.settings);
    if (SameListing(fresh.paths, state.fileList.paths)) return FolderRefresh::kUnchanged;

    if (state.settings.RereadFileList) {
        std::wstring shown = state.fileList.paths[state.currentIndex];
        if (PathFileExistsW(shown.c_str())) {
            EnumerateFolder(state.currentFolder, state.settings, state.fileList);
            SortFileList(state.fileList, state.settings);
            state.currentIndex = FindInList(state.fileList, shown.c_str());
            state.lastListIndex = static_cast<int32_t>(state.fileList.paths.size()) - 1;
            // The shown file may have been listed in another form (a changed
            // case); with nothing left the list is gone.
            if (state.lastListIndex == -1) state.currentIndex = 0;
        } else {
            ReleasePicture(state);
            state.picture.width = kStatusMissing;
        }
        InvalidateRect(state.window, nullptr, FALSE);
        UpdateWindow(state.window);
        return FolderRefresh::kReread;
    }

    state.keySendingOn = 0;
    return FolderRefresh::kKeySendingStopped;
}
