// The temporary folder of extracted archive members: "Oxel" in the user's
// temporary folder, and inside it one folder per running viewer, named by its
// process id and start time, so that two viewers never meet in one file and a
// folder that a viewer left when it ended without closing is known as stale
// (its process is gone, or the id now belongs to a process started later).
#pragma once

#include <windows.h>

// "Oxel" in the user's temporary folder, or "" when its name does not fit.
void TemporaryFolder(wchar_t (&folder)[MAX_PATH]);

// This viewer's own folder inside it, created (with "Oxel") when missing;
// false (and `folder` empty) when it cannot be made. Another thread's
// RemoveProcessFolderIfEmpty may take it away again at once: what goes into
// it is made with the two functions below.
bool MakeProcessFolder(wchar_t (&folder)[MAX_PATH]);

// A new file `name` in this viewer's own folder, opened for writing, its path
// in `path`; a name taken already gets a number in front. The folder is made
// and the file created under one lock, so that no other thread removes the
// folder in between. INVALID_HANDLE_VALUE when it cannot be made.
HANDLE CreateProcessFolderFile(const wchar_t* name, wchar_t (&path)[MAX_PATH]);

// A new, empty sub-folder "N~" of this viewer's own folder, made likewise.
bool MakeProcessSubfolder(wchar_t (&folder)[MAX_PATH]);

// Removes this viewer's own folder when nothing is left in it; any thread.
void RemoveProcessFolderIfEmpty();

// At start: creates "Oxel" and removes the folders of viewers that are no
// longer running, with whatever they left.
void PrepareTemporaryFolder();

// At close: removes this viewer's folder with everything in it, then "Oxel"
// when no other viewer has anything there.
void RemoveTemporaryFolder();

// Removes a folder with its files and sub-folders (links to other folders are
// removed, never followed).
void RemoveFolderTree(const wchar_t* folder);
