// The temporary folder; see temp_folder.h. A viewer's folder is named
// "<process id>-<start time as 16 hex digits>".
#include "viewer/plugins/temp_folder.h"

#include <shlwapi.h>

#include <cstdint>
#include <cwchar>

namespace {

uint64_t StartTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

bool ProcessFolderName(DWORD processId, uint64_t started, wchar_t (&name)[32]) {
    return swprintf(name, 32, L"%lu-%016llx", static_cast<unsigned long>(processId),
                    static_cast<unsigned long long>(started)) > 0;
}

// Whether `name` is a viewer's folder name, and whose.
bool ParseProcessFolderName(const wchar_t* name, DWORD& processId, uint64_t& started) {
    const wchar_t* dash = wcschr(name, L'-');
    if (!dash || dash == name || dash - name > 10 || wcslen(dash + 1) != 16) return false;
    uint64_t id = 0;
    for (const wchar_t* p = name; p < dash; ++p) {
        if (*p < L'0' || *p > L'9') return false;
        id = id * 10 + static_cast<uint64_t>(*p - L'0');
    }
    uint64_t time = 0;
    for (const wchar_t* p = dash + 1; *p; ++p) {
        int digit = (*p >= L'0' && *p <= L'9') ? *p - L'0' : (*p >= L'a' && *p <= L'f') ? *p - L'a' + 10 : -1;
        if (digit < 0) return false;
        time = (time << 4) | static_cast<uint64_t>(digit);
    }
    if (id > MAXDWORD) return false;
    processId = static_cast<DWORD>(id);
    started = time;
    return true;
}

// A folder is stale when its process has ended or its id belongs to another
// process now; a process that may not be asked is taken as running.
bool IsStale(DWORD processId, uint64_t started) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD exitCode = 0;
    bool stale = StartTime(process) != started ||
                 (GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE);
    CloseHandle(process);
    return stale;
}

struct FolderName {
    wchar_t text[MAX_PATH];
};

FolderName NameProcessFolder() {
    FolderName name = {};
    wchar_t temp[MAX_PATH];
    wchar_t leaf[32];
    TemporaryFolder(temp);
    if (!temp[0] || !ProcessFolderName(GetCurrentProcessId(), StartTime(GetCurrentProcess()), leaf) ||
        !PathCombineW(name.text, temp, leaf)) {
        name.text[0] = L'\0';
    }
    return name;
}

// Named once per process, by whichever thread asks first: it is asked for on
// every member extracted.
bool ProcessFolder(wchar_t (&folder)[MAX_PATH]) {
    static const FolderName name = NameProcessFolder();
    lstrcpynW(folder, name.text, MAX_PATH);
    return folder[0] != L'\0';
}

// Held from making this viewer's folder until something is in it, and around
// its removal: the window's thread and the read-ahead thread both extract.
SRWLOCK folderLock = SRWLOCK_INIT;

struct FolderLocked {
    FolderLocked() { AcquireSRWLockExclusive(&folderLock); }
    ~FolderLocked() { ReleaseSRWLockExclusive(&folderLock); }
    FolderLocked(const FolderLocked&) = delete;
    FolderLocked& operator=(const FolderLocked&) = delete;
};

void RemoveTree(const wchar_t* folder, int depth) {
    wchar_t pattern[MAX_PATH];
    WIN32_FIND_DATAW found;
    HANDLE search = PathCombineW(pattern, folder, L"*") ? FindFirstFileW(pattern, &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!wcscmp(found.cFileName, L".") || !wcscmp(found.cFileName, L"..")) continue;
            wchar_t path[MAX_PATH];
            if (!PathCombineW(path, folder, found.cFileName)) continue;
            const DWORD attributes = found.dwFileAttributes;
            if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW(path);
            } else if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && depth < 32) {
                RemoveTree(path, depth + 1);
            } else {
                RemoveDirectoryW(path);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder);
}

}  // namespace

void TemporaryFolder(wchar_t (&folder)[MAX_PATH]) {
    wchar_t temp[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH || !PathCombineW(folder, temp, L"Oxel")) folder[0] = L'\0';
}

bool MakeProcessFolder(wchar_t (&folder)[MAX_PATH]) {
    if (!ProcessFolder(folder)) return false;
    if (CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    wchar_t temp[MAX_PATH];
    TemporaryFolder(temp);
    if (GetLastError() == ERROR_PATH_NOT_FOUND && temp[0] && CreateDirectoryW(temp, nullptr) &&
        CreateDirectoryW(folder, nullptr)) {
        return true;
    }
    folder[0] = L'\0';
    return false;
}

HANDLE CreateProcessFolderFile(const wchar_t* name, wchar_t (&path)[MAX_PATH]) {
    FolderLocked locked;
    wchar_t folder[MAX_PATH];
    if (!MakeProcessFolder(folder)) return INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t candidate[MAX_PATH];
        if (attempt == 0) lstrcpynW(candidate, name, MAX_PATH);
        else swprintf(candidate, MAX_PATH, L"%d~%ls", attempt, name);
        if (!PathCombineW(path, folder, candidate) || lstrlenW(path) >= MAX_PATH - 1) break;
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    path[0] = L'\0';
    return INVALID_HANDLE_VALUE;
}

bool MakeProcessSubfolder(wchar_t (&folder)[MAX_PATH]) {
    FolderLocked locked;
    wchar_t own[MAX_PATH];
    if (MakeProcessFolder(own)) {
        for (int attempt = 1; attempt < 100; ++attempt) {
            wchar_t leaf[16];
            swprintf(leaf, 16, L"%d~", attempt);
            if (PathCombineW(folder, own, leaf) && CreateDirectoryW(folder, nullptr)) return true;
        }
    }
    folder[0] = L'\0';
    return false;
}

void RemoveProcessFolderIfEmpty() {
    FolderLocked locked;
    wchar_t folder[MAX_PATH];
    if (ProcessFolder(folder)) RemoveDirectoryW(folder);
}

void PrepareTemporaryFolder() {
    wchar_t temp[MAX_PATH];
    TemporaryFolder(temp);
    if (!temp[0]) return;
    CreateDirectoryW(temp, nullptr);
    wchar_t pattern[MAX_PATH];
    WIN32_FIND_DATAW found;
    HANDLE search = PathCombineW(pattern, temp, L"*") ? FindFirstFileW(pattern, &found) : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DWORD processId = 0;
        uint64_t started = 0;
        wchar_t path[MAX_PATH];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            ParseProcessFolderName(found.cFileName, processId, started) && IsStale(processId, started) &&
            PathCombineW(path, temp, found.cFileName)) {
            RemoveFolderTree(path);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void RemoveTemporaryFolder() {
    wchar_t folder[MAX_PATH];
    if (ProcessFolder(folder)) RemoveFolderTree(folder);
    TemporaryFolder(folder);
    if (folder[0]) RemoveDirectoryW(folder);
}

void RemoveFolderTree(const wchar_t* folder) {
    // A link in place of the folder itself is removed, not followed.
    DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveDirectoryW(folder);
        return;
    }
    RemoveTree(folder, 0);
}
