// Measures what a still picture past the pixel limit costs in memory: the
// 30000 x 30000 grey PNG of the tests and a 40000 x 20000 JPEG. A peak belongs
// to a whole process, so each figure is taken in a child process of its own:
//   decoder  the imaging component's decoder alone, made to deliver the last
//            row of the whole frame: what the decoder holds of its own;
//   viewer   the dispatcher's decode as the window runs it (reduced picture,
//            whole-file buffer and all).
// Prints the peak working set and the peak private bytes above the process's
// own before the decode. Run by hand:
//   wine-emulator viewer_huge_benchmark.exe [picture ...]
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"

namespace {

struct Peaks {
    double workingSetMb;
    double privateMb;
};

Peaks PeaksNow() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return {counters.PeakWorkingSetSize / 1048576.0, counters.PeakPagefileUsage / 1048576.0};
}

// The whole frame through the decoder, as far as the decoder alone goes: the
// first pixel of its last row copied out in the frame's own format. Wine's
// decoders reach a row by a 32-bit signed byte offset, so the row asked for
// lies within the first 2 GiB of the frame.
bool DecodeWithTheDecoderAlone(const std::wstring& path, UINT& width, UINT& height, bool& ownTransform) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    const CLSID imagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
    if (FAILED(CoCreateInstance(imagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.Out())) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height))) {
        return false;
    }
    // IWICBitmapSourceTransform: whether the decoder may scale while it decodes.
    const IID sourceTransform = {0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};
    ComPtr<IUnknown> transform;
    ownTransform = SUCCEEDED(frame->QueryInterface(sourceTransform, transform.Out()));
    const UINT reachable = static_cast<UINT>(0x7FFFFFFF / (uint64_t{width} * 4));
    WICRect last = {0, static_cast<INT>(std::min(height - 1, reachable)), 1, 1};
    BYTE pixel[16] = {};
    return SUCCEEDED(frame->CopyPixels(&last, sizeof(pixel), sizeof(pixel), pixel));
}

int RunChild(const std::string& mode, const std::wstring& path) {
    ComApartment com;
    Settings settings = LoadSettings((MakeScratchFolder(L"huge-bench") + L"\\none.ini").c_str());
    const Peaks before = PeaksNow();
    LARGE_INTEGER t0 = Now();
    std::wstring told;
    if (mode == "decoder") {
        UINT width = 0, height = 0;
        bool ownTransform = false;
        const bool done = DecodeWithTheDecoderAlone(path, width, height, ownTransform);
        told = std::to_wstring(width) + L"x" + std::to_wstring(height) + (done ? L"" : L", failed") +
               (ownTransform ? L", has a transform of its own" : L", no transform of its own");
    } else {
        DecodeState state = {};
        DecodedPicture picture = {};
        PluginList none;
        HBITMAP bitmap = DecodePicture(path.c_str(), state, settings, none, nullptr, 1, picture);
        if (bitmap) {
            told = L"shown " + std::to_wstring(picture.width) + L"x" + std::to_wstring(picture.height) + L" (" +
                   std::to_wstring(picture.width * 4.0 * picture.height / 1048576.0) + L" MB), file buffer " +
                   std::to_wstring(state.fileLength / 1048576.0) + L" MB";
        } else {
            told = picture.height == kStatusTooLarge ? L"Too Large." : L"not decoded";
        }
        if (bitmap) DeleteObject(bitmap);
        FreeFileBuffer(state);
    }
    const double ms = Milliseconds(t0, Now());
    const Peaks after = PeaksNow();
    wprintf(L"  %-8hs %8.0f ms  peak working set %7.0f MB  peak private %7.0f MB  (%ls)\n", mode.c_str(), ms,
            after.workingSetMb - before.workingSetMb, after.privateMb - before.privateMb, told.c_str());
    return 0;
}

void RunInChild(const char* mode, const std::wstring& path) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --" + std::wstring(mode, mode + strlen(mode)) +
                           L" \"" + path + L"\"";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        wprintf(L"  cannot start the %hs measurement\n", mode);
        return;
    }
    // A decoder that faults may leave its process waiting for a debugger.
    if (WaitForSingleObject(process.hProcess, 5 * 60 * 1000) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        wprintf(L"  %hs: no end after 5 minutes\n", mode);
    }
    fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

std::wstring Wide(const char* text) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH);
    return wide;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && argv[1][0] == '-' && argv[1][1] == '-') return RunChild(argv[1] + 2, Wide(argv[2]));
    std::vector<std::wstring> pictures;
    for (int i = 1; i < argc; ++i) pictures.push_back(Wide(argv[i]));
    if (pictures.empty()) {
        const std::wstring folder = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\giant\\";
        pictures = {folder + L"giant.png", folder + L"giant.jpg"};
    }
    wprintf(L"%d-bit build; figures above each process's own before the decode\n",
            static_cast<int>(sizeof(void*) * 8));
    for (const std::wstring& picture : pictures) {
        wprintf(L"%ls\n", picture.c_str());
        fflush(stdout);
        RunInChild("decoder", picture);
        RunInChild("viewer", picture);
    }
    return 0;
}
