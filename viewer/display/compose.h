// The pixel work of laying animation frames over each other: a frame drawn
// onto the canvas at its place (blended source-over, or replacing the area),
// a rectangle cleared to transparent or saved and put back, the opacity test
// that decides how the result is painted, and the canvases kept for stepping
// back. Premultiplied blue, green, red, alpha pixels in
// top-down rows; no Windows API, so that the rules are tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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
// frame lies at a negative place or the canvas would pass the pixel limit.
bool CoveringSize(int32_t width, int32_t height, int32_t left, int32_t top, int32_t frameWidth, int32_t frameHeight,
                  int32_t& newWidth, int32_t& newHeight);

// The pixels of a rectangle of a canvas (clipped to it), saved to be put back
// where they were: what a frame that restores to previous covers.
struct SavedArea {
    int32_t left = 0, top = 0, width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
SavedArea SaveArea(const PixelPlane& canvas, int32_t left, int32_t top, int32_t width, int32_t height);
void RestoreArea(const PixelPlane& canvas, const SavedArea& area);

// Copies of the canvas as it stood before every `interval`-th frame, so that a
// step back composes from the nearest one instead of from frame 0. Together
// they hold at most `budget` pixels (64 MiB); to stay within it the interval
// doubles and every other copy goes.
struct CanvasSnapshot {
    int32_t frame;
    int32_t width, height;
    std::vector<uint32_t> pixels;
};

constexpr int64_t kSnapshotPixels = int64_t{1} << 24;

struct CanvasSnapshots {
    int32_t interval = 16;
    int64_t budget = kSnapshotPixels;  // one copy may take a quarter of it
    int64_t pixels = 0;
    std::vector<CanvasSnapshot> kept;  // by frame, ascending
};

// Whether the canvas before frame `frame` is to be kept and is not yet.
bool WantsSnapshot(const CanvasSnapshots& snapshots, int32_t frame);
void KeepSnapshot(CanvasSnapshots& snapshots, int32_t frame, const PixelPlane& canvas);
// The latest copy kept before a frame at or below `frame`, or null.
const CanvasSnapshot* NearestSnapshot(const CanvasSnapshots& snapshots, int32_t frame);
