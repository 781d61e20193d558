// The one seam through which every message box of the viewer passes, so that a
// test can take the box's place, read its exact text, caption and flags, and
// answer it without a modal loop.
#pragma once

#include <windows.h>

typedef int (*MessageBoxHook)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

// Shows a message box (or hands it to the hook) and returns the button chosen.
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

// Replaces the real box; null restores it. Returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
