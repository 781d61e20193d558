// View arithmetic; see view_geometry.h. Ratios are doubles, rounding is
// "add one half and truncate", and every double is brought back into the
// 32-bit range before it becomes an integer, so huge pictures or zooms cannot
// overflow.
#include "viewer/display/view_geometry.h"

#include <algorithm>
#include <cmath>

#include "viewer/core/command_ids.h"

namespace {

int32_t ToInt32(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return INT32_MAX;
    if (x <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(x);  // truncates toward zero
}

int32_t Trunc(double x) { return ToInt32(x); }

int32_t Saturate(int64_t x) {
    return static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
}

// Fits `zw` × `zh` into the client by the smaller of the two ratios.
ViewSize FitInto(int32_t zw, int32_t zh, int32_t clientWidth, int32_t clientHeight) {
    double rx = static_cast<double>(clientWidth) / zw;
    double ry = static_cast<double>(clientHeight) / zh;
    if (rx <= ry) return {clientWidth, Nearest(zh * rx)};
    return {Nearest(zw * ry), clientHeight};
}

void ScrollBy(ScrollAxis& axis, int64_t amount) {
    axis.pos = Saturate(axis.pos + amount);
    axis.pos = ClampScrollPos(axis.pos, axis);
}

int32_t LastPosition(const ScrollAxis& axis) {
    return Saturate(std::max<int64_t>(0, static_cast<int64_t>(axis.max) - axis.page + 1));
}

int32_t ScaleMax(int32_t max, int32_t oldPercent, int32_t newPercent) {
    return Nearest(static_cast<double>(max) * newPercent / oldPercent);
}

}  // namespace

int32_t Nearest(double x) { return ToInt32(x + 0.5); }

ViewSize ComputeViewSize(int32_t pictureWidth, int32_t pictureHeight, int32_t clientWidth,
                         int32_t clientHeight, const ViewOptions& options) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || options.zoomPercent <= 0) return {0, 0};
    if (options.rotation == 90 || options.rotation == 270) std::swap(pictureWidth, pictureHeight);
    int32_t zw = Nearest(static_cast<double>(pictureWidth) * options.zoomPercent / 100);
    int32_t zh = Nearest(static_cast<double>(pictureHeight) * options.zoomPercent / 100);
    // A tiny picture at a small zoom can round to nothing; keep one pixel so
    // the ratios below stay finite.
    zw = std::max(zw, 1);
    zh = std::max(zh, 1);
    if (options.fitWidth) {
        return {clientWidth, Nearest(static_cast<double>(clientWidth) / zw * zh)};
    }
    ViewSize view = {zw, zh};
    if (options.fitOut && (clientWidth < zw || clientHeight < zh)) {
        view = FitInto(zw, zh, clientWidth, clientHeight);
    }
    // Tested on the zoomed size, not on the result of the shrinking above.
    if (options.fitIn && zw < clientWidth && zh < clientHeight) {
        view = FitInto(zw, zh, clientWidth, clientHeight);
    }
    return view;
}

ScrollBarNeed DecideScrollBars(int32_t pictureWidth, int32_t pictureHeight, int32_t clientWidth,
                               int32_t clientHeight, int32_t barWidth, int32_t barHeight,
                               const ViewOptions& options) {
    ViewSize view = ComputeViewSize(pictureWidth, pictureHeight, clientWidth, clientHeight, options);
    ScrollBarNeed need = {false, false};
    if (options.fitWidth) {
        need.vertical = clientHeight < view.height;
        return need;
    }
    if (options.fitOut) return need;
    int32_t cw = clientWidth;
    int32_t ch = clientHeight;
    if (ch < view.height) {
        need.vertical = true;
        cw -= barWidth;
    }
    if (cw < view.width) {
        need.horizontal = true;
        ch -= barHeight;
    }
    if (!need.vertical && ch < view.height) need.vertical = true;
    return need;
}

int32_t ClampScrollPos(int32_t pos, const ScrollAxis& axis) {
    if (pos < 0) return 0;
    return std::min(pos, LastPosition(axis));
}

void ComputeScrollAxes(const ViewSize& view, int32_t clientWidth, int32_t clientHeight,
                       const ViewOptions& options, bool resetVertical, bool resetHorizontal,
                       ScrollAxis& vertical, ScrollAxis& horizontal) {
    vertical.max = view.height - 1;
    vertical.page = static_cast<uint32_t>(std::max(0, std::min(clientHeight, view.height)));
    horizontal.max = view.width - 1;
    horizontal.page = static_cast<uint32_t>(std::max(0, std::min(clientWidth, view.width)));
    if (resetVertical) {
        bool centre = options.baseCentral && !options.fitWidth;
        vertical.pos = centre ? Nearest((static_cast<double>(vertical.max) - vertical.page) * 0.5) : 0;
    }
    if (resetHorizontal) {
        horizontal.pos =
            options.baseCentral ? Nearest((static_cast<double>(horizontal.max) - horizontal.page) * 0.5) : 0;
    }
    vertical.pos = ClampScrollPos(vertical.pos, vertical);
    horizontal.pos = ClampScrollPos(horizontal.pos, horizontal);
}

DrawRects ComputeSourceAndDestination(int32_t bitmapWidth, int32_t bitmapHeight, const ViewSize& view,
                                      int32_t clientWidth, int32_t clientHeight, const ScrollAxis& vertical,
                                      const ScrollAxis& horizontal, const ViewOptions& options) {
    DrawRects r = {};
    PixelRect& s = r.source;
    PixelRect& d = r.destination;
    const int32_t zoom = std::max(options.zoomPercent, 1);
    if (options.fitWidth) {
        double k = clientWidth > 0 ? static_cast<double>(bitmapWidth) / clientWidth : 0.0;
        s.x = 0;
        s.width = bitmapWidth;
        s.y = Trunc(vertical.pos * k);
        s.height = Nearest(vertical.page * k);
        int64_t bottom = static_cast<int64_t>(s.y) + s.height;
        // The last rows are taken whole, even when rounding left one behind.
        if (bottom == static_cast<int64_t>(bitmapHeight) - 1 || bottom > bitmapHeight) {
            s.height = bitmapHeight - s.y;
        }
    } else if (options.fitOut) {
        s = {0, 0, bitmapWidth, bitmapHeight};
    } else {
        double k = 100.0 / zoom;
        s.x = Trunc(horizontal.pos * k);
        s.y = Trunc(vertical.pos * k);
        s.width = Nearest(horizontal.page * k);
        s.height = Nearest(vertical.page * k);
    }
    if (options.fitIn) {
        s.width = std::min(s.width, bitmapWidth);
        s.height = std::min(s.height, bitmapHeight);
    }

    if (options.fitWidth) {
        d.width = clientWidth;
        d.height = std::min(clientHeight, view.height);
    } else if (options.fitOut) {
        d.width = view.width;
        d.height = view.height;
    } else {
        int32_t zoomedWidth = Nearest(static_cast<double>(bitmapWidth) * zoom / 100);
        int32_t zoomedHeight = Nearest(static_cast<double>(bitmapHeight) * zoom / 100);
        d.width = std::min(clientWidth, options.fitIn ? view.width : zoomedWidth);
        d.height = std::min(clientHeight, options.fitIn ? view.height : zoomedHeight);
    }
    d.x = std::max(0, (clientWidth - d.width) / 2);
    d.y = std::max(0, (clientHeight - d.height) / 2);
    return r;
}

int32_t StepZoomCommand(int32_t oldPercent, int32_t zoomStep, bool up) {
    int64_t next = up ? static_cast<int64_t>(oldPercent) + zoomStep : static_cast<int64_t>(oldPercent) - zoomStep;
    if (next > kMaxZoomPercent || next <= 0) return oldPercent;
    return static_cast<int32_t>(next);
}

int32_t StepZoomWheel(int32_t oldPercent, int32_t zoomStep, bool forward) {
    int64_t next = forward ? static_cast<int64_t>(oldPercent) + zoomStep : static_cast<int64_t>(oldPercent) - zoomStep;
    if (next > kMaxZoomPercent || next < kMinWheelZoomPercent) return oldPercent;
    return static_cast<int32_t>(next);
}

void AnchorCommandZoom(int32_t oldPercent, int32_t newPercent, const ViewOptions& options,
                       ScrollAxis& vertical, ScrollAxis& horizontal) {
    if (options.fitWidth) return;
    if (oldPercent <= 0) oldPercent = newPercent = 1;
    const double ratio = static_cast<double>(newPercent) / oldPercent;
    for (ScrollAxis* axis : {&vertical, &horizontal}) {
        axis->max = options.fitOut ? 0 : ScaleMax(axis->max, oldPercent, newPercent);
        if (options.baseCentral) {
            int64_t halfPage = axis->page / 2;
            int64_t centre = static_cast<int64_t>(static_cast<uint32_t>(axis->pos)) + halfPage;
            axis->pos = Saturate(static_cast<int64_t>(Trunc(centre * ratio)) - halfPage);
        } else {
            axis->pos = Nearest(axis->pos * ratio);
        }
        axis->pos = ClampScrollPos(axis->pos, *axis);
    }
}

void AnchorWheelZoom(int32_t oldPercent, int32_t newPercent, const ViewOptions& options,
                     bool verticalShown, bool horizontalShown, int32_t cursorX, int32_t cursorY,
                     ScrollAxis& vertical, ScrollAxis& horizontal) {
    if (oldPercent <= 0) oldPercent = newPercent = 1;
    const double ratio = static_cast<double>(newPercent) / oldPercent;
    vertical.max = options.fitOut ? 0 : ScaleMax(vertical.max, oldPercent, newPercent);
    horizontal.max = options.fitOut ? 0 : ScaleMax(horizontal.max, oldPercent, newPercent);
    if (verticalShown) {
        vertical.pos = Saturate(static_cast<int64_t>(Trunc((static_cast<double>(vertical.pos) + cursorY) * ratio)) - cursorY);
        vertical.pos = ClampScrollPos(vertical.pos, vertical);
    }
    if (horizontalShown) {
        horizontal.pos =
            Saturate(static_cast<int64_t>(Trunc((static_cast<double>(horizontal.pos) + cursorX) * ratio)) - cursorX);
        horizontal.pos = ClampScrollPos(horizontal.pos, horizontal);
    }
}

int32_t RotateRight(int32_t rotation) { return rotation + 90 >= 360 ? 0 : rotation + 90; }

int32_t RotateLeft(int32_t rotation) { return rotation - 90 < 0 ? 270 : rotation - 90; }

bool ApplyScrollCommand(int command, int32_t scrollDot, ScrollAxis& vertical, ScrollAxis& horizontal) {
    switch (command) {
        case IDM_SCROLL_DOWN: ScrollBy(vertical, scrollDot); break;
        case IDM_SCROLL_UP: ScrollBy(vertical, -static_cast<int64_t>(scrollDot)); break;
        case IDM_PAGE_DOWN: ScrollBy(vertical, vertical.page); break;
        case IDM_PAGE_UP: ScrollBy(vertical, -static_cast<int64_t>(vertical.page)); break;
        case IDM_SCROLL_BOTTOM: vertical.pos = LastPosition(vertical); break;
        case IDM_SCROLL_TOP: vertical.pos = 0; break;
        case IDM_SCROLL_RIGHT: ScrollBy(horizontal, scrollDot); break;
        case IDM_SCROLL_LEFT: ScrollBy(horizontal, -static_cast<int64_t>(scrollDot)); break;
        case IDM_PAGE_RIGHT: ScrollBy(horizontal, horizontal.page); break;
        case IDM_PAGE_LEFT: ScrollBy(horizontal, -static_cast<int64_t>(horizontal.page)); break;
        case IDM_SCROLL_RIGHTMOST: horizontal.pos = LastPosition(horizontal); break;
        case IDM_SCROLL_LEFTMOST: horizontal.pos = 0; break;
        default: return false;
    }
    return true;
}

bool ApplyScrollBarCode(int code, int32_t thumbPos, int32_t scrollDot, ScrollAxis& axis) {
    switch (code) {
        case kLineUp: ScrollBy(axis, -static_cast<int64_t>(scrollDot)); return true;
        case kLineDown: ScrollBy(axis, scrollDot); return true;
        case kPageUp: ScrollBy(axis, -static_cast<int64_t>(axis.page)); return true;
        case kPageDown: ScrollBy(axis, axis.page); return true;
        case kThumbPosition:
        case kThumbTrack:
            axis.pos = ClampScrollPos(thumbPos, axis);
            return true;
        default: return false;
    }
}

void ApplyWheelScroll(int wheelDelta, int32_t scrollDot, ScrollAxis& axis) {
    ScrollBy(axis, wheelDelta >= 0 ? -static_cast<int64_t>(scrollDot) : scrollDot);
}

void ApplyDrag(const ScrollAxis& atPress, int32_t pressCoordinate, int32_t currentCoordinate,
               ScrollAxis& axis) {
    axis.pos = Saturate(static_cast<int64_t>(atPress.pos) + pressCoordinate - currentCoordinate);
    axis.pos = ClampScrollPos(axis.pos, axis);
}

ViewSize RotatedSize(int32_t width, int32_t height, int32_t rotation) {
    if (rotation == 90 || rotation == 270) return {height, width};
    return {width, height};
}
