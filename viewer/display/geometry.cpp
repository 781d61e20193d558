// View requests of the main window; see geometry.h.
#include "viewer/display/geometry.h"

#include "viewer/core/viewer_state.h"
#include "viewer/display/rotate.h"
#include "viewer/display/view_scroll.h"

HBITMAP MakeRotatedBitmap(HWND window, HBITMAP decodedBitmap, int pictureWidth, int pictureHeight,
                          const Settings& settings) {
    if (settings.rotation == 0) return decodedBitmap;
    return RotateBitmap(window, decodedBitmap, pictureWidth, pictureHeight, settings.rotation);
}

void FreeDisplayBitmap(HBITMAP& display, HBITMAP decoded) {
    if (display && display != decoded) DeleteObject(display);
    display = nullptr;
}

void FreePictureBitmaps(HBITMAP& decoded, HBITMAP& display) {
    FreeDisplayBitmap(display, decoded);
    if (decoded) DeleteObject(decoded);
    decoded = nullptr;
}

void DragView(ViewerState& state, POINTS point) {
    DragScroll(state.window, state.pressPoint, point, state.dragStartV, state.dragStartH, state.vScroll,
               state.hScroll);
}

void ZoomAtCursor(ViewerState& state, int wheelDelta, POINT cursor) {
    ZoomByWheel(state.window, wheelDelta, cursor, state.settings, state.vScroll, state.hScroll);
}

void ScrollByWheel(ViewerState& state, int bar, int wheelDelta) {
    ScrollByWheelTurn(state.window, bar, wheelDelta, state.settings, state.vScroll, state.hScroll);
}

void ScrollByBar(ViewerState& state, int bar, WPARAM wParam) {
    // The records are read from the bars first, as every scroll request does.
    GetScrollInfo(state.window, SB_VERT, &state.vScroll);
    GetScrollInfo(state.window, SB_HORZ, &state.hScroll);
    ScrollByBarMessage(state.window, bar, wParam, state.settings, state.vScroll, state.hScroll);
}
