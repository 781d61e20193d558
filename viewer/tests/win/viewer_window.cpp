// The main-window test fixture; see viewer_window.h.
#include "viewer_window.h"

#include "test_support.h"
#include "viewer/app/instance.h"
#include "viewer/core/dialogs.h"
#include "viewer/core/message_box.h"

namespace {

ViewerWindowTest* g_current = nullptr;
std::vector<RecordedBox>* g_boxes = nullptr;
std::deque<int>* g_answers = nullptr;

int RecordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
    if (g_boxes) g_boxes->push_back({owner, text ? text : L"", caption ? caption : L"", flags});
    if (!g_answers || g_answers->empty()) return IDOK;
    const int answer = g_answers->front();
    g_answers->pop_front();
    return answer;
}

PIDLIST_ABSOLUTE CancelFolderDialog(BROWSEINFOW*) { return nullptr; }
BOOL CancelSaveDialog(OPENFILENAMEW*) { return FALSE; }
BOOL CancelPrintDialog(PRINTDLGW*) { return FALSE; }

void CancelAllDialogs() {
    SetFolderDialogHook(CancelFolderDialog);
    SetSaveDialogHook(CancelSaveDialog);
    SetPrintDialogHook(CancelPrintDialog);
}

std::vector<WORD>* g_commands = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && g_commands) g_commands->push_back(LOWORD(wParam));
    return MainWindowProc(window, message, wParam, lParam);
}

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

void ViewerWindowTest::SetUp() {
    static bool registered = RegisterMainWindowClass(GetModuleHandleW(nullptr));
    (void)registered;
    g_current = this;
    g_boxes = &boxes_;
    g_answers = &answers_;
    SetMessageBoxHook(RecordBox);
    CancelAllDialogs();
}

void ViewerWindowTest::TearDown() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    g_commands = nullptr;
    PumpMessages(0);
    SetMessageBoxHook(nullptr);
    CancelAllDialogs();
    SetCreationCommandLine(nullptr);
    g_boxes = nullptr;
    g_answers = nullptr;
    g_current = nullptr;
}

void ViewerWindowTest::Create(const std::string& settings, const std::wstring& arguments) {
    WriteWholeFile(TestSettingsPath(), settings);
    commandLine_ = L"\"" + OutputFolder() + L"\\viewer_app_test.exe\" " + arguments;
    SetCreationCommandLine(commandLine_.c_str());
    window_ = CreateMainWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(window_, nullptr);
    state_ = GetViewerState(window_);
    ASSERT_NE(state_, nullptr);
    g_commands = &commands_;
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    Settle();
}

std::wstring ViewerWindowTest::Title() const {
    wchar_t title[512] = {};
    GetWindowTextW(window_, title, 512);
    return title;
}

void ViewerWindowTest::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    SendMessageW(window_, message, wParam, lParam);
}

void ViewerWindowTest::Settle() {
    PumpMessages(0);
    if (window_ && IsWindow(window_)) UpdateWindow(window_);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

std::wstring MakeFolderWith(const wchar_t* tag, const std::vector<std::wstring>& names) {
    std::wstring folder = MakeScratchFolder(tag);
    // Process ids come round again under Wine, and with them the scratch
    // folders of earlier runs: start from an empty one.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                std::wstring stale = Join(folder, found.cFileName);
                SetFileAttributesW(stale.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(stale.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    for (const std::wstring& name : names) {
        std::string bytes(name.begin(), name.end());
        WriteWholeFile(Join(folder, name), bytes);
    }
    return folder;
}

std::vector<std::wstring> Names(const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> names;
    for (const std::wstring& path : paths) names.push_back(path.substr(path.rfind(L'\\') + 1));
    return names;
}

void AnswerOpenDialog(DWORD uiThread, std::wstring path, bool cancel) {
    for (int tries = 0; tries < 200; ++tries) {
        Sleep(50);
        HWND dialog = nullptr;
        EnumThreadWindows(uiThread, FindVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) continue;
        if (!cancel) {
            // The name box is a combo box (cmb13) in the Explorer-style dialog and
            // an edit box (edt1) in the old one.
            HWND box = GetDlgItem(dialog, 0x47c);
            if (!box) box = GetDlgItem(dialog, 0x480);
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        }
        PostMessageW(dialog, WM_COMMAND, cancel ? IDCANCEL : IDOK, 0);
        return;
    }
}

std::wstring FolderOfPictures(const wchar_t* tag, const std::vector<std::wstring>& names) {
    std::wstring folder = MakeFolderWith(tag, {});
    const std::string bytes = ReadWholeFile(PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\01-dawn.jpg");
    for (const std::wstring& name : names) WriteWholeFile(Join(folder, name), bytes);
    return folder;
}
