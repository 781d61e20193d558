// The plug-in host; see plugin_host.h.
#include "viewer/plugins/plugin_host.h"

#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "viewer/core/settings.h"
#include "viewer/plugins/host_process.h"
#include "viewer/plugins/plugin_bitmap.h"
#include "viewer/plugins/plugin_guard.h"
#include "viewer/plugins/plugin_input.h"
#include "viewer/plugins/plugin_rules.h"

namespace {

enum class PluginKind { Other, Image, Archive };

#if defined(_WIN64)
constexpr uint16_t kOwnMachine = kMachineAmd64;
#else
constexpr uint16_t kOwnMachine = kMachineI386;
#endif

template <typename Fn>
Fn Export(const PluginList& plugins, size_t position, const char* name) {
    const PluginEntry& entry = plugins[position];
    HMODULE module = entry.disabled ? nullptr : entry.module;
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The machine a module is built for, read before LoadLibrary could answer a
// module of the other bitness with an error of its own; 0 for no module.
uint16_t ModuleMachine(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::vector<uint8_t> head(kPeProbeBytes);
    DWORD got = 0;
    BOOL read = ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
    CloseHandle(file);
    return read ? PeMachine(head.data(), got) : 0;
}

bool IsPluginFile(const wchar_t* name) {
    const wchar_t* extension = PathFindExtensionW(name);
    return lstrcmpiW(extension, L".spi") == 0 || lstrcmpiW(extension, L".sph") == 0;
}

// The module's start-up code runs under the guard too. A module whose
// start-up faulted is not used: nothing tells what it left loaded.
HMODULE LoadPluginModule(const wchar_t* path) {
    // A damaged module gets no system error box: it is simply not loaded.
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = nullptr;
    const DWORD fault = Guarded([&] { module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH); });
    SetErrorMode(mode);
    return fault ? nullptr : module;
}

// A failed information call counts as "no string".
int32_t PluginInfo(PluginList& plugins, size_t position, int32_t index, char* buffer, int32_t size) {
    if (plugins[position].hostMachine) return HostedInfo(plugins[position], index, buffer, size);
    auto getInfo = Export<spi::GetPluginInfoFn>(plugins, position, "GetPluginInfo");
    if (!getInfo) return 0;
    buffer[0] = '\0';
    int32_t length = 0;
    if (Guarded([&] { length = getInfo(index, buffer, size); })) {
        DisablePlugin(plugins, position);
        return 0;
    }
    buffer[size - 1] = '\0';
    return length;
}

PluginKind KindOf(PluginList& plugins, size_t position) {
    char type[5];
    if (PluginInfo(plugins, position, 0, type, sizeof type) == 0) return PluginKind::Other;
    if (strcmp(type, "00IN") == 0) return PluginKind::Image;
    if (strcmp(type, "00AM") == 0) return PluginKind::Archive;
    return PluginKind::Other;
}

bool ReadHead(const wchar_t* path, uint8_t (&head)[spi::kHostHeadSize]) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    BOOL read = ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    return read != FALSE;
}

// The two blocks of "GetPicture" as a device-compatible bitmap.
HBITMAP BitmapFromBlocks(HLOCAL infoHandle, HLOCAL bitsHandle, HWND window, DecodedPicture& picture) {
    const auto* info = static_cast<const uint8_t*>(LocalLock(infoHandle));
    const auto* bits = static_cast<const uint8_t*>(LocalLock(bitsHandle));
    HBITMAP bitmap = BitmapFromDib(info, LocalSize(infoHandle), bits, LocalSize(bitsHandle), window, picture);
    if (info) LocalUnlock(infoHandle);
    if (bits) LocalUnlock(bitsHandle);
    return bitmap;
}

}  // namespace

void LoadPlugins(const wchar_t* programFolder, const wchar_t* iniPath, PluginList& plugins) {
    FreePlugins(plugins);
    wchar_t folder[MAX_PATH];
    GetPrivateProfileStringW(L"SystemSetting", L"SpiDir", L"", folder, MAX_PATH, iniPath);
    if (!folder[0]) lstrcpynW(folder, programFolder, MAX_PATH);
    wchar_t ignoreWide[4096];
    GetPrivateProfileStringW(L"SystemSetting", L"IgnoreSpi", L"", ignoreWide, 4096, iniPath);
    std::vector<char> ignore(4096 * 2 + 1, '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, ignoreWide, -1, ignore.data(), static_cast<int>(ignore.size()), nullptr,
                        nullptr);

    SetPluginHostFolder(programFolder);
    const bool isolate = ReadProfileBool(iniPath, L"SystemSetting", L"IsolatePlugins", L"OFF");
    // One search for both extensions keeps the folder's order.
    wchar_t pattern[MAX_PATH];
    if (!folder[0] || !PathCombineW(pattern, folder, L"*.sp?")) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsPluginFile(found.cFileName)) continue;
        wchar_t path[MAX_PATH];
        if (!PathCombineW(path, folder, found.cFileName)) continue;
        char bareName[MAX_PATH * 2];
        if (!WideCharToMultiByte(CP_THREAD_ACP, 0, found.cFileName, -1, bareName, sizeof bareName, nullptr,
                                 nullptr)) {
            continue;
        }
        if (IsIgnoredPlugin(bareName, ignore.data())) continue;
        const uint16_t machine = ModuleMachine(path);
        if (machine == kOwnMachine && !isolate) {
            if (HMODULE module = LoadPluginModule(path)) plugins.push_back(PluginEntry{module, 0, 0, 0, 0, path});
        } else if (machine == kMachineI386 || machine == kMachineAmd64) {
            plugins.push_back(PluginEntry{nullptr, 0, machine, 0, 0, path});
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void FreePlugins(PluginList& plugins) {
    for (PluginEntry& entry : plugins) {
        HMODULE module = entry.module;
        if (module) Guarded([module] { FreeLibrary(module); });
    }
    plugins.clear();
    EndPluginHosts();
}

void DisablePlugin(PluginList& plugins, size_t position) { plugins[position].disabled = 1; }

void FreePluginBlock(void* block) {
    if (block) LocalFree(block);
}

bool ExtensionListed(const char* extension, PluginList& plugins, size_t position) {
    char wanted[MAX_PATH];
    lstrcpynA(wanted, extension, MAX_PATH);
    CharLowerA(wanted);
    std::vector<char> patterns(1024);
    for (int32_t index = 2; index <= 200; index += 2) {
        if (PluginInfo(plugins, position, index, patterns.data(), static_cast<int32_t>(patterns.size())) == 0) {
            return false;
        }
        CharLowerA(patterns.data());
        if (strstr(patterns.data(), wanted)) return true;
    }
    return false;
}

HBITMAP DecodeWithImagePlugin(const char* ansiPath, PluginList& plugins, size_t position, HWND window,
                              DecodedPicture& picture) {
    if (plugins[position].hostMachine) return HostedPicture(plugins[position], ansiPath, false, window, picture);
    auto getInfo = Export<spi::GetPictureInfoFn>(plugins, position, "GetPictureInfo");
    auto getPicture = Export<spi::GetPictureFn>(plugins, position, "GetPicture");
    if (!getInfo || !getPicture) {
        picture.width = kStatusUnsupported;
        return nullptr;
    }
    spi::PictureInfoRecord record = {};
    if (Guarded([&] { getInfo(ansiPath, 0, spi::kInputFile, &record); })) {
        DisablePlugin(plugins, position);
        picture.width = kStatusUnsupported;
        return nullptr;
    }
    // Nothing here shows the plug-in's text about the picture.
    FreePluginBlock(reinterpret_cast<void*>(record.textHandle));
    picture.frameRect = FramePlacement{record.left, record.top, record.width, record.height};

    void* infoHandle = nullptr;
    void* bitsHandle = nullptr;
    int32_t result = -1;
    PluginCallInput input = {};
    if (Guarded([&] {
            result = getPicture(ansiPath, 0, spi::kInputFile, &infoHandle, &bitsHandle, PluginProgress,
                                reinterpret_cast<intptr_t>(&input));
        })) {
        // What the call had made when it faulted cannot be trusted, not even
        // to be freed.
        DisablePlugin(plugins, position);
        picture.width = kStatusUnsupported;
        return nullptr;
    }
    HBITMAP bitmap = nullptr;
    if (result == spi::kSuccess && infoHandle && bitsHandle) {
        bitmap = BitmapFromBlocks(infoHandle, bitsHandle, window, picture);
    }
    FreePluginBlock(infoHandle);
    FreePluginBlock(bitsHandle);
    if (!bitmap) picture.width = kStatusUnsupported;
    return bitmap;
}

int32_t SPI_API PluginProgress(int32_t, int32_t, intptr_t data) {
    // Input only: a message sent by another thread or process (a hand-over, a
    // close) would run inside the decode and free what it reads.
    PluginCallInput none = {};
    PluginCallInput& input = data ? *reinterpret_cast<PluginCallInput*>(data) : none;
    TakeOneInput(input);
    return input.escapes > 0 ? 1 : 0;
}

bool CallIsSupported(PluginList& plugins, size_t position, const char* ansiPath, const uint8_t* head) {
    if (plugins[position].hostMachine) return HostedIsSupported(plugins[position], ansiPath, head);
    auto isSupported = Export<spi::IsSupportedFn>(plugins, position, "IsSupported");
    if (!isSupported) return false;
    int32_t supported = 0;
    if (Guarded([&] { supported = isSupported(ansiPath, reinterpret_cast<uintptr_t>(head)); })) {
        DisablePlugin(plugins, position);
        return false;
    }
    return supported != 0;
}

int32_t CallConfigurationDialog(PluginList& plugins, size_t position, HWND owner, int32_t function) {
    if (plugins[position].hostMachine) return HostedConfigure(plugins[position], owner, function);
    typedef int32_t(SPI_API * ConfigurationFn)(HWND, int32_t);
    auto configure = Export<ConfigurationFn>(plugins, position, "ConfigurationDlg");
    if (!configure) return spi::kNotSupported;
    int32_t result = spi::kNotSupported;
    if (Guarded([&] { result = configure(owner, function); })) {
        DisablePlugin(plugins, position);
        return kPluginFaulted;
    }
    return result;
}

HBITMAP ProbePlugins(const wchar_t* path, const char* ansiPath, const char* extension, DecodeState& state,
                     const Settings& settings, PluginList& plugins, HWND window, int direction,
                     ArchivePluginReader readArchive, DecodedPicture& picture, int32_t& depth, bool& fromArchive) {
    fromArchive = false;
    uint8_t head[spi::kHostHeadSize] = {};
    if (!ReadHead(path, head)) {
        picture.width = kStatusUnsupported;
        return nullptr;
    }
    char name[MAX_PATH];
    lstrcpynA(name, ansiPath, MAX_PATH);
    for (size_t position = 0; position < plugins.size(); ++position) {
        if (plugins[position].disabled) continue;
        if (settings.CheckExt_SPI && !ExtensionListed(extension, plugins, position)) continue;
        if (!CallIsSupported(plugins, position, name, head)) continue;
        HBITMAP bitmap = nullptr;
        switch (KindOf(plugins, position)) {
            case PluginKind::Image:
                bitmap = DecodeWithImagePlugin(name, plugins, position, window, picture);
                if (bitmap) depth = picture.bitsPerPixel;
                break;
            case PluginKind::Archive:
                if (!settings.SearchInArchive) break;
                bitmap = readArchive(path, name, plugins, position, state, settings, window, direction, picture);
                fromArchive = bitmap != nullptr;
                break;
            case PluginKind::Other:
                break;
        }
        if (bitmap) return bitmap;
    }
    picture.width = kStatusUnsupported;
    return nullptr;
}

int32_t CallGetArchiveInfo(PluginList& plugins, size_t position, const char* ansiPath, HLOCAL& list) {
    if (plugins[position].hostMachine) return HostedArchiveInfo(plugins[position], ansiPath, list);
    auto getArchiveInfo = Export<spi::GetArchiveInfoFn>(plugins, position, "GetArchiveInfo");
    list = nullptr;
    if (!getArchiveInfo) return spi::kNotSupported;
    void* handle = nullptr;
    int32_t result = spi::kNotSupported;
    if (Guarded([&] { result = getArchiveInfo(ansiPath, 0, spi::kInputFile, &handle); })) {
        DisablePlugin(plugins, position);
        return kPluginFaulted;
    }
    list = handle;
    return result;
}

int32_t CallGetFile(PluginList& plugins, size_t position, const char* ansiPath, intptr_t memberPosition,
                    void* destination, uint32_t flags) {
    if (plugins[position].hostMachine) {
        return HostedGetFile(plugins[position], ansiPath, memberPosition, destination, flags);
    }
    auto getFile = Export<spi::GetFileFn>(plugins, position, "GetFile");
    if (!getFile) return spi::kNotSupported;
    int32_t result = spi::kNotSupported;
    PluginCallInput input = {};
    if (Guarded([&] {
            result = getFile(ansiPath, memberPosition, destination, flags, PluginProgress,
                             reinterpret_cast<intptr_t>(&input));
        })) {
        DisablePlugin(plugins, position);
        return kPluginFaulted;
    }
    return result;
}
