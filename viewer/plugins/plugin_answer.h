// Whether a plug-in would take a file: asked on the window's thread before a
// file is handed to the read-ahead thread, which calls no plug-in.
#pragma once

#include <windows.h>

#include "viewer/core/settings.h"
#include "viewer/plugins/plugin_host.h"

// True when the dispatcher would hand `path` to a loaded plug-in: one whose
// extensions list it (when "CheckExt_SPI" is on) and whose IsSupported says
// yes to the file's head. A zip file counts as taken whenever a plug-in is
// loaded, since its members would be offered to the plug-ins first.
bool PluginWouldAnswer(const wchar_t* path, const Settings& settings, PluginList& plugins);
