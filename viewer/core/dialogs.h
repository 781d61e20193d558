// The seam through which the viewer's common dialogs pass: the folder dialog
// of move and copy, the save dialog and the print dialog. A test puts a hook
// in a dialog's place and answers it as a user would, without a modal loop.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

// Each hook receives the dialog's filled-in record and answers like the
// system call it replaces.
typedef PIDLIST_ABSOLUTE (*FolderDialogHook)(BROWSEINFOW* info);
typedef BOOL (*SaveDialogHook)(OPENFILENAMEW* dialog);
typedef BOOL (*PrintDialogHook)(PRINTDLGW* dialog);

// SHBrowseForFolderW, or its hook: the chosen folder's item list (the
// caller frees it with CoTaskMemFree), or null for a cancel.
PIDLIST_ABSOLUTE ShowFolderDialog(BROWSEINFOW* info);
// GetSaveFileNameW, or its hook.
BOOL ShowSaveDialog(OPENFILENAMEW* dialog);
// PrintDlgW, or its hook.
BOOL ShowPrintDialog(PRINTDLGW* dialog);

// Each replaces the real dialog; null restores it. Returns the previous hook.
FolderDialogHook SetFolderDialogHook(FolderDialogHook hook);
SaveDialogHook SetSaveDialogHook(SaveDialogHook hook);
PrintDialogHook SetPrintDialogHook(PrintDialogHook hook);
