// Animation playback. Only the preparation at load exists yet, and it finds no
// animation: no frames are decoded so far.
#pragma once

struct ViewerState;

// Decides whether the current entry is an animation that can be played and
// sets `animated`.
void PrepareAnimation(ViewerState& state, const wchar_t* path);

// Kills the frame timer when it runs and clears the running flag.
void StopAnimation(ViewerState& state);
