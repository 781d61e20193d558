// Reading the file manager's view; see shell_view.h. COM is set up around each
// search, and every object is released before it returns.
#include "viewer/filelist/shell_view.h"

#include <shlguid.h>
#include <shlwapi.h>

#include "viewer/core/com.h"

namespace {

HRESULT CreateSystemShellWindows(IShellWindows** windows) {
    return CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                            reinterpret_cast<void**>(windows));
}

ShellWindowsFactory g_factory = CreateSystemShellWindows;

bool ReadFact(IShellView* view, ViewFact fact, ShellViewFacts& facts) {
    if (fact == ViewFact::SortColumn) {
        ComPtr<IFolderView2> folderView;
        if (FAILED(view->QueryInterface(IID_IFolderView2, folderView.Out())) || !folderView.p) return false;
        SORTCOLUMN column = {};
        if (FAILED(folderView->GetSortColumns(&column, 1))) return false;
        facts.sortColumn = column;
        return true;
    }
    ComPtr<IFolderView> folderView;
    if (FAILED(view->QueryInterface(IID_IFolderView, folderView.Out())) || !folderView.p) return false;
    UINT mode = 0;
    if (FAILED(folderView->GetCurrentViewMode(&mode))) return false;
    facts.viewMode = mode;
    return true;
}

}  // namespace

ShellWindowsFactory SetShellWindowsFactory(ShellWindowsFactory factory) {
    ShellWindowsFactory previous = g_factory;
    g_factory = factory ? factory : CreateSystemShellWindows;
    return previous;
}

bool ReadFileManagerView(HWND fileManagerWindow, ViewFact fact, ShellViewFacts& facts) {
    if (!fileManagerWindow || !IsWindow(fileManagerWindow)) return false;
    // The calls below go to the file manager's process and wait for it
    // without a time limit: a hung one is not asked.
    if (IsHungAppWindow(fileManagerWindow)) return false;
    // A thread already in the multithreaded apartment can use COM all the same.
    ComApartment com;
    if (FAILED(com.result) && com.result != RPC_E_CHANGED_MODE) return false;
    ComPtr<IShellWindows> windows;
    if (FAILED(g_factory(&windows)) || !windows.p) return false;
    LONG count = 0;
    if (FAILED(windows->get_Count(&count))) return false;

    bool found = false;
    for (LONG i = 0; i < count; ++i) {
        VARIANT index;
        VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        ComPtr<IDispatch> item;
        if (windows->Item(index, &item) != S_OK || !item.p) continue;
        ComPtr<IShellBrowser> browser;
        if (FAILED(IUnknown_QueryService(item.p, SID_STopLevelBrowser, IID_IShellBrowser, browser.Out())) ||
            !browser.p) {
            continue;
        }
        // The browser window is a child of the file manager's frame (one per
        // tab), or the frame itself.
        HWND browserWindow = nullptr;
        if (FAILED(browser->GetWindow(&browserWindow)) || !browserWindow) continue;
        if (browserWindow != fileManagerWindow && !IsChild(fileManagerWindow, browserWindow)) continue;
        ComPtr<IShellView> view;
        if (FAILED(browser->QueryActiveShellView(&view)) || !view.p) continue;
        ShellViewFacts read = {};
        if (!ReadFact(view.p, fact, read)) continue;
        if (!found) facts = read;
        found = true;
        // The window's own style: the frame itself may be minimised or hidden.
        if (GetWindowLongW(browserWindow, GWL_STYLE) & WS_VISIBLE) {
            facts = read;
            return true;
        }
    }
    return found;
}
