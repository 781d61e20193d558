// Bilinear resampling of GDI bitmaps; see resample_bitmap.h. Source and block
// share one row order, so the rows map one to one.
#include "viewer/display/resample_bitmap.h"

#include <cstring>
#include <vector>

#include "viewer/display/resample.h"

namespace {

// A 32-bit header: bottom-up for a positive height, top-down for a negative one.
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

// Whether the rows of a 32-bit DIB section lie top-down in memory: 1 for
// top-down, 0 for bottom-up, -1 when it cannot be told. A negative height
// says top-down, but not every system reports it (Wine gives the positive
// height either way). Then one scan line as GetDIBits reads it (bottom-up) is
// found among the rows in memory: a row k whose mirror row differs tells the
// order; a picture whose every row equals its mirror row reads the same both
// ways. The answer for the last section asked is kept, since a view is
// painted again at every scroll step.
int RowOrder(HDC dc, HBITMAP bitmap, const DIBSECTION& dib) {
    if (dib.dsBmih.biHeight < 0) return 1;
    struct Known {
        HBITMAP bitmap;
        const void* bits;
        LONG width, height;
        int order;
    };
    static Known known = {};
    const BITMAP& bm = dib.dsBm;
    if (known.bitmap == bitmap && known.bits == bm.bmBits && known.width == bm.bmWidth &&
        known.height == bm.bmHeight) {
        return known.order;
    }
    const size_t stride = static_cast<size_t>(bm.bmWidth) * 4;
    const uint8_t* bits = static_cast<const uint8_t*>(bm.bmBits);
    auto row = [&](int32_t k) { return bits + static_cast<size_t>(k) * stride; };
    int32_t k = 0;
    while (k < bm.bmHeight / 2 && memcmp(row(k), row(bm.bmHeight - 1 - k), stride) == 0) ++k;
    int order = 1;
    if (k < bm.bmHeight / 2) {
        std::vector<uint8_t> scan(stride);
        BITMAPINFO info = BottomUp32(bm.bmWidth, bm.bmHeight);
        order = -1;
        if (GetDIBits(dc, bitmap, static_cast<UINT>(k), 1, scan.data(), &info, DIB_RGB_COLORS) == 1) {
            // Scan line k is image row k from the bottom: memory row k when
            // bottom-up, row height - 1 - k when top-down.
            if (memcmp(scan.data(), row(bm.bmHeight - 1 - k), stride) == 0) {
                order = 1;
            } else if (memcmp(scan.data(), row(k), stride) == 0) {
                order = 0;
            }
        }
    }
    known = {bitmap, bm.bmBits, bm.bmWidth, bm.bmHeight, order};
    return order;
}

}  // namespace

HBITMAP ResampleBilinear(HBITMAP bitmap, int32_t newWidth, int32_t newHeight) {
    return ResampleBilinearBlock(bitmap, newWidth, newHeight, 0, 0, newWidth, newHeight);
}

HBITMAP ResampleBilinearBlock(HBITMAP bitmap, int32_t newWidth, int32_t newHeight, int32_t x, int32_t y,
                              int32_t width, int32_t height) {
    DIBSECTION dib = {};
    const int got = GetObjectW(bitmap, sizeof(dib), &dib);
    if (!got) return nullptr;
    const BITMAP& bm = dib.dsBm;
    const int32_t sourceWidth = bm.bmWidth;
    const int32_t sourceHeight = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    if (!FitsBuffer(sourceWidth, sourceHeight) || !FitsBuffer(width, height)) return nullptr;
    if (x < 0 || y < 0 || newWidth <= 0 || newHeight <= 0 || width > newWidth - x || height > newHeight - y) {
        return nullptr;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;

    HBITMAP result = nullptr;
    void* bits = nullptr;
    const int rowOrder = got == sizeof(DIBSECTION) && bm.bmBits && bm.bmBitsPixel == 32 &&
                                 dib.dsBmih.biCompression == BI_RGB
                             ? (GdiFlush(), RowOrder(dc, bitmap, dib))
                             : -1;
    if (rowOrder != -1) {
        // A 32-bit DIB section (every decoded picture) is read where it lies:
        // nothing of the picture's size is copied, and only the rows that the
        // block needs are touched. The block keeps the section's row order.
        const bool topDown = rowOrder == 1;
        BITMAPINFO target = BottomUp32(width, topDown ? -height : height);
        result = CreateDIBSection(dc, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
        const int32_t firstRow = topDown ? y : newHeight - y - height;
        if (result && !ResamplePixelBlock(static_cast<const uint8_t*>(bm.bmBits), sourceWidth, sourceHeight, true,
                                          newWidth, newHeight, x, firstRow, width, height,
                                          static_cast<uint8_t*>(bits))) {
            DeleteObject(result);
            result = nullptr;
        }
        DeleteDC(dc);
        return result;
    }

    // Any other bitmap is copied out first, bottom-up as GetDIBits gives it.
    // It must not be selected into a device context meanwhile.
    const size_t bytes = static_cast<size_t>(sourceWidth) * 4 * sourceHeight;
    uint8_t* pixels = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
    if (pixels) {
        BITMAPINFO info = BottomUp32(sourceWidth, sourceHeight);
        if (GetDIBits(dc, bitmap, 0, sourceHeight, pixels, &info, DIB_RGB_COLORS) == sourceHeight) {
            BITMAPINFO target = BottomUp32(width, height);
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
