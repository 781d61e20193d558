// Moving from one picture to another: to another entry of the file list, and
// to another sub-image of the current entry (archive member, icon image,
// animation frame). What every step releases and resets, and how the decoder
// is called, live here; the command handling around the steps is in
// commands.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/viewer_state.h"

// Makes entry `index` current and decodes its first picture: a running
// animation stops, the previous picture, file buffer and canvases go, and an
// animation is prepared when the entry is one. The display bitmap is left to
// the caller. Without `decode` the entry is only made current (a step passed
// over by a faster one), with no picture.
void LoadEntry(ViewerState& state, int32_t index, bool decode = true);

// NEXT (+1) and PREV (-1): no wrap-around, nothing with fewer than two
// entries. True when another entry was loaded, so that the display bitmap must
// be rebuilt.
bool StepFile(ViewerState& state, int direction);

// The entry that steps faster than its decode passed over, decoded once they
// have stopped (the settle timer). False when the shown entry is no such one.
bool ShowPassedEntry(ViewerState& state);

// ARC_NEXT (+1) and ARC_PREV (-1); `lParam` 1 marks the animation timer's
// tick. True when the picture changed and the display bitmap must be rebuilt.
bool StepSubImage(ViewerState& state, int direction, LPARAM lParam);
