// The main window's one state record, with the records it is made of: the
// file list, the loaded plug-ins, the decoded picture. Every floor of the
// viewer reads and changes it; it lives on the ground floor so that none of
// them has to include the window code above it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"

// What the folder listing tells of a file besides its name: the size and time
// keys of the sort, so that sorting opens no file.
struct FileFacts {
    uint32_t size;      // the low 32 bits, as GetFileSize gives them
    uint64_t created;   // FILETIME values
    uint64_t written;
};

// A FILETIME as one number.
inline uint64_t FileTimeValue(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

struct FileList {
    std::vector<std::wstring> paths;
    // One entry per path, in the same order, when the list came from
    // EnumerateFolder; the sort reads the files' attributes by name otherwise.
    std::vector<FileFacts> facts;
};

// The pictures read ahead and the thread that decodes them (viewer/app/read_ahead.h).
struct ReadAheadCache;

struct PluginEntry {
    HMODULE module;    // null for a plug-in that runs in a host process
    int32_t disabled;  // it faulted: kept loaded, asked no more this session
    // A plug-in in a host: the machine of the host that runs it, its number
    // there, and which start of that host loaded it (0: not loaded yet).
    uint16_t hostMachine = 0;
    uint32_t hostSlot = 0;
    uint32_t hostStart = 0;
    std::wstring path = std::wstring();
};

typedef std::vector<PluginEntry> PluginList;

// An open that arrived while a command, a box, a dialog or a decode was
// running; it runs when the outermost of them has ended.
enum class QueuedOpen : int32_t { kNone, kDrop, kDialog, kHandover };

struct CanvasSnapshots;  // viewer/display/compose.h

struct ViewerState {
    HWND window;
    wchar_t iniPath[MAX_PATH];
    char handoverText[MAX_PATH];
    wchar_t currentFolder[MAX_PATH];
    FileList fileList;
    int32_t currentIndex;
    int32_t lastListIndex;
    Settings settings;
    HMENU menuBar;
    HMENU popupMenu;
    HMENU contextMenu;
    DecodeState decodeState;
    DecodedPicture picture;
    HBITMAP displayBitmap;
    int32_t animated;
    int32_t animationRunning;
    UINT animationTimer;
    HBITMAP frameCanvas;  // the composition base of the next animation frame
    CanvasSnapshots* canvasSnapshots;  // owned; earlier canvases kept for stepping back
    int32_t loopsDone;
    int32_t slideShowArmedIndex;
    int32_t openMenus;
    UINT timerPeriod;
    HWND filerWindow;
    HWND filerFocus;
    int32_t keySendingOn;
    HWND tooltip;
    HFONT tooltipFont;  // a Japanese face for the tooltip, where its own lacks the text's characters
    TOOLINFOW toolInfo;
    int32_t clickArmed;
    int32_t leftUpArmed;
    int32_t rightUpArmed;
    int32_t wheelZoomed;
    int32_t dragging;
    POINTS pressPoint;
    SCROLLINFO vScroll;
    SCROLLINFO hScroll;
    SCROLLINFO dragStartV;
    SCROLLINFO dragStartH;
    int32_t clientWidth;
    int32_t clientHeight;
    int32_t viewResetPending;
    DWORD lastStepTick;
    wchar_t destinationFolder[256];

    // Beyond the window's specified fields: what it owns besides them.
    PluginList plugins;
    HICON fileIconSmall;      // shell icons set on the window, freed when replaced
    HICON fileIconBig;
    int32_t handoverRefused;  // the last hand-over text did not fit; open nothing
    int32_t timerPeriodBegun;
    int32_t comInitialized;   // COM set up on the window thread, which every decode needs
    int32_t closing;          // resources released: no decode, no paint any more
    int32_t handlerDepth;     // window-procedure calls running on this record
    int32_t destroyed;        // the window is gone; freed when handlerDepth is 0
    int32_t reloadPending;    // a resize asked for a decode that has not run yet
    DWORD filerFocusThread;   // owner of filerFocus when it was captured: keys go
    DWORD filerFocusProcess;  // to that window and to no other that takes its handle

    // Work that a message loop inside a running command would have run under
    // it, held until the outermost command ends (see busy_scope.h).
    int32_t busyDepth;            // commands, opens, boxes and decodes running
    QueuedOpen queuedOpen;
    std::wstring queuedDropPath;  // the dropped file of a queued drop
    int32_t tickDeferred;         // an animation tick arrived while busy
    int32_t activationDeferred;   // the folder check of an activation
    int32_t reloadDeferred;       // the decode of a resize ("ReloadByResize")
    int32_t deferredWorkPosted;

    ReadAheadCache* readAhead;  // null when "ReadAhead" is off
    // The display whose colour profile the picture was converted for
    // (viewer/app/display_watch.h).
    HMONITOR displayMonitor;
    wchar_t displayProfile[MAX_PATH];
    int32_t displayProfileRead;
};

// Posted after a resize with "ReloadByResize": the decode for the new size
// runs once the size has settled, never inside a paint.
constexpr UINT kMsgReloadAfterResize = WM_APP + 2;

// Posted when the outermost running command ends with work held back.
constexpr UINT kMsgRunDeferredWork = WM_APP + 3;

// Posted by the read-ahead thread when a decoded picture is ready.
constexpr UINT kMsgReadAheadDone = WM_APP + 4;

// Window timers.
constexpr UINT_PTR kSlideShowTimer = 1;
constexpr UINT_PTR kKeepAwakeTimer = 2;
constexpr UINT_PTR kSettleStepTimer = 3;  // decodes the entry that fast steps stopped at

// The state record attached to a main window (its user data), or null.
inline ViewerState* GetViewerState(HWND window) {
    return reinterpret_cast<ViewerState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
