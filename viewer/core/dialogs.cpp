// Common dialogs through replaceable hooks; see dialogs.h.
#include "viewer/core/dialogs.h"

namespace {
FolderDialogHook g_folderHook = nullptr;
SaveDialogHook g_saveHook = nullptr;
PrintDialogHook g_printHook = nullptr;

template <typename Hook>
Hook Exchange(Hook& slot, Hook hook) {
    Hook previous = slot;
    slot = hook;
    return previous;
}
}  // namespace

PIDLIST_ABSOLUTE ShowFolderDialog(BROWSEINFOW* info) {
    if (g_folderHook) return g_folderHook(info);
    return SHBrowseForFolderW(info);
}

BOOL ShowSaveDialog(OPENFILENAMEW* dialog) {
    if (g_saveHook) return g_saveHook(dialog);
    return GetSaveFileNameW(dialog);
}

BOOL ShowPrintDialog(PRINTDLGW* dialog) {
    if (g_printHook) return g_printHook(dialog);
    return PrintDlgW(dialog);
}

FolderDialogHook SetFolderDialogHook(FolderDialogHook hook) { return Exchange(g_folderHook, hook); }
SaveDialogHook SetSaveDialogHook(SaveDialogHook hook) { return Exchange(g_saveHook, hook); }
PrintDialogHook SetPrintDialogHook(PrintDialogHook hook) { return Exchange(g_printHook, hook); }
