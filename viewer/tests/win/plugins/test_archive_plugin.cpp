// A Susie archive plug-in for the viewer's tests. It reads "TARC" files: the
// signature, then members, each a name length byte, the name (any bytes: tests
// give hostile names), a 32-bit size and the bytes. It also claims zip files,
// for which it lists one member "x.png" that it cannot extract, so that a test
// can let it fault there and see the viewer's own zip reader take over.
// OXEL_TEST_NO_MEMORY=1 refuses extraction into memory. Every export faults on
// request (test_faults.h); "GetFile" also misbehaves on request: "failblock"
// refuses extraction into memory but hands back a block, "grow" writes 2 MiB
// more than the member into a folder, "litter" leaves another file beside it
// and fails. File output sets OXEL_TEST_FILE_OUTPUT=1.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "spi/susie.h"
#include "test_faults.h"

namespace {

const char* const kInfo[] = {"00AM", "Oxel test archive plug-in", "*.tarc;*.zip", "test archives"};

struct Member {
    std::string name;
    uint32_t offset, size;
};

std::vector<uint8_t> ReadAll(const char* path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size < (64u << 20)) {
        bytes.resize(size);
        DWORD got = 0;
        if (!ReadFile(file, bytes.data(), size, &got, nullptr) || got != size) bytes.clear();
    }
    CloseHandle(file);
    return bytes;
}

bool ReadMembers(const std::vector<uint8_t>& bytes, std::vector<Member>& members) {
    if (bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] == 'K') {
        members.push_back(Member{"x.png", 0, 10});
        return true;
    }
    if (bytes.size() < 4 || memcmp(bytes.data(), "TARC", 4) != 0) return false;
    size_t at = 4;
    while (at < bytes.size()) {
        size_t nameLength = bytes[at++];
        if (bytes.size() - at < nameLength + 4) return false;
        std::string name(reinterpret_cast<const char*>(&bytes[at]), nameLength);
        at += nameLength;
        uint32_t size;
        memcpy(&size, &bytes[at], 4);
        at += 4;
        if (bytes.size() - at < size) return false;
        members.push_back(Member{name, static_cast<uint32_t>(at), size});
        at += size;
    }
    return true;
}

}  // namespace

extern "C" {

int32_t SPI_API GetPluginInfo(int32_t index, char* buffer, int32_t size) {
    test_plugin::FaultIfAsked("GetPluginInfo");
    return test_plugin::CopyInfo(kInfo, 4, index, buffer, size);
}

int32_t SPI_API IsSupported(const char*, uintptr_t head) {
    test_plugin::FaultIfAsked("IsSupported");
    if (head < spi::kHandleLimit) return 0;
    const char* bytes = reinterpret_cast<const char*>(head);
    return memcmp(bytes, "TARC", 4) == 0 || memcmp(bytes, "PK", 2) == 0;
}

int32_t SPI_API GetArchiveInfo(const char* source, intptr_t, uint32_t flag, void** listHandle) {
    test_plugin::FaultIfAsked("GetArchiveInfo");
    if ((flag & spi::kInputMask) != spi::kInputFile) return spi::kNotSupported;
    std::vector<Member> members;
    if (!ReadMembers(ReadAll(source), members)) return spi::kUnknownFormat;
    HLOCAL list = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (members.size() + 1) * sizeof(spi::ArchiveMemberRecord));
    if (!list) return spi::kNoMemory;
    auto* records = static_cast<spi::ArchiveMemberRecord*>(LocalLock(list));
    for (size_t i = 0; i < members.size(); ++i) {
        strcpy(records[i].method, "test");
        records[i].position = static_cast<uint32_t>(i);
        records[i].compressedSize = records[i].fileSize = members[i].size;
        lstrcpynA(records[i].fileName, members[i].name.c_str(), sizeof records[i].fileName);
    }
    LocalUnlock(list);
    *listHandle = list;
    return spi::kSuccess;
}

int32_t SPI_API GetFile(const char* source, intptr_t position, void* destination, uint32_t flag,
                        spi::ProgressCallback, intptr_t) {
    test_plugin::FaultIfAsked("GetFile");
    std::vector<uint8_t> bytes = ReadAll(source);
    std::vector<Member> members;
    if (!ReadMembers(bytes, members) || position < 0 || static_cast<size_t>(position) >= members.size()) {
        return spi::kNotSupported;
    }
    const Member& member = members[static_cast<size_t>(position)];
    if (member.offset == 0) return spi::kFileReadError;  // the zip member it only pretends to hold
    if ((flag & spi::kOutputMask) == spi::kOutputMemory) {
        char refuse[4];
        if (test_plugin::Asked("GetFile", "failblock")) {
            *static_cast<void**>(destination) = test_plugin::HandOverBlock();
            return spi::kNoMemory;
        }
        if (GetEnvironmentVariableA("OXEL_TEST_NO_MEMORY", refuse, sizeof refuse)) return spi::kNotSupported;
        HLOCAL block = LocalAlloc(LMEM_MOVEABLE, member.size ? member.size : 1);
        if (!block) return spi::kNoMemory;
        memcpy(LocalLock(block), &bytes[member.offset], member.size);
        LocalUnlock(block);
        *static_cast<void**>(destination) = block;
        return spi::kSuccess;
    }
    // File output: the member under its own name, as it is stored.
    SetEnvironmentVariableA("OXEL_TEST_FILE_OUTPUT", "1");
    std::string path = std::string(static_cast<const char*>(destination)) + "\\" + member.name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return spi::kFileWriteError;
    DWORD written = 0;
    WriteFile(file, &bytes[member.offset], member.size, &written, nullptr);
    if (test_plugin::Asked("GetFile", "grow")) {
        std::vector<uint8_t> more(2 << 20);
        DWORD extra = 0;
        WriteFile(file, more.data(), static_cast<DWORD>(more.size()), &extra, nullptr);
    }
    CloseHandle(file);
    if (test_plugin::Asked("GetFile", "litter")) {
        HANDLE other = CreateFileA((std::string(static_cast<const char*>(destination)) + "\\litter.txt").c_str(),
                                   GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        return spi::kFileWriteError;
    }
    return written == member.size ? spi::kSuccess : spi::kFileWriteError;
}

}  // extern "C"

constexpr spi::GetPluginInfoFn kGetPluginInfo = &GetPluginInfo;
constexpr spi::IsSupportedFn kIsSupported = &IsSupported;
constexpr spi::GetArchiveInfoFn kGetArchiveInfo = &GetArchiveInfo;
constexpr spi::GetFileFn kGetFile = &GetFile;
