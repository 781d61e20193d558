// Feeds arbitrary bytes to the GIF walker: the index, the facts, the
// single-frame file and the decoded pixels of every frame must stay inside
// the data.
#include <cstdint>
#include <vector>

#include "viewer/formats/gif_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);  // exactly `size` bytes, so a read past them is caught
    GifIndex index;
    if (!IndexGifFrames(copy.data(), copy.size(), index)) return 0;
    Buffer<uint8_t> frame;
    for (uint32_t k = 0; k < index.frames.size() && k < 64; ++k) {
        const GifFrameFacts facts = ReadGifFacts(copy.data(), copy.size(), index, k);
        if (facts.disposal < 0 || facts.disposal > 3 || facts.width < 0 || facts.depth < 1 || facts.depth > 8) {
            __builtin_trap();
        }
        // At most the file, a trailer and a grey table where it has none.
        if (!BuildGifFrameBytes(copy.data(), copy.size(), index, k, frame) || frame.size() > copy.size() + 1 + 768) {
            __builtin_trap();
        }
        Buffer<uint32_t> pixels;
        if (int64_t{facts.width} * facts.height <= 4096 &&
            DecodeGifFramePixels(copy.data(), copy.size(), index, k, pixels) &&
            pixels.size() != static_cast<size_t>(facts.width) * facts.height) {
            __builtin_trap();
        }
    }
    return 0;
}
