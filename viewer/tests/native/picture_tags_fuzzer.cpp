// Feeds arbitrary bytes to the orientation and profile walkers and to the
// sRGB rule: the orientation stays 1 to 8, a profile found is never larger
// than the bound, and nothing reads outside the data.
#include <cstdint>
#include <vector>

#include "viewer/formats/icc_rules.h"
#include "viewer/formats/picture_tags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    PictureTags tags;
    ReadPictureTags(copy.data(), copy.size(), true, true, tags);
    if (tags.orientation < 1 || tags.orientation > 8 || tags.profile.size() > kMaxProfileBytes) __builtin_trap();
    if (!tags.profile.empty()) IsSrgbProfile(tags.profile.data(), tags.profile.size());
    // The bytes as a profile of their own.
    IsSrgbProfile(copy.data(), copy.size());
    return 0;
}
