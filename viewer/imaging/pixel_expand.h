// Rows of 8-bit grey or 24-bit blue, green, red pixels widened in place to
// 32-bit blue, green, red, alpha (alpha 255), so that a decoder can write its
// own narrower format straight into the picture's memory. No Windows API.
#pragma once

#include <cstddef>
#include <cstdint>

// `pixels` holds `count` pixels of `bytesPerPixel` (1 or 3) packed from its
// start and has room for `count` × 4 bytes; afterwards it holds them as
// 32-bit pixels. False, with nothing changed, for any other byte count.
bool WidenToBgra(uint8_t* pixels, size_t count, unsigned bytesPerPixel);
