// Feeds arbitrary bytes to the icon directory walker and to the TIFF depth
// reader (the same bytes taken as either): both must stay inside the data.
#include <cstdint>
#include <vector>

#include "viewer/formats/icon_image.h"
#include "viewer/formats/tiff_depth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    for (int32_t wanted : {0, 1, -1, 70000}) {
        int32_t subIndex = wanted, lastIndex = -1;
        IconImage image;
        if (FindIconImage(copy.data(), copy.size(), subIndex, lastIndex, image)) {
            if (image.offset > copy.size() || image.length > copy.size() - image.offset) __builtin_trap();
            Buffer<uint8_t> file;
            IconImageFile(copy.data(), image, file);
            if (file.size() > image.length + size_t{22}) __builtin_trap();
        }
    }
    if (ReadTiffBitDepth(copy.data(), copy.size()) < 0) __builtin_trap();
    return 0;
}
