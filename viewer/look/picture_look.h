// A still picture made to look as its file asks, once it is decoded by
// whichever decoder: converted from its embedded colour profile to the
// display's and stood upright by its EXIF orientation, as the settings
// "ColorManagement" and "ExifOrientation" allow. Animation frames are not
// passed here; their composed pictures are converted by the playback.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/look/colour_transform.h"

// What a decoder's bitmap holds: a built-in 32-bit top-down DIB section with
// straight or premultiplied alpha, or a plug-in's bitmap of any kind.
enum class LookPixels { Straight, Premultiplied, Plugin };

// Applies the profile and the orientation of the file at `path` (read from
// `state.fileBuffer` when it holds the file) to `bitmap` and returns the
// bitmap to show: the same one converted in place, or a new one that
// replaces it (the old one is deleted). `picture`'s size, when set, follows
// the turn. A profile that cannot be used leaves the colours as stored. Null
// only when the turn lost the picture for want of memory (the old one is
// deleted): the picture is then too large to show.
HBITMAP ApplyPictureLook(const wchar_t* path, const DecodeState& state, const Settings& settings, HWND window,
                         HBITMAP bitmap, LookPixels pixels, DecodedPicture& picture);

// The transform for the profile embedded in `data` (a file's bytes), or
// false when it has none, an sRGB one on an sRGB display, or one that cannot
// be used.
bool TransformForFile(const uint8_t* data, size_t length, HWND window, ColourTransform& transform);
