// Where the frames of a multi-frame GIF or PNG lie in the whole-file buffer.
// The first reader of a file walks it once and keeps what it found with the
// buffer (DecodeState::frameIndex), so that every later frame is read from its
// own bytes alone instead of walking the file from the start again. Pure byte
// facts: no Windows API here.
#pragma once

#include <cstdint>
#include <vector>

#include "viewer/decode/gif_frames.h"
#include "viewer/decode/png_frames.h"

struct FrameIndex {
    // The buffer that was walked: a buffer replaced without freeing the index
    // is walked afresh rather than read by stale offsets.
    const uint8_t* buffer = nullptr;
    uint32_t length = 0;
    bool gifWalked = false;
    bool pngWalked = false;
    GifIndex gif;
    PngIndex png;
};
