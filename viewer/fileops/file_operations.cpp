// The file operations; see file_operations.h. Placeholders until they are built.
#include "viewer/fileops/file_operations.h"

void DeleteCurrentFile(ViewerState&) {}
void MoveCurrentFile(ViewerState&) {}
void CopyCurrentFile(ViewerState&) {}
void SavePictureAsBitmap(ViewerState&) {}
void PrintPicture(ViewerState&) {}
void CopyPictureToClipboard(ViewerState&) {}
