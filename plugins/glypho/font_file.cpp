// The font type check and the name reading over a font file image. Every offset
// and length comes from the file, so each is checked against the image before
// use; the name reading walks the records twice, first to check that everything
// it would touch lies inside the image, then to read and, on request, change them,
// so a refused image is never half changed.
#include "plugins/glypho/font_file.h"

#include <cstring>
#include <vector>

namespace glypho {

namespace {

constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr uint32_t kCffVersion = 0x4F54544F;  // "OTTO"
constexpr uint32_t kNameTag = 0x6E616D65;     // "name"

constexpr uint16_t kPlatformMac = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kEncodingMacJapanese = 1;
constexpr uint16_t kLanguageEnglishUs = 0x0409;
constexpr uint16_t kLanguageJapanese = 0x0411;
constexpr uint16_t kLanguageMacJapanese = 11;

// Name strings are cut to this many bytes: 259 UTF-16 units.
constexpr size_t kMaxNameBytes = 518;

constexpr size_t kOffsetTableSize = 12;
constexpr size_t kTableRecordSize = 16;
constexpr size_t kNameHeaderSize = 6;
constexpr size_t kNameRecordSize = 12;

bool IsAcceptedCollectionVersion(uint32_t version) {
    return version == 0x00010000 || version == 0x00020000;
}

// True when `count` bytes at `offset` lie inside an image of `size` bytes.
bool Inside(size_t size, uint64_t offset, uint64_t count) {
    return offset <= size && count <= size - offset;
}

enum class TableStatus { kOk, kBadVersion, kOutside };

struct NameRecord {
    uint16_t platform;
    uint16_t encoding;
    uint16_t language;
    uint16_t nameId;
    uint16_t length;
    uint16_t offset;
};

NameRecord ReadNameRecord(const uint8_t* p) {
    return {ReadU16(p), ReadU16(p + 2), ReadU16(p + 4), ReadU16(p + 6), ReadU16(p + 8),
            ReadU16(p + 10)};
}

bool IsAccepted(const NameRecord& r, uint16_t nameId) {
    bool platform = r.platform == kPlatformMac || r.platform == kPlatformWindows;
    bool language = r.language == kLanguageEnglishUs || r.language == kLanguageJapanese ||
                    r.language == kLanguageMacJapanese;
    return platform && language && r.nameId == nameId;
}

bool EndsScan(const NameRecord& r) {
    return r.platform == kPlatformWindows && r.language == kLanguageJapanese;
}

// UTF-16BE units up to the first carriage return or line feed; an odd last byte is dropped.
void DecodeUtf16Be(const uint8_t* bytes, size_t count, char16_t* out) {
    size_t units = count / 2;
    size_t n = 0;
    for (; n < units && n < kNameUnits - 1; ++n) {
        char16_t c = static_cast<char16_t>(ReadU16(bytes + 2 * n));
        if (c == u'\r' || c == u'\n') break;
        out[n] = c;
    }
    out[n] = 0;
}

// The family-letter change. Windows strings are UTF-16BE, so their first unit is
// rewritten; Macintosh strings hold one byte per Latin letter, so there only the
// first byte changes (writing a UTF-16 unit there would put a zero byte into the name).
// The bytes that the letter change overwrote, so that a walk that fails
// partway can put them back.
struct Overwritten {
    uint8_t* at;
    size_t count;
    uint8_t bytes[2];
};

void AlterFirstLetter(uint8_t* text, const NameRecord& r, std::vector<Overwritten>& undo) {
    const size_t count = r.platform == kPlatformWindows ? (r.length >= 2 ? 2 : 0) : (r.length >= 1 ? 1 : 0);
    Overwritten saved = {text, count, {0, 0}};
    std::memcpy(saved.bytes, text, count);
    undo.push_back(saved);
    if (r.platform == kPlatformWindows) {
        if (r.length < 2) return;
        bool wasV = text[0] == 0x00 && text[1] == 0x56;
        text[0] = 0x00;
        text[1] = wasV ? 0x57 : 0x56;
    } else {
        if (r.length < 1) return;
        text[0] = text[0] == 0x56 ? 0x57 : 0x56;
    }
}

// Walks the name records of the table at `tableOffset` (whose header is inside the
// image). With `apply` false it only checks that the records and every string the
// reading would take lie inside the image; with `apply` true it reads into `out`
// and changes letters. Returns false when something lies outside.
bool WalkNames(uint8_t* image, size_t size, uint32_t tableOffset, uint16_t nameId,
               bool alter, bool apply, char16_t* out, bool* found, std::vector<Overwritten>& undo) {
    const uint8_t* table = image + tableOffset;
    size_t count = ReadU16(table + 2);
    uint64_t storage = uint64_t{tableOffset} + ReadU16(table + 4);
    if (!Inside(size, uint64_t{tableOffset} + kNameHeaderSize, count * kNameRecordSize)) {
        return false;
    }
    char16_t macCandidate[kNameUnits] = {0};
    bool final = false;
    for (size_t i = 0; i < count && !final; ++i) {
        NameRecord r = ReadNameRecord(table + kNameHeaderSize + i * kNameRecordSize);
        if (!IsAccepted(r, nameId)) continue;
        uint64_t at = storage + r.offset;
        if (!Inside(size, at, r.length)) return false;
        final = EndsScan(r);
        if (!apply) continue;

        *found = true;
        uint8_t* text = image + at;
        size_t taken = r.length < kMaxNameBytes ? r.length : kMaxNameBytes;
        DecodeUtf16Be(text, taken, out);
        // The candidate is converted before the letter changes, so that it holds
        // the family's real name like the Windows records do.
        if (r.platform == kPlatformMac && r.encoding == kEncodingMacJapanese &&
            r.language == kLanguageMacJapanese) {
            const void* zero = std::memchr(text, 0, taken);
            size_t raw = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - text) : taken;
            size_t units = ConvertAnsiName(text, raw, macCandidate, kNameUnits);
            macCandidate[units < kNameUnits ? units : kNameUnits - 1] = 0;
        }
        if (alter) AlterFirstLetter(text, r, undo);
    }
    if (apply && !final && macCandidate[0] != 0) {
        std::memcpy(out, macCandidate, sizeof(macCandidate));
    }
    return true;
}

// Reads from the offset table at `base`: finds the first 'name' table record and
// reads (and with `alter`, changes) the names in that table.
TableStatus ReadFromOffsetTable(uint8_t* image, size_t size, uint64_t base, uint16_t nameId,
                                bool alter, char16_t* name) {
    if (!Inside(size, base, kOffsetTableSize)) return TableStatus::kOutside;
    uint32_t version = ReadU32(image + base);
    if (version != kTrueTypeVersion && version != kCffVersion) return TableStatus::kBadVersion;
    size_t tables = ReadU16(image + base + 4);
    // A font whose directory or tables run past the image is refused as a whole:
    // the system's font loader would be handed the same damaged bytes.
    if (!Inside(size, base + kOffsetTableSize, tables * kTableRecordSize)) return TableStatus::kOutside;
    for (size_t i = 0; i < tables; ++i) {
        const uint8_t* record = image + base + kOffsetTableSize + i * kTableRecordSize;
        if (!Inside(size, ReadU32(record + 8), ReadU32(record + 12))) return TableStatus::kOutside;
    }
    for (size_t i = 0; i < tables; ++i) {
        uint64_t record = base + kOffsetTableSize + i * kTableRecordSize;
        if (ReadU32(image + record) != kNameTag) continue;

        uint32_t offset = ReadU32(image + record + 8);
        uint32_t length = ReadU32(image + record + 12);
        if (!Inside(size, offset, length) || length < kNameHeaderSize) {
            return TableStatus::kOutside;
        }
        char16_t read[kNameUnits] = {0};
        bool found = false;
        std::vector<Overwritten> undo;
        if (!WalkNames(image, size, offset, nameId, alter, false, read, &found, undo)) {
            return TableStatus::kOutside;
        }
        // A letter changed by the second walk can lie inside a later record
        // (a hostile image lets strings overlap the records) and move it
        // outside: then every change is undone and the image refused.
        if (!WalkNames(image, size, offset, nameId, alter, true, read, &found, undo)) {
            for (auto it = undo.rbegin(); it != undo.rend(); ++it) std::memcpy(it->at, it->bytes, it->count);
            return TableStatus::kOutside;
        }
        if (found) std::memcpy(name, read, sizeof(read));
        if (alter) {
            uint32_t sum = TableChecksum(image, size, offset, length);
            uint8_t* field = image + record + 4;
            field[0] = static_cast<uint8_t>(sum >> 24);
            field[1] = static_cast<uint8_t>(sum >> 16);
            field[2] = static_cast<uint8_t>(sum >> 8);
            field[3] = static_cast<uint8_t>(sum);
        }
        return TableStatus::kOk;
    }
    return TableStatus::kOk;
}

}  // namespace

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t ReadU32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool IsCollectionTag(const uint8_t* data, size_t size) {
    if (size < 4) return false;
    static const char kTag[] = "ttcf";
    for (int i = 0; i < 4; ++i) {
        uint8_t c = data[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c - 'A' + 'a');
        if (c != static_cast<uint8_t>(kTag[i])) return false;
    }
    return true;
}

FontCheck CheckFontType(const uint8_t* data, size_t size, bool collectionsOn) {
    if (size < 4) return FontCheck::kRefused;
    if (IsCollectionTag(data, size)) {
        if (!collectionsOn) return FontCheck::kRefused;
        if (size < 8) return FontCheck::kNeedsMemberBytes;
        if (!IsAcceptedCollectionVersion(ReadU32(data + 4))) return FontCheck::kRefused;
        if (size < 16) return FontCheck::kNeedsMemberBytes;
        uint32_t member = ReadU32(data + 12);
        if (!Inside(size, member, 4)) return FontCheck::kNeedsMemberBytes;
        return ReadU32(data + member) == kTrueTypeVersion ? FontCheck::kAccepted
                                                          : FontCheck::kRefused;
    }
    uint32_t version = ReadU32(data);
    return version == kTrueTypeVersion || version == kCffVersion ? FontCheck::kAccepted
                                                                 : FontCheck::kRefused;
}

int ReadFontName(uint8_t* image, size_t size, uint16_t nameId, bool collectionsOn,
                 bool alterFamily, char16_t* name) {
    bool alter = alterFamily && nameId == kNameFamily;
    if (size < 4) return kNameRefused;
    if (!IsCollectionTag(image, size)) {
        TableStatus s = ReadFromOffsetTable(image, size, 0, nameId, alter, name);
        return s == TableStatus::kOk ? kNameOk : kNameRefused;
    }
    if (!collectionsOn) return kNameRefused;
    if (size < 8) return kNameRefused;
    if (!IsAcceptedCollectionVersion(ReadU32(image + 4))) return kNameOk;
    if (size < 16) return kNameRefused;
    // A member with an unknown sfnt version leaves the names empty; the type check
    // has refused such a collection before any name is read.
    TableStatus s = ReadFromOffsetTable(image, size, ReadU32(image + 12), nameId, alter, name);
    return s == TableStatus::kOutside ? kNameRefused : kNameOk;
}

void FaceNameOfAlteredFamily(char16_t* name) {
    if (name[0] == 0) return;
    name[0] = name[0] == u'V' ? u'W' : u'V';
}

uint32_t TableChecksum(const uint8_t* image, size_t size, uint32_t offset, uint32_t length) {
    uint32_t sum = 0;
    uint64_t end = (uint64_t{offset} + length + 3) & ~uint64_t{3};
    for (uint64_t at = offset; at < end; at += 4) {
        uint32_t word = 0;
        for (uint64_t k = 0; k < 4; ++k) {
            word <<= 8;
            if (at + k < size) word |= image[at + k];
        }
        sum += word;
    }
    return sum;
}

}  // namespace glypho
