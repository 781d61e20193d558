// The turned copy; see turned_picture.h.
#include "viewer/fileops/turned_picture.h"

#include "viewer/core/viewer_state.h"
#include "viewer/display/geometry.h"
#include "viewer/display/rotate.h"

HBITMAP TurnedPictureCopy(const ViewerState& state) {
    const DecodedPicture& picture = state.picture;
    if (!picture.bitmap || picture.width <= 0 || picture.height <= 0) return nullptr;
    HBITMAP turned = MakeRotatedBitmap(state.window, picture.bitmap, picture.width, picture.height, state.settings);
    // Unturned, the display bitmap is the decoded one itself: copy it.
    if (turned != picture.bitmap) return turned;
    HDC screen = GetDC(state.window);
    void* bits = nullptr;
    HBITMAP copy = CreateTopDownSection(screen, picture.width, picture.height, &bits);
    if (copy) {
        BITMAPINFO info = TopDownInfo(picture.width, picture.height);
        GdiFlush();
        if (GetDIBits(screen, picture.bitmap, 0, picture.height, bits, &info, DIB_RGB_COLORS) != picture.height) {
            DeleteObject(copy);
            copy = nullptr;
        }
    }
    ReleaseDC(state.window, screen);
    return copy;
}

CapturedPicture CapturePicture(const ViewerState& state) {
    CapturedPicture captured = {state.picture.bitmap, state.decodeState.subIndex, state.settings.rotation, L""};
    if (state.lastListIndex >= 0) captured.path = state.fileList.paths[state.currentIndex];
    return captured;
}

bool StillShown(const ViewerState& state, const CapturedPicture& captured) {
    if (state.closing || !state.picture.bitmap || state.picture.bitmap != captured.bitmap) return false;
    if (state.decodeState.subIndex != captured.subIndex || state.settings.rotation != captured.rotation) return false;
    const std::wstring shown = state.lastListIndex >= 0 ? state.fileList.paths[state.currentIndex] : L"";
    return shown == captured.path;
}
