// Start-up. The settings file must exist: the program never creates one, and
// without it there is nothing to start with.
#include "viewer/app/startup.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "viewer/app/instance.h"
#include "viewer/app/main_window.h"
#include "viewer/core/message_box.h"
#include "viewer/core/settings.h"
#include "viewer/input/accelerators.h"

int RunOxel(HINSTANCE instance, const char* commandLine, int showCommand) {
    wchar_t iniPath[MAX_PATH];
    if (!MakeSettingsPath(iniPath, true) || !PathFileExistsW(iniPath)) {
        ShowMessageBox(nullptr, L"iniファイルが開けません。\nCan't open ini file.", L"Oxel", MB_ICONERROR);
        return 0;
    }

    // A command line too long for the receiver's buffer is not handed over, so
    // that it is neither cut into another path nor lost: this process then opens
    // it in a window of its own.
    if (ReadProfileBool(iniPath, L"SystemSetting", L"IsSingle", L"OFF")) {
        HWND running = FindRunningInstance();
        if (running && HandOverCommandLine(running, commandLine ? commandLine : "")) return 0;
    }

    HACCEL accelerators = BuildAcceleratorTable(iniPath);
    if (!RegisterMainWindowClass(instance)) return 0;
    HWND window = CreateMainWindow(instance);
    if (!window) return 0;
    ShowWindow(window, showCommand);
    DragAcceptFiles(window, TRUE);
    SetPropW(window, kInstanceProperty, reinterpret_cast<HANDLE>(1));

    MSG message = {};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        if (accelerators && TranslateAcceleratorW(window, accelerators, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
