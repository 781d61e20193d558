// Plug-ins in host processes ("IsolatePlugins" on): they answer as they do in
// the viewer's own process, pictures and archive members included; a fault, a
// host that ends itself or is ended by a second Esc disables only that
// plug-in; a dialog gets the viewer's window as its owner; an Esc reaches the
// plug-in through its progress callback; and no host outlives the viewer.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "decode_test_support.h"
#include "viewer/plugins/plugin_rules.h"

namespace {

const char kIsolate[] = "IsolatePlugins=ON\r\n";

std::wstring Picture(const wchar_t* name) {
    return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\" + name;
}

// Running host processes whose parent is `parent` (0: any).
int HostsOf(DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (wcsstr(entry.szExeFile, L"OxelPluginHost") && (parent == 0 || entry.th32ParentProcessID == parent)) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

// A TPIC file for the test image plug-in: `width` x `height` in one colour.
std::wstring WriteTpic(const std::wstring& folder, int width, int height, uint32_t rgb) {
    const char bytes[] = {'T', 'P', 'I', 'C', static_cast<char>(width), static_cast<char>(width >> 8),
                          static_cast<char>(height), static_cast<char>(height >> 8), static_cast<char>(rgb),
                          static_cast<char>(rgb >> 8), static_cast<char>(rgb >> 16)};
    const std::wstring path = folder + L"\\" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L".tpic";
    return WriteWholeFile(path, std::string(bytes, sizeof bytes)) ? path : L"";
}

TEST_F(PluginTest, HostedPluginsShowPicturesAndArchiveMembersAsInProcess) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    Install(TestPlugin(L"oxeltest_archive.spi"), L"oxeltest_archive.spi");
    Load(kIsolate);
    ASSERT_EQ(plugins_.size(), 2u);
    EXPECT_EQ(plugins_[0].module, nullptr);
    EXPECT_EQ(HostsOf(GetCurrentProcessId()), 0) << "no host before a plug-in is called";
    Decoded png;
    Decode(Picture(L"alpha.png"), png);
    ASSERT_NE(png.bitmap, nullptr);
    EXPECT_EQ(png.picture.width, 7);
    EXPECT_EQ(png.picture.bitsPerPixel, 24);
    EXPECT_EQ(PixelAt(png.bitmap, 6, 4), 0xFF00FFu);
    EXPECT_EQ(HostsOf(GetCurrentProcessId()), 1);

    // Pictures that grow and shrink in turn, through the host that keeps one
    // section for its answers and grows it when one needs more.
    struct Size {
        int width, height;
        uint32_t rgb;
    } sizes[] = {
        {3, 2, 0x102030}, {1500, 1000, 0x00C000}, {640, 480, 0x0000FF}, {2000, 1400, 0xFF8000}, {1, 1, 0x808080},
    };
    for (const Size& size : sizes) {
        Decoded d;
        Decode(WriteTpic(folder_, size.width, size.height, size.rgb), d);
        ASSERT_NE(d.bitmap, nullptr) << size.width;
        EXPECT_EQ(d.picture.width, size.width);
        EXPECT_EQ(d.picture.height, size.height);
        EXPECT_EQ(PixelAt(d.bitmap, 0, 0), size.rgb) << size.width;
        EXPECT_EQ(PixelAt(d.bitmap, size.width - 1, size.height - 1), size.rgb) << size.width;
    }
    EXPECT_EQ(HostsOf(GetCurrentProcessId()), 1);

    // Members in memory, the first through the same host, then written by the
    // plug-in into a folder.
    const std::wstring archive = TestArchive(L"pictures.tarc");
    for (const char* noMemory : {"", "1"}) {
        SetEnvironmentVariableA("OXEL_TEST_NO_MEMORY", noMemory[0] ? noMemory : nullptr);
        if (noMemory[0]) Load(kIsolate);  // a new host, which inherits the setting
        Decoded member;
        Decode(archive, member);
        ASSERT_NE(member.bitmap, nullptr) << noMemory;
        EXPECT_EQ(member.state.subIndex, 1);
        EXPECT_EQ(member.picture.lastIndex, 2);
        EXPECT_EQ(member.picture.width, 7) << "a PNG member, shown by the image plug-in";
        EXPECT_EQ(FilesInTemporaryFolder(), 0);
    }

    // The project's own plug-ins: a font's specimen, a collection's fonts.
    Load(kIsolate, PathFromEnvironment("OXEL_OUT_DIR"));
    ASSERT_EQ(plugins_.size(), 2u);
    Decoded ttf;
    Decode(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", ttf);
    ASSERT_NE(ttf.bitmap, nullptr);
    EXPECT_GT(ttf.picture.width, 100);
    Decoded ttc;
    Decode(L"Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc", ttc, 1, 1);
    ASSERT_NE(ttc.bitmap, nullptr);
    EXPECT_EQ(ttc.state.subIndex, 1);
    EXPECT_EQ(ttc.picture.lastIndex, 1);

    FreePlugins(plugins_);
    EXPECT_EQ(HostsOf(GetCurrentProcessId()), 0);
}

// One row per kind: whether the plug-in keeps answering. A host that ends
// is started again for the plug-ins that did nothing wrong (glypho, which
// raises no test faults).
TEST_F(PluginTest, AHostedPluginThatFaultsOrEndsItsHostIsDisabledAndTheOthersGoOn) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"a_image.spi");
    Install(PathFromEnvironment("OXEL_OUT_DIR") + L"\\glypho.spi", L"glypho.spi");
    struct Kind {
        const char* fault;
        bool answers;
    } kinds[] = {
        {"IsSupported:access", false}, {"GetPicture:divide", false}, {"GetPicture:caught", true},
        {"IsSupported:exit", false},   {"GetPictureInfo:exit", false}, {"GetPicture:exit", false},
        {"GetPicture:stack", false},
        // A fault the plug-in handles itself (the guard's last-resort rule).
        {"GetPicture:probe", true}, {"GetPicture:handled", true}, {"GetPicture:declined", false},
    };
    for (const Kind& kind : kinds) {
        SetEnvironmentVariableA("OXEL_TEST_FAULT", kind.fault);
        Load(kIsolate);
        Decoded d;
        Decode(Picture(L"alpha.png"), d);
        ASSERT_NE(d.bitmap, nullptr) << kind.fault << ": the next decoder answers";
        EXPECT_EQ(d.picture.width == 7, kind.answers) << kind.fault;
        EXPECT_EQ(plugins_[0].disabled == 0, kind.answers) << kind.fault;
        Decoded font;
        Decode(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", font);
        EXPECT_GT(font.picture.width, 100) << kind.fault << ": the other plug-in";
        EXPECT_FALSE(plugins_[1].disabled) << kind.fault;
    }
}

TEST_F(PluginTest, AHostedDialogIsOwnedByTheViewersWindow) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    HWND owner = CreateWindowExW(0, L"STATIC", L"viewer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    for (bool isolate : {false, true}) {
        Load(isolate ? kIsolate : "");
        SetWindowTextW(owner, L"viewer");
        EXPECT_EQ(CallConfigurationDialog(plugins_, 0, owner, 1), 0) << isolate;
        char title[64] = "";
        GetWindowTextA(owner, title, sizeof title);
        unsigned long process = 0;
        ASSERT_EQ(sscanf(title, "owned %lu", &process), 1) << title;
        EXPECT_EQ(process != GetCurrentProcessId(), isolate) << title;
    }
    DestroyWindow(owner);
}

// An Esc pressed while a plug-in works reaches it as a stop from its
// progress callback, in this process and in a host; a second ends a host
// whose plug-in does not listen.
TEST_F(PluginTest, EscStopsAPluginThroughItsProgressCallbackAndASecondEndsItsHost) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
    const DWORD thread = GetCurrentThreadId();
    auto pressEsc = [thread](int times) {
        return std::thread([thread, times] {
            for (int i = 0; i < times; ++i) {
                Sleep(400);
                PostThreadMessageW(thread, WM_KEYDOWN, VK_ESCAPE, 1);
            }
        });
    };
    SetEnvironmentVariableA("OXEL_TEST_FAULT", "GetPicture:slow");
    for (bool isolate : {false, true}) {
        Load(isolate ? kIsolate : "");
        std::thread presser = pressEsc(1);
        Decoded stopped;
        Decode(Picture(L"alpha.png"), stopped);
        presser.join();
        ASSERT_NE(stopped.bitmap, nullptr);
        EXPECT_EQ(stopped.picture.width, 2) << isolate << ": what it had drawn when stopped";
        EXPECT_FALSE(plugins_[0].disabled);
    }

    SetEnvironmentVariableA("OXEL_TEST_FAULT", "GetPicture:hang");
    Load(kIsolate);
    std::thread presser = pressEsc(2);
    Decoded ended;
    Decode(Picture(L"alpha.png"), ended);
    presser.join();
    ASSERT_NE(ended.bitmap, nullptr);
    EXPECT_NE(ended.picture.width, 7) << "the next decoder's picture";
    EXPECT_TRUE(plugins_[0].disabled);
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
}

// The released program: a host runs while it shows a plug-in's picture and
// is gone once the viewer has closed.
TEST(PluginHostProcess, NoHostOutlivesTheViewer) {
    const std::wstring folder = MakeScratchFolder(L"isolated-program");
    const std::wstring exe = InstallOxel(folder, "[SystemSetting]\r\nIsolatePlugins=ON\r\nShowToolTip=0\r\n");
    const std::wstring out = PathFromEnvironment("OXEL_OUT_DIR");
    ASSERT_TRUE(CopyFileW((out + L"\\OxelPluginHost64.exe").c_str(), (folder + L"\\OxelPluginHost64.exe").c_str(),
                          FALSE));
    ASSERT_TRUE(CopyFileW(TestPlugin(L"oxeltest_image.spi").c_str(), (folder + L"\\oxeltest_image.spi").c_str(),
                          FALSE));
    for (bool close : {true, false}) {
        ChildProcess child;
        ASSERT_TRUE(StartProcess(L"\"" + exe + L"\" \"" + Picture(L"alpha.png") + L"\"", child));
        HWND window = WaitForWindowOf(child.id, L"Oxel", 30000);
        ASSERT_NE(window, nullptr);
        for (int wait = 0; wait < 100 && HostsOf(child.id) == 0; ++wait) Sleep(100);
        EXPECT_EQ(HostsOf(child.id), 1);
        if (close) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_EQ(WaitForExit(child, 30000), 0u);
        } else {
            // A viewer that ends without closing: its job ends the host.
            TerminateProcess(child.process, 1);
            WaitForSingleObject(child.process, 10000);
        }
        int left = 1;
        for (int wait = 0; wait < 50 && (left = HostsOf(child.id)) > 0; ++wait) Sleep(100);
        EXPECT_EQ(left, 0) << (close ? "closed" : "ended");
    }
}

}  // namespace
