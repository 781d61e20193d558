// The main window's paint; see paint.h.
#include "viewer/display/paint.h"

#include <shlwapi.h>

#include "viewer/core/viewer_state.h"
#include "viewer/display/draw_picture.h"
#include "viewer/display/status_text.h"

namespace {

bool HasCurrentEntry(const ViewerState& state) {
    return state.lastListIndex != -1 && state.currentIndex >= 0 &&
           static_cast<size_t>(state.currentIndex) < state.fileList.paths.size();
}

}  // namespace

COLORREF BackgroundColor(const Settings& settings) { return BackgroundColorOf(settings); }

std::wstring MainWindowTitle(const ViewerState& state) {
    if (!HasCurrentEntry(state)) return L"Oxel";
    wchar_t name[MAX_PATH];
    lstrcpynW(name, state.fileList.paths[state.currentIndex].c_str(), MAX_PATH);
    PathStripPathW(name);
    return FormatTitle(state.currentIndex, state.lastListIndex, name, state.decodeState.subIndex,
                       state.picture.lastIndex, state.settings.ArcNoInTitleBar != 0);
}

void PaintMainWindow(HWND window, const ViewerState& state, const Settings& settings, SCROLLINFO& verticalScroll,
                     SCROLLINFO& horizontalScroll) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SetTextColor(dc, static_cast<COLORREF>(settings.FontColor));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring title = MainWindowTitle(state);
    PaintRequest request = {};
    request.displayBitmap = state.displayBitmap;
    request.picture = &state.picture;
    request.path = HasCurrentEntry(state) ? state.fileList.paths[state.currentIndex].c_str() : nullptr;
    request.lastListIndex = state.lastListIndex;
    request.title = title.c_str();
    request.viewResetPending = state.viewResetPending != 0;
    PaintClient(window, dc, request, settings, verticalScroll, horizontalScroll);
    SetWindowTextW(window, title.c_str());
    EndPaint(window, &ps);
}
