// Where and how large the picture is drawn, as the main window asks for it:
// the rotated display bitmap, the drag, the wheel zoom and scrolling by the
// wheel and the scroll bars. The arithmetic lives in view_geometry.h, its
// application to the window in view_scroll.h and rotate.h.
#pragma once

#include <windows.h>

#include "viewer/app/settings.h"

struct ViewerState;

// A new bitmap holding `decodedBitmap` turned by the rotation; null for a null
// input. The caller owns the result.
HBITMAP MakeRotatedBitmap(HWND window, HBITMAP decodedBitmap, int pictureWidth, int pictureHeight,
                          const Settings& settings);

// The picture follows the mouse while the left button is held.
void DragView(ViewerState& state, POINTS point);

// Zoom by the wheel about the cursor (client coordinates).
void ZoomAtCursor(ViewerState& state, int wheelDelta, POINT cursor);

// Wheel scrolling of one axis (SB_VERT or SB_HORZ).
void ScrollByWheel(ViewerState& state, int bar, int wheelDelta);

// WM_HSCROLL and WM_VSCROLL.
void ScrollByBar(ViewerState& state, int bar, WPARAM wParam);
