// Icon directory walker; see icon_image.h.
#include "viewer/formats/icon_image.h"

#include <cstring>

#include "viewer/formats/png_frames.h"

namespace {

uint32_t Read16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Read32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool FindIconImage(const uint8_t* data, size_t length, int32_t& subIndex, int32_t& lastIndex, IconImage& image) {
    if (length < 6) return false;
    const uint32_t count = Read16(data + 4);
    if (count == 0 || size_t{count} * 16 > length - 6) return false;
    lastIndex = count == 1 ? -1 : static_cast<int32_t>(count - 1);
    if (subIndex < 0) subIndex = static_cast<int32_t>(count - 1);
    if (static_cast<uint32_t>(subIndex) >= count) subIndex = 0;

    image.entry = 6 + 16 * static_cast<uint32_t>(subIndex);
    image.length = Read32(data + image.entry + 8);
    image.offset = Read32(data + image.entry + 12);
    image.isBitmap = false;
    image.depth = -1;
    if (image.offset > length || image.length > length - image.offset || image.length < 8) return false;
    const uint8_t* bytes = data + image.offset;
    if (image.length >= 40 && Read32(bytes) == 40) {
        image.isBitmap = true;
        image.depth = static_cast<int32_t>(Read16(bytes + 14));
    } else {
        PngIndex png;
        if (IndexPngChunks(bytes, image.length, png)) image.depth = png.depth;
    }
    return true;
}

bool IconImageFile(const uint8_t* data, const IconImage& image, Buffer<uint8_t>& file) {
    file.clear();
    const uint8_t* bytes = data + image.offset;
    if (!image.isBitmap) return file.Append(bytes, image.length);
    if (!file.Resize(22 + size_t{image.length})) return false;
    std::memcpy(file.data(), data, 4);
    file[4] = 1;
    file[5] = 0;
    std::memcpy(file.data() + 6, data + image.entry, 12);
    file[18] = 22;  // the image follows the one entry
    file[19] = file[20] = file[21] = 0;
    std::memcpy(file.data() + 22, bytes, image.length);
    return true;
}
