// Animation preparation and stop; see animation.h.
#include "viewer/display/animation.h"

#include <windows.h>
#include <mmsystem.h>

#include "viewer/core/viewer_state.h"

void PrepareAnimation(ViewerState& state, const wchar_t*) { state.animated = 0; }

void StopAnimation(ViewerState& state) {
    if (!state.animationRunning) return;
    state.animationRunning = 0;
    if (state.animationTimer) timeKillEvent(state.animationTimer);
    state.animationTimer = 0;
}

void ToggleAnimation(ViewerState& state) {
    if (state.lastListIndex == -1 || !state.settings.Anime || !state.animated) return;
}

void ShowNextFrame(ViewerState&, bool) {}

void ComposeFrame(ViewerState&, int32_t) {}

void ReleaseAnimationCanvas(ViewerState&) {}
