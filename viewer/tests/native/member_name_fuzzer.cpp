// Feeds arbitrary names to the safe member name rule and arbitrary blocks to
// the bitmap block check and the module machine reader.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/plugins/plugin_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    PeMachine(copy.data(), copy.size());
    if (size >= 4) DibBlocksFit(copy.data(), copy.size(), (size_t{data[0]} << 8) | data[1]);
    std::string name(reinterpret_cast<const char*>(data), size);
    char out[kSafeMemberNameMax + 1];
    if (MakeSafeMemberName(name.c_str(), out)) {
        size_t length = strlen(out);
        if (length == 0 || length > kSafeMemberNameMax) __builtin_trap();
        if (strpbrk(out, "/\\:") || strcmp(out, "..") == 0 || out[length - 1] == '.' || out[length - 1] == ' ')
            __builtin_trap();
    }
    return 0;
}
