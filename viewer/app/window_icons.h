// The window's icons: the program's own icons, whose variants tell whether key
// sending is on and whether a slideshow runs, or the shell's icon of the shown
// file.
#pragma once

#include <windows.h>

struct ViewerState;

// Sets the small and large icons from the resource icon groups.
void SetWindowIcons(HWND window, const wchar_t* smallName, const wchar_t* bigName);

// "OxelICON" when key sending is on, the crossed-out "OxelICON_X" when it is off.
void SetStateIcons(HWND window, int keySendingOn);

// The shell's icon of `path`, small and large.
void SetFileIcon(ViewerState& state, const wchar_t* path);

// Frees the shell icons the window holds, once nothing shows them.
void ReleaseFileIcons(ViewerState& state);
