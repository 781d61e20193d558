// The decoder dispatcher: from the file name extension and the settings it
// picks the decoders to try in a fixed order (plug-ins, GIF and APNG frames,
// WebP, icons, zip archives, then the Windows Imaging Component for what
// "WICExt" admits), sets the status values when none succeeds, and reports the
// source file's bit depth.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/plugins/plugin_host.h"

// Decodes sub-image `state.subIndex` of the file at `path` into `picture`;
// returns its bitmap, or null with `width` = -2. The viewer's own decoders read
// the file by its wide path. `ansiPath` is the same file's name for plug-ins
// (the short form, converted without best fit), or empty when the ANSI code
// page cannot spell it exactly: then no plug-in is asked, since a best-fit
// spelling could name another file. `extension` is the long name's extension
// with its dot (ANSI). Archives call it again for each extracted member.
HBITMAP DecodeFile(const wchar_t* path, const char* ansiPath, const char* extension, DecodeState& state,
                   const Settings& settings, PluginList& plugins, HWND window, int direction,
                   DecodedPicture& picture);

// Whether "WICExt" admits `extension`: the list is empty, or the extension is
// not empty and occurs in it, both lowered.
bool IsAdmittedByWic(const char* extension, const char* wicExtensions);
