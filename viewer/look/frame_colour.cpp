// The transform of an animation's frames; see frame_colour.h.
#include "viewer/look/frame_colour.h"

#include "viewer/look/colour_transform.h"
#include "viewer/look/picture_look.h"

#include <new>

struct FrameColour {
    wchar_t display[MAX_PATH];  // the display profile the transform was made for
    ColourTransform transform;  // empty: the file needs no conversion
};

void ConvertComposedFrame(DecodeState& state, const Settings& settings, HWND window, uint8_t* pixels, int32_t width,
                          int32_t height) {
    if (!settings.ColorManagement || !state.fileBuffer || !pixels) return;
    wchar_t display[MAX_PATH];
    DisplayProfilePath(window, display);
    if (!state.frameColour || lstrcmpiW(state.frameColour->display, display) != 0) {
        if (!state.frameColour) state.frameColour = new (std::nothrow) FrameColour();
        if (!state.frameColour) return;  // shown as stored
        lstrcpynW(state.frameColour->display, display, MAX_PATH);
        TransformForFile(state.fileBuffer, state.fileLength, window, state.frameColour->transform);
    }
    if (state.frameColour->transform) TranslatePixels(state.frameColour->transform, pixels, width, height, true);
}

void FreeFrameColour(DecodeState& state) {
    delete state.frameColour;
    state.frameColour = nullptr;
}
