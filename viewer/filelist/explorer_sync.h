// The link to the file manager the viewer was started from: at an open it
// notes the foreground window and the control that had the focus there, takes
// over the order of the file manager's view, and mirrors each step through the
// list to that control by key presses, so that the file manager's selection
// follows the picture shown.
#pragma once

#include <windows.h>

#include <cstdint>

struct ViewerState;

// How a file reached the viewer.
enum class OpenTrigger { Creation, Drop, Dialog, Handover };

// Notes `filerWindow` and `filerFocus` for a file that came by the command
// line, a drop or a second instance, and keeps this thread's input attached to
// the focus window's thread until that file manager is forgotten: at the next
// capture, or when its list is gone. The open dialog clears `filerFocus` instead.
void CaptureFileManager(ViewerState& state, OpenTrigger trigger);

// Takes over the first sort column of the view of `filerWindow` and its
// direction into "SortMethod" and "SortDescending", with logical name order
// ("Explorer" on, before the folder is read). Without such a view the
// configured order stays.
void AdoptExplorerSortOrder(ViewerState& state);

// The view mode of the shell view inside `fileManagerWindow`, or -1.
int32_t GetExplorerViewMode(HWND fileManagerWindow);

// Mirrors a step through the list, NEXT (+1) or PREV (-1), to the file manager
// while the viewer is linked to it. The key messages go to `filerFocus` only,
// and only while it is the window captured at the open: once it is gone, or
// its handle names a window of another thread, nothing is sent. Nor is
// anything sent or asked while the file manager hangs.
void SendKeyToFileManager(ViewerState& state, int direction);
