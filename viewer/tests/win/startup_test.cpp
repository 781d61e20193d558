// Start-up of the real program in processes of its own: the missing settings
// file, and the hand-over of a command line to a running instance.
#include "viewer/app/instance.h"
#include "viewer/app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

constexpr DWORD kPatience = 20000;

// The text of a message box window (its static text control).
std::wstring MessageBoxText(HWND box) {
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    return text;
}

TEST(Startup, MissingSettingsFileShowsTheTwoLanguageError) {
    std::wstring folder = MakeScratchFolder(L"noini");
    std::wstring exe = InstallOxel(folder, nullptr);
    ChildProcess child;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\"", child));
    HWND box = WaitForWindowOf(child.id, L"#32770", kPatience);
    ASSERT_NE(box, nullptr);
    // The box window exists a moment before its texts are set.
    wchar_t caption[64] = {};
    for (int i = 0; i < 100 && (!GetWindowTextW(box, caption, 64) || MessageBoxText(box).empty()); ++i)
        PumpMessages(50);
    EXPECT_STREQ(caption, L"Oxel");
    EXPECT_EQ(MessageBoxText(box), L"iniファイルが開けません。\nCan't open ini file.");
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(WaitForWindowOf(child.id, L"Oxel", 0), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(child, kPatience), 0u);
}

// A window of the test that poses as a running instance and records what it gets.
struct Receiver {
    HWND window = nullptr;
    std::string text;
    DWORD cbData = 0;
    ULONG_PTR dwData = 99;
    WPARAM sender = 0;
    int copies = 0;
    int opensAfterCopy = 0;
};
Receiver* g_receiver = nullptr;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_receiver && message == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        g_receiver->cbData = data->cbData;
        g_receiver->dwData = data->dwData;
        g_receiver->sender = wParam;
        g_receiver->text.assign(static_cast<const char*>(data->lpData), data->cbData);
        ++g_receiver->copies;
        return TRUE;
    }
    if (g_receiver && message == kMsgOpenHandover) {
        if (g_receiver->copies > 0) ++g_receiver->opensAfterCopy;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OxelTestReceiver";
        RegisterClassW(&wc);
        receiver_.window = CreateWindowExW(0, L"OxelTestReceiver", L"receiver", WS_OVERLAPPED, 0, 0, 10, 10,
                                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetPropW(receiver_.window, kInstanceProperty, reinterpret_cast<HANDLE>(1));
        g_receiver = &receiver_;
    }
    void TearDown() override {
        RemovePropW(receiver_.window, kInstanceProperty);
        DestroyWindow(receiver_.window);
        g_receiver = nullptr;
    }

    // Runs Oxel with `arguments` and the given "IsSingle"; returns its exit code
    // (STILL_ACTIVE when it opened a window of its own, which is then closed).
    DWORD RunSecondInstance(const char* isSingle, const std::wstring& arguments) {
        std::wstring folder = MakeScratchFolder(L"single");
        std::string ini = std::string("[SystemSetting]\r\nIsSingle=") + isSingle + "\r\n";
        std::wstring exe = InstallOxel(folder, ini.c_str());
        ChildProcess child;
        if (!StartProcess(L"\"" + exe + L"\"" + arguments, child)) return 1000;
        DWORD code = WaitForExit(child, 4000);
        if (code != STILL_ACTIVE) return code;
        // A window of its own opens the path it was given; a path that does not
        // exist brings up the not-found box, which is answered before closing.
        HWND own = WaitForWindowOf(child.id, L"Oxel", kPatience);
        EXPECT_NE(own, nullptr);
        for (int i = 0; i < 100 && WaitForExit(child, 0) == STILL_ACTIVE; ++i) {
            HWND box = WaitForWindowOf(child.id, L"#32770", 0);
            if (box) {
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            } else if (own) {
                PostMessageW(own, WM_CLOSE, 0, 0);
            }
            WaitForExit(child, 200);
        }
        EXPECT_EQ(WaitForExit(child, kPatience), 0u);
        return STILL_ACTIVE;
    }

    Receiver receiver_;
};

TEST_F(HandOver, SendsTheCommandLineExactlyThenTheOpenMessage) {
    EXPECT_EQ(RunSecondInstance("ON", L" \"C:\\some folder\\b.jpg\""), 0u);
    ASSERT_EQ(receiver_.copies, 1);
    EXPECT_EQ(receiver_.dwData, 0u);
    EXPECT_EQ(receiver_.sender, reinterpret_cast<WPARAM>(receiver_.window));
    std::string expected = "\"C:\\some folder\\b.jpg\"";
    EXPECT_EQ(receiver_.cbData, expected.size() + 1);
    EXPECT_EQ(receiver_.text, expected + '\0');
    EXPECT_EQ(receiver_.opensAfterCopy, 1);
}

TEST_F(HandOver, NoArgumentHandsOverAnEmptyText) {
    EXPECT_EQ(RunSecondInstance("1", L""), 0u);
    EXPECT_EQ(receiver_.cbData, 1u);
    EXPECT_EQ(receiver_.text, std::string(1, '\0'));
}

TEST_F(HandOver, OnTrueAndOneInAnyCaseTurnItOn) {
    for (const char* on : {"ON", "oN", "True", "TRUE", "1"}) {
        receiver_.copies = 0;
        EXPECT_EQ(RunSecondInstance(on, L" x.png"), 0u) << on;
        EXPECT_EQ(receiver_.copies, 1) << on;
    }
}

TEST_F(HandOver, OtherValuesOpenAWindowOfTheirOwn) {
    for (const char* off : {"yes", "OFF", ""}) {
        receiver_.copies = 0;
        EXPECT_EQ(RunSecondInstance(off, L" x.png"), static_cast<DWORD>(STILL_ACTIVE)) << off;
        EXPECT_EQ(receiver_.copies, 0) << off;
    }
}

TEST_F(HandOver, ACommandLineTooLongForTheReceiverIsNotCut) {
    std::wstring longPath = L" \"C:\\" + std::wstring(300, L'a') + L".png\"";
    EXPECT_EQ(RunSecondInstance("ON", longPath), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(receiver_.copies, 0);
}

// Two real instances of the program.
TEST(TwoInstances, SecondHandsOverAndEndsWhenSingle) {
    std::wstring folder = MakeScratchFolder(L"pair");
    std::wstring exe = InstallOxel(folder, "[SystemSetting]\r\nIsSingle=on\r\n");
    ChildProcess first;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\"", first));
    HWND firstWindow = WaitForWindowOf(first.id, L"Oxel", kPatience);
    ASSERT_NE(firstWindow, nullptr);
    for (int i = 0; i < 100 && GetPropW(firstWindow, kInstanceProperty) != reinterpret_cast<HANDLE>(1); ++i)
        PumpMessages(50);
    // The file must exist: the first instance opens it before the second ends,
    // and a missing one would hold both in its not-found message.
    std::wstring picture = folder + L"\\a b.png";
    WriteWholeFile(picture, "not really a picture");
    ChildProcess second;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\" \"" + picture + L"\"", second));
    EXPECT_EQ(WaitForExit(second, kPatience), 0u);
    EXPECT_EQ(WaitForExit(first, 0), static_cast<DWORD>(STILL_ACTIVE));
    PostMessageW(firstWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(first, kPatience), 0u);
}

TEST(TwoInstances, RunSideBySideWhenNotSingle) {
    std::wstring folder = MakeScratchFolder(L"pair");
    std::wstring exe = InstallOxel(folder, "[SystemSetting]\r\nIsSingle=OFF\r\n");
    ChildProcess first, second;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\"", first));
    HWND firstWindow = WaitForWindowOf(first.id, L"Oxel", kPatience);
    ASSERT_NE(firstWindow, nullptr);
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\"", second));
    HWND secondWindow = WaitForWindowOf(second.id, L"Oxel", kPatience);
    ASSERT_NE(secondWindow, nullptr);
    EXPECT_NE(firstWindow, secondWindow);
    PostMessageW(firstWindow, WM_CLOSE, 0, 0);
    PostMessageW(secondWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(first, kPatience), 0u);
    EXPECT_EQ(WaitForExit(second, kPatience), 0u);
}

// The message loop offers every message to the accelerator table first: a key
// posted to the window's queue arrives as the command bound to it.
TEST(MessageLoop, BoundKeyBecomesItsCommand) {
    std::wstring folder = MakeScratchFolder(L"keys");
    std::wstring exe = InstallOxel(folder, "[KeySetting]\r\nExit=CTRL+Q\r\n");
    ChildProcess child;
    ASSERT_TRUE(StartProcess(L"\"" + exe + L"\"", child));
    HWND window = WaitForWindowOf(child.id, L"Oxel", kPatience);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_KEYDOWN, 'Q', 1);  // without Control: no binding
    EXPECT_EQ(WaitForExit(child, 1500), static_cast<DWORD>(STILL_ACTIVE));
    // Control held: the accelerator reads the key state of the window's thread.
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] |= 0x80;
    SetKeyboardState(keys);
    PostMessageW(window, WM_KEYDOWN, 'Q', 1);
    DWORD code = WaitForExit(child, kPatience);
    keys[VK_CONTROL] &= 0x7F;
    SetKeyboardState(keys);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    EXPECT_EQ(code, 0u);
}

}  // namespace
