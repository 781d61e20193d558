// The texts that the painter writes: the window title with the position in
// the list, the size-and-colours text shared with the menu bar and the
// information tooltip, the fit mode names and the full-screen overlay. Pure
// string work in both languages, so that every format is checked natively.
#pragma once

#include <cstdint>
#include <string>

// "640x480x24bit" / "640×480×256色": size part, colour part, both or neither.
// A depth that could not be read (0xFFFF) shows as "?bit".
std::wstring FormatSizeAndColors(int32_t width, int32_t height, uint16_t bitsPerPixel, bool english,
                                 bool showSize, bool showColors);

// "(3/10)name.zip", or "(3/10)name.zip【2/5】" when the file has a sub-image
// list (`lastIndex` ≠ −1) and `subImageInTitle`. Positions are 0-based in.
std::wstring FormatTitle(int32_t currentIndex, int32_t lastListIndex, const std::wstring& fileName,
                         int32_t subIndex, int32_t lastIndex, bool subImageInTitle);

// "FitInOut", "FitOut", "FitIn", "NoFit" and their Japanese names.
std::wstring FitModeName(bool fitOut, bool fitIn, bool english);

// The full-screen overlay: title and size (as far as there are any), fit mode
// and zoom, one per line. `sizeAndColors` is used only with a picture.
std::wstring FormatOverlayText(bool hasList, bool hasPicture, const std::wstring& title,
                               const std::wstring& sizeAndColors, bool fitOut, bool fitIn, bool english,
                               int32_t zoomPercent);
