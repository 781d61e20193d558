// Path comparisons; see path_checks.h.
#include "viewer/fileops/path_checks.h"

#include <shlwapi.h>

#include <string>

bool IsSameFolder(const wchar_t* a, const wchar_t* b) {
    wchar_t left[MAX_PATH + 1], right[MAX_PATH + 1];
    lstrcpynW(left, a, MAX_PATH);
    lstrcpynW(right, b, MAX_PATH);
    PathAddBackslashW(left);
    PathAddBackslashW(right);
    return lstrcmpiW(left, right) == 0;
}

FileIdentity CompareFiles(const wchar_t* a, const wchar_t* b) {
    BY_HANDLE_FILE_INFORMATION facts[2];
    const wchar_t* paths[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        HANDLE file = CreateFileW(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return FileIdentity::kUnknown;
        const BOOL read = GetFileInformationByHandle(file, &facts[i]);
        CloseHandle(file);
        if (!read) return FileIdentity::kUnknown;
    }
    const bool same = facts[0].dwVolumeSerialNumber == facts[1].dwVolumeSerialNumber &&
                      facts[0].nFileIndexHigh == facts[1].nFileIndexHigh &&
                      facts[0].nFileIndexLow == facts[1].nFileIndexLow;
    return same ? FileIdentity::kSame : FileIdentity::kDifferent;
}

bool IsSameFile(const wchar_t* a, const wchar_t* b) { return CompareFiles(a, b) == FileIdentity::kSame; }

void ParentFolder(const wchar_t* path, wchar_t (&folder)[MAX_PATH]) {
    lstrcpynW(folder, path, MAX_PATH);
    PathRemoveFileSpecW(folder);
}

bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t (&joined)[MAX_PATH]) {
    std::wstring text = folder;
    if (!text.empty() && text.back() != L'\\') text += L'\\';
    text += name;
    if (text.size() >= MAX_PATH) return false;
    lstrcpynW(joined, text.c_str(), MAX_PATH);
    return true;
}
