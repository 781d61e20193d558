// Pictures as the camera meant, on files made by Pillow: the eight EXIF
// orientations against Pillow's exif_transpose, three of colord's profiles in
// PNG and JPEG against the sRGB values of littleCMS, both settings off, a
// damaged profile, an sRGB picture on a display of another profile, a large
// picture turned without room for a second, and a turned photograph saved
// and copied as it is shown. First of all, two
// threads race to load the colour system, and a large picture is converted
// by several.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "decode_test_support.h"
#include "test_support.h"
#include "viewer/app/read_ahead.h"
#include "viewer/core/command_ids.h"
#include "viewer/core/dialogs.h"
#include "viewer/display/animation.h"
#include "viewer/formats/picture_tags.h"
#include "viewer/look/colour_lattice.h"
#include "viewer/look/colour_transform.h"
#include "viewer/look/picture_turn.h"
#include "viewer_window.h"

namespace {

std::wstring LookFolder() { return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\look\\"; }

// RGBA rows, as the generator writes what Pillow makes of a file.
struct Rgba {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> bytes;
    const uint8_t* At(int32_t x, int32_t y) const { return &bytes[(static_cast<size_t>(y) * width + x) * 4]; }
};

Rgba Expected(const std::wstring& name) {
    const std::string file = ReadWholeFile(LookFolder() + name + L".expect");
    Rgba rgba;
    EXPECT_GT(file.size(), 8u) << "no expected picture";
    if (file.size() < 8) return rgba;
    std::memcpy(&rgba.width, file.data(), 4);
    std::memcpy(&rgba.height, file.data() + 4, 4);
    rgba.bytes.assign(file.begin() + 8, file.end());
    return rgba;
}

// Any bitmap as RGBA rows (its alpha as stored, premultiplied or not).
Rgba Pixels(HBITMAP bitmap) {
    Rgba rgba;
    BITMAP bm = {};
    if (!GetObjectW(bitmap, sizeof bm, &bm)) return rgba;
    rgba.width = bm.bmWidth;
    rgba.height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    rgba.bytes.resize(static_cast<size_t>(rgba.width) * rgba.height * 4);
    BITMAPINFO info = TopDownInfo(rgba.width, rgba.height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(rgba.height), rgba.bytes.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (size_t i = 0; i < rgba.bytes.size(); i += 4) std::swap(rgba.bytes[i], rgba.bytes[i + 2]);
    return rgba;
}

// The largest difference of a colour channel, the shown picture being
// premultiplied where the expected one has alpha below 255; alpha must match.
int Difference(const Rgba& shown, const Rgba& expected) {
    if (shown.width != expected.width || shown.height != expected.height) return 1000;
    int worst = 0;
    for (int32_t y = 0; y < shown.height; ++y) {
        for (int32_t x = 0; x < shown.width; ++x) {
            const uint8_t* s = shown.At(x, y);
            const uint8_t* e = expected.At(x, y);
            if (s[3] != e[3]) return 1000;
            for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(s[c] - e[c] * e[3] / 255));
        }
    }
    return worst;
}

// First in the program, so that the colour system is not loaded yet: both
// threads must get a working transform, whichever loads it.
struct Racer {
    HANDLE start = nullptr;
    const std::string* profile = nullptr;
    bool made = false;
};

DWORD WINAPI MakeTransformOnStart(void* parameter) {
    Racer& racer = *static_cast<Racer*>(parameter);
    SetThreadDisplayProfile(L"");  // converts for sRGB, as a display without a profile
    WaitForSingleObject(racer.start, INFINITE);
    ColourTransform transform;
    racer.made = MakeColourTransform(reinterpret_cast<const uint8_t*>(racer.profile->data()), racer.profile->size(),
                                     nullptr, transform) &&
                 transform.Lattice() != nullptr;
    return 0;
}

TEST(ColourSystem, TwoThreadsLoadingItFirstBothConvert) {
    const std::string profile = ReadWholeFile(L"Z:\\usr\\share\\color\\icc\\colord\\AdobeRGB1998.icc");
    ASSERT_GT(profile.size(), 128u);
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Racer racers[2];
    HANDLE threads[2];
    for (int k = 0; k < 2; ++k) {
        racers[k].start = start;
        racers[k].profile = &profile;
        threads[k] = CreateThread(nullptr, 0, MakeTransformOnStart, &racers[k], 0, nullptr);
        ASSERT_NE(threads[k], nullptr);
    }
    Sleep(50);
    SetEvent(start);
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(start);
    EXPECT_TRUE(racers[0].made);
    EXPECT_TRUE(racers[1].made);
}

// A picture large enough for several threads, of a size that no piece
// divides, comes out as one call over all of it gives.
TEST(ColourSystem, APictureConvertedByThreadsMatchesOneRun) {
    const std::string profile = ReadWholeFile(L"Z:\\usr\\share\\color\\icc\\colord\\AdobeRGB1998.icc");
    ASSERT_GT(profile.size(), 128u);
    SetThreadDisplayProfile(L"");
    ColourTransform transform;
    const bool made =
        MakeColourTransform(reinterpret_cast<const uint8_t*>(profile.data()), profile.size(), nullptr, transform);
    SetThreadDisplayProfile(nullptr);
    ASSERT_TRUE(made && transform.Lattice());
    const int32_t width = 1531, height = 1409;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    uint32_t seed = 12345;
    for (uint8_t& byte : pixels) byte = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    for (bool premultiplied : {false, true}) {
        std::vector<uint8_t> threaded = pixels, whole = pixels;
        ASSERT_TRUE(TranslatePixels(transform, threaded.data(), width, height, premultiplied));
        ApplyLattice(transform.Lattice(), whole.data(), whole.size() / 4, premultiplied);
        EXPECT_TRUE(threaded == whole) << premultiplied;
        EXPECT_FALSE(threaded == pixels);
    }
}

class Look : public ::testing::Test {
protected:
    ComApartment com;
    Settings settings = LoadSettings((MakeScratchFolder(L"look") + L"\\none.ini").c_str());
    PluginList noPlugins;
    Rgba Show(const std::wstring& name) {
        Decoded d;
        d.bitmap = DecodePicture((LookFolder() + name).c_str(), d.state, settings, noPlugins, nullptr, 1, d.picture);
        EXPECT_NE(d.bitmap, nullptr) << d.picture.width;
        if (!d.bitmap) return Rgba();
        EXPECT_EQ(d.picture.width, Pixels(d.bitmap).width);
        return Pixels(d.bitmap);
    }
};

TEST_F(Look, EveryOrientationStandsUprightAsPillowTurnsIt) {
    for (const wchar_t* name : {L"orient1.jpg", L"orient2.jpg", L"orient3.jpg", L"orient4.jpg", L"orient5.jpg",
                                L"orient6.jpg", L"orient7.jpg", L"orient8.jpg", L"orient6.png"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        // Two JPEG decoders may differ by a step or two at the patches' edges.
        EXPECT_LE(Difference(Show(name), Expected(name)), 4);
    }
    settings.ExifOrientation = 0;
    for (const wchar_t* name : {L"orient5.jpg", L"orient6.jpg", L"orient8.jpg"}) {
        EXPECT_LE(Difference(Show(name), Expected(L"orient1.jpg")), 4);
    }
}

// A picture of three bands and more, every pixel its own, turned where it
// lies or through the spill file as when memory is short: the same as the
// whole picture written turned at once.
TEST(PictureTurn, ALargePictureTurnsRightWithAndWithoutRoomForTwo) {
    const int32_t width = 1800, height = 1300;
    std::vector<uint32_t> source(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint32_t>(i % width | i / width << 16);
    for (int32_t orientation = 1; orientation <= 8; ++orientation) {
        int32_t turnedWidth = 0, turnedHeight = 0;
        OrientedSize(orientation, width, height, turnedWidth, turnedHeight);
        std::vector<uint32_t> expected(source.size());
        OrientPixels(source.data(), width, height, orientation, expected.data());
        for (TurnRoom room : {TurnRoom::Auto, TurnRoom::Short}) {
            SCOPED_TRACE(orientation * 10 + (room == TurnRoom::Short));
            void* bits = nullptr;
            HBITMAP bitmap = CreateTopDownSection(nullptr, width, height, &bits);
            ASSERT_NE(bitmap, nullptr);
            std::memcpy(bits, source.data(), source.size() * 4);
            bool turned = false;
            bitmap = TurnSection(bitmap, static_cast<uint8_t*>(bits), width, height, orientation, turned, room);
            ASSERT_NE(bitmap, nullptr);
            EXPECT_EQ(turned, orientation != 1);
            DIBSECTION dib = {};
            ASSERT_EQ(GetObjectW(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
            EXPECT_EQ(dib.dsBm.bmWidth, turnedWidth);
            EXPECT_EQ(dib.dsBm.bmHeight, turnedHeight);
            EXPECT_EQ(std::memcmp(dib.dsBm.bmBits, expected.data(), expected.size() * 4), 0);
            DeleteObject(bitmap);
        }
    }
}

TEST_F(Look, AnArchiveMemberStandsUprightToo) {
    EXPECT_LE(Difference(Show(L"turned.zip"), Expected(L"orient6.jpg")), 4);
}

TEST_F(Look, ProfilesAreConvertedToTheSrgbValuesOfLittleCms) {
    for (const wchar_t* profile : {L"AdobeRGB1998", L"ProPhotoRGB", L"SwappedRedAndGreen"}) {
        for (const wchar_t* extension : {L".png", L".jpg"}) {
            const std::wstring name = std::wstring(profile) + extension;
            SCOPED_TRACE(std::string(name.begin(), name.end()));
            EXPECT_LE(Difference(Show(name), Expected(name)), 6);
        }
    }
    // CMYK, its profile in several segments, through the CMYK samples.
    if (GetFileAttributesW((LookFolder() + L"cmyk.jpg").c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_LE(Difference(Show(L"cmyk.jpg"), Expected(L"cmyk.jpg")), 6);
    }
    // Pure red under the swapped profile is green.
    const Rgba swapped = Show(L"SwappedRedAndGreen.png");
    ASSERT_EQ(swapped.width, 96);
    EXPECT_LT(swapped.At(8, 8)[0], 30);
    EXPECT_GT(swapped.At(8, 8)[1], 225);
    // Off, and with a profile that does not inflate: the stored values.
    const Rgba stored = Expected(L"damaged.png");
    EXPECT_EQ(Difference(Show(L"damaged.png"), stored), 0);
    settings.ColorManagement = 0;
    const Rgba off = Show(L"SwappedRedAndGreen.png");
    ASSERT_EQ(off.width, 96);
    for (int32_t x = 0; x < off.width; ++x) {
        EXPECT_EQ(std::memcmp(off.At(x, 0), stored.At(x, 0), 4), 0) << x;
    }
}

// The save dialog answered with a file of the test's choice.
std::wstring g_savePath;
BOOL AnswerSave(OPENFILENAMEW* dialog) {
    lstrcpynW(dialog->lpstrFile, g_savePath.c_str(), dialog->nMaxFile);
    return TRUE;
}

class LookWindow : public ViewerWindowTest {};

TEST_F(LookWindow, ATurnedPhotographIsSavedAndCopiedAsShown) {
    Create("", L"\"" + LookFolder() + L"orient6.jpg\"");
    Send(WM_COMMAND, IDM_ROTATE_R);
    // Upright is 40 × 64; the user's turn to the right on top of it.
    const Rgba upright = Expected(L"orient6.jpg");
    Rgba shown = upright;
    OrientPixels(reinterpret_cast<const uint32_t*>(upright.bytes.data()), upright.width, upright.height, 6,
                 reinterpret_cast<uint32_t*>(shown.bytes.data()));
    std::swap(shown.width, shown.height);

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    Send(WM_COMMAND, IDM_COPY_IMAGE);
    ASSERT_TRUE(OpenClipboard(nullptr));
    Rgba clip = Pixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    for (size_t i = 3; i < clip.bytes.size(); i += 4) clip.bytes[i] = 255;
    EXPECT_LE(Difference(clip, shown), 4);

    g_savePath = MakeScratchFolder(L"look-save") + L"\\turned.bmp";
    SaveDialogHook previous = SetSaveDialogHook(AnswerSave);
    Send(WM_COMMAND, IDM_SAVE_IMAGE);
    SetSaveDialogHook(previous);
    HBITMAP saved = static_cast<HBITMAP>(
        LoadImageW(nullptr, g_savePath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(saved, nullptr);
    Rgba file = Pixels(saved);
    DeleteObject(saved);
    for (size_t i = 3; i < file.bytes.size(); i += 4) file.bytes[i] = 255;
    EXPECT_LE(Difference(file, shown), 4);
}

}  // namespace

namespace {

// The display's profile as Wine reads it: the first value of the monitor
// profiles' key, naming a file of the colour folder; removed when it ends.
class DisplayProfile {
public:
    explicit DisplayProfile(const wchar_t* name) : name_(name) {
        wchar_t folder[MAX_PATH];
        GetSystemDirectoryW(folder, MAX_PATH);
        file_ = std::wstring(folder) + L"\\spool\\drivers\\color\\" + name;
        CopyFileW((L"Z:\\usr\\share\\color\\icc\\colord\\" + name_).c_str(), file_.c_str(), FALSE);
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        RegSetValueExW(key_, name, 0, REG_BINARY, nullptr, 0);
    }
    ~DisplayProfile() {
        RegDeleteValueW(key_, name_.c_str());
        RegCloseKey(key_);
        DeleteFileW(file_.c_str());
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\ICM\\mntr";
    std::wstring name_, file_;
    HKEY key_ = nullptr;
};

// What a display with SwappedRedAndGreen.icc gets: sRGB's values with red and
// green exchanged.
Rgba RedAndGreenExchanged(Rgba rgba) {
    for (size_t i = 0; i < rgba.bytes.size(); i += 4) std::swap(rgba.bytes[i], rgba.bytes[i + 1]);
    return rgba;
}

// The common sRGB profile is left alone on an sRGB display only.
TEST_F(Look, AnSrgbPictureIsConvertedForADisplayOfAnotherProfile) {
    const Rgba srgb = Expected(L"sRGB.png");
    EXPECT_LE(Difference(Show(L"sRGB.png"), srgb), 1);
    DisplayProfile swapped(L"SwappedRedAndGreen.icc");
    EXPECT_LE(Difference(Show(L"sRGB.png"), RedAndGreenExchanged(srgb)), 6);
}

TEST_F(LookWindow, AChangedDisplayProfileConvertsThePictureAgain) {
    Create("", L"\"" + LookFolder() + L"AdobeRGB1998.png\"");
    const Rgba srgb = Expected(L"AdobeRGB1998.png");
    EXPECT_LE(Difference(Pixels(state_->picture.bitmap), srgb), 6);
    {
        DisplayProfile swapped(L"SwappedRedAndGreen.icc");
        wchar_t path[MAX_PATH];
        ASSERT_TRUE(DisplayProfilePath(window_, path));
        ASSERT_NE(wcsstr(path, L"SwappedRedAndGreen"), nullptr) << "this Wine takes no display profile";
        Send(WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
        Settle();
        EXPECT_LE(Difference(Pixels(state_->picture.bitmap), RedAndGreenExchanged(srgb)), 6);
    }
    Send(WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    Settle();
    EXPECT_LE(Difference(Pixels(state_->picture.bitmap), srgb), 6);
}

TEST_F(LookWindow, APictureReadAheadForAnotherDisplayProfileIsConvertedAgain) {
    const std::wstring folder = MakeScratchFolder(L"look-ahead");
    for (const wchar_t* name : {L"\\a.png", L"\\b.png"}) {
        ASSERT_TRUE(CopyFileW((LookFolder() + L"AdobeRGB1998.png").c_str(), (folder + name).c_str(), FALSE));
    }
    Create("", L"\"" + folder + L"\\a.png\"");
    PumpMessages(500);  // b.png is read ahead for the display as it was
    ASSERT_GT(HeldReadAheadBytes(*state_), 0u);
    DisplayProfile swapped(L"SwappedRedAndGreen.icc");
    Send(WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_EQ(HeldReadAheadBytes(*state_), 0u);  // given up at the change
    Send(WM_COMMAND, IDM_NEXT);
    EXPECT_LE(Difference(Pixels(state_->picture.bitmap), RedAndGreenExchanged(Expected(L"AdobeRGB1998.png"))), 6);
}

TEST_F(LookWindow, EachComposedFrameOfAnAnimationIsConverted) {
    Create("", L"\"" + LookFolder() + L"anim_adobe.png\"");
    ASSERT_TRUE(state_->animated);
    EXPECT_LE(Difference(Pixels(state_->picture.bitmap), Expected(L"anim_adobe.png.0")), 6);
    ComposeFrame(*state_, 1);
    EXPECT_LE(Difference(Pixels(state_->picture.bitmap), Expected(L"anim_adobe.png.1")), 6);
}

}  // namespace
