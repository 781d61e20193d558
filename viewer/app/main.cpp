// The GUI entry point of Oxel.exe.
#include <windows.h>

#include "viewer/app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    return RunOxel(instance, commandLine, showCommand);
}
