// Command dispatch: every WM_COMMAND of the main window, from the menus, the
// accelerators, the mouse and the timers, with the handling common to all of
// them. Every action runs; those of the animation and of the file operations
// call placeholders that do nothing yet.
#pragma once

#include <windows.h>

struct ViewerState;

void DispatchCommand(ViewerState& state, WPARAM wParam, LPARAM lParam);

// The slideshow's end as every path ends it: timers killed, item 155
// unchecked in both menus, the program's icons back.
void EndSlideShowDisplay(ViewerState& state);
