// A plug-in's picture blocks as a bitmap; see plugin_bitmap.h.
#include "viewer/plugins/plugin_bitmap.h"

#include "viewer/plugins/plugin_rules.h"

HBITMAP BitmapFromDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize, HWND window,
                      DecodedPicture& picture) {
    if (!info || !bits || !DibBlocksFit(info, infoSize, bitsSize)) return nullptr;
    const auto* header = reinterpret_cast<const BITMAPINFO*>(info);
    HDC dc = GetDC(window);
    HBITMAP bitmap = CreateDIBitmap(dc, &header->bmiHeader, CBM_INIT, bits, header, DIB_RGB_COLORS);
    ReleaseDC(window, dc);
    if (bitmap) {
        picture.width = header->bmiHeader.biWidth;
        picture.height = header->bmiHeader.biHeight < 0 ? -header->bmiHeader.biHeight : header->bmiHeader.biHeight;
        picture.bitsPerPixel = header->bmiHeader.biBitCount;
    }
    return bitmap;
}
