// The BMP depth rule on headers written byte by byte: each header kind, and
// files too short to hold the field.
#include "viewer/formats/bmp_depth.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Header(uint32_t headerSize, uint16_t bitCountAt24, uint16_t bitCountAt28) {
    std::vector<uint8_t> b(kBmpDepthBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    for (int i = 0; i < 4; ++i) b[14 + i] = static_cast<uint8_t>(headerSize >> (8 * i));
    b[24] = static_cast<uint8_t>(bitCountAt24);
    b[25] = static_cast<uint8_t>(bitCountAt24 >> 8);
    b[28] = static_cast<uint8_t>(bitCountAt28);
    b[29] = static_cast<uint8_t>(bitCountAt28 >> 8);
    return b;
}

TEST(BmpBitDepth, ByHeaderKind) {
    struct Case {
        uint32_t headerSize;
        uint16_t at24, at28;
        int32_t depth;
    } cases[] = {
        {40, 1, 8, 8},   {40, 1, 24, 24}, {40, 0, 1, 1},    {12, 4, 99, 4},  {12, 24, 0, 24},
        {108, 1, 1, 32}, {124, 1, 1, 32}, {64, 8, 8, 32},   {0, 8, 8, 32},
        {40, 0, 0x120, 0x20},  // only the low byte of the count is kept
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = Header(c.headerSize, c.at24, c.at28);
        EXPECT_EQ(BmpBitDepth(b.data(), b.size()), c.depth) << c.headerSize << " " << c.at24 << " " << c.at28;
    }
}

TEST(BmpBitDepth, ShortFilesHaveNoDepth) {
    std::vector<uint8_t> b = Header(40, 0, 24);
    EXPECT_EQ(BmpBitDepth(b.data(), 30), 24);
    EXPECT_EQ(BmpBitDepth(b.data(), 29), -1);
    EXPECT_EQ(BmpBitDepth(b.data(), 17), -1);
    EXPECT_EQ(BmpBitDepth(nullptr, 0), -1);
    b = Header(12, 8, 0);
    EXPECT_EQ(BmpBitDepth(b.data(), 26), 8);
    EXPECT_EQ(BmpBitDepth(b.data(), 25), -1);
    b = Header(108, 0, 0);
    EXPECT_EQ(BmpBitDepth(b.data(), 18), 32);
}

}  // namespace
