// The list of the files the viewer steps through: every file of the opened
// file's folder, as full paths, in the chosen sort order. It is built when a
// file is opened and read again on activation while the viewer follows the
// file manager.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/app/settings.h"

struct ViewerState;

// What the folder listing tells of a file besides its name: the size and time
// keys of the sort, so that sorting opens no file.
struct FileFacts {
    uint32_t size;      // the low 32 bits, as GetFileSize gives them
    uint64_t created;   // FILETIME values
    uint64_t written;
};

struct FileList {
    std::vector<std::wstring> paths;
    // One entry per path, in the same order, when the list came from
    // EnumerateFolder; the sort reads the files' attributes by name otherwise.
    std::vector<FileFacts> facts;
};

// A FILETIME as one number.
uint64_t FileTimeValue(const FILETIME& t);

// Empties `list` and fills it with the folder's files in the system's order;
// directories are left out, and system and hidden files when the settings say.
void EnumerateFolder(const wchar_t* folder, const Settings& settings, FileList& list);

// The index of `path`: the first of entries 0 .. n-2 equal to it ignoring
// case, else n-1 (a path not in the list selects the last entry); 0 for a list
// of one entry or none.
int32_t FindInList(const FileList& list, const wchar_t* path);

// Makes the path's folder the current one and builds the list around the path;
// a path that does not exist clears the list and, unless it is empty, is
// reported with the not-found message. A path too long for the 260-character
// buffers is refused the same way (its full text in the message) rather than
// cut into another path. Returns whether the path exists.
bool OpenPath(ViewerState& state, const wchar_t* path);

// On activation while linked to the file manager: lists the folder afresh and,
// when it changed, re-reads it ("RereadFileList") or stops the key sending.
void RefreshOnActivate(ViewerState& state);
