// Feeds arbitrary bytes to the type check and the name reading, with and without
// collections and the family-letter change. The reading must stay inside the
// image and keep its length; a successful change must leave a correct checksum.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugins/glypho/font_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace glypho;
    for (bool collections : {false, true}) {
        // An exact-size copy, so that any read past the end is caught.
        std::vector<uint8_t> image(data, data + size);
        CheckFontType(image.data(), image.size(), collections);
        for (uint16_t id : {kNameFullName, kNameFamily, kNameVersion, kNameCopyright}) {
            char16_t name[kNameUnits] = {0};
            int status = ReadFontName(image.data(), image.size(), id, collections, id == kNameFamily, name);
            if (status != kNameOk && status != kNameRefused) std::abort();
            size_t length = 0;
            while (length < kNameUnits && name[length] != 0) ++length;
            if (length >= kNameUnits) std::abort();
            FaceNameOfAlteredFamily(name);
        }
        if (image.size() != size) std::abort();
    }
    return 0;
}
