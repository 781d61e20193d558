// The arithmetic of where and how large the picture is drawn: fit modes, zoom
// steps and their anchoring, rotation steps, scroll ranges and positions, and
// the source and destination rectangles of a paint. No Windows API here, so
// every rule can be checked natively; view_scroll.h applies it to the window.
#pragma once

#include <cstdint>

// The view fields of the settings record that the geometry reads.
struct ViewOptions {
    int32_t fitOut;
    int32_t fitIn;
    int32_t fitWidth;
    int32_t zoomPercent;  // 1 to 5000
    int32_t rotation;     // 0, 90, 180 or 270
    int32_t baseCentral;
};

struct ViewSize {
    int32_t width;
    int32_t height;
};

// One scroll bar: minimum 0, maximum, page and position, as the bar holds them.
struct ScrollAxis {
    int32_t max;
    uint32_t page;
    int32_t pos;
};

struct PixelRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

struct DrawRects {
    PixelRect source;       // in display-bitmap pixels
    PixelRect destination;  // in client pixels
};

constexpr int32_t kMaxZoomPercent = 5000;
constexpr int32_t kMinWheelZoomPercent = 10;

// x + 0.5 truncated toward zero, held inside the 32-bit range.
int32_t Nearest(double x);

// Size at which the whole rotated picture is drawn in a client of the given
// size. Picture sizes are those of the unrotated picture; a picture without a
// size (none, or a status value) gives 0 × 0.
ViewSize ComputeViewSize(int32_t pictureWidth, int32_t pictureHeight, int32_t clientWidth,
                         int32_t clientHeight, const ViewOptions& options);

struct ScrollBarNeed {
    bool vertical;
    bool horizontal;
};

// Which bars the window needs; `clientWidth` × `clientHeight` is the client
// area as it would be without any bar.
ScrollBarNeed DecideScrollBars(int32_t pictureWidth, int32_t pictureHeight, int32_t clientWidth,
                               int32_t clientHeight, int32_t barWidth, int32_t barHeight,
                               const ViewOptions& options);

// Keeps a position inside 0 … max − page + 1.
int32_t ClampScrollPos(int32_t pos, const ScrollAxis& axis);

// Ranges, pages and positions for a paint on the final client size (bars
// already taken off). `resetVertical` / `resetHorizontal`: choose a fresh
// position (a new picture or view, or the bar just appeared or vanished);
// otherwise the position held in the axis is kept and clamped.
void ComputeScrollAxes(const ViewSize& view, int32_t clientWidth, int32_t clientHeight,
                       const ViewOptions& options, bool resetVertical, bool resetHorizontal,
                       ScrollAxis& vertical, ScrollAxis& horizontal);

// The rectangles of the drawing step: `bitmapWidth` × `bitmapHeight` is the
// rotated display bitmap, `view` the display size of that paint.
DrawRects ComputeSourceAndDestination(int32_t bitmapWidth, int32_t bitmapHeight, const ViewSize& view,
                                      int32_t clientWidth, int32_t clientHeight, const ScrollAxis& vertical,
                                      const ScrollAxis& horizontal, const ViewOptions& options);

// The zoom that a step of the ZOOM_UP / ZOOM_DOWN commands reaches; the old
// value when the step would leave 1 … 5000.
int32_t StepZoomCommand(int32_t oldPercent, int32_t zoomStep, bool up);

// The same for the wheel, which stops at 10 %.
int32_t StepZoomWheel(int32_t oldPercent, int32_t zoomStep, bool forward);

// Moves the scroll records with a zoom command so that the view keeps its
// centre (BaseCentral) or its top-left corner; clamps both.
void AnchorCommandZoom(int32_t oldPercent, int32_t newPercent, const ViewOptions& options,
                       ScrollAxis& vertical, ScrollAxis& horizontal);

// Moves the records of the shown bars with a wheel zoom so that the picture
// point under the cursor (`cursorX`, `cursorY`, client coordinates) stays there.
void AnchorWheelZoom(int32_t oldPercent, int32_t newPercent, const ViewOptions& options,
                     bool verticalShown, bool horizontalShown, int32_t cursorX, int32_t cursorY,
                     ScrollAxis& vertical, ScrollAxis& horizontal);

// Clockwise quarter turns: 270 → 0 to the right, 0 → 270 to the left.
int32_t RotateRight(int32_t rotation);
int32_t RotateLeft(int32_t rotation);

// Applies scroll command 510 … 620 to the records; false for any other command.
bool ApplyScrollCommand(int command, int32_t scrollDot, ScrollAxis& vertical, ScrollAxis& horizontal);

// Scroll-bar request codes, the values of the system's SB_ constants.
enum ScrollBarCode {
    kLineUp = 0,
    kLineDown = 1,
    kPageUp = 2,
    kPageDown = 3,
    kThumbPosition = 4,
    kThumbTrack = 5,
};

// A scroll-bar message: `code` from the message's low word, `thumbPos` the
// thumb's full 32-bit place (the bar's track position, not the message's
// 16-bit high word). Returns false for codes that move nothing.
bool ApplyScrollBarCode(int code, int32_t thumbPos, int32_t scrollDot, ScrollAxis& axis);

// One wheel notch on an axis: forward (delta ≥ 0) moves up or left.
void ApplyWheelScroll(int wheelDelta, int32_t scrollDot, ScrollAxis& axis);

// The picture follows the hand: position at the press moved by the distance
// from the press coordinate to the current one, clamped.
void ApplyDrag(const ScrollAxis& atPress, int32_t pressCoordinate, int32_t currentCoordinate,
               ScrollAxis& axis);

// Size of the bitmap turned by `rotation`: sides swapped for quarter turns.
ViewSize RotatedSize(int32_t width, int32_t height, int32_t rotation);
