// The bit depth of a TIFF file's first image, read from its first image
// directory (bits per sample summed over the samples of a pixel), for the
// information text: WIC's 32-bit output does not tell it. Pure byte work; the
// bytes come through a reader, so that a file is read only where the header
// and the directory point, never whole.
#pragma once

#include <cstddef>
#include <cstdint>

// Where the walker's bytes come from: `read` copies `n` bytes at `offset` of
// data that are `length` bytes long into `out`, or returns false.
struct TiffSource {
    bool (*read)(void* context, uint64_t offset, uint8_t* out, size_t n);
    void* context;
    uint64_t length;
};

// The depth, or 0 when the data hold no readable first directory. Tags left
// out take their TIFF defaults: one sample, one bit per sample.
int32_t ReadTiffBitDepth(const TiffSource& source);

// The same over data in memory.
int32_t ReadTiffBitDepth(const uint8_t* data, size_t length);
