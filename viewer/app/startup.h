// The program's entry flow: find the settings file, hand the command line over to
// a running copy when "IsSingle" is on, build the accelerator table, register the
// window class, create the main window and run the message loop.
#pragma once

#include <windows.h>


// The whole start-up and message loop; returns the process exit code.
int RunOxel(HINSTANCE instance, const char* commandLine, int showCommand);
