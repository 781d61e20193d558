// The information tooltip's text for one file: path, the shell's type name,
// the picture's size and colours with the file size, and the modification
// time in local time.
#pragma once

#include <windows.h>

#include <string>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"

// `picture` is null when no picture is shown. When the file's size or time
// cannot be read (another program holds it open exclusively, or it is gone),
// the size reads "?" and the time is left empty after its label.
std::wstring BuildInformationText(const Settings& settings, const DecodedPicture* picture, const wchar_t* path);
