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
// false (and `folder` empty) when it cannot be made.
bool MakeProcessFolder(wchar_t (&folder)[MAX_PATH]);

// Removes this viewer's own folder when nothing is left in it.
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
