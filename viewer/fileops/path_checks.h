// Path comparisons shared by the file operations and the save: one folder
// under two spellings, one file under two names.
#pragma once

#include <windows.h>

// The two folders are equal, ignoring case and a trailing backslash.
bool IsSameFolder(const wchar_t* a, const wchar_t* b);

// What two names are known to reach.
enum class FileIdentity { kSame, kDifferent, kUnknown };

// Compares the volume and file index behind two names, which match for one
// file under two names (a short name, a link). kUnknown when either cannot be
// opened to read them: such a pair may well be one file.
FileIdentity CompareFiles(const wchar_t* a, const wchar_t* b);

// CompareFiles gives kSame.
bool IsSameFile(const wchar_t* a, const wchar_t* b);

// `path` without its last element, cut to MAX_PATH.
void ParentFolder(const wchar_t* path, wchar_t (&folder)[MAX_PATH]);

// `folder` joined with `name` by one backslash; false when the result would
// not fit MAX_PATH (it is never cut into another path).
bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t (&joined)[MAX_PATH]);
