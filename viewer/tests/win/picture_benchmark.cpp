// Times the way of a large picture from the file to the first paint: WIC
// decode, premultiplication, the display bitmap (straight and quarter-turned)
// and the paint; then one scroll step at 150 % with and without "Liner". Prints
// the figures, with the save of the turned picture as a bitmap file, and the
// colour conversion of a 6000 x 4000 JPEG with an Adobe RGB profile against
// its decode: the first in the process apart, then the median of five. Run by
// hand:
//   wine-emulator viewer_picture_benchmark.exe [picture]
#include <windows.h>

#include <cstdio>
#include <string>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_file.h"
#include "viewer/display/draw_picture.h"
#include "viewer/display/geometry.h"
#include "viewer/display/rotate.h"
#include "viewer/display/view_scroll.h"
#include "viewer/fileops/save_bitmap.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/look/colour_transform.h"
#include "viewer/look/picture_look.h"

int main(int argc, char** argv) {
    std::wstring path = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\large.jpg";
    if (argc > 1) {
        wchar_t given[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, argv[1], -1, given, MAX_PATH);
        path = given;
    }
    ComApartment com;
    Settings settings = LoadSettings((MakeScratchFolder(L"bench") + L"\\none.ini").c_str());
    settings.WindowMode = 1;

    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OxelBenchmark";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"OxelBenchmark", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 1024, 768, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);

    LARGE_INTEGER t0 = Now();
    HBITMAP decoded = DecodeWicFile(path.c_str());
    LARGE_INTEGER t1 = Now();
    if (!decoded) {
        wprintf(L"cannot decode %ls\n", path.c_str());
        return 1;
    }
    PremultiplyAlpha(decoded);
    LARGE_INTEGER t2 = Now();
    BITMAP bm = {};
    GetObjectW(decoded, sizeof(bm), &bm);
    HBITMAP display = MakeRotatedBitmap(window, decoded, bm.bmWidth, bm.bmHeight, settings);
    LARGE_INTEGER t3 = Now();
    HBITMAP turned = RotateBitmap(window, decoded, bm.bmWidth, bm.bmHeight, 90);
    LARGE_INTEGER t4 = Now();

    DecodedPicture picture = {};
    picture.width = bm.bmWidth;
    picture.height = bm.bmHeight;
    picture.bitsPerPixel = 24;
    picture.premultipliedAlpha = 1;
    SCROLLINFO vertical = {};
    vertical.cbSize = sizeof(vertical);
    vertical.fMask = SIF_ALL;
    SCROLLINFO horizontal = vertical;
    PaintRequest request = {display, &picture, path.c_str(), 0, L"(1/1)large.jpg", true};
    HDC dc = GetDC(window);
    LARGE_INTEGER t5 = Now();
    PaintClient(window, dc, request, settings, vertical, horizontal);
    GdiFlush();
    LARGE_INTEGER t6 = Now();
    settings.Liner = 1;
    PaintClient(window, dc, request, settings, vertical, horizontal);
    GdiFlush();
    LARGE_INTEGER t7 = Now();
    // One scroll step of an enlarged view, plain and interpolated.
    settings.FitOut = settings.FitIn = settings.FitWidth = 0;
    settings.zoomPercent = 150;
    double step[2] = {};
    for (int liner = 0; liner <= 1; ++liner) {
        settings.Liner = liner;
        request.viewResetPending = true;
        PaintClient(window, dc, request, settings, vertical, horizontal);
        request.viewResetPending = false;
        ScrollByCommand(window, IDM_SCROLL_DOWN, settings, vertical, horizontal);
        LARGE_INTEGER before = Now();
        PaintClient(window, dc, request, settings, vertical, horizontal);
        GdiFlush();
        step[liner] = Milliseconds(before, Now());
    }
    ReleaseDC(window, dc);
    const std::wstring saved = MakeScratchFolder(L"bench-save") + L"\\turned.bmp";
    LARGE_INTEGER t8 = Now();
    const bool written = WriteBitmapFile(turned, saved.c_str());
    LARGE_INTEGER t9 = Now();
    DeleteFileW(saved.c_str());

    wprintf(L"picture %ldx%ld (%ls)\n", bm.bmWidth, bm.bmHeight, path.c_str());
    wprintf(L"decode (WIC to BGRA section)   %8.1f ms\n", Milliseconds(t0, t1));
    wprintf(L"premultiply                    %8.1f ms\n", Milliseconds(t1, t2));
    wprintf(L"display bitmap, 0 degrees      %8.1f ms\n", Milliseconds(t2, t3));
    wprintf(L"display bitmap, 90 degrees     %8.1f ms\n", Milliseconds(t3, t4));
    wprintf(L"first paint (FitOut, blended)  %8.1f ms\n", Milliseconds(t5, t6));
    wprintf(L"paint with Liner               %8.1f ms\n", Milliseconds(t6, t7));
    wprintf(L"file to first paint            %8.1f ms\n", Milliseconds(t0, t3) + Milliseconds(t5, t6));
    wprintf(L"scroll step at 150 %%, plain    %8.1f ms\n", step[0]);
    wprintf(L"scroll step at 150 %%, Liner    %8.1f ms (%.2f x)\n", step[1], step[1] / step[0]);
    wprintf(L"save as bitmap, 90 degrees     %8.1f ms%ls\n", Milliseconds(t8, t9), written ? L"" : L" (failed)");
    DeleteObject(turned);
    FreePictureBitmaps(decoded, display);

    // The conversion: the profile found, the transform made, every pixel
    // translated; against the decode of the same file. The first in the
    // process also loads and starts the colour system, and is shown apart;
    // the rounds after it are what each further picture costs, as the
    // decodes here are after the first picture's.
    const std::wstring adobe = PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\large_adobe.jpg";
    const std::string bytes = ReadWholeFile(adobe);
    // Both on the processor time of the process too (all its threads): another
    // process that shares the machine slows the wall clock of either by chance.
    auto processTime = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        return ((uint64_t{kernel.dwHighDateTime} + user.dwHighDateTime) << 32) + kernel.dwLowDateTime +
               user.dwLowDateTime;
    };
    constexpr int kRounds = 6;  // the first, then five
    std::vector<double> decodeMs, convertMs, makeMs;
    uint64_t decodeTime = 0, convertTime = 0;
    LONG width = 0, height = 0;
    bool converted = true;
    for (int round = 0; round < kRounds; ++round) {
        const uint64_t u0 = processTime();
        LARGE_INTEGER c0 = Now();
        HBITMAP photo = DecodeWicFile(adobe.c_str());
        LARGE_INTEGER c1 = Now();
        const uint64_t u1 = processTime();
        DIBSECTION dib = {};
        if (!photo || GetObjectW(photo, sizeof dib, &dib) != sizeof dib) {
            wprintf(L"cannot decode %ls\n", adobe.c_str());
            return 1;
        }
        ColourTransform transform;
        const bool made =
            TransformForFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), window, transform);
        LARGE_INTEGER made1 = Now();
        converted = converted && made &&
                    TranslatePixels(transform, static_cast<uint8_t*>(dib.dsBm.bmBits), dib.dsBm.bmWidth,
                                    dib.dsBm.bmHeight, false);
        LARGE_INTEGER c2 = Now();
        const uint64_t u2 = processTime();
        DeleteObject(photo);
        width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
        if (round == 0) {
            wprintf(L"Adobe RGB picture %ldx%ld, the first in the process: decode %8.1f ms, colour conversion %8.1f "
                    L"ms (%.1f %% of the decode), of which the transform made %.1f ms\n",
                    width, height, Milliseconds(c0, c1), Milliseconds(c1, c2),
                    100 * Milliseconds(c1, c2) / Milliseconds(c0, c1), Milliseconds(c1, made1));
            continue;
        }
        decodeMs.push_back(Milliseconds(c0, c1));
        convertMs.push_back(Milliseconds(c1, c2));
        makeMs.push_back(Milliseconds(c1, made1));
        decodeTime += u1 - u0;
        convertTime += u2 - u1;
    }
    const double decode = Median(decodeMs), conversion = Median(convertMs);
    wprintf(L"Adobe RGB picture %ldx%ld, median of %d after it: decode %8.1f ms, colour conversion %8.1f ms (%.1f %% "
            L"of the decode)%ls\n",
            width, height, kRounds - 1, decode, conversion, 100 * conversion / decode,
            converted ? L"" : L" (not converted)");
    wprintf(L"  of which the profile read and the transform made  %8.1f ms\n", Median(makeMs));
    wprintf(L"  processor time, all %d: decode %8.1f ms, colour conversion %8.1f ms (%.1f %% of the decode)\n",
            kRounds - 1, decodeTime / 1e4, convertTime / 1e4,
            100.0 * static_cast<double>(convertTime) / static_cast<double>(decodeTime));
    DestroyWindow(window);
    return 0;
}
