// Archive access; see archive_access.h.
#include "viewer/archive/archive_access.h"

// unzip.h first: iowin32.h needs its declarations.
// clang-format off
#include <minizip/unzip.h>
#include <minizip/iowin32.h>
// clang-format on
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/plugins/ansi_path.h"
#include "viewer/plugins/plugin_host.h"
#include "viewer/plugins/plugin_rules.h"

struct ZipMember {
    char name[kSafeMemberNameMax + 1];  // the safe bare name it is extracted under
    uint64_t size;                      // as the archive declares it
    bool folder;
    unz64_file_pos position;
};

struct ArchiveIndex {
    std::wstring path;
    WIN32_FILE_ATTRIBUTE_DATA facts;  // size and time when the list was read
    std::wstring plugin;              // the plug-in's file; empty for a zip file
    std::vector<ZipMember> zipMembers;
    std::vector<spi::ArchiveMemberRecord> pluginMembers;
    size_t Count() const { return plugin.empty() ? zipMembers.size() : pluginMembers.size(); }
};

namespace {

// Archives inside archives are opened this deep at most: a zip that holds
// itself must not extract itself for ever.
constexpr int kMaxNesting = 3;
// Members tried by one decode across all levels, those passed over as
// folders, empty or too large among them: a zip whose directory names one
// inner zip a thousand times, each naming another a thousand times, would
// otherwise try a million members, or a billion.
constexpr int32_t kMaxTries = 1000;
// Directory entries listed by one decode, across all levels: a directory of
// millions of empty entries costs memory and time, not pictures.
constexpr size_t kMaxListed = size_t{1} << 20;
// Per thread: a decode may also run away from the window's thread.
thread_local int nesting = 0;

struct Allowance {
    int32_t tries;
    size_t listed;
    bool stopped;  // spent, or told to stop
    ArchiveStopCheck stop;
    void* context;
};
thread_local Allowance allowance = {kMaxTries, kMaxListed, false, nullptr, nullptr};

// Takes one member try from the allowance; false when the search must stop.
// The first member is always tried: a key that was waiting before this decode
// began is no reason to give it up.
bool TakeMemberTry() {
    if (allowance.stopped) return false;
    if (allowance.tries <= 0 ||
        (allowance.tries < kMaxTries && allowance.stop && allowance.stop(allowance.context))) {
        allowance.stopped = true;
        return false;
    }
    --allowance.tries;
    return true;
}

bool TakeListedEntry() {
    if (allowance.listed == 0) return false;
    --allowance.listed;
    return true;
}

struct NestingScope {
    bool allowed;
    NestingScope() : allowed(nesting < kMaxNesting) { ++nesting; }
    ~NestingScope() { --nesting; }
};

uint64_t SizeLimit(const Settings& settings) {
    return settings.MaxSizeInArchive > 0 ? uint64_t(settings.MaxSizeInArchive) * 1048576u : UINT64_MAX;
}

bool SameFacts(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

// The kept list when it belongs to this archive as it is now; otherwise it is
// dropped and `facts` are the archive's current ones for a new list.
ArchiveIndex* KeptIndex(DecodeState& state, const wchar_t* path, const std::wstring& plugin,
                        WIN32_FILE_ATTRIBUTE_DATA& facts) {
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &facts)) facts = WIN32_FILE_ATTRIBUTE_DATA{};
    ArchiveIndex* index = state.archiveIndex;
    if (index && index->plugin == plugin && index->path == path && SameFacts(index->facts, facts)) return index;
    FreeArchiveIndex(state);
    return nullptr;
}

ArchiveIndex* KeepIndex(DecodeState& state, const wchar_t* path, const std::wstring& plugin,
                        const WIN32_FILE_ATTRIBUTE_DATA& facts) {
    state.archiveIndex = new ArchiveIndex{path, facts, plugin, {}, {}};
    return state.archiveIndex;
}

// A new file of the safe name in the viewer's own temporary folder, opened
// for writing; a name taken already (by an outer archive's member) gets a
// number in front.
HANDLE CreateMemberFile(const char* name, wchar_t (&path)[MAX_PATH]) {
    wchar_t wideName[kSafeMemberNameMax + 1];
    size_t length = 0;
    for (; name[length] && length < kSafeMemberNameMax; ++length) wideName[length] = static_cast<wchar_t>(name[length]);
    wideName[length] = L'\0';
    return CreateProcessFolderFile(wideName, path);
}

// One search over the members of an archive.
struct MemberSearch {
    ArchiveIndex* index;
    const Settings* settings;
    PluginList* plugins;
    HWND window;
    int direction;
    MemberDecoder decodeMember;
    DecodedPicture* picture;
    uint64_t limit;
    bool tooLarge;
    HBITMAP bitmap;
    unzFile zip;           // a zip search
    const char* ansiPath;  // a plug-in search
    size_t position;
    int32_t reached;  // the last member tried, plus one; 0 before the first
};

// Decodes an extracted member like a plain file, with a state of its own,
// and deletes it. The archive keeps its own member count.
HBITMAP DecodeMemberFile(const wchar_t* path, const char* name, MemberSearch& search) {
    DecodedPicture& picture = *search.picture;
    char ansiPath[MAX_PATH];
    AnsiPathOf(path, ansiPath);
    int32_t lastIndex = picture.lastIndex;
    picture.width = 0;
    picture.height = 0;
    HBITMAP bitmap = search.decodeMember(path, ansiPath, MemberExtension(name), *search.settings, *search.plugins,
                                         search.window, search.direction, picture);
    picture.lastIndex = lastIndex;
    DeleteFileW(path);
    return bitmap;
}

// Writes at most `limit` bytes of the current zip member to a new member file.
uint64_t WriteZipMember(unzFile zip, uint64_t limit, HANDLE file) {
    std::vector<uint8_t> buffer(1 << 16);
    uint64_t written = 0;
    while (written < limit) {
        unsigned want = static_cast<unsigned>(std::min<uint64_t>(buffer.size(), limit - written));
        int got = unzReadCurrentFile(zip, buffer.data(), want);
        if (got <= 0) break;
        DWORD put = 0;
        if (!WriteFile(file, buffer.data(), static_cast<DWORD>(got), &put, nullptr) || put != DWORD(got)) break;
        written += put;
    }
    return written;
}

bool TryZipMember(int32_t k, void* data) {
    MemberSearch& search = *static_cast<MemberSearch*>(data);
    ZipMember& member = search.index->zipMembers[static_cast<size_t>(k)];
    if (!TakeMemberTry()) return false;
    search.reached = k + 1;
    if (member.folder) return false;
    if (member.size > search.limit) {
        search.tooLarge = true;
        return false;
    }
    if (member.size == 0 || unzGoToFilePos64(search.zip, &member.position) != UNZ_OK ||
        unzOpenCurrentFile(search.zip) != UNZ_OK) {
        return false;
    }
    wchar_t path[MAX_PATH];
    HANDLE file = CreateMemberFile(member.name, path);
    uint64_t written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        // Never more than the member declares: a member that inflates beyond
        // its size is cut there.
        written = WriteZipMember(search.zip, member.size, file);
        CloseHandle(file);
    }
    unzCloseCurrentFile(search.zip);
    if (file == INVALID_HANDLE_VALUE) {
        // The folder may have been made for this member alone.
        RemoveProcessFolderIfEmpty();
        return false;
    }
    if (written == 0) {
        DeleteFileW(path);
    } else {
        search.bitmap = DecodeMemberFile(path, member.name, search);
    }
    RemoveProcessFolderIfEmpty();
    return search.bitmap != nullptr;
}

unzFile OpenZip(const wchar_t* path) {
    zlib_filefunc64_def files;
    fill_win32_filefunc64W(&files);
    return unzOpen2_64(path, &files);
}

void ReadZipIndex(unzFile zip, ArchiveIndex& index) {
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK && TakeListedEntry(); status = unzGoToNextFile(zip)) {
        // The whole stored name (up to 65,535 bytes): its end holds the extension.
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        std::vector<char> stored(info.size_filename + 1, '\0');
        if (unzGetCurrentFileInfo64(zip, &info, stored.data(), static_cast<uLong>(stored.size()), nullptr, 0, nullptr,
                                    0) != UNZ_OK) {
            break;
        }
        ZipMember member = {};
        size_t length = strlen(stored.data());
        member.folder = length > 0 && (stored[length - 1] == '/' || stored[length - 1] == '\\');
        member.size = info.uncompressed_size;
        if (!MakeSafeMemberName(stored.data(), member.name)) lstrcpyA(member.name, "member");
        if (unzGetFilePos64(zip, &member.position) != UNZ_OK) break;
        index.zipMembers.push_back(member);
    }
}

// Runs the member search and finishes the result: the member found, or the
// failure with the too-large status.
HBITMAP Search(MemberSearch& search, DecodeState& state, bool (*tryMember)(int32_t, void*)) {
    DecodedPicture& picture = *search.picture;
    int32_t count = static_cast<int32_t>(search.index->Count());
    picture.lastIndex = count - 1;
    int32_t found = SearchArchiveMembers(count, state.subIndex, search.direction, tryMember, &search);
    if (found >= 0) {
        state.subIndex = found;
        return search.bitmap;
    }
    // A search cut short stays at the member it reached, so that the next step
    // goes on from there instead of trying the same members again.
    if (allowance.stopped && search.reached > 0) state.subIndex = search.reached - 1;
    else state.subIndex = count > 0 ? std::max(0, std::min(state.subIndex, count - 1)) : 0;
    picture.width = kStatusUnsupported;
    picture.height = search.tooLarge ? kStatusTooLarge : 0;
    return nullptr;
}

bool TryPluginMember(int32_t k, void* data) {
    MemberSearch& search = *static_cast<MemberSearch*>(data);
    if (!TakeMemberTry()) return false;
    search.reached = k + 1;
    const spi::ArchiveMemberRecord& record = search.index->pluginMembers[static_cast<size_t>(k)];
    search.bitmap = ExtractPluginMember(search.ansiPath, *search.plugins, search.position, record, *search.settings,
                                        search.window, search.direction, search.decodeMember, *search.picture,
                                        search.tooLarge);
    return search.bitmap != nullptr;
}

// The plug-in's member list copied out of its block: records up to the one
// that ends the list, and never past the block's end.
void ReadPluginIndex(HLOCAL list, ArchiveIndex& index) {
    SIZE_T size = LocalSize(list);
    auto* records = static_cast<const spi::ArchiveMemberRecord*>(LocalLock(list));
    if (!records) return;
    const SIZE_T count = size / sizeof(spi::ArchiveMemberRecord);
    for (SIZE_T i = 0; i < count && records[i].method[0] && TakeListedEntry(); ++i) {
        spi::ArchiveMemberRecord record = records[i];
        record.path[sizeof record.path - 1] = '\0';
        record.fileName[sizeof record.fileName - 1] = '\0';
        index.pluginMembers.push_back(record);
    }
    LocalUnlock(list);
}

// The size of a file as it is on disk; UINT64_MAX when it cannot be read.
uint64_t SizeOnDisk(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA facts;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &facts)) return UINT64_MAX;
    return (uint64_t{facts.nFileSizeHigh} << 32) | facts.nFileSizeLow;
}

// A member that the plug-in writes itself: only when it writes under the very
// name the viewer would, into a folder of this extraction's own, which goes
// with whatever the plug-in left in it. What it wrote is measured before it is
// decoded: the declared size is only the plug-in's word.
HBITMAP ExtractPluginMemberToFolder(const char* ansiPath, PluginList& plugins, size_t position,
                                    const spi::ArchiveMemberRecord& record, const char* name, MemberSearch& search) {
    if (strcmp(name, record.fileName) != 0) return nullptr;
    wchar_t folder[MAX_PATH];
    const bool made = MakeProcessSubfolder(folder);
    HBITMAP bitmap = nullptr;
    char ansiFolder[MAX_PATH];
    wchar_t path[MAX_PATH];
    wchar_t wideName[kSafeMemberNameMax + 1];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, kSafeMemberNameMax + 1);
    if (made && AnsiPathOf(folder, ansiFolder) && PathCombineW(path, folder, wideName) &&
        CallGetFile(plugins, position, ansiPath, static_cast<intptr_t>(record.position), ansiFolder,
                    spi::kOutputFile) == spi::kSuccess) {
        const uint64_t size = SizeOnDisk(path);
        if (size > search.limit && size != UINT64_MAX) {
            search.tooLarge = true;
        } else if (size > 0 && size != UINT64_MAX) {
            bitmap = DecodeMemberFile(path, name, search);
        }
    }
    if (made) RemoveFolderTree(folder);
    RemoveProcessFolderIfEmpty();
    return bitmap;
}

}  // namespace

void BeginArchiveAllowance(ArchiveStopCheck stop, void* context) {
    allowance = Allowance{kMaxTries, kMaxListed, false, stop, context};
}

HBITMAP DecodeZipMember(const wchar_t* path, DecodeState& state, const Settings& settings, PluginList& plugins,
                        HWND window, int direction, MemberDecoder decodeMember, DecodedPicture& picture) {
    NestingScope scope;
    unzFile zip = scope.allowed ? OpenZip(path) : nullptr;
    if (!zip) {
        picture.width = kStatusUnsupported;
        return nullptr;
    }
    WIN32_FILE_ATTRIBUTE_DATA facts;
    ArchiveIndex* index = KeptIndex(state, path, std::wstring(), facts);
    if (!index) ReadZipIndex(zip, *(index = KeepIndex(state, path, std::wstring(), facts)));
    MemberSearch search = {index, &settings, &plugins, window, direction, decodeMember, &picture, SizeLimit(settings),
                           false, nullptr, zip, nullptr, 0, 0};
    HBITMAP bitmap = Search(search, state, TryZipMember);
    unzClose(zip);
    return bitmap;
}

HBITMAP DecodeArchivePluginMember(const wchar_t* path, const char* ansiPath, PluginList& plugins, size_t position,
                                  DecodeState& state, const Settings& settings, HWND window, int direction,
                                  MemberDecoder decodeMember, DecodedPicture& picture) {
    NestingScope scope;
    if (!scope.allowed) {
        picture.width = kStatusUnsupported;
        return nullptr;
    }
    WIN32_FILE_ATTRIBUTE_DATA facts;
    const std::wstring& plugin = plugins[position].path;
    ArchiveIndex* index = KeptIndex(state, path, plugin, facts);
    if (!index) {
        HLOCAL list = nullptr;
        int32_t result = CallGetArchiveInfo(plugins, position, ansiPath, list);
        if (result == kPluginFaulted) return nullptr;
        if (result != spi::kSuccess || !list) {
            FreePluginBlock(list);
            picture.width = kStatusUnsupported;
            return nullptr;
        }
        index = KeepIndex(state, path, plugin, facts);
        ReadPluginIndex(list, *index);
        FreePluginBlock(list);
    }
    MemberSearch search = {index, &settings, &plugins, window, direction, decodeMember, &picture, SizeLimit(settings),
                           false, nullptr, nullptr, ansiPath, position, 0};
    return Search(search, state, TryPluginMember);
}

HBITMAP ExtractPluginMember(const char* ansiPath, PluginList& plugins, size_t position,
                            const spi::ArchiveMemberRecord& record, const Settings& settings, HWND window,
                            int direction, MemberDecoder decodeMember, DecodedPicture& picture, bool& tooLarge) {
    char name[kSafeMemberNameMax + 1];
    if (!MakeSafeMemberName(record.fileName, name) || !MemberExtension(name)[0]) return nullptr;
    const uint64_t limit = SizeLimit(settings);
    if (record.fileSize > limit) {
        tooLarge = true;
        return nullptr;
    }
    MemberSearch search = {nullptr, &settings, &plugins, window, direction, decodeMember, &picture, limit,
                           false, nullptr, nullptr, ansiPath, position, 0};
    HLOCAL block = nullptr;
    int32_t result =
        CallGetFile(plugins, position, ansiPath, static_cast<intptr_t>(record.position), &block, spi::kOutputMemory);
    if (result == kPluginFaulted) return nullptr;
    if (result != spi::kSuccess || !block) {
        FreePluginBlock(block);
        HBITMAP bitmap = ExtractPluginMemberToFolder(ansiPath, plugins, position, record, name, search);
        tooLarge = tooLarge || search.tooLarge;
        return bitmap;
    }
    // A member given in memory is decoded once: whether it decodes does not
    // depend on how it was extracted.
    // The block may be shorter than the record says: never read past it.
    uint64_t size = std::min<uint64_t>(LocalSize(block), record.fileSize);
    const void* bytes = LocalLock(block);
    wchar_t path[MAX_PATH];
    HANDLE file = bytes ? CreateMemberFile(name, path) : INVALID_HANDLE_VALUE;
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes, static_cast<DWORD>(std::min<uint64_t>(size, MAXDWORD)), &written, nullptr);
        CloseHandle(file);
    }
    if (bytes) LocalUnlock(block);
    FreePluginBlock(block);
    HBITMAP bitmap = nullptr;
    if (file != INVALID_HANDLE_VALUE) {
        if (written > 0) bitmap = DecodeMemberFile(path, name, search);
        else DeleteFileW(path);
    }
    RemoveProcessFolderIfEmpty();
    return bitmap;
}

void FreeArchiveIndex(DecodeState& state) {
    delete state.archiveIndex;
    state.archiveIndex = nullptr;
}
