// The list of the files the viewer steps through: every file of the opened
// file's folder, as full paths, in the chosen sort order. It is built when a
// file is opened and read again on activation while the viewer follows the
// file manager.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/core/settings.h"
#include "viewer/core/viewer_state.h"

// The folder of `path` (the path up to its last element), cut to MAX_PATH.
void FolderOf(const wchar_t* path, wchar_t (&folder)[MAX_PATH]);

// Empties `list` and fills it with the folder's files in the system's order;
// directories are left out, and system and hidden files when the settings say.
void EnumerateFolder(const wchar_t* folder, const Settings& settings, FileList& list);

// The index of `path`: the first of entries 0 .. n-2 equal to it ignoring
// case, else n-1 (a path not in the list selects the last entry); 0 for a list
// of one entry or none.
int32_t FindInList(const FileList& list, const wchar_t* path);

// Makes the path's folder the current one and builds the list around the path
// (a relative path is taken from the current folder). A path that does not
// exist clears the list and the picture; so does a path too long for the
// 260-character buffers, rather than be cut into another path. Returns whether
// the path exists; the caller tells the user of one that does not.
bool OpenPath(ViewerState& state, const wchar_t* path);

// What the folder check on activation found.
enum class FolderRefresh {
    kUnchanged,           // not linked, or the listing is the same
    kReread,              // changed, and read again ("RereadFileList")
    kKeySendingStopped,   // changed: key sending is off now; the caller tells the user
};

// On activation while linked to the file manager: lists the folder afresh and,
// when it changed, re-reads it ("RereadFileList") or stops the key sending.
FolderRefresh RefreshOnActivate(ViewerState& state);
