// Display changes; see display_watch.h.
#include "viewer/app/display_watch.h"

#include "viewer/app/busy_scope.h"
#include "viewer/app/read_ahead.h"
#include "viewer/display/animation.h"
#include "viewer/look/colour_transform.h"

void WatchDisplay(ViewerState& state, bool settingsChanged) {
    if (!state.settings.ColorManagement || state.closing || !state.window) return;
    HMONITOR monitor = MonitorFromWindow(state.window, MONITOR_DEFAULTTONEAREST);
    if (!settingsChanged && state.displayProfileRead && monitor == state.displayMonitor) return;
    state.displayMonitor = monitor;
    wchar_t profile[MAX_PATH];
    DisplayProfilePath(state.window, profile);
    const bool first = !state.displayProfileRead;
    state.displayProfileRead = 1;
    if (lstrcmpiW(profile, state.displayProfile) == 0) return;
    lstrcpynW(state.displayProfile, profile, MAX_PATH);
    DropReadAheadForOtherProfiles(state);
    // The first look only learns what the picture was converted for.
    if ((first && !settingsChanged) || state.lastListIndex < 0) return;
    if (!state.animated) {
        if (!state.reloadPending) {
            state.reloadPending = 1;
            PostMessageW(state.window, kMsgReloadAfterResize, 0, 0);
        }
        return;
    }
    if (state.animationRunning || IsBusy(state)) return;
    BusyScope busy(state);
    ComposeFrame(state, state.decodeState.subIndex);
    InvalidateRect(state.window, nullptr, FALSE);
}
