// The format-specific steps that the dispatcher calls in its fixed order:
// GIF and APNG frames, WebP, icon images and the TIFF depth. Each step reports "not decoded" until its decoder is written, and the
// dispatcher then falls through exactly as it will when a real decoder fails.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/decode/plugin_host.h"

// GIF in `state.fileBuffer`: the number of frames (0 when it is not a GIF).
uint32_t CountGifFrames(const uint8_t* data, uint32_t length);
// Facts of frame `state.subIndex` (already normalised): depth, placement,
// disposal, colours. Read for still GIFs too, which end in WIC.
void ReadGifFrameFacts(const DecodeState& state, DecodedPicture& picture, int32_t& depth);
// Frame `state.subIndex` composed into a premultiplied 32-bit bitmap, or null.
HBITMAP BuildGifFrame(const DecodeState& state, DecodedPicture& picture);

// PNG in `state.fileBuffer`: depth, animation, frame facts, and `subIndex`
// normalised over the frames. Returns whether it is animated.
bool ScanPngChunks(DecodeState& state, DecodedPicture& picture, int32_t& depth);
// Frame `state.subIndex` of an animated PNG, premultiplied, or null.
HBITMAP BuildApngFrame(const DecodeState& state, DecodedPicture& picture);

// Frame `state.subIndex` of a WebP file, or null; sets `premultipliedAlpha`
// when the frame has alpha (and is premultiplied already).
HBITMAP DecodeWebpFrame(const char* path, DecodeState& state, DecodedPicture& picture);

// Image `state.subIndex` of an icon file (not yet premultiplied), or null;
// `depth` is the entry's bit depth.
HBITMAP DecodeIconImage(const char* path, DecodeState& state, DecodedPicture& picture, int32_t& depth);

// Depth of the first image of a TIFF file held in memory; -1 when unknown.
int32_t ReadTiffBitDepth(const uint8_t* data, uint32_t length);
