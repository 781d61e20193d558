// Start-up and the single-instance hand-over. The settings file must exist: the
// program never creates one, and without it there is nothing to start with.
#include "viewer/app/startup.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

#include "viewer/app/main_window.h"
#include "viewer/core/message_box.h"
#include "viewer/core/settings.h"
#include "viewer/input/accelerators.h"

const wchar_t kInstanceProperty[] = L"Oxel_Prop";

namespace {

constexpr size_t kHandoverBytes = MAX_PATH;

BOOL CALLBACK FindMarkedWindow(HWND window, LPARAM found) {
    if (GetPropW(window, kInstanceProperty) == reinterpret_cast<HANDLE>(1)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool MakeSettingsPath(wchar_t (&path)[MAX_PATH], bool shortForm) {
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    if (!PathRenameExtensionW(path, L".ini")) return false;
    if (shortForm) {
        wchar_t shortPath[MAX_PATH];
        DWORD shortLength = GetShortPathNameW(path, shortPath, MAX_PATH);
        // A file that does not exist has no short form; keep the long one so the
        // existence check reports it.
        if (shortLength > 0 && shortLength < MAX_PATH) wcscpy(path, shortPath);
    }
    return true;
}

HWND FindRunningInstance() {
    HWND found = nullptr;
    EnumWindows(FindMarkedWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool HandOverCommandLine(HWND target, const char* commandLine) {
    char handoverText[kHandoverBytes];
    size_t length = strlen(commandLine);
    if (length >= kHandoverBytes) return false;
    memcpy(handoverText, commandLine, length + 1);
    COPYDATASTRUCT data = {};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(length + 1);
    data.lpData = handoverText;
    SendMessageW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(target), reinterpret_cast<LPARAM>(&data));
    SendMessageW(target, kMsgOpenHandover, 0, 0);
    return true;
}

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
