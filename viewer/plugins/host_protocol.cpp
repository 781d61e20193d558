// The host protocol; see host_protocol.h. Numbers travel little-endian in
// fixed order; a text is its length and its bytes. Reading goes through a
// cursor that refuses what is not there.
#include "viewer/plugins/host_protocol.h"

namespace host {
namespace {

struct Writer {
    std::vector<uint8_t> bytes;
    void Number(uint64_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void Text(const void* data, size_t length) {
        Number(length, 4);
        const auto* begin = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), begin, begin + length);
    }
};

struct Reader {
    const uint8_t* data;
    size_t length;
    size_t position;
    bool sound;
    uint64_t Number(int size) {
        if (!sound || length - position < static_cast<size_t>(size)) {
            sound = false;
            return 0;
        }
        uint64_t value = 0;
        for (int i = 0; i < size; ++i) value |= uint64_t{data[position + i]} << (8 * i);
        position += size;
        return value;
    }
    template <typename Bytes>
    void Text(Bytes& out) {
        const uint64_t size = Number(4);
        if (!sound || size > kMaxText || length - position < size) {
            sound = false;
            return;
        }
        out.assign(data + position, data + position + size);
        position += size;
    }
    bool Finished() const { return sound && position == length; }
};

std::vector<uint8_t> WithHeader(uint32_t kind, const std::vector<uint8_t>& body) {
    Writer message;
    message.Number(kind, 4);
    message.Number(body.size(), 4);
    message.bytes.insert(message.bytes.end(), body.begin(), body.end());
    return message.bytes;
}

bool IsCall(uint32_t kind) { return kind >= kLoad && kind <= kProgressStop; }
bool IsAnswer(uint32_t kind) { return kind >= kAnswered && kind <= kProgress; }

}  // namespace

std::vector<uint8_t> EncodeRequest(const Request& request) {
    Writer body;
    body.Number(request.slot, 4);
    body.Number(static_cast<uint32_t>(request.number), 4);
    body.Number(static_cast<uint64_t>(request.position), 8);
    body.Number(request.window, 8);
    body.Text(request.text.data(), request.text.size());
    body.Text(request.folder.data(), request.folder.size());
    body.Text(request.bytes.data(), request.bytes.size());
    return WithHeader(request.call, body.bytes);
}

std::vector<uint8_t> EncodeAnswer(const Answer& answer) {
    Writer body;
    body.Number(static_cast<uint32_t>(answer.result), 4);
    for (int32_t value : answer.values) body.Number(static_cast<uint32_t>(value), 4);
    body.Number(answer.section, 8);
    body.Number(answer.sectionSize, 8);
    body.Number(answer.firstSize, 8);
    body.Number(answer.secondSize, 8);
    body.Text(answer.text.data(), answer.text.size());
    return WithHeader(answer.kind, body.bytes);
}

bool ReadHeader(const uint8_t (&header)[kHeaderBytes], uint32_t& kind, uint32_t& length) {
    Reader reader{header, kHeaderBytes, 0, true};
    kind = static_cast<uint32_t>(reader.Number(4));
    length = static_cast<uint32_t>(reader.Number(4));
    return (IsCall(kind) || IsAnswer(kind)) && length <= kMaxBody;
}

bool DecodeRequest(uint32_t kind, const uint8_t* body, size_t length, Request& request) {
    if (!IsCall(kind) || length > kMaxBody) return false;
    Reader reader{body, length, 0, true};
    request.call = kind;
    request.slot = static_cast<uint32_t>(reader.Number(4));
    request.number = static_cast<int32_t>(reader.Number(4));
    request.position = static_cast<int64_t>(reader.Number(8));
    request.window = reader.Number(8);
    reader.Text(request.text);
    reader.Text(request.folder);
    reader.Text(request.bytes);
    return reader.Finished();
}

bool DecodeAnswer(uint32_t kind, const uint8_t* body, size_t length, Answer& answer) {
    if (!IsAnswer(kind) || length > kMaxBody) return false;
    Reader reader{body, length, 0, true};
    answer.kind = kind;
    answer.result = static_cast<int32_t>(reader.Number(4));
    for (int32_t& value : answer.values) value = static_cast<int32_t>(reader.Number(4));
    answer.section = reader.Number(8);
    answer.sectionSize = reader.Number(8);
    answer.firstSize = reader.Number(8);
    answer.secondSize = reader.Number(8);
    reader.Text(answer.text);
    return reader.Finished();
}

bool BlocksFitSection(const Answer& answer, uint64_t largestSection) {
    if (answer.section == 0) return answer.sectionSize == 0 && answer.firstSize == 0 && answer.secondSize == 0;
    // The subtraction form cannot wrap.
    // A view of 0 bytes would map the whole section, whatever its size.
    return answer.sectionSize > 0 && answer.sectionSize <= largestSection && answer.firstSize <= answer.sectionSize &&
           answer.secondSize <= answer.sectionSize - answer.firstSize;
}

bool PictureBlocksPlausible(const Answer& answer) {
    return answer.section != 0 && answer.firstSize > 0 && answer.firstSize <= kMaxInfoBlock &&
           answer.secondSize > 0;
}

}  // namespace host
