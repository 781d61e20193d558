// The bit depth of a TIFF file's first image, read from its first image
// directory (bits per sample summed over the samples of a pixel), for the
// information text: WIC's 32-bit output does not tell it. Pure byte work.
#pragma once

#include <cstddef>
#include <cstdint>

// The depth, or 0 when the data hold no readable first directory. Tags left
// out take their TIFF defaults: one sample, one bit per sample.
int32_t ReadTiffBitDepth(const uint8_t* data, size_t length);
