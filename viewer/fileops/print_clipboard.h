// The shown picture handed outside, turned by the current rotation: on the
// clipboard (command 280) and on one printed page within the margin of
// "PrintMargin" (command 290).
#pragma once

#include <windows.h>

struct ViewerState;

// Puts the turned picture on the clipboard as one screen-compatible bitmap;
// nothing without a decoded picture.
void CopyPictureToClipboard(ViewerState& state);

// The print dialog, then the picture on one page: fitted into the page inside
// the margin, never above ten times its pixel size, centred across and on the
// top margin. Transparent parts print as paper. Nothing without a decoded
// picture.
void PrintPicture(ViewerState& state);

// The printer calls that PrintPicture makes on the dialog's device context,
// replaceable so that a test can give the page's figures and record the
// drawing without a printer. They are the system's own signatures.
struct PrinterCalls {
    int(WINAPI* deviceCaps)(HDC printer, int index);
    int(WINAPI* startDoc)(HDC printer, const DOCINFOW* document);
    int(WINAPI* startPage)(HDC printer);
    int(WINAPI* stretchDIBits)(HDC printer, int x, int y, int width, int height, int sourceX, int sourceY,
                         int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                         DWORD rop);
    int(WINAPI* endPage)(HDC printer);
    int(WINAPI* endDoc)(HDC printer);
};

// Null restores the real GDI calls. Returns the previous set.
const PrinterCalls* SetPrinterCalls(const PrinterCalls* calls);
