// Feeds arbitrary bytes to the type check and the name reading, with and without
// collections and the family-letter change. The reading must stay inside the
// image and keep its length; a successful change must leave a correct checksum.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugins/glypho/font_file.h"

namespace {

// After a successful family change of a single font, the 'name' table's
// directory checksum must be the sum of the table as it is now. (Not checked
// for a hostile image whose table covers its own checksum field, or whose
// changed letters lie on its directory record.)
void CheckNameChecksum(const std::vector<uint8_t>& image, const std::vector<uint8_t>& before) {
    using namespace glypho;
    if (image.size() < 12 || IsCollectionTag(image.data(), image.size())) return;
    const size_t tables = ReadU16(image.data() + 4);
    for (size_t i = 0; i < tables; ++i) {
        const size_t record = 12 + 16 * i;
        if (record + 16 > image.size()) return;
        if (std::memcmp(image.data() + record, "name", 4) != 0) continue;
        const uint32_t offset = ReadU32(image.data() + record + 8);
        const uint32_t length = ReadU32(image.data() + record + 12);
        if (std::memcmp(image.data() + record, before.data() + record, 4) != 0 ||
            std::memcmp(image.data() + record + 8, before.data() + record + 8, 8) != 0) {
            return;
        }
        const uint64_t end = (uint64_t{offset} + length + 3) & ~uint64_t{3};
        if (record + 4 < end && offset < record + 8) return;
        if (TableChecksum(image.data(), image.size(), offset, length) != ReadU32(image.data() + record + 4)) {
            std::abort();
        }
        return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace glypho;
    for (bool collections : {false, true}) {
        // An exact-size copy, so that any read past the end is caught.
        std::vector<uint8_t> image(data, data + size);
        CheckFontType(image.data(), image.size(), collections);
        for (uint16_t id : {kNameFullName, kNameFamily, kNameVersion, kNameCopyright}) {
            char16_t name[kNameUnits] = {0};
            const std::vector<uint8_t> before = image;
            int status = ReadFontName(image.data(), image.size(), id, collections, id == kNameFamily, name);
            if (status != kNameOk && status != kNameRefused) std::abort();
            // A refused image is left as it was; a changed one has its checksum.
            if (status == kNameRefused && image != before) std::abort();
            if (status == kNameOk && id == kNameFamily && image != before) CheckNameChecksum(image, before);
            size_t length = 0;
            while (length < kNameUnits && name[length] != 0) ++length;
            if (length >= kNameUnits) std::abort();
            FaceNameOfAlteredFamily(name);
        }
        if (image.size() != size) std::abort();
    }
    return 0;
}
