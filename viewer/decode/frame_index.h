// Where the frames of a multi-frame GIF, PNG or WebP file lie in the
// whole-file buffer. The first reader of a file walks it once and keeps what it found with the
// buffer (DecodeState::frameIndex), so that every later frame is read from its
// own bytes alone instead of walking the file from the start again. No
// Windows API here.
#pragma once

#include <cstdint>
#include <memory>

#include "viewer/formats/gif_frames.h"
#include "viewer/formats/png_frames.h"

struct DecodeState;
struct WebPDemuxer;  // libwebp's
void FreeWebpDemuxer(WebPDemuxer* demux);

struct FrameIndex {
    // The buffer that was walked: a buffer replaced without freeing the index
    // is walked afresh rather than read by stale offsets.
    const uint8_t* buffer = nullptr;
    uint32_t length = 0;
    bool gifWalked = false;
    bool pngWalked = false;
    bool webpWalked = false;
    GifIndex gif;
    PngIndex png;
    // libwebp's demultiplexer over the buffer (null when it refused it).
    std::unique_ptr<WebPDemuxer, void (*)(WebPDemuxer*)> webp{nullptr, FreeWebpDemuxer};
};

// The index kept with `state.fileBuffer`, made empty for a buffer it has not
// seen; null when there is no memory for one.
FrameIndex* FrameIndexOf(const DecodeState& state);
