// Steps through 200 photographs of 1920 x 1080 twice: as files of a folder and
// as members of a zip file (stored, as cameras' JPEGs usually are), decoding
// each as the viewer's NEXT does, and prints the time per step of both, their
// ratio, and how often the zip's member list was read. Then, in a real window
// with a read-ahead budget of 1 MB, on and off: a bitmap file beside a zip of
// 1,000 bitmaps of 700 x 700, each over the budget; the time of NEXT onto the
// zip at once after the bitmap opened, and of the close just after (alone with
// the argument "budget"). No pass or fail.
#include <windows.h>

#include <minizip/zip.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/app/instance.h"
#include "viewer/app/main_window.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"

namespace {

// A 24-bit bitmap file of `side` x `side`, a gradient in blue.
std::string BitmapFile(int32_t side) {
    std::string file = BitmapFileBytes(side, side);
    for (size_t at = 54; at < file.size(); ++at) file[at] = static_cast<char>(at % 251);
    return file;
}

void ZipOverTheBudget() {
    const std::wstring folder = MakeScratchFolder(L"overbudget");
    const std::string bitmap = BitmapFile(700);
    WriteWholeFile(folder + L"\\a.bmp", bitmap);
    char ansiZip[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, (folder + L"\\b.zip").c_str(), -1, ansiZip, MAX_PATH, nullptr, nullptr);
    zipFile zip = zipOpen(ansiZip, APPEND_STATUS_CREATE);
    for (int i = 0; i < 1000; ++i) {
        char member[32];
        snprintf(member, sizeof member, "m%04d.bmp", i);
        zipOpenNewFileInZip(zip, member, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1);
        zipWriteInFileInZip(zip, bitmap.data(), static_cast<unsigned>(bitmap.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    RegisterMainWindowClass(GetModuleHandleW(nullptr));
    for (const char* readAhead : {"ON", "OFF", "ON", "OFF"}) {
        WriteWholeFile(TestSettingsPath(), std::string("[SystemSetting]\r\nReadAheadMB=1\r\nReadAhead=") + readAhead +
                                               "\r\n[ViewSetting]\r\nWindowWidth=800\r\nWindowHeight=600\r\n");
        const std::wstring commandLine = L"\"bench.exe\" \"" + folder + L"\\a.bmp\"";
        SetCreationCommandLine(commandLine.c_str());
        HWND window = CreateMainWindow(GetModuleHandleW(nullptr));
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        LARGE_INTEGER before = Now();
        SendMessageW(window, WM_COMMAND, IDM_NEXT, 0);
        const double next = Milliseconds(before, Now());
        before = Now();
        DestroyWindow(window);
        const double close = Milliseconds(before, Now());
        PumpMessages(300);
        wprintf(L"zip of 1,000 bitmaps over a 1 MB budget, read-ahead %hs: NEXT onto it %.1f ms, close %.1f ms\n",
                readAhead, next, close);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "budget") == 0) {
        ZipOverTheBudget();
        return 0;
    }
    const int count = 200;
    const std::string bytes =
        ReadWholeFile(PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\photo1920.jpg");
    if (bytes.empty()) {
        wprintf(L"no picture\n");
        return 1;
    }
    ComApartment com;
    const std::wstring folder = MakeScratchFolder(L"zipsteps");
    const std::wstring zipPath = MakeScratchFolder(L"zipfile") + L"\\photos.zip";
    char ansiZip[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, zipPath.c_str(), -1, ansiZip, MAX_PATH, nullptr, nullptr);
    zipFile zip = zipOpen(ansiZip, APPEND_STATUS_CREATE);
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"p%03d.jpg", i);
        paths.push_back(folder + L"\\" + name);
        WriteWholeFile(paths.back(), bytes);
        char member[32];
        snprintf(member, sizeof member, "photos/p%03d.jpg", i);
        zipOpenNewFileInZip(zip, member, nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);

    Settings settings = LoadSettings((folder + L"\\none.ini").c_str());
    PluginList plugins;
    DecodedPicture picture = {};

    // Two rounds, each folder then zip, so that neither profits alone from a
    // warm cache.
    for (int round = 1; round <= 2; ++round) {
        LARGE_INTEGER start = Now();
        for (const std::wstring& path : paths) {
            DecodeState state = {};
            HBITMAP bitmap = DecodePicture(path.c_str(), state, settings, plugins, nullptr, 1, picture);
            if (!bitmap) wprintf(L"%ls did not decode\n", path.c_str());
            DeleteObject(bitmap);
            FreeFileBuffer(state);
        }
        const double folderMs = Milliseconds(start, Now()) / count;

        DecodeState archive = {};
        int listsRead = 0;
        const ArchiveIndex* kept = nullptr;
        start = Now();
        for (int i = 0; i < count; ++i) {
            archive.subIndex = i;
            HBITMAP bitmap = DecodePicture(zipPath.c_str(), archive, settings, plugins, nullptr, 1, picture);
            if (!bitmap || archive.subIndex != i) wprintf(L"member %d did not decode\n", i);
            DeleteObject(bitmap);
            if (archive.archiveIndex != kept) ++listsRead;
            kept = archive.archiveIndex;
        }
        const double zipMs = Milliseconds(start, Now()) / count;
        FreeFileBuffer(archive);

        wprintf(L"round %d: folder of %d files %.1f ms per step; zip of %d members %.1f ms per step (%.2f x the "
                L"folder); member list read %d time(s)\n",
                round, count, folderMs, count, zipMs, zipMs / folderMs, listsRead);
    }
    ZipOverTheBudget();
    return 0;
}
