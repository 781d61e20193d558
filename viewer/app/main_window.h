// The main window: its one state record and its window procedure. The record is
// made in the creation message, attached to the window, and freed when the
// window is destroyed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "viewer/app/settings.h"
#include "viewer/decode/decoded_picture.h"
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
};

extern const wchar_t kMainWindowClass[];

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);

// The state record of a main window, or null.
ViewerState* GetViewerState(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
