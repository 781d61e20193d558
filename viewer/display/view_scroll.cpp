// Scroll bars and view requests of the main window; see view_scroll.h.
#include "viewer/display/view_scroll.h"

namespace {

bool HasBar(HWND window, DWORD styleBit) { return (GetWindowLongW(window, GWL_STYLE) & styleBit) != 0; }

void RefreshFrame(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

SCROLLINFO Filled(const SCROLLINFO& record) {
    SCROLLINFO info = record;
    info.cbSize = sizeof(SCROLLINFO);
    info.fMask = SIF_ALL;
    info.nMin = 0;
    return info;
}

// Both records into the shown bars, then a repaint without erasing.
void StoreAndInvalidate(HWND window, SCROLLINFO& vertical, SCROLLINFO& horizontal) {
    if (HasBar(window, WS_VSCROLL)) {
        SCROLLINFO info = Filled(vertical);
        SetScrollInfo(window, SB_VERT, &info, FALSE);
    }
    if (HasBar(window, WS_HSCROLL)) {
        SCROLLINFO info = Filled(horizontal);
        SetScrollInfo(window, SB_HORZ, &info, FALSE);
    }
    InvalidateRect(window, nullptr, FALSE);
}

}  // namespace

ViewOptions ViewOptionsOf(const Settings& s) {
    return ViewOptions{s.FitOut, s.FitIn, s.FitWidth, s.zoomPercent, s.rotation, s.BaseCentral};
}

ScrollAxis AxisOf(const SCROLLINFO& info) { return ScrollAxis{info.nMax, info.nPage, info.nPos}; }

void SetAxis(SCROLLINFO& info, const ScrollAxis& axis) {
    info.cbSize = sizeof(SCROLLINFO);
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = axis.max;
    info.nPage = axis.page;
    info.nPos = axis.pos;
}

ScrollBarNeed UpdateScrollBars(HWND window, int32_t pictureWidth, int32_t pictureHeight, const Settings& settings) {
    RECT client;
    GetClientRect(window, &client);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const bool hadVertical = (style & WS_VSCROLL) != 0;
    const bool hadHorizontal = (style & WS_HSCROLL) != 0;
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    int32_t cw = client.right + (hadVertical ? barWidth : 0);
    int32_t ch = client.bottom + (hadHorizontal ? barHeight : 0);
    ScrollBarNeed need =
        DecideScrollBars(pictureWidth, pictureHeight, cw, ch, barWidth, barHeight, ViewOptionsOf(settings));
    ScrollBarNeed changed = {need.vertical != hadVertical, need.horizontal != hadHorizontal};
    if (changed.vertical || changed.horizontal) {
        LONG next = style & ~(WS_VSCROLL | WS_HSCROLL);
        if (need.vertical) next |= WS_VSCROLL;
        if (need.horizontal) next |= WS_HSCROLL;
        SetWindowLongW(window, GWL_STYLE, next);
        RefreshFrame(window);
    }
    return changed;
}

ViewLayout LayoutView(HWND window, int32_t pictureWidth, int32_t pictureHeight, const Settings& settings,
                      bool reset, const ScrollBarNeed& changed, SCROLLINFO& vertical, SCROLLINFO& horizontal) {
    ViewLayout layout = {};
    GetClientRect(window, &layout.client);
    const ViewOptions options = ViewOptionsOf(settings);
    layout.view = ComputeViewSize(pictureWidth, pictureHeight, layout.client.right, layout.client.bottom, options);
    ScrollAxis v = AxisOf(vertical);
    ScrollAxis h = AxisOf(horizontal);
    ComputeScrollAxes(layout.view, layout.client.right, layout.client.bottom, options, reset || changed.vertical,
                      reset || changed.horizontal, v, h);
    SetAxis(vertical, v);
    SetAxis(horizontal, h);
    bool stored = false;
    if (HasBar(window, WS_VSCROLL)) {
        SetScrollInfo(window, SB_VERT, &vertical, TRUE);
        stored = true;
    }
    if (HasBar(window, WS_HSCROLL)) {
        SetScrollInfo(window, SB_HORZ, &horizontal, TRUE);
        stored = true;
    }
    if (stored) RefreshFrame(window);
    return layout;
}

bool ScrollByCommand(HWND window, int command, const Settings& settings, SCROLLINFO& vertical,
                     SCROLLINFO& horizontal) {
    ScrollAxis v = AxisOf(vertical);
    ScrollAxis h = AxisOf(horizontal);
    if (!ApplyScrollCommand(command, settings.ScrollDot, v, h)) return false;
    SetAxis(vertical, v);
    SetAxis(horizontal, h);
    StoreAndInvalidate(window, vertical, horizontal);
    return true;
}

void ScrollByBarMessage(HWND window, int bar, WPARAM wParam, const Settings& settings, SCROLLINFO& vertical,
                        SCROLLINFO& horizontal) {
    SCROLLINFO& record = bar == SB_VERT ? vertical : horizontal;
    ScrollAxis axis = AxisOf(record);
    const int code = LOWORD(wParam);
    // The message carries only the low 16 bits of the thumb's place, which
    // wrap past 65,535 pixels; the bar's track position has all 32.
    int32_t thumb = HIWORD(wParam);
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        SCROLLINFO track = {};
        track.cbSize = sizeof track;
        track.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(window, bar, &track) && (track.nTrackPos & 0xFFFF) == thumb) thumb = track.nTrackPos;
    }
    if (!ApplyScrollBarCode(code, thumb, settings.ScrollDot, axis)) return;
    SetAxis(record, axis);
    StoreAndInvalidate(window, vertical, horizontal);
}

void ScrollByWheelTurn(HWND window, int bar, int wheelDelta, const Settings& settings, SCROLLINFO& vertical,
                       SCROLLINFO& horizontal) {
    if (!HasBar(window, bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) return;
    SCROLLINFO& record = bar == SB_VERT ? vertical : horizontal;
    ScrollAxis axis = AxisOf(record);
    ApplyWheelScroll(wheelDelta, settings.ScrollDot, axis);
    SetAxis(record, axis);
    StoreAndInvalidate(window, vertical, horizontal);
}

void DragScroll(HWND window, POINTS press, POINTS now, const SCROLLINFO& pressVertical,
                const SCROLLINFO& pressHorizontal, SCROLLINFO& vertical, SCROLLINFO& horizontal) {
    if (HasBar(window, WS_VSCROLL)) {
        ScrollAxis axis = AxisOf(vertical);
        ApplyDrag(AxisOf(pressVertical), press.y, now.y, axis);
        SetAxis(vertical, axis);
    }
    if (HasBar(window, WS_HSCROLL)) {
        ScrollAxis axis = AxisOf(horizontal);
        ApplyDrag(AxisOf(pressHorizontal), press.x, now.x, axis);
        SetAxis(horizontal, axis);
    }
    StoreAndInvalidate(window, vertical, horizontal);
}

void ZoomByCommand(HWND window, bool up, Settings& settings, SCROLLINFO& vertical, SCROLLINFO& horizontal) {
    const int32_t old = settings.zoomPercent;
    const int32_t next = StepZoomCommand(old, settings.ZoomStep, up);
    settings.zoomPercent = next;
    ScrollAxis v = AxisOf(vertical);
    ScrollAxis h = AxisOf(horizontal);
    AnchorCommandZoom(old, next, ViewOptionsOf(settings), v, h);
    SetAxis(vertical, v);
    SetAxis(horizontal, h);
    StoreAndInvalidate(window, vertical, horizontal);
}

void ZoomByWheel(HWND window, int wheelDelta, POINT cursor, Settings& settings, SCROLLINFO& vertical,
                 SCROLLINFO& horizontal) {
    const int32_t old = settings.zoomPercent;
    const int32_t next = StepZoomWheel(old, settings.ZoomStep, wheelDelta >= 0);
    settings.zoomPercent = next;
    ScrollAxis v = AxisOf(vertical);
    ScrollAxis h = AxisOf(horizontal);
    AnchorWheelZoom(old, next, ViewOptionsOf(settings), HasBar(window, WS_VSCROLL), HasBar(window, WS_HSCROLL),
                    cursor.x, cursor.y, v, h);
    SetAxis(vertical, v);
    SetAxis(horizontal, h);
    StoreAndInvalidate(window, vertical, horizontal);
}
