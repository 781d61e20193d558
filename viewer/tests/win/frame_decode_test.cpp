// The frame readers on real files: the images of a multi-image icon, TIFF
// depths in both byte orders, still WebP files, and GIF, PNG, icon, TIFF and
// WebP files cut at every length or given hostile counts, sizes and offsets,
// which must give a picture or a status, never a crash or a hang.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/imaging/wic_decode.h"
#include "decode_test_support.h"
#include "viewer_window.h"

namespace {

std::wstring AnimFolder() { return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\anim\\"; }


class FrameDecode : public ::testing::Test {
protected:
    ComApartment com;
    Settings settings = LoadSettings((MakeScratchFolder(L"frames") + L"\\none.ini").c_str());
    PluginList noPlugins;
    void Decode(const std::wstring& path, Decoded& d, int32_t subIndex = 0) {
        if (d.bitmap) DeleteObject(d.bitmap);
        d.state.subIndex = subIndex;
        d.bitmap = DecodePicture(path.c_str(), d.state, settings, noPlugins, nullptr, 1, d.picture);
    }
};

TEST_F(FrameDecode, EveryImageOfAnIconDecodesAndTheIndexWraps) {
    struct Row {
        int32_t subIndex, shown, size, depth;
    } rows[] = {{0, 0, 16, 1}, {1, 1, 32, 32}, {2, 2, 256, 32}, {3, 0, 16, 1}, {-1, 2, 256, 32}};
    for (const Row& row : rows) {
        Decoded d;
        Decode(AnimFolder() + L"icons.ico", d, row.subIndex);
        ASSERT_NE(d.picture.bitmap, nullptr) << row.subIndex;
        EXPECT_EQ(d.state.subIndex, row.shown);
        EXPECT_EQ(d.picture.width, row.size);
        EXPECT_EQ(d.picture.height, row.size);
        EXPECT_EQ(d.picture.lastIndex, 2);
        EXPECT_EQ(d.picture.bitsPerPixel, row.depth) << row.subIndex;
        EXPECT_EQ(d.picture.premultipliedAlpha, 1);
    }
}

TEST_F(FrameDecode, TiffDepthsInBothByteOrders) {
    for (int depth : {1, 8, 16, 24, 32}) {
        for (const wchar_t* order : {L"LSB", L"MSB"}) {
            Decoded d;
            Decode(AnimFolder() + L"depth" + std::to_wstring(depth) + L"_" + order + L".tif", d);
            ASSERT_NE(d.picture.bitmap, nullptr) << depth;
            EXPECT_EQ(d.picture.bitsPerPixel, depth) << depth;
        }
    }
}

TEST_F(FrameDecode, StillWebpFiles) {
    Decoded alpha;
    Decode(AnimFolder() + L"alpha.webp", alpha);
    ASSERT_NE(alpha.picture.bitmap, nullptr);
    EXPECT_EQ(alpha.picture.width, 48);
    EXPECT_EQ(alpha.picture.bitsPerPixel, 32);
    EXPECT_EQ(alpha.picture.premultipliedAlpha, 1);
    EXPECT_EQ(alpha.picture.disposal, 0);  // no multi-frame marker
    EXPECT_EQ(alpha.picture.delayMs, 100);
    Decoded opaque;
    Decode(AnimFolder() + L"opaque.webp", opaque);
    ASSERT_NE(opaque.picture.bitmap, nullptr);
    EXPECT_EQ(opaque.picture.bitsPerPixel, 24);
    // An animated one: frame 6 of 6 wraps to 0, -1 to the last.
    Decoded anim;
    Decode(AnimFolder() + L"anim.webp", anim, 6);
    EXPECT_EQ(anim.state.subIndex, 0);
    EXPECT_GE(anim.picture.disposal, 8);
    Decode(AnimFolder() + L"anim.webp", anim, -1);
    EXPECT_EQ(anim.state.subIndex, 5);
    EXPECT_EQ(anim.picture.delayMs, 60);
}

TEST_F(FrameDecode, GifAndApngFramesCarryTheirFacts) {
    Decoded gif;
    Decode(AnimFolder() + L"loop2.gif", gif, 1);
    ASSERT_NE(gif.picture.bitmap, nullptr);
    EXPECT_EQ(gif.picture.delayMs, 30);
    EXPECT_EQ(gif.picture.loopCount, 2);
    EXPECT_EQ(gif.picture.premultipliedAlpha, 1);
    Decode(AnimFolder() + L"loop2.gif", gif, 3);
    EXPECT_EQ(gif.state.subIndex, 0);
    Decoded png;
    Decode(AnimFolder() + L"default.png", png, 2);
    ASSERT_NE(png.picture.bitmap, nullptr);
    EXPECT_EQ(png.picture.delayMs, 40);
    EXPECT_EQ(png.picture.loopCount, 3);
    EXPECT_EQ(png.picture.bitsPerPixel, 32);
    // Frame 0 of "ops.png" is the "IDAT" image: its code is negative.
    Decoded ops;
    Decode(AnimFolder() + L"ops.png", ops, 0);
    EXPECT_LT(ops.picture.disposal, 0);
}

// Every file cut at many lengths, each decoded as frame 0 and as the last
// frame: a bitmap or a status, and the walk ends.
TEST_F(FrameDecode, TruncatedFilesGiveAPictureOrAStatus) {
    const std::wstring folder = MakeScratchFolder(L"cut");
    for (const wchar_t* name : {L"disposals.gif", L"ops.png", L"default.png", L"icons.ico", L"depth24_MSB.tif",
                                L"anim.webp", L"mux.webp"}) {
        const std::string bytes = ReadWholeFile(AnimFolder() + name);
        ASSERT_FALSE(bytes.empty());
        const std::wstring ext = std::wstring(name).substr(std::wstring(name).rfind(L'.'));
        const size_t step = bytes.size() / 200 + 1;
        for (size_t length = 0; length < bytes.size(); length += (length < 64 ? 1 : step)) {
            const std::wstring path = folder + L"\\cut" + ext;
            ASSERT_TRUE(WriteWholeFile(path, bytes.substr(0, length)));
            for (int32_t subIndex : {0, -1}) {
                Decoded d;
                Decode(path, d, subIndex);
                if (!d.picture.bitmap) {
                    EXPECT_EQ(d.picture.width, -2) << length;
                } else {
                    EXPECT_GT(d.picture.width, 0) << length;
                }
            }
        }
    }
}

void Put32(std::string& s, size_t at, uint32_t v, bool big) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(big ? v >> (24 - 8 * i) : v >> (8 * i));
}

TEST_F(FrameDecode, HostileCountsSizesAndOffsetsFailCleanly) {
    const std::wstring folder = MakeScratchFolder(L"hostile");
    std::string ico = ReadWholeFile(AnimFolder() + L"icons.ico");
    std::string png = ReadWholeFile(AnimFolder() + L"ops.png");
    std::string tif = ReadWholeFile(AnimFolder() + L"depth24_LSB.tif");
    std::string gif = ReadWholeFile(AnimFolder() + L"ten.gif");
    ASSERT_TRUE(!ico.empty() && !png.empty() && !tif.empty() && !gif.empty());
    struct Case {
        std::wstring name;
        std::string bytes;
    };
    std::vector<Case> cases;
    std::string s = ico;
    s[4] = s[5] = '\xFF';  // 65,535 images
    cases.push_back({L"count.ico", s});
    s = ico;
    Put32(s, 6 + 12, 0xFFFFFFF0u, false);  // the first image far past the end
    cases.push_back({L"offset.ico", s});
    s = ico;
    Put32(s, 6 + 8, 0xFFFFFFFFu, false);  // and huge
    cases.push_back({L"size.ico", s});
    // "acTL" claims four billion frames; the first "fcTL" a huge frame far out.
    s = png;
    size_t actl = s.find("acTL"), fctl = s.find("fcTL");
    ASSERT_NE(actl, std::string::npos);
    Put32(s, actl + 4, 0xFFFFFFFFu, true);
    Put32(s, fctl + 4 + 4, 0x7FFFFFFFu, true);
    Put32(s, fctl + 4 + 16, 0xFFFFFFF0u, true);
    cases.push_back({L"frames.png", s});
    s = png;
    Put32(s, s.find("IDAT") - 4, 0x7FFFFFF0u, true);  // a chunk longer than the file
    cases.push_back({L"chunk.png", s});
    s = tif;
    Put32(s, 4, 0xFFFFFFF0u, false);  // the directory past the end
    cases.push_back({L"directory.tif", s});
    s = gif;
    s[6] = s[7] = s[8] = s[9] = '\xFF';  // a 65,535 x 65,535 screen
    cases.push_back({L"screen.gif", s});
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(folder + L"\\" + c.name, c.bytes));
        for (int32_t subIndex : {0, 1, -1}) {
            Decoded d;
            Decode(folder + L"\\" + c.name, d, subIndex);
            if (!d.picture.bitmap) {
                EXPECT_EQ(d.picture.width, -2);
            }
        }
    }
}

// Frames and canvases past the pixel limit are refused as too large; the
// frames of the same file that fit are decoded.
TEST_F(FrameDecode, FramesAndCanvasesPastThePixelLimitAreTooLarge) {
    struct Row {
        const wchar_t* name;
        int32_t subIndex;
        bool decoded;
    } rows[] = {{L"far_later.gif", 1, true}, {L"far_later.gif", 2, false}, {L"far_later.gif", 3, true},
                {L"far_first.gif", 0, false}, {L"big_canvas.webp", 0, false}, {L"big_canvas.webp", 1, false}};
    for (const Row& r : rows) {
        Decoded d;
        Decode(AnimFolder() + r.name, d, r.subIndex);
        EXPECT_EQ(d.picture.bitmap != nullptr, r.decoded) << r.subIndex;
        if (!r.decoded) {
            EXPECT_EQ(d.picture.width, -2) << r.subIndex;
            EXPECT_EQ(d.picture.height, -4) << r.subIndex;
        }
    }
}

// The hostile APNG also plays in a window without harm.
class HostileAnimation : public ViewerWindowTest {};

TEST_F(HostileAnimation, AnApngClaimingHugeFramesPlaysWhatItHas) {
    const std::wstring folder = MakeFolderWith(L"hostileplay", {});
    std::string s = ReadWholeFile(AnimFolder() + L"ops.png");
    const size_t fctl = s.find("fcTL", s.find("fcTL") + 4);  // the second frame
    Put32(s, fctl + 4 + 12, 0x7FFFFFF0u, true);                // placed far outside
    Put32(s, s.find("acTL") + 4, 0xFFFFFFFFu, true);
    ASSERT_TRUE(WriteWholeFile(folder + L"\\far.png", s));
    Create("", L"\"" + folder + L"\\far.png\"");
    ASSERT_EQ(state_->animated, 1);
    for (int i = 0; i < 8; ++i) Send(WM_COMMAND, IDM_ARC_NEXT);
    EXPECT_NE(state_->picture.bitmap, nullptr);
    EXPECT_LE(state_->picture.width, 48);
}

}  // namespace
