// Message boxes through a replaceable hook; see message_box.h.
#include "viewer/core/message_box.h"

namespace {
MessageBoxHook g_hook = nullptr;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
    if (g_hook) return g_hook(owner, text, caption, flags);
    return MessageBoxW(owner, text, caption, flags);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook previous = g_hook;
    g_hook = hook;
    return previous;
}
