// The program's entry flow: find the settings file, hand the command line over to
// a running copy when "IsSingle" is on, build the accelerator table, register the
// window class, create the main window and run the message loop.
#pragma once

#include <windows.h>

// Property that marks the main window of a running instance (value 1).
extern const wchar_t kInstanceProperty[];

// Private message: open what arrived by WM_COPYDATA.
constexpr UINT kMsgOpenHandover = WM_APP + 1;

// The program file's path with the extension ".ini"; short (8.3) form when asked.
// False when the path does not fit MAX_PATH.
bool MakeSettingsPath(wchar_t (&path)[MAX_PATH], bool shortForm);

// The first top-level window carrying the instance mark, or null.
HWND FindRunningInstance();

// Sends `commandLine` to `target` by WM_COPYDATA, then WM_APP + 1. False (and
// nothing sent) when the text does not fit the receiver's 260-byte buffer.
bool HandOverCommandLine(HWND target, const char* commandLine);

// The whole start-up and message loop; returns the process exit code.
int RunOxel(HINSTANCE instance, const char* commandLine, int showCommand);
