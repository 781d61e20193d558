// Command dispatch: every WM_COMMAND of the main window, from the menus, the
// accelerators, the mouse and the timers, with the handling common to all of
// them. The window code acts on what the lower floors report: it reloads the
// picture after a delete or move and sets the icons of an emptied or
// out-of-date list.
#pragma once

#include <windows.h>

struct ViewerState;

void DispatchCommand(ViewerState& state, WPARAM wParam, LPARAM lParam);

// The slideshow's end as every path ends it: timers killed, item 155
// unchecked in both menus, the program's icons back.
void EndSlideShowDisplay(ViewerState& state);
