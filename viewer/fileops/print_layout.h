// Where a printed picture lands on the page: the margin of "PrintMargin"
// taken off the printable area, the picture fitted into the rest (never more
// than ten times its pixel size), centred across and set on the top margin.
// No Windows API here, so the arithmetic is checked natively.
#pragma once

#include <cstdint>

#include "viewer/display/view_geometry.h"

// What the printer tells of its page: dots per inch (LOGPIXELSX, LOGPIXELSY)
// and the printable size in dots (HORZRES, VERTRES).
struct PrintPage {
    int32_t dpiX;
    int32_t dpiY;
    int32_t width;
    int32_t height;
};

// The rectangle on the page, in printer dots, of a picture of
// `pictureWidth` × `pictureHeight` (unrotated) with the view settings `view`
// (its `fitWidth` and `rotation` count; the rest is fixed for paper).
// `marginCm` below 0, or not a number, counts as 0; so does a margin that
// would leave no room on the page. Empty (0 × 0) for a picture without a size.
PixelRect ComputePrintPlacement(int32_t pictureWidth, int32_t pictureHeight, const PrintPage& page,
                                double marginCm, const ViewOptions& view);
