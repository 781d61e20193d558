// Helpers of the Wine tests; see test_support.h.
#include "test_support.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (owner == search->processId && wcscmp(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring PathFromEnvironment(const char* name) {
    const char* value = getenv(name);
    if (!value) return L"";
    std::wstring path = L"Z:";
    for (const char* p = value; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

std::wstring OutputFolder() { return PathFromEnvironment("OXEL_OUT_DIR"); }

std::wstring MakeScratchFolder(const wchar_t* tag) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Process numbers come back in later runs: a folder left by one of them
    // is passed over, so that the folder is always new and empty.
    std::wstring folder;
    do {
        folder = std::wstring(temp) + L"oxel-test-" + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter);
    } while (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    return folder;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool HasProfileEntry(const std::string& text, const std::string& key, const std::string& value) {
    for (const std::string& line : {key + "= " + value, key + "=" + value}) {
        size_t at = text.find("\n" + line + "\r");
        if (at == std::string::npos) at = text.find("\n" + line + "\n");
        if (at != std::string::npos) return true;
    }
    return false;
}

std::wstring TestSettingsPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result(path);
    size_t dot = result.rfind(L'.');
    return result.substr(0, dot) + L".ini";
}

std::wstring InstallOxel(const std::wstring& folder, const char* settings) {
    std::wstring exe = folder + L"\\Oxel.exe";
    CopyFileW((OutputFolder() + L"\\Oxel.exe").c_str(), exe.c_str(), FALSE);
    if (settings) WriteWholeFile(folder + L"\\Oxel.ini", settings);
    return exe;
}

ChildProcess::~ChildProcess() {
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
    CloseHandle(process);
}

bool StartProcess(const std::wstring& commandLine, ChildProcess& child) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring mutableLine = commandLine;
    if (!CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    child.process = info.hProcess;
    child.id = info.dwProcessId;
    return true;
}

void PumpMessages(DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        MSG message;
        // What is waiting is handled even past the end, but not for ever: a
        // window that always has a message waiting (an animation with delay
        // 0) never empties the queue.
        const DWORD drainEnd = end + 1000;
        while (static_cast<int>(drainEnd - GetTickCount()) > 0 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DWORD now = GetTickCount();
        if (static_cast<int>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

DWORD WaitForExit(ChildProcess& child, DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        DWORD now = GetTickCount();
        DWORD left = static_cast<int>(end - now) > 0 ? end - now : 0;
        DWORD r = MsgWaitForMultipleObjects(1, &child.process, FALSE, left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            continue;
        }
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(child.process, &code);
    return code;
}

HWND WaitForWindowOf(DWORD id, const wchar_t* className, DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        WindowSearch search = {id, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (static_cast<int>(end - GetTickCount()) <= 0) return nullptr;
        PumpMessages(50);
    }
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string BitmapFileBytes(int32_t width, int32_t height, char fill) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    std::string file(54, '\0');
    file.append(static_cast<size_t>(stride) * static_cast<uint32_t>(height), fill);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<uint32_t>(file.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    return file;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return (values[values.size() / 2] + values[(values.size() - 1) / 2]) / 2;
}

std::wstring WaitForTitle(HWND window, const wchar_t* title) {
    wchar_t text[256] = {};
    for (int i = 0; i < 100 && wcscmp(text, title) != 0; ++i) {
        PumpMessages(50);
        GetWindowTextW(window, text, 256);
    }
    return text;
}
