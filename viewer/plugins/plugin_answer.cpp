// The plug-in question of the read-ahead; see plugin_answer.h. It asks what
// the dispatcher asks first, and nothing more: no plug-in decodes here.
#include "viewer/plugins/plugin_answer.h"

#include <shlwapi.h>

#include "spi/susie.h"
#include "viewer/plugins/ansi_path.h"

bool PluginWouldAnswer(const wchar_t* path, const Settings& settings, PluginList& plugins) {
    if (plugins.empty()) return false;
    if (lstrcmpiW(PathFindExtensionW(path), L".zip") == 0) return true;
    char ansiPath[MAX_PATH];
    char extension[MAX_PATH];
    if (!AnsiPathOf(path, ansiPath)) return false;  // no plug-in is asked for such a name
    ToAnsiExactly(PathFindExtensionW(path), extension);
    uint8_t head[spi::kHostHeadSize] = {};
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    const BOOL read = ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    if (!read) return false;
    for (size_t position = 0; position < plugins.size(); ++position) {
        if (plugins[position].disabled) continue;
        if (settings.CheckExt_SPI && !ExtensionListed(extension, plugins, position)) continue;
        if (CallIsSupported(plugins, position, ansiPath, head)) return true;
    }
    return false;
}
