// The Susie plug-ins loaded from the plug-in folder. Loading and calling them
// is not built yet: the list stays empty and every file goes to the program's
// own decoders.
#pragma once

#include <windows.h>

#include "viewer/core/viewer_state.h"

// Fills `plugins` from the plug-in folder (the program's folder by default).
void LoadPlugins(const wchar_t* programFolder, const wchar_t* iniPath, PluginList& plugins);

// Frees every loaded plug-in.
void FreePlugins(PluginList& plugins);
