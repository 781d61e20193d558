// A file manager for the synchronisation tests, made of two parts. Its windows
// run on a thread of their own, as another program's would: a frame with a
// browser window inside, a list control inside that with the keyboard focus,
// and a second control; every key message and focus change they receive is
// recorded. Its shell side is a double of the shell's windows collection that
// answers the shell-window interfaces as the file manager would: a browser
// window, an active view, a view mode and a sort column, each window's answer
// waiting for the thread of its browser window.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <mutex>
#include <vector>

struct RecordedKey {
    UINT message;  // WM_KEYDOWN or WM_KEYUP
    WPARAM key;
    HWND target;
    bool targetHadFocus;   // the receiving window had the keyboard focus
    bool taskbarVisible;   // the stand-in taskbar, if any, was visible
    bool viewerTopmost;    // `viewer` was a top-most window
};

class FakeFileManager {
public:
    // Starts the thread and its windows, and makes the frame the foreground
    // window with the focus in the list. With `taskbar`, a visible stand-in for
    // the system's taskbar (class "Shell_TrayWnd") is made too.
    explicit FakeFileManager(bool taskbar = false);
    ~FakeFileManager();
    FakeFileManager(const FakeFileManager&) = delete;
    FakeFileManager& operator=(const FakeFileManager&) = delete;

    std::vector<RecordedKey> Keys();
    // Windows of this file manager that received WM_SETFOCUS, in order.
    std::vector<HWND> FocusGained();
    void ClearRecords();
    // Destroys the list on the file manager's thread and gives its focus to
    // the second control.
    void CloseList();
    // Makes the file manager's thread stop answering for `milliseconds`, as a
    // hung program does; returns once it has stopped.
    void Hang(DWORD milliseconds);
    bool Hanging();

    HWND frame = nullptr;
    HWND browser = nullptr;
    HWND list = nullptr;
    HWND other = nullptr;
    HWND taskbar = nullptr;
    HWND viewer = nullptr;  // set by the test: its top-most state is recorded with each key

private:
    static DWORD WINAPI Run(void* self);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Record(HWND window, UINT message, WPARAM wParam);

    bool withTaskbar_;
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HANDLE hanging_ = nullptr;  // set while the thread sleeps
    std::mutex mutex_;
    std::vector<RecordedKey> keys_;
    std::vector<HWND> focusGained_;
};

// One window of the shell's collection, as the double answers for it.
struct FakeShellWindow {
    HWND browserWindow;
    UINT viewMode;
    SORTCOLUMN sortColumn;
    bool answersForBrowser = true;  // the item offers the top-level browser service
    bool hasFolderView2 = true;     // the view offers IFolderView2
};

// Puts the double in place of the system's collection for its lifetime.
// `windows` may be changed between calls; `references` counts the references
// the double has handed out and not yet got back.
struct FakeShellWindows {
    explicit FakeShellWindows(std::vector<FakeShellWindow> shellWindows);
    ~FakeShellWindows();
    FakeShellWindows(const FakeShellWindows&) = delete;
    FakeShellWindows& operator=(const FakeShellWindows&) = delete;

    std::vector<FakeShellWindow> windows;
    long references = 0;
    int collectionsMade = 0;
};

// The shell's property keys of the file manager's usual columns.
PROPERTYKEY StorageKey(DWORD propertyId);
SORTCOLUMN SortBy(DWORD propertyId, SORTDIRECTION direction);
