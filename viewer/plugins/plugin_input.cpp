// The window's input during a plug-in call; see plugin_input.h.
#include "viewer/plugins/plugin_input.h"

#include <windows.h>

bool TakeOneInput(PluginCallInput& input) {
    if (HIWORD(GetQueueStatus(QS_SENDMESSAGE))) return false;
    MSG message;
    // A close asked for stays in the queue: the window closes once the call is over.
    if (PeekMessageW(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE | PM_NOYIELD) ||
        (PeekMessageW(&message, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE | PM_NOYIELD) &&
         message.wParam == HTCLOSE)) {
        input.closing = true;
    }
    if (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE | PM_NOYIELD)) {
        const bool repeated = (message.lParam & (1 << 30)) != 0;
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && !repeated) ++input.escapes;
        if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) input.closing = true;
        return true;
    }
    return PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE | PM_NOYIELD) != FALSE;
}
