// Print placement; see print_layout.h.
#include "viewer/fileops/print_layout.h"

namespace {

// trunc(x) for x ≥ 0, held inside the 32-bit range.
int32_t Truncated(double x) { return x >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(x); }

}  // namespace

PixelRect ComputePrintPlacement(int32_t pictureWidth, int32_t pictureHeight, const PrintPage& page,
                                double marginCm, const ViewOptions& view) {
    double inches = marginCm >= 0 ? marginCm / 2.54 : 0;  // NaN fails the test too
    int32_t usableWidth = page.width - Truncated(2 * inches * page.dpiX);
    int32_t usableHeight = page.height - Truncated(2 * inches * page.dpiY);
    if (usableWidth <= 0 || usableHeight <= 0) {
        inches = 0;
        usableWidth = page.width;
        usableHeight = page.height;
    }
    ViewOptions paper = view;
    paper.fitOut = 1;
    paper.fitIn = 0;
    paper.zoomPercent = 1000;
    const ViewSize size = ComputeViewSize(pictureWidth, pictureHeight, usableWidth, usableHeight, paper);
    PixelRect placed = {0, 0, size.width, size.height};
    if (size.width <= 0 || size.height <= 0) return {0, 0, 0, 0};
    placed.x = (usableWidth - size.width) / 2 + Truncated(page.dpiX * inches);
    placed.y = Truncated(page.dpiY * inches);
    return placed;
}
