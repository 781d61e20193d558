// Rotation of the display bitmap; see rotate.h. The output is a 32-bit DIB
// section rather than a screen-compatible bitmap, so that the alpha channel
// of premultiplied pictures survives on screens of any depth.
#include "viewer/display/rotate.h"

#include <algorithm>

#include "viewer/display/view_geometry.h"

namespace {

// A memory context with one bitmap selected, restored and deleted at the end.
struct SelectedBitmap {
    HDC dc;
    HGDIOBJ previous;
    SelectedBitmap(HDC reference, HBITMAP bitmap) : dc(CreateCompatibleDC(reference)), previous(nullptr) {
        if (dc) previous = SelectObject(dc, bitmap);
    }
    ~SelectedBitmap() {
        if (dc) {
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
};

// Quarter turns of one band of source rows (`y0` … `y0` + `rows` − 1, given
// bottom-up as GetDIBits delivers them), tile by tile, into the top-down
// output pixels. The pixels are moved directly: a parallelogram blit that turns
// is not available everywhere (Wine's only scales), and a copy is exact.
void TurnBand(const uint32_t* band, int32_t rows, int32_t y0, int32_t width, int32_t height, int32_t rotation,
              uint32_t* output) {
    const int32_t outWidth = height;
    for (int32_t tx = 0; tx < width; tx += kRotationTile) {
        const int32_t x1 = std::min(tx + kRotationTile, width) - 1;
        for (int32_t k = 0; k < rows; ++k) {
            const int32_t y = y0 + rows - 1 - k;  // bottom-up band
            const uint32_t* row = band + static_cast<size_t>(k) * width;
            if (rotation == 90) {
                // (x, y) goes to (height − 1 − y, x).
                uint32_t* column = output + (height - 1 - y);
                for (int32_t x = tx; x <= x1; ++x) column[static_cast<size_t>(x) * outWidth] = row[x];
            } else {
                // (x, y) goes to (y, width − 1 − x).
                uint32_t* column = output + y;
                for (int32_t x = tx; x <= x1; ++x) column[static_cast<size_t>(width - 1 - x) * outWidth] = row[x];
            }
        }
    }
}

bool TurnQuarter(HDC reference, HBITMAP source, int32_t width, int32_t height, int32_t rotation, uint32_t* output) {
    const int32_t bandRows = std::min(kRotationTile, height);
    uint32_t* band = static_cast<uint32_t*>(
        HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(width) * 4 * static_cast<size_t>(bandRows)));
    if (!band) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up: scan lines count from the bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bool done = true;
    GdiFlush();
    for (int32_t y0 = 0; done && y0 < height; y0 += kRotationTile) {
        const int32_t rows = std::min(kRotationTile, height - y0);
        const int32_t firstScan = height - (y0 + rows);
        done = GetDIBits(reference, source, firstScan, rows, band, &info, DIB_RGB_COLORS) == rows;
        if (done) TurnBand(band, rows, y0, width, height, rotation, output);
    }
    HeapFree(GetProcessHeap(), 0, band);
    return done;
}

}  // namespace

HBITMAP RotateBitmap(HWND window, HBITMAP source, int32_t width, int32_t height, int32_t rotation) {
    if (!source || width <= 0 || height <= 0) return nullptr;
    ViewSize size = RotatedSize(width, height, rotation);
    HDC screen = GetDC(window);
    void* outputBits = nullptr;
    HBITMAP output = CreateTopDownSection(screen, size.width, size.height, &outputBits);
    bool done = output != nullptr;
    if (done && (rotation == 90 || rotation == 270)) {
        // GetDIBits wants the source outside any device context.
        done = TurnQuarter(screen, source, width, height, rotation, static_cast<uint32_t*>(outputBits));
    } else if (done) {
        SelectedBitmap from(screen, source);
        SelectedBitmap to(screen, output);
        // Destination corners for the source's upper-left, upper-right and
        // lower-left corners.
        POINT corners[3];
        if (rotation == 180) {
            corners[0] = {width - 1, height - 1};
            corners[1] = {-1, height - 1};
            corners[2] = {width - 1, -1};
        } else {
            corners[0] = {0, 0};
            corners[1] = {width, 0};
            corners[2] = {0, height};
        }
        done = from.dc && to.dc && PlgBlt(to.dc, corners, from.dc, 0, 0, width, height, nullptr, 0, 0);
    }
    ReleaseDC(window, screen);
    if (!done && output) {
        DeleteObject(output);
        output = nullptr;
    }
    return output;
}
