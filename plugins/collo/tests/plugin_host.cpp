// The shared part of the Wine tests of collo.spi: loading it, a folder per
// test, and the two calls most tests make.
#include "plugins/collo/tests/plugin_host.h"

#include <cstdlib>
#include <cstring>

namespace collo_test {
namespace {

std::string EnvPath(const char* name) {
    const char* value = std::getenv(name);
    return value ? HostPath(value) : std::string();
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

void PluginTest::SetUp() {
    const std::string plugin = EnvPath("OXEL_OUT_DIR") + "\\collo.spi";
    module_ = LoadLibraryA(plugin.c_str());
    ASSERT_NE(module_, nullptr) << "cannot load " << plugin;
    getPluginInfo_ = reinterpret_cast<spi::GetPluginInfoFn>(GetProcAddress(module_, "GetPluginInfo"));
    isSupported_ = reinterpret_cast<spi::IsSupportedFn>(GetProcAddress(module_, "IsSupported"));
    getArchiveInfo_ = reinterpret_cast<spi::GetArchiveInfoFn>(GetProcAddress(module_, "GetArchiveInfo"));
    getFileInfo_ = reinterpret_cast<spi::GetFileInfoFn>(GetProcAddress(module_, "GetFileInfo"));
    getFile_ = reinterpret_cast<spi::GetFileFn>(GetProcAddress(module_, "GetFile"));
    ASSERT_TRUE(getPluginInfo_ && isSupported_ && getArchiveInfo_ && getFileInfo_ && getFile_)
        << "an export is missing or decorated";

    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string root = EnvPath("OXEL_BINARY_DIR") + "\\collo-tests";
    CreateDirectoryA(root.c_str(), nullptr);
    folder_ = root + "\\" + test->test_suite_name() + "." + test->name();
    RemoveTree(folder_);
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
}

void PluginTest::TearDown() {
    if (module_ != nullptr) {
        EXPECT_TRUE(FreeLibrary(module_));
    }
}

std::string PluginTest::WriteCollection(const std::string& name, const Bytes& bytes) {
    const std::string path = folder_ + "\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
    return path;
}

std::string PluginTest::MakeSubfolder(const std::string& name) {
    const std::string path = folder_ + "\\" + name;
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    return path;
}

MemberListCopy PluginTest::List(const std::string& path, intptr_t offset) {
    MemberListCopy list;
    void* handle = reinterpret_cast<void*>(1);
    list.result = getArchiveInfo_(path.c_str(), offset, spi::kInputFile, &handle);
    if (list.result != spi::kSuccess) {
        EXPECT_EQ(handle, nullptr) << "handle set on failure";
        return list;
    }
    EXPECT_NE(handle, nullptr);
    const SIZE_T bytes = LocalSize(handle);
    const auto* records = static_cast<const spi::ArchiveMemberRecord*>(handle);
    size_t count = 0;
    while ((count + 1) * sizeof(spi::ArchiveMemberRecord) <= bytes && records[count].method[0] != 0)
        list.records.push_back(records[count++]);
    EXPECT_GE(bytes, (count + 1) * sizeof(spi::ArchiveMemberRecord)) << "no terminator";
    if (bytes >= (count + 1) * sizeof(spi::ArchiveMemberRecord)) {
        const spi::ArchiveMemberRecord zero{};
        EXPECT_EQ(std::memcmp(&records[count], &zero, sizeof zero), 0) << "terminator not all zero";
    }
    LocalFree(handle);
    return list;
}

int32_t PluginTest::GetMember(const std::string& path, intptr_t position, Bytes* member) {
    HLOCAL handle = nullptr;
    const int32_t result = getFile_(path.c_str(), position, &handle, kMemoryOutput, nullptr, 0);
    member->clear();
    if (result != spi::kSuccess) {
        EXPECT_EQ(handle, nullptr);
        return result;
    }
    const auto* bytes = static_cast<const uint8_t*>(handle);
    member->assign(bytes, bytes + LocalSize(handle));
    LocalFree(handle);
    return result;
}

bool RunsUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool HasDoubleByteCodePage(const Font& font) {
    // OS/2 ulCodePageRange1 bits 17 to 21: Japanese, the two Chinese, Korean, Johab.
    for (const Table& table : font.tables)
        if (table.tag == Tag("OS/2") && table.data.size() >= 82)
            return (Be32(table.data, 78) & 0x003e0000) != 0;
    return false;
}

int ExpectedFontCount(const Font& font) {
    // Wine registers a vertical "@" twin beside every font of a double-byte
    // code page and counts it; Windows reports the one font.
    return RunsUnderWine() && HasDoubleByteCodePage(font) ? 2 : 1;
}

int FontsTheSystemAccepts(const Bytes& font) {
    DWORD count = 0;
    HANDLE added = AddFontMemResourceEx(const_cast<uint8_t*>(font.data()), DWORD(font.size()), nullptr, &count);
    if (added == nullptr) return 0;
    RemoveFontMemResourceEx(added);
    return int(count);
}

}  // namespace collo_test
