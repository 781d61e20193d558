// The running instance: the settings file beside the program, the command
// line the main window is created with, and the hand-over of a second start's
// command line to the window of the first.
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

// Replaces the process command line for the windows created afterwards (null:
// the real one again). Lets a test start a window as if from a command line.
void SetCreationCommandLine(const wchar_t* commandLine);
const wchar_t* CreationCommandLine();
