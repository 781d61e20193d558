// Getting the font bytes that the exports work on: the head of a file or of an
// open handle for the type check, and the whole font image of a file for drawing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "plugins/glypho/font_file.h"

namespace glypho {

// The type check on an open file positioned at the start of the data: 12 bytes
// are read, and for a collection the bytes the check lacks are read from the file
// as well. The file is left 12 bytes further on. False when reading fails.
bool CheckOpenFile(HANDLE file, bool collectionsOn);

// The information read of GetPictureInfo in file mode: 0 when the font at
// `offset` passes the type check, else 2 or 6.
int CheckFileAt(const char* path, intptr_t offset, bool collectionsOn);

// Reads the bytes from `offset` to the end of the file into a fixed local block
// that the caller frees with LocalFree. Returns 0, 2 (fewer than 12 bytes), 4 or 6.
int LoadFontFile(const char* path, intptr_t offset, HLOCAL* block, size_t* size);

}  // namespace glypho
