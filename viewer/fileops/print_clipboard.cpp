// Print and clipboard; see print_clipboard.h.
#include "viewer/fileops/print_clipboard.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <cstdint>

#include "viewer/core/dialogs.h"
#include "viewer/core/viewer_state.h"
#include "viewer/display/geometry.h"
#include "viewer/display/rotate.h"
#include "viewer/display/view_scroll.h"
#include "viewer/fileops/print_layout.h"
#include "viewer/fileops/turned_picture.h"

namespace {

const PrinterCalls kGdiCalls = {GetDeviceCaps, StartDocW, StartPage, StretchDIBits, EndPage, EndDoc};
const PrinterCalls* g_calls = &kGdiCalls;

// Premultiplied pixels laid on white paper: colour + (255 − alpha).
void LayOnPaper(uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        const uint32_t gap = 255 - (p >> 24);
        if (gap == 0) continue;
        uint32_t out = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            uint32_t c = ((p >> shift) & 0xFF) + gap;
            out |= (c > 255 ? 255 : c) << shift;
        }
        pixels[i] = out;
    }
}

// The turned picture on the page.
void PrintOnePage(ViewerState& state, HDC printer, const PrinterCalls& calls, const wchar_t* documentName) {
    const PrintPage page = {calls.deviceCaps(printer, LOGPIXELSX), calls.deviceCaps(printer, LOGPIXELSY),
                            calls.deviceCaps(printer, HORZRES), calls.deviceCaps(printer, VERTRES)};
    const PixelRect placed = ComputePrintPlacement(state.picture.width, state.picture.height, page,
                                                   state.settings.PrintMargin, ViewOptionsOf(state.settings));
    // Turned first, in one piece: a parallelogram blit is not something
    // every printer driver does.
    HBITMAP turned = TurnedPictureCopy(state);
    if (!turned) return;
    DIBSECTION section = {};
    GetObjectW(turned, sizeof section, &section);
    const int32_t width = section.dsBm.bmWidth;
    const int32_t height = section.dsBm.bmHeight;
    uint32_t* pixels = static_cast<uint32_t*>(section.dsBm.bmBits);
    GdiFlush();
    if (state.picture.premultipliedAlpha && pixels) {
        LayOnPaper(pixels, static_cast<size_t>(width) * static_cast<size_t>(height));
    }
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = documentName;
    if (calls.startDoc(printer, &document) > 0) {
        calls.startPage(printer);
        BITMAPINFO info = TopDownInfo(width, height);
        if (placed.width > 0 && placed.height > 0 && pixels) {
            calls.stretchDIBits(printer, placed.x, placed.y, placed.width, placed.height, 0, 0, width, height,
                                pixels, &info, DIB_RGB_COLORS, SRCCOPY);
        }
        calls.endPage(printer);
        calls.endDoc(printer);
    }
    DeleteObject(turned);
}

}  // namespace

const PrinterCalls* SetPrinterCalls(const PrinterCalls* calls) {
    const PrinterCalls* previous = g_calls == &kGdiCalls ? nullptr : g_calls;
    g_calls = calls ? calls : &kGdiCalls;
    return previous;
}

void CopyPictureToClipboard(ViewerState& state) {
    const DecodedPicture& picture = state.picture;
    if (!picture.bitmap || picture.width <= 0 || picture.height <= 0) return;
    // Unturned, this is the decoded bitmap itself: it is only read.
    HBITMAP turned = MakeRotatedBitmap(state.window, picture.bitmap, picture.width, picture.height, state.settings);
    if (!turned) return;
    BITMAP facts = {};
    GetObjectW(turned, sizeof facts, &facts);
    // The clipboard gets a bitmap compatible with the screen, as CF_BITMAP
    // promises; the system makes the device-independent forms from it.
    HDC screen = GetDC(state.window);
    HBITMAP compatible = CreateCompatibleBitmap(screen, facts.bmWidth, facts.bmHeight);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    bool copied = false;
    if (compatible && from && to) {
        HGDIOBJ oldFrom = SelectObject(from, turned);
        HGDIOBJ oldTo = SelectObject(to, compatible);
        copied = BitBlt(to, 0, 0, facts.bmWidth, facts.bmHeight, from, 0, 0, SRCCOPY) != 0;
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    ReleaseDC(state.window, screen);
    FreeDisplayBitmap(turned, picture.bitmap);
    if (copied && OpenClipboard(state.window)) {
        EmptyClipboard();
        // From here on the clipboard owns the bitmap.
        if (SetClipboardData(CF_BITMAP, compatible)) compatible = nullptr;
        CloseClipboard();
    }
    if (compatible) DeleteObject(compatible);
}

void PrintPicture(ViewerState& state) {
    if (!state.picture.bitmap) return;
    const CapturedPicture captured = CapturePicture(state);
    wchar_t documentName[MAX_PATH] = L"";
    lstrcpynW(documentName, captured.path.c_str(), MAX_PATH);
    PathStripPathW(documentName);
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = state.window;
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    dialog.nFromPage = dialog.nToPage = dialog.nMinPage = dialog.nMaxPage = 1;
    dialog.nCopies = 1;
    const BOOL chosen = ShowPrintDialog(&dialog);
    // The device records are the dialog's; only its context is used.
    if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
    if (!chosen || !dialog.hDC) return;
    // The page shows what was shown when the command began, or nothing.
    if (StillShown(state, captured)) PrintOnePage(state, dialog.hDC, *g_calls, documentName);
    DeleteDC(dialog.hDC);
}
