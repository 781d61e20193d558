// The main window procedure: a thin switch that hands each message to a small
// handler taking the state record first. Messages it does not handle go to
// DefWindowProcW.
#include "viewer/app/main_window.h"

#include <cstring>
#include <new>

#include "viewer/app/settings.h"
#include "viewer/app/startup.h"
#include "viewer/app/window_mode.h"

const wchar_t kMainWindowClass[] = L"Oxel";

namespace {

ViewerState* CreateViewerState(HWND window) {
    ViewerState* state = new (std::nothrow) ViewerState();
    if (!state) return nullptr;
    state->window = window;
    state->lastListIndex = -1;
    state->slideShowArmedIndex = -1;
    state->clickArmed = 1;
    state->leftUpArmed = 1;
    state->rightUpArmed = 1;
    state->viewResetPending = 1;
    state->picture.width = 0;
    return state;
}

LRESULT OnCreate(HWND window) {
    ViewerState* state = CreateViewerState(window);
    if (!state) return -1;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    if (!MakeSettingsPath(state->iniPath, false)) state->iniPath[0] = L'\0';
    state->settings = LoadSettings(state->iniPath);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    state->menuBar = LoadMenuW(instance, L"Oxel_MENU");
    state->popupMenu = LoadMenuW(instance, L"Oxel_POPUP");
    state->contextMenu = state->popupMenu ? GetSubMenu(state->popupMenu, 0) : nullptr;
    ApplyWindowMode(window, state->menuBar, state->settings);
    return 0;
}

// The hand-over text is at most 260 bytes with its terminator; a longer one is
// refused and leaves the text empty, so the open that follows opens nothing.
LRESULT OnCopyData(ViewerState* state, const COPYDATASTRUCT* data) {
    state->handoverText[0] = '\0';
    if (!data || !data->lpData || data->cbData == 0 || data->cbData > sizeof state->handoverText) return FALSE;
    size_t n = data->cbData;
    memcpy(state->handoverText, data->lpData, n);
    state->handoverText[n < sizeof state->handoverText ? n : n - 1] = '\0';
    return TRUE;
}

COLORREF BackgroundColor(const Settings& settings) {
    if (settings.WindowMode) {
        return settings.WindowBGColor == -1 ? GetSysColor(COLOR_APPWORKSPACE)
                                            : static_cast<COLORREF>(settings.WindowBGColor);
    }
    return settings.ScreenBGColor == -1 ? GetSysColor(COLOR_BACKGROUND)
                                        : static_cast<COLORREF>(settings.ScreenBGColor);
}

void OnPaint(ViewerState* state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(state->window, &ps);
    RECT client;
    GetClientRect(state->window, &client);
    HBRUSH brush = CreateSolidBrush(BackgroundColor(state->settings));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(state->window, &ps);
}

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

void OnClose(ViewerState* state) {
    // Alt+F4 leaves the settings file as it was.
    if (!(KeyHeld(VK_MENU) && KeyHeld(VK_F4))) {
        if (state->settings.WindowMode) RecordWindowRect(state->window, state->settings);
        if (state->iniPath[0]) SaveViewSettings(state->settings, state->iniPath);
    }
    if (state->menuBar && GetMenu(state->window) == state->menuBar) SetMenu(state->window, nullptr);
    if (state->menuBar) DestroyMenu(state->menuBar);
    if (state->popupMenu) DestroyMenu(state->popupMenu);
    state->menuBar = state->popupMenu = state->contextMenu = nullptr;
    DestroyWindow(state->window);
}

void OnDestroy(HWND window, ViewerState* state) {
    RemovePropW(window, kInstanceProperty);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete state;
    PostQuitMessage(0);
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"OxelICON");
    wc.hIconSm = LoadIconW(instance, L"OxelICON_SM");
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszMenuName = L"Oxel_MENU";
    wc.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, kMainWindowClass, L"Oxel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, LoadMenuW(instance, L"Oxel_MENU"),
                           instance, nullptr);
}

ViewerState* GetViewerState(HWND window) {
    return reinterpret_cast<ViewerState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return OnCreate(window);
    ViewerState* state = GetViewerState(window);
    if (!state) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        OnDestroy(window, state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint(state);
        return 0;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = 320;
        info->ptMinTrackSize.y = 240;
        return 0;
    }
    case WM_COPYDATA:
        return OnCopyData(state, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kMsgOpenHandover:
        return 0;
    case WM_CLOSE:
        OnClose(state);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
