// The view arithmetic applied to the main window: which scroll bars it shows,
// their ranges and positions at each paint, and the scroll, zoom and drag
// requests of commands, scroll-bar messages, the wheel and the mouse. The
// program keeps both records (`SCROLLINFO`) and mirrors them into the bars that
// the window shows.
#pragma once

#include <windows.h>

#include "viewer/core/settings.h"
#include "viewer/display/view_geometry.h"

ViewOptions ViewOptionsOf(const Settings& settings);

ScrollAxis AxisOf(const SCROLLINFO& info);
void SetAxis(SCROLLINFO& info, const ScrollAxis& axis);

// Shows or hides the two bars as the picture needs them; returns for each bar
// whether its visibility changed.
ScrollBarNeed UpdateScrollBars(HWND window, int32_t pictureWidth, int32_t pictureHeight, const Settings& settings);

// The layout of one paint after UpdateScrollBars: display size, ranges, pages
// and positions on the final client area (fresh positions when `reset` or when
// a bar just appeared or vanished), stored in the shown bars.
struct ViewLayout {
    RECT client;
    ViewSize view;
};
ViewLayout LayoutView(HWND window, int32_t pictureWidth, int32_t pictureHeight, const Settings& settings,
                      bool reset, const ScrollBarNeed& changed, SCROLLINFO& vertical, SCROLLINFO& horizontal);

// Commands 510 … 620; false for any other command.
bool ScrollByCommand(HWND window, int command, const Settings& settings, SCROLLINFO& vertical,
                     SCROLLINFO& horizontal);

// WM_VSCROLL (`bar` SB_VERT) and WM_HSCROLL (SB_HORZ).
void ScrollByBarMessage(HWND window, int bar, WPARAM wParam, const Settings& settings, SCROLLINFO& vertical,
                        SCROLLINFO& horizontal);

// One wheel turn on one axis; nothing when that axis has no bar.
void ScrollByWheelTurn(HWND window, int bar, int wheelDelta, const Settings& settings, SCROLLINFO& vertical,
                       SCROLLINFO& horizontal);

// The picture follows the hand: positions at the press moved by the distance
// the cursor travelled since.
void DragScroll(HWND window, POINTS press, POINTS now, const SCROLLINFO& pressVertical,
                const SCROLLINFO& pressHorizontal, SCROLLINFO& vertical, SCROLLINFO& horizontal);

// ZOOM_UP / ZOOM_DOWN, anchored at the view's centre or corner.
void ZoomByCommand(HWND window, bool up, Settings& settings, SCROLLINFO& vertical, SCROLLINFO& horizontal);

// Wheel zoom about the cursor (client coordinates); stops at 10 %.
void ZoomByWheel(HWND window, int wheelDelta, POINT cursor, Settings& settings, SCROLLINFO& vertical,
                 SCROLLINFO& horizontal);
