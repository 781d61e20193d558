// Steps through 200 photographs of 1920 x 1080 twice: as files of a folder and
// as members of a zip file (stored, as cameras' JPEGs usually are), decoding
// each as the viewer's NEXT does, and prints the time per step of both, their
// ratio, and how often the zip's member list was read. No pass or fail.
#include <windows.h>

#include <minizip/zip.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"

int main() {
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
    return 0;
}
