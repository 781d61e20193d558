// The host protocol: what crosses comes back as it went, any message cut
// short or padded is refused, and an answer's blocks must lie inside the
// section that carries them.
#include "viewer/plugins/host_protocol.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Splits a whole message into its header's kind and its body.
bool Split(const std::vector<uint8_t>& message, uint32_t& kind, std::vector<uint8_t>& body) {
    uint8_t header[host::kHeaderBytes];
    if (message.size() < sizeof header) return false;
    memcpy(header, message.data(), sizeof header);
    uint32_t length = 0;
    if (!host::ReadHeader(header, kind, length) || length != message.size() - sizeof header) return false;
    body.assign(message.begin() + sizeof header, message.end());
    return true;
}

TEST(HostProtocol, RequestsAndAnswersCrossWholeAndNothingElseIsTaken) {
    host::Request request;
    request.call = host::kFileToFolder;
    request.slot = 3;
    request.number = -7;
    request.position = -2;
    request.window = 0x1234567890ull;
    request.text = "C:\\PICTUR~1\\A.TAR";
    request.folder = "C:\\TEMP\\Oxel\\1~";
    request.bytes.assign(2176, 0xAB);
    uint32_t kind = 0;
    std::vector<uint8_t> body;
    ASSERT_TRUE(Split(host::EncodeRequest(request), kind, body));
    host::Request back;
    ASSERT_TRUE(host::DecodeRequest(kind, body.data(), body.size(), back));
    EXPECT_EQ(back.call, request.call);
    EXPECT_EQ(back.slot, 3u);
    EXPECT_EQ(back.number, -7);
    EXPECT_EQ(back.position, -2);
    EXPECT_EQ(back.window, request.window);
    EXPECT_EQ(back.text, request.text);
    EXPECT_EQ(back.folder, request.folder);
    EXPECT_EQ(back.bytes, request.bytes);
    // Every shorter body, and a longer one, is refused.
    for (size_t cut = 0; cut < body.size(); cut += (cut < 64 ? 1 : 97)) {
        EXPECT_FALSE(host::DecodeRequest(kind, body.data(), cut, back)) << cut;
    }
    body.push_back(0);
    EXPECT_FALSE(host::DecodeRequest(kind, body.data(), body.size(), back));

    host::Answer answer;
    answer.kind = host::kAnswered;
    answer.result = -1;
    for (int i = 0; i < 7; ++i) answer.values[i] = i - 3;
    answer.section = 0x7C;
    answer.sectionSize = 1ull << 33;
    answer.firstSize = 40;
    answer.secondSize = (1ull << 33) - 40;
    answer.text = "*.tpic;*.png";
    ASSERT_TRUE(Split(host::EncodeAnswer(answer), kind, body));
    host::Answer got;
    ASSERT_TRUE(host::DecodeAnswer(kind, body.data(), body.size(), got));
    EXPECT_EQ(got.result, -1);
    EXPECT_EQ(got.values[0], -3);
    EXPECT_EQ(got.values[6], 3);
    EXPECT_EQ(got.sectionSize, answer.sectionSize);
    EXPECT_EQ(got.secondSize, answer.secondSize);
    EXPECT_EQ(got.text, answer.text);
    EXPECT_FALSE(host::DecodeRequest(kind, body.data(), body.size(), back)) << "an answer is no request";
    EXPECT_FALSE(host::DecodeAnswer(kind, body.data(), body.size() - 1, got));
}

TEST(HostProtocol, HeadersOfUnknownKindsOrOverlongBodiesAreRefused) {
    struct Case {
        uint32_t kind, length;
        bool sound;
    } cases[] = {
        {host::kLoad, 0, true},           {host::kProgressStop, host::kMaxBody, true},
        {host::kProgress, 12, true},      {0, 4, false},
        {host::kProgressStop + 1, 4, false}, {host::kAnswered - 1, 4, false},
        {host::kProgress + 1, 4, false},  {host::kAnswered, host::kMaxBody + 1, false},
        {host::kAnswered, 0xFFFFFFFFu, false},
    };
    for (const Case& c : cases) {
        uint8_t header[host::kHeaderBytes];
        for (int i = 0; i < 4; ++i) {
            header[i] = static_cast<uint8_t>(c.kind >> (8 * i));
            header[4 + i] = static_cast<uint8_t>(c.length >> (8 * i));
        }
        uint32_t kind = 0, length = 0;
        EXPECT_EQ(host::ReadHeader(header, kind, length), c.sound) << c.kind << " " << c.length;
    }
    // A text that claims more than the body holds, or more than any text may.
    host::Answer answer;
    answer.kind = host::kAnswered;
    answer.text = "abc";
    std::vector<uint8_t> message = host::EncodeAnswer(answer);
    std::vector<uint8_t> body(message.begin() + host::kHeaderBytes, message.end());
    const size_t textLength = body.size() - 3 - 4;
    for (uint32_t claimed : {4u, host::kMaxText + 1, 0xFFFFFFFFu}) {
        for (int i = 0; i < 4; ++i) body[textLength + i] = static_cast<uint8_t>(claimed >> (8 * i));
        host::Answer got;
        EXPECT_FALSE(host::DecodeAnswer(host::kAnswered, body.data(), body.size(), got)) << claimed;
    }
}

TEST(HostProtocol, BlocksMustLieInsideTheirSection) {
    const uint64_t kMax = 1ull << 31;
    struct Case {
        uint64_t section, sectionSize, first, second;
        bool fits;
    } cases[] = {
        {0, 0, 0, 0, true},                       // nothing handed back
        {0, 16, 0, 0, false},                     // sizes without a section
        {0, 0, 8, 0, false},
        {8, 0, 0, 0, false},                      // a view of 0 bytes maps everything
        {8, 100, 40, 60, true},
        {8, 100, 40, 61, false},
        {8, 100, 101, 0, false},
        {8, 100, 1, UINT64_MAX, false},           // a sum that wraps
        {8, UINT64_MAX, 8, 8, false},             // more than may be mapped
        {8, kMax, kMax, 0, true},
        {8, kMax + 1, 1, 1, false},
    };
    for (const Case& c : cases) {
        host::Answer answer;
        answer.section = c.section;
        answer.sectionSize = c.sectionSize;
        answer.firstSize = c.first;
        answer.secondSize = c.second;
        EXPECT_EQ(host::BlocksFitSection(answer, kMax), c.fits)
            << c.section << " " << c.sectionSize << " " << c.first << " " << c.second;
    }
    host::Answer picture;
    picture.section = 4;
    picture.firstSize = 40;
    picture.secondSize = 12;
    EXPECT_TRUE(host::PictureBlocksPlausible(picture));
    picture.firstSize = host::kMaxInfoBlock + 1;
    EXPECT_FALSE(host::PictureBlocksPlausible(picture));
    picture.firstSize = 40;
    picture.secondSize = 0;
    EXPECT_FALSE(host::PictureBlocksPlausible(picture));
}

}  // namespace
