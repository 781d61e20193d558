// Helpers of the Wine tests: paths handed in by the build, scratch folders,
// whole-file reads and writes, and child processes of the built program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/display/rotate.h"

// A Unix path from the environment variable `name`, as Wine reaches it (Z:\...).
std::wstring PathFromEnvironment(const char* name);

// The ready-to-copy output folder holding Oxel.exe.
std::wstring OutputFolder();

// A new empty folder under the temporary folder.
std::wstring MakeScratchFolder(const wchar_t* tag);

bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
std::string ReadWholeFile(const std::wstring& path);
// A 24-bit bottom-up bitmap file of `width` × `height`, every byte of its rows
// `fill`; its pixels start at byte 54, rows padded to 4 bytes.
std::string BitmapFileBytes(int32_t width, int32_t height, char fill = 0);

// True when the settings text holds the line "key= value"; the profile writer
// of some systems drops the value's leading blank, so "key=value" counts too.
bool HasProfileEntry(const std::string& text, const std::string& key, const std::string& value);

// The path of the running test program with its extension replaced by ".ini".
std::wstring TestSettingsPath();

// A copy of Oxel.exe in `folder` (with `settings` as its Oxel.ini unless null).
std::wstring InstallOxel(const std::wstring& folder, const char* settings);

struct ChildProcess {
    HANDLE process = nullptr;
    DWORD id = 0;
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();
};

// Starts `commandLine` (its program path quoted by the caller).
bool StartProcess(const std::wstring& commandLine, ChildProcess& child);

// Waits for the child's exit while dispatching this thread's messages, so that
// a child may send messages to windows of the test. Returns the exit code, or
// STILL_ACTIVE when the time ran out.
DWORD WaitForExit(ChildProcess& child, DWORD milliseconds);

// Dispatches this thread's messages for a while.
void PumpMessages(DWORD milliseconds);

// The performance counter now, and the milliseconds between two readings (for
// the benchmarks).
LARGE_INTEGER Now();
double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to);
// The middle value (the mean of the two middle ones for an even count); 0
// for none.
double Median(std::vector<double> values);

// The first visible top-level window of process `id` with class `className`;
// polls for up to `milliseconds`.
HWND WaitForWindowOf(DWORD id, const wchar_t* className, DWORD milliseconds);

// Waits up to five seconds for `window` to carry `title` and returns the title
// it has then. This thread's messages are answered meanwhile: the viewer takes
// the foreground window for its file manager, which may be one of this
// process's, and ties its input to that window's thread, so its activation
// waits for this one.
std::wstring WaitForTitle(HWND window, const wchar_t* title);

// The client area of a window as it is on screen, in blue, green, red order.
struct ClientPixels {
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;
    explicit ClientPixels(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        HDC dc = GetDC(window);
        bitmap = CreateTopDownSection(dc, width, height, reinterpret_cast<void**>(&bits));
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(window, dc);
    }
    ~ClientPixels() { DeleteObject(bitmap); }
    ClientPixels(const ClientPixels&) = delete;
    ClientPixels& operator=(const ClientPixels&) = delete;
    uint32_t At(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
    int Count(const RECT& r, uint32_t pixel) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == pixel;
        return n;
    }
};
