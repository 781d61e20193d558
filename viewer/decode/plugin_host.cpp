// Plug-in loading; see plugin_host.h. Until the host exists no module is loaded.
#include "viewer/decode/plugin_host.h"

void LoadPlugins(const wchar_t*, const wchar_t*, PluginList& plugins) { plugins.clear(); }

void FreePlugins(PluginList& plugins) {
    for (PluginEntry& entry : plugins) {
        if (entry.module) FreeLibrary(entry.module);
    }
    plugins.clear();
}
