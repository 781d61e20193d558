// Sorting of the file list; see sort_order.h. Each key is read once per entry
// before the sort instead of inside every comparison, so a folder of n files
// costs n opens, not n log n, and a file that changes during the sort cannot
// make the order inconsistent.
#include "viewer/filelist/sort_order.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>
#include <map>

#include "viewer/filelist/list_rules.h"

namespace {

struct NameKeys {
    std::vector<const wchar_t*> names;
    bool logical;
};

int CompareNames(const void* keys, size_t i, size_t j) {
    const NameKeys* k = static_cast<const NameKeys*>(keys);
    return k->logical ? StrCmpLogicalW(k->names[i], k->names[j]) : lstrcmpiW(k->names[i], k->names[j]);
}

int CompareTexts(const void* keys, size_t i, size_t j) {
    const std::vector<std::wstring>* k = static_cast<const std::vector<std::wstring>*>(keys);
    return _wcsicmp((*k)[i].c_str(), (*k)[j].c_str());
}

void SortByName(FileList& list, const Settings& settings) {
    NameKeys keys;
    keys.logical = !settings.NoLogicalSort;
    keys.names.reserve(list.paths.size());
    for (const std::wstring& path : list.paths) keys.names.push_back(PathFindFileNameW(path.c_str()));
    // The name pointers point into the paths, which StableReorder moves only
    // after the last comparison.
    StableReorder(list.paths, &keys, CompareNames, settings.SortDescending != 0);
}

std::vector<std::wstring> ExtensionKeys(const FileList& list) {
    std::vector<std::wstring> keys;
    keys.reserve(list.paths.size());
    for (const std::wstring& path : list.paths) keys.push_back(PathFindExtensionW(path.c_str()));
    return keys;
}

// The shell's type name, asked by name only (the file is not opened). With the
// attributes given, the answer depends on the extension alone, so it is asked
// once per extension.
std::vector<std::wstring> TypeKeys(const FileList& list) {
    std::map<std::wstring, std::wstring> byExtension;
    std::vector<std::wstring> keys;
    keys.reserve(list.paths.size());
    for (const std::wstring& path : list.paths) {
        std::wstring extension = PathFindExtensionW(path.c_str());
        CharLowerW(&extension[0]);
        auto known = byExtension.find(extension);
        if (known == byExtension.end()) {
            SHFILEINFOW info = {};
            SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
            known = byExtension.emplace(extension, info.szTypeName).first;
        }
        keys.push_back(known->second);
    }
    return keys;
}

// Opens the file as the size and time keys require (read access, no sharing).
HANDLE OpenForKeys(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::vector<uint32_t> SizeKeys(const FileList& list) {
    std::vector<uint32_t> keys;
    keys.reserve(list.paths.size());
    for (const std::wstring& path : list.paths) {
        HANDLE file = OpenForKeys(path);
        if (file == INVALID_HANDLE_VALUE) {
            keys.push_back(0xFFFFFFFFu);
            continue;
        }
        keys.push_back(GetFileSize(file, nullptr));
        CloseHandle(file);
    }
    return keys;
}

// Unreadable times sort as the latest, as unreadable sizes sort as the largest.
std::vector<uint64_t> TimeKeys(const FileList& list, bool creation) {
    std::vector<uint64_t> keys;
    keys.reserve(list.paths.size());
    for (const std::wstring& path : list.paths) {
        uint64_t key = ~0ull;
        HANDLE file = OpenForKeys(path);
        if (file != INVALID_HANDLE_VALUE) {
            FILETIME created, written;
            if (GetFileTime(file, &created, nullptr, &written)) {
                const FILETIME& t = creation ? created : written;
                key = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
            }
            CloseHandle(file);
        }
        keys.push_back(key);
    }
    return keys;
}

}  // namespace

void SortFileList(FileList& list, const Settings& settings) {
    SortKeyKind kind = SortKeyOf(settings.SortMethod);
    if (kind == kKeepOrder) return;
    SortByName(list, settings);
    bool descending = settings.SortDescending != 0;
    switch (kind) {
    case kByExtension: {
        std::vector<std::wstring> keys = ExtensionKeys(list);
        StableReorder(list.paths, &keys, CompareTexts, descending);
        break;
    }
    case kByType: {
        std::vector<std::wstring> keys = TypeKeys(list);
        StableReorder(list.paths, &keys, CompareTexts, descending);
        break;
    }
    case kBySize: {
        std::vector<uint32_t> keys = SizeKeys(list);
        StableReorder(list.paths, keys.data(), CompareUnsigned32, descending);
        break;
    }
    case kByCreation:
    case kByLastWrite: {
        std::vector<uint64_t> keys = TimeKeys(list, kind == kByCreation);
        StableReorder(list.paths, keys.data(), CompareUnsigned64, descending);
        break;
    }
    default:
        break;
    }
}
