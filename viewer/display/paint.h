// Painting of the main window: the title with the position in the list, and
// the client area (picture, status display, full-screen overlay) composed off
// screen and copied in one blit by draw_picture.h.
#pragma once

#include <windows.h>

#include <string>

#include "viewer/core/settings.h"

struct ViewerState;

// The whole paint; begins and ends the paint itself.
void PaintMainWindow(HWND window, const ViewerState& picture, const Settings& settings,
                     SCROLLINFO& verticalScroll, SCROLLINFO& horizontalScroll);

// The title: "(n/count)name", with the sub-image "【m/k】" when asked for and
// there is one; "Oxel" without a list.
std::wstring MainWindowTitle(const ViewerState& state);

// The background colour of the current mode.
COLORREF BackgroundColor(const Settings& settings);
