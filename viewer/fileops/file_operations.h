// Deleting, moving and copying the shown file (commands 310, 320 and 330):
// the checks, the folder dialog, the questions and error messages in both
// languages, and the list update. Each operation tells the user of every
// outcome itself and reports to the caller only how the list changed; the
// window code reloads the picture and sets the icons.
#pragma once

#include <windows.h>

struct ViewerState;

// How an operation left the file list.
enum class ListChange {
    kUnchanged,  // nothing removed (cancelled, refused or failed)
    kRemoved,    // the shown entry is gone; `currentIndex` names the next one
    kEmptied,    // the shown entry was the last: the list is empty now
};

// Command 310: the current file to the recycle bin, and out of the list.
ListChange DeleteCurrentFile(ViewerState& state);
// Command 320: the current file into a folder chosen from `destinationFolder`,
// and out of the list.
ListChange MoveCurrentFile(ViewerState& state);
// Command 330: a copy of the current file into a folder chosen from
// `destinationFolder`; the list and the picture stay.
void CopyCurrentFile(ViewerState& state);

enum class RecycleResult {
    kGone,    // in the recycle bin, or deleted for ever as the user allowed
    kKept,    // the user kept it at the shell's question
    kFailed,  // still there
};

// `path` to the recycle bin without any question of the system's, except one
// before a file that the bin cannot take is deleted for ever; that question
// and any error box are modal to `owner`. With `ownErrorMessage` the caller
// tells of a failure itself, and the shell shows no error.
RecycleResult SendToRecycleBin(HWND owner, const wchar_t* path, bool ownErrorMessage);

// Takes the current entry out of the list after a delete or move: the next
// file takes its place, after the last one the previous; an emptied list is
// told to the user with "File is gone.".
ListChange RemoveCurrentEntry(ViewerState& state);

// The folder dialog's callback: opens the dialog on the folder passed as its
// data and scrolls it into view once.
int CALLBACK BrowseFolderCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);
