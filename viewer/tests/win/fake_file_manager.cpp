// The test file manager; see fake_file_manager.h.
#include "fake_file_manager.h"

#include <exdisp.h>
#include <shlguid.h>

#include "test_support.h"
#include "viewer/filelist/shell_view.h"

namespace {

constexpr UINT kMsgCloseList = WM_APP + 20;
constexpr UINT kMsgHang = WM_APP + 21;
const wchar_t kFilerClass[] = L"OxelTestFiler";

}  // namespace

FakeFileManager::FakeFileManager(bool taskbar) : withTaskbar_(taskbar) {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    hanging_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    // The viewer's thread may be tied to this one: answer while waiting.
    while (MsgWaitForMultipleObjects(1, &ready_, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) PumpMessages(0);
}

FakeFileManager::~FakeFileManager() {
    if (frame) PostMessageW(frame, WM_CLOSE, 0, 0);
    if (taskbar) PostMessageW(taskbar, WM_CLOSE, 0, 0);
    while (thread_ && MsgWaitForMultipleObjects(1, &thread_, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        PumpMessages(0);
    }
    if (thread_) CloseHandle(thread_);
    CloseHandle(ready_);
    CloseHandle(hanging_);
}

DWORD WINAPI FakeFileManager::Run(void* param) {
    FakeFileManager& self = *static_cast<FakeFileManager*>(param);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kFilerClass;
    RegisterClassW(&windowClass);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&windowClass);

    auto make = [&](const wchar_t* className, DWORD style, HWND parent, int x, int y, int w, int h) {
        HWND window = CreateWindowExW(0, className, L"", style, x, y, w, h, parent, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&self));
        return window;
    };
    self.frame = make(kFilerClass, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 600, 100, 400, 300);
    self.browser = make(kFilerClass, WS_CHILD | WS_VISIBLE, self.frame, 0, 0, 380, 200);
    self.list = make(kFilerClass, WS_CHILD | WS_VISIBLE | WS_TABSTOP, self.browser, 0, 0, 300, 150);
    self.other = make(kFilerClass, WS_CHILD | WS_VISIBLE | WS_TABSTOP, self.frame, 0, 210, 100, 30);
    if (self.withTaskbar_) {
        self.taskbar = make(L"Shell_TrayWnd", WS_POPUP, nullptr, 0, 990, 1280, 34);
        ShowWindow(self.taskbar, SW_SHOWNA);
    }
    SetForegroundWindow(self.frame);
    SetFocus(self.list);
    self.ClearRecords();
    SetEvent(self.ready_);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

LRESULT CALLBACK FakeFileManager::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeFileManager*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) self->Record(window, message, wParam);
    switch (message) {
    case kMsgCloseList:
        DestroyWindow(self->list);
        SetFocus(self->other);
        return 0;
    case kMsgHang:
        SetEvent(self->hanging_);
        Sleep(static_cast<DWORD>(wParam));
        ResetEvent(self->hanging_);
        return 0;
    case WM_DESTROY:
        if (window == self->frame) PostQuitMessage(0);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void FakeFileManager::Record(HWND window, UINT message, WPARAM wParam) {
    if (message == WM_SETFOCUS) {
        std::lock_guard<std::mutex> lock(mutex_);
        focusGained_.push_back(window);
    }
    if (message != WM_KEYDOWN && message != WM_KEYUP) return;
    RecordedKey key = {message, wParam, window, GetFocus() == window, taskbar && IsWindowVisible(taskbar),
                       viewer && (GetWindowLongW(viewer, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0};
    std::lock_guard<std::mutex> lock(mutex_);
    keys_.push_back(key);
}

std::vector<RecordedKey> FakeFileManager::Keys() {
    std::lock_guard<std::mutex> lock(mutex_);
    return keys_;
}

std::vector<HWND> FakeFileManager::FocusGained() {
    std::lock_guard<std::mutex> lock(mutex_);
    return focusGained_;
}

void FakeFileManager::ClearRecords() {
    std::lock_guard<std::mutex> lock(mutex_);
    keys_.clear();
    focusGained_.clear();
}

void FakeFileManager::CloseList() { SendMessageW(frame, kMsgCloseList, 0, 0); }

void FakeFileManager::Hang(DWORD milliseconds) {
    PostMessageW(frame, kMsgHang, milliseconds, 0);
    WaitForSingleObject(hanging_, 10000);
}

bool FakeFileManager::Hanging() { return WaitForSingleObject(hanging_, 0) == WAIT_OBJECT_0; }

// The shell side. Each object counts the references it hands out in the
// double's `references`, so that a test sees whether every one came back.
namespace {

FakeShellWindows* g_shell = nullptr;

#define FAKE_UNKNOWN_COUNTING                                \
    ULONG STDMETHODCALLTYPE AddRef() override {              \
        ++g_shell->references;                               \
        return ++count_;                                     \
    }                                                        \
    ULONG STDMETHODCALLTYPE Release() override {             \
        --g_shell->references;                               \
        const ULONG left = --count_;                         \
        if (left == 0) delete this;                          \
        return left;                                         \
    }                                                        \
    ULONG count_ = 0;

#define NOT_IMPLEMENTED(signature) \
    HRESULT STDMETHODCALLTYPE signature override { return E_NOTIMPL; }

template <typename T>
HRESULT HandOut(T* object, void** out) {
    object->AddRef();
    *out = object;
    return S_OK;
}

class FakeView final : public IShellView, public IFolderView2 {
public:
    explicit FakeView(const FakeShellWindow& window) : window_(window) {}
    FAKE_UNKNOWN_COUNTING
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IShellView)
            return HandOut(static_cast<IShellView*>(this), out);
        if (iid == IID_IFolderView) return HandOut(static_cast<IFolderView*>(this), out);
        if (iid == IID_IFolderView2 && window_.hasFolderView2) return HandOut(static_cast<IFolderView2*>(this), out);
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT* mode) override {
        *mode = window_.viewMode;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSortColumns(SORTCOLUMN* columns, int count) override {
        if (count < 1) return E_INVALIDARG;
        columns[0] = window_.sortColumn;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = window_.browserWindow;
        return S_OK;
    }
    NOT_IMPLEMENTED(ContextSensitiveHelp(WINBOOL))
    NOT_IMPLEMENTED(TranslateAccelerator(MSG*))
    NOT_IMPLEMENTED(EnableModeless(WINBOOL))
    NOT_IMPLEMENTED(UIActivate(UINT))
    NOT_IMPLEMENTED(Refresh())
    NOT_IMPLEMENTED(CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser*, RECT*, HWND*))
    NOT_IMPLEMENTED(DestroyViewWindow())
    NOT_IMPLEMENTED(GetCurrentInfo(LPFOLDERSETTINGS))
    NOT_IMPLEMENTED(AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM))
    NOT_IMPLEMENTED(SaveViewState())
    NOT_IMPLEMENTED(SelectItem(PCUITEMID_CHILD, SVSIF))
    NOT_IMPLEMENTED(GetItemObject(UINT, REFIID, void**))
    NOT_IMPLEMENTED(SetCurrentViewMode(UINT))
    NOT_IMPLEMENTED(GetFolder(REFIID, void**))
    NOT_IMPLEMENTED(Item(int, PITEMID_CHILD*))
    NOT_IMPLEMENTED(ItemCount(UINT, int*))
    NOT_IMPLEMENTED(Items(UINT, REFIID, void**))
    NOT_IMPLEMENTED(GetSelectionMarkedItem(int*))
    NOT_IMPLEMENTED(GetFocusedItem(int*))
    NOT_IMPLEMENTED(GetItemPosition(PCUITEMID_CHILD, POINT*))
    NOT_IMPLEMENTED(GetSpacing(POINT*))
    NOT_IMPLEMENTED(GetDefaultSpacing(POINT*))
    NOT_IMPLEMENTED(GetAutoArrange())
    NOT_IMPLEMENTED(SelectItem(int, DWORD))
    NOT_IMPLEMENTED(SelectAndPositionItems(UINT, PCUITEMID_CHILD_ARRAY, POINT*, DWORD))
    NOT_IMPLEMENTED(SetGroupBy(REFPROPERTYKEY, WINBOOL))
    NOT_IMPLEMENTED(GetGroupBy(PROPERTYKEY*, WINBOOL*))
    NOT_IMPLEMENTED(SetViewProperty(PCUITEMID_CHILD, REFPROPERTYKEY, REFPROPVARIANT))
    NOT_IMPLEMENTED(GetViewProperty(PCUITEMID_CHILD, REFPROPERTYKEY, PROPVARIANT*))
    NOT_IMPLEMENTED(SetTileViewProperties(PCUITEMID_CHILD, LPCWSTR))
    NOT_IMPLEMENTED(SetExtendedTileViewProperties(PCUITEMID_CHILD, LPCWSTR))
    NOT_IMPLEMENTED(SetText(FVTEXTTYPE, LPCWSTR))
    NOT_IMPLEMENTED(SetCurrentFolderFlags(DWORD, DWORD))
    NOT_IMPLEMENTED(GetCurrentFolderFlags(DWORD*))
    NOT_IMPLEMENTED(GetSortColumnCount(int*))
    NOT_IMPLEMENTED(SetSortColumns(const SORTCOLUMN*, int))
    NOT_IMPLEMENTED(GetItem(int, REFIID, void**))
    NOT_IMPLEMENTED(GetVisibleItem(int, WINBOOL, int*))
    NOT_IMPLEMENTED(GetSelectedItem(int, int*))
    NOT_IMPLEMENTED(GetSelection(WINBOOL, IShellItemArray**))
    NOT_IMPLEMENTED(GetSelectionState(PCUITEMID_CHILD, DWORD*))
    NOT_IMPLEMENTED(InvokeVerbOnSelection(LPCSTR))
    NOT_IMPLEMENTED(SetViewModeAndIconSize(FOLDERVIEWMODE, int))
    NOT_IMPLEMENTED(GetViewModeAndIconSize(FOLDERVIEWMODE*, int*))
    NOT_IMPLEMENTED(SetGroupSubsetCount(UINT))
    NOT_IMPLEMENTED(GetGroupSubsetCount(UINT*))
    NOT_IMPLEMENTED(SetRedraw(WINBOOL))
    NOT_IMPLEMENTED(IsMoveInSameFolder())
    NOT_IMPLEMENTED(DoRename())

private:
    FakeShellWindow window_;
};

class FakeBrowser final : public IShellBrowser {
public:
    explicit FakeBrowser(const FakeShellWindow& window) : window_(window) {}
    FAKE_UNKNOWN_COUNTING
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IShellBrowser) return HandOut(this, out);
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = window_.browserWindow;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override {
        return HandOut(static_cast<IShellView*>(new FakeView(window_)), reinterpret_cast<void**>(view));
    }
    NOT_IMPLEMENTED(ContextSensitiveHelp(WINBOOL))
    NOT_IMPLEMENTED(InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS))
    NOT_IMPLEMENTED(SetMenuSB(HMENU, HOLEMENU, HWND))
    NOT_IMPLEMENTED(RemoveMenusSB(HMENU))
    NOT_IMPLEMENTED(SetStatusTextSB(LPCWSTR))
    NOT_IMPLEMENTED(EnableModelessSB(WINBOOL))
    NOT_IMPLEMENTED(TranslateAcceleratorSB(MSG*, WORD))
    NOT_IMPLEMENTED(BrowseObject(PCUIDLIST_RELATIVE, UINT))
    NOT_IMPLEMENTED(GetViewStateStream(DWORD, IStream**))
    NOT_IMPLEMENTED(GetControlWindow(UINT, HWND*))
    NOT_IMPLEMENTED(SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*))
    NOT_IMPLEMENTED(OnViewWindowActive(IShellView*))
    NOT_IMPLEMENTED(SetToolbarItems(LPTBBUTTONSB, UINT, UINT))

private:
    FakeShellWindow window_;
};

// An item of the collection: the file manager's automation object, which
// leads to its top-level browser through IServiceProvider.
class FakeItem final : public IDispatch, public IServiceProvider {
public:
    explicit FakeItem(const FakeShellWindow& window) : window_(window) {}
    FAKE_UNKNOWN_COUNTING
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch) return HandOut(static_cast<IDispatch*>(this), out);
        if (iid == IID_IServiceProvider && window_.answersForBrowser)
            return HandOut(static_cast<IServiceProvider*>(this), out);
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override {
        *out = nullptr;
        // The shell answers on the browser window's thread, and waits for it.
        SendMessageW(window_.browserWindow, WM_NULL, 0, 0);
        if (service != SID_STopLevelBrowser || iid != IID_IShellBrowser) return E_NOINTERFACE;
        return HandOut(new FakeBrowser(window_), out);
    }
    NOT_IMPLEMENTED(GetTypeInfoCount(UINT*))
    NOT_IMPLEMENTED(GetTypeInfo(UINT, LCID, ITypeInfo**))
    NOT_IMPLEMENTED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    NOT_IMPLEMENTED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

private:
    FakeShellWindow window_;
};

class FakeCollection final : public IShellWindows {
public:
    FAKE_UNKNOWN_COUNTING
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IShellWindows) return HandOut(this, out);
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        *count = static_cast<LONG>(g_shell->windows.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override {
        *folder = nullptr;
        if (index.vt != VT_I4 || index.lVal < 0 || static_cast<size_t>(index.lVal) >= g_shell->windows.size())
            return S_FALSE;
        return HandOut(static_cast<IDispatch*>(new FakeItem(g_shell->windows[index.lVal])),
                       reinterpret_cast<void**>(folder));
    }
    NOT_IMPLEMENTED(GetTypeInfoCount(UINT*))
    NOT_IMPLEMENTED(GetTypeInfo(UINT, LCID, ITypeInfo**))
    NOT_IMPLEMENTED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    NOT_IMPLEMENTED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))
    NOT_IMPLEMENTED(_NewEnum(IUnknown**))
    NOT_IMPLEMENTED(Register(IDispatch*, LONG, int, LONG*))
    NOT_IMPLEMENTED(RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*))
    NOT_IMPLEMENTED(Revoke(LONG))
    NOT_IMPLEMENTED(OnNavigate(LONG, VARIANT*))
    NOT_IMPLEMENTED(OnActivated(LONG, VARIANT_BOOL))
    NOT_IMPLEMENTED(FindWindowSW(VARIANT*, VARIANT*, int, LONG*, int, IDispatch**))
    NOT_IMPLEMENTED(OnCreated(LONG, IUnknown*))
    NOT_IMPLEMENTED(ProcessAttachDetach(VARIANT_BOOL))
};

HRESULT MakeFakeCollection(IShellWindows** windows) {
    ++g_shell->collectionsMade;
    return HandOut(new FakeCollection, reinterpret_cast<void**>(windows));
}

}  // namespace

FakeShellWindows::FakeShellWindows(std::vector<FakeShellWindow> shellWindows) : windows(std::move(shellWindows)) {
    g_shell = this;
    SetShellWindowsFactory(MakeFakeCollection);
}

FakeShellWindows::~FakeShellWindows() {
    SetShellWindowsFactory(nullptr);
    g_shell = nullptr;
}

PROPERTYKEY StorageKey(DWORD propertyId) {
    return {{0xb725f130, 0x47ef, 0x101a, {0xa5, 0xf1, 0x02, 0x60, 0x8c, 0x9e, 0xeb, 0xac}}, propertyId};
}

SORTCOLUMN SortBy(DWORD propertyId, SORTDIRECTION direction) { return {StorageKey(propertyId), direction}; }
