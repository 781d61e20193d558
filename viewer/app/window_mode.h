// The two forms of the main window, window mode and full screen, and the record
// of the window-mode rectangle in the settings.
#pragma once

#include <windows.h>

#include "viewer/core/settings.h"

// The six frame bits that the window modes own; every other style bit is kept.
constexpr DWORD kFrameStyleBits = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                  WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

void ApplyWindowMode(HWND window, HMENU menuBar, const Settings& settings);
void RecordWindowRect(HWND window, Settings& settings);
