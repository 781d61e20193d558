// The reduced size of a picture past the pixel limit; see pixel_limit.h.
#include "viewer/core/pixel_limit.h"

#include <algorithm>
#include <cmath>

PixelSize ReducedWithinPixelLimit(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || WithinPixelLimit(width, height)) return {width, height};
    // One factor for both sides keeps the aspect; the square root of the
    // area ratio is the largest such factor, and flooring keeps the area
    // under the limit up to rounding, which the loops below take back.
    const double scale = std::sqrt(static_cast<double>(kMaxPicturePixels) / static_cast<double>(width) /
                                   static_cast<double>(height));
    int64_t w = std::max<int64_t>(1, static_cast<int64_t>(static_cast<double>(width) * scale));
    int64_t h = std::max<int64_t>(1, static_cast<int64_t>(static_cast<double>(height) * scale));
    w = std::min(w, kMaxPicturePixels / h);
    h = std::min(h, kMaxPicturePixels / w);
    return {w, h};
}
