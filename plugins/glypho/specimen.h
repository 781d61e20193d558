// Drawing the specimen page and the preview of a font file image into a 24-bit
// bottom-up DIB, handed back in the two local-memory blocks of the plug-in
// interface. The font is loaded privately under an altered family name, so an
// installed font of the same family never stands in for it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "plugins/glypho/settings.h"

namespace glypho {

// Both return 0 with *info (a BITMAPINFOHEADER) and *bits (the pixel rows) set to
// unlocked moveable local blocks, or 2 (font refused), 4 (no memory) or 5 (bitmap
// not made) with both set to null. `image` is changed in place (family letter).
int RenderSpecimen(uint8_t* image, size_t size, HLOCAL* info, HLOCAL* bits);
int RenderPreview(uint8_t* image, size_t size, HLOCAL* info, HLOCAL* bits);

// The specimen's layout on `dc`, a W x H picture already filled with the background.
void DrawSpecimen(HDC dc, const SpecimenSettings& settings, const wchar_t* systemFace,
                  const wchar_t* familyFace, const wchar_t* fullName, wchar_t* sample,
                  const wchar_t* version, const wchar_t* copyright);

}  // namespace glypho
