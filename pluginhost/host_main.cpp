// OxelPluginHost32.exe and OxelPluginHost64.exe: a process of their own for
// the Susie plug-ins that the viewer does not run in its own, so that a
// plug-in of the other bitness can run at all and one that corrupts memory or
// ends its process leaves the viewer running. The viewer starts it with its
// end of the pipe inherited, the handle's number on the command line.
#include <windows.h>

#include <cwchar>

#include "pluginhost/host_calls.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // No system error box for a plug-in that cannot be loaded or that crashes.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    const wchar_t* commandLine = GetCommandLineW();
    const wchar_t* last = wcsrchr(commandLine, L' ');
    if (!last) return 1;
    wchar_t* end = nullptr;
    const unsigned long long value = wcstoull(last + 1, &end, 10);
    if (end == last + 1 || value == 0) return 1;
    HANDLE pipe = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
    if (GetFileType(pipe) != FILE_TYPE_PIPE) return 1;
    ServeViewer(pipe);
    return 0;
}
