// What a message loop inside a running command may do: boxes and dialogs
// dispatch the slideshow's timer, animation ticks and a second instance's
// hand-over to the window, and none of them may change the list or the picture
// under the command. A plug-in's progress callback delivers nothing at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "viewer/app/instance.h"
#include "viewer/app/startup.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/dialogs.h"
#include "viewer/core/message_box.h"
#include "viewer/fileops/print_clipboard.h"
#include "viewer/plugins/plugin_host.h"
#include "viewer_window.h"

namespace {

HWND g_window = nullptr;
// What each box or dialog does while it is open, before it is cancelled.
void (*g_inside)() = nullptr;

void RunInside() {
    if (g_inside) g_inside();
}
int BoxRunningInside(HWND, const wchar_t*, const wchar_t*, UINT) {
    RunInside();
    return IDCANCEL;
}
PIDLIST_ABSOLUTE FolderDialogRunningInside(BROWSEINFOW*) {
    RunInside();
    return nullptr;
}
BOOL SaveDialogRunningInside(OPENFILENAMEW*) {
    RunInside();
    return FALSE;
}
BOOL PrintDialogRunningInside(PRINTDLGW*) {
    RunInside();
    return FALSE;
}

void SlideShowTimerFires() { SendMessageW(g_window, WM_TIMER, kSlideShowTimer, 0); }

std::string Narrow(const std::wstring& wide) {
    char text[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::wstring g_handedOver;
void SecondInstanceHandsOver() {
    std::string text = Narrow(g_handedOver);
    COPYDATASTRUCT data = {0, static_cast<DWORD>(text.size() + 1), &text[0]};
    SendMessageW(g_window, WM_COPYDATA, reinterpret_cast<WPARAM>(g_window), reinterpret_cast<LPARAM>(&data));
    SendMessageW(g_window, kMsgOpenHandover, 0, 0);
}

void AnimationTicksArrive() {
    for (int i = 0; i < 3; ++i) {
        PostMessageW(g_window, WM_COMMAND, IDM_ARC_NEXT, 1);
        PumpMessages(30);
    }
}

class Reentry : public ViewerWindowTest {
protected:
    void SetUp() override {
        ViewerWindowTest::SetUp();
        g_inside = nullptr;
        SetMessageBoxHook(BoxRunningInside);
        SetFolderDialogHook(FolderDialogRunningInside);
        SetSaveDialogHook(SaveDialogRunningInside);
        SetPrintDialogHook(PrintDialogRunningInside);
    }
    void Open(const std::wstring& path, const std::string& settings = "") {
        Create(settings, L"\"" + path + L"\"");
        g_window = window_;
    }
};

// A slideshow left running: each command turns it off before its box or
// dialog, and a timer message dispatched there steps nothing.
TEST_F(Reentry, SlideShowTimerInsideABoxOrDialogStepsNothing) {
    const WORD commands[] = {IDM_SAVE_IMAGE, IDM_PRINT, IDM_DELETE, IDM_MOVE, IDM_COPY};
    const std::wstring folder = FolderOfPictures(L"reentry-slides", {L"a.jpg", L"b.jpg", L"c.jpg"});
    Open(Join(folder, L"a.jpg"));
    g_inside = SlideShowTimerFires;
    for (WORD command : commands) {
        Send(WM_COMMAND, IDM_SLIDE_SHOW);
        ASSERT_EQ(state_->settings.slideShowOn, 1);
        commands_.clear();
        Send(WM_COMMAND, command);
        Settle();
        EXPECT_EQ(state_->currentIndex, 0) << command;
        EXPECT_EQ(commands_, std::vector<WORD>{command}) << command;
        EXPECT_EQ(state_->settings.slideShowOn, 0) << command;
    }
}

// The hand-over arrives while the delete box asks about a.jpg: a.jpg goes,
// the list keeps b.jpg, and then the handed-over file is opened.
TEST_F(Reentry, HandoverInsideTheDeleteBoxOpensAfterTheDelete) {
    const std::wstring here = FolderOfPictures(L"reentry-delete", {L"a.jpg", L"b.jpg"});
    const std::wstring there = FolderOfPictures(L"reentry-other", {L"x.jpg", L"y.jpg"});
    Open(Join(here, L"a.jpg"));
    g_handedOver = Join(there, L"y.jpg");
    g_inside = SecondInstanceHandsOver;
    SetMessageBoxHook([](HWND, const wchar_t*, const wchar_t*, UINT) {
        RunInside();
        g_inside = nullptr;
        return IDOK;
    });
    Send(WM_COMMAND, IDM_DELETE);
    EXPECT_EQ(GetFileAttributesW(Join(here, L"a.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(state_->lastListIndex, 0);
    EXPECT_EQ(state_->fileList.paths[0], Join(here, L"b.jpg"));
    Settle();
    ASSERT_EQ(state_->lastListIndex, 1);
    EXPECT_EQ(state_->fileList.paths[state_->currentIndex], Join(there, L"y.jpg"));
    EXPECT_NE(GetFileAttributesW(Join(there, L"y.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Whatever changed the list under the box, the deleted file is taken out only
// when the list still holds it; another file's entry never goes.
TEST_F(Reentry, DeleteRemovesNoEntryWhenTheListNoLongerHoldsTheFile) {
    const std::wstring here = FolderOfPictures(L"reentry-lost", {L"a.jpg", L"b.jpg"});
    const std::wstring there = FolderOfPictures(L"reentry-lost-other", {L"x.jpg"});
    Open(Join(here, L"a.jpg"));
    static std::wstring other;
    static ViewerState* record;
    other = Join(there, L"x.jpg");
    record = state_;
    SetMessageBoxHook([](HWND, const wchar_t*, const wchar_t*, UINT) {
        record->fileList.paths = {other};
        record->fileList.facts.clear();
        record->currentIndex = 0;
        record->lastListIndex = 0;
        return IDOK;
    });
    Send(WM_COMMAND, IDM_DELETE);
    ASSERT_EQ(state_->lastListIndex, 0);
    EXPECT_EQ(state_->fileList.paths[0], other);
    EXPECT_NE(state_->picture.bitmap, nullptr);
}

// Ticks that the copy's folder dialog dispatches wait: the frame stays while
// the dialog is open, and the animation goes on after it.
TEST_F(Reentry, AnimationTicksInsideADialogWaitForTheCommand) {
    const std::wstring folder = MakeFolderWith(L"reentry-anime", {});
    const std::wstring gif = Join(folder, L"turn.gif");
    ASSERT_TRUE(CopyFileW((PathFromEnvironment("OXEL_SOURCE_DIR") + L"\\samples\\04-turn.gif").c_str(), gif.c_str(), FALSE));
    Open(gif, "[SystemSetting]\r\nAutoAnime=ON\r\n");
    ASSERT_EQ(state_->animationRunning, 1);
    static int32_t frameInBox;
    static ViewerState* record;
    record = state_;
    SetFolderDialogHook([](BROWSEINFOW*) -> PIDLIST_ABSOLUTE {
        frameInBox = record->decodeState.subIndex;
        AnimationTicksArrive();
        EXPECT_EQ(record->decodeState.subIndex, frameInBox);
        return nullptr;
    });
    Send(WM_COMMAND, IDM_COPY);
    EXPECT_EQ(state_->decodeState.subIndex, frameInBox);
    EXPECT_EQ(state_->animationRunning, 1);
    PumpMessages(500);
    EXPECT_NE(state_->decodeState.subIndex, frameInBox);
}

int g_printStarts = 0;
int WINAPI PageCaps(HDC, int) { return 100; }
int WINAPI CountStart(HDC, const DOCINFOW*) { return ++g_printStarts; }
int WINAPI PageCall(HDC) { return 1; }
int WINAPI Draw(HDC, int, int, int, int, int, int, int, int, const void*, const BITMAPINFO*, UINT, DWORD) { return 1; }
const PrinterCalls kCountingPrinter = {PageCaps, CountStart, PageCall, Draw, PageCall, PageCall};

// The print dialog's loop ran a step: the page would show another picture
// than the one the print began on, so nothing is printed.
TEST_F(Reentry, PrintOfAPictureReplacedUnderTheDialogPrintsNothing) {
    g_printStarts = 0;
    SetPrinterCalls(&kCountingPrinter);
    const std::wstring folder = FolderOfPictures(L"reentry-print", {L"a.jpg", L"b.jpg"});
    Open(Join(folder, L"a.jpg"));
    SetPrintDialogHook([](PRINTDLGW* dialog) -> BOOL {
        SendMessageW(g_window, WM_COMMAND, IDM_NEXT, 0);
        dialog->hDC = CreateCompatibleDC(nullptr);
        return TRUE;
    });
    Send(WM_COMMAND, IDM_PRINT);
    SetPrinterCalls(nullptr);
    EXPECT_EQ(state_->currentIndex, 1);
    EXPECT_EQ(g_printStarts, 0);
}

int g_probeDelivered = 0;
LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) ++g_probeDelivered;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message sent from another thread while a plug-in reports progress stays
// waiting: it would run a hand-over or a close inside the decode.
TEST(PluginProgressReentry, DeliversNoMessageSentByAnotherThread) {
    g_probeDelivered = 0;
    WNDCLASSW type = {};
    type.lpfnWndProc = ProbeProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"OxelProgressProbe";
    RegisterClassW(&type);
    HWND probe = CreateWindowW(L"OxelProgressProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, nullptr);
    ASSERT_NE(probe, nullptr);
    std::thread sender([probe] { SendMessageW(probe, WM_USER, 0, 0); });
    Sleep(200);  // the sender waits inside SendMessageW by now
    for (int i = 0; i < 10; ++i) PluginProgress(i, 10, 0);
    EXPECT_EQ(g_probeDelivered, 0);
    PumpMessages(100);
    sender.join();
    EXPECT_EQ(g_probeDelivered, 1);
    DestroyWindow(probe);
}

}  // namespace
