// "Save Image" (command 350): the shown picture, turned as on screen and at its
// own size, written as an uncompressed Windows bitmap file chosen in the save
// dialog. The file is written beside its target under a temporary name and
// put in the target's place only when it is whole.
#pragma once

#include <windows.h>

struct ViewerState;

enum class SaveOutcome {
    kNotSaved,              // cancelled, refused or failed (the user was told)
    kSaved,                 // written into another folder than the shown one
    kSavedIntoShownFolder,  // written into the folder being browsed
};

struct SaveResult {
    SaveOutcome outcome;
    wchar_t path[MAX_PATH];  // the written file, when saved
};

// Shows the save dialog and writes the file. With "MemorizeFolder" on, the
// saved file's folder becomes `destinationFolder`. The list is the caller's.
SaveResult SavePictureAsBitmap(ViewerState& state);

// Writes `bitmap` at its own depth, with the colour table that 1, 4 and 8 bits
// per pixel need, rows bottom-up. A file already at `path` is replaced only by
// a complete new one; on any failure it stays as it was and no other file is
// left behind. True when the file was written.
bool WriteBitmapFile(HBITMAP bitmap, const wchar_t* path);
