// The file manager's folder view, read through the shell's published
// interfaces: the collection of the shell's windows, each window's top-level
// browser, the browser's active view, and the view's sort column or view mode.
// The collection comes from a factory that a test can replace with a double
// answering as a file manager would.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <shobjidl.h>

typedef HRESULT (*ShellWindowsFactory)(IShellWindows** windows);

// Replaces the system's collection; null restores it. Returns the previous factory.
ShellWindowsFactory SetShellWindowsFactory(ShellWindowsFactory factory);

// What is read from the file manager's view.
enum class ViewFact { SortColumn, ViewMode };

struct ShellViewFacts {
    SORTCOLUMN sortColumn;  // the first sort column (ViewFact::SortColumn)
    UINT viewMode;          // ViewFact::ViewMode
};

// Searches the shell's windows for a view whose browser window is
// `fileManagerWindow` or lies inside it, and reads `fact` from it. A shell
// window whose interfaces fail is skipped. Among the matches a visible browser
// window wins over hidden ones (the tabs in the background of a file manager),
// else the first one counts. False when nothing matched, COM could not be set
// up, or `fileManagerWindow` hangs (the shell's calls would wait for it).
bool ReadFileManagerView(HWND fileManagerWindow, ViewFact fact, ShellViewFacts& facts);
