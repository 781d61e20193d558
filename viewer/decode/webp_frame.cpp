// WebP frames through libwebp: the demultiplexer finds frame `subIndex` in
// the whole-file buffer (which it reads in place, without a copy) and tells
// its placement, duration, disposal and blending; the decoder writes the
// frame's pixels straight into a 32-bit top-down DIB section. The
// demultiplexer is made once per buffer and kept with it, so that a frame
// costs no walk over the whole file.
#include <webp/decode.h>
#include <webp/demux.h>

#include "viewer/core/pixel_limit.h"
#include "viewer/decode/decoder_steps.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/decode/frame_index.h"
#include "viewer/imaging/wic_decode.h"

namespace {

// Owns the frame iterator.
struct FrameOf {
    WebPIterator frame = {};
    bool have = false;
    FrameOf() = default;
    FrameOf(const FrameOf&) = delete;
    FrameOf& operator=(const FrameOf&) = delete;
    ~FrameOf() {
        if (have) WebPDemuxReleaseIterator(&frame);
    }
};

}  // namespace

void FreeWebpDemuxer(WebPDemuxer* demux) {
    if (demux) WebPDemuxDelete(demux);
}

HBITMAP DecodeWebpFrame(const wchar_t* path, DecodeState& state, DecodedPicture& picture, bool& tooLarge) {
    if (!ReadFileBuffer(path, state)) return nullptr;
    FrameIndex* index = FrameIndexOf(state);
    if (!index) return nullptr;
    if (!index->webpWalked) {
        const WebPData data = {state.fileBuffer, state.fileLength};
        index->webp.reset(WebPDemux(&data));
        index->webpWalked = true;
    }
    WebPDemuxer* demux = index->webp.get();
    if (!demux) return nullptr;
    const uint32_t count = WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT);
    if (count == 0) return nullptr;
    // An animation's frames are composed on its whole canvas, whose sides
    // may reach 2^24 each.
    const uint32_t canvasWidth = WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH);
    const uint32_t canvasHeight = WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
    if (count > 1 && !WithinPixelLimit(canvasWidth, canvasHeight)) {
        tooLarge = true;
        return nullptr;
    }
    state.subIndex = NormalizeSubIndex(state.subIndex, count);
    FrameOf d;
    d.have = WebPDemuxGetFrame(demux, state.subIndex + 1, &d.frame) != 0;
    if (!d.have) return nullptr;

    int width = 0, height = 0;
    const WebPIterator& frame = d.frame;
    if (!WebPGetInfo(frame.fragment.bytes, frame.fragment.size, &width, &height) || width <= 0 || height <= 0) {
        return nullptr;
    }
    if (!FrameWithinPixelLimit(frame.x_offset, frame.y_offset, width, height)) {
        tooLarge = true;
        return nullptr;
    }
    if (!FitsDecodedBytesLimit(count > 1 ? canvasWidth : static_cast<uint32_t>(width),
                               count > 1 ? canvasHeight : static_cast<uint32_t>(height))) {
        return nullptr;
    }
    // The first frame of an animation stands on the whole canvas, so that the
    // picture has the canvas's size even where the frame is smaller; on the
    // empty canvas that changes nothing else.
    int left = frame.x_offset, top = frame.y_offset;
    int sectionWidth = width, sectionHeight = height;
    if (count > 1 && state.subIndex == 0) {
        if (static_cast<int64_t>(canvasWidth) >= left + width && static_cast<int64_t>(canvasHeight) >= top + height) {
            sectionWidth = static_cast<int>(canvasWidth);
            sectionHeight = static_cast<int>(canvasHeight);
        } else {
            left = top = 0;
        }
    } else {
        left = top = 0;
    }
    // Within the pixel limit, so within 32 bits.
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
    picture.backgroundColor = static_cast<int32_t>(WebPDemuxGetI(demux, WEBP_FF_BACKGROUND_COLOR));
    picture.loopCount = static_cast<int32_t>(WebPDemuxGetI(demux, WEBP_FF_LOOP_COUNT));
    return section;
}
