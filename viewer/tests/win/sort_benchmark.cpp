// Time to open a picture in a folder of 10,000 files for each sort method: the
// folder listing, the key reads and the sort together, as the open does them.
// Prints one line per method; no pass or fail.
#include <windows.h>

#include <cstdio>
#include <string>

#include "test_support.h"
#include "viewer/app/main_window.h"
#include "viewer/filelist/file_list.h"

int main(int argc, char** argv) {
    int count = argc > 1 ? atoi(argv[1]) : 10000;
    std::wstring folder = MakeScratchFolder(L"bench");
    DWORD start = GetTickCount();
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\img%d.%ls", (i * 7919) % count, (i % 3 == 0) ? L"png" : L"jpg");
        WriteWholeFile(folder + name, std::string(static_cast<size_t>((i * 37) % 4096), 'x'));
    }
    printf("made %d files in %lu ms\n", count, static_cast<unsigned long>(GetTickCount() - start));
    std::wstring opened = folder + L"\\img1.jpg";
    if (GetFileAttributesW(opened.c_str()) == INVALID_FILE_ATTRIBUTES) opened = folder + L"\\img1.png";

    const char* names[] = {"0 none", "1 name", "2 extension", "3 type", "4 size", "5 creation", "6 last write"};
    for (int method = 0; method <= 6; ++method) {
        for (int descending = 0; descending <= 1; ++descending) {
            ViewerState* state = new ViewerState();
            state->settings.SortMethod = method;
            state->settings.SortDescending = descending;
            state->settings.ignoreSystemFile = 1;
            LARGE_INTEGER frequency, before, after;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&before);
            OpenPath(*state, opened.c_str());
            QueryPerformanceCounter(&after);
            double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / frequency.QuadPart;
            printf("OpenPath, %d files, method %-13s %s: %8.1f ms (index %d of %d)\n", count, names[method],
                   descending ? "descending" : "ascending ", ms, state->currentIndex, state->lastListIndex + 1);
            delete state;
        }
    }
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\img%d.%ls", (i * 7919) % count, (i % 3 == 0) ? L"png" : L"jpg");
        DeleteFileW((folder + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
    return 0;
}
