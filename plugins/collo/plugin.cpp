// The exports of collo.spi, the archive plug-in that presents a TrueType
// collection as an archive of stand-alone font files. Each archive call reads
// the collection afresh; answers are the caller's own copies in local memory.
#include <windows.h>

#include <cstring>

#include "plugins/collo/collection.h"
#include "plugins/collo/member_list.h"
#include "plugins/collo/store.h"
#include "spi/susie.h"

using namespace collo;

namespace {

bool IsFileInput(uint32_t flag) { return (flag & spi::kInputMask) == spi::kInputFile; }

// Finds the record with `position`, or null.
const spi::ArchiveMemberRecord* FindByPosition(const MemberList& list, uint32_t position) {
    for (uint32_t i = 0; i < list.count; ++i)
        if (list.Records()[i].position == position) return &list.Records()[i];
    return nullptr;
}

const spi::ArchiveMemberRecord* FindByName(const MemberList& list, const char* name) {
    for (uint32_t i = 0; i < list.count; ++i)
        if (SameMemberName(list.Records()[i].fileName, name)) return &list.Records()[i];
    return nullptr;
}

}  // namespace

extern "C" {

int32_t __stdcall GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    return CopyInfoString(infono, buf, buflen);
}

int32_t __stdcall IsSupported(const char* filename, uintptr_t dw) {
    uint8_t head[12];
    if (dw < spi::kHandleLimit) {
        DWORD read = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(dw), head, sizeof head, &read, nullptr)) return 0;
        return IsCollectionHeader(head, read) ? 1 : 0;
    }
    return IsCollectionHeader(reinterpret_cast<const uint8_t*>(dw), 8) ? 1 : 0;
}

int32_t __stdcall GetArchiveInfo(const char* buf, intptr_t len, uint32_t flag, HLOCAL* lphInf) {
    if (!IsFileInput(flag) || buf == nullptr || lphInf == nullptr) return spi::kNotSupported;
    *lphInf = nullptr;
    StoreEmpty();
    MemberList list;
    const int32_t result = ReadMemberList(buf, len, &list, nullptr);
    if (result != spi::kSuccess) return result;

    const size_t bytes = (list.count + 1) * sizeof(spi::ArchiveMemberRecord);
    HLOCAL copy = LocalAlloc(LMEM_FIXED, bytes);
    if (copy == nullptr) return spi::kNoMemory;
    std::memcpy(copy, list.Records(), bytes);
    StoreKeep(list.block.Release(), buf);
    *lphInf = copy;
    return spi::kSuccess;
}

int32_t __stdcall GetFileInfo(const char* buf, intptr_t len, const char* filename, uint32_t flag,
                              spi::ArchiveMemberRecord* lpInfo) {
    if (!IsFileInput(flag) || buf == nullptr || filename == nullptr || lpInfo == nullptr)
        return spi::kNotSupported;
    // The caller's name goes into the record first; it is cut to the field.
    lstrcpynA(lpInfo->fileName, filename, sizeof lpInfo->fileName);
    StoreEmpty();
    MemberList list;
    const int32_t result = ReadMemberList(buf, len, &list, nullptr);
    if (result != spi::kSuccess) return result;

    const spi::ArchiveMemberRecord* found = filename[0] == '\0'
                                                ? FindByPosition(list, lpInfo->position)
                                                : FindByName(list, filename);
    if (found != nullptr) *lpInfo = *found;
    StoreKeep(list.block.Release(), buf);
    return found != nullptr ? spi::kSuccess : spi::kNotSupported;
}

int32_t __stdcall GetFile(const char* buf, intptr_t len, void* dest, uint32_t flag,
                          spi::ProgressCallback, intptr_t) {
    if (!IsFileInput(flag) || buf == nullptr || dest == nullptr) return spi::kNotSupported;
    StoreEmpty();
    MemberList list;
    CollectionImage image;
    const int32_t result = ReadMemberList(buf, 0, &list, &image);
    if (result != spi::kSuccess) return result;

    const spi::ArchiveMemberRecord* found =
        len >= 0 && uintptr_t(len) <= UINT32_MAX ? FindByPosition(list, uint32_t(len)) : nullptr;
    spi::ArchiveMemberRecord record;
    if (found != nullptr) record = *found;
    StoreKeep(list.block.Release(), buf);
    if (found == nullptr) return spi::kNotSupported;

    LocalBlock member;
    const int32_t built = BuildMember(image, record.position, record.fileSize, &member);
    if (built != spi::kSuccess) return built;
    if ((flag & spi::kOutputMask) != 0) {
        *static_cast<HLOCAL*>(dest) = member.Release();
        return spi::kSuccess;
    }
    return WriteMemberFile(static_cast<const char*>(dest), record.fileName, member.Bytes(),
                           record.fileSize);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        StoreInit();
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Only on FreeLibrary: at process exit other threads are already gone,
        // one of them perhaps inside the lock, and the system reclaims the memory.
        StoreDestroy();
    }
    return TRUE;
}

}  // extern "C"

// Each export has the interface's type, calling convention included: a
// mismatch does not compile.
constexpr spi::GetPluginInfoFn kGetPluginInfo = &GetPluginInfo;
constexpr spi::IsSupportedFn kIsSupported = &IsSupported;
constexpr spi::GetArchiveInfoFn kGetArchiveInfo = &GetArchiveInfo;
constexpr spi::GetFileInfoFn kGetFileInfo = &GetFileInfo;
constexpr spi::GetFileFn kGetFile = &GetFile;
