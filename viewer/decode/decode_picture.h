// The one operation that turns a file into a picture. No decoder is built yet,
// so an existing file is reported as unsupported and a missing one as missing.
#pragma once

#include <windows.h>

#include "viewer/app/settings.h"
#include "viewer/decode/decoded_picture.h"
#include "viewer/decode/plugin_host.h"

// Decodes `path` (sub-image `state.subIndex`) into `picture`; returns its
// bitmap or null, with the status in the size fields.
HBITMAP DecodePicture(const wchar_t* path, DecodeState& state, const Settings& settings,
                      const PluginList& plugins, HWND window, int direction, DecodedPicture& picture);

// Frees the whole-file buffer of the current file.
void FreeFileBuffer(DecodeState& state);
