// The PNG chunk walker: one bounded walk over a PNG file that finds its bit
// depth, its transparent colour, whether it is an animated PNG and where each
// frame's control chunk and image data lie; the facts of a frame; and the
// bytes of a plain single-frame PNG holding one frame (with recomputed chunk
// CRCs), which the Windows Imaging Component then decodes. Pure byte work.
#pragma once

#include <cstddef>
#include <cstdint>

#include "viewer/core/buffer.h"

struct PngIndex {
    bool isPng = false;
    bool hasHeader = false;  // an "IHDR" chunk at offset 8
    uint32_t width = 0, height = 0;
    uint8_t colourType = 0;
    int32_t depth = -1;             // -1: the colour type does not tell
    int32_t transparentColor = -1;  // 0x00BBGGRR from "tRNS", or -1
    bool animated = false;          // has an "acTL" chunk
    uint32_t playCount = 0;
    uint32_t frameCount = 0;        // frames that have an "fcTL", at most the "acTL" count
    bool stillImageData = false;    // "IDAT" with no "fcTL" before it
    Buffer<uint32_t> controls;            // offset of each frame's "fcTL" chunk
    Buffer<uint32_t> spanEnds;            // where each frame's chunks end
    Buffer<uint8_t> inImageData;          // 1: the frame's pixels are the "IDAT" data
    Buffer<uint32_t> kept;                // "PLTE" and "tRNS" chunks, copied into every frame
    uint32_t imageEnd = 0xFFFFFFFFu;      // the "IEND" chunk, if any
};

// Walks the chunks once, up to "IEND" or the end of the data; a chunk longer
// than what remains ends the walk. False when bytes 1 to 3 are not "PNG".
// Without memory for the frames' list the file counts as a still picture.
bool IndexPngChunks(const uint8_t* data, size_t length, PngIndex& index);

struct PngFrameFacts {
    int32_t left, top, width, height;
    int32_t delayMs;
    int32_t disposal;  // 1 leave, 2 background, 3 previous; +8 blend over; negative: pixels in "IDAT"
};

// Facts of frame `k` of an animated PNG (k < frameCount), or of the still
// image for k = 0 of a PNG without "acTL". False when there is no such frame.
bool ReadPngFrameFacts(const uint8_t* data, const PngIndex& index, uint32_t k, PngFrameFacts& facts);

// The plain PNG of frame `k`: signature, "IHDR" with the frame's size, the
// "PLTE" and "tRNS" chunks, the frame's data as "IDAT" chunks, "IEND".
bool BuildPngFrameBytes(const uint8_t* data, size_t length, const PngIndex& index, uint32_t k,
                        Buffer<uint8_t>& out);

// CRC-32 of PNG chunks (ISO 3309), over `length` bytes, continuing `crc`.
uint32_t PngCrc(uint32_t crc, const uint8_t* bytes, size_t length);
