// A copy of the decoded picture turned by the current rotation, owned by the
// caller: what save, print and the clipboard hand on. The zoom, the scroll
// position and the smoothing of the screen play no part.
#pragma once

#include <windows.h>

struct ViewerState;

// A 32-bit top-down DIB section, or null when there is no picture or no
// memory for the copy. Free it with DeleteObject.
HBITMAP TurnedPictureCopy(const ViewerState& state);
