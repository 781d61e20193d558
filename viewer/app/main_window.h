// The main window: its one state record and its window procedure. The record is
// made in the creation message, attached to the window, and freed when the
// window is destroyed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "viewer/app/settings.h"
#include "viewer/decode/decoded_picture.h"
#include "viewer/decode/plugin_host.h"
#include "viewer/filelist/file_list.h"

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
    int32_t loopsDone;
    int32_t slideShowArmedIndex;
    int32_t openMenus;
    UINT timerPeriod;
    HWND filerWindow;
    HWND filerFocus;
    int32_t keySendingOn;
    HWND tooltip;
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
};

// Posted after a resize with "ReloadByResize": the decode for the new size
// runs once the size has settled, never inside a paint.
constexpr UINT kMsgReloadAfterResize = WM_APP + 2;

// Window timers.
constexpr UINT_PTR kSlideShowTimer = 1;
constexpr UINT_PTR kKeepAwakeTimer = 2;

extern const wchar_t kMainWindowClass[];

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);

// Replaces the process command line for the windows created afterwards (null:
// the real one again). Lets a test start a window as if from a command line.
void SetCreationCommandLine(const wchar_t* commandLine);
const wchar_t* CreationCommandLine();

// The state record of a main window, or null.
ViewerState* GetViewerState(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
