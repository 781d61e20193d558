// Builds small font file images byte by byte for the name-reading tests: an
// offset table with a 'head' and a 'name' table, name records as given, and
// collections that wrap such a font. Only the bytes the plug-in reads are real.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glypho_test {

struct TestName {
    uint16_t platform;
    uint16_t encoding;
    uint16_t language;
    uint16_t nameId;
    std::vector<uint8_t> bytes;
};

inline std::vector<uint8_t> Utf16Be(const std::u16string& text) {
    std::vector<uint8_t> out;
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c));
    }
    return out;
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline TestName WinName(uint16_t language, uint16_t id, const std::u16string& text) {
    return {3, 1, language, id, Utf16Be(text)};
}

inline TestName MacName(uint16_t encoding, uint16_t language, uint16_t id, const std::string& text) {
    return {1, encoding, language, id, Bytes(text)};
}

inline void PutU16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x >> 8);
    v[at + 1] = static_cast<uint8_t>(x);
}

inline void PutU32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    PutU16(v, at, x >> 16);
    PutU16(v, at + 2, x & 0xFFFF);
}

inline uint32_t GetU32(const std::vector<uint8_t>& v, size_t at) {
    return (uint32_t{v[at]} << 24) | (uint32_t{v[at + 1]} << 16) | (uint32_t{v[at + 2]} << 8) | v[at + 3];
}

// Appends a font whose offset table starts at out.size(); table offsets count
// from the start of `out`, as in a collection.
inline void AppendFont(std::vector<uint8_t>& out, const std::vector<TestName>& names,
                       uint32_t sfntVersion = 0x00010000) {
    size_t base = out.size();
    out.resize(base + 12 + 2 * 16, 0);
    PutU32(out, base, sfntVersion);
    PutU16(out, base + 4, 2);

    size_t head = out.size();
    out.resize(head + 8, 0x11);
    size_t nameTable = out.size();
    size_t storage = 6 + 12 * names.size();
    out.resize(nameTable + storage, 0);
    PutU16(out, nameTable + 2, static_cast<uint32_t>(names.size()));
    PutU16(out, nameTable + 4, static_cast<uint32_t>(storage));
    size_t textAt = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        size_t r = nameTable + 6 + 12 * i;
        PutU16(out, r, names[i].platform);
        PutU16(out, r + 2, names[i].encoding);
        PutU16(out, r + 4, names[i].language);
        PutU16(out, r + 6, names[i].nameId);
        PutU16(out, r + 8, static_cast<uint32_t>(names[i].bytes.size()));
        PutU16(out, r + 10, static_cast<uint32_t>(textAt));
        out.insert(out.end(), names[i].bytes.begin(), names[i].bytes.end());
        textAt += names[i].bytes.size();
    }
    size_t nameLength = out.size() - nameTable;
    while (out.size() % 4 != 0) out.push_back(0);

    const char* tags[2] = {"head", "name"};
    size_t offsets[2] = {head, nameTable};
    size_t lengths[2] = {8, nameLength};
    for (int t = 0; t < 2; ++t) {
        size_t r = base + 12 + 16 * t;
        for (int k = 0; k < 4; ++k) out[r + k] = static_cast<uint8_t>(tags[t][k]);
        PutU32(out, r + 4, 0x12345678);
        PutU32(out, r + 8, static_cast<uint32_t>(offsets[t]));
        PutU32(out, r + 12, static_cast<uint32_t>(lengths[t]));
    }
}

inline std::vector<uint8_t> BuildFont(const std::vector<TestName>& names,
                                      uint32_t sfntVersion = 0x00010000) {
    std::vector<uint8_t> out;
    AppendFont(out, names, sfntVersion);
    return out;
}

// A collection of one member font, header tag as given ("ttcf" or another case).
inline std::vector<uint8_t> BuildCollection(const std::vector<TestName>& names,
                                            uint32_t version = 0x00010000,
                                            const char* tag = "ttcf",
                                            uint32_t memberVersion = 0x00010000) {
    std::vector<uint8_t> out(16, 0);
    for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>(tag[k]);
    PutU32(out, 4, version);
    PutU32(out, 8, 1);
    PutU32(out, 12, 16);
    AppendFont(out, names, memberVersion);
    return out;
}

// Where the 'name' table record of the font at `base` sits (its directory entry).
inline size_t NameRecordOf(const std::vector<uint8_t>& font, size_t base = 0) {
    size_t tables = (font[base + 4] << 8) | font[base + 5];
    for (size_t i = 0; i < tables; ++i) {
        size_t r = base + 12 + 16 * i;
        if (font[r] == 'n' && font[r + 1] == 'a' && font[r + 2] == 'm' && font[r + 3] == 'e') return r;
    }
    return 0;
}

}  // namespace glypho_test
