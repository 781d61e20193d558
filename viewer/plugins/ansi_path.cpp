// The plug-ins' names; see ansi_path.h.
#include "viewer/plugins/ansi_path.h"

bool ToAnsiExactly(const wchar_t* wide, char (&ansi)[MAX_PATH]) {
    BOOL usedDefault = FALSE;
    if (!WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, ansi, MAX_PATH, nullptr, &usedDefault) ||
        usedDefault) {
        ansi[0] = '\0';
        return false;
    }
    return true;
}

bool AnsiPathOf(const wchar_t* path, char (&ansi)[MAX_PATH]) {
    wchar_t shortPath[MAX_PATH];
    DWORD shortLength = GetShortPathNameW(path, shortPath, MAX_PATH);
    if (shortLength == 0 || shortLength >= MAX_PATH) lstrcpynW(shortPath, path, MAX_PATH);
    return ToAnsiExactly(shortPath, ansi);
}
