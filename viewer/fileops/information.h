// The information text of the current file, shown by the tooltip. For now it
// holds the file's path only; type, size and time follow with the file
// operations.
#pragma once

#include <windows.h>

#include "viewer/app/settings.h"
#include "viewer/decode/decoded_picture.h"

constexpr size_t kInformationChars = 1024;

// Fills `text` for `path`; `picture` is null when no picture is shown.
void PictureInformation(const Settings& settings, const DecodedPicture* picture, const wchar_t* path,
                        wchar_t (&text)[kInformationChars]);
