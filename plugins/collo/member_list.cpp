// File side of the member list: opening and reading the collection, listing
// its members through the byte-level parser, and creating member files.
#include "plugins/collo/member_list.h"

#include <cstring>
#include <string>

#include "plugins/collo/collection.h"

namespace collo {
namespace {

constexpr size_t kHeaderBytes = 12;

HANDLE OpenForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool SeekTo(HANDLE file, int64_t offset) {
    LARGE_INTEGER distance, reached;
    distance.QuadPart = offset;
    return SetFilePointerEx(file, distance, &reached, FILE_BEGIN) && reached.QuadPart == offset;
}

// Reads until `size` bytes have come or the file ends.
bool ReadFully(HANDLE file, uint8_t* out, size_t size, size_t* got) {
    *got = 0;
    while (*got < size) {
        const DWORD chunk = DWORD(size - *got > 0x1000000 ? 0x1000000 : size - *got);
        DWORD read = 0;
        if (!ReadFile(file, out + *got, chunk, &read, nullptr)) return false;
        if (read == 0) break;
        *got += read;
    }
    return true;
}

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

const char* NextChar(const char* p) {
    return p + ((IsAnsiLeadByte(uint8_t(*p)) && p[1] != '\0') ? 2 : 1);
}

int32_t CheckHeader(const char* path, int64_t headerOffset) {
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen() || !SeekTo(file.handle, headerOffset)) return spi::kFileReadError;
    uint8_t head[kHeaderBytes];
    size_t got = 0;
    if (!ReadFully(file.handle, head, sizeof head, &got)) return spi::kFileReadError;
    if (got < sizeof head || !IsCollectionHeader(head, got)) return spi::kUnknownFormat;
    return spi::kSuccess;
}

// The collection's bytes from the header on, so that the header's offsets,
// which count from the start of the collection, index the image directly.
int32_t LoadImage(const char* path, int64_t headerOffset, CollectionImage* image) {
    FileHandle file(OpenForReading(path));
    LARGE_INTEGER fileSize;
    FILETIME written;
    if (!file.IsOpen() || !GetFileSizeEx(file.handle, &fileSize) ||
        !GetFileTime(file.handle, nullptr, nullptr, &written) ||
        !SeekTo(file.handle, headerOffset))
        return spi::kFileReadError;
    if (fileSize.QuadPart < headerOffset) return spi::kFileReadError;
    const uint64_t size = uint64_t(fileSize.QuadPart - headerOffset);
    // A 32-bit process cannot hold more than this in one block anyway.
    if (size > 0x7fffffff) return spi::kNoMemory;

    image->block.handle = LocalAlloc(LMEM_FIXED, size ? size_t(size) : 1);
    if (image->block.handle == nullptr) return spi::kNoMemory;
    size_t got = 0;
    if (!ReadFully(file.handle, image->block.Bytes(), size_t(size), &got) || got != size)
        return spi::kFileReadError;
    image->size = size_t(size);
    image->timestamp = UnixTimeFromFileTime((uint64_t(written.dwHighDateTime) << 32) |
                                            written.dwLowDateTime);
    return spi::kSuccess;
}

}  // namespace

int32_t BuildMemberList(const char* path, int64_t headerOffset, MemberList* list,
                        CollectionImage* image) {
    const int32_t loaded = LoadImage(path, headerOffset, image);
    if (loaded != spi::kSuccess) return loaded;

    char baseName[kMaxBaseNameBytes + 1];
    CollectionBaseName(path, IsAnsiLeadByte, baseName);
    spi::ArchiveMemberRecord records[kMaxListedMembers];
    uint32_t count = 0;
    const int32_t listed =
        ListMembers(image->block.Bytes(), image->size, baseName, image->timestamp, records, &count);
    if (listed != spi::kSuccess) return listed;

    list->block.handle = LocalAlloc(LPTR, (count + 1) * sizeof(spi::ArchiveMemberRecord));
    if (list->block.handle == nullptr) return spi::kNoMemory;
    std::memcpy(list->block.handle, records, count * sizeof(spi::ArchiveMemberRecord));
    list->count = count;
    return spi::kSuccess;
}

int32_t ReadMemberList(const char* path, int64_t headerOffset, MemberList* list,
                       CollectionImage* image) {
    if (headerOffset < 0) return spi::kFileReadError;
    const int32_t checked = CheckHeader(path, headerOffset);
    if (checked != spi::kSuccess) return checked;
    CollectionImage local;
    return BuildMemberList(path, headerOffset, list, image ? image : &local);
}

int32_t BuildMember(const CollectionImage& image, uint32_t position, uint32_t size,
                    LocalBlock* member) {
    member->handle = LocalAlloc(LMEM_FIXED, size);
    if (member->handle == nullptr) return spi::kNoMemory;
    return ExtractMember(image.block.Bytes(), image.size, position, member->Bytes(), size);
}

int32_t WriteMemberFile(const char* folder, const char* name, const uint8_t* bytes, size_t size) {
    std::string path(folder);
    // A trail byte of a double-byte character may equal '\\': look at the
    // last character, not the last byte.
    const char* last = nullptr;
    for (const char* p = folder; *p != '\0'; p = NextChar(p)) last = p;
    if (last != nullptr && !(NextChar(last) == last + 1 && (*last == '\\' || *last == '/')))
        path += '\\';
    path += name;

    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return spi::kFileWriteError;
    size_t done = 0;
    while (done < size) {
        DWORD written = 0;
        const DWORD chunk = DWORD(size - done > 0x1000000 ? 0x1000000 : size - done);
        if (!WriteFile(file.handle, bytes + done, chunk, &written, nullptr) || written == 0) break;
        done += written;
    }
    if (done == size) return spi::kSuccess;
    // The file is ours, made a moment ago: leave no partial font behind.
    CloseHandle(file.handle);
    file.handle = INVALID_HANDLE_VALUE;
    DeleteFileA(path.c_str());
    return spi::kFileWriteError;
}

bool SameMemberName(const char* a, const char* b) {
    wchar_t wa[MAX_PATH], wb[MAX_PATH];
    const int la = MultiByteToWideChar(CP_ACP, 0, a, -1, wa, MAX_PATH);
    const int lb = MultiByteToWideChar(CP_ACP, 0, b, -1, wb, MAX_PATH);
    if (la == 0 || lb == 0) return false;
    return CompareStringOrdinal(wa, la - 1, wb, lb - 1, TRUE) == CSTR_EQUAL;
}

}  // namespace collo
