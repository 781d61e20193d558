// The file-manager link; see explorer_sync.h.
#include "viewer/filelist/explorer_sync.h"

#include "viewer/core/viewer_state.h"
#include "viewer/filelist/explorer_rules.h"
#include "viewer/filelist/shell_view.h"

namespace {

// {B725F130-47EF-101A-A5F1-02608C9EEBAC}: the shell's storage properties
// (name, type, size, dates).
const GUID kStorageProperties = {0xb725f130, 0x47ef, 0x101a, {0xa5, 0xf1, 0x02, 0x60, 0x8c, 0x9e, 0xeb, 0xac}};

// A file manager that does not answer a key within this time is hung; the
// step goes on without it.
constexpr UINT kKeyTimeoutMs = 1000;

// True while `filerFocus` is still the window captured at the open. A handle
// of a destroyed window may be given to a new window of any program.
bool CapturedFocusIsThere(const ViewerState& state) {
    if (!state.filerFocus) return false;
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(state.filerFocus, &process);
    return thread != 0 && thread == state.filerFocusThread && process == state.filerFocusProcess;
}

// Also unties this thread's input from the file manager's: tied, a file
// manager that hangs would hold the viewer's keys and mouse with it.
void ForgetFocus(ViewerState& state) {
    if (state.filerFocusThread) {
        AttachThreadInput(GetWindowThreadProcessId(state.window, nullptr), state.filerFocusThread, FALSE);
    }
    state.filerFocus = nullptr;
    state.filerFocusThread = 0;
    state.filerFocusProcess = 0;
}

// A file manager that has not taken its messages for seconds is left alone:
// the shell's calls into it and the focus moved to it would wait for it
// without end.
bool FileManagerHangs(const ViewerState& state) {
    return (state.filerWindow && IsHungAppWindow(state.filerWindow)) ||
           (state.filerFocus && IsHungAppWindow(state.filerFocus));
}

// The taskbar, hidden while the file manager has the focus in full screen (it
// would come up over the picture) and shown again only if it was visible.
struct HiddenTaskbar {
    HWND taskbar = nullptr;
    void Hide() {
        HWND found = FindWindowW(L"Shell_TrayWnd", nullptr);
        if (found && IsWindowVisible(found)) {
            ShowWindow(found, SW_HIDE);
            taskbar = found;
        }
    }
    void Show() {
        if (taskbar) ShowWindow(taskbar, SW_SHOWNA);
        taskbar = nullptr;
    }
};

}  // namespace

void CaptureFileManager(ViewerState& state, OpenTrigger trigger) {
    // The file manager of an earlier open is let go, whichever comes now.
    ForgetFocus(state);
    if (trigger == OpenTrigger::Dialog) return;
    DWORD self = GetCurrentThreadId();
    HWND foreground = GetForegroundWindow();
    DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    HWND focus = nullptr;
    // The focus of another thread can be read only while attached to it.
    if (foregroundThread && AttachThreadInput(self, foregroundThread, TRUE)) {
        SetForegroundWindow(foreground);
        focus = GetFocus();
        AttachThreadInput(self, foregroundThread, FALSE);
    }
    // The bare desktop in front is no file manager: it takes no keys, and
    // lending it the focus would cost every step a trip to the window system.
    HWND desktop = GetDesktopWindow();
    if (focus == desktop) focus = nullptr;
    state.filerWindow = GetForegroundWindow();
    if (state.filerWindow == desktop) state.filerWindow = nullptr;

    DWORD windowThread = GetWindowThreadProcessId(state.window, nullptr);
    DWORD focusProcess = 0;
    DWORD focusThread = focus ? GetWindowThreadProcessId(focus, &focusProcess) : 0;
    // Stays attached until the file manager is forgotten, so that the focus
    // can be moved there while stepping and handed back at close.
    if (focusThread && focusThread != windowThread) {
        AttachThreadInput(windowThread, focusThread, TRUE);
        state.filerFocus = focus;
        state.filerFocusThread = focusThread;
        state.filerFocusProcess = focusProcess;
    }

    if (trigger == OpenTrigger::Drop) SetActiveWindow(state.window);
    if (trigger == OpenTrigger::Handover) SetFocus(state.window);
}

void AdoptExplorerSortOrder(ViewerState& state) {
    ShellViewFacts facts = {};
    if (!ReadFileManagerView(state.filerWindow, ViewFact::SortColumn, facts)) return;
    const PROPERTYKEY& key = facts.sortColumn.propkey;
    if (IsEqualGUID(key.fmtid, kStorageProperties)) {
        const int32_t method = SortMethodOfStorageColumn(key.pid);
        if (method) state.settings.SortMethod = method;
    }
    // The direction and the file manager's logical name order count whatever
    // the column.
    state.settings.SortDescending = facts.sortColumn.direction == SORT_DESCENDING ? 1 : 0;
    state.settings.NoLogicalSort = 0;
}

int32_t GetExplorerViewMode(HWND fileManagerWindow) {
    ShellViewFacts facts = {};
    if (!ReadFileManagerView(fileManagerWindow, ViewFact::ViewMode, facts)) return kViewModeNone;
    return static_cast<int32_t>(facts.viewMode);
}

void SendKeyToFileManager(ViewerState& state, int direction) {
    if (!state.keySendingOn || !state.filerFocus) return;
    // A closed list is not captured again: its file manager is let go.
    if (!CapturedFocusIsThere(state)) {
        ForgetFocus(state);
        return;
    }
    if (FileManagerHangs(state)) return;
    const Settings& settings = state.settings;
    const bool forward = direction > 0;
    const int32_t mode = settings.Explorer ? GetExplorerViewMode(state.filerWindow) : kViewModeNone;
    const FilerKeySequence keys = FilerKeysForStep(mode, forward ? settings.FilerNext : settings.FilerPrev, forward);
    if (keys.count == 0) return;

    // The focus visits the file manager only while the viewer is in front: a
    // slide show running behind another program must not pull the viewer over it.
    const bool moveFocus = settings.ActiveFiler && GetForegroundWindow() == state.window;
    HiddenTaskbar taskbar;
    if (moveFocus) {
        if (!settings.WindowMode) taskbar.Hide();
        SetWindowPos(state.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetFocus(state.filerFocus);
    }
    // Sent, never posted or typed: the keys reach the captured control and no
    // other window, whichever has the focus now. The control is checked before
    // each message, since a key may close it.
    for (int i = 0; i < keys.count && !state.closing && CapturedFocusIsThere(state); ++i) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(state.filerFocus, keys.messages[i].down ? WM_KEYDOWN : WM_KEYUP,
                                 static_cast<WPARAM>(keys.messages[i].key), 0, SMTO_ABORTIFHUNG, kKeyTimeoutMs,
                                 &result)) {
            break;
        }
    }
    if (moveFocus) {
        taskbar.Show();
        if (state.closing) return;
        if (settings.WindowMode && !settings.AlwaysOnTop) {
            SetWindowPos(state.window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        }
        SetFocus(state.window);
    }
}
