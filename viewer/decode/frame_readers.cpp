// The frame readers of GIF, animated PNG and icon files: the byte walkers of
// gif_frames.h, png_frames.h and icon_image.h applied to the whole-file
// buffer, and the single-image files they build decoded with WIC. The walk
// over a GIF or PNG is made once per buffer and kept with it; frames that
// would pass the pixel limit are refused before anything is built.
#include <cstdlib>
#include <new>

#include "viewer/core/pixel_limit.h"
#include "viewer/decode/decoder_steps.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/decode/frame_index.h"
#include "viewer/formats/icon_image.h"
#include "viewer/imaging/wic_decode.h"

FrameIndex* FrameIndexOf(const DecodeState& state) {
    DecodeState& owner = const_cast<DecodeState&>(state);
    if (!owner.frameIndex) owner.frameIndex = new (std::nothrow) FrameIndex();
    FrameIndex* index = owner.frameIndex;
    if (index && (index->buffer != state.fileBuffer || index->length != state.fileLength)) {
        *index = FrameIndex();
        index->buffer = state.fileBuffer;
        index->length = state.fileLength;
    }
    return index;
}

namespace {

// Without memory for an index the file has no frames (isGif, isPng false).
const GifIndex& GifIndexOf(const DecodeState& state) {
    static const GifIndex kNoFrames;
    FrameIndex* index = FrameIndexOf(state);
    if (!index) return kNoFrames;
    if (!index->gifWalked) {
        IndexGifFrames(state.fileBuffer, state.fileLength, index->gif);
        index->gifWalked = true;
    }
    return index->gif;
}

const PngIndex& PngIndexOf(const DecodeState& state) {
    static const PngIndex kNoFrames;
    FrameIndex* index = FrameIndexOf(state);
    if (!index) return kNoFrames;
    if (!index->pngWalked) {
        IndexPngChunks(state.fileBuffer, state.fileLength, index->png);
        index->pngWalked = true;
    }
    return index->png;
}

HBITMAP DecodePremultiplied(const Buffer<uint8_t>& file) {
    HBITMAP bitmap = DecodeWicMemory(file.data(), static_cast<uint32_t>(file.size()));
    if (bitmap) PremultiplyAlpha(bitmap);
    return bitmap;
}

}  // namespace

uint32_t CountGifFrames(const wchar_t* path, DecodeState& state) {
    if (!ReadFileBuffer(path, state)) {
        state.subIndex = 0;
        return 0;
    }
    const uint32_t count = static_cast<uint32_t>(GifIndexOf(state).frames.size());
    state.subIndex = NormalizeSubIndex(state.subIndex, count);
    return count;
}

void ReadGifFrameFacts(const DecodeState& state, DecodedPicture& picture, int32_t& depth) {
    const GifIndex& index = GifIndexOf(state);
    const uint32_t k = static_cast<uint32_t>(state.subIndex);
    if (!index.isGif || k >= index.frames.size()) return;
    const GifFrameFacts facts = ReadGifFacts(state.fileBuffer, state.fileLength, index, k);
    depth = facts.depth;
    picture.frameRect = {facts.left, facts.top, facts.width, facts.height};
    picture.disposal = facts.disposal;
    picture.transparentColor = facts.transparentColor;
    picture.backgroundColor = facts.backgroundColor;
}

bool GifHasColours(const DecodeState& state) {
    const GifIndex& index = GifIndexOf(state);
    return !index.isGif || GifFrameHasColours(state.fileBuffer, index, static_cast<uint32_t>(state.subIndex));
}

HBITMAP BuildGifFrame(const DecodeState& state, DecodedPicture& picture, bool& tooLarge) {
    const GifIndex& index = GifIndexOf(state);
    const uint32_t k = static_cast<uint32_t>(state.subIndex);
    Buffer<uint8_t> file;
    if (!BuildGifFrameBytes(state.fileBuffer, state.fileLength, index, k, file)) return nullptr;
    const GifFrameFacts facts = ReadGifFacts(state.fileBuffer, state.fileLength, index, k);
    tooLarge = !FrameWithinPixelLimit(facts.left, facts.top, facts.width, facts.height);
    if (tooLarge || !FitsDecodedBytesLimit(facts.left + facts.width, facts.top + facts.height)) return nullptr;
    if (facts.delayMs >= 0) picture.delayMs = facts.delayMs;
    if (facts.loopCount >= 0) picture.loopCount = facts.loopCount;
    picture.frameRect = {facts.left, facts.top, facts.width, facts.height};
    return DecodePremultiplied(file);
}

bool DecodeGifFrameFast(const DecodeState& state, uint32_t k, Buffer<uint32_t>& pixels,
                        DecodedPicture& picture) {
    if (!state.fileBuffer) return false;
    const GifIndex& index = GifIndexOf(state);
    if (!index.isGif || k >= index.frames.size()) return false;
    const GifFrameFacts facts = ReadGifFacts(state.fileBuffer, state.fileLength, index, k);
    if (!FrameWithinPixelLimit(facts.left, facts.top, facts.width, facts.height)) return false;
    if (!DecodeGifFramePixels(state.fileBuffer, state.fileLength, index, k, pixels)) return false;
    picture.frameRect = {facts.left, facts.top, facts.width, facts.height};
    picture.disposal = facts.disposal;
    return true;
}

uint32_t ScanPngFile(DecodeState& state, DecodedPicture& picture, int32_t& depth, bool& animated) {
    const PngIndex& index = PngIndexOf(state);
    animated = false;
    if (!index.isPng) return 0;
    picture.transparentColor = index.transparentColor;
    picture.backgroundColor = -1;
    if (index.depth != -1) depth = index.depth;
    animated = index.animated && index.frameCount > 0;
    if (index.animated) state.subIndex = NormalizeSubIndex(state.subIndex, index.frameCount);
    PngFrameFacts facts;
    if (ReadPngFrameFacts(state.fileBuffer, index, static_cast<uint32_t>(state.subIndex), facts)) {
        picture.frameRect = {facts.left, facts.top, facts.width, facts.height};
        picture.delayMs = facts.delayMs;
        picture.disposal = facts.disposal;
    }
    return index.animated ? index.frameCount : 0;
}

uint32_t ReadApngInfo(const wchar_t* path, DecodeState& state, DecodedPicture& picture, int32_t& depth,
                      bool& animated) {
    animated = false;
    if (!ReadFileBuffer(path, state)) return 0;
    return ScanPngFile(state, picture, depth, animated);
}

bool PngHeaderPastPixelLimit(const DecodeState& state, uint32_t& width, uint32_t& height) {
    const PngIndex& index = PngIndexOf(state);
    width = index.width;
    height = index.height;
    return index.hasHeader && !WithinPixelLimit(width, height);
}

HBITMAP BuildPngFrame(const DecodeState& state, DecodedPicture& picture, bool& tooLarge) {
    const PngIndex& index = PngIndexOf(state);
    PngFrameFacts facts;
    if (ReadPngFrameFacts(state.fileBuffer, index, static_cast<uint32_t>(state.subIndex), facts)) {
        tooLarge = !FrameWithinPixelLimit(facts.left, facts.top, facts.width, facts.height);
        if (tooLarge || !FitsDecodedBytesLimit(facts.left + facts.width, facts.top + facts.height)) return nullptr;
    }
    Buffer<uint8_t> file;
    if (!BuildPngFrameBytes(state.fileBuffer, state.fileLength, index, static_cast<uint32_t>(state.subIndex), file)) {
        return nullptr;
    }
    picture.loopCount = static_cast<int32_t>(index.playCount > 0x7FFFFFFF ? 0x7FFFFFFF : index.playCount);
    return DecodePremultiplied(file);
}

HBITMAP DecodeIconImage(const wchar_t* path, DecodeState& state, DecodedPicture& picture, int32_t& depth) {
    if (!ReadFileBuffer(path, state)) return nullptr;
    IconImage image;
    if (!FindIconImage(state.fileBuffer, state.fileLength, state.subIndex, picture.lastIndex, image)) return nullptr;
    Buffer<uint8_t> file;
    if (!IconImageFile(state.fileBuffer, image, file)) return nullptr;
    HBITMAP bitmap = DecodeWicMemory(file.data(), static_cast<uint32_t>(file.size()));
    if (bitmap && image.depth != -1) depth = image.depth;
    return bitmap;
}
