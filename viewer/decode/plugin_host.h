// The Susie plug-ins loaded from the plug-in folder: loading them, offering a
// file to them before the program's own decoders, turning an image plug-in's
// blocks into a bitmap, and reloading a plug-in that faulted. Every call into a
// plug-in runs under the fault guard; a fault reloads the plug-in and the next
// one is asked.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "spi/susie.h"
#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/core/viewer_state.h"

// Fills `plugins` from the folder "SpiDir" names (the program's folder when it
// is empty): every "*.spi" of this program's own bitness that "IgnoreSpi" does
// not name, in the order the folder search returns them.
void LoadPlugins(const wchar_t* programFolder, const wchar_t* iniPath, PluginList& plugins);

// Frees every loaded plug-in.
void FreePlugins(PluginList& plugins);

// Replaces the plug-in at `position` by a fresh load of the same file; a
// failed load leaves a null module there, which no call reaches.
void ReloadPlugin(PluginList& plugins, size_t position);

// Whether the plug-in's file-name patterns (information strings 2, 4, ... up
// to 200) contain `extension` (with its dot), both lowered.
bool ExtensionListed(const char* extension, PluginList& plugins, size_t position);

// Offers the file to the plug-ins in list order and returns the first bitmap
// one of them makes: an image plug-in's picture, or a member of an archive
// plug-in's archive ("SearchInArchive" on), with `fromArchive` set. Null,
// with `width` = -2, when none does. `depth` is an image plug-in's bit count.
HBITMAP ProbePlugins(const wchar_t* path, const char* ansiPath, const char* extension, DecodeState& state,
                     const Settings& settings, PluginList& plugins, HWND window, int direction,
                     DecodedPicture& picture, int32_t& depth, bool& fromArchive);

// The picture of an image plug-in as a bitmap compatible with the window's
// device, or null with `width` = -2.
HBITMAP DecodeWithImagePlugin(const char* ansiPath, PluginList& plugins, size_t position, HWND window,
                              DecodedPicture& picture);

// The progress callback handed to plug-ins: drops one pending keyboard or
// mouse message, so that input given while a plug-in works is not acted on
// later, and lets the plug-in go on.
int32_t SPI_API PluginProgress(int32_t step, int32_t total, intptr_t data);

// Result of a plug-in call that faulted (the plug-in has been reloaded).
constexpr int32_t kPluginFaulted = INT32_MIN;

// "GetArchiveInfo" with file input; `list` receives the member list's handle.
// kPluginFaulted, or -1 when the plug-in has no such export.
int32_t CallGetArchiveInfo(PluginList& plugins, size_t position, const char* ansiPath, HLOCAL& list);

// "GetFile" of the member at `memberPosition`, into memory (`destination` is
// the address of an HLOCAL) or into a folder (an ANSI folder name).
int32_t CallGetFile(PluginList& plugins, size_t position, const char* ansiPath, intptr_t memberPosition,
                    void* destination, uint32_t flags);
