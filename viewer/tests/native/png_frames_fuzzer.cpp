// Feeds arbitrary bytes to the PNG chunk walker: the index, the facts and the
// single-frame file of every frame must stay inside the data.
#include <cstdint>
#include <vector>

#include "viewer/formats/png_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    PngIndex index;
    if (!IndexPngChunks(copy.data(), copy.size(), index)) return 0;
    if (index.frameCount > index.controls.size()) __builtin_trap();
    Buffer<uint8_t> frame;
    PngFrameFacts facts;
    for (uint32_t k = 0; k < index.frameCount && k < 64; ++k) {
        if (!ReadPngFrameFacts(copy.data(), index, k, facts)) __builtin_trap();
        // 33 bytes of signature and header, the chunks, an end of 12 bytes.
        if (BuildPngFrameBytes(copy.data(), copy.size(), index, k, frame) && frame.size() > copy.size() + 45) {
            __builtin_trap();
        }
    }
    ReadPngFrameFacts(copy.data(), index, 0, facts);
    return 0;
}
