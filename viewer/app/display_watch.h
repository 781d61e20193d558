// The display that shows the window, watched for colour management: when the
// window moves to another monitor or the display settings change, the
// display's colour profile is read again, and a picture converted for
// another profile is converted again.
#pragma once

#include "viewer/core/viewer_state.h"

// After a move (`settingsChanged` false: only a change of monitor counts) or
// WM_DISPLAYCHANGE. A still picture is decoded again after the message, as a
// resize's decode is; a stopped animation's frame is composed again; a
// running one converts its next frame by itself.
void WatchDisplay(ViewerState& state, bool settingsChanged);
