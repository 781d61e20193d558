// Where and how large the picture is drawn, as the main window asks for it:
// the rotated display bitmap, the drag, the wheel zoom and scrolling by the
// wheel and the scroll bars. The arithmetic lives in view_geometry.h, its
// application to the window in view_scroll.h and rotate.h.
#pragma once

#include <windows.h>

#include "viewer/core/settings.h"

struct ViewerState;

// The bitmap that is painted: `decodedBitmap` itself when there is no turn (a
// second full copy of a large picture could fail where the first fitted),
// else a new bitmap holding it turned by the rotation. Null for a null input
// or when the turned copy cannot be made. Free it with FreeDisplayBitmap.
HBITMAP MakeRotatedBitmap(HWND window, HBITMAP decodedBitmap, int pictureWidth, int pictureHeight,
                          const Settings& settings);

// Frees `display` unless it is `decoded` itself, and nulls it.
void FreeDisplayBitmap(HBITMAP& display, HBITMAP decoded);

// Frees the display bitmap and the decoded one, each once, and nulls both.
void FreePictureBitmaps(HBITMAP& decoded, HBITMAP& display);

// The picture follows the mouse while the left button is held.
void DragView(ViewerState& state, POINTS point);

// Zoom by the wheel about the cursor (client coordinates).
void ZoomAtCursor(ViewerState& state, int wheelDelta, POINT cursor);

// Wheel scrolling of one axis (SB_VERT or SB_HORZ).
void ScrollByWheel(ViewerState& state, int bar, int wheelDelta);

// WM_HSCROLL and WM_VSCROLL.
void ScrollByBar(ViewerState& state, int bar, WPARAM wParam);
