// BMP header depth; see bmp_depth.h.
#include "viewer/formats/bmp_depth.h"

namespace {

uint32_t Read16(const uint8_t* p) { return p[0] | (p[1] << 8); }

uint32_t Read32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

int32_t BmpBitDepth(const uint8_t* data, size_t length) {
    // The info header starts after the 14-byte file header with its own size.
    if (length < 18) return -1;
    const uint32_t headerSize = Read32(data + 14);
    size_t countOffset;
    if (headerSize == 40) {
        countOffset = 28;
    } else if (headerSize == 12) {
        countOffset = 24;
    } else {
        return 32;
    }
    if (length < countOffset + 2) return -1;
    return static_cast<int32_t>(Read16(data + countOffset) & 0xFF);
}
