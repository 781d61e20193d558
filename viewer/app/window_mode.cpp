// Window mode and full screen. Full screen covers the primary screen, is always
// top-most and never shows the menu bar; in window mode the settings rectangle,
// the top-most flag and the menu-bar switch apply.
#include "viewer/app/window_mode.h"

static_assert(kFrameStyleBits == 0x80CF0000, "the six frame bits");

void ApplyWindowMode(HWND window, HMENU menuBar, const Settings& settings) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & ~kFrameStyleBits;
    HMENU menu = nullptr;
    if (settings.WindowMode) {
        SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style | WS_OVERLAPPEDWINDOW));
        SetWindowPos(window, settings.AlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, settings.WindowLeft,
                     settings.WindowTop, settings.WindowWidth, settings.WindowHeight, SWP_FRAMECHANGED);
        if (settings.ShowMenuBar) menu = menuBar;
    } else {
        SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style | WS_POPUP));
        SetWindowPos(window, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                     GetSystemMetrics(SM_CYSCREEN), SWP_FRAMECHANGED);
    }
    SetMenu(window, menu);
    UpdateWindow(window);
}

void RecordWindowRect(HWND window, Settings& settings) {
    if (!settings.WindowMode) return;
    if (IsZoomed(window)) {
        settings.WindowLeft = 0;
        settings.WindowTop = 0;
        settings.WindowWidth = GetSystemMetrics(SM_CXSCREEN);
        settings.WindowHeight = GetSystemMetrics(SM_CYSCREEN);
        return;
    }
    RECT r;
    if (IsIconic(window)) {
        // A minimised window sits far off screen (about -32000, -32000): keep
        // the place it is restored to.
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window, &placement)) return;
        r = placement.rcNormalPosition;
    } else if (!GetWindowRect(window, &r)) {
        return;
    }
    settings.WindowLeft = r.left;
    settings.WindowTop = r.top;
    settings.WindowWidth = r.right - r.left;
    settings.WindowHeight = r.bottom - r.top;
}
