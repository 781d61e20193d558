// Animation playback. Only the preparation at load and the stop exist yet;
// the preparation finds no animation, as no frames are decoded so far, so the
// frame steps below are never reached and do nothing.
#pragma once

#include <cstdint>

struct ViewerState;

// Decides whether the current entry is an animation that can be played and
// sets `animated`.
void PrepareAnimation(ViewerState& state, const wchar_t* path);

// Kills the frame timer when it runs and clears the running flag.
void StopAnimation(ViewerState& state);

// Command 150: starts or stops the playback of an animated entry.
void ToggleAnimation(ViewerState& state);

// One frame step of an animated entry; `fromTimer` when the animation timer
// asked for it.
void ShowNextFrame(ViewerState& state, bool fromTimer);

// Rebuilds the picture as frames 0 to `index` composed in order.
void ComposeFrame(ViewerState& state, int32_t index);

// Frees the canvases of the previous entry.
void ReleaseAnimationCanvas(ViewerState& state);
