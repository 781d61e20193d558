// The texts that the painter writes: the window title with the position in
// the list, the size-and-colours text shared with the menu bar and the
// information tooltip, the fit mode names and the full-screen overlay. Pure
// string work in both languages, so that every format is checked natively.
#pragma once

#include <cstdint>
#include <string>

// "640x480x24bit" / "640×480×256色": size part, colour part, both or neither.
// A depth that could not be read (0xFFFF) shows as "?bit".
std::wstring FormatSizeAndColors(int64_t width, int64_t height, uint16_t bitsPerPixel, bool english,
                                 bool showSize, bool showColors);

// The same for a picture shown at `width` × `height` and reduced from the
// file's own `fileWidth` × `fileHeight` (0 × 0: not reduced): the file's
// size, marked "(reduced)" / "（縮小）" when the size part is shown.
std::wstring FormatShownSizeAndColors(int32_t width, int32_t height, uint32_t fileWidth, uint32_t fileHeight,
                                      uint16_t bitsPerPixel, bool english, bool showSize, bool showColors);

// The information text's note on a picture shown reduced to `width` ×
// `height`: " (shown reduced to 8192x8192)" / "（8192×8192に縮小して表示）".
std::wstring FormatReducedNote(int32_t width, int32_t height, bool english);

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
