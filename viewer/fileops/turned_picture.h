// A copy of the decoded picture turned by the current rotation, owned by the
// caller: what save, print and the clipboard hand on. The zoom, the scroll
// position and the smoothing of the screen play no part.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct ViewerState;

// A 32-bit top-down DIB section, or null when there is no picture or no
// memory for the copy. Free it with DeleteObject.
HBITMAP TurnedPictureCopy(const ViewerState& state);

// The picture and path that a command began on: save and print hand on this
// picture or nothing, whatever a dialog's message loop did meanwhile.
struct CapturedPicture {
    HBITMAP bitmap;
    int32_t subIndex;
    int32_t rotation;
    std::wstring path;
};
CapturedPicture CapturePicture(const ViewerState& state);

// True when the window is open and shows the captured picture, turned alike.
bool StillShown(const ViewerState& state, const CapturedPicture& captured);
