// The PNG chunk walker on files written byte by byte: still and animated
// facts, the disposal codes, the depth from the colour type and palette, the
// frame count held to the frames present, the single-frame files with their
// recomputed CRCs, and files cut at every length.
#include "viewer/formats/png_frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(Bytes& b, const char* type, const Bytes& data) {
    Put32(b, static_cast<uint32_t>(data.size()));
    const size_t at = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    Put32(b, PngCrc(0, b.data() + at, 4 + data.size()));
}

Bytes Be32(std::initializer_list<uint32_t> values) {
    Bytes b;
    for (uint32_t v : values) Put32(b, v);
    return b;
}

Bytes Start(uint8_t colourType, uint32_t width = 8, uint32_t height = 4) {
    Bytes b = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    Bytes ihdr = Be32({width, height});
    ihdr.insert(ihdr.end(), {8, colourType, 0, 0, 0});
    Chunk(b, "IHDR", ihdr);
    return b;
}

Bytes FrameControl(uint32_t sequence, uint32_t w, uint32_t h, uint32_t x, uint32_t y, uint16_t num, uint16_t den,
                   uint8_t dispose, uint8_t blend) {
    Bytes c = Be32({sequence, w, h, x, y});
    c.insert(c.end(), {static_cast<uint8_t>(num >> 8), static_cast<uint8_t>(num), static_cast<uint8_t>(den >> 8),
                       static_cast<uint8_t>(den), dispose, blend});
    return c;
}

// fcTL 0, IDAT (frame 0 is the image data), fcTL 1, fdAT, fcTL 2, fdAT, IEND.
Bytes Animated(bool idatIsFrame0) {
    Bytes b = Start(6);
    Chunk(b, "acTL", Be32({3, 2}));
    Chunk(b, "tEXt", {'a', 0, 'b'});
    if (idatIsFrame0) Chunk(b, "fcTL", FrameControl(0, 8, 4, 0, 0, 1, 10, 2, 0));
    Chunk(b, "IDAT", {1, 2, 3});
    if (!idatIsFrame0) Chunk(b, "fcTL", FrameControl(0, 8, 4, 0, 0, 1, 10, 2, 0));
    if (!idatIsFrame0) Chunk(b, "fdAT", {0, 0, 0, 1, 7, 7});
    Chunk(b, "fcTL", FrameControl(2, 4, 2, 1, 1, 3, 0, 2, 1));
    Chunk(b, "fdAT", {0, 0, 0, 3, 9, 8, 7});
    Chunk(b, "fdAT", {0, 0, 0, 4, 6});
    if (idatIsFrame0) Chunk(b, "fcTL", FrameControl(5, 2, 2, 6, 2, 0, 5, 1, 1));
    if (idatIsFrame0) Chunk(b, "fdAT", {0, 0, 0, 6, 5});
    Chunk(b, "IEND", {});
    return b;
}

TEST(PngFrames, StillPicture) {
    Bytes b = Start(2, 5, 3);
    Chunk(b, "tRNS", {0, 10, 0, 20, 1, 30});
    Chunk(b, "IDAT", {1});
    Chunk(b, "IEND", {});
    PngIndex index;
    ASSERT_TRUE(IndexPngChunks(b.data(), b.size(), index));
    EXPECT_FALSE(index.animated);
    EXPECT_EQ(index.frameCount, 0u);
    EXPECT_EQ(index.depth, 24);
    EXPECT_EQ(index.transparentColor, 0x1E140A);
    PngFrameFacts f;
    ASSERT_TRUE(ReadPngFrameFacts(b.data(), index, 0, f));
    EXPECT_EQ(f.width, 5);
    EXPECT_EQ(f.height, 3);
    EXPECT_EQ(f.disposal, -1);
    Buffer<uint8_t> out;
    EXPECT_FALSE(BuildPngFrameBytes(b.data(), b.size(), index, 0, out));
}

TEST(PngFrames, DepthFromColourTypeAndPalette) {
    struct Row {
        uint8_t colourType;
        int entries;  // palette entries, -1 for none
        int32_t depth;
    } rows[] = {{2, -1, 24}, {6, -1, 32}, {0, -1, -1}, {3, 2, 1}, {3, 4, 2}, {3, 16, 4}, {3, 17, 8}, {2, 256, 8}};
    for (const Row& r : rows) {
        Bytes b = Start(r.colourType);
        if (r.entries >= 0) Chunk(b, "PLTE", Bytes(static_cast<size_t>(r.entries) * 3, 1));
        Chunk(b, "IEND", {});
        PngIndex index;
        ASSERT_TRUE(IndexPngChunks(b.data(), b.size(), index));
        EXPECT_EQ(index.depth, r.depth) << int(r.colourType) << " " << r.entries;
    }
}

TEST(PngFrames, FrameFactsAndDisposalCodes) {
    for (bool idatIsFrame0 : {true, false}) {
        const Bytes b = Animated(idatIsFrame0);
        PngIndex index;
        ASSERT_TRUE(IndexPngChunks(b.data(), b.size(), index));
        EXPECT_TRUE(index.animated);
        EXPECT_EQ(index.playCount, 2u);
        PngFrameFacts f;
        ASSERT_TRUE(ReadPngFrameFacts(b.data(), index, 0, f));
        EXPECT_EQ(f.delayMs, 100);
        // Dispose-previous on frame 0 is taken as dispose-background: code 2.
        EXPECT_EQ(f.disposal, idatIsFrame0 ? -2 : 2);
        ASSERT_TRUE(ReadPngFrameFacts(b.data(), index, 1, f));
        EXPECT_EQ(f.delayMs, 30);  // denominator 0 means 100
        EXPECT_EQ(f.disposal, 3 + 8);
        EXPECT_EQ(f.left, 1);
        EXPECT_EQ(f.width, 4);
    }
    // "acTL" claims three frames; without the IDAT frame the file has two.
    const Bytes b = Animated(false);
    PngIndex index;
    IndexPngChunks(b.data(), b.size(), index);
    EXPECT_EQ(index.frameCount, 2u);
}

// The chunks of a built frame: type and data, after checking each CRC.
std::vector<std::pair<std::string, Bytes>> ChunksOf(const Bytes& png) {
    std::vector<std::pair<std::string, Bytes>> chunks;
    for (size_t pos = 8; pos + 12 <= png.size();) {
        const uint32_t n = (png[pos] << 24) | (png[pos + 1] << 16) | (png[pos + 2] << 8) | png[pos + 3];
        const uint32_t crc = (png[pos + 8 + n] << 24) | (png[pos + 9 + n] << 16) | (png[pos + 10 + n] << 8) |
                             png[pos + 11 + n];
        EXPECT_EQ(crc, PngCrc(0, png.data() + pos + 4, 4 + size_t{n}));
        chunks.push_back({std::string(png.begin() + pos + 4, png.begin() + pos + 8),
                          Bytes(png.begin() + pos + 8, png.begin() + pos + 8 + n)});
        pos += 12 + size_t{n};
    }
    return chunks;
}

TEST(PngFrames, BuiltFramesArePlainPngs) {
    const Bytes b = Animated(true);
    PngIndex index;
    IndexPngChunks(b.data(), b.size(), index);
    Buffer<uint8_t> out;
    ASSERT_TRUE(BuildPngFrameBytes(b.data(), b.size(), index, 1, out));
    auto chunks = ChunksOf(Bytes(out.begin(), out.end()));
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].first, "IHDR");
    EXPECT_EQ(chunks[0].second, (Bytes{0, 0, 0, 4, 0, 0, 0, 2, 8, 6, 0, 0, 0}));  // the frame's size
    EXPECT_EQ(chunks[1].first, "IDAT");
    EXPECT_EQ(chunks[1].second, (Bytes{9, 8, 7}));
    EXPECT_EQ(chunks[2].second, (Bytes{6}));
    EXPECT_EQ(chunks[3].first, "IEND");
    // Frame 0 is the image data itself.
    ASSERT_TRUE(BuildPngFrameBytes(b.data(), b.size(), index, 0, out));
    chunks = ChunksOf(Bytes(out.begin(), out.end()));
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[1].second, (Bytes{1, 2, 3}));
    EXPECT_FALSE(BuildPngFrameBytes(b.data(), b.size(), index, 3, out));
}

TEST(PngFrames, AFileCutAnywhereEndsTheWalkAtItsLastWholeChunk) {
    const Bytes file = Animated(true);
    for (size_t length = 0; length <= file.size(); ++length) {
        const Bytes cut(file.begin(), file.begin() + length);
        PngIndex index;
        IndexPngChunks(cut.data(), cut.size(), index);
        for (uint32_t k = 0; k < index.frameCount; ++k) {
            Buffer<uint8_t> out;
            ASSERT_TRUE(BuildPngFrameBytes(cut.data(), cut.size(), index, k, out));
            ChunksOf(Bytes(out.begin(), out.end()));
        }
    }
    // A chunk longer than what remains ends the walk.
    Bytes b = Start(6);
    Put32(b, 0xFFFFFFF0u);
    b.insert(b.end(), {'a', 'c', 'T', 'L', 0, 0});
    PngIndex index;
    ASSERT_TRUE(IndexPngChunks(b.data(), b.size(), index));
    EXPECT_FALSE(index.animated);
}

TEST(PngFrames, TransparencyWithoutAHeaderIsNotRead) {
    // Found by the fuzzer: a grey "tRNS" in a file too short for a header
    // once read the header's bit depth past the end of the data.
    const uint8_t bytes[] = {0x5b, 'P', 'N', 'G', 0x0e, 0, 0, 0, 0, 0, 0, 2, 't', 'R', 'N', 'S', 0, 0, 0, 0, 0, 0x84};
    const Bytes file(bytes, bytes + sizeof bytes);
    PngIndex index;
    ASSERT_TRUE(IndexPngChunks(file.data(), file.size(), index));
    EXPECT_FALSE(index.hasHeader);
    EXPECT_EQ(index.transparentColor, -1);
}

}  // namespace
