// Bilinear resampling of a GDI bitmap, the "Liner" drawing path: the pixels
// are read out, resampled in fixed point (resample.h) and written into a new
// DIB section.
#pragma once

#include <windows.h>

#include <cstdint>

// A new 32-bit bottom-up DIB section of `newWidth` × `newHeight` with the
// picture of `bitmap`, or null. Alpha is interpolated for 32-bit sources and
// opaque otherwise. The caller owns the result.
HBITMAP ResampleBilinear(HBITMAP bitmap, int32_t newWidth, int32_t newHeight);

// Only the block of that result whose top-left corner is (`x`, `y`), counted
// from the picture's top, `width` × `height` pixels: the part a window shows.
HBITMAP ResampleBilinearBlock(HBITMAP bitmap, int32_t newWidth, int32_t newHeight, int32_t x, int32_t y,
                              int32_t width, int32_t height);
