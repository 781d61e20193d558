// Steps NEXT through a folder of 50 photographs of 4000 x 3000 in a real main
// window and prints, for each step, the time from the command to the end of
// its paint beside the time of a bare WIC decode of the same file, then the
// medians. No pass or fail.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/app/main_window.h"
#include "viewer/core/command_ids.h"
#include "viewer/decode/wic_decode.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main() {
    const int count = 50;
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
    WriteWholeFile(TestSettingsPath(),
                   "[ViewSetting]\r\nWindowLeft=0\r\nWindowTop=0\r\nWindowWidth=1024\r\nWindowHeight=768\r\n"
                   "FitOut=ON\r\n[SystemSetting]\r\nShowToolTip=0\r\n");
    RegisterMainWindowClass(GetModuleHandleW(nullptr));
    const std::wstring commandLine = L"\"bench.exe\" \"" + paths[0] + L"\"";
    SetCreationCommandLine(commandLine.c_str());
    HWND window = CreateMainWindow(GetModuleHandleW(nullptr));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    PumpMessages(200);

    std::vector<double> steps, decodes;
    for (int i = 1; i < count; ++i) {
        LARGE_INTEGER before = Now();
        // The command runs to the end of its paint before SendMessage returns.
        SendMessageW(window, WM_COMMAND, IDM_NEXT, 0);
        LARGE_INTEGER after = Now();
        steps.push_back(Milliseconds(before, after));
        PumpMessages(0);

        before = Now();
        HBITMAP bare = DecodeWicFile(paths[i].c_str());
        after = Now();
        decodes.push_back(Milliseconds(before, after));
        if (bare) DeleteObject(bare);
        wprintf(L"step %2d: command to painted %7.1f ms, bare WIC decode %7.1f ms\n", i, steps.back(),
                decodes.back());
    }
    const double step = Median(steps), decode = Median(decodes);
    wprintf(L"median of %d steps: %.1f ms; bare decode %.1f ms; ratio %.2f\n", count - 1, step, decode,
            step / decode);
    DestroyWindow(window);
    for (const std::wstring& path : paths) DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
