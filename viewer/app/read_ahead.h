// Reading ahead on the window's side: after a picture is shown, its
// neighbours in the direction of travel are handed to the read-ahead thread;
// what it decodes is held within a budget of bytes (the pictures and the
// whole files kept with them) and taken by the next step in place of a
// decode, when the file, the settings and the display's colour profile are
// still those it was decoded for. A file whose picture did not fit is not
// asked for again while it is unchanged and no more room is left. Steps
// faster than decodes pass entries over and decode the one they stop at.
// Results may arrive inside a running command's box: they only go into the
// held set, never onto the screen.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/viewer_state.h"

// Starts the thread when "ReadAhead" is on; after the settings are read.
void StartReadAhead(ViewerState& state);

// After entry `currentIndex` was shown, reached in `direction` (+1, -1; 0
// keeps the last direction); also after a list was read again. While the
// shown entry waits for its picture, the thread rests instead.
void ScheduleReadAhead(ViewerState& state, int direction);

// Whether the step to entry `index` passes it over without a decode: another
// step already waits; or it comes just after a step that was passed over, or
// just after another while pictures are slow to decode and its own is not
// read ahead (a held key). The settle timer (kSettleStepTimer) is then armed;
// it decodes the entry that the steps stop at.
bool PassOverStep(ViewerState& state, int32_t index);

// When a step (NEXT, PREV) has ended, passed over or not.
void NoteStepEnded(ViewerState& state);

// Whether the shown entry was passed over and still has no picture.
bool IsPassedOver(const ViewerState& state);

// After an entry's picture was made in `milliseconds`, or taken from the
// read-ahead (`readAhead`), waiting that long.
void NoteEntryDecoded(ViewerState& state, DWORD milliseconds, bool readAhead);

// A jump (an open, a hand-over, a sort, a delete or move): nothing pending is
// decoded any more, and the next step starts the held-key timing afresh.
void CancelPendingReadAhead(ViewerState& state);

// Moves the thread's finished pictures into the held set (kMsgReadAheadDone).
void CollectReadAhead(ViewerState& state);

// In place of the decode of entry `index` (sub-image 0): fills the picture and
// the decode state from a held picture, after waiting for the thread if it is
// decoding that file. False when nothing usable was held; the caller decodes.
bool TakeReadAhead(ViewerState& state, int32_t index);

// ARC_NEXT (+1) and ARC_PREV (-1) through a zip file's members: the member
// after the shown one in that direction is read ahead, and the step takes it
// in place of the decode of sub-image `subIndex` searched in `direction`.
void ScheduleMemberReadAhead(ViewerState& state, int direction);
bool TakeMemberReadAhead(ViewerState& state, int32_t subIndex, int direction);

// After the display's colour profile changed: the pictures converted for
// another profile are given up and the neighbours read again.
void DropReadAheadForOtherProfiles(ViewerState& state);

// What the held pictures take in bytes, whole-file buffers included.
uint64_t HeldReadAheadBytes(const ViewerState& state);

// At close: cancels, joins the thread and frees every held picture.
void StopReadAhead(ViewerState& state);
