// An image plug-in's picture (a BITMAPINFO block and a pixel block) as a
// bitmap compatible with the window's device, whether the blocks came from a
// plug-in in this process or through a host's shared memory.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "viewer/core/decoded_picture.h"

// Null when the blocks do not hold what the header at the start of `info`
// says; otherwise sets the picture's width, height and bit count. `info` must
// not change while this runs (a copy of a block another process can write).
HBITMAP BitmapFromDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize, HWND window,
                      DecodedPicture& picture);
