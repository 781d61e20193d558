// The link to the file manager the viewer was started from: at an open it
// notes the foreground window and the control that had the focus there, so
// that navigation can later be mirrored to it by key presses and the focus can
// be handed back at close.
#pragma once

#include <windows.h>

struct ViewerState;

// How a file reached the viewer.
enum class OpenTrigger { Creation, Drop, Dialog, Handover };

// Notes `filerWindow` and `filerFocus` for a file that came by the command
// line, a drop or a second instance, and keeps this thread's input attached to
// the focus window's thread. The open dialog clears `filerFocus` instead.
void CaptureFileManager(ViewerState& state, OpenTrigger trigger);

// Takes over the sort order of the file manager's view before the folder is
// read ("Explorer" on). Not built yet: the configured order stays.
void AdoptExplorerSortOrder(ViewerState& state);

// Mirrors a step through the list to the file manager by a key press: NEXT
// (+1) or PREV (-1). Not built yet: no key is sent.
void SendKeyToFileManager(ViewerState& state, int direction);
