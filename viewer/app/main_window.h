// The main window and its window procedure. The window's state record
// (viewer/core/viewer_state.h) is made in the creation message, attached to
// the window, and freed when the window is destroyed.
#pragma once

#include <windows.h>

#include "viewer/core/viewer_state.h"

extern const wchar_t kMainWindowClass[];

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
