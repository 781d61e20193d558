// TIFF depth; see tiff_depth.h. One pass over the first directory, so that no
// order of the tags can make the walk restart; every offset is checked
// against the length of the data before it is read.
#include "viewer/formats/tiff_depth.h"

#include <cstring>

#include "viewer/core/buffer.h"

namespace {

struct Order {
    bool little;
    uint32_t U16(const uint8_t* p) const { return little ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1]; }
    uint32_t U32(const uint8_t* p) const {
        return little ? U16(p) | (U16(p + 2) << 16) : (U16(p) << 16) | U16(p + 2);
    }
};

constexpr uint32_t kShort = 3;
constexpr uint32_t kLong = 4;

bool Read(const TiffSource& source, uint64_t offset, uint8_t* out, size_t n) {
    if (offset > source.length || n > source.length - offset) return false;
    return source.read(source.context, offset, out, n);
}

struct Memory {
    const uint8_t* data;
};

bool ReadMemory(void* context, uint64_t offset, uint8_t* out, size_t n) {
    std::memcpy(out, static_cast<Memory*>(context)->data + offset, n);
    return true;
}

}  // namespace

int32_t ReadTiffBitDepth(const TiffSource& source) {
    uint8_t header[8];
    if (!Read(source, 0, header, sizeof header)) return 0;
    const Order r = {header[0] == 'I'};
    const uint64_t directory = r.U32(header + 4);
    uint8_t countBytes[2];
    if (!Read(source, directory, countBytes, 2)) return 0;
    const uint64_t entriesAt = directory + 2;
    uint64_t count = r.U16(countBytes);
    if (count > (source.length - entriesAt) / 12) count = (source.length - entriesAt) / 12;
    Buffer<uint8_t> entries;
    if (!entries.Resize(static_cast<size_t>(count) * 12)) return 0;
    if (!entries.empty() && !Read(source, entriesAt, entries.data(), entries.size())) return 0;

    uint32_t samples = 1;
    const uint8_t* bits = nullptr;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = entries.data() + 12 * i;
        const uint32_t tag = r.U16(e);
        // The type is 16 bits; the count after it is no part of it.
        if (tag == 277) samples = r.U16(e + 2) == kLong ? r.U32(e + 8) : r.U16(e + 8);
        if (tag == 258) bits = e;
    }
    if (samples == 0 || samples > 0xFFFF) return 0;
    if (!bits) return static_cast<int32_t>(samples);

    const uint32_t type = r.U16(bits + 2);
    const uint32_t values = r.U32(bits + 4);
    if ((type != kShort && type != kLong) || values == 0) return 0;
    const size_t size = type == kShort ? 2 : 4;
    auto valueAt = [&](const uint8_t* p) { return size == 2 ? r.U16(p) : r.U32(p); };
    // One value stands for every sample.
    if (values == 1) {
        const uint64_t depth = uint64_t{valueAt(bits + 8)} * samples;
        return depth > 0x7FFFFFFF ? 0 : static_cast<int32_t>(depth);
    }
    const uint32_t summed = values < samples ? values : samples;
    Buffer<uint8_t> stored;
    if (uint64_t{values} * size > 4) {
        if (!stored.Resize(size_t{summed} * size) || !Read(source, r.U32(bits + 8), stored.data(), stored.size())) {
            return 0;
        }
    } else if (!stored.Append(bits + 8, 4)) {
        return 0;
    }
    uint64_t depth = 0;
    for (uint32_t i = 0; i < summed; ++i) depth += valueAt(stored.data() + size_t{i} * size);
    return depth > 0x7FFFFFFF ? 0 : static_cast<int32_t>(depth);
}

int32_t ReadTiffBitDepth(const uint8_t* data, size_t length) {
    Memory memory = {data};
    return ReadTiffBitDepth(TiffSource{ReadMemory, &memory, length});
}
