// Feeds arbitrary bytes to the BMP depth rule, which must stay inside them.
#include <cstdint>
#include <cstring>
#include <vector>

#include "viewer/formats/bmp_depth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the given length, so any read past it is caught.
    std::vector<uint8_t> copy(data, data + size);
    int32_t depth = BmpBitDepth(copy.data(), copy.size());
    if (depth < -1 || depth > 255) __builtin_trap();
    return 0;
}
