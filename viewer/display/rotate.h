// The display bitmap: the decoded picture turned clockwise by 0, 90, 180 or
// 270 degrees. Quarter turns go through tiles of at most 1000 × 1000 pixels,
// so that a huge picture never needs a second full copy of its pixels.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/imaging/wic_decode.h"

constexpr int32_t kRotationTile = 1000;

// A new 32-bit DIB section holding `source` (`width` × `height`) turned by
// `rotation`; null for a null source or a failure. The caller owns it.
HBITMAP RotateBitmap(HWND window, HBITMAP source, int32_t width, int32_t height, int32_t rotation);
