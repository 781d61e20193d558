// Saves the specimens as PNG files for a person to look at: 8-bit RGB rows, one
// zlib stream, written with the chunk CRCs that zlib computes.
#include <zlib.h>

#include <cstdio>
#include <vector>

#include "plugins/glypho/tests/spi_host.h"

namespace glypho_test {

namespace {

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBe32(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool SavePng(const Picture& picture, const std::string& path) {
    if (picture.width < 1 || picture.height < 1) return false;
    std::vector<uint8_t> raw;
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < picture.width; ++x) {
            uint32_t rgb = picture.At(x, y);
            raw.push_back(static_cast<uint8_t>(rgb >> 16));
            raw.push_back(static_cast<uint8_t>(rgb >> 8));
            raw.push_back(static_cast<uint8_t>(rgb));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBe32(header, static_cast<uint32_t>(picture.width));
    PutBe32(header, static_cast<uint32_t>(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", {});
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos) CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    WriteWholeFile(path, png);
    return true;
}

}  // namespace glypho_test
