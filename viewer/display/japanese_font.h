// The face that Japanese texts are drawn in. A Japanese Windows draws them in
// "MS UI Gothic"; a Windows without the Japanese supplemental fonts has no such
// face, and the face the font mapper takes in its place may have no kanji at
// all, which then show as empty boxes. So the face is chosen by what it holds:
// the first of the usual Japanese faces that has every character of the text.
#pragma once

#include <windows.h>

#include <cstdint>

// A font of `height` (as CreateFontW takes it) that has every character of
// `text` in `dc`'s sense: "MS UI Gothic" where it does, else the first
// Japanese face installed that does, else "MS UI Gothic" all the same. Null
// only when no font can be made; the caller deletes it.
HFONT CreateJapaneseFont(HDC dc, int32_t height, const wchar_t* text);

// Whether `font` (selected into `dc` for the question) has every character of
// `text`.
bool FontHoldsText(HDC dc, HFONT font, const wchar_t* text);
