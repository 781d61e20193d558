// Decoding real files made by ImageMagick at build time: a golden table of
// sizes and reported depths, the status values for missing, unreadable and
// refused files, the WIC admission rule, and the premultiplication helpers.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>

#include "decode_test_support.h"
#include "test_support.h"
#include "viewer/core/settings.h"
#include "viewer/decode/decode_file.h"
#include "viewer/decode/decode_picture.h"
#include "viewer/decode/file_buffer.h"
#include "viewer/imaging/wic_decode.h"
#include "viewer/plugins/ansi_path.h"

namespace {

std::wstring PictureFolder() { return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\"; }

Settings DefaultSettings() {
    // No settings file: every key takes its default.
    std::wstring ini = MakeScratchFolder(L"decode") + L"\\none.ini";
    return LoadSettings(ini.c_str());
}

void Decode(const std::wstring& path, const Settings& settings, Decoded& out) {
    PluginList plugins;
    out.bitmap = DecodePicture(path.c_str(), out.state, settings, plugins, nullptr, 1, out.picture);
}

// The first pixel of a 32-bit DIB section, as blue, green, red, alpha.
uint32_t FirstPixel(HBITMAP bitmap) {
    DIBSECTION dib = {};
    if (GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits) return 0xDEADBEEF;
    GdiFlush();
    return *static_cast<const uint32_t*>(dib.dsBm.bmBits);
}

class DecodeTest : public ::testing::Test {
protected:
    ComApartment com;
    Settings settings = DefaultSettings();
};

TEST_F(DecodeTest, GoldenTable) {
    struct Row {
        const wchar_t* file;
        int width, height;
        int bitsPerPixel;
        // Has alpha below 255 somewhere, so it is drawn premultiplied. WIC reads
        // a 32-bit BMP without a mask as opaque.
        int blended;
    } rows[] = {
        {L"alpha.png", 64, 48, 32, 1},   {L"opaque.png", 64, 48, 24, 0},  {L"photo.jpg", 64, 48, 24, 0},
        {L"depth1.bmp", 64, 48, 1, 0},   {L"depth4.bmp", 64, 48, 4, 0},   {L"depth8.bmp", 64, 48, 8, 0},
        {L"depth24.bmp", 64, 48, 24, 0}, {L"depth32.bmp", 64, 48, 32, 0}, {L"core24.bmp", 64, 48, 24, 0},
        // The still GIF reports its colour resolution, the TIFF its samples.
        {L"v5.bmp", 64, 48, 32, 0},      {L"still.gif", 40, 30, 8, 0},    {L"still.tif", 40, 30, 24, 0},
    };
    for (const Row& row : rows) {
        Decoded d;
        Decode(PictureFolder() + row.file, settings, d);
        ASSERT_NE(d.bitmap, nullptr) << row.file;
        EXPECT_EQ(d.picture.bitmap, d.bitmap);
        EXPECT_EQ(d.picture.width, row.width) << row.file;
        EXPECT_EQ(d.picture.height, row.height) << row.file;
        EXPECT_EQ(d.picture.bitsPerPixel, row.bitsPerPixel) << row.file;
        EXPECT_EQ(d.picture.premultipliedAlpha, row.blended) << row.file;
        EXPECT_EQ(d.picture.lastIndex, -1) << row.file;
        // Every built-in result is a 32-bit DIB section.
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectW(d.bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib))) << row.file;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    }
}

TEST_F(DecodeTest, RowsAreTopDown) {
    // The photo runs from white at the top to black at the bottom.
    Decoded d;
    Decode(PictureFolder() + L"photo.jpg", settings, d);
    ASSERT_NE(d.bitmap, nullptr);
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectW(d.bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    const uint8_t* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    EXPECT_GT(bits[0], 240);
    EXPECT_LT(bits[(64 * 47) * 4], 15);
}

TEST_F(DecodeTest, HalfTransparentPixelsArePremultiplied) {
    Decoded d;
    Decode(PictureFolder() + L"alpha.png", settings, d);
    ASSERT_NE(d.bitmap, nullptr);
    // (red 200, green 100, blue 50) at alpha 128: value × 128 ÷ 255, rounded down.
    EXPECT_EQ(FirstPixel(d.bitmap), 0x80643219u);  // alpha 128, red 100, green 50, blue 25

    Decoded opaque;
    Decode(PictureFolder() + L"opaque.png", settings, opaque);
    EXPECT_EQ(FirstPixel(opaque.bitmap), 0xFF0A141Eu);
}

TEST_F(DecodeTest, StatusValues) {
    const std::wstring folder = MakeScratchFolder(L"status");
    {
        Decoded d;
        Decode(folder + L"\\gone.png", settings, d);
        EXPECT_EQ(d.bitmap, nullptr);
        EXPECT_EQ(d.picture.width, -1);
    }
    {
        // Text under a picture's name: WIC reads the content and refuses it.
        ASSERT_TRUE(WriteWholeFile(folder + L"\\notes.png", "just some text, not a picture\r\n"));
        Decoded d;
        Decode(folder + L"\\notes.png", settings, d);
        EXPECT_EQ(d.bitmap, nullptr);
        EXPECT_EQ(d.picture.width, -2);
    }
    {
        // A damaged picture fails cleanly too.
        std::string png = ReadWholeFile(PictureFolder() + L"opaque.png");
        ASSERT_GT(png.size(), 60u);
        ASSERT_TRUE(WriteWholeFile(folder + L"\\cut.png", png.substr(0, 60)));
        Decoded d;
        Decode(folder + L"\\cut.png", settings, d);
        EXPECT_EQ(d.bitmap, nullptr);
        EXPECT_EQ(d.picture.width, -2);
        ASSERT_TRUE(WriteWholeFile(folder + L"\\empty.jpg", ""));
        Decoded e;
        Decode(folder + L"\\empty.jpg", settings, e);
        EXPECT_EQ(e.picture.width, -2);
    }
}

// A BMP header that claims `width` × `height` pixels of 24 bits, followed by
// only a few bytes of pixels.
std::string HugeBmp(int32_t width, int32_t height) {
    std::string b(54 + 64, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    return b;
}

TEST_F(DecodeTest, HugeClaimedSizesFailCleanly) {
    const std::wstring folder = MakeScratchFolder(L"huge");
    struct Case {
        const wchar_t* name;
        int32_t width, height;
    } cases[] = {
        {L"\\wide.bmp", 40000, 40000},   // 6.4 GB of pixels: past any 32-bit buffer
        {L"\\edge.bmp", 32768, 32768},   // exactly 2^32 bytes as 32-bit pixels
        {L"\\upside.bmp", 100, INT32_MIN},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(folder + c.name, HugeBmp(c.width, c.height)));
        Decoded d;
        Decode(folder + c.name, settings, d);
        EXPECT_EQ(d.bitmap, nullptr) << c.name;
        EXPECT_EQ(d.picture.width, -2) << c.name;
    }
}

TEST_F(DecodeTest, PicturePastTheLimitThatCannotOrMayNotBeShownReducedIsTooLarge) {
    const std::wstring folder = MakeScratchFolder(L"giant");
    // Two million pixels a side at three bytes each: 12 TB, past any memory,
    // told by a header that the imaging component reads as it is.
    ASSERT_TRUE(WriteWholeFile(folder + L"\\claims.bmp", HugeBmp(2000000, 2000000)));
    ASSERT_TRUE(WriteWholeFile(folder + L"\\within.bmp", HugeBmp(30000, 30000)));
    struct Row {
        std::wstring path;
        bool showReduced;
    } rows[] = {
        {folder + L"\\claims.bmp", true},
        {folder + L"\\within.bmp", false},
        {PictureFolder() + L"giant\\giant.png", false},
    };
    for (const Row& row : rows) {
        settings.ShowHugeReduced = row.showReduced;
        Decoded d;
        Decode(row.path, settings, d);
        EXPECT_EQ(d.bitmap, nullptr) << row.path;
        EXPECT_EQ(d.picture.width, kStatusUnsupported) << row.path;
        EXPECT_EQ(d.picture.height, kStatusTooLarge) << row.path;
    }
}

TEST_F(DecodeTest, ZipWithoutArchiveSearchIsRefused) {
    const std::wstring folder = MakeScratchFolder(L"zip");
    // Even a real picture under the name: ".zip" is not in the WIC list.
    ASSERT_TRUE(WriteWholeFile(folder + L"\\pictures.zip", ReadWholeFile(PictureFolder() + L"photo.jpg")));
    settings.SearchInArchive = 0;
    Decoded d;
    Decode(folder + L"\\pictures.zip", settings, d);
    EXPECT_EQ(d.bitmap, nullptr);
    EXPECT_EQ(d.picture.width, -2);
}

TEST_F(DecodeTest, NoExtensionNeedsAnEmptyWicList) {
    const std::wstring folder = MakeScratchFolder(L"noext");
    ASSERT_TRUE(WriteWholeFile(folder + L"\\photo", ReadWholeFile(PictureFolder() + L"photo.jpg")));
    Decoded refused;
    Decode(folder + L"\\photo", settings, refused);
    EXPECT_EQ(refused.picture.width, -2);

    settings.WICExt[0] = '\0';
    Decoded admitted;
    Decode(folder + L"\\photo", settings, admitted);
    ASSERT_NE(admitted.bitmap, nullptr);
    EXPECT_EQ(admitted.picture.width, 64);
    EXPECT_EQ(admitted.picture.bitsPerPixel, 32);  // no rule for the name: the bitmap's depth
}

TEST_F(DecodeTest, UnicodeNamesOpenThroughTheirShortForm) {
    const std::wstring folder = MakeScratchFolder(L"unicode");
    // Hiragana and Greek: outside the ANSI code page of a Western system.
    const std::wstring path = folder + L"\\\u3042\u03A9 picture.JPG";
    ASSERT_TRUE(WriteWholeFile(path, ReadWholeFile(PictureFolder() + L"photo.jpg")));
    Decoded d;
    Decode(path, settings, d);
    ASSERT_NE(d.bitmap, nullptr);
    EXPECT_EQ(d.picture.bitsPerPixel, 24);  // the extension is compared ignoring case
}

TEST_F(DecodeTest, NameWithoutAnAnsiSpellingOpensItselfNotItsLookAlike) {
    const std::wstring folder = MakeScratchFolder(L"omega");
    // A best-fit conversion spells the capital omega "O".
    const std::wstring omega = folder + L"\\\u03A9mega.png";
    ASSERT_TRUE(WriteWholeFile(omega, ReadWholeFile(PictureFolder() + L"opaque.png")));
    ASSERT_TRUE(WriteWholeFile(folder + L"\\Omega.png", ReadWholeFile(PictureFolder() + L"alpha.png")));
    Decoded d;
    Decode(omega, settings, d);
    ASSERT_NE(d.bitmap, nullptr);
    EXPECT_EQ(FirstPixel(d.bitmap), 0xFF0A141Eu);  // rgb(10, 20, 30), opaque

    // Even with no ANSI name at all (no short form either) the file is read by
    // its own name.
    Decoded direct;
    PluginList noPlugins;
    direct.bitmap = DecodeFile(omega.c_str(), "", ".png", direct.state, settings, noPlugins, nullptr, 1,
                               direct.picture);
    ASSERT_NE(direct.bitmap, nullptr);
    EXPECT_EQ(FirstPixel(direct.bitmap), 0xFF0A141Eu);
    char ansi[MAX_PATH];
    EXPECT_FALSE(ToAnsiExactly(omega.c_str(), ansi));
    EXPECT_STREQ(ansi, "");
}

TEST_F(DecodeTest, MissingFileKeepsNothingOfTheEntryBefore) {
    Decoded d;
    d.picture.lastIndex = 7;  // as left by an archive of eight members
    Decode(MakeScratchFolder(L"missing") + L"\\gone.png", settings, d);
    EXPECT_EQ(d.bitmap, nullptr);
    EXPECT_EQ(d.picture.width, -1);
    EXPECT_EQ(d.picture.lastIndex, -1);
}

TEST_F(DecodeTest, GifSubIndexWrapsAndTheBufferIsKept) {
    Decoded d;
    d.state.subIndex = -1;
    Decode(PictureFolder() + L"still.gif", settings, d);
    ASSERT_NE(d.bitmap, nullptr);
    // The file was read once into the state, for the frames still to come.
    ASSERT_NE(d.state.fileBuffer, nullptr);
    EXPECT_EQ(d.state.fileLength, ReadWholeFile(PictureFolder() + L"still.gif").size());
    EXPECT_EQ(NormalizeSubIndex(-1, 5), 4);
    EXPECT_EQ(NormalizeSubIndex(5, 5), 0);
    EXPECT_EQ(NormalizeSubIndex(3, 5), 3);
    EXPECT_EQ(NormalizeSubIndex(-7, 5), 4);
    EXPECT_EQ(NormalizeSubIndex(2, 0), 0);
}

TEST(IsAdmittedByWic, SubstringOfTheListIgnoringCase) {
    const char* list = ".bmp.jpeg.jpg.png.gif.hdp.wdp.jxr.tiff.icon";
    struct Case {
        const char* extension;
        bool admitted;
    } cases[] = {
        {".jpg", true}, {".JPG", true}, {".tif", true},  // inside ".tiff"
        {".ico", true},                                  // inside ".icon"
        {".zip", false}, {".webp", false}, {"", false},  {".p", true},
    };
    for (const Case& c : cases) EXPECT_EQ(IsAdmittedByWic(c.extension, list), c.admitted) << c.extension;
    EXPECT_TRUE(IsAdmittedByWic("", ""));
    EXPECT_TRUE(IsAdmittedByWic(".zip", ""));
    EXPECT_TRUE(IsAdmittedByWic(".PNG", ".BMP.Png"));
}

TEST_F(DecodeTest, MemoryDecodeMatchesFileDecode) {
    std::string bytes = ReadWholeFile(PictureFolder() + L"alpha.png");
    HBITMAP bitmap = DecodeWicMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    ASSERT_NE(bitmap, nullptr);
    // Not premultiplied yet: that is the caller's step.
    EXPECT_EQ(FirstPixel(bitmap), 0x80C86432u);
    EXPECT_TRUE(PremultiplyAlpha(bitmap));
    EXPECT_EQ(FirstPixel(bitmap), 0x80643219u);
    DeleteObject(bitmap);
    EXPECT_EQ(DecodeWicMemory(reinterpret_cast<const uint8_t*>(bytes.data()), 20), nullptr);
    EXPECT_EQ(DecodeWicMemory(nullptr, 0), nullptr);
}

TEST_F(DecodeTest, OnlyExactBgraSourcesBecomeSections) {
    IWICImagingFactory* factory = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))));
    IWICBitmap* bgr = nullptr;
    ASSERT_TRUE(SUCCEEDED(factory->CreateBitmap(4, 4, GUID_WICPixelFormat24bppBGR, WICBitmapCacheOnLoad, &bgr)));
    EXPECT_EQ(CreateBgraDibSection(bgr), nullptr);
    bgr->Release();
    IWICBitmap* pbgra = nullptr;
    ASSERT_TRUE(SUCCEEDED(factory->CreateBitmap(4, 4, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &pbgra)));
    EXPECT_EQ(CreateBgraDibSection(pbgra), nullptr);
    pbgra->Release();
    IWICBitmap* bgra = nullptr;
    ASSERT_TRUE(SUCCEEDED(factory->CreateBitmap(4, 4, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, &bgra)));
    HBITMAP section = CreateBgraDibSection(bgra);
    EXPECT_NE(section, nullptr);
    DeleteObject(section);
    bgra->Release();
    factory->Release();
}

TEST(PremultiplyAlpha, IntegerRuleOnSectionsAndDeviceBitmaps) {
    uint8_t pixels[] = {50, 100, 200, 128, 10, 20, 30, 255, 255, 255, 255, 0, 255, 255, 255, 1};
    EXPECT_FALSE(PremultiplyPixels(pixels, 4));
    EXPECT_TRUE(PremultiplyPixels(pixels + 4, 1));
    const uint8_t expected[] = {25, 50, 100, 128, 10, 20, 30, 255, 0, 0, 0, 0, 1, 1, 1, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(pixels[i], expected[i]) << i;

    // A bitmap that is not a DIB section goes through a copy out and back.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP device = CreateBitmap(2, 1, 1, 32, nullptr);
    ASSERT_NE(device, nullptr);
    const uint32_t source[2] = {0x80C86432u, 0xFF0A141Eu};
    SetBitmapBits(device, sizeof(source), source);
    EXPECT_TRUE(PremultiplyAlpha(device));
    uint32_t after[2] = {};
    GetBitmapBits(device, sizeof(after), after);
    EXPECT_EQ(after[0], 0x80643219u);
    EXPECT_EQ(after[1], 0xFF0A141Eu);
    DeleteObject(device);
    // Not 32 bits: refused, unchanged.
    HBITMAP mono = CreateBitmap(8, 8, 1, 1, nullptr);
    EXPECT_FALSE(PremultiplyAlpha(mono));
    DeleteObject(mono);
    EXPECT_FALSE(PremultiplyAlpha(nullptr));
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace
