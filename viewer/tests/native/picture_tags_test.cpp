// The orientation and profile walkers on files written byte by byte in the
// four formats (both TIFF byte orders, JPEG profiles in pieces, compressed PNG
// profiles, odd WebP chunks) and damaged ones, the eight turns of a small
// picture, and the sRGB rule on the profiles that Debian ships. Cut and
// hostile files are the fuzzer's.
#include "viewer/formats/picture_tags.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>

#include "viewer/formats/icc_rules.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, uint32_t v, int bytes, bool little) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * (little ? i : bytes - 1 - i))));
}

// A TIFF block whose first directory holds tag 274 = `orientation` (none
// when 0) and, when `profileAt` is set, tag 34675 pointing there.
Bytes TiffBlock(uint32_t orientation, bool little, uint32_t profileAt = 0, uint32_t profileSize = 0) {
    Bytes b;
    b.insert(b.end(), little ? "II" : "MM", (little ? "II" : "MM") + 2);
    Put(b, 42, 2, little);
    Put(b, 8, 4, little);
    const uint32_t count = (orientation ? 1 : 0) + (profileAt ? 1 : 0) + 1;
    Put(b, count, 2, little);
    Put(b, 256, 2, little);  // image width, a short
    Put(b, 3, 2, little);
    Put(b, 1, 4, little);
    Put(b, 64, 2, little);
    Put(b, 0, 2, little);
    if (orientation) {
        Put(b, 274, 2, little);
        Put(b, 3, 2, little);
        Put(b, 1, 4, little);
        Put(b, orientation, 2, little);
        Put(b, 0, 2, little);
    }
    if (profileAt) {
        Put(b, 34675, 2, little);
        Put(b, 7, 2, little);
        Put(b, profileSize, 4, little);
        Put(b, profileAt, 4, little);
    }
    Put(b, 0, 4, little);
    return b;
}

// A profile-shaped block: its size, "acsp" and a body of `fill`.
Bytes FakeProfile(size_t size, uint8_t fill) {
    Bytes b(size, fill);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(size >> (24 - 8 * i));
    std::copy_n("acsp", 4, b.begin() + 36);
    return b;
}

void Segment(Bytes& b, uint8_t marker, const Bytes& body) {
    b.push_back(0xFF);
    b.push_back(marker);
    Put(b, static_cast<uint32_t>(body.size() + 2), 2, false);
    b.insert(b.end(), body.begin(), body.end());
}

Bytes Text(const char* text, size_t length) { return Bytes(text, text + length); }

Bytes Joined(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes IccPiece(uint8_t number, uint8_t total, const Bytes& piece) {
    return Joined(Joined(Text("ICC_PROFILE\0", 12), {number, total}), piece);
}

Bytes Jpeg(const std::vector<Bytes>& app2, uint32_t orientation) {
    Bytes b = {0xFF, 0xD8};
    if (orientation) Segment(b, 0xE1, Joined(Text("Exif\0\0", 6), TiffBlock(orientation, false)));
    for (const Bytes& body : app2) Segment(b, 0xE2, body);
    Segment(b, 0xDB, Bytes(65, 0));
    Segment(b, 0xDA, Bytes(10, 0));
    b.insert(b.end(), {0x12, 0x34, 0xFF, 0xD9});
    return b;
}

void PngChunk(Bytes& b, const char* type, const Bytes& data) {
    Put(b, static_cast<uint32_t>(data.size()), 4, false);
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    Put(b, 0, 4, false);  // the walker checks no CRC
}

Bytes Deflated(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    compress(out.data(), &size, data.data(), static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

Bytes Png(const Bytes& iccp, const Bytes& exif) {
    Bytes b = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    PngChunk(b, "IHDR", Bytes(13, 0));
    if (!iccp.empty()) PngChunk(b, "iCCP", iccp);
    PngChunk(b, "IDAT", Bytes(20, 0));
    if (!exif.empty()) PngChunk(b, "eXIf", exif);
    PngChunk(b, "IEND", {});
    return b;
}

Bytes WebpChunk(const char* type, const Bytes& data) {
    Bytes b(type, type + 4);
    Put(b, static_cast<uint32_t>(data.size()), 4, true);
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
    return b;
}

Bytes Webp(const std::vector<Bytes>& chunks) {
    Bytes body = Text("WEBP", 4);
    for (const Bytes& chunk : chunks) body = Joined(body, chunk);
    Bytes b = Text("RIFF", 4);
    Put(b, static_cast<uint32_t>(body.size()), 4, true);
    return Joined(b, body);
}

// What the walkers found, the profile as plain bytes.
struct Found {
    int32_t orientation;
    Bytes profile;
};

Found Read(const Bytes& file) {
    PictureTags tags;
    ReadPictureTags(file.data(), file.size(), true, true, tags);
    return {tags.orientation, Bytes(tags.profile.begin(), tags.profile.end())};
}

TEST(PictureTags, OrientationInEveryFormatAndByteOrder) {
    struct Row {
        uint32_t stored;
        int32_t expected;
    } rows[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {0, 1}, {9, 1}, {0xFFFF, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        // 0 here means a tag holding 0; no tag at all is checked below.
        const uint32_t stored = row.stored ? row.stored : 0x10000;
        auto block = [&](bool little) {
            Bytes b = TiffBlock(1, little);
            b[8 + 2 + 12 + 8 + (little ? 0 : 1)] = static_cast<uint8_t>(stored);
            b[8 + 2 + 12 + 8 + (little ? 1 : 0)] = static_cast<uint8_t>(stored >> 8);
            return b;
        };
        EXPECT_EQ(Read(block(true)).orientation, row.expected);
        EXPECT_EQ(Read(block(false)).orientation, row.expected);
        Bytes jpeg = {0xFF, 0xD8};
        Segment(jpeg, 0xE1, Joined(Text("Exif\0\0", 6), block(false)));
        Segment(jpeg, 0xDA, Bytes(4, 0));
        EXPECT_EQ(Read(jpeg).orientation, row.expected);
        EXPECT_EQ(Read(Png({}, block(true))).orientation, row.expected);
        EXPECT_EQ(Read(Webp({WebpChunk("VP8X", Bytes(10, 0)), WebpChunk("EXIF", block(false))})).orientation,
                  row.expected);
        EXPECT_EQ(Read(Webp({WebpChunk("EXIF", Joined(Text("Exif\0\0", 6), block(true)))})).orientation,
                  row.expected);
    }
    EXPECT_EQ(Read(TiffBlock(0, true)).orientation, 1);
    EXPECT_EQ(Read(Jpeg({}, 0)).orientation, 1);
}

TEST(PictureTags, JpegProfilePiecesJoinInTheirOrder) {
    const Bytes profile = FakeProfile(300, 0x5A);
    const Bytes first(profile.begin(), profile.begin() + 100);
    const Bytes second(profile.begin() + 100, profile.begin() + 250);
    const Bytes third(profile.begin() + 250, profile.end());
    EXPECT_EQ(Read(Jpeg({IccPiece(1, 3, first), IccPiece(2, 3, second), IccPiece(3, 3, third)}, 6)).profile,
              profile);
    EXPECT_EQ(Read(Jpeg({IccPiece(3, 3, third), IccPiece(1, 3, first), IccPiece(2, 3, second)}, 0)).profile,
              profile);
    EXPECT_EQ(Read(Jpeg({IccPiece(1, 3, first), IccPiece(2, 3, second), IccPiece(3, 3, third)}, 6)).orientation,
              6);
    // Damage of any kind leaves no profile.
    const std::vector<std::vector<Bytes>> damaged = {
        {IccPiece(1, 3, first), IccPiece(3, 3, third)},
        {IccPiece(1, 2, first), IccPiece(1, 2, second)},
        {IccPiece(1, 3, first), IccPiece(2, 2, second), IccPiece(3, 3, third)},
        {IccPiece(0, 1, profile)},
        {IccPiece(1, 1, Bytes(profile.begin(), profile.begin() + 200))},
        {IccPiece(1, 1, FakeProfile(100, 1))},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(Read(Jpeg(damaged[i], 0)).profile.empty());
    }
    // Bytes after the stated size are dropped.
    EXPECT_EQ(Read(Jpeg({IccPiece(1, 1, Joined(profile, Bytes(7, 9)))}, 0)).profile, profile);
}

TEST(PictureTags, PngWebpAndTiffProfiles) {
    const Bytes profile = FakeProfile(600, 0x33);
    const Bytes iccp = Joined(Joined(Text("ICC Profile\0", 12), {0}), Deflated(profile));
    EXPECT_EQ(Read(Png(iccp, {})).profile, profile);
    Bytes broken = iccp;
    broken[20] ^= 0xFF;
    EXPECT_TRUE(Read(Png(broken, {})).profile.empty());
    EXPECT_TRUE(Read(Png(Bytes(iccp.begin(), iccp.end() - 6), {})).profile.empty());
    EXPECT_TRUE(Read(Png(Joined(Text("\0", 1), Deflated(profile)), {})).profile.empty());  // no name

    const Bytes odd = FakeProfile(301, 0x44);
    const Found webp = Read(Webp({WebpChunk("VP8X", Bytes(10, 0)), WebpChunk("ICCP", odd),
                                        WebpChunk("EXIF", TiffBlock(8, true)), WebpChunk("VP8L", Bytes(9, 0))}));
    EXPECT_EQ(webp.profile, odd);
    EXPECT_EQ(webp.orientation, 8);

    Bytes tiff = TiffBlock(3, false, 100, 400);
    tiff.resize(100);
    const Bytes tiffProfile = FakeProfile(400, 0x21);
    tiff.insert(tiff.end(), tiffProfile.begin(), tiffProfile.end());
    EXPECT_EQ(Read(tiff).profile, tiffProfile);
    EXPECT_EQ(Read(tiff).orientation, 3);
    tiff.resize(450);
    EXPECT_TRUE(Read(tiff).profile.empty());
}

TEST(PictureTags, EachOrientationStandsThePictureUpright) {
    // A 3 × 2 picture, pixels numbered in reading order.
    const uint32_t source[] = {1, 2, 3, 4, 5, 6};
    const std::vector<uint32_t> expected[] = {
        {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}, {6, 5, 4, 3, 2, 1}, {4, 5, 6, 1, 2, 3},
        {1, 4, 2, 5, 3, 6}, {4, 1, 5, 2, 6, 3}, {6, 3, 5, 2, 4, 1}, {3, 6, 2, 5, 1, 4},
    };
    for (int32_t orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        int32_t width = 0, height = 0;
        OrientedSize(orientation, 3, 2, width, height);
        EXPECT_EQ(width, orientation >= 5 ? 2 : 3);
        EXPECT_EQ(height, orientation >= 5 ? 3 : 2);
        std::vector<uint32_t> target(6, 0);
        OrientPixels(source, 3, 2, orientation, target.data());
        EXPECT_EQ(target, expected[orientation - 1]);
    }
    // Larger than a tile in both directions: a quarter turn and back.
    const int32_t w = 70, h = 45;
    std::vector<uint32_t> big(static_cast<size_t>(w) * h), turned(big.size()), back(big.size());
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint32_t>(i);
    OrientPixels(big.data(), w, h, 6, turned.data());
    OrientPixels(turned.data(), h, w, 8, back.data());
    EXPECT_EQ(back, big);
}

Bytes ReadProfileFile(const char* name) {
    std::ifstream file(std::string("/usr/share/color/icc/colord/") + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(IccRules, OnlySrgbItselfIsLeftUnconverted) {
    if (ReadProfileFile("sRGB.icc").empty()) GTEST_SKIP() << "colord-data is not installed";
    struct Row {
        const char* name;
        bool srgb;
    } rows[] = {{"sRGB.icc", true},     {"Rec709.icc", false},        {"AdobeRGB1998.icc", false},
                {"ProPhotoRGB.icc", false}, {"SwappedRedAndGreen.icc", false}, {"WideGamutRGB.icc", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes profile = ReadProfileFile(row.name);
        ASSERT_FALSE(profile.empty());
        EXPECT_EQ(IccColourSpace(profile.data(), profile.size()), kIccRgb);
        EXPECT_EQ(IsSrgbProfile(profile.data(), profile.size()), row.srgb);
    }
}

}  // namespace
