// The icon directory and the TIFF depth on files written byte by byte: image
// choice and wrap, bitmap and PNG images, entries outside the data; depths
// in both byte orders, defaults, and directories that lie.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "viewer/formats/icon_image.h"
#include "viewer/formats/tiff_depth.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Le(Bytes& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// An icon with a 32-bit bitmap image, a PNG image and a 4-bit bitmap image.
Bytes ThreeImages() {
    Bytes b(6 + 3 * 16, 0);
    b[2] = 1;
    b[4] = 3;
    const uint16_t depths[] = {32, 0, 4};
    for (int i = 0; i < 3; ++i) {
        const size_t at = b.size();
        Bytes image;
        if (i == 1) {
            image = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                     0, 0, 0, 16, 0, 0, 0, 16, 8, 6, 0, 0, 0, 0, 0, 0, 0};
        } else {
            image.assign(40 + 16, 0);
            Le(image, 0, 40, 4);
            Le(image, 14, depths[i], 2);
        }
        b.insert(b.end(), image.begin(), image.end());
        Le(b, 6 + 16 * i + 8, static_cast<uint32_t>(image.size()), 4);
        Le(b, 6 + 16 * i + 12, static_cast<uint32_t>(at), 4);
        b[6 + 16 * i] = static_cast<uint8_t>(16 * (i + 1));
    }
    return b;
}

TEST(IconImage, ChoosesWrapsAndTellsTheDepth) {
    const Bytes file = ThreeImages();
    struct Row {
        int32_t subIndex, chosen;
        bool bitmap;
        int32_t depth;
    } rows[] = {{0, 0, true, 32}, {1, 1, false, 32}, {2, 2, true, 4}, {3, 0, true, 32}, {-1, 2, true, 4}};
    for (const Row& r : rows) {
        int32_t subIndex = r.subIndex, lastIndex = 7;
        IconImage image;
        ASSERT_TRUE(FindIconImage(file.data(), file.size(), subIndex, lastIndex, image)) << r.subIndex;
        EXPECT_EQ(subIndex, r.chosen);
        EXPECT_EQ(lastIndex, 2);
        EXPECT_EQ(image.isBitmap, r.bitmap);
        EXPECT_EQ(image.depth, r.depth);
        Buffer<uint8_t> built;
        ASSERT_TRUE(IconImageFile(file.data(), image, built));
        if (r.bitmap) {
            // Reserved and type, one image, the entry pointing at 22, the image.
            ASSERT_EQ(built.size(), 22 + size_t{image.length});
            EXPECT_EQ(built[4], 1);
            EXPECT_EQ(built[18], 22);
            EXPECT_EQ(built[6], file[image.entry]);
            EXPECT_EQ(built[22], 40);
        } else {
            EXPECT_EQ(built[1], 'P');
        }
    }
}

TEST(IconImage, OneImageAndDamagedDirectories) {
    Bytes one = ThreeImages();
    one[4] = 1;
    int32_t subIndex = 0, lastIndex = 5;
    IconImage image;
    ASSERT_TRUE(FindIconImage(one.data(), one.size(), subIndex, lastIndex, image));
    EXPECT_EQ(lastIndex, -1);

    Bytes many = ThreeImages();
    many[4] = many[5] = 0xFF;  // more entries than the file holds
    EXPECT_FALSE(FindIconImage(many.data(), many.size(), subIndex, lastIndex, image));
    Bytes far = ThreeImages();
    Le(far, 6 + 12, 0xFFFFFFF0u, 4);
    subIndex = 0;
    EXPECT_FALSE(FindIconImage(far.data(), far.size(), subIndex, lastIndex, image));
    Bytes huge = ThreeImages();
    Le(huge, 6 + 8, 0xFFFFFFFFu, 4);
    EXPECT_FALSE(FindIconImage(huge.data(), huge.size(), subIndex, lastIndex, image));
    const Bytes full = ThreeImages();
    for (size_t length = 0; length < full.size(); ++length) {
        int32_t s = 2, l = 0;
        IconImage cut;
        if (FindIconImage(full.data(), length, s, l, cut)) {
            EXPECT_LE(cut.offset + size_t{cut.length}, length);
        }
    }
}

// A TIFF of one directory with the given entries (tag, type, count, value),
// little- or big-endian; values of more than four bytes go after it.
Bytes Tiff(bool little, std::vector<std::vector<uint32_t>> entries, std::vector<uint16_t> extra = {}) {
    Bytes b(8, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(little ? v >> (8 * i) : v >> (8 * (n - 1 - i)));
    };
    b[0] = b[1] = little ? 'I' : 'M';
    put(4, 8, 4);
    b.resize(8 + 2 + 12 * entries.size() + 4 + 2 * extra.size());
    put(8, static_cast<uint32_t>(entries.size()), 2);
    const uint32_t extraAt = static_cast<uint32_t>(8 + 2 + 12 * entries.size() + 4);
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t e = 10 + 12 * i;
        put(e, entries[i][0], 2);
        put(e + 2, entries[i][1], 2);
        put(e + 4, entries[i][2], 4);
        if (entries[i][3] == 0xFFFFFFFFu) {
            put(e + 8, extraAt, 4);
        } else if (entries[i][1] == 3 && entries[i][2] == 1) {
            put(e + 8, entries[i][3], 2);  // a short stands at the start of the field
        } else {
            put(e + 8, entries[i][3], 4);
        }
    }
    for (size_t i = 0; i < extra.size(); ++i) put(extraAt + 2 * i, extra[i], 2);
    return b;
}

TEST(TiffDepth, DepthsInBothByteOrders) {
    for (bool little : {true, false}) {
        EXPECT_EQ(ReadTiffBitDepth(Tiff(little, {{258, 3, 1, 1}, {277, 3, 1, 1}}).data(), 60), 1);
        EXPECT_EQ(ReadTiffBitDepth(Tiff(little, {{277, 3, 1, 1}, {258, 3, 1, 8}}).data(), 60), 8);
        const Bytes grey = Tiff(little, {{258, 3, 2, 0x00080008u}, {277, 3, 1, 2}});  // two shorts in the field
        EXPECT_EQ(ReadTiffBitDepth(grey.data(), grey.size()), 16);
        const Bytes rgb = Tiff(little, {{258, 3, 3, 0xFFFFFFFFu}, {277, 3, 1, 3}}, {8, 8, 8});
        EXPECT_EQ(ReadTiffBitDepth(rgb.data(), rgb.size()), 24);
        const Bytes rgba = Tiff(little, {{277, 3, 1, 4}, {258, 3, 4, 0xFFFFFFFFu}}, {8, 8, 8, 8});
        EXPECT_EQ(ReadTiffBitDepth(rgba.data(), rgba.size()), 32);
        // One value for three samples stands for each of them.
        const Bytes one = Tiff(little, {{258, 3, 1, 16}, {277, 3, 1, 3}});
        EXPECT_EQ(ReadTiffBitDepth(one.data(), one.size()), 48);
        // Samples per pixel as a LONG: its type is 16 bits, the count apart.
        const Bytes wide = Tiff(little, {{277, 4, 1, 3}, {258, 3, 3, 0xFFFFFFFFu}}, {8, 8, 8});
        EXPECT_EQ(ReadTiffBitDepth(wide.data(), wide.size()), 24) << little;
    }
}

// The depth of a file far larger than its header: only the bytes that the
// header and the directory point at are read.
TEST(TiffDepth, ReadsOnlyWhereTheDirectoryPoints) {
    struct Served {
        Bytes bytes;
        uint64_t read = 0;
    } served = {Tiff(false, {{258, 3, 3, 0xFFFFFFFFu}, {277, 4, 1, 3}}, {8, 8, 8})};
    auto read = [](void* context, uint64_t offset, uint8_t* out, size_t n) {
        Served& s = *static_cast<Served*>(context);
        s.read += n;
        if (offset > s.bytes.size() || n > s.bytes.size() - offset) return false;
        std::copy(s.bytes.begin() + offset, s.bytes.begin() + offset + n, out);
        return true;
    };
    EXPECT_EQ(ReadTiffBitDepth(TiffSource{read, &served, uint64_t{1} << 31}), 24);
    EXPECT_LE(served.read, served.bytes.size());
}

TEST(TiffDepth, DefaultsAndLies) {
    // Neither tag: one sample of one bit, as TIFF defines.
    const Bytes bare = Tiff(true, {{256, 3, 1, 4}});
    EXPECT_EQ(ReadTiffBitDepth(bare.data(), bare.size()), 1);
    const Bytes zero = Tiff(true, {{277, 3, 1, 0}, {258, 3, 1, 8}});
    EXPECT_EQ(ReadTiffBitDepth(zero.data(), zero.size()), 0);
    Bytes far = Tiff(true, {{258, 3, 3, 0xFFFFFFFFu}, {277, 3, 1, 3}}, {8, 8, 8});
    far[10 + 8] = 0xF0;
    far[10 + 9] = far[10 + 10] = far[10 + 11] = 0xFF;  // values past the end
    EXPECT_EQ(ReadTiffBitDepth(far.data(), far.size()), 0);
    Bytes directory = bare;
    directory[4] = directory[5] = directory[6] = directory[7] = 0xFF;
    EXPECT_EQ(ReadTiffBitDepth(directory.data(), directory.size()), 0);
    const Bytes rgb = Tiff(true, {{258, 3, 3, 0xFFFFFFFFu}, {277, 3, 1, 3}}, {8, 8, 8});
    for (size_t length = 0; length < rgb.size(); ++length) {
        const Bytes cut(rgb.begin(), rgb.begin() + length);
        const int32_t depth = ReadTiffBitDepth(cut.data(), cut.size());
        EXPECT_TRUE(depth == 0 || depth == 1 || depth == 3 || depth == 24 || depth == 8) << length << " " << depth;
    }
}

}  // namespace
