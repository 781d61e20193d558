// The frame and image readers that the dispatcher calls in its fixed order:
// GIF and APNG frames, WebP frames and icon images. Each reports "not
// decoded" when it fails, and the dispatcher then falls through to the next.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/buffer.h"
#include "viewer/core/decoded_picture.h"

// GIF: reads the file into `state.fileBuffer` unless it is there and walks it
// once; returns the number of frames (0 when it is not a GIF) and normalises
// `state.subIndex` over them.
uint32_t CountGifFrames(const wchar_t* path, DecodeState& state);
// Facts of frame `state.subIndex` (already normalised): depth, placement,
// disposal, colours. Read for still GIFs too, which end in WIC.
void ReadGifFrameFacts(const DecodeState& state, DecodedPicture& picture, int32_t& depth);
// Whether frame `state.subIndex` has a colour table, its own or the file's.
bool GifHasColours(const DecodeState& state);
// Frame `state.subIndex` alone, premultiplied, with its delay and the loop
// count; null when it cannot be decoded, with `tooLarge` when the frame or the
// canvas it needs is beyond the pixel limit.
HBITMAP BuildGifFrame(const DecodeState& state, DecodedPicture& picture, bool& tooLarge);

// Frame `k` of the GIF in `state.fileBuffer` decoded without WIC, for the long
// rebuilds of an animation: its premultiplied pixels, and its placement and
// disposal in `picture`. False when it cannot be decoded so.
bool DecodeGifFrameFast(const DecodeState& state, uint32_t k, Buffer<uint32_t>& pixels,
                        DecodedPicture& picture);

// PNG in `state.fileBuffer`: depth, transparent colour, frame facts, and
// `subIndex` normalised over the frames. Returns the frame count (0 for a
// still PNG); `animated` tells whether it has an animation control chunk.
uint32_t ScanPngFile(DecodeState& state, DecodedPicture& picture, int32_t& depth, bool& animated);
// The same after reading the file into `state.fileBuffer` when it is not
// there; 0 when it cannot be read. The loading flow asks it whether a PNG is
// animated.
uint32_t ReadApngInfo(const wchar_t* path, DecodeState& state, DecodedPicture& picture, int32_t& depth,
                      bool& animated);
// Whether the PNG in `state.fileBuffer` is past the pixel limit by the size in
// its header, which is known before any decoder is made.
bool PngHeaderPastPixelLimit(const DecodeState& state, uint32_t& width, uint32_t& height);
// Frame `state.subIndex` of an animated PNG, premultiplied, or null (with
// `tooLarge` as for GIF).
HBITMAP BuildPngFrame(const DecodeState& state, DecodedPicture& picture, bool& tooLarge);

// Frame `state.subIndex` of a WebP file (read into `state.fileBuffer`), or
// null. Pixels with alpha are premultiplied; `premultipliedAlpha` is set when
// the frame has alpha and is blended over what lies below it. `tooLarge` as
// for GIF; an animation's whole canvas is held to the limit too.
HBITMAP DecodeWebpFrame(const wchar_t* path, DecodeState& state, DecodedPicture& picture, bool& tooLarge);

// Image `state.subIndex` of an icon file (not yet premultiplied), or null;
// `depth` is the entry's bit depth and `lastIndex` the highest image index.
HBITMAP DecodeIconImage(const wchar_t* path, DecodeState& state, DecodedPicture& picture, int32_t& depth);

