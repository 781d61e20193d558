// Feeds arbitrary messages to the host protocol as a hostile host would send
// them, and reads the blocks of every answer that passes the checks from a
// section of exactly the size it claims: a read outside it is an ASan fault.
#include <cstdint>
#include <cstring>
#include <vector>

#include "viewer/plugins/host_protocol.h"
#include "viewer/plugins/plugin_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < host::kHeaderBytes) return 0;
    uint8_t header[host::kHeaderBytes];
    memcpy(header, data, sizeof header);
    uint32_t kind = 0, length = 0;
    if (!host::ReadHeader(header, kind, length)) return 0;
    std::vector<uint8_t> body(data + sizeof header, data + size);
    if (length > body.size()) return 0;
    host::Request request;
    host::DecodeRequest(kind, body.data(), length, request);
    host::Answer answer;
    if (!host::DecodeAnswer(kind, body.data(), length, answer)) return 0;
    if (!host::BlocksFitSection(answer, 1 << 16)) return 0;
    std::vector<uint8_t> section(answer.sectionSize);
    for (size_t i = 0; i < section.size(); ++i) section[i] = static_cast<uint8_t>(i * 31 + size);
    // Every byte the blocks claim is read, under the address sanitizer.
    uint8_t sum = 0;
    for (uint64_t i = 0; i < answer.firstSize + answer.secondSize; ++i) sum = static_cast<uint8_t>(sum + section[i]);
    static volatile uint8_t sink;
    sink = sum;
    if (host::PictureBlocksPlausible(answer)) {
        std::vector<uint8_t> info(section.begin(), section.begin() + answer.firstSize);
        DibBlocksFit(info.data(), info.size(), answer.secondSize);
    }
    return 0;
}
