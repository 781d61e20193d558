// The result of decoding one picture, and the per-file state kept between calls.
#pragma once

#include <windows.h>

#include <cstdint>

struct DecodedPicture {
    HBITMAP bitmap;   // 32-bit top-down DIB section, or null
    int32_t width;    // -1 file missing, -2 unsupported
    int32_t height;   // -4 archive member over the size limit
    int32_t bitDepth;
};

struct DecodeState {
    int32_t subIndex;
};
