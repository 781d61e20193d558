// The icon directory walker: finds image number `subIndex` of an icon file,
// checks that it lies inside the data, and wraps a bitmap image into a
// one-image icon file for the Windows Imaging Component. Pure byte work.
#pragma once

#include <cstddef>
#include <cstdint>

#include "viewer/core/buffer.h"

struct IconImage {
    uint32_t entry;   // offset of its 16-byte directory entry
    uint32_t offset;  // of the image's bytes
    uint32_t length;
    bool isBitmap;    // a bitmap information header (else a PNG file, or nothing known)
    int32_t depth;    // the bitmap's bit count, or what the PNG chunks tell, or -1
};

// Normalises `subIndex` over the image count (-1: the last; the count: the
// first) and sets `lastIndex` (count - 1, or -1 for a single image). False,
// with both untouched, when the data hold no whole directory; false with both
// set when the chosen image does not lie inside the data.
bool FindIconImage(const uint8_t* data, size_t length, int32_t& subIndex, int32_t& lastIndex, IconImage& image);

// The bytes that WIC decodes: for a bitmap image a one-image icon file (the
// file's first four bytes, count 1, its directory entry pointing at offset
// 22, the image); for any other image its own bytes. False, with `file`
// empty, when there was no memory for them.
bool IconImageFile(const uint8_t* data, const IconImage& image, Buffer<uint8_t>& file);
