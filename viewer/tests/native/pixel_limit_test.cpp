// Pictures past the pixel limit: the reduced size that keeps their aspect,
// and the widening of a decoder's narrower rows in place.
#include "viewer/core/pixel_limit.h"

#include <gtest/gtest.h>

#include <vector>

#include "viewer/imaging/pixel_expand.h"

namespace {

TEST(PixelLimit, PastTheLimitReducedKeepingTheAspect) {
    struct Row {
        int64_t width, height;
        int64_t reducedWidth, reducedHeight;
    } rows[] = {
        {6000, 4000, 6000, 4000},              // within: unchanged
        {8192, 8192, 8192, 8192},              // exactly the limit
        {30000, 30000, 8192, 8192},
        {40000, 20000, 11585, 5792},
        {20000, 40000, 5792, 11585},
        {8193, 8192, 8192, 8191},              // one column past: a row gives way
        {kMaxPicturePixels + 1, 1, kMaxPicturePixels, 1},
        {4294967295, 2, kMaxPicturePixels, 1}, // too thin to keep its aspect: one row
        {4294967295, 4294967295, 8192, 8192},
    };
    for (const Row& r : rows) {
        const PixelSize reduced = ReducedWithinPixelLimit(r.width, r.height);
        EXPECT_EQ(reduced.width, r.reducedWidth) << r.width << "x" << r.height;
        EXPECT_EQ(reduced.height, r.reducedHeight) << r.width << "x" << r.height;
        EXPECT_TRUE(WithinPixelLimit(reduced.width, reduced.height)) << r.width << "x" << r.height;
    }
}

TEST(WidenToBgra, GreyAndColourRowsBecomeOpaque32BitPixelsInPlace) {
    // Three pixels packed at the start of room for three 32-bit pixels.
    std::vector<uint8_t> colour = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(WidenToBgra(colour.data(), 3, 3));
    EXPECT_EQ(colour, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));
    std::vector<uint8_t> grey = {10, 20, 30, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(WidenToBgra(grey.data(), 3, 1));
    EXPECT_EQ(grey, (std::vector<uint8_t>{10, 10, 10, 255, 20, 20, 20, 255, 30, 30, 30, 255}));
    std::vector<uint8_t> other(8, 7);
    EXPECT_FALSE(WidenToBgra(other.data(), 2, 2));
    EXPECT_EQ(other, std::vector<uint8_t>(8, 7));
}

}  // namespace
