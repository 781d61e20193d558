// Where and how large the picture is drawn: the rotated display bitmap, the
// drag, the wheel zoom and the scroll bars. Only the entry points exist yet;
// with no decoded picture there is nothing to move, so they change nothing.
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

// Wheel scrolling of one axis.
void ScrollByWheel(ViewerState& state, int bar, int wheelDelta);

// WM_HSCROLL and WM_VSCROLL.
void ScrollByBar(ViewerState& state, int bar, WPARAM wParam);
