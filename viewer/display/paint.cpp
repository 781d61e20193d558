// The main window's paint; see paint.h.
#include "viewer/display/paint.h"

#include <shlwapi.h>

#include <cwchar>

#include "viewer/app/main_window.h"

COLORREF BackgroundColor(const Settings& settings) {
    if (settings.WindowMode) {
        return settings.WindowBGColor == -1 ? GetSysColor(COLOR_APPWORKSPACE)
                                            : static_cast<COLORREF>(settings.WindowBGColor);
    }
    return settings.ScreenBGColor == -1 ? GetSysColor(COLOR_BACKGROUND)
                                        : static_cast<COLORREF>(settings.ScreenBGColor);
}

std::wstring MainWindowTitle(const ViewerState& state) {
    const std::vector<std::wstring>& paths = state.fileList.paths;
    if (state.lastListIndex == -1 || paths.empty() || state.currentIndex < 0 ||
        static_cast<size_t>(state.currentIndex) >= paths.size()) {
        return L"Oxel";
    }
    wchar_t name[MAX_PATH];
    lstrcpynW(name, paths[state.currentIndex].c_str(), MAX_PATH);
    PathStripPathW(name);
    wchar_t title[2 * MAX_PATH];
    if (state.picture.lastIndex != -1 && state.settings.ArcNoInTitleBar) {
        swprintf(title, 2 * MAX_PATH, L"(%d/%d)%ls\u3010%ld/%ld\u3011", state.currentIndex + 1,
                 state.lastListIndex + 1, name, static_cast<long>(state.decodeState.subIndex + 1),
                 static_cast<long>(state.picture.lastIndex + 1));
    } else {
        swprintf(title, 2 * MAX_PATH, L"(%d/%d)%ls", state.currentIndex + 1, state.lastListIndex + 1, name);
    }
    return title;
}

void PaintMainWindow(HWND window, const ViewerState& picture, const Settings& settings, SCROLLINFO&,
                     SCROLLINFO&) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SetTextColor(dc, static_cast<COLORREF>(settings.FontColor));
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(BackgroundColor(settings));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    SetWindowTextW(window, MainWindowTitle(picture).c_str());
    EndPaint(window, &ps);
}
