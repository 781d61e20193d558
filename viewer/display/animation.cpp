// Animation playback; see animation.h. Every frame is drawn onto one canvas,
// the canvas is disposed of as the frame asks, and a copy of the canvas after
// the frame is the picture shown. The same steps serve GIF, animated PNG and
// WebP; only how a frame's disposal and blending are read differs.
#include "viewer/display/animation.h"

#include <mmsystem.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "viewer/core/command_ids.h"
#include "viewer/core/input_waiting.h"
#include "viewer/core/pixel_limit.h"
#include "viewer/core/viewer_state.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/decoder_steps.h"
#include "viewer/display/compose.h"
#include "viewer/display/geometry.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/look/frame_colour.h"

namespace {

// A frame later than this after its time is not caught up with: the
// schedule starts afresh from it (after a stall such as a held menu).
constexpr int32_t kMaxCatchUpMs = 100;

// A rebuild of frames that has run this long looks for waiting input.
constexpr DWORD kYieldAfterMs = 100;

enum class Kind { None, Gif, Png, Webp };

Kind KindOf(const wchar_t* path) {
    const wchar_t* extension = PathFindExtensionW(path);
    if (lstrcmpiW(extension, L".gif") == 0) return Kind::Gif;
    if (lstrcmpiW(extension, L".png") == 0) return Kind::Png;
    if (lstrcmpiW(extension, L".webp") == 0) return Kind::Webp;
    return Kind::None;
}

enum class Disposal { Keep, Background, Previous };

struct FrameRule {
    bool blend;
    Disposal disposal;
};

// How frame `index` is laid on the canvas and what becomes of it afterwards.
// The codes: GIF 0 to 3 as its control extension has them; APNG the dispose
// operation plus one (negative for "IDAT" frames, plus 8 to blend); WebP 0 or
// 2, plus 8 in a file of several frames. 2 clears, 3 restores, others keep.
FrameRule RuleOf(Kind kind, const DecodedPicture& frame, int32_t index) {
    int32_t code = frame.disposal;
    bool blend = true;
    if (kind == Kind::Gif) {
        // Frame 0 lies on an empty canvas, where blending and copying agree.
        blend = index != 0;
    } else if (kind == Kind::Png) {
        code = std::abs(code);
        blend = code >= 8;
        if (code >= 8) code -= 8;
    } else {
        if (code >= 8) code -= 8;
        blend = frame.premultipliedAlpha != 0;
    }
    return {blend, code == 2 ? Disposal::Background : code == 3 ? Disposal::Previous : Disposal::Keep};
}

HBITMAP NewSection(int32_t width, int32_t height, uint32_t** bits) {
    void* pixels = nullptr;
    HBITMAP section = CreateTopDownSection(nullptr, width, height, &pixels);
    *bits = static_cast<uint32_t*>(pixels);
    return section;
}

// The pixels of a 32-bit DIB section. Every built-in decoder and this file
// make them top-down; the header's sign does not tell (Wine reports the
// height positive), so it is not asked.
bool PlaneOf(HBITMAP bitmap, PixelPlane& plane) {
    DIBSECTION dib = {};
    if (GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits || dib.dsBm.bmBitsPixel != 32 ||
        dib.dsBmih.biCompression != BI_RGB) {
        return false;
    }
    GdiFlush();
    plane = {static_cast<uint32_t*>(dib.dsBm.bmBits), dib.dsBm.bmWidth, dib.dsBm.bmHeight};
    return true;
}

// Any other bitmap (a plug-in's) read out as opaque 32-bit rows.
bool ReadPlane(HBITMAP bitmap, std::vector<uint32_t>& store, PixelPlane& plane) {
    BITMAP bm = {};
    if (!GetObjectW(bitmap, sizeof(bm), &bm) || !WithinPixelLimit(bm.bmWidth, bm.bmHeight)) {
        return false;
    }
    store.assign(static_cast<size_t>(bm.bmWidth) * bm.bmHeight, 0);
    BITMAPINFO info = TopDownInfo(bm.bmWidth, bm.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, bm.bmHeight, store.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != bm.bmHeight) return false;
    for (uint32_t& pixel : store) pixel |= 0xFF000000u;
    plane = {store.data(), bm.bmWidth, bm.bmHeight};
    return true;
}

// Makes `state.frameCanvas` at least `width` × `height`, keeping its pixels
// at the top left; sets `viewResetPending` when it grew.
bool GrowCanvas(ViewerState& state, int32_t width, int32_t height, PixelPlane& canvas) {
    PixelPlane old = {};
    if (state.frameCanvas && PlaneOf(state.frameCanvas, old) && old.width == width && old.height == height) {
        canvas = old;
        return true;
    }
    uint32_t* bits = nullptr;
    HBITMAP grown = NewSection(width, height, &bits);
    if (!grown) return state.frameCanvas && PlaneOf(state.frameCanvas, canvas);
    canvas = {bits, width, height};
    if (state.frameCanvas) {
        if (old.pixels) DrawFrameOnto(canvas, old.pixels, old.width, old.height, 0, 0, false);
        DeleteObject(state.frameCanvas);
        state.viewResetPending = 1;
    }
    state.frameCanvas = grown;
    return true;
}

CanvasSnapshots& SnapshotsOf(ViewerState& state) {
    if (!state.canvasSnapshots) state.canvasSnapshots = new CanvasSnapshots();
    return *state.canvasSnapshots;
}

void DropCanvas(ViewerState& state) {
    if (state.frameCanvas) DeleteObject(state.frameCanvas);
    state.frameCanvas = nullptr;
}

// Lays the pixels of frame number `index` at (`left`, `top`) on the canvas
// and disposes of them as `rule` asks. Returns a copy of the canvas as it
// stands with the frame drawn, when `wantShown`; `opaque` tells whether that
// copy has any transparency.
HBITMAP ComposePlane(ViewerState& state, const PixelPlane& source, FrameRule rule, int32_t left, int32_t top,
                     int32_t index, bool wantShown, bool& opaque) {
    PixelPlane canvas = {};
    if (state.frameCanvas && !PlaneOf(state.frameCanvas, canvas)) DropCanvas(state);
    // Each pass of the animation starts from an empty canvas.
    if (index == 0 && canvas.pixels) ClearRectangle(canvas, 0, 0, canvas.width, canvas.height);
    if (canvas.pixels && WantsSnapshot(SnapshotsOf(state), index)) KeepSnapshot(SnapshotsOf(state), index, canvas);
    // Canvas coordinates are those of the animation's screen: a frame that
    // reaches beyond the canvas enlarges it. A frame placed outside any
    // sensible canvas is drawn clipped, on a canvas of its own size at least,
    // within the pixel limit.
    int32_t width = 0, height = 0;
    if (!CoveringSize(canvas.width, canvas.height, left, top, source.width, source.height, width, height)) {
        width = canvas.pixels ? canvas.width : source.width;
        height = canvas.pixels ? canvas.height : source.height;
        if (!WithinPixelLimit(width, height)) return nullptr;
    }
    if (!GrowCanvas(state, width, height, canvas)) return nullptr;

    // Only what the frame covers changes, so only that is kept to put back.
    SavedArea before;
    const size_t count = static_cast<size_t>(canvas.width) * canvas.height;
    if (rule.disposal == Disposal::Previous) before = SaveArea(canvas, left, top, source.width, source.height);
    DrawFrameOnto(canvas, source.pixels, source.width, source.height, left, top, rule.blend);

    HBITMAP shown = nullptr;
    if (wantShown) {
        uint32_t* bits = nullptr;
        shown = NewSection(canvas.width, canvas.height, &bits);
        if (shown) {
            std::memcpy(bits, canvas.pixels, count * 4);
            opaque = AllOpaque(bits, count);
            ConvertComposedFrame(state.decodeState, state.settings, state.window, reinterpret_cast<uint8_t*>(bits),
                                 canvas.width, canvas.height);
        }
    }
    if (rule.disposal == Disposal::Background) {
        ClearRectangle(canvas, left, top, source.width, source.height);
    } else if (rule.disposal == Disposal::Previous) {
        RestoreArea(canvas, before);
    }
    return shown;
}

// The same for a decoded frame.
HBITMAP ComposeOnCanvas(ViewerState& state, Kind kind, const DecodedPicture& frame, int32_t index, bool wantShown,
                        bool& opaque) {
    std::vector<uint32_t> store;
    PixelPlane source = {};
    if (!PlaneOf(frame.bitmap, source) && !ReadPlane(frame.bitmap, store, source)) return nullptr;
    return ComposePlane(state, source, RuleOf(kind, frame, index), frame.frameRect.left, frame.frameRect.top, index,
                        wantShown, opaque);
}

// Puts up the composed picture with the facts of the frame that made it.
void ShowComposed(ViewerState& state, const DecodedPicture& frame, HBITMAP shown, bool opaque) {
    FreePictureBitmaps(state.picture.bitmap, state.displayBitmap);
    BITMAP bm = {};
    GetObjectW(shown, sizeof(bm), &bm);
    state.picture = frame;
    state.picture.bitmap = shown;
    state.picture.width = bm.bmWidth;
    state.picture.height = bm.bmHeight;
    state.picture.premultipliedAlpha = opaque ? 0 : 1;
}

const wchar_t* CurrentPath(const ViewerState& state) { return state.fileList.paths[state.currentIndex].c_str(); }

// Frame `index` decoded on its own into a record carrying the facts of the
// picture shown (a decoder writes only the fields it knows).
DecodedPicture DecodeFrame(ViewerState& state, int32_t index) {
    DecodedPicture frame = state.picture;
    frame.bitmap = nullptr;
    state.decodeState.subIndex = index;
    DecodePicture(CurrentPath(state), state.decodeState, state.settings, state.plugins, state.window, 1, frame);
    return frame;
}

// Replaces the pending tick by one `milliseconds` from now.
void ArmTickIn(ViewerState& state, UINT milliseconds) {
    if (state.animationTimer) timeKillEvent(state.animationTimer);
    state.animationTimer = timeSetEvent(milliseconds, state.timerPeriod, TimerCallback,
                                        reinterpret_cast<DWORD_PTR>(state.window),
                                        TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
}

// The next tick `lastStepTick` + the current delay from now, by a one-shot
// timer; a frame whose time has passed (a late one, or delay 0) is followed
// after the shortest wait, 1 ms, which leaves the queue empty for a moment.
void ArmNextTick(ViewerState& state) {
    const int32_t remaining =
        static_cast<int32_t>(state.lastStepTick + static_cast<DWORD>(state.picture.delayMs) - FrameClock());
    ArmTickIn(state, remaining > 0 ? static_cast<UINT>(remaining) : 1);
}

}  // namespace

DWORD FrameClock() { return timeGetTime(); }

void CALLBACK TimerCallback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    PostMessageW(reinterpret_cast<HWND>(user), WM_COMMAND, IDM_ARC_NEXT, 1);
}

void PrepareAnimation(ViewerState& state, const wchar_t* path) {
    state.animated = 0;
    if (!state.picture.bitmap) return;
    const Kind kind = KindOf(path);
    bool animated = false;
    if (kind == Kind::Gif) {
        animated = CountGifFrames(path, state.decodeState) >= 2;
    } else if (kind == Kind::Png) {
        DecodedPicture facts = state.picture;
        int32_t depth = -1;
        ReadApngInfo(path, state.decodeState, facts, depth, animated);
    } else if (kind == Kind::Webp && state.picture.disposal >= 8) {
        animated = true;
        state.picture.disposal -= 8;
    }
    if (!animated) return;
    ReleaseAnimationCanvas(state);
    bool opaque = false;
    HBITMAP shown = ComposeOnCanvas(state, kind, state.picture, 0, true, opaque);
    if (!shown) return;
    const DecodedPicture frame = state.picture;
    ShowComposed(state, frame, shown, opaque);
    state.animated = 1;
}

void StopAnimation(ViewerState& state) {
    if (!state.animationRunning) return;
    state.animationRunning = 0;
    if (state.animationTimer) timeKillEvent(state.animationTimer);
    state.animationTimer = 0;
}

void ToggleAnimation(ViewerState& state) {
    if (state.lastListIndex == -1 || !state.settings.Anime || !state.animated) return;
    if (state.animationRunning) {
        StopAnimation(state);
        return;
    }
    state.animationRunning = 1;
    state.lastStepTick = FrameClock();
    ArmNextTick(state);
}

void PostponeTick(ViewerState& state) {
    // Often enough that the animation goes on at once when the drag ends,
    // seldom enough to cost nothing while it lasts.
    constexpr UINT kRetryMs = 20;
    if (state.animationRunning) ArmTickIn(state, kRetryMs);
}

void ShowNextFrame(ViewerState& state, bool fromTimer) {
    if (state.lastListIndex < 0) return;
    // A posted tick is taken before any key or click; when frames fall
    // behind, ticks follow each other without a gap. A tick that finds input
    // waiting gives way to it and comes again after 1 ms, so that the
    // animation can always be stopped.
    if (fromTimer && state.animationRunning && HIWORD(GetQueueStatus(QS_INPUT))) {
        ArmTickIn(state, 1);
        return;
    }
    // Frames keep to the schedule of their delays: a tick that comes a little
    // late (or early) counts from when it was due, so the lateness of one
    // frame is not added to every frame after it.
    const DWORD now = FrameClock();
    const int32_t delay = state.picture.delayMs > 0 ? state.picture.delayMs : 0;
    const int32_t late = static_cast<int32_t>(now - (state.lastStepTick + static_cast<DWORD>(delay)));
    const bool onSchedule = fromTimer && state.animationRunning && late >= -delay && late <= kMaxCatchUpMs;
    state.lastStepTick = onSchedule ? state.lastStepTick + static_cast<DWORD>(delay) : now;

    DecodedPicture frame = DecodeFrame(state, state.decodeState.subIndex + 1);
    if (state.decodeState.subIndex == 0) ++state.loopsDone;
    if (state.settings.LoopCount && frame.loopCount != 0 && state.loopsDone == frame.loopCount) {
        // The last frame of the last pass stays; a new start plays from frame 0.
        StopAnimation(state);
        state.decodeState.subIndex = -1;
        state.loopsDone = -1;
        if (frame.bitmap) DeleteObject(frame.bitmap);
        return;
    }
    HBITMAP shown = nullptr;
    bool opaque = false;
    if (frame.bitmap) {
        shown = ComposeOnCanvas(state, KindOf(CurrentPath(state)), frame, state.decodeState.subIndex, true, opaque);
        DeleteObject(frame.bitmap);
        frame.bitmap = nullptr;
    }
    if (shown) {
        ShowComposed(state, frame, shown, opaque);
    } else {
        // A frame that cannot be decoded leaves the picture as it was, for
        // the frame's own time.
        state.picture.delayMs = frame.delayMs;
    }
    if (state.animationRunning && fromTimer) ArmNextTick(state);
}

bool ComposeFrame(ViewerState& state, int32_t index) {
    if (state.lastListIndex < 0 || index < 0) return false;
    const Kind kind = KindOf(CurrentPath(state));
    const int32_t shownIndex = state.decodeState.subIndex;
    // The frames are laid on a canvas of their own from the nearest kept
    // canvas; the shown frame's canvas stays until the new picture is whole.
    HBITMAP shownCanvas = state.frameCanvas;
    state.frameCanvas = nullptr;
    int32_t start = 0;
    if (const CanvasSnapshot* snapshot = NearestSnapshot(SnapshotsOf(state), index)) {
        uint32_t* bits = nullptr;
        state.frameCanvas = NewSection(snapshot->width, snapshot->height, &bits);
        if (state.frameCanvas) {
            std::memcpy(bits, snapshot->pixels.data(), snapshot->pixels.size() * 4);
            start = snapshot->frame;
        }
    }
    HBITMAP shown = nullptr;
    bool opaque = false;
    DecodedPicture last = state.picture;
    Buffer<uint32_t> pixels;
    const DWORD began = GetTickCount();
    for (int32_t j = start; j <= index; ++j) {
        // A long rebuild gives way to a key or a click: the step back is not
        // taken, and the canvases kept so far make the next one shorter. The
        // release of the key that asked for it is no reason to give way.
        if ((j - start) % 64 == 63 && GetTickCount() - began >= kYieldAfterMs && PressWaiting()) {
            if (shown) DeleteObject(shown);
            DropCanvas(state);
            state.frameCanvas = shownCanvas;
            state.decodeState.subIndex = shownIndex;
            return false;
        }
        // The frames on the way are only laid on the canvas: a GIF's are read
        // straight from the file, without a bitmap of their own.
        DecodedPicture facts = state.picture;
        if (kind == Kind::Gif && j < index && DecodeGifFrameFast(state.decodeState, j, pixels, facts)) {
            const PixelPlane source = {pixels.data(), facts.frameRect.width, facts.frameRect.height};
            ComposePlane(state, source, RuleOf(kind, facts, j), facts.frameRect.left, facts.frameRect.top, j, false,
                         opaque);
            continue;
        }
        DecodedPicture frame = DecodeFrame(state, j);
        if (frame.bitmap) {
            if (shown) DeleteObject(shown);
            shown = ComposeOnCanvas(state, kind, frame, j, j == index, opaque);
            DeleteObject(frame.bitmap);
        }
        last = frame;
    }
    if (shownCanvas) DeleteObject(shownCanvas);
    state.decodeState.subIndex = index;
    if (shown) ShowComposed(state, last, shown, opaque);
    state.lastStepTick = FrameClock();
    return true;
}

void ReleaseAnimationCanvas(ViewerState& state) {
    DropCanvas(state);
    delete state.canvasSnapshots;
    state.canvasSnapshots = nullptr;
}
