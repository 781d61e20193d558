// The GIF walker on files written byte by byte: frame counts, the facts of a
// frame, blocks it must skip or stop at, files cut at every length, and the
// single-frame files, checked against a walk from the start of the file for
// every frame (what the index saves), byte for byte.
#include "viewer/formats/gif_frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Add(Bytes& b, std::initializer_list<int> values) {
    for (int v : values) b.push_back(static_cast<uint8_t>(v));
}

// Header of a 4 x 2 screen with a global table of 4 colours, colour
// resolution `resolution`.
Bytes Header(int resolution = 8) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 2, 0};
    Add(b, {0x80 | ((resolution - 1) << 4) | 1, 2, 0});
    Add(b, {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});
    return b;
}

void Control(Bytes& b, int disposal, int delay, int transparent = -1) {
    Add(b, {0x21, 0xF9, 4, (disposal << 2) | (transparent >= 0 ? 1 : 0), delay & 0xFF, delay >> 8,
            transparent >= 0 ? transparent : 0, 0});
}

void Image(Bytes& b, int left, int top, int width, int height, bool localTable = false) {
    Add(b, {0x2C, left, 0, top, 0, width, 0, height, 0, localTable ? 0x80 : 0});
    if (localTable) Add(b, {1, 2, 3, 4, 5, 6});
    Add(b, {2, 3, 0x44, 0x01, 0x05, 0});  // code size 2, one sub-block, terminator
}

void Looping(Bytes& b, int count) {
    Add(b, {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, count & 0xFF, count >> 8, 0});
}

Bytes ThreeFrames() {
    Bytes b = Header();
    Looping(b, 0);
    Control(b, 2, 5, 3);
    Image(b, 0, 0, 4, 2);
    Add(b, {0x21, 0xFE, 3, 'h', 'i', '!', 0});  // a comment between frames
    Image(b, 1, 1, 2, 1, true);                  // no control extension of its own
    Control(b, 3, 7);
    Add(b, {0x21, 0x01, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'x', 0});  // plain text
    Image(b, 2, 0, 2, 2);
    b.push_back(0x3B);
    return b;
}

// The single-frame file as a walk from the start of the file makes it.
Bytes WalkedFrame(const Bytes& file, size_t k) {
    GifIndex index;
    IndexGifFrames(file.data(), file.size(), index);
    Bytes out(file.begin(), file.begin() + index.headerLength);
    size_t pos = index.headerLength, count = 0;
    auto skip = [&](size_t q) {
        while (true) {
            size_t n = file[q++];
            if (n == 0) return q;
            q += n;
        }
    };
    while (pos < file.size()) {
        if (file[pos] == 0x21) {
            size_t end = skip(pos + 2);
            if (file[pos + 1] == 0xF9 && count == k) out.insert(out.end(), file.begin() + pos, file.begin() + end);
            pos = end;
        } else if (file[pos] == 0x2C) {
            size_t q = pos + 10 + ((file[pos + 9] & 0x80) ? 3u << ((file[pos + 9] & 7) + 1) : 0);
            size_t end = skip(q + 1);
            if (count == k) {
                out.insert(out.end(), file.begin() + pos, file.begin() + end);
                break;
            }
            ++count;
            pos = end;
        } else {
            break;
        }
    }
    out.push_back(0x3B);
    return out;
}

TEST(GifFrames, CountsFactsAndFrames) {
    const Bytes file = ThreeFrames();
    GifIndex index;
    ASSERT_TRUE(IndexGifFrames(file.data(), file.size(), index));
    ASSERT_EQ(index.frames.size(), 3u);
    struct Row {
        int left, top, width, height, disposal, transparent, delay, depth;
    } rows[] = {
        {0, 0, 4, 2, 2, 0x090909, 50, 8},  // colour 3 of the global table
        {1, 1, 2, 1, 2, -1, -1, 8},        // keeps the disposal before it; its own table has no colour 3
        {2, 0, 2, 2, 3, -1, 70, 8},
    };
    for (uint32_t k = 0; k < 3; ++k) {
        const GifFrameFacts f = ReadGifFacts(file.data(), file.size(), index, k);
        const Row& r = rows[k];
        EXPECT_EQ(f.left, r.left) << k;
        EXPECT_EQ(f.top, r.top) << k;
        EXPECT_EQ(f.width, r.width) << k;
        EXPECT_EQ(f.height, r.height) << k;
        EXPECT_EQ(f.disposal, r.disposal) << k;
        EXPECT_EQ(f.transparentColor, r.transparent) << k;
        EXPECT_EQ(f.delayMs, r.delay) << k;
        EXPECT_EQ(f.depth, r.depth) << k;
        EXPECT_EQ(f.loopCount, 0) << k;
        Buffer<uint8_t> built;
        ASSERT_TRUE(BuildGifFrameBytes(file.data(), file.size(), index, k, built));
        EXPECT_EQ(Bytes(built.begin(), built.end()), WalkedFrame(file, k)) << k;
    }
    // The background colour for restore-to-background comes from the global table.
    EXPECT_EQ(ReadGifFacts(file.data(), file.size(), index, 0).backgroundColor, 0xFF0000);  // blue
    Buffer<uint8_t> none;
    EXPECT_FALSE(BuildGifFrameBytes(file.data(), file.size(), index, 3, none));
}

TEST(GifFrames, ColourResolutionOneTakesTheFramesTableBits) {
    Bytes b = Header(1);
    Image(b, 0, 0, 1, 1, true);
    GifIndex index;
    ASSERT_TRUE(IndexGifFrames(b.data(), b.size(), index));
    EXPECT_EQ(ReadGifFacts(b.data(), b.size(), index, 0).depth, 1);  // local table of 2 entries: 1 bit
}

TEST(GifFrames, OnlyALoopingExtensionTellsTheLoopCount) {
    Bytes b = Header();
    Add(b, {0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 3, 1, 9, 0, 0});
    Image(b, 0, 0, 1, 1);
    Looping(b, 2);
    Image(b, 0, 0, 1, 1);
    GifIndex index;
    ASSERT_TRUE(IndexGifFrames(b.data(), b.size(), index));
    EXPECT_EQ(ReadGifFacts(b.data(), b.size(), index, 0).loopCount, -1);
    EXPECT_EQ(ReadGifFacts(b.data(), b.size(), index, 1).loopCount, 2);
}

TEST(GifFrames, UnknownLabelsAreSkippedAndBadBlocksEndTheWalk) {
    Bytes b = Header();
    Add(b, {0x21, 0x77, 2, 1, 2, 0});  // an extension nobody knows
    Image(b, 0, 0, 1, 1);
    Add(b, {0x21, 0x2C, 0});            // its label looks like an image
    Image(b, 0, 0, 1, 1);
    GifIndex index;
    ASSERT_TRUE(IndexGifFrames(b.data(), b.size(), index));
    EXPECT_EQ(index.frames.size(), 2u);

    Bytes longer = Header();
    Image(longer, 0, 0, 1, 1);
    Add(longer, {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 200, 1, 2});  // a sub-block of 200 bytes in 2
    ASSERT_TRUE(IndexGifFrames(longer.data(), longer.size(), index));
    EXPECT_EQ(index.frames.size(), 1u);
    Bytes text = {'P', 'N', 'G'};
    EXPECT_FALSE(IndexGifFrames(text.data(), text.size(), index));
}

TEST(GifFrames, AFileCutAnywhereCountsItsWholeFrames) {
    const Bytes file = ThreeFrames();
    GifIndex full;
    IndexGifFrames(file.data(), file.size(), full);
    for (size_t length = 0; length <= file.size(); ++length) {
        const Bytes cut(file.begin(), file.begin() + length);
        GifIndex index;
        IndexGifFrames(cut.data(), cut.size(), index);
        size_t whole = 0;
        for (const GifFrameSpan& f : full.frames) whole += f.end <= length;
        EXPECT_EQ(index.frames.size(), whole) << length;
        for (uint32_t k = 0; k < index.frames.size(); ++k) {
            Buffer<uint8_t> built;
            ASSERT_TRUE(BuildGifFrameBytes(cut.data(), cut.size(), index, k, built));
            EXPECT_EQ(Bytes(built.begin(), built.end()), WalkedFrame(file, k)) << length;
        }
    }
}

// The viewer's own LZW decoding, on streams worked out by hand: a run that
// uses the code not yet in the table, four literals across the change to
// four-bit codes (plain and interlaced), data that end early, a transparent
// index, and a file without any colour table.
TEST(GifFrames, DecodesFramePixelsItself) {
    const Bytes run = {2, 3, 0x8C, 0xA3, 0x00, 0};       // clear, 1, 6, 1, end: index 1 four times
    const Bytes four = {2, 3, 0x8C, 0x06, 0x05, 0};      // clear, 1, 2, 3, 0, end
    const Bytes early = {2, 2, 0x4C, 0x01, 0};           // clear, 1, end
    const uint32_t red = 0xFFFF0000u, green = 0xFF00FF00u, blue = 0xFF0000FFu, grey = 0xFF090909u;
    struct Row {
        int width, height;
        bool interlaced, table;
        int transparent;
        Bytes data;
        std::vector<uint32_t> pixels;
    } rows[] = {
        {2, 2, false, true, -1, run, {green, green, green, green}},
        {1, 4, false, true, -1, four, {green, blue, grey, red}},
        {1, 4, true, true, -1, four, {green, grey, blue, red}},  // rows 0, 2, 1, 3 in the stream
        {2, 2, false, true, -1, early, {green, 0, 0, 0}},
        {2, 2, false, true, 1, run, {0, 0, 0, 0}},
        {2, 2, false, false, -1, run, {0xFF010101u, 0xFF010101u, 0xFF010101u, 0xFF010101u}},
    };
    for (const Row& r : rows) {
        Bytes b = Header();
        if (!r.table) b = {'G', 'I', 'F', '8', '7', 'a', 2, 0, 2, 0, 0, 0, 0};
        if (r.transparent >= 0) Control(b, 0, 0, r.transparent);
        Add(b, {0x2C, 0, 0, 0, 0, r.width, 0, r.height, 0, r.interlaced ? 0x40 : 0});
        b.insert(b.end(), r.data.begin(), r.data.end());
        b.push_back(0x3B);
        GifIndex index;
        ASSERT_TRUE(IndexGifFrames(b.data(), b.size(), index));
        Buffer<uint32_t> pixels;
        ASSERT_TRUE(DecodeGifFramePixels(b.data(), b.size(), index, 0, pixels));
        EXPECT_EQ(std::vector<uint32_t>(pixels.begin(), pixels.end()), r.pixels) << r.width << "x" << r.height << " " << r.interlaced << r.transparent << r.table;
        // WIC gets the same frame with a grey table where the file has none.
        Buffer<uint8_t> built;
        ASSERT_TRUE(BuildGifFrameBytes(b.data(), b.size(), index, 0, built));
        EXPECT_EQ(GifFrameHasColours(b.data(), index, 0), r.table);
        EXPECT_EQ(built[10] & 0x87, r.table ? 0x81 : 0x87);
        if (!r.table) EXPECT_EQ(built[13 + 3 * 200], 200);
    }
    // A frame past the pixel limit is not decoded.
    Bytes huge = Header();
    Add(huge, {0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0});
    huge.insert(huge.end(), run.begin(), run.end());
    GifIndex index;
    ASSERT_TRUE(IndexGifFrames(huge.data(), huge.size(), index));
    Buffer<uint32_t> pixels;
    EXPECT_FALSE(DecodeGifFramePixels(huge.data(), huge.size(), index, 0, pixels));
}

}  // namespace
