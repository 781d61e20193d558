// Bilinear resampling of 32-bit pixels in 8.8 fixed point, used when the
// "Liner" setting asks for smoother scaling than the system's halftone
// stretch. Pure byte work; resample_bitmap.h applies it to GDI bitmaps.
#pragma once

#include <cstdint>

// Scales `source` (`sourceWidth` × `sourceHeight` pixels of 4 bytes: blue,
// green, red, alpha; rows one after another) into `target` (`targetWidth` ×
// `targetHeight`, same layout). Alpha is interpolated like the colours when
// `interpolateAlpha`, else every target alpha is 255. Both row orders work:
// row 0 of the target is taken from row 0 of the source. False, with nothing
// written, when a size is not positive.
bool ResamplePixels(const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight, bool interpolateAlpha,
                    uint8_t* target, int32_t targetWidth, int32_t targetHeight);

// A block of the same result: the `blockWidth` × `blockHeight` pixels that
// start at column `blockX` and row `blockY` of the `targetWidth` ×
// `targetHeight` picture, written to `target` (rows of `blockWidth` pixels).
// Every pixel equals the one ResamplePixels computes, so a window can show a
// strongly enlarged picture without computing the parts that are not seen.
// False when a size is not positive or the block leaves the picture.
bool ResamplePixelBlock(const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight, bool interpolateAlpha,
                        int32_t targetWidth, int32_t targetHeight, int32_t blockX, int32_t blockY,
                        int32_t blockWidth, int32_t blockHeight, uint8_t* target);
