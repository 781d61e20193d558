// Assembling collections and reading font directories for the tests. Written
// straight from the file format, apart from the plug-in's own parser, so the
// two can check each other.
#include "plugins/collo/tests/collection_builder.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace collo_test {

uint32_t Tag(const char* text) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint8_t(text[3]);
}

uint32_t Be32(const Bytes& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) |
           b[at + 3];
}

static uint16_t Be16(const Bytes& b, size_t at) { return uint16_t((b[at] << 8) | b[at + 1]); }

void PutBe32(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v >> 24);
    b[at + 1] = uint8_t(v >> 16);
    b[at + 2] = uint8_t(v >> 8);
    b[at + 3] = uint8_t(v);
}

void PutBe16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}

std::string HostPath(const std::string& unixPath) {
#ifdef _WIN32
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#else
    return unixPath;
#endif
}

std::string DejaVu(const char* fileName) {
    return HostPath(std::string("/usr/share/fonts/truetype/dejavu/") + fileName);
}

std::string RealCollectionPath() { return HostPath("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"); }

Bytes ReadFileBytes(const std::string& path) {
    Bytes bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadFont(const Bytes& file, size_t at, Font* font) {
    if (at > file.size() || file.size() - at < 12) return false;
    font->sfntVersion = Be32(file, at);
    const size_t count = Be16(file, at + 4);
    font->searchRange = Be16(file, at + 6);
    font->entrySelector = Be16(file, at + 8);
    font->rangeShift = Be16(file, at + 10);
    if ((file.size() - at - 12) / 16 < count) return false;
    font->tables.clear();
    for (size_t i = 0; i < count; ++i) {
        const size_t record = at + 12 + 16 * i;
        Table table;
        table.tag = Be32(file, record);
        table.checksum = Be32(file, record + 4);
        table.offset = Be32(file, record + 8);
        const uint32_t length = Be32(file, record + 12);
        if (table.offset > file.size() || file.size() - table.offset < length) return false;
        table.data.assign(file.begin() + table.offset, file.begin() + table.offset + length);
        font->tables.push_back(std::move(table));
    }
    return true;
}

Font LoadFont(const std::string& path) {
    Font font;
    if (!ReadFont(ReadFileBytes(path), 0, &font)) font.tables.clear();
    return font;
}

void AddTable(Font* font, const char* tag, const Bytes& data, uint32_t checksum) {
    Table table;
    table.tag = Tag(tag);
    table.checksum = checksum;
    table.data = data;
    size_t i = 0;
    while (i < font->tables.size() && font->tables[i].tag < table.tag) ++i;
    font->tables.insert(font->tables.begin() + i, std::move(table));
    const size_t n = font->tables.size();
    uint16_t power = 1, log2 = 0;
    while (power * 2 <= n) power *= 2, ++log2;
    font->searchRange = uint16_t(power * 16);
    font->entrySelector = log2;
    font->rangeShift = uint16_t(n * 16 - power * 16);
}

static void Pad4(Bytes* bytes) {
    while (bytes->size() % 4 != 0) bytes->push_back(0);
}

Bytes BuildCollection(const std::vector<Font>& fonts, uint32_t version, bool shareIdentical) {
    Bytes out(12 + 4 * fonts.size() + (version >= 0x00020000 ? 12 : 0), 0);
    out[0] = 't', out[1] = 't', out[2] = 'c', out[3] = 'f';
    PutBe32(out, 4, version);
    PutBe32(out, 8, uint32_t(fonts.size()));

    // Offset tables first, table data after all of them.
    std::vector<size_t> directories;
    for (size_t k = 0; k < fonts.size(); ++k) {
        PutBe32(out, 12 + 4 * k, uint32_t(out.size()));
        directories.push_back(out.size());
        const Font& font = fonts[k];
        const size_t n = font.tables.size();
        uint16_t power = 1, log2 = 0;
        while (power * 2 <= n) power *= 2, ++log2;
        out.resize(out.size() + 12 + 16 * n, 0);
        const size_t at = directories.back();
        PutBe32(out, at, font.sfntVersion);
        PutBe16(out, at + 4, uint16_t(n));
        PutBe16(out, at + 6, uint16_t(power * 16));
        PutBe16(out, at + 8, log2);
        PutBe16(out, at + 10, uint16_t(n * 16 - power * 16));
    }
    std::map<Bytes, uint32_t> stored;
    for (size_t k = 0; k < fonts.size(); ++k) {
        for (size_t i = 0; i < fonts[k].tables.size(); ++i) {
            const Table& table = fonts[k].tables[i];
            uint32_t offset;
            auto found = shareIdentical ? stored.find(table.data) : stored.end();
            if (found != stored.end()) {
                offset = found->second;
            } else {
                offset = uint32_t(out.size());
                out.insert(out.end(), table.data.begin(), table.data.end());
                Pad4(&out);
                if (shareIdentical) stored[table.data] = offset;
            }
            const size_t record = directories[k] + 12 + 16 * i;
            PutBe32(out, record, table.tag);
            PutBe32(out, record + 4, table.checksum);
            PutBe32(out, record + 8, offset);
            PutBe32(out, record + 12, uint32_t(table.data.size()));
        }
    }
    return out;
}

uint32_t ExpectedChecksum(uint32_t tag, const Bytes& padded) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 4 <= padded.size(); i += 4)
        if (!(tag == Tag("head") && i == 8)) sum += Be32(padded, i);
    return sum;
}

std::string CheckMember(const Bytes& member, const Font& source) {
    std::ostringstream problems;
    Font got;
    if (!ReadFont(member, 0, &got)) return "the member's directory does not fit in it";
    if (got.sfntVersion != source.sfntVersion || got.searchRange != source.searchRange ||
        got.entrySelector != source.entrySelector || got.rangeShift != source.rangeShift)
        problems << "offset table changed; ";
    if (got.tables.size() != source.tables.size()) return problems.str() + "table count changed";
    size_t expectedOffset = 12 + 16 * got.tables.size();
    for (size_t i = 0; i < got.tables.size(); ++i) {
        const Table& t = got.tables[i];
        const Table& s = source.tables[i];
        char tag[5] = {char(t.tag >> 24), char(t.tag >> 16), char(t.tag >> 8), char(t.tag), 0};
        if (t.tag != s.tag) problems << "table " << i << " has tag " << tag << "; ";
        if (t.offset != expectedOffset) problems << tag << " at " << t.offset << " not " << expectedOffset << "; ";
        if (t.offset % 4 != 0) problems << tag << " not at a multiple of 4; ";
        if (t.data != s.data) problems << tag << " data differ; ";
        const size_t padded = (t.data.size() + 3) / 4 * 4;
        if (t.offset + padded > member.size()) {
            problems << tag << " padding runs past the end; ";
            continue;
        }
        Bytes written(member.begin() + t.offset, member.begin() + t.offset + padded);
        for (size_t p = t.data.size(); p < padded; ++p)
            if (written[p] != 0) problems << tag << " padding not zero; ";
        if (t.checksum != ExpectedChecksum(t.tag, written)) problems << tag << " checksum wrong; ";
        expectedOffset += padded;
    }
    if (member.size() != expectedOffset)
        problems << "size " << member.size() << " not " << expectedOffset << "; ";
    return problems.str();
}

}  // namespace collo_test
