// The pixel rules of frame composition: source-over with premultiplied
// alpha, replacing, clipping at every edge, clearing, and the canvas growth
// that refuses absurd frames.
#include "viewer/display/compose.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Compose, BlendAndReplace) {
    std::vector<uint32_t> canvas(4, 0x80402010u);  // half-transparent
    const PixelPlane plane = {canvas.data(), 2, 2};
    const uint32_t frame[4] = {0xFF0000FFu, 0x40200000u, 0x00000000u, 0x80808080u};
    DrawFrameOnto(plane, frame, 2, 2, 0, 0, true);
    EXPECT_EQ(canvas[0], 0xFF0000FFu);  // opaque source wins
    // Alpha 64 over 128: 64 + 128 × 191 / 255 = 160; red 32 + 64 × 191 / 255 = 80, rounded.
    EXPECT_EQ(canvas[1], 0xA050180Cu);
    EXPECT_EQ(canvas[2], 0x80402010u);  // nothing over it
    DrawFrameOnto(plane, frame, 2, 2, 0, 0, false);
    EXPECT_EQ(canvas[2], 0u);           // replaced, alpha included
    EXPECT_EQ(canvas[3], 0x80808080u);
}

TEST(Compose, ClippedAtEveryEdge) {
    std::vector<uint32_t> canvas(9, 0);
    const PixelPlane plane = {canvas.data(), 3, 3};
    const std::vector<uint32_t> frame(4, 0xFFFFFFFFu);
    DrawFrameOnto(plane, frame.data(), 2, 2, -1, -1, false);
    DrawFrameOnto(plane, frame.data(), 2, 2, 2, 2, false);
    DrawFrameOnto(plane, frame.data(), 2, 2, 5, 0, false);
    DrawFrameOnto(plane, frame.data(), 2, 2, -2147483647 - 1, 2147483647, false);
    const std::vector<uint32_t> expected = {0xFFFFFFFFu, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFFFFu};
    EXPECT_EQ(canvas, expected);
    ClearRectangle(plane, 2, 2, 100, 100);
    ClearRectangle(plane, -5, -5, 6, 6);
    EXPECT_EQ(canvas, std::vector<uint32_t>(9, 0));
    EXPECT_TRUE(AllOpaque(frame.data(), frame.size()));
    EXPECT_FALSE(AllOpaque(canvas.data(), 1));
}

TEST(Compose, CoveringSize) {
    int32_t w = 0, h = 0;
    ASSERT_TRUE(CoveringSize(40, 30, 20, 10, 40, 30, w, h));
    EXPECT_EQ(w, 60);
    EXPECT_EQ(h, 40);
    ASSERT_TRUE(CoveringSize(40, 30, 0, 0, 10, 10, w, h));
    EXPECT_EQ(w, 40);
    EXPECT_FALSE(CoveringSize(40, 30, -1, 0, 10, 10, w, h));
    EXPECT_FALSE(CoveringSize(40, 30, 2147483647, 0, 10, 10, w, h));
    EXPECT_FALSE(CoveringSize(40, 30, 0, 0, 65535, 65535, w, h));  // 16 GB of pixels
}

}  // namespace
