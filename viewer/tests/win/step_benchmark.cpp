// Steps NEXT through a folder of photographs of 4000 x 3000 in a real main
// window and prints, beside a bare WIC decode of the same files: the first,
// immediate step after the open; a held key (a NEXT every 30 ms for 2 s), the
// time from the last press to its painted picture and the process's peak
// memory; and steps at one a second, the time from the command to the end of
// its paint, with the parts of a step. OXEL_STEPS sets the steps at one a
// second (50), OXEL_READAHEAD=OFF turns reading ahead off. No pass or fail.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/app/instance.h"
#include "viewer/app/main_window.h"
#include "viewer/core/command_ids.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"

namespace {

HWND OpenWindow(const std::wstring& path) {
    const std::wstring commandLine = L"\"bench.exe\" \"" + path + L"\"";
    SetCreationCommandLine(commandLine.c_str());
    HWND window = CreateMainWindow(GetModuleHandleW(nullptr));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

// Posts NEXT to the window every 30 ms for 2 s, as a held key would, and
// records when the last one went.
struct HeldKey {
    HWND window;
    int presses = 0;
    LARGE_INTEGER last = {};
};

DWORD WINAPI PressNext(void* data) {
    HeldKey& key = *static_cast<HeldKey*>(data);
    const LARGE_INTEGER start = Now();
    while (Milliseconds(start, Now()) < 2000) {
        PostMessageW(key.window, WM_COMMAND, IDM_NEXT, 0);
        key.last = Now();
        ++key.presses;
        Sleep(30);
    }
    return 0;
}

// The larger of the peak private bytes and the peak working set: Wine counts
// DIB sections in the second only.
size_t PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return std::max(counters.PeakPagefileUsage, counters.PeakWorkingSetSize) / 1048576;
}

}  // namespace

int main() {
    const char* stepsText = getenv("OXEL_STEPS");
    const int steps = stepsText && atoi(stepsText) > 1 ? atoi(stepsText) : 50;
    const char* readAheadText = getenv("OXEL_READAHEAD");
    const bool readAhead = !readAheadText || lstrcmpiA(readAheadText, "OFF") != 0;
    // The held key passes some 66 entries.
    const int count = std::max(steps + 1, 80);
    const std::wstring photo = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\photo4000.jpg";
    const std::string bytes = ReadWholeFile(photo);
    if (bytes.empty()) {
        wprintf(L"no picture at %ls\n", photo.c_str());
        return 1;
    }
    const std::wstring folder = MakeScratchFolder(L"steps");
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\p%02d.jpg", i);
        paths.push_back(folder + name);
        WriteWholeFile(paths.back(), bytes);
    }
    const std::string settings = std::string(
        "[ViewSetting]\r\nWindowLeft=0\r\nWindowTop=0\r\nWindowWidth=1024\r\nWindowHeight=768\r\n"
        "FitOut=ON\r\n[SystemSetting]\r\nShowToolTip=0\r\nReadAhead=") + (readAhead ? "ON" : "OFF") + "\r\n";
    WriteWholeFile(TestSettingsPath(), settings);
    RegisterMainWindowClass(GetModuleHandleW(nullptr));
    // The bare decodes run before any window has set up COM on this thread.
    ComApartment com;
    wprintf(L"read-ahead %ls\n", readAhead ? L"on" : L"off");

    // The bare decodes first, with nothing else running.
    std::vector<double> decodes;
    for (int i = 1; i <= std::min(steps, 15); ++i) {
        const LARGE_INTEGER before = Now();
        HBITMAP bare = DecodeWicFile(paths[i].c_str());
        decodes.push_back(Milliseconds(before, Now()));
        if (bare) DeleteObject(bare);
    }
    const double decode = Median(decodes);
    wprintf(L"bare WIC decode: median %.1f ms of %zu\n", decode, decodes.size());

    // The first step, at once after the open.
    HWND window = OpenWindow(paths[0]);
    LARGE_INTEGER before = Now();
    SendMessageW(window, WM_COMMAND, IDM_NEXT, 0);
    const double first = Milliseconds(before, Now());
    wprintf(L"first, immediate step: %.1f ms; ratio %.2f\n", first, first / decode);

    // The held key, from entry 1.
    PumpMessages(1500);
    HeldKey key;
    key.window = window;
    HANDLE presser = CreateThread(nullptr, 0, PressNext, &key, 0, nullptr);
    while (WaitForSingleObject(presser, 0) == WAIT_TIMEOUT) PumpMessages(5);
    CloseHandle(presser);
    // The last press is painted when the queue holds no more commands and the
    // entry the steps stopped at has its picture (a held key's last entry is
    // decoded a moment after the steps stop).
    const ViewerState* state = GetViewerState(window);
    MSG message;
    double held = 0;
    while (Milliseconds(key.last, Now()) < 60000) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
            continue;
        }
        held = Milliseconds(key.last, Now());
        if (state->picture.bitmap) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    wchar_t title[MAX_PATH] = L"";
    GetWindowTextW(window, title, MAX_PATH);
    // This machine's pace drifts over a run: the same file decoded bare just
    // after the held key tells what its decode cost at that moment.
    const int stoppedAt = std::min(1 + key.presses, count - 1);
    std::vector<double> after;
    for (int i = 0; i < 3; ++i) {
        const LARGE_INTEGER start = Now();
        HBITMAP bare = DecodeWicFile(paths[stoppedAt].c_str());
        after.push_back(Milliseconds(start, Now()));
        if (bare) DeleteObject(bare);
    }
    const double decodeAfter = Median(after);
    wprintf(L"held key: %d presses; last press to painted %.1f ms; ratio %.2f (%.2f to the bare decode of that file "
            L"just after, %.1f ms); title \"%ls\" (expected p%02d)\n",
            key.presses, held, held / decode, held / decodeAfter, decodeAfter, title, stoppedAt);
    wprintf(L"peak memory: %zu MB (one picture %zu MB)\n", PeakMegabytes(), bytes.size() ? size_t{48} : size_t{0});
    DestroyWindow(window);
    PumpMessages(200);

    // One step a second.
    window = OpenWindow(paths[0]);
    PumpMessages(1000);
    std::vector<double> timed;
    for (int i = 1; i <= steps && i < count; ++i) {
        before = Now();
        // The command runs to the end of its paint before SendMessage returns.
        SendMessageW(window, WM_COMMAND, IDM_NEXT, 0);
        timed.push_back(Milliseconds(before, Now()));
        wprintf(L"step %2d: command to painted %7.1f ms\n", i, timed.back());
        PumpMessages(1000);
    }
    const double step = Median(timed);
    wprintf(L"one step a second, median of %zu: %.1f ms; bare decode %.1f ms; ratio %.2f\n", timed.size(), step,
            decode, step / decode);
    // Where a step's time goes: the viewer's own decode of a file (with what
    // it does beyond WIC's) and a repaint of the shown picture; with reading
    // ahead off, the step less these two is what the command adds.
    ViewerState* shown = GetViewerState(window);
    std::vector<double> ownDecodes, repaints;
    for (int i = 0; i < 5; ++i) {
        DecodeState decodeState = {};
        DecodedPicture picture = {};
        before = Now();
        HBITMAP bitmap =
            DecodePicture(paths[1].c_str(), decodeState, shown->settings, shown->plugins, window, 1, picture);
        ownDecodes.push_back(Milliseconds(before, Now()));
        if (bitmap) DeleteObject(bitmap);
        FreeFileBuffer(decodeState);
        before = Now();
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        repaints.push_back(Milliseconds(before, Now()));
    }
    wprintf(L"a step's parts: the viewer's decode %.1f ms, a repaint %.1f ms\n", Median(ownDecodes),
            Median(repaints));
    DestroyWindow(window);
    for (const std::wstring& path : paths) DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
