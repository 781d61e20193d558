// The result of decoding one picture, frame, icon image or archive member, and
// the state kept for the current file between calls. Status values travel in
// the size fields when there is no bitmap.
#pragma once

#include <windows.h>

#include <cstdint>

struct FramePlacement {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

struct DecodedPicture {
    HBITMAP bitmap;             // owned by the caller; null on failure
    int32_t width;              // -1 file missing, -2 unsupported
    int32_t height;             // -4 archive member over the size limit
    uint16_t bitsPerPixel;      // depth of the source file, as the user is told
    int32_t premultipliedAlpha;
    FramePlacement frameRect;
    int32_t delayMs;
    int32_t disposal;
    int32_t transparentColor;   // 0x00BBGGRR, or -1
    int32_t backgroundColor;
    int32_t loopCount;          // 0: endless
    int32_t lastIndex;          // highest sub-image index, or -1
    // The file's own size when `bitmap` shows it reduced to within the pixel
    // limit (viewer/core/pixel_limit.h), turned as the bitmap is; 0 × 0 when
    // it is shown at its own size.
    uint32_t fileWidth;
    uint32_t fileHeight;
};

struct ArchiveIndex;  // the member list of the current archive, kept by the decoder
// Where the frames lie in `fileBuffer`, found by the first walk over it
// (viewer/decode/frame_index.h); freed with the buffer.
struct FrameIndex;
// The colour transform of an animation's composed frames
// (viewer/look/frame_colour.h); freed with the buffer.
struct FrameColour;

struct DecodeState {
    uint8_t* fileBuffer;  // the whole file, read once per file; null when not read
    uint32_t fileLength;
    int32_t subIndex;
    ArchiveIndex* archiveIndex;  // null until an archive's members are listed
    FrameIndex* frameIndex;  // owned; null until a frame reader walked the buffer
    FrameColour* frameColour;  // owned; null until a composed frame was converted
};

constexpr int32_t kStatusMissing = -1;
constexpr int32_t kStatusUnsupported = -2;
constexpr int32_t kStatusTooLarge = -4;
