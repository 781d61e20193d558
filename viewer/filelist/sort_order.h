// The six orders of the file list (name, extension, type, size, creation and
// last-write time), ascending or descending, with logical or plain name
// comparison.
#pragma once

#include "viewer/core/settings.h"
#include "viewer/core/viewer_state.h"

// Reorders the list in place: a name pass, then for methods 2 to 6 a stable key
// pass, so that entries with equal keys stay in name order. Method 0 keeps the
// enumeration order. Sizes and times are read once per file and sort; a file
// that cannot be opened has the size 0xFFFFFFFF and the latest possible time.
void SortFileList(FileList& list, const Settings& settings);
