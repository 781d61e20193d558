// The mouse gestures of the main window: a click steps, a drag moves the
// picture, the middle button steps through sub-pictures, the right button
// opens the context menu or combines with the others, and the wheel zooms or
// scrolls. One-shot flags swallow the release that belongs to a combination.
#pragma once

#include <windows.h>

struct ViewerState;

// Handles one mouse message; returns false for a message that is not one.
bool HandleMouse(ViewerState& state, UINT message, WPARAM wParam, LPARAM lParam);
