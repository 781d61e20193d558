// Sorting of the file list; see sort_order.h. Each key is read once per entry
// before the sort instead of inside every comparison, so that a file that
// changes during the sort cannot make the order inconsistent. Sizes and times
// come from the folder listing: sorting opens no file, so it neither slows
// down on large folders nor keeps another program from its own files.
#include "viewer/filelist/sort_order.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>
#include <map>

#include "viewer/filelist/list_rules.h"

namespace {

// The size and time keys of every entry: those of the folder listing, or, for
// a list made otherwise, the attributes read by name. A file that cannot be
// read sorts as the largest and latest.
std::vector<FileFacts> FactsOf(const FileList& list) {
    if (list.facts.size() == list.paths.size()) return list.facts;
    std::vector<FileFacts> facts;
    facts.reserve(list.paths.size());
    for (const std::wstring& path : list.paths) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
            facts.push_back({0xFFFFFFFFu, ~0ull, ~0ull});
            continue;
        }
        facts.push_back({data.nFileSizeLow, FileTimeValue(data.ftCreationTime), FileTimeValue(data.ftLastWriteTime)});
    }
    return facts;
}

// Reorders the paths, and the facts that go with them.
void Reorder(FileList& list, const void* keys, KeyCompareFn compare, bool descending) {
    std::vector<size_t> order = StableOrder(list.paths.size(), keys, compare, descending);
    ApplyOrder(list.paths, order);
    if (list.facts.size() == order.size()) ApplyOrder(list.facts, order);
}

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
    // The name pointers point into the paths, which are moved only after the
    // last comparison.
    Reorder(list, &keys, CompareNames, settings.SortDescending != 0);
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

}  // namespace

void SortFileList(FileList& list, const Settings& settings) {
    SortKeyKind kind = SortKeyOf(settings.SortMethod);
    if (kind == kKeepOrder) return;
    SortByName(list, settings);
    bool descending = settings.SortDescending != 0;
    switch (kind) {
    case kByExtension: {
        std::vector<std::wstring> keys = ExtensionKeys(list);
        Reorder(list, &keys, CompareTexts, descending);
        break;
    }
    case kByType: {
        std::vector<std::wstring> keys = TypeKeys(list);
        Reorder(list, &keys, CompareTexts, descending);
        break;
    }
    case kBySize:
    case kByCreation:
    case kByLastWrite: {
        std::vector<FileFacts> facts = FactsOf(list);
        if (kind == kBySize) {
            std::vector<uint32_t> keys;
            keys.reserve(facts.size());
            for (const FileFacts& f : facts) keys.push_back(f.size);
            Reorder(list, keys.data(), CompareUnsigned32, descending);
        } else {
            std::vector<uint64_t> keys;
            keys.reserve(facts.size());
            for (const FileFacts& f : facts) keys.push_back(kind == kByCreation ? f.created : f.written);
            Reorder(list, keys.data(), CompareUnsigned64, descending);
        }
        break;
    }
    default:
        break;
    }
}
