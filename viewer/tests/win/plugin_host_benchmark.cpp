// Times a 6000 x 4000 picture from the test image plug-in, decoded in this
// process and through a host process ("IsolatePlugins"), ten times each, and
// prints the medians and their ratio; the host's first start (the first
// decode through it) is timed apart. The two ways take turns, so that a
// machine busy with other work slows both alike. Run by hand:
//   wine-emulator viewer_plugin_host_benchmark.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/plugins/plugin_host.h"

namespace {

constexpr int kRounds = 10;

// One decode of `path`, in milliseconds; negative when it gave no picture.
double TimedDecode(const std::wstring& path, const Settings& settings, PluginList& plugins, HWND window) {
    DecodeState state = {};
    DecodedPicture picture = {};
    LARGE_INTEGER begin = Now();
    HBITMAP bitmap = DecodePicture(path.c_str(), state, settings, plugins, window, 1, picture);
    LARGE_INTEGER end = Now();
    FreeFileBuffer(state);
    if (!bitmap || picture.width != 6000) return -1;
    DeleteObject(bitmap);
    return Milliseconds(begin, end);
}

}  // namespace

int main() {
    ComApartment com;
    const std::wstring folder = MakeScratchFolder(L"host-bench");
    const std::wstring plugin = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-plugins\\oxeltest_image.spi";
    if (!CopyFileW(plugin.c_str(), (folder + L"\\oxeltest_image.spi").c_str(), FALSE)) return 1;
    // A TPIC header: 6000 x 4000, one colour.
    const std::string tpic("TPIC\x70\x17\xA0\x0F\x40\x80\xC0", 11);
    const std::wstring picture = folder + L"\\large.tpic";
    if (!WriteWholeFile(picture, tpic)) return 1;
    HWND window = CreateWindowW(L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                                nullptr);

    PluginList plugins[2];
    Settings settings[2];
    double first[2] = {};
    for (int isolate = 0; isolate < 2; ++isolate) {
        const std::wstring ini = folder + (isolate ? L"\\Isolated.ini" : L"\\Oxel.ini");
        const std::wstring text = L"[SystemSetting]\r\nSpiDir=" + folder + L"\r\nIsolatePlugins=" +
                                  (isolate ? L"ON" : L"OFF") + L"\r\n";
        WriteWholeFile(ini, std::string(text.begin(), text.end()));
        LoadPlugins(PathFromEnvironment("OXEL_OUT_DIR").c_str(), ini.c_str(), plugins[isolate]);
        settings[isolate] = LoadSettings(ini.c_str());
        first[isolate] = TimedDecode(picture, settings[isolate], plugins[isolate], window);
    }
    std::vector<double> times[2];
    for (int round = 0; round < kRounds; ++round) {
        for (int isolate = 0; isolate < 2; ++isolate) {
            times[isolate].push_back(TimedDecode(picture, settings[isolate], plugins[isolate], window));
        }
    }
    double medians[2] = {};
    for (int isolate = 0; isolate < 2; ++isolate) {
        medians[isolate] = Median(times[isolate]);
        printf("%-22s first %8.1f ms (%s), median of %d %8.1f ms, best %8.1f ms\n",
               isolate ? "through a host:" : "in process:", first[isolate],
               isolate ? "host start included" : "plug-in warm-up", kRounds, medians[isolate],
               *std::min_element(times[isolate].begin(), times[isolate].end()));
        FreePlugins(plugins[isolate]);
    }
    printf("through a host / in process: %.3f (target at most 1.15)\n", medians[1] / medians[0]);
    DestroyWindow(window);
    return medians[0] > 0 && medians[1] > 0 ? 0 : 1;
}
