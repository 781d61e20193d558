// The GIF block walker: one bounded walk over a GIF file that finds its
// frames, the facts of each frame (placement, disposal, transparency, delay,
// loop count), and the bytes of a single-frame GIF holding one frame, which
// the Windows Imaging Component then decodes. Pure byte work, no Windows API.
#pragma once

#include <cstddef>
#include <cstdint>

#include "viewer/core/buffer.h"

constexpr uint32_t kNoBlock = 0xFFFFFFFFu;

// One frame as the walk found it: byte offsets into the file.
struct GifFrameSpan {
    uint32_t segment;     // first byte after the previous frame's data (or the header)
    uint32_t descriptor;  // its image descriptor (",")
    uint32_t end;         // one past the block terminator of its image data
    uint32_t control;     // the last graphic control extension before it, or kNoBlock
    int32_t loopCount;    // of the last looping extension before it, or -1
};

struct GifIndex {
    bool isGif = false;
    uint32_t headerLength = 0;  // 13 plus the global colour table
    Buffer<GifFrameSpan> frames;
};

// Walks the blocks once. A truncated file ends the list at its last whole
// frame; an unknown extension is skipped by its sub-blocks; a sub-block longer
// than what remains ends the walk, and so does want of memory for the list.
// False when the data do not start with "GIF".
bool IndexGifFrames(const uint8_t* data, size_t length, GifIndex& index);

struct GifFrameFacts {
    int32_t depth;             // colour resolution, or the frame's table bits when that is 1
    int32_t left, top, width, height;
    int32_t disposal;          // 0 to 3, from the last control extension before the frame
    int32_t transparentColor;  // 0x00BBGGRR of the transparent index in the frame's table, or -1
    int32_t backgroundColor;   // 0x00BBGGRR when disposal is 2, else -1
    int32_t delayMs;           // from the frame's own control extension, -1 when it has none
    int32_t loopCount;         // -1 when no looping extension came before the frame
};

// Facts of frame `k` (< index.frames.size()).
GifFrameFacts ReadGifFacts(const uint8_t* data, size_t length, const GifIndex& index, uint32_t k);

// The single-frame GIF of frame `k`: the header with its global colour table,
// the frame's own control extensions, its image descriptor and data, the
// trailer. Comments, plain text and application extensions are left out, so
// that the result is a still picture. False when `k` is past the last frame.
bool BuildGifFrameBytes(const uint8_t* data, size_t length, const GifIndex& index, uint32_t k,
                        Buffer<uint8_t>& out);

// Whether frame `k` has a colour table of its own or the file a global one.
bool GifFrameHasColours(const uint8_t* data, const GifIndex& index, uint32_t k);

// Frame `k` decoded here, without WIC, for the long rebuilds of an
// animation: `width` × `height` premultiplied blue, green, red, alpha pixels
// in display order (an interlaced frame's rows put in place). The transparent
// index of its control extension is clear, an index past the table is black,
// and pixels that the data do not reach stay clear. False when the frame is
// past the pixel limit or its data are no LZW stream.
bool DecodeGifFramePixels(const uint8_t* data, size_t length, const GifIndex& index, uint32_t k,
                          Buffer<uint32_t>& pixels);
