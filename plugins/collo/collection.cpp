// Parsing and extraction of TrueType collection members. The collection is
// untrusted: a member is first located and measured (LocateMember), which
// checks every structure it will later read, and only then copied.
#include "plugins/collo/collection.h"

#include <cstdio>
#include <cstring>

namespace collo {
namespace {

constexpr uint32_t kHeadTag = 0x68656164;  // 'head'
constexpr size_t kOffsetTableSize = 12;
constexpr size_t kTableRecordSize = 16;

uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint16_t ReadBe16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

void WriteBe32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value >> 24);
    p[1] = uint8_t(value >> 16);
    p[2] = uint8_t(value >> 8);
    p[3] = uint8_t(value);
}

uint64_t Padded(uint32_t length) { return (uint64_t(length) + 3) & ~uint64_t(3); }

// Where a member's offset table is, and the size of its single-font file.
struct MemberLayout {
    size_t offsetTable;
    uint32_t tableCount;
    uint32_t size;
};

int32_t LocateMember(const uint8_t* image, size_t imageSize, uint32_t k, MemberLayout* layout) {
    if (imageSize < kOffsetTableSize || !IsCollectionHeader(image, imageSize))
        return spi::kUnknownFormat;
    const uint32_t fontCount = ReadBe32(image + 8);
    if (k >= fontCount) return spi::kNotSupported;
    // A font count whose offset array runs past the end is refused outright,
    // even though only the first ten offsets are ever used.
    if (fontCount > (imageSize - kOffsetTableSize) / 4) return spi::kUnknownFormat;

    const uint32_t at = ReadBe32(image + kOffsetTableSize + 4 * size_t(k));
    if (at > imageSize || imageSize - at < kOffsetTableSize) return spi::kUnknownFormat;
    const uint32_t tableCount = ReadBe16(image + at + 4);
    if ((imageSize - at - kOffsetTableSize) / kTableRecordSize < tableCount)
        return spi::kUnknownFormat;

    uint64_t size = kOffsetTableSize + kTableRecordSize * uint64_t(tableCount);
    const uint8_t* record = image + at + kOffsetTableSize;
    for (uint32_t i = 0; i < tableCount; ++i, record += kTableRecordSize) {
        const uint32_t offset = ReadBe32(record + 8);
        const uint32_t length = ReadBe32(record + 12);
        if (offset > imageSize || imageSize - offset < length) return spi::kUnknownFormat;
        size += Padded(length);
        if (size > UINT32_MAX) return spi::kUnknownFormat;
    }
    layout->offsetTable = at;
    layout->tableCount = tableCount;
    layout->size = uint32_t(size);
    return spi::kSuccess;
}

}  // namespace

bool IsCollectionHeader(const uint8_t* head, size_t length) {
    if (length < 8) return false;
    static const char kTag[] = "ttcf";
    for (int i = 0; i < 4; ++i) {
        uint8_t c = head[i];
        if (c >= 'A' && c <= 'Z') c = uint8_t(c - 'A' + 'a');
        if (c != uint8_t(kTag[i])) return false;
    }
    const uint32_t version = ReadBe32(head + 4);
    return version == 0x00010000 || version == 0x00020000;
}

int32_t MemberSize(const uint8_t* image, size_t imageSize, uint32_t k, uint32_t* size) {
    MemberLayout layout;
    const int32_t result = LocateMember(image, imageSize, k, &layout);
    if (result == spi::kSuccess) *size = layout.size;
    return result;
}

uint32_t TableChecksum(const uint8_t* table, size_t paddedLength, uint32_t tag) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 4 <= paddedLength; i += 4) {
        if (tag == kHeadTag && i == 8) continue;
        sum += ReadBe32(table + i);
    }
    return sum;
}

int32_t ExtractMember(const uint8_t* image, size_t imageSize, uint32_t k, uint8_t* out,
                      size_t outSize) {
    MemberLayout layout;
    const int32_t result = LocateMember(image, imageSize, k, &layout);
    if (result != spi::kSuccess) return result;
    if (outSize != layout.size) return spi::kUnknownFormat;

    const uint8_t* source = image + layout.offsetTable;
    std::memcpy(out, source, kOffsetTableSize);
    size_t position = kOffsetTableSize + kTableRecordSize * size_t(layout.tableCount);
    for (uint32_t i = 0; i < layout.tableCount; ++i) {
        const uint8_t* record = source + kOffsetTableSize + kTableRecordSize * i;
        uint8_t* written = out + kOffsetTableSize + kTableRecordSize * i;
        const uint32_t tag = ReadBe32(record);
        const uint32_t length = ReadBe32(record + 12);
        const size_t padded = size_t(Padded(length));

        uint8_t* data = out + position;
        std::memcpy(data, image + ReadBe32(record + 8), length);
        std::memset(data + length, 0, padded - length);

        std::memcpy(written, record, 4);
        WriteBe32(written + 4, TableChecksum(data, padded, tag));
        WriteBe32(written + 8, uint32_t(position));
        std::memcpy(written + 12, record + 12, 4);
        position += padded;
    }
    return spi::kSuccess;
}

void FormatMemberName(const char* baseName, uint32_t ordinal, char* out) {
    size_t length = 0;
    while (length < kMaxBaseNameBytes && baseName[length] != '\0') ++length;
    std::memcpy(out, baseName, length);
    std::snprintf(out + length, sizeof(spi::ArchiveMemberRecord::fileName) - length, "%02u.ttf",
                  unsigned(ordinal % 100));
}

int32_t ListMembers(const uint8_t* image, size_t imageSize, const char* baseName,
                    uint32_t timestamp, spi::ArchiveMemberRecord* records, uint32_t* count) {
    uint32_t listed = 0;
    for (uint32_t k = 0; k < kMaxListedMembers; ++k) {
        uint32_t size = 0;
        const int32_t result = MemberSize(image, imageSize, k, &size);
        if (result == spi::kNotSupported) break;
        if (result != spi::kSuccess) return result;

        spi::ArchiveMemberRecord& record = records[listed++];
        std::memset(&record, 0, sizeof record);
        std::memcpy(record.method, "ttf", 3);
        record.position = k;
        record.compressedSize = size;
        record.fileSize = size;
        record.timestamp = int32_t(timestamp);
        FormatMemberName(baseName, k, record.fileName);
    }
    *count = listed;
    return spi::kSuccess;
}

void CollectionBaseName(const char* path, LeadBytePredicate isLeadByte, char* out) {
    // One walk by characters: the name starts after the last separator and
    // ends at its last dot.
    const char* name = path;
    const char* dot = nullptr;
    for (const char* p = path; *p != '\0';) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            name = p + 1;
            dot = nullptr;
        } else if (*p == '.') {
            dot = p;
        }
        p += (isLeadByte(uint8_t(*p)) && p[1] != '\0') ? 2 : 1;
    }
    const char* end = dot ? dot : name + std::strlen(name);

    size_t length = 0;
    while (name + length < end) {
        const size_t step = (isLeadByte(uint8_t(name[length])) && name + length + 1 < end) ? 2 : 1;
        if (length + step > kMaxBaseNameBytes) break;
        length += step;
    }
    std::memcpy(out, name, length);
    out[length] = '\0';
}

uint32_t UnixTimeFromFileTime(uint64_t fileTime) {
    const int64_t seconds = (int64_t(fileTime) - 116444736000000000LL) / 10000000;
    return uint32_t(uint64_t(seconds));
}

int32_t CopyInfoString(int32_t index, char* buf, int32_t buflen) {
    // Index 3 is the Japanese description in Shift-JIS (code page 932) bytes,
    // whatever the code page of the machine that built the plug-in.
    static const char* const kStrings[] = {
        "00AM",
        "collo by.Quib",
        "*.ttc",
        ("\x83\x74\x83\x48\x83\x93\x83\x67\x83\x52\x83\x8c\x83\x4e\x83\x56\x83\x87\x83\x93"
         "(ttc)"),
    };
    if (index < 0 || index > 3 || buf == nullptr || buflen <= 0) return 0;
    const char* text = kStrings[index];
    const size_t room = size_t(buflen) - 1;
    size_t length = 0;
    while (text[length] != '\0') {
        const uint8_t c = uint8_t(text[length]);
        const bool lead = (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
        const size_t step = lead ? 2 : 1;
        if (length + step > room) break;
        length += step;
    }
    std::memcpy(buf, text, length);
    buf[length] = '\0';
    return int32_t(length);
}

}  // namespace collo
