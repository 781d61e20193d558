// The two facts of a photograph that decide how it looks rather than what it
// holds: the EXIF orientation and the embedded ICC colour profile, found by
// bounded walks over the bytes of a JPEG, PNG, WebP or TIFF file. Pure byte
// work (zlib for the compressed profile of a PNG).
#pragma once

#include <cstddef>
#include <cstdint>

#include "viewer/core/buffer.h"

struct PictureTags {
    int32_t orientation = 1;        // EXIF 1 to 8; 1 when absent or out of range
    Buffer<uint8_t> profile;        // the whole ICC profile, or empty (also when no memory held it)
};

// The largest profile that is taken; a longer one is no profile.
constexpr size_t kMaxProfileBytes = size_t{16} << 20;

// Reads the tags of the file in `data` (whichever of the four formats its
// first bytes name); asks only for what is wanted. A tag that is missing,
// damaged or cut off is reported as absent. True when the format is one of
// the four.
bool ReadPictureTags(const uint8_t* data, size_t length, bool wantOrientation, bool wantProfile,
                     PictureTags& tags);

// The orientation in a TIFF-structured block (the payload of an EXIF segment
// or chunk, or a TIFF file): tag 274 of the first directory; 1 when absent.
int32_t OrientationInTiff(const uint8_t* data, size_t length);

// The size of a picture of `width` × `height` after orientation `orientation`
// (5 to 8 exchange the two).
void OrientedSize(int32_t orientation, int32_t width, int32_t height, int32_t& outWidth, int32_t& outHeight);

// Writes the 32-bit pixels of `source` (`width` × `height`, rows top down)
// into `target` turned and mirrored as orientation `orientation` asks, so
// that the picture stands upright; `target` holds the oriented size.
void OrientPixels(const uint32_t* source, int32_t width, int32_t height, int32_t orientation, uint32_t* target);

// The same for a band of the source: `band` holds its rows `top` to
// `top + rows - 1`, and only their pixels are written into `target`.
void OrientBand(const uint32_t* band, int32_t width, int32_t height, int32_t top, int32_t rows,
                int32_t orientation, uint32_t* target);

// Orientations 2 to 4 (the mirrors and the half turn, which keep the size)
// done where the pixels lie; false, with the pixels untouched, for others.
bool OrientInPlace(uint32_t* pixels, int32_t width, int32_t height, int32_t orientation);
