// The information text of the current file, shown by the tooltip: path, type
// name, size and colours with the file size, and the modification time.
#pragma once

#include <windows.h>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"

constexpr size_t kInformationChars = 1024;

// Fills `text` for `path`; `picture` is null when no picture is shown. A text
// longer than the buffer is cut.
void PictureInformation(const Settings& settings, const DecodedPicture* picture, const wchar_t* path,
                        wchar_t (&text)[kInformationChars]);
