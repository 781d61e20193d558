// The file operations of the commands: delete, move and copy the shown file,
// save the shown picture as a bitmap, print it and copy it to the clipboard.
// Not built yet: each one does nothing, and the list and the files stay as
// they are.
#pragma once

struct ViewerState;

// Command 310: the current file to the recycle bin, and out of the list.
void DeleteCurrentFile(ViewerState& state);
// Command 320: the current file into `destinationFolder`, and out of the list.
void MoveCurrentFile(ViewerState& state);
// Command 330: a copy of the current file into `destinationFolder`.
void CopyCurrentFile(ViewerState& state);
// Command 350: the shown picture as a bitmap file.
void SavePictureAsBitmap(ViewerState& state);
// Command 290: the shown picture on one printed page.
void PrintPicture(ViewerState& state);
// Command 280: the shown picture, as it is turned, on the clipboard.
void CopyPictureToClipboard(ViewerState& state);
