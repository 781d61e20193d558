// Window icons; see window_icons.h. The resource icons are shared and stay
// loaded with the module; the shell's icons belong to us and are destroyed
// only when the window no longer shows them.
#include "viewer/app/window_icons.h"

#include <shellapi.h>

#include "viewer/core/viewer_state.h"

namespace {

HICON LoadSharedIcon(HWND window, const wchar_t* name, int sizeMetricX, int sizeMetricY) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, GetSystemMetrics(sizeMetricX),
                                         GetSystemMetrics(sizeMetricY), LR_SHARED));
}

}  // namespace

void SetWindowIcons(HWND window, const wchar_t* smallName, const wchar_t* bigName) {
    SendMessageW(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadSharedIcon(window, smallName, SM_CXSMICON, SM_CYSMICON)));
    SendMessageW(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadSharedIcon(window, bigName, SM_CXICON, SM_CYICON)));
    ViewerState* state = GetViewerState(window);
    if (state) ReleaseFileIcons(*state);
}

void SetStateIcons(HWND window, int keySendingOn) {
    if (keySendingOn == 1) {
        SetWindowIcons(window, L"OxelICON_SM", L"OxelICON");
    } else {
        SetWindowIcons(window, L"OxelICON_SM_X", L"OxelICON_X");
    }
}

void SetFileIcon(ViewerState& state, const wchar_t* path) {
    SHFILEINFOW small = {}, big = {};
    SHGetFileInfoW(path, 0, &small, sizeof small, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    SHGetFileInfoW(path, 0, &big, sizeof big, SHGFI_ICON | SHGFI_USEFILEATTRIBUTES);
    SendMessageW(state.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.hIcon));
    SendMessageW(state.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.hIcon));
    ReleaseFileIcons(state);
    state.fileIconSmall = small.hIcon;
    state.fileIconBig = big.hIcon;
}

void ReleaseFileIcons(ViewerState& state) {
    if (state.fileIconSmall) DestroyIcon(state.fileIconSmall);
    if (state.fileIconBig) DestroyIcon(state.fileIconBig);
    state.fileIconSmall = state.fileIconBig = nullptr;
}
