// Capture of the file manager at an open; see explorer_sync.h.
#include "viewer/filelist/explorer_sync.h"

#include "viewer/core/viewer_state.h"

void CaptureFileManager(ViewerState& state, OpenTrigger trigger) {
    if (trigger == OpenTrigger::Dialog) {
        state.filerFocus = nullptr;
        return;
    }
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
    state.filerFocus = focus;
    state.filerWindow = GetForegroundWindow();

    DWORD windowThread = GetWindowThreadProcessId(state.window, nullptr);
    DWORD focusThread = focus ? GetWindowThreadProcessId(focus, nullptr) : 0;
    if (focusThread && focusThread != windowThread) {
        // Stays attached for the rest of the run, so that the focus can be
        // moved there while stepping and handed back at close.
        AttachThreadInput(windowThread, focusThread, TRUE);
    } else {
        state.filerFocus = nullptr;
    }

    if (trigger == OpenTrigger::Drop) SetActiveWindow(state.window);
    if (trigger == OpenTrigger::Handover) SetFocus(state.window);
}

void AdoptExplorerSortOrder(ViewerState&) {}

void SendKeyToFileManager(ViewerState&, int) {}
