// The link to the file manager: its view read through the shell-window
// interfaces (answered by a double), the order taken over at an open, and the
// key messages that mirror each step, received by a file manager's windows on
// a thread of their own.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "fake_file_manager.h"
#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/viewer_state.h"
#include "viewer/filelist/explorer_sync.h"
#include "viewer/filelist/shell_view.h"
#include "viewer_window.h"

namespace {

constexpr UINT kIcons = 1, kDetails = 4;
const SORTCOLUMN kByName = SortBy(10, SORT_ASCENDING);

// A frame with two browser windows inside, on this thread.
struct Frames {
    HWND frame, tab, hiddenTab, foreign, foreignTab;
    Frames() {
        frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        tab = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame, nullptr, nullptr, nullptr);
        hiddenTab = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 50, frame, nullptr, nullptr, nullptr);
        foreign = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        foreignTab = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, foreign, nullptr,
                                     nullptr, nullptr);
    }
    ~Frames() {
        DestroyWindow(frame);
        DestroyWindow(foreign);
    }
};

TEST(ShellView, TheViewInsideTheWindowGivesTheMode) {
    Frames f;
    FakeShellWindows shell({{f.foreignTab, kIcons, kByName}, {f.tab, kDetails, kByName}});
    EXPECT_EQ(GetExplorerViewMode(f.frame), 4);
    EXPECT_EQ(GetExplorerViewMode(f.foreign), 1);
    // The browser window may be the frame itself.
    shell.windows = {{f.frame, 8, kByName}};
    EXPECT_EQ(GetExplorerViewMode(f.frame), 8);
    // A view inside another window, or no window at all, gives none.
    EXPECT_EQ(GetExplorerViewMode(f.foreign), -1);
    EXPECT_EQ(GetExplorerViewMode(nullptr), -1);
    EXPECT_EQ(shell.references, 0);
}

TEST(ShellView, AVisibleTabWinsOverAHiddenOne) {
    Frames f;
    FakeShellWindows shell({{f.hiddenTab, kIcons, kByName}, {f.tab, kDetails, kByName}});
    EXPECT_EQ(GetExplorerViewMode(f.frame), 4);
    shell.windows = {{f.hiddenTab, kIcons, kByName}};
    EXPECT_EQ(GetExplorerViewMode(f.frame), 1);
    EXPECT_EQ(shell.references, 0);
}

TEST(ShellView, WindowsWhoseInterfacesFailAreSkipped) {
    Frames f;
    FakeShellWindow noBrowser = {f.tab, kIcons, SortBy(14, SORT_DESCENDING)};
    noBrowser.answersForBrowser = false;
    FakeShellWindow noFolderView2 = {f.tab, 8, SortBy(12, SORT_DESCENDING)};
    noFolderView2.hasFolderView2 = false;
    FakeShellWindows shell({noBrowser, noFolderView2, {f.tab, kDetails, SortBy(4, SORT_ASCENDING)}});
    // The view mode needs only IFolderView; the sort column needs IFolderView2.
    EXPECT_EQ(GetExplorerViewMode(f.frame), 8);
    ViewerState state = {};
    state.filerWindow = f.frame;
    state.settings.SortMethod = 2;
    state.settings.SortDescending = 1;
    AdoptExplorerSortOrder(state);
    EXPECT_EQ(state.settings.SortMethod, 3);
    EXPECT_EQ(state.settings.SortDescending, 0);
    EXPECT_EQ(shell.references, 0);
}

TEST(ShellView, SortColumnsMapOntoTheSortSettings) {
    Frames f;
    struct Row {
        SORTCOLUMN column;
        int32_t method, descending;
    } rows[] = {
        {SortBy(14, SORT_DESCENDING), 6, 1},  // date modified
        {SortBy(10, SORT_ASCENDING), 1, 0},   // name
        {SortBy(4, SORT_DESCENDING), 3, 1},   // type
        {SortBy(12, SORT_ASCENDING), 4, 0},   // size
        {SortBy(15, SORT_ASCENDING), 5, 0},   // date created
        {SortBy(99, SORT_DESCENDING), 2, 1},  // a column the viewer cannot sort by: only the direction
        {{{{0x12345678, 0, 0, {0}}, 14}, SORT_DESCENDING}, 2, 1},  // another property set
    };
    FakeShellWindows shell({});
    for (const Row& row : rows) {
        shell.windows = {{f.tab, kDetails, row.column}};
        ViewerState state = {};
        state.filerWindow = f.frame;
        state.settings.SortMethod = 2;
        state.settings.NoLogicalSort = 1;
        AdoptExplorerSortOrder(state);
        EXPECT_EQ(state.settings.SortMethod, row.method) << row.column.propkey.pid;
        EXPECT_EQ(state.settings.SortDescending, row.descending) << row.column.propkey.pid;
        EXPECT_EQ(state.settings.NoLogicalSort, 0);
    }
    // No matching view: the configured order stays as it was.
    shell.windows = {{f.foreignTab, kDetails, SortBy(14, SORT_DESCENDING)}};
    ViewerState state = {};
    state.filerWindow = f.frame;
    state.settings.SortMethod = 2;
    state.settings.NoLogicalSort = 1;
    AdoptExplorerSortOrder(state);
    EXPECT_EQ(state.settings.SortMethod, 2);
    EXPECT_EQ(state.settings.SortDescending, 0);
    EXPECT_EQ(state.settings.NoLogicalSort, 1);
    EXPECT_EQ(shell.references, 0);
}

TEST(ShellView, TheSystemsShellWindowsFindNoViewInAPlainWindow) {
    Frames f;
    EXPECT_EQ(GetExplorerViewMode(f.frame), -1);
}

// The viewer opened while the file manager is in front, with its focus in the
// list.
class FileManagerLink : public ViewerWindowTest {
protected:
    void TearDown() override {
        ViewerWindowTest::TearDown();
        filer_.reset();
    }
    void Open(const std::string& settings, bool taskbar = false) {
        filer_.reset(new FakeFileManager(taskbar));
        folder_ = MakeFolderWith(L"filer", {L"a.jpg", L"b.jpg", L"c.jpg"});
        Create(settings, L"\"" + Join(folder_, L"b.jpg") + L"\"");
        filer_->viewer = window_;
        ASSERT_EQ(state_->filerFocus, filer_->list);
        ASSERT_EQ(state_->filerWindow, filer_->frame);
        ASSERT_EQ(state_->keySendingOn, 1);
        filer_->ClearRecords();
    }
    void Step(WORD command) {
        Send(WM_COMMAND, command);
        Settle();
    }
    // The keys that reached the list, as (message, key) pairs.
    std::vector<std::pair<UINT, WPARAM>> ListKeys() {
        std::vector<std::pair<UINT, WPARAM>> keys;
        for (const RecordedKey& key : filer_->Keys()) {
            EXPECT_EQ(key.target, filer_->list);
            keys.push_back({key.message, key.key});
        }
        return keys;
    }
    std::unique_ptr<FakeFileManager> filer_;
    std::wstring folder_;
};

typedef std::vector<std::pair<UINT, WPARAM>> Keys;

void SetWriteTime(const std::wstring& path, int year) {
    SYSTEMTIME time = {static_cast<WORD>(year), 6, 0, 1, 12, 0, 0, 0};
    FILETIME written;
    SystemTimeToFileTime(&time, &written);
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
}

TEST_F(FileManagerLink, TheFileManagersNewestFirstOrderIsTakenOver) {
    filer_.reset(new FakeFileManager);
    FakeShellWindows shell({{filer_->browser, kDetails, SortBy(14, SORT_DESCENDING)}});
    std::wstring folder = MakeFolderWith(L"newest", {L"a.jpg", L"b.jpg", L"c.jpg"});
    SetWriteTime(Join(folder, L"a.jpg"), 2001);
    SetWriteTime(Join(folder, L"b.jpg"), 2003);
    SetWriteTime(Join(folder, L"c.jpg"), 2002);
    Create("[SystemSetting]\r\nExplorer=ON\r\nNoLogicalSort=ON\r\n", L"\"" + Join(folder, L"c.jpg") + L"\"");
    EXPECT_EQ(Names(state_->fileList.paths), (std::vector<std::wstring>{L"b.jpg", L"c.jpg", L"a.jpg"}));
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_EQ(state_->settings.SortMethod, 6);
    EXPECT_EQ(state_->settings.SortDescending, 1);
    EXPECT_EQ(state_->settings.NoLogicalSort, 0);
    EXPECT_EQ(shell.references, 0);
}

TEST_F(FileManagerLink, TheArrowKeysFollowTheViewMode) {
    FakeShellWindows shell({});
    Open("[SystemSetting]\r\nExplorer=ON\r\nActiveFiler=OFF\r\nFilerNext=CTRL+N\r\n");
    shell.windows = {{filer_->browser, kDetails, kByName}};
    Step(IDM_NEXT);
    Step(IDM_PREV);
    EXPECT_EQ(ListKeys(), (Keys{{WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_DOWN}, {WM_KEYDOWN, VK_UP}, {WM_KEYUP, VK_UP}}));
    filer_->ClearRecords();
    shell.windows = {{filer_->browser, kIcons, kByName}};
    Step(IDM_NEXT);
    Step(IDM_PREV);
    EXPECT_EQ(ListKeys(),
              (Keys{{WM_KEYDOWN, VK_RIGHT}, {WM_KEYUP, VK_RIGHT}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}}));
    // Without a view of the file manager the configured keys go.
    filer_->ClearRecords();
    shell.windows = {};
    Step(IDM_NEXT);
    EXPECT_EQ(ListKeys(), (Keys{{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'N'}, {WM_KEYUP, 'N'}, {WM_KEYUP, VK_CONTROL}}));
    EXPECT_EQ(shell.references, 0);
}

TEST_F(FileManagerLink, ConfiguredCombinationsArriveInOrderForStepsAndTheSlideShow) {
    Open("[SystemSetting]\r\nFilerNext=N+CTRL\r\nFilerPrev=SHIFT+P\r\n");
    Step(IDM_NEXT);
    EXPECT_EQ(ListKeys(), (Keys{{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'N'}, {WM_KEYUP, 'N'}, {WM_KEYUP, VK_CONTROL}}));
    // A step refused at the end of the list sends nothing.
    filer_->ClearRecords();
    Step(IDM_NEXT);
    EXPECT_TRUE(filer_->Keys().empty());
    Step(IDM_PREV);
    EXPECT_EQ(ListKeys(), (Keys{{WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'P'}, {WM_KEYUP, 'P'}, {WM_KEYUP, VK_SHIFT}}));
    filer_->ClearRecords();
    // The slide show steps by NEXT, and so mirrors each step.
    Step(IDM_SLIDE_SHOW);
    Send(WM_TIMER, kSlideShowTimer);
    EXPECT_EQ(state_->currentIndex, 2);
    EXPECT_EQ(ListKeys().size(), 4u);
}

TEST_F(FileManagerLink, ActiveFilerLendsTheFocusForTheKeysAndTakesItBack) {
    // Under Wine an owned tooltip keeps its owner from turning top-most.
    Open("[SystemSetting]\r\nShowToolTip=0\r\n");
    // Behind another window (a slide show watched from aside) the keys go,
    // but neither the focus nor the viewer moves.
    SetForegroundWindow(filer_->frame);
    Settle();
    filer_->ClearRecords();
    Step(IDM_NEXT);
    ASSERT_EQ(filer_->Keys().size(), 2u);
    EXPECT_FALSE(filer_->Keys()[0].viewerTopmost);
    EXPECT_TRUE(filer_->FocusGained().empty());
    EXPECT_EQ(GetForegroundWindow(), filer_->frame);

    SetForegroundWindow(window_);
    SetFocus(window_);
    filer_->ClearRecords();
    Step(IDM_PREV);
    std::vector<RecordedKey> keys = filer_->Keys();
    ASSERT_EQ(keys.size(), 2u);
    for (const RecordedKey& key : keys) {
        EXPECT_TRUE(key.targetHadFocus);
        EXPECT_TRUE(key.viewerTopmost);
    }
    // The focus comes to the list, by way of its frame when that is activated.
    ASSERT_FALSE(filer_->FocusGained().empty());
    EXPECT_EQ(filer_->FocusGained().back(), filer_->list);
    EXPECT_EQ(GetFocus(), window_);
    EXPECT_FALSE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(FileManagerLink, FullScreenHidesTheTaskbarWhileTheFocusIsAway) {
    Open("[ViewSetting]\r\nWindowMode=OFF\r\n", true);
    if (FindWindowW(L"Shell_TrayWnd", nullptr) != filer_->taskbar) GTEST_SKIP() << "the system has a taskbar";
    SetForegroundWindow(window_);
    SetFocus(window_);
    Step(IDM_NEXT);
    std::vector<RecordedKey> keys = filer_->Keys();
    ASSERT_EQ(keys.size(), 2u);
    for (const RecordedKey& key : keys) EXPECT_FALSE(key.taskbarVisible);
    EXPECT_TRUE(IsWindowVisible(filer_->taskbar));
    EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetFocus(), window_);
}

TEST_F(FileManagerLink, WithoutActiveFilerTheFocusStaysInTheViewer) {
    Open("[SystemSetting]\r\nActiveFiler=OFF\r\n");
    SetForegroundWindow(window_);
    SetFocus(window_);
    filer_->ClearRecords();
    Step(IDM_NEXT);
    EXPECT_EQ(ListKeys(), (Keys{{WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_DOWN}}));
    EXPECT_FALSE(filer_->Keys()[0].targetHadFocus);
    EXPECT_TRUE(filer_->FocusGained().empty());
    EXPECT_EQ(GetFocus(), window_);
}

TEST_F(FileManagerLink, AFileOpenedThroughTheDialogSendsNothing) {
    Open("");
    std::thread answer(AnswerOpenDialog, GetCurrentThreadId(), Join(folder_, L"a.jpg"), false);
    Send(WM_APP);
    answer.join();
    Settle();
    ASSERT_EQ(state_->currentIndex, 0);
    filer_->ClearRecords();
    Step(IDM_NEXT);
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_TRUE(filer_->Keys().empty());
}

TEST_F(FileManagerLink, AHungFileManagerDoesNotHoldTheViewer) {
    Open("[SystemSetting]\r\nActiveFiler=OFF\r\n");
    filer_->Hang(4000);
    Step(IDM_NEXT);
    // The step is done, and the picture shown, while the file manager still sleeps.
    EXPECT_TRUE(filer_->Hanging());
    EXPECT_EQ(state_->currentIndex, 2);
    EXPECT_EQ(Title(), L"(3/3)c.jpg");
}

TEST_F(FileManagerLink, AFileManagerHungForSecondsIsNotAskedAndGetsNoFocus) {
    FakeShellWindows shell({});
    Open("[SystemSetting]\r\nExplorer=ON\r\n");
    shell.windows = {{filer_->browser, kDetails, kByName}};
    SetForegroundWindow(window_);
    SetFocus(window_);
    const int collections = shell.collectionsMade;
    filer_->Hang(9000);
    // The system takes a window for hung after five seconds without messages.
    for (int i = 0; i < 80 && !IsHungAppWindow(filer_->frame); ++i) Sleep(100);
    ASSERT_TRUE(IsHungAppWindow(filer_->frame));
    Step(IDM_NEXT);
    EXPECT_TRUE(filer_->Hanging());
    EXPECT_EQ(Title(), L"(3/3)c.jpg");
    EXPECT_EQ(shell.collectionsMade, collections);
    EXPECT_EQ(GetFocus(), window_);
}

// True when this thread's input was tied to `thread`'s; unties it.
bool Untie(DWORD thread) { return AttachThreadInput(GetCurrentThreadId(), thread, FALSE) != FALSE; }

TEST_F(FileManagerLink, AFileManagerLetGoIsUntied) {
    Open("");
    const DWORD first = GetWindowThreadProcessId(filer_->frame, nullptr);
    // The file manager in front at a later open takes the first one's place.
    FakeFileManager second;
    const DWORD secondThread = GetWindowThreadProcessId(second.frame, nullptr);
    CaptureFileManager(*state_, OpenTrigger::Handover);
    ASSERT_EQ(state_->filerFocus, second.list);
    EXPECT_FALSE(Untie(first));
    EXPECT_TRUE(Untie(secondThread));
    AttachThreadInput(GetCurrentThreadId(), secondThread, TRUE);
    // An open through the dialog forgets it.
    CaptureFileManager(*state_, OpenTrigger::Dialog);
    EXPECT_EQ(state_->filerFocus, nullptr);
    EXPECT_FALSE(Untie(secondThread));
}

// Started with nothing but the desktop in front (from a desktop shortcut, a
// script, or the run box once it is gone), the viewer has no file manager to
// follow it: the desktop window takes no keys, and lending it the focus and
// topmost state at every step costs a round trip to the window system each.
class NoFileManager : public ViewerWindowTest {};

TEST_F(NoFileManager, TheBareDesktopInFrontIsNotTakenForOne) {
    HWND front = GetForegroundWindow();
    if (front && front != GetDesktopWindow()) GTEST_SKIP() << "another window is in front";
    const std::wstring folder = MakeFolderWith(L"no-filer", {L"a.jpg", L"b.jpg"});
    Create("", L"\"" + Join(folder, L"a.jpg") + L"\"");
    EXPECT_EQ(state_->filerFocus, nullptr);
    EXPECT_EQ(state_->filerWindow, nullptr);
    EXPECT_FALSE(Untie(GetWindowThreadProcessId(GetDesktopWindow(), nullptr)));
}

// Key messages that reach any window of this thread (the viewer's own).
std::vector<UINT>* g_viewerKeys = nullptr;
LRESULT CALLBACK RecordViewerKeys(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && g_viewerKeys && (sent->message == WM_KEYDOWN || sent->message == WM_KEYUP))
        g_viewerKeys->push_back(sent->message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(FileManagerLink, AClosedCaptureReceivesNothingAndNothingElseDoes) {
    Open("");
    std::vector<UINT> viewerKeys;
    g_viewerKeys = &viewerKeys;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordViewerKeys, nullptr, GetCurrentThreadId());
    filer_->CloseList();
    Step(IDM_NEXT);
    EXPECT_EQ(state_->currentIndex, 2);
    EXPECT_TRUE(filer_->Keys().empty());
    // Its file manager is let go.
    EXPECT_FALSE(Untie(GetWindowThreadProcessId(filer_->frame, nullptr)));
    // A handle that now names a window of another owner is no capture either.
    state_->filerFocus = window_;
    Step(IDM_PREV);
    UnhookWindowsHookEx(hook);
    g_viewerKeys = nullptr;
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_TRUE(filer_->Keys().empty());
    EXPECT_TRUE(viewerKeys.empty());
}

}  // namespace

namespace {

TEST(FileManagerLinkProcess, TheProgramMirrorsItsStepsToTheFileManagerThatStartedIt) {
    FakeFileManager filer;
    std::wstring folder = MakeFolderWith(L"filer-process", {L"a.jpg", L"b.jpg", L"c.jpg"});
    std::wstring exe = InstallOxel(MakeScratchFolder(L"filer-program"), "");
    ChildProcess child;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\" \"" + Join(folder, L"b.jpg") + L"\"", child));
    HWND window = WaitForWindowOf(child.id, L"Oxel", 30000);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(WaitForTitle(window, L"(2/3)b.jpg"), L"(2/3)b.jpg");
    PostMessageW(window, WM_COMMAND, IDM_NEXT, 0);
    for (int i = 0; i < 100 && filer.Keys().size() < 2; ++i) PumpMessages(50);
    std::vector<RecordedKey> keys = filer.Keys();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(keys[1].message, static_cast<UINT>(WM_KEYUP));
    for (const RecordedKey& key : keys) {
        EXPECT_EQ(key.key, static_cast<WPARAM>(VK_DOWN));
        EXPECT_EQ(key.target, filer.list);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child, 30000), 0u);
}

}  // namespace
