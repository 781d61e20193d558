// Animation playback: the first canvas at load, one frame step with its
// drift-compensating one-shot multimedia timer, the loop limit, the rebuild of
// frames 0 to n for a step back, and the canvas that every frame is composed
// on (GIF, animated PNG and animated WebP alike). The menus are left to the
// caller, which updates them after every command.
#pragma once

#include <windows.h>

#include <cstdint>

struct ViewerState;

// The clock of frame timing (milliseconds, timeGetTime): it follows the timer
// resolution that the window raised, where GetTickCount keeps its coarse tick.
DWORD FrameClock();

// After the load of an entry whose frame 0 is the decoded picture: decides
// whether it is an animation that can be played, sets `animated`, and puts up
// frame 0 composed on the first canvas.
void PrepareAnimation(ViewerState& state, const wchar_t* path);

// Kills the frame timer when it runs and clears the running flag.
void StopAnimation(ViewerState& state);

// Command 150: starts or stops the playback of an animated entry.
void ToggleAnimation(ViewerState& state);

// A tick that cannot be taken now (the picture is being dragged) comes again
// shortly, so that the animation does not stop with it.
void PostponeTick(ViewerState& state);

// One frame step of an animated entry; `fromTimer` when the animation timer
// asked for it. Sets `viewResetPending` when the picture grew.
void ShowNextFrame(ViewerState& state, bool fromTimer);

// Rebuilds the picture as frames 0 to `index` composed in order, from the
// nearest canvas kept on the way. False, with the picture, its canvas and
// `subIndex` as they were, when a key or a click that came during a long
// rebuild cut it short.
bool ComposeFrame(ViewerState& state, int32_t index);

// Frees the canvas of the previous entry and the canvases kept with it.
void ReleaseAnimationCanvas(ViewerState& state);

// The multimedia timer's callback: posts the tick (WM_COMMAND 130 with
// lParam 1) to the window given as user data, and nothing else.
void CALLBACK TimerCallback(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
