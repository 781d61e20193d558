// A main window created in the test process as if the program had been started
// with a given command line: the settings file of the test program, message
// boxes taken by a hook, recorded and answered from a queue (OK when it is
// empty), the common dialogs cancelled unless a test hooks them itself, and
// every WM_COMMAND that reaches the window recorded in order.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "viewer/app/main_window.h"

struct RecordedBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
};

class ViewerWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `settings` as the settings file and creates the window started
    // with `arguments` after the quoted program path; then shows it without
    // activating it, so that it paints.
    void Create(const std::string& settings, const std::wstring& arguments);

    std::wstring Title() const;
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Dispatches what is pending, so that posted work and paints are done.
    void Settle();

    HWND window_ = nullptr;
    ViewerState* state_ = nullptr;
    std::vector<WORD> commands_;
    std::vector<RecordedBox> boxes_;
    std::deque<int> answers_;  // the buttons the next boxes are answered with
    std::wstring commandLine_;
};

// A new scratch folder holding files of the given names, each with its own
// name as contents.
std::wstring MakeFolderWith(const wchar_t* tag, const std::vector<std::wstring>& names);

// A new scratch folder holding copies of the first sample picture (a JPEG),
// named as given.
std::wstring FolderOfPictures(const wchar_t* tag, const std::vector<std::wstring>& names);

// The path joined from a folder and a name.
std::wstring Join(const std::wstring& folder, const std::wstring& name);

// The names (last path elements) of a list of paths.
std::vector<std::wstring> Names(const std::vector<std::wstring>& paths);

// Answers the open dialog of thread `uiThread` from another thread, as a user
// would: the file name typed into the name box, then OK (or Cancel).
void AnswerOpenDialog(DWORD uiThread, std::wstring path, bool cancel);
