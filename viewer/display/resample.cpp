// Bilinear resampling; see resample.h. Steps and weights are integers in
// 1/256 units, so the result is the same on every machine.
#include "viewer/display/resample.h"

#include <algorithm>
#include <vector>

namespace {

// Where target pixel `i` of `targetSize` samples the source of `sourceSize`
// pixels, in 1/256 pixel. Enlarging spreads the source's first and last
// pixels onto the target's first and last ones: i × (source − 1) ÷ (target −
// 1), exactly, so that no column or row at the right or bottom edge is lost to
// a truncated step. Shrinking keeps the plain step source ÷ target.
int64_t SourcePosition(int32_t i, int32_t sourceSize, int32_t targetSize) {
    if (targetSize <= sourceSize) return static_cast<int64_t>(i) * (static_cast<int64_t>(sourceSize) * 256 / targetSize);
    // Quotient and remainder apart, so that nothing overflows 64 bits.
    const int64_t span = static_cast<int64_t>(sourceSize - 1) * 256;
    const int64_t steps = targetSize - 1;
    const int64_t whole = span / steps;
    const int64_t rest = span % steps;
    return i * whole + i * rest / steps;
}

}  // namespace

bool ResamplePixels(const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight, bool interpolateAlpha,
                    uint8_t* target, int32_t targetWidth, int32_t targetHeight) {
    return ResamplePixelBlock(source, sourceWidth, sourceHeight, interpolateAlpha, targetWidth, targetHeight, 0, 0,
                              targetWidth, targetHeight, target);
}

bool ResamplePixelBlock(const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight, bool interpolateAlpha,
                        int32_t targetWidth, int32_t targetHeight, int32_t blockX, int32_t blockY,
                        int32_t blockWidth, int32_t blockHeight, uint8_t* target) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return false;
    if (blockX < 0 || blockY < 0 || blockWidth <= 0 || blockHeight <= 0 || blockWidth > targetWidth - blockX ||
        blockHeight > targetHeight - blockY) {
        return false;
    }
    const size_t sourceStride = static_cast<size_t>(sourceWidth) * 4;
    const int channels = interpolateAlpha ? 4 : 3;
    // The block's columns are worked out once, not once per row.
    std::vector<int64_t> columns(static_cast<size_t>(blockWidth));
    for (int32_t bx = 0; bx < blockWidth; ++bx) {
        columns[static_cast<size_t>(bx)] = SourcePosition(blockX + bx, sourceWidth, targetWidth);
    }
    for (int32_t by = 0; by < blockHeight; ++by) {
        const int64_t fixedY = SourcePosition(blockY + by, sourceHeight, targetHeight);
        const uint32_t fy = static_cast<uint32_t>(fixedY & 255);
        const int64_t row0 = fixedY >> 8;  // below sourceHeight, since the row is below targetHeight
        const int64_t row1 = std::min<int64_t>(row0 + 1, sourceHeight - 1);
        const uint8_t* top = source + static_cast<size_t>(row0) * sourceStride;
        const uint8_t* bottom = source + static_cast<size_t>(row1) * sourceStride;
        uint8_t* out = target + static_cast<size_t>(by) * blockWidth * 4;
        for (int32_t bx = 0; bx < blockWidth; ++bx, out += 4) {
            const int64_t fixedX = columns[static_cast<size_t>(bx)];
            const uint32_t fx = static_cast<uint32_t>(fixedX & 255);
            const int64_t col0 = fixedX >> 8;
            const int64_t col1 = std::min<int64_t>(col0 + 1, sourceWidth - 1);
            const uint8_t* p00 = top + col0 * 4;
            const uint8_t* p01 = top + col1 * 4;
            const uint8_t* p10 = bottom + col0 * 4;
            const uint8_t* p11 = bottom + col1 * 4;
            for (int c = 0; c < channels; ++c) {
                uint32_t upper = (p00[c] * (256 - fx) + p01[c] * fx) >> 8;
                uint32_t lower = (p10[c] * (256 - fx) + p11[c] * fx) >> 8;
                out[c] = static_cast<uint8_t>((upper * (256 - fy) + lower * fy) >> 8);
            }
            if (!interpolateAlpha) out[3] = 255;
        }
    }
    return true;
}
