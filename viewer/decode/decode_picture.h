// The one operation that turns a file into a picture: a still image, one frame
// of an animation, one image of an icon or one member of an archive. It finds
// the file, hands its ANSI short path to the decoder dispatcher and returns the
// bitmap with the facts that the display needs, or a status value.
#pragma once

#include <windows.h>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/plugins/plugin_host.h"

// Decodes `path` (sub-image `state.subIndex`) into `picture`; returns its
// bitmap (also in `picture.bitmap`) or null, with `width` = -1 for a missing
// file and -2 for one that nothing decodes. `direction` (+1 or -1) is the way
// an archive searches for its next picture member.
HBITMAP DecodePicture(const wchar_t* path, DecodeState& state, const Settings& settings,
                      PluginList& plugins, HWND window, int direction, DecodedPicture& picture);
