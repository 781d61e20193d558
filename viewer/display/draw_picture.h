// Drawing of the main window's client area into a device context: the picture
// composed in an off-screen buffer and copied with one blit, the status display
// for files that give no picture, and the full-screen information overlay.
// Everything draws into a given context, so a test can draw into memory.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/core/decoded_picture.h"
#include "viewer/core/settings.h"
#include "viewer/display/view_geometry.h"

// The background of the current mode, with the system colours for "DEFAULT".
COLORREF BackgroundColorOf(const Settings& settings);

// The picture scaled, centred or scrolled as the geometry says, over the
// background, with alpha blending for premultiplied pictures and bilinear
// interpolation when "Liner" asks for it and the picture is scaled.
void DrawPicture(HDC target, HBITMAP displayBitmap, const Settings& settings, bool premultipliedAlpha,
                 const ViewSize& view, const RECT& client, const SCROLLINFO& vertical, const SCROLLINFO& horizontal);

// The message that a status value shows ("Unsupported.", "Too Large.",
// "Deleted." or their Japanese texts), or null for none.
const wchar_t* StatusMessage(int32_t statusWidth, int32_t statusHeight, bool english);

// The status display: background, and for an unreadable file its shell icon
// with the message above and the type name below it, or the "deleted" message.
// `window` (may be null) loses its scroll bars.
void DrawStatus(HWND window, HDC dc, const RECT& client, const wchar_t* path, const Settings& settings,
                int32_t lastListIndex, int32_t statusWidth, int32_t statusHeight);

struct PaintRequest {
    HBITMAP displayBitmap;           // null: the status display
    const DecodedPicture* picture;   // size (unrotated), depth, alpha and status values
    const wchar_t* path;             // the current entry, or null without a list
    int32_t lastListIndex;
    const wchar_t* title;
    bool viewResetPending;
};

// Everything below the title: scroll bars, picture or status, and in full
// screen the overlay, drawn into `dc` (the window's, or a test's memory context
// of the client size).
void PaintClient(HWND window, HDC dc, const PaintRequest& request, const Settings& settings, SCROLLINFO& vertical,
                 SCROLLINFO& horizontal);
