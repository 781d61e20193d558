// Painting of the main window and its title. The picture itself is not drawn
// yet: the paint fills the client area with the background colour and sets the
// title with the position in the list.
#pragma once

#include <windows.h>

#include <string>

#include "viewer/app/settings.h"

struct ViewerState;

// The whole paint; begins and ends the paint itself.
void PaintMainWindow(HWND window, const ViewerState& picture, const Settings& settings,
                     SCROLLINFO& verticalScroll, SCROLLINFO& horizontalScroll);

// The title: "(n/count)name", with the sub-image "【m/k】" when asked for and
// there is one; "Oxel" without a list.
std::wstring MainWindowTitle(const ViewerState& state);

// The background colour of the current mode.
COLORREF BackgroundColor(const Settings& settings);
