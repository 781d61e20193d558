// The main window procedure: a thin switch that hands each message to a small
// handler taking the state record first. Messages it does not handle go to
// DefWindowProcW. The record is made in the creation message and freed when
// the window is destroyed.
#include "viewer/app/main_window.h"

#include <mmsystem.h>
#include <objbase.h>

#include <cstring>
#include <ctime>
#include <cstdlib>
#include <new>

#include "viewer/app/busy_scope.h"
#include "viewer/app/commands.h"
#include "viewer/app/display_watch.h"
#include "viewer/app/mouse.h"
#include "viewer/app/open_picture.h"
#include "viewer/app/read_ahead.h"
#include "viewer/app/instance.h"
#include "viewer/app/window_icons.h"
#include "viewer/app/window_mode.h"
#include "viewer/archive/archive_access.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/message_box.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/display/animation.h"
#include "viewer/display/geometry.h"
#include "viewer/display/paint.h"
#include "viewer/filelist/file_list.h"
#include "viewer/input/menus.h"

const wchar_t kMainWindowClass[] = L"Oxel";

namespace {


ViewerState* CreateViewerState(HWND window) {
    ViewerState* state = new (std::nothrow) ViewerState();
    if (!state) return nullptr;
    state->window = window;
    state->lastListIndex = -1;
    state->slideShowArmedIndex = -1;
    state->picture.lastIndex = -1;
    return state;
}

void FreeViewerState(ViewerState* state) {
    if (state->comInitialized) CoUninitialize();
    delete state;
}

LRESULT OnCreate(HWND window) {
    ViewerState* state = CreateViewerState(window);
    if (!state) return -1;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    // The imaging component is reached through COM on this thread; it must be
    // ready before the first decode, which the open below runs.
    state->comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // The not-found box of the first open may see the window closed.
    ++state->handlerDepth;
    OpenPicture(*state, OpenTrigger::Creation);
    if (--state->handlerDepth == 0 && state->destroyed) FreeViewerState(state);
    return 0;
}

// The hand-over text is at most 260 bytes with its terminator. A longer one is
// refused: the text is emptied and the open that follows changes nothing, so
// that no cut-off path is ever opened.
LRESULT OnCopyData(ViewerState* state, const COPYDATASTRUCT* data) {
    state->handoverText[0] = '\0';
    state->handoverRefused = 0;
    if (data && data->cbData > sizeof state->handoverText) {
        state->handoverRefused = 1;
        return FALSE;
    }
    if (!data || !data->lpData || data->cbData == 0) return FALSE;
    size_t n = data->cbData;
    memcpy(state->handoverText, data->lpData, n);
    state->handoverText[n < sizeof state->handoverText ? n : n - 1] = '\0';
    return TRUE;
}

void OnActivate(ViewerState& state, WPARAM wParam) {
    WORD how = LOWORD(wParam);
    if (how == WA_INACTIVE) {
        state.clickArmed = 0;
        return;
    }
    // The click that activates the window leaves the flag as it was, so that
    // it does not step.
    if (how == WA_ACTIVE) state.clickArmed = 1;
    if (state.keySendingOn && state.lastListIndex != -1) {
        // A box of a running command activates the window when it closes:
        // the folder is not re-read under that command, but after it.
        // A command's own check (no activation state) runs at once.
        if (IsBusy(state) && how != static_cast<WORD>(-1)) {
            DeferActivationCheck(state);
            return;
        }
        BusyScope busy(state);
        const FolderRefresh refresh = RefreshOnActivate(state);
        // A list read again aims the read-ahead at its new neighbours; what
        // was decoded for the old one and is still listed is kept.
        ScheduleReadAhead(state, 0);
        if (refresh == FolderRefresh::kKeySendingStopped) {
            ShowMessageBox(state.window,
                           state.settings.English ? L"File structure was changed, so stop key sending."
                                                  : L"ファイル構成に変更があっため、キー送信を中止します。",
                           L"Oxel", MB_ICONEXCLAMATION);
            if (state.closing) return;
            if (!state.settings.AssociatedIcon) SetStateIcons(state.window, 0);
        }
        if (state.settings.SuperOxel) srand(static_cast<unsigned>(time(nullptr)));
    }
}

void OnSize(ViewerState& state, WPARAM wParam) {
    // While minimised the client area is 0 x 0 (the move handling sends a
    // WM_SIZE then too): that is no resize, and closing never decodes.
    if (wParam == SIZE_MINIMIZED || IsIconic(state.window) || state.closing) return;
    RECT client;
    GetClientRect(state.window, &client);
    if (client.right == state.clientWidth && client.bottom == state.clientHeight) return;
    state.clientWidth = client.right;
    state.clientHeight = client.bottom;
    // A scroll bar that comes or goes during a paint resizes the client area
    // too: the decode waits until this message and the paint are done, and
    // several resizes in a row decode once.
    if (state.settings.ReloadByResize && state.lastListIndex >= 0 && !state.reloadPending) {
        state.reloadPending = 1;
        PostMessageW(state.window, kMsgReloadAfterResize, 0, 0);
    }
    RecordWindowRect(state.window, state.settings);
    state.viewResetPending = 0;
    if (state.tooltip && state.settings.ShowToolTip != 0) {
        state.toolInfo.rect = client;
        SendMessageW(state.tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&state.toolInfo));
    }
    InvalidateRect(state.window, nullptr, FALSE);
}

void ReloadAfterResize(ViewerState& state) {
    if (!state.reloadPending) return;
    // Resized inside a running command's dialog: decoded after it.
    if (IsBusy(state)) {
        state.reloadDeferred = 1;
        return;
    }
    state.reloadPending = 0;
    if (state.closing || state.lastListIndex < 0 || (state.animated && state.settings.Anime)) return;
    BusyScope busy(state);
    DecodeCurrentEntry(state);
    UpdateMenus(state);
    InvalidateRect(state.window, nullptr, FALSE);
}

void ArmSlideShowTimer(ViewerState& state) {
    SetTimer(state.window, kSlideShowTimer, static_cast<UINT>(state.settings.SlideShowInterval) * 1000, nullptr);
}

void OnPaint(ViewerState& state) {
    if (state.closing) {
        ValidateRect(state.window, nullptr);
        return;
    }
    const bool newPicture = state.settings.slideShowOn && state.slideShowArmedIndex != state.currentIndex;
    if (newPicture) KillTimer(state.window, kSlideShowTimer);
    PaintMainWindow(state.window, state, state.settings, state.vScroll, state.hScroll);
    state.viewResetPending = 0;
    // Each picture stays for the full interval from its first paint.
    if (newPicture) {
        ArmSlideShowTimer(state);
        state.slideShowArmedIndex = state.currentIndex;
    }
}

void KeepDisplayAwake() {
    SetThreadExecutionState(ES_DISPLAY_REQUIRED);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

void OnTimer(ViewerState& state, WPARAM id) {
    if (id == kKeepAwakeTimer) {
        KeepDisplayAwake();
        return;
    }
    if (id == kSettleStepTimer) {
        // Inside a running command's box or during a drag it comes again.
        if (IsBusy(state) || state.dragging) return;
        KillTimer(state.window, kSettleStepTimer);
        if (IsPassedOver(state)) SendMessageW(state.window, WM_COMMAND, IDM_SHOW_PASSED, 0);
        return;
    }
    // A tick already queued when the slideshow ended, or one that a running
    // command's box dispatches, steps nothing.
    if (!state.settings.slideShowOn || IsBusy(state)) return;
    HWND window = state.window;
    SendMessageW(window, WM_COMMAND, IDM_NEXT, 0);
    if (!IsWindow(window)) return;
    // The slideshow does not wrap around: the last picture stays on screen.
    if (state.currentIndex == state.lastListIndex) {
        state.settings.slideShowOn = 0;
        EndSlideShowDisplay(state);
    }
}

void OnMenuOpened(ViewerState& state) {
    ++state.openMenus;
    if (state.settings.slideShowOn && state.openMenus == 1) KillTimer(state.window, kSlideShowTimer);
}

void OnMenuClosed(ViewerState& state) {
    --state.openMenus;
    if (state.settings.slideShowOn && state.openMenus == 0) ArmSlideShowTimer(state);
}

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Frees everything the window owns; safe to run twice (close, then destroy).
void ReleaseViewerResources(ViewerState& state) {
    // From here on nothing is decoded or painted: taking the menu bar off
    // below resizes the client area, and the list it would decode is gone.
    state.closing = 1;
    StopReadAhead(state);
    StopAnimation(state);
    ReleaseAnimationCanvas(state);
    FreeFileBuffer(state.decodeState);
    FreePictureBitmaps(state.picture.bitmap, state.displayBitmap);
    state.fileList.paths.clear();
    state.fileList.facts.clear();
    state.lastListIndex = -1;
    state.currentIndex = 0;
    // The menu bar is the window's menu; take it off before destroying it.
    if (state.menuBar && GetMenu(state.window) == state.menuBar) SetMenu(state.window, nullptr);
    if (state.menuBar) DestroyMenu(state.menuBar);
    // The context menu is the popup menu's submenu and goes with it.
    if (state.popupMenu) DestroyMenu(state.popupMenu);
    state.menuBar = state.popupMenu = state.contextMenu = nullptr;
    KillTimer(state.window, kSlideShowTimer);
    KillTimer(state.window, kKeepAwakeTimer);
    if (state.timerPeriodBegun) timeEndPeriod(state.timerPeriod);
    state.timerPeriodBegun = 0;
    FreePlugins(state.plugins);
}

void OnClose(ViewerState& state) {
    // Alt+F4 leaves the settings file as it was.
    if (!(KeyHeld(VK_MENU) && KeyHeld(VK_F4))) {
        if (state.settings.WindowMode) RecordWindowRect(state.window, state.settings);
        if (state.iniPath[0]) SaveViewSettings(state.settings, state.iniPath);
    }
    ReleaseViewerResources(state);
    RemoveTemporaryFolder();
    HWND filerFocus = state.filerFocus;
    if (state.tooltip) DestroyWindow(state.tooltip);
    state.tooltip = nullptr;
    DestroyWindow(state.window);
    // The file manager gets the focus back when the viewer is gone.
    if (filerFocus) SetFocus(filerFocus);
}

// The record leaves the window here, but is freed only when the outermost
// handler running on it returns: a message box or dialog inside a handler runs
// its own message loop, and a WM_CLOSE dispatched there destroys the window
// under the handler's feet.
void OnDestroy(HWND window, ViewerState* state) {
    ReleaseViewerResources(*state);
    if (state->tooltip) DestroyWindow(state->tooltip);
    state->tooltip = nullptr;
    if (state->tooltipFont) DeleteObject(state->tooltipFont);
    state->tooltipFont = nullptr;
    ReleaseFileIcons(*state);
    RemovePropW(window, kInstanceProperty);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    state->destroyed = 1;
    PostQuitMessage(0);
}

// An open runs at once, or when the command running around it has ended.
void RequestOpen(ViewerState& state, QueuedOpen open, const std::wstring& droppedPath = std::wstring()) {
    if (IsBusy(state)) {
        QueueOpen(state, open, droppedPath);
        return;
    }
    switch (open) {
    case QueuedOpen::kDrop:
        OpenPicture(state, OpenTrigger::Drop, droppedPath.c_str());
        break;
    case QueuedOpen::kDialog:
        OpenPicture(state, OpenTrigger::Dialog);
        break;
    case QueuedOpen::kHandover:
        OpenPicture(state, OpenTrigger::Handover);
        break;
    case QueuedOpen::kNone:
        break;
    }
}

// What the message loops of the last command held back, in the order it
// arrived in: the folder check, the resize's decode, the animation's next
// frame, and last the open, which replaces all of it.
void RunDeferredWork(ViewerState& state) {
    const DeferredWork work = TakeDeferredWork(state);
    if (work.activationCheck) OnActivate(state, static_cast<WORD>(-1));
    if (state.closing || IsBusy(state)) return;
    if (work.reload) ReloadAfterResize(state);
    if (state.closing || IsBusy(state)) return;
    if (work.tick && state.animationRunning) PostMessageW(state.window, WM_COMMAND, IDM_ARC_NEXT, 1);
    if (work.open != QueuedOpen::kNone) RequestOpen(state, work.open, work.droppedPath);
}

LRESULT HandleMessage(HWND window, ViewerState* state, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"OxelICON");
    wc.hIconSm = LoadIconW(instance, L"OxelICON_SM");
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszMenuName = L"Oxel_MENU";
    wc.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, kMainWindowClass, L"Oxel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, LoadMenuW(instance, L"Oxel_MENU"),
                           instance, nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return OnCreate(window);
    ViewerState* state = GetViewerState(window);
    if (!state) return DefWindowProcW(window, message, wParam, lParam);
    ++state->handlerDepth;
    LRESULT result = HandleMessage(window, state, message, wParam, lParam);
    if (--state->handlerDepth == 0 && state->destroyed) FreeViewerState(state);
    return result;
}

namespace {

LRESULT HandleMessage(HWND window, ViewerState* state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleMouse(*state, message, wParam, lParam)) return 0;
    switch (message) {
    case WM_DESTROY:
        OnDestroy(window, state);
        return 0;
    case WM_MOVE:
        SendMessageW(window, WM_SIZE, 0, 0);
        RecordWindowRect(window, state->settings);
        WatchDisplay(*state, false);
        return 0;
    case WM_DISPLAYCHANGE:
        WatchDisplay(*state, true);
        return 0;
    case WM_SIZE:
        OnSize(*state, wParam);
        return 0;
    case WM_ACTIVATE:
        OnActivate(*state, wParam);
        return 0;
    case WM_PAINT:
        OnPaint(*state);
        return 0;
    case WM_CLOSE:
        OnClose(*state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = 320;
        info->ptMinTrackSize.y = 240;
        return 0;
    }
    case WM_COPYDATA:
        return OnCopyData(state, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_COMMAND:
        DispatchCommand(*state, wParam, lParam);
        return 0;
    case WM_TIMER:
        OnTimer(*state, wParam);
        return 0;
    case WM_HSCROLL:
        ScrollByBar(*state, SB_HORZ, wParam);
        return 0;
    case WM_VSCROLL:
        ScrollByBar(*state, SB_VERT, wParam);
        return 0;
    case WM_INITMENUPOPUP:
        OnMenuOpened(*state);
        return 0;
    case WM_UNINITMENUPOPUP:
        OnMenuClosed(*state);
        return 0;
    case WM_DROPFILES:
        RequestOpen(*state, QueuedOpen::kDrop, TakeDroppedPath(reinterpret_cast<HDROP>(wParam)));
        return 0;
    case WM_APP:
        RequestOpen(*state, QueuedOpen::kDialog);
        return 0;
    case kMsgReloadAfterResize:
        ReloadAfterResize(*state);
        return 0;
    case kMsgOpenHandover:
        RequestOpen(*state, QueuedOpen::kHandover);
        return 0;
    case kMsgRunDeferredWork:
        RunDeferredWork(*state);
        return 0;
    case kMsgReadAheadDone:
        CollectReadAhead(*state);
        return 0;
    case WM_KEYUP:
        // A held key let go: the entry its steps stopped at is decoded now,
        // without the wait for further presses.
        if (IsPassedOver(*state)) SetTimer(window, kSettleStepTimer, USER_TIMER_MINIMUM, nullptr);
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace
