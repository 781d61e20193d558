// The 8.8 fixed-point bilinear rule on pictures small enough to work out by
// hand: weights of one half give the rounded-down mean at every stage.
#include "viewer/display/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<uint8_t> Pixels(std::initializer_list<uint8_t> blues, uint8_t alpha = 255) {
    std::vector<uint8_t> out;
    for (uint8_t b : blues) {
        out.insert(out.end(), {b, static_cast<uint8_t>(b / 2), static_cast<uint8_t>(255 - b), alpha});
    }
    return out;
}

std::vector<int> Blues(const std::vector<uint8_t>& pixels) {
    std::vector<int> out;
    for (size_t i = 0; i < pixels.size(); i += 4) out.push_back(pixels[i]);
    return out;
}

TEST(ResamplePixels, DoublingATwoByTwoPicture) {
    // Row 0: 0, 200; row 1: 100, 40.
    std::vector<uint8_t> source = Pixels({0, 200, 100, 40}, 128);
    std::vector<uint8_t> target(4 * 4 * 4, 0xEE);
    ASSERT_TRUE(ResamplePixels(source.data(), 2, 2, true, target.data(), 4, 4));
    // Enlarged, the corners land on the corners: targets 0 to 3 sample the
    // source at 0, 85, 170 and 256 (in 1/256 pixel).
    EXPECT_EQ(Blues(target), (std::vector<int>{0, 66, 132, 200,   //
                                               33, 70, 108, 146,  //
                                               66, 75, 84, 93,    //
                                               100, 80, 60, 40}));
    // Green and red follow the same weights; alpha is interpolated too.
    EXPECT_EQ(target[(1 * 4 + 1) * 4 + 1], 35);
    EXPECT_EQ(target[(1 * 4 + 1) * 4 + 3], 128);
}

// Enlarged by ratios that are not whole, every source column is still seen
// and the last target column is the last source column.
TEST(ResamplePixels, EnlargingKeepsTheLastColumnAndRow) {
    struct Case {
        int32_t from, to;
    } cases[] = {{16, 600}, {1000, 2999}, {2, 3}, {7, 8}};
    for (const Case& c : cases) {
        std::vector<uint8_t> source(static_cast<size_t>(c.from) * 4);
        for (int32_t x = 0; x < c.from; ++x) source[static_cast<size_t>(x) * 4] = static_cast<uint8_t>(x * 251 % 256);
        std::vector<uint8_t> row(static_cast<size_t>(c.to) * 4);
        ASSERT_TRUE(ResamplePixels(source.data(), c.from, 1, true, row.data(), c.to, 1));
        EXPECT_EQ(row[0], source[0]) << c.from << " to " << c.to;
        EXPECT_EQ(row[static_cast<size_t>(c.to - 1) * 4], source[static_cast<size_t>(c.from - 1) * 4])
            << c.from << " to " << c.to;
        // Columns too: the same picture turned on its side.
        std::vector<uint8_t> column(static_cast<size_t>(c.to) * 4);
        ASSERT_TRUE(ResamplePixels(source.data(), 1, c.from, true, column.data(), 1, c.to));
        EXPECT_EQ(column[static_cast<size_t>(c.to - 1) * 4], source[static_cast<size_t>(c.from - 1) * 4]);
    }
    // 16 to 600: each source column is the nearest sample of some target column.
    std::vector<uint8_t> source(16 * 4, 0);
    std::vector<uint8_t> row(600 * 4);
    for (int32_t lit = 0; lit < 16; ++lit) {
        std::fill(source.begin(), source.end(), 0);
        source[static_cast<size_t>(lit) * 4] = 255;
        ASSERT_TRUE(ResamplePixels(source.data(), 16, 1, true, row.data(), 600, 1));
        int brightest = 0;
        for (int x = 0; x < 600; ++x) brightest = std::max<int>(brightest, row[static_cast<size_t>(x) * 4]);
        EXPECT_GE(brightest, 250) << lit;
    }
}

TEST(ResamplePixels, AlphaIsOpaqueWhenTheSourceHasNone) {
    std::vector<uint8_t> source = Pixels({0, 200, 100, 40}, 0);
    std::vector<uint8_t> target(3 * 3 * 4, 0);
    ASSERT_TRUE(ResamplePixels(source.data(), 2, 2, false, target.data(), 3, 3));
    for (size_t i = 3; i < target.size(); i += 4) EXPECT_EQ(target[i], 255);
}

TEST(ResamplePixels, HalvingPicksEveryOtherPixel) {
    std::vector<uint8_t> source = Pixels({1, 2, 3, 4, 5, 6, 7, 8});  // 4 × 2
    std::vector<uint8_t> target(2 * 1 * 4, 0);
    ASSERT_TRUE(ResamplePixels(source.data(), 4, 2, true, target.data(), 2, 1));
    EXPECT_EQ(Blues(target), (std::vector<int>{1, 3}));
}

TEST(ResamplePixels, OddRatiosStayInsideTheSource) {
    // Seven to three and one to many: every read must stay in the buffers,
    // which the address sanitizer watches.
    std::vector<uint8_t> source(7 * 5 * 4, 90);
    std::vector<uint8_t> target(3 * 11 * 4, 0);
    ASSERT_TRUE(ResamplePixels(source.data(), 7, 5, true, target.data(), 3, 11));
    for (uint8_t v : target) EXPECT_EQ(v, 90);
    std::vector<uint8_t> one = Pixels({77});
    std::vector<uint8_t> wide(50 * 4, 0);
    ASSERT_TRUE(ResamplePixels(one.data(), 1, 1, true, wide.data(), 50, 1));
    EXPECT_EQ(wide[49 * 4], 77);
}

TEST(ResamplePixelBlock, EqualsTheSameRegionOfTheWholeResult) {
    std::vector<uint8_t> source(5 * 4 * 4);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 37 + 11);
    std::vector<uint8_t> whole(13 * 9 * 4);
    ASSERT_TRUE(ResamplePixels(source.data(), 5, 4, true, whole.data(), 13, 9));
    std::vector<uint8_t> block(6 * 3 * 4);
    ASSERT_TRUE(ResamplePixelBlock(source.data(), 5, 4, true, 13, 9, 7, 6, 6, 3, block.data()));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6 * 4; ++x) {
            EXPECT_EQ(block[y * 6 * 4 + x], whole[((6 + y) * 13 + 7) * 4 + x]) << y << " " << x;
        }
    }
    // A block that leaves the picture is refused.
    EXPECT_FALSE(ResamplePixelBlock(source.data(), 5, 4, true, 13, 9, 8, 6, 6, 3, block.data()));
    EXPECT_FALSE(ResamplePixelBlock(source.data(), 5, 4, true, 13, 9, -1, 0, 6, 3, block.data()));
}

TEST(ResamplePixels, RefusesEmptySizes) {
    uint8_t pixel[4] = {};
    EXPECT_FALSE(ResamplePixels(pixel, 1, 1, true, pixel, 0, 1));
    EXPECT_FALSE(ResamplePixels(pixel, 0, 1, true, pixel, 1, 1));
    EXPECT_FALSE(ResamplePixels(pixel, 1, -1, true, pixel, 1, 1));
}

}  // namespace
