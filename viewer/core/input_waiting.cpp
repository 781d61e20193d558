// The press check; see input_waiting.h.
#include "viewer/core/input_waiting.h"

#include <windows.h>

bool PressWaiting() {
    const DWORD waiting = HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_SENDMESSAGE));
    if (!(waiting & (QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE)) || (waiting & QS_SENDMESSAGE)) return false;
    static const UINT kPresses[] = {WM_KEYDOWN,     WM_SYSKEYDOWN,  WM_LBUTTONDOWN, WM_RBUTTONDOWN,
                                    WM_MBUTTONDOWN, WM_XBUTTONDOWN, WM_MOUSEWHEEL};
    MSG message;
    for (UINT press : kPresses) {
        if (PeekMessageW(&message, nullptr, press, press, PM_NOREMOVE | PM_NOYIELD)) return true;
    }
    return false;
}
