// WebP frames through libwebp: the demultiplexer finds frame `subIndex` in
// the whole-file buffer (which it reads in place, without a copy) and tells
// its placement, duration, disposal and blending; the decoder writes the
// frame's pixels straight into a 32-bit top-down DIB section.
#include <webp/decode.h>
#include <webp/demux.h>

#include "viewer/decode/decode_file.h"
#include "viewer/decode/decoder_steps.h"
#include "viewer/decode/wic_decode.h"

namespace {

// Owns the demultiplexer and the frame iterator.
struct Demuxed {
    WebPDemuxer* demux = nullptr;
    WebPIterator frame = {};
    bool haveFrame = false;
    Demuxed() = default;
    Demuxed(const Demuxed&) = delete;
    Demuxed& operator=(const Demuxed&) = delete;
    ~Demuxed() {
        if (haveFrame) WebPDemuxReleaseIterator(&frame);
        if (demux) WebPDemuxDelete(demux);
    }
};

}  // namespace

HBITMAP DecodeWebpFrame(const wchar_t* path, DecodeState& state, DecodedPicture& picture) {
    if (!ReadFileBuffer(path, state)) return nullptr;
    Demuxed d;
    const WebPData data = {state.fileBuffer, state.fileLength};
    d.demux = WebPDemux(&data);
    if (!d.demux) return nullptr;
    const uint32_t count = WebPDemuxGetI(d.demux, WEBP_FF_FRAME_COUNT);
    if (count == 0) return nullptr;
    state.subIndex = NormalizeSubIndex(state.subIndex, count);
    d.haveFrame = WebPDemuxGetFrame(d.demux, state.subIndex + 1, &d.frame) != 0;
    if (!d.haveFrame) return nullptr;

    int width = 0, height = 0;
    const WebPIterator& frame = d.frame;
    if (!WebPGetInfo(frame.fragment.bytes, frame.fragment.size, &width, &height) || width <= 0 || height <= 0) {
        return nullptr;
    }
    // The first frame of an animation stands on the whole canvas, so that the
    // picture has the canvas's size even where the frame is smaller; on the
    // empty canvas that changes nothing else.
    int left = frame.x_offset, top = frame.y_offset;
    int sectionWidth = width, sectionHeight = height;
    if (count > 1 && state.subIndex == 0) {
        const int canvasWidth = static_cast<int>(WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_WIDTH));
        const int canvasHeight = static_cast<int>(WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_HEIGHT));
        if (canvasWidth >= left + width && canvasHeight >= top + height) {
            sectionWidth = canvasWidth;
            sectionHeight = canvasHeight;
        } else {
            left = top = 0;
        }
    } else {
        left = top = 0;
    }
    // WebP sides are at most 16,383, so this stays within 32 bits.
    const size_t stride = static_cast<size_t>(sectionWidth) * 4;
    const size_t bytes = stride * static_cast<size_t>(sectionHeight);
    void* bits = nullptr;
    HBITMAP section = CreateTopDownSection(nullptr, sectionWidth, sectionHeight, &bits);
    if (!section) return nullptr;
    uint8_t* at = static_cast<uint8_t*>(bits) + static_cast<size_t>(top) * stride + static_cast<size_t>(left) * 4;
    if (!WebPDecodeBGRAInto(frame.fragment.bytes, frame.fragment.size, at, bytes - (at - static_cast<uint8_t*>(bits)),
                            static_cast<int>(stride))) {
        DeleteObject(section);
        return nullptr;
    }
    // The canvas blends premultiplied pixels; a frame that replaces its area
    // (no blending) must carry premultiplied pixels too, or its half-transparent
    // pixels would be painted too bright.
    if (frame.has_alpha) PremultiplyPixels(static_cast<uint8_t*>(bits), bytes / 4);

    picture.frameRect = {frame.x_offset - left, frame.y_offset - top, sectionWidth, sectionHeight};
    picture.delayMs = frame.duration > 0 ? frame.duration : 100;
    picture.disposal = frame.dispose_method == WEBP_MUX_DISPOSE_BACKGROUND ? 2 : 0;
    if (count > 1) picture.disposal += 8;
    // A still picture with alpha is always drawn blended.
    picture.premultipliedAlpha =
        frame.has_alpha && (frame.blend_method == WEBP_MUX_BLEND || count == 1) ? 1 : 0;
    picture.backgroundColor = static_cast<int32_t>(WebPDemuxGetI(d.demux, WEBP_FF_BACKGROUND_COLOR));
    picture.loopCount = static_cast<int32_t>(WebPDemuxGetI(d.demux, WEBP_FF_LOOP_COUNT));
    return section;
}
