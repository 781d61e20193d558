// The decoder dispatcher: from the file name extension and the settings it
// picks the decoders to try in a fixed order (plug-ins, GIF and APNG frames,
// WebP, icons, zip archives, then the Windows Imaging Component for what
// "WICExt" admits), sets the status values when none succeeds, and reports the
// source file's bit depth.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/app/settings.h"
#include "viewer/decode/decoded_picture.h"
#include "viewer/decode/plugin_host.h"

// Decodes sub-image `state.subIndex` of the file at `path` (ANSI, short form)
// into `picture`; returns its bitmap, or null with `width` = -2. `extension`
// is the long name's extension with its dot (ANSI). Archives call it again for
// each extracted member.
HBITMAP DecodeFile(const char* path, const char* extension, DecodeState& state, const Settings& settings,
                   const PluginList& plugins, HWND window, int direction, DecodedPicture& picture);

// Whether "WICExt" admits `extension`: the list is empty, or the extension is
// not empty and occurs in it, both lowered.
bool IsAdmittedByWic(const char* extension, const char* wicExtensions);

// The sub-image index after the wrap: -1 (or below) is the last, the count (or
// beyond) the first.
int32_t NormalizeSubIndex(int32_t subIndex, uint32_t count);

// Reads the whole file into `state.fileBuffer` unless it holds it already.
bool ReadFileBuffer(const char* path, DecodeState& state);
