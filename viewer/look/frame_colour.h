// Colour management of animations: each composed frame of an animated PNG or
// WebP that carries a profile is converted with one transform kept for the
// file (in its decode state) and remade only when the display's profile
// changes. A file without a profile, or with an sRGB one on an sRGB display,
// costs one look at its chunks.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"

// Converts a composed frame (premultiplied blue, green, red, alpha, rows top
// down) by the profile of the file in `state.fileBuffer`, when
// "ColorManagement" is on.
void ConvertComposedFrame(DecodeState& state, const Settings& settings, HWND window, uint8_t* pixels, int32_t width,
                          int32_t height);

// Forgets the file's transform; with the file buffer.
void FreeFrameColour(DecodeState& state);
