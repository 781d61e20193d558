// The running instance; see instance.h.
#include "viewer/app/instance.h"

#include <shlwapi.h>

#include <cstring>

const wchar_t kInstanceProperty[] = L"Oxel_Prop";

namespace {

// Null until a test or a start sets it: the process's own command line.
const wchar_t* g_commandLine = nullptr;

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

void SetCreationCommandLine(const wchar_t* commandLine) { g_commandLine = commandLine; }

const wchar_t* CreationCommandLine() { return g_commandLine ? g_commandLine : GetCommandLineW(); }
