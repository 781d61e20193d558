// libFuzzer target over the collection parser: lists the members of the input
// and extracts each one that is not too big, checking that extraction agrees
// with the size it was given. The base name is fuzzed from the same bytes.
#include <cstdint>
#include <cstring>
#include <vector>

#include "plugins/collo/collection.h"

namespace {

bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    spi::ArchiveMemberRecord records[collo::kMaxListedMembers];
    uint32_t count = 0;
    const int32_t listed = collo::ListMembers(data, size, "fuzz", 0, records, &count);
    if (listed == spi::kSuccess && count > collo::kMaxListedMembers) __builtin_trap();

    for (uint32_t k = 0; k < collo::kMaxListedMembers + 2; ++k) {
        uint32_t memberSize = 0;
        if (collo::MemberSize(data, size, k, &memberSize) != spi::kSuccess) continue;
        if (k < count && records[k].fileSize != memberSize) __builtin_trap();
        // Shared tables can make a member far larger than its input; the
        // fuzzer only needs to reach the copying, not to allocate gigabytes.
        if (memberSize > (64u << 20)) continue;
        std::vector<uint8_t> out(memberSize);
        if (collo::ExtractMember(data, size, k, out.data(), out.size()) != spi::kSuccess)
            __builtin_trap();
    }

    std::vector<char> path(data, data + (size < 400 ? size : 400));
    path.push_back('\0');
    char base[collo::kMaxBaseNameBytes + 1];
    collo::CollectionBaseName(path.data(), ShiftJisLead, base);
    char name[200];
    collo::FormatMemberName(base, count, name);
    if (std::strlen(name) > 199) __builtin_trap();
    return 0;
}
