// The main window and its window procedure. The window's state record
// (viewer/core/viewer_state.h) is made in the creation message, attached to
// the window, and freed when the window is destroyed.
#pragma once

#include <windows.h>

#include "viewer/core/viewer_state.h"

extern const wchar_t kMainWindowClass[];

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);

// Replaces the process command line for the windows created afterwards (null:
// the real one again). Lets a test start a window as if from a command line.
void SetCreationCommandLine(const wchar_t* commandLine);
const wchar_t* CreationCommandLine();

// The state record of a main window, or null.
ViewerState* GetViewerState(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
