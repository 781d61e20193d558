// The general-purpose decoder: the Windows Imaging Component reads frame 0 of a
// file or of an image held in memory, and the result becomes a 32-bit top-down
// DIB section (blue, green, red, alpha). Also the two bitmap helpers that every
// built-in decoder shares, and the COM set-up that WIC needs on the window
// thread.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <atomic>
#include <cstdint>

#include "viewer/core/com.h"  // ComApartment, which the window thread holds for every decode

// What a decode tells of a frame past the pixel limit
// (viewer/core/pixel_limit.h), which is given reduced to within the limit
// with its aspect kept: by the decoder itself where it can scale while it
// decodes (a JPEG decoder can), else through the component's scaler.
struct WicReduction {
    bool refuse;          // asked: give no bitmap but `tooLarge` for such a frame
    uint32_t fileWidth;   // told: the frame's own size when it was past the
    uint32_t fileHeight;  // limit, 0 otherwise
    bool tooLarge;        // told: no bitmap, as asked, or because not even the
                          // decoder could hold it
};

// Frame 0 of the file at `path`, or null.
HBITMAP DecodeWicFile(const wchar_t* path, bool* opaqueSource = nullptr, WicReduction* reduction = nullptr);

// Frame 0 of a complete image file in memory, or null. The memory stays the
// caller's and need only outlive the call.
HBITMAP DecodeWicMemory(const uint8_t* data, uint32_t length, bool* opaqueSource = nullptr,
                        WicReduction* reduction = nullptr);

// One frame of a decoder that the caller made, as the two above decode
// frame 0; `reduction` asks and tells as there.
HBITMAP DecodeWicFrame(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, bool* opaqueSource,
                       WicReduction& reduction);

// `opaqueSource`, when given, tells whether the frame's own pixel format has
// no alpha channel (a JPEG's, for one): then every pixel of the result is
// opaque, and nothing needs to look at its alpha.

// The header of a 32-bit top-down bitmap (blue, green, red, alpha rows).
BITMAPINFO TopDownInfo(int32_t width, int32_t height);

// A 32-bit top-down DIB section of the given size (pixels in `bits` if asked);
// null for an empty size or a failure. `dc` may be null.
HBITMAP CreateTopDownSection(HDC dc, int32_t width, int32_t height, void** bits = nullptr);

// A DIB section holding the source's pixels; null unless the source delivers
// exactly 32-bit BGRA, or when its pixels cannot be copied.
HBITMAP CreateBgraDibSection(IWICBitmapSource* source);

// A limit on the decoded bytes of the pictures that CreateBgraDibSection makes
// on the calling thread (the read-ahead's budget); UINT64_MAX, the default, is
// none. While `lifted` (when given) is true there is none either: another
// thread may set it during the decode, and must keep it alive until the limit
// is set again. DecodedBytesLimitHit tells whether a picture was refused since.
void SetDecodedBytesLimit(uint64_t limit, const std::atomic<bool>* lifted = nullptr);
bool DecodedBytesLimitHit();

// Whether a picture of `width` × `height` at four bytes a pixel fits that
// limit; a refusal counts as a hit. The program's own frame readers ask it
// before they decode, and the imaging component of a huge frame before it
// decodes the frame reduced: what its decoder holds counts too.
bool FitsDecodedBytesLimit(uint64_t width, uint64_t height);

// Multiplies blue, green and red of every pixel of a 32-bit bitmap by its
// alpha (value × alpha ÷ 255, rounded down), in place. False, with the bitmap
// unchanged, when it is not 32-bit or its pixels cannot be had. `opaque`, when
// given, tells whether every alpha was 255 (the picture needs no blending).
bool PremultiplyAlpha(HBITMAP bitmap, bool* opaque = nullptr);

// The same rule on bytes in blue, green, red, alpha order; returns whether
// every alpha was 255.
bool PremultiplyPixels(uint8_t* pixels, size_t pixelCount);
