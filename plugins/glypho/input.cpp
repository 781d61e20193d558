// File input of glypho: the 12 information bytes, the extra bytes a collection's
// check needs, and the whole-file copy for drawing.
#include "plugins/glypho/input.h"

#include <cstring>

#include "plugins/glypho/handles.h"

namespace glypho {

namespace {

constexpr DWORD kHeadBytes = 12;

bool SeekTo(HANDLE file, LONGLONG position) {
    LARGE_INTEGER to;
    to.QuadPart = position;
    LARGE_INTEGER landed;
    return SetFilePointerEx(file, to, &landed, FILE_BEGIN) && landed.QuadPart == position;
}

bool ReadExactly(HANDLE file, void* buffer, DWORD count) {
    DWORD read = 0;
    return ReadFile(file, buffer, count, &read, nullptr) && read == count;
}

// Finishes the check of a collection whose 12 head bytes pass: reads the first
// member's offset (bytes 12 to 15) and that member's sfnt version from the file,
// and judges a 20-byte probe that holds them in the layout the check expects.
FontCheck CheckCollectionMember(HANDLE file, LONGLONG start, const uint8_t* head, bool collectionsOn) {
    uint8_t probe[20];
    std::memcpy(probe, head, kHeadBytes);
    if (!SeekTo(file, start + 12) || !ReadExactly(file, probe + 12, 4)) return FontCheck::kRefused;
    LONGLONG member = ReadU32(probe + 12);
    if (!SeekTo(file, start + member) || !ReadExactly(file, probe + 16, 4)) return FontCheck::kRefused;
    probe[12] = 0;
    probe[13] = 0;
    probe[14] = 0;
    probe[15] = 16;
    return CheckFontType(probe, sizeof(probe), collectionsOn);
}

FontCheck CheckHead(HANDLE file, LONGLONG start, const uint8_t* head, bool collectionsOn) {
    FontCheck check = CheckFontType(head, kHeadBytes, collectionsOn);
    if (check == FontCheck::kNeedsMemberBytes) check = CheckCollectionMember(file, start, head, collectionsOn);
    return check;
}

}  // namespace

bool CheckOpenFile(HANDLE file, bool collectionsOn) {
    LARGE_INTEGER zero = {};
    LARGE_INTEGER start;
    if (!SetFilePointerEx(file, zero, &start, FILE_CURRENT)) return false;
    uint8_t head[kHeadBytes];
    if (!ReadExactly(file, head, kHeadBytes)) return false;
    FontCheck check = CheckHead(file, start.QuadPart, head, collectionsOn);
    SeekTo(file, start.QuadPart + kHeadBytes);
    return check == FontCheck::kAccepted;
}

int CheckFileAt(const char* path, intptr_t offset, bool collectionsOn) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return 6;
    if (offset < 0 || !SeekTo(file.get(), offset)) return 6;
    uint8_t head[kHeadBytes];
    DWORD read = 0;
    if (!ReadFile(file.get(), head, kHeadBytes, &read, nullptr)) return 6;
    if (read != kHeadBytes) return 2;
    return CheckHead(file.get(), offset, head, collectionsOn) == FontCheck::kAccepted ? 0 : 2;
}

int LoadFontFile(const char* path, intptr_t offset, HLOCAL* block, size_t* size) {
    *block = nullptr;
    *size = 0;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return 6;
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file.get(), &fileSize)) return 6;
    if (offset < 0) return 6;
    if (offset >= fileSize.QuadPart || fileSize.QuadPart - offset < kHeadBytes) return 2;
    if (!SeekTo(file.get(), offset)) return 6;
    LONGLONG remaining = fileSize.QuadPart - offset;
    if (remaining > 0x7FFFFFFF) return 4;
    HLOCAL data = LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(remaining));
    if (!data) return 4;
    if (!ReadExactly(file.get(), data, static_cast<DWORD>(remaining))) {
        LocalFree(data);
        return 6;
    }
    *block = data;
    *size = static_cast<size_t>(remaining);
    return 0;
}

}  // namespace glypho
