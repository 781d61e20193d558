// Test helper that assembles TrueType collections from real single-font files
// and reads font directories back, so tests can compare what the plug-in
// extracts with the tables it started from. Used by the native and the Wine tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace collo_test {

using Bytes = std::vector<uint8_t>;

struct Table {
    uint32_t tag = 0;
    uint32_t checksum = 0;
    uint32_t offset = 0;  // where the data start in the file it was read from
    Bytes data;
};

struct Font {
    uint32_t sfntVersion = 0;
    uint16_t searchRange = 0, entrySelector = 0, rangeShift = 0;
    std::vector<Table> tables;
};

uint32_t Tag(const char* text);
uint32_t Be32(const Bytes& bytes, size_t at);
void PutBe32(Bytes& bytes, size_t at, uint32_t value);
void PutBe16(Bytes& bytes, size_t at, uint16_t value);

// Path of a file of the build machine as this test process reaches it (under
// Wine a Unix path /a/b is Z:\a\b).
std::string HostPath(const std::string& unixPath);
std::string DejaVu(const char* fileName);  // a font of fonts-dejavu-core
std::string RealCollectionPath();          // wqy-microhei.ttc of fonts-wqy-microhei

Bytes ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const Bytes& bytes);

// Reads the offset table at `at` and its tables (offsets count from the
// start of `file`). False when anything lies outside the file.
bool ReadFont(const Bytes& file, size_t at, Font* font);
Font LoadFont(const std::string& path);  // no tables when unreadable

// Adds a table in tag order, with its checksum left at `checksum`, and
// updates the binary-search fields of the offset table.
void AddTable(Font* font, const char* tag, const Bytes& data, uint32_t checksum);

// A collection of `fonts` with the given header version. With shareIdentical,
// tables with equal bytes are stored once and shared by the members that have them.
Bytes BuildCollection(const std::vector<Font>& fonts, uint32_t version = 0x00010000,
                      bool shareIdentical = false);

// The OpenType checksum, computed here independently of the plug-in.
uint32_t ExpectedChecksum(uint32_t tag, const Bytes& paddedData);

// Checks an extracted member against the font it came from: the offset table
// copied, the directory in the source's order, the first table right after
// it, every table at a multiple of 4 with its bytes, zero padding and a
// correct checksum, and nothing after the last table. Empty when all holds,
// otherwise what is wrong.
std::string CheckMember(const Bytes& member, const Font& source);

}  // namespace collo_test
