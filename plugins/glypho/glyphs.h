// The GDI helpers of the specimen: fonts made from point sizes, the glyph tests
// that keep font linking from filling in missing characters, the installed-font
// test, and the names put on the clipboard.
#pragma once

#include <windows.h>

#include "plugins/glypho/settings.h"

namespace glypho {

// A font with every CreateFontW field 0 except those given.
HFONT MakeFont(const wchar_t* face, int height, BYTE charset, BYTE quality);

// A font height (negative: character height) for a size in points on `dc`.
int PointsToHeight(HDC dc, int points);

// Replaces every character except line feed that the font has no glyph for with a space.
void BlankMissingGlyphs(HDC dc, const wchar_t* familyFace, wchar_t* text);

// True when the font shows every character of `fullName` (spaces aside) with visible ink.
bool CanDrawName(HDC dc, const wchar_t* familyFace, const wchar_t* fullName);

// True when the system enumerates a font under `fullName` (its first 31 characters).
bool IsFontInstalled(HDC dc, const wchar_t* fullName);

// Puts the names chosen by the copy switches on the clipboard; does nothing when all are off.
void CopyNamesToClipboard(HWND owner, const wchar_t* fullName, const wchar_t* version,
                          const wchar_t* copyright, const SpecimenSettings& settings);

}  // namespace glypho
