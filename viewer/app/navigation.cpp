// Navigation; see navigation.h.
#include "viewer/app/navigation.h"

#include <shlwapi.h>

#include <cstdlib>

#include "viewer/app/read_ahead.h"
#include "viewer/app/window_icons.h"
#include "viewer/core/command_ids.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/display/animation.h"
#include "viewer/display/geometry.h"
#include "viewer/filelist/explorer_sync.h"
#include "viewer/input/menus.h"

namespace {

bool HasExtension(const wchar_t* path, const wchar_t* extension) {
    return lstrcmpiW(PathFindExtensionW(path), extension) == 0;
}

bool IsAnimationFormat(const wchar_t* path) {
    return HasExtension(path, L".gif") || HasExtension(path, L".png") || HasExtension(path, L".webp");
}

const wchar_t* CurrentPath(const ViewerState& state) { return state.fileList.paths[state.currentIndex].c_str(); }

// What a new entry on screen sets going: a fresh view, an animation that
// "AutoAnime" starts, the menus.
void AfterEntryShown(ViewerState& state) {
    state.viewResetPending = 1;
    if (state.animated && state.settings.AutoAnime && !state.animationRunning) {
        SendMessageW(state.window, WM_COMMAND, IDM_GIF_ANIME, 0);
    }
    UpdateMenus(state);
}

// Random zoom and turn of "SuperOxel": one zoom step in or out, now and then a
// quarter turn.
void ShakeView(ViewerState& state) {
    SendMessageW(state.window, WM_COMMAND, (std::rand() % 2) ? IDM_ZOOM_DOWN : IDM_ZOOM_UP, 0);
    if (std::rand() % 16 == 0) {
        SendMessageW(state.window, WM_COMMAND, IDM_ROTATE_L, 0);
    } else if (std::rand() % 16 == 1) {
        SendMessageW(state.window, WM_COMMAND, IDM_ROTATE_R, 0);
    }
}

// The animated branch of a sub-image step.
bool StepFrame(ViewerState& state, int direction, LPARAM lParam) {
    if (!state.animated) return false;
    if (direction > 0) {
        if (!state.animationRunning) {
            // A frame stepped by hand waits for the current frame's time, but
            // never more than 100 ms: holding the key cannot outrun the animation.
            const int32_t left =
                static_cast<int32_t>(state.lastStepTick + static_cast<DWORD>(state.picture.delayMs) - FrameClock());
            if (left > 100) return false;
            if (left > 0) Sleep(static_cast<DWORD>(left));
        }
        ShowNextFrame(state, lParam == 1);
        return true;
    }
    DecodeState& decode = state.decodeState;
    const int32_t shown = decode.subIndex;
    int32_t target = shown - 1;
    if (target == -1) {
        // The decoder normalises -1 to the last frame; this call only learns
        // its index, and the shown picture stays until the new one is whole.
        DecodedPicture probe = state.picture;
        decode.subIndex = -1;
        DecodePicture(CurrentPath(state), decode, state.settings, state.plugins, state.window, -1, probe);
        if (probe.bitmap) DeleteObject(probe.bitmap);
        target = decode.subIndex;
        decode.subIndex = shown;
    }
    // Cut short by waiting input, the step is not taken.
    return ComposeFrame(state, target);
}

}  // namespace

void LoadEntry(ViewerState& state, int32_t index, bool decode) {
    StopAnimation(state);
    FreePictureBitmaps(state.picture.bitmap, state.displayBitmap);
    state.decodeState.subIndex = 0;
    state.loopsDone = 0;
    FreeFileBuffer(state.decodeState);
    ReleaseAnimationCanvas(state);
    state.animated = 0;
    // A folder whose listing came back empty has no entry to show.
    if (state.lastListIndex < 0) return;
    state.currentIndex = index;
    const wchar_t* path = CurrentPath(state);
    if (!decode) {
        state.picture.width = 0;
        state.picture.height = 0;
        state.picture.lastIndex = -1;
        return;
    }
    const DWORD start = GetTickCount();
    const bool readAhead = TakeReadAhead(state, index);
    if (!readAhead) {
        DecodePicture(path, state.decodeState, state.settings, state.plugins, state.window, 1, state.picture);
    }
    NoteEntryDecoded(state, GetTickCount() - start, readAhead);
    if (state.settings.Anime && IsAnimationFormat(path)) PrepareAnimation(state, path);
}

bool StepFile(ViewerState& state, int direction) {
    if (state.lastListIndex < 1) return false;
    if (direction > 0 && state.currentIndex >= state.lastListIndex) return false;
    if (direction < 0 && state.currentIndex <= 0) return false;
    const int32_t index = state.currentIndex + (direction > 0 ? 1 : -1);
    LoadEntry(state, index, !PassOverStep(state, index));
    NoteStepEnded(state);
    SendKeyToFileManager(state, direction);
    // The file manager may have answered a key by closing the viewer, or the
    // list may have gone meanwhile.
    if (state.closing || state.lastListIndex < 0) return true;
    if (state.settings.AssociatedIcon) SetFileIcon(state, CurrentPath(state));
    state.lastStepTick = FrameClock();
    AfterEntryShown(state);
    return true;
}

bool ShowPassedEntry(ViewerState& state) {
    if (!IsPassedOver(state)) return false;
    LoadEntry(state, state.currentIndex);
    if (state.closing || state.lastListIndex < 0) return true;
    AfterEntryShown(state);
    return true;
}

bool StepSubImage(ViewerState& state, int direction, LPARAM lParam) {
    if (state.lastListIndex < 0) return false;
    // A tick posted before the animation stopped (or before another file was
    // loaded) is dropped: it must not step a picture that is not playing.
    if (lParam == 1 && !state.animationRunning) return false;
    if (direction < 0 && state.animationRunning) return false;
    if (direction > 0 && state.settings.SuperOxel) {
        ShakeView(state);
        if (state.closing) return false;
    }
    if (state.settings.Anime && IsAnimationFormat(CurrentPath(state))) {
        // The view stays where the user put it, unless the picture grew.
        if (!StepFrame(state, direction, lParam)) return false;
    } else {
        // Archive members, icon images, pages and still pictures: the decoder
        // wraps the index and searches archives in the step's direction.
        FreePictureBitmaps(state.picture.bitmap, state.displayBitmap);
        state.decodeState.subIndex += direction > 0 ? 1 : -1;
        if (!TakeMemberReadAhead(state, state.decodeState.subIndex, direction > 0 ? 1 : -1)) {
            DecodePicture(CurrentPath(state), state.decodeState, state.settings, state.plugins, state.window,
                          direction > 0 ? 1 : -1, state.picture);
        }
        state.viewResetPending = 1;
    }
    UpdateMenus(state);
    return true;
}
