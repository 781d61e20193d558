// View geometry entry points; see geometry.h.
#include "viewer/display/geometry.h"

HBITMAP MakeRotatedBitmap(HWND, HBITMAP decodedBitmap, int, int, const Settings&) {
    // The rotation is not built yet; without it no display bitmap is made.
    (void)decodedBitmap;
    return nullptr;
}

void DragView(ViewerState&, POINTS) {}

void ZoomAtCursor(ViewerState&, int, POINT) {}

void ScrollByWheel(ViewerState&, int, int) {}

void ScrollByBar(ViewerState&, int, WPARAM) {}
