// Client-area drawing; see draw_picture.h. Every GDI object made here is
// released before the function returns; nothing is kept between paints.
#include "viewer/display/draw_picture.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "viewer/display/japanese_font.h"
#include "viewer/display/resample_bitmap.h"
#include "viewer/display/status_text.h"
#include "viewer/display/view_scroll.h"

namespace {

// A memory context with one bitmap selected; both undone at the end.
struct MemoryContext {
    HDC dc;
    HGDIOBJ previous = nullptr;
    MemoryContext(HDC reference, HBITMAP bitmap) : dc(CreateCompatibleDC(reference)) {
        if (dc && bitmap) previous = SelectObject(dc, bitmap);
    }
    ~MemoryContext() {
        if (!dc) return;
        if (previous) SelectObject(dc, previous);
        DeleteDC(dc);
    }
    MemoryContext(const MemoryContext&) = delete;
    MemoryContext& operator=(const MemoryContext&) = delete;
};

const BLENDFUNCTION kSourceOver = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

// The interpolated path: only the shown block of the resampled picture is
// computed. False when resampling fails, so that the plain path draws instead.
bool DrawInterpolated(HDC back, HBITMAP bitmap, int32_t bitmapWidth, int32_t bitmapHeight, const DrawRects& r,
                      bool premultipliedAlpha) {
    const PixelRect& s = r.source;
    const PixelRect& d = r.destination;
    if (s.width <= 0 || d.width <= 0 || d.height <= 0) return false;
    // The horizontal ratio serves both axes.
    const int64_t newWidth = static_cast<int64_t>(d.width) * bitmapWidth / s.width;
    const int64_t newHeight = static_cast<int64_t>(d.width) * bitmapHeight / s.width;
    const int64_t x = static_cast<int64_t>(d.width) * s.x / s.width;
    const int64_t y = static_cast<int64_t>(d.width) * s.y / s.width;
    const int64_t sourceHeight = static_cast<int64_t>(d.width) * s.height / s.width;
    if (newWidth <= 0 || newHeight <= 0 || newWidth > INT32_MAX || newHeight > INT32_MAX) return false;
    // Rounding can reach a pixel past the resampled picture; the block stops
    // at its edge.
    const int64_t blockWidth = std::min<int64_t>(d.width, newWidth - x);
    const int64_t blockHeight = std::min<int64_t>(sourceHeight, newHeight - y);
    if (blockWidth <= 0 || blockHeight <= 0) return false;
    HBITMAP resampled =
        ResampleBilinearBlock(bitmap, static_cast<int32_t>(newWidth), static_cast<int32_t>(newHeight),
                              static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(blockWidth),
                              static_cast<int32_t>(blockHeight));
    if (!resampled) return false;
    bool drawn;
    {
        MemoryContext from(back, resampled);
        if (premultipliedAlpha) {
            drawn = AlphaBlend(back, d.x, d.y, d.width, d.height, from.dc, 0, 0, static_cast<int>(blockWidth),
                               static_cast<int>(blockHeight), kSourceOver);
        } else if (blockWidth == d.width && blockHeight == d.height) {
            drawn = BitBlt(back, d.x, d.y, d.width, d.height, from.dc, 0, 0, SRCCOPY);
        } else {
            // A row or column short by rounding: stretched over the same
            // rectangle that the plain path would cover.
            drawn = StretchBlt(back, d.x, d.y, d.width, d.height, from.dc, 0, 0, static_cast<int>(blockWidth),
                               static_cast<int>(blockHeight), SRCCOPY);
        }
    }
    DeleteObject(resampled);
    return drawn;
}

void DrawPlain(HDC back, HDC source, int32_t bitmapWidth, int32_t bitmapHeight, const DrawRects& r,
               bool premultipliedAlpha) {
    // AlphaBlend refuses a source that reaches past the bitmap, which rounding
    // can produce by a pixel; keep it inside.
    PixelRect s = r.source;
    s.x = std::clamp(s.x, 0, bitmapWidth);
    s.y = std::clamp(s.y, 0, bitmapHeight);
    s.width = std::min(s.width, bitmapWidth - s.x);
    s.height = std::min(s.height, bitmapHeight - s.y);
    const PixelRect& d = r.destination;
    if (s.width <= 0 || s.height <= 0 || d.width <= 0 || d.height <= 0) return;
    if (premultipliedAlpha) {
        AlphaBlend(back, d.x, d.y, d.width, d.height, source, s.x, s.y, s.width, s.height, kSourceOver);
    } else {
        StretchBlt(back, d.x, d.y, d.width, d.height, source, s.x, s.y, s.width, s.height, SRCCOPY);
    }
}

// While it lives, a font that can show a Japanese text is selected into the
// context: the stock system font of a non-Japanese system has no kana or
// kanji, and would draw empty boxes. Its height follows the current font.
struct JapaneseText {
    HDC dc;
    HFONT font = nullptr;
    HGDIOBJ previous = nullptr;
    JapaneseText(HDC target, bool wanted, const wchar_t* text) : dc(target) {
        if (!wanted) return;
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        font = CreateJapaneseFont(dc, metrics.tmHeight, text);
        if (font) previous = SelectObject(dc, font);
    }
    ~JapaneseText() {
        if (!font) return;
        SelectObject(dc, previous);
        DeleteObject(font);
    }
    JapaneseText(const JapaneseText&) = delete;
    JapaneseText& operator=(const JapaneseText&) = delete;
};

void DrawCentredLine(HDC dc, const wchar_t* text, int32_t width, int32_t top) {
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
    RECT line = {0, top, width, top + extent.cy};
    DrawTextW(dc, text, -1, &line, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

COLORREF BackgroundColorOf(const Settings& settings) {
    if (settings.WindowMode) {
        return settings.WindowBGColor == -1 ? GetSysColor(COLOR_APPWORKSPACE)
                                            : static_cast<COLORREF>(settings.WindowBGColor);
    }
    return settings.ScreenBGColor == -1 ? GetSysColor(COLOR_BACKGROUND) : static_cast<COLORREF>(settings.ScreenBGColor);
}

void DrawPicture(HDC target, HBITMAP displayBitmap, const Settings& settings, bool premultipliedAlpha,
                 const ViewSize& view, const RECT& client, const SCROLLINFO& vertical, const SCROLLINFO& horizontal) {
    const int32_t cw = client.right - client.left;
    const int32_t ch = client.bottom - client.top;
    if (cw <= 0 || ch <= 0) return;
    BITMAP bm = {};
    if (!GetObjectW(displayBitmap, sizeof(bm), &bm)) return;
    const int32_t bw = bm.bmWidth;
    const int32_t bh = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;

    HBITMAP backBitmap = CreateCompatibleBitmap(target, cw, ch);
    if (!backBitmap) return;
    {
        MemoryContext back(target, backBitmap);
        SetStretchBltMode(back.dc, HALFTONE);
        SetBrushOrgEx(back.dc, 0, 0, nullptr);
        HPALETTE palette = CreateHalftonePalette(back.dc);
        HPALETTE oldPalette = palette ? SelectPalette(back.dc, palette, FALSE) : nullptr;
        if (palette) RealizePalette(back.dc);

        const DrawRects rects = ComputeSourceAndDestination(bw, bh, view, cw, ch, AxisOf(vertical),
                                                            AxisOf(horizontal), ViewOptionsOf(settings));
        HBRUSH brush = CreateSolidBrush(BackgroundColorOf(settings));
        RECT whole = {0, 0, cw, ch};
        FillRect(back.dc, &whole, brush);
        bool drawn = false;
        if (settings.Liner && rects.destination.width != rects.source.width) {
            drawn = DrawInterpolated(back.dc, displayBitmap, bw, bh, rects, premultipliedAlpha);
        }
        // The picture is selected into a context only to be blitted: the
        // interpolated path reads its pixels, which a selected bitmap forbids.
        if (!drawn) {
            MemoryContext source(target, displayBitmap);
            DrawPlain(back.dc, source.dc, bw, bh, rects, premultipliedAlpha);
        }
        BitBlt(target, client.left, client.top, cw, ch, back.dc, 0, 0, SRCCOPY);

        DeleteObject(brush);
        if (palette) {
            SelectPalette(back.dc, oldPalette, FALSE);
            DeleteObject(palette);
        }
    }
    DeleteObject(backBitmap);
}

const wchar_t* StatusMessage(int32_t statusWidth, int32_t statusHeight, bool english) {
    if (statusWidth == kStatusUnsupported) {
        if (statusHeight == kStatusTooLarge) return english ? L"Too Large." : L"\u5236\u9650\u30B5\u30A4\u30BA\u4EE5\u4E0A\u3067\u3059";
        return english ? L"Unsupported." : L"\u5BFE\u5FDC\u3057\u3066\u3044\u307E\u305B\u3093";
    }
    if (statusWidth == kStatusMissing) return english ? L"Deleted." : L"\u524A\u9664\u3055\u308C\u3066\u3044\u307E\u3059";
    return nullptr;
}

void DrawStatus(HWND window, HDC dc, const RECT& client, const wchar_t* path, const Settings& settings,
                int32_t lastListIndex, int32_t statusWidth, int32_t statusHeight) {
    if (lastListIndex != -1 && window) UpdateScrollBars(window, 0, 0, settings);
    HBRUSH brush = CreateSolidBrush(BackgroundColorOf(settings));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    if (lastListIndex == -1 || !path) return;
    const int32_t cw = client.right - client.left;
    const int32_t ch = client.bottom - client.top;
    const bool english = settings.English != 0;
    const wchar_t* message = StatusMessage(statusWidth, statusHeight, english);
    JapaneseText japanese(dc, !english, message);

    if (statusWidth == kStatusUnsupported) {
        // By name only: the icon and type of the extension, whatever the
        // file holds (and even if it is gone by now).
        SHFILEINFOW info = {};
        if (SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES) &&
            info.hIcon) {
            DrawIconEx(dc, client.left + (cw - 32) / 2, client.top + (ch - 32) / 2, info.hIcon, 32, 32, 0, nullptr,
                       DI_NORMAL);
            DestroyIcon(info.hIcon);
        }
        SIZE extent = {};
        GetTextExtentPoint32W(dc, message, lstrlenW(message), &extent);
        DrawCentredLine(dc, message, cw, client.top + (ch - 32) / 2 - extent.cy - 4);
        SHFILEINFOW type = {};
        if (SHGetFileInfoW(path, 0, &type, sizeof(type), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES)) {
            DrawCentredLine(dc, type.szTypeName, cw, client.top + (ch + 32) / 2 + 4);
        }
    } else if (statusWidth == kStatusMissing) {
        RECT whole = client;
        DrawTextW(dc, message, -1, &whole, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void PaintClient(HWND window, HDC dc, const PaintRequest& request, const Settings& settings, SCROLLINFO& vertical,
                 SCROLLINFO& horizontal) {
    const DecodedPicture& picture = *request.picture;
    RECT client;
    if (request.displayBitmap) {
        ScrollBarNeed changed = UpdateScrollBars(window, picture.width, picture.height, settings);
        ViewLayout layout = LayoutView(window, picture.width, picture.height, settings, request.viewResetPending,
                                       changed, vertical, horizontal);
        DrawPicture(dc, request.displayBitmap, settings, picture.premultipliedAlpha != 0, layout.view, layout.client,
                    vertical, horizontal);
        client = layout.client;
    } else {
        GetClientRect(window, &client);
        // A decoded picture whose turned copy could not be made says so
        // rather than leave the window empty.
        const bool noTurnedCopy = picture.bitmap != nullptr;
        DrawStatus(window, dc, client, request.path, settings, request.lastListIndex,
                   noTurnedCopy ? kStatusUnsupported : picture.width, noTurnedCopy ? kStatusTooLarge : picture.height);
        GetClientRect(window, &client);
    }
    if (!settings.WindowMode) {
        const bool english = settings.English != 0;
        std::wstring sizeAndColors = FormatShownSizeAndColors(picture.width, picture.height, picture.fileWidth,
                                                              picture.fileHeight, picture.bitsPerPixel, english,
                                                              true, true);
        std::wstring text = FormatOverlayText(request.lastListIndex != -1, request.displayBitmap != nullptr,
                                              request.title ? request.title : L"", sizeAndColors,
                                              settings.FitOut != 0, settings.FitIn != 0, english,
                                              settings.zoomPercent);
        JapaneseText japanese(dc, !english, text.c_str());
        DrawTextW(dc, text.c_str(), -1, &client, DT_WORDBREAK | DT_LEFT | DT_TOP | DT_NOPREFIX);
    }
}
