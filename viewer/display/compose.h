// The pixel work of laying animation frames over each other: a frame drawn
// onto the canvas at its place (blended source-over, or replacing the area),
// a rectangle cleared to transparent, and the opacity test that decides how
// the result is painted. Premultiplied blue, green, red, alpha pixels in
// top-down rows; no Windows API, so that the rules are tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

struct PixelPlane {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};

// Draws `frame` with its top-left corner at (`left`, `top`) of `canvas`,
// clipped to the canvas. `blend`: source over (result = source + destination
// × (255 − source alpha) ÷ 255); otherwise the frame's pixels replace those
// below, alpha included.
void DrawFrameOnto(const PixelPlane& canvas, const uint32_t* frame, int32_t frameWidth, int32_t frameHeight,
                   int32_t left, int32_t top, bool blend);

// Clears a rectangle of the canvas (clipped) to transparent black.
void ClearRectangle(const PixelPlane& canvas, int32_t left, int32_t top, int32_t width, int32_t height);

// True when every pixel has alpha 255.
bool AllOpaque(const uint32_t* pixels, size_t count);

// The size a canvas of `width` × `height` must grow to so that it covers a
// frame of `frameWidth` × `frameHeight` at (`left`, `top`): false when the
// frame lies outside any sensible canvas (negative place, a side beyond
// `kMaxCanvasSide`, or more than 2^31 bytes of pixels).
bool CoveringSize(int32_t width, int32_t height, int32_t left, int32_t top, int32_t frameWidth, int32_t frameHeight,
                  int32_t& newWidth, int32_t& newHeight);

constexpr int32_t kMaxCanvasSide = 65535 * 2;
