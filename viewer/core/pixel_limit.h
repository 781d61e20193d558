// The one bound on the pictures that the viewer makes itself: every frame of
// a GIF, animated PNG or WebP file, the canvas that frames are composed on and
// the pictures composed from it, and the still pictures of the imaging
// component, which are shown reduced past it. Reckoned in 64 bits, so that no
// side and no product can wrap; pure arithmetic.
#pragma once

#include <cstdint>

// 2^26 pixels, 256 MiB at four bytes a pixel: an 8000 x 8000 picture passes,
// a canvas of 32,767 x 32,767 (4 GiB) does not.
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

// Whether a picture of `width` x `height` may be made.
constexpr bool WithinPixelLimit(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
           width * height <= kMaxPicturePixels;
}

// Whether a frame of `width` x `height` at (`left`, `top`) fits a canvas
// within the limit that starts at the origin, as the animation's canvas does.
constexpr bool FrameWithinPixelLimit(int64_t left, int64_t top, int64_t width, int64_t height) {
    return left >= 0 && top >= 0 && left <= kMaxPicturePixels && top <= kMaxPicturePixels &&
           WithinPixelLimit(width, height) && WithinPixelLimit(left + width, top + height);
}

struct PixelSize {
    int64_t width;
    int64_t height;
};

// The largest size within the limit with the aspect of `width` × `height`
// (each side scaled by the same factor, rounded down, never below 1); the
// size itself when it is within. Sides up to 2^32.
PixelSize ReducedWithinPixelLimit(int64_t width, int64_t height);
