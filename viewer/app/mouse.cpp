// Mouse handling; see mouse.h. Which buttons and keys are held is taken from
// the message's own key flags, the state at the moment of the event.
#include "viewer/app/mouse.h"

#include <windowsx.h>

#include "viewer/core/command_ids.h"
#include "viewer/display/geometry.h"
#include "viewer/input/menus.h"

namespace {

void SendCommand(ViewerState& state, WORD command) { SendMessageW(state.window, WM_COMMAND, command, 0); }

void ArrowCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

void OnMouseMove(ViewerState& state, WPARAM keys, LPARAM lParam) {
    if (!(keys & MK_LBUTTON)) {
        ArrowCursor();
        return;
    }
    if (state.wheelZoomed) return;
    if (!state.picture.bitmap) {
        ArrowCursor();
        return;
    }
    POINTS point = MAKEPOINTS(lParam);
    if (point.x == state.pressPoint.x && point.y == state.pressPoint.y) return;
    state.dragging = 1;
    SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
    SetCapture(state.window);
    DragView(state, point);
}

void OnLeftDown(ViewerState& state, LPARAM lParam) {
    state.pressPoint = MAKEPOINTS(lParam);
    GetScrollInfo(state.window, SB_VERT, &state.vScroll);
    GetScrollInfo(state.window, SB_HORZ, &state.hScroll);
    state.dragStartV = state.vScroll;
    state.dragStartH = state.hScroll;
}

void OnLeftUp(ViewerState& state, WPARAM keys, LPARAM lParam) {
    if (state.wheelZoomed) {
        state.wheelZoomed = 0;
        return;
    }
    state.dragging = 0;
    ReleaseCapture();
    ArrowCursor();
    if (!state.leftUpArmed) {
        state.leftUpArmed = 1;
        return;
    }
    POINTS point = MAKEPOINTS(lParam);
    if (point.x != state.pressPoint.x || point.y != state.pressPoint.y) return;
    HWND window = state.window;
    if (state.clickArmed) {
        if (keys & MK_RBUTTON) {
            state.rightUpArmed = 0;
            SendCommand(state, IDM_PREV);
        } else {
            SendCommand(state, IDM_NEXT);
        }
    }
    // The command may have closed the window; only a live one is re-armed.
    if (IsWindow(window)) state.clickArmed = 1;
}

void OnRightUp(ViewerState& state, WPARAM keys, LPARAM lParam) {
    if (!state.rightUpArmed) {
        state.rightUpArmed = 1;
        return;
    }
    if (keys & MK_LBUTTON) {
        state.leftUpArmed = 0;
        SendCommand(state, IDM_FIT_OUT);
        return;
    }
    if (!state.contextMenu) return;
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(state.window, &point);
    TrackPopupMenu(state.contextMenu, 0, point.x, point.y, 0, state.window, nullptr);
}

void OnWheel(ViewerState& state, WPARAM wParam, LPARAM lParam) {
    if (state.dragging) return;
    WORD keys = GET_KEYSTATE_WPARAM(wParam);
    int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (keys & (MK_LBUTTON | MK_CONTROL)) {
        state.wheelZoomed = 1;
        POINT cursor = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(state.window, &cursor);
        ZoomAtCursor(state, delta, cursor);
        UpdateMenus(state);
    } else if (keys & (MK_RBUTTON | MK_SHIFT)) {
        if (keys & MK_RBUTTON) state.rightUpArmed = 0;
        ScrollByWheel(state, SB_HORZ, delta);
    } else {
        ScrollByWheel(state, SB_VERT, delta);
    }
}

}  // namespace

bool HandleMouse(ViewerState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(state, wParam, lParam);
        return true;
    case WM_LBUTTONDOWN:
        OnLeftDown(state, lParam);
        return true;
    case WM_LBUTTONUP:
        OnLeftUp(state, wParam, lParam);
        return true;
    case WM_LBUTTONDBLCLK:
        // With double-click exit off, the second click of a double click is a
        // click of its own.
        SendMessageW(state.window, state.settings.ExitByDoubleClick ? WM_CLOSE : WM_LBUTTONDOWN, wParam, lParam);
        return true;
    case WM_RBUTTONUP:
        OnRightUp(state, wParam, lParam);
        return true;
    case WM_MBUTTONDOWN:
        if (wParam & MK_RBUTTON) state.rightUpArmed = 0;
        return true;
    case WM_MBUTTONUP:
        SendCommand(state, (wParam & MK_RBUTTON) ? IDM_ARC_PREV : IDM_ARC_NEXT);
        return true;
    case WM_MOUSEWHEEL:
        OnWheel(state, wParam, lParam);
        return true;
    default:
        return false;
    }
}
