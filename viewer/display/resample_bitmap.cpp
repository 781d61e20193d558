// Bilinear resampling of GDI bitmaps; see resample_bitmap.h. Both sides are
// bottom-up, as GetDIBits delivers them, so the rows map one to one.
#include "viewer/display/resample_bitmap.h"

#include "viewer/display/resample.h"

namespace {

BITMAPINFO BottomUp32(int32_t width, int32_t height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool FitsBuffer(int32_t width, int32_t height) {
    return width > 0 && height > 0 &&
           4ull * static_cast<unsigned>(width) * static_cast<unsigned>(height) <= 0x7FFFFFFFull;
}

}  // namespace

HBITMAP ResampleBilinear(HBITMAP bitmap, int32_t newWidth, int32_t newHeight) {
    return ResampleBilinearBlock(bitmap, newWidth, newHeight, 0, 0, newWidth, newHeight);
}

HBITMAP ResampleBilinearBlock(HBITMAP bitmap, int32_t newWidth, int32_t newHeight, int32_t x, int32_t y,
                              int32_t width, int32_t height) {
    BITMAP bm = {};
    if (!GetObjectW(bitmap, sizeof(bm), &bm)) return nullptr;
    const int32_t sourceWidth = bm.bmWidth;
    const int32_t sourceHeight = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    if (!FitsBuffer(sourceWidth, sourceHeight) || !FitsBuffer(width, height)) return nullptr;
    if (x < 0 || y < 0 || newWidth <= 0 || newHeight <= 0 || width > newWidth - x || height > newHeight - y) {
        return nullptr;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;

    HBITMAP result = nullptr;
    const size_t bytes = static_cast<size_t>(sourceWidth) * 4 * sourceHeight;
    uint8_t* pixels = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
    if (pixels) {
        BITMAPINFO info = BottomUp32(sourceWidth, sourceHeight);
        if (GetDIBits(dc, bitmap, 0, sourceHeight, pixels, &info, DIB_RGB_COLORS) == sourceHeight) {
            BITMAPINFO target = BottomUp32(width, height);
            void* bits = nullptr;
            result = CreateDIBSection(dc, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
            // Bottom-up rows: the block's first row in memory is its lowest one.
            const int32_t firstRow = newHeight - y - height;
            if (result && !ResamplePixelBlock(pixels, sourceWidth, sourceHeight, bm.bmBitsPixel == 32, newWidth,
                                              newHeight, x, firstRow, width, height, static_cast<uint8_t*>(bits))) {
                DeleteObject(result);
                result = nullptr;
            }
        }
        HeapFree(GetProcessHeap(), 0, pixels);
    }
    DeleteDC(dc);
    return result;
}
