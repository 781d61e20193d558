// TIFF depth; see tiff_depth.h. One pass over the first directory, so that no
// order of the tags can make the walk restart; every offset is checked
// against the data before it is read.
#include "viewer/decode/tiff_depth.h"

namespace {

struct Reader {
    const uint8_t* data;
    bool little;
    uint32_t U16(size_t at) const {
        return little ? data[at] | (data[at + 1] << 8) : (data[at] << 8) | data[at + 1];
    }
    uint32_t U32(size_t at) const {
        return little ? U16(at) | (U16(at + 2) << 16) : (U16(at) << 16) | U16(at + 2);
    }
};

constexpr uint32_t kShort = 3;
constexpr uint32_t kLong = 4;

}  // namespace

int32_t ReadTiffBitDepth(const uint8_t* data, size_t length) {
    if (length < 8) return 0;
    const Reader r = {data, data[0] == 'I'};
    const uint32_t directory = r.U32(4);
    if (directory > length - 2) return 0;
    uint32_t count = r.U16(directory);
    const size_t entries = size_t{directory} + 2;
    if (count > (length - entries) / 12) count = static_cast<uint32_t>((length - entries) / 12);

    uint32_t samples = 1;
    size_t bitsEntry = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = entries + 12 * size_t{i};
        const uint32_t tag = r.U16(e);
        if (tag == 277) samples = r.U32(e + 2) == kLong ? r.U32(e + 8) : r.U16(e + 8);
        if (tag == 258) bitsEntry = e;
    }
    if (samples == 0 || samples > 0xFFFF) return 0;
    if (!bitsEntry) return static_cast<int32_t>(samples);

    const uint32_t type = r.U16(bitsEntry + 2);
    const uint32_t values = r.U32(bitsEntry + 4);
    if ((type != kShort && type != kLong) || values == 0) return 0;
    const uint32_t size = type == kShort ? 2 : 4;
    auto valueAt = [&](size_t at) { return size == 2 ? r.U16(at) : r.U32(at); };
    // One value stands for every sample.
    if (values == 1) {
        const uint64_t depth = uint64_t{valueAt(bitsEntry + 8)} * samples;
        return depth > 0x7FFFFFFF ? 0 : static_cast<int32_t>(depth);
    }
    const uint32_t summed = values < samples ? values : samples;
    size_t at = bitsEntry + 8;
    if (uint64_t{values} * size > 4) {
        at = r.U32(bitsEntry + 8);
        if (at > length || uint64_t{summed} * size > length - at) return 0;
    }
    uint64_t depth = 0;
    for (uint32_t i = 0; i < summed; ++i) depth += valueAt(at + size_t{i} * size);
    return depth > 0x7FFFFFFF ? 0 : static_cast<int32_t>(depth);
}
