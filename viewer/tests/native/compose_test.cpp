// The pixel rules of frame composition: source-over with premultiplied
// alpha, replacing, clipping at every edge, clearing, the canvas growth and
// the one pixel limit that refuse absurd frames (and the reduced size of a
// still picture past it), the area a frame restores,
// and the canvases kept for stepping back.
#include "viewer/display/compose.h"

#include "viewer/core/pixel_limit.h"

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
    EXPECT_FALSE(CoveringSize(0, 0, 23169, 23169, 1, 1, w, h));     // 2 GiB
}

TEST(PixelLimit, OneBoundForEveryFrameAndCanvas) {
    struct Row {
        int64_t left, top, width, height;
        bool fits;
    } rows[] = {
        {0, 0, 6000, 4000, true},                // the benchmark's photograph
        {0, 0, 8192, 8192, true},                // exactly the limit
        {0, 0, 32767, 32767, false},             // a WebP canvas of 4 GiB
        {0, 0, kMaxPicturePixels + 1, 1, false},
        {0, 0, 0, 10, false},
        {0, 0, 4294967295, 4294967295, false},   // no wrap in 64 bits
        {23169, 23169, 1, 1, false},             // a frame that needs a 2 GiB canvas
        {-1, 0, 1, 1, false},
    };
    for (const Row& r : rows) {
        if (r.left == 0 && r.top == 0) EXPECT_EQ(WithinPixelLimit(r.width, r.height), r.fits) << r.width;
        EXPECT_EQ(FrameWithinPixelLimit(r.left, r.top, r.width, r.height), r.fits) << r.left << " " << r.width;
    }
}

TEST(PixelLimit, PastTheLimitReducedKeepingTheAspect) {
    struct Row {
        int64_t width, height;
        int64_t reducedWidth, reducedHeight;
    } rows[] = {
        {8192, 8192, 8192, 8192},              // exactly the limit: unchanged
        {30000, 30000, 8192, 8192},
        {40000, 20000, 11585, 5792},
        {8193, 8192, 8192, 8191},              // one column past: a row gives way
        {4294967295, 2, kMaxPicturePixels, 1}, // too thin to keep its aspect: one row
    };
    for (const Row& r : rows) {
        const PixelSize reduced = ReducedWithinPixelLimit(r.width, r.height);
        EXPECT_EQ(reduced.width, r.reducedWidth) << r.width << "x" << r.height;
        EXPECT_EQ(reduced.height, r.reducedHeight) << r.width << "x" << r.height;
    }
}

TEST(Compose, RestoreToPreviousKeepsOnlyTheFramesArea) {
    std::vector<uint32_t> canvas(12);
    for (size_t i = 0; i < canvas.size(); ++i) canvas[i] = static_cast<uint32_t>(i);
    const PixelPlane plane = {canvas.data(), 4, 3};
    const std::vector<uint32_t> original = canvas;
    const SavedArea area = SaveArea(plane, 2, 1, 5, 5);  // clipped to 2 x 2
    EXPECT_EQ(area.pixels.size(), 4u);
    const std::vector<uint32_t> frame(25, 0xFFFFFFFFu);
    DrawFrameOnto(plane, frame.data(), 5, 5, 2, 1, false);
    RestoreArea(plane, area);
    EXPECT_EQ(canvas, original);
    EXPECT_TRUE(SaveArea(plane, 9, 9, 2, 2).pixels.empty());
}

// Canvases are kept every `interval` frames; past the budget the interval
// doubles and every other copy goes; the nearest one at or before a frame is
// found.
TEST(Compose, SnapshotsStayWithinTheirBudget) {
    std::vector<uint32_t> pixels(16, 7);
    const PixelPlane plane = {pixels.data(), 4, 4};
    CanvasSnapshots s;
    s.budget = 64;  // four copies
    EXPECT_FALSE(WantsSnapshot(s, 0));
    EXPECT_FALSE(WantsSnapshot(s, 15));
    for (int32_t frame = 16; frame <= 16 * 9; frame += 16) KeepSnapshot(s, frame, plane);
    EXPECT_LE(s.pixels, s.budget);
    EXPECT_GE(s.interval, 32);
    for (const CanvasSnapshot& k : s.kept) EXPECT_EQ(k.frame % s.interval, 0);
    ASSERT_NE(NearestSnapshot(s, 130), nullptr);
    EXPECT_EQ(NearestSnapshot(s, 130)->frame, 128);
    EXPECT_EQ(NearestSnapshot(s, 10), nullptr);
    EXPECT_FALSE(WantsSnapshot(s, 128));
    // A canvas too large to keep is not kept.
    std::vector<uint32_t> big(17);
    CanvasSnapshots none;
    none.budget = 64;
    KeepSnapshot(none, 16, {big.data(), 17, 1});
    EXPECT_TRUE(none.kept.empty());
}

}  // namespace
