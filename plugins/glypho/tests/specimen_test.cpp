// Tests of the specimen and preview pictures under Wine, judged from their
// pixels: size and layout of the page, the sample chosen by the font's script,
// the settings that shape the page, the clipboard, and the failures that leave
// no picture. The run saves the Latin and Japanese specimens as PNG files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "plugins/glypho/tests/spi_host.h"

using namespace glypho_test;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

// Runs of rows with ink in [x0, x1): each band is {first row, last row}.
std::vector<std::pair<int, int>> InkBands(const Picture& picture, int x0, int x1, uint32_t background) {
    std::vector<std::pair<int, int>> bands;
    int start = -1;
    for (int y = 0; y < picture.height; ++y) {
        bool ink = picture.InkIn(x0, y, x1, y + 1, background) > 0;
        if (ink && start < 0) start = y;
        if (!ink && start >= 0) {
            bands.push_back({start, y - 1});
            start = -1;
        }
    }
    if (start >= 0) bands.push_back({start, picture.height - 1});
    return bands;
}

// The rightmost column with ink in rows [y0, y1), or -1.
int RightmostInk(const Picture& picture, int y0, int y1, uint32_t background) {
    for (int x = picture.width - 1; x >= 0; --x) {
        if (picture.InkIn(x, y0, x + 1, y1, background) > 0) return x;
    }
    return -1;
}

// Where a specimen is saved for a person to look at; the system's code page is
// part of the name, since it chooses the system face of the texts around the samples.
std::string SpecimenPath(const char* name) {
    return EnvPath("OXEL_BINARY_DIR") + "\\specimens\\" + name + "-cp" + std::to_string(GetACP()) + ".png";
}

class SpecimenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestPlugin().module) << "glypho.spi could not be loaded";
        ClearSettings();
    }
    Plugin& p = TestPlugin();

    Picture Specimen(const char* font, int32_t expected = 0) {
        Picture picture;
        EXPECT_EQ(expected, PictureOfFile(p.getPicture, font, &picture)) << font;
        return picture;
    }

    Picture Preview(const char* font, int32_t expected = 0) {
        Picture picture;
        EXPECT_EQ(expected, PictureOfFile(p.getPreview, font, &picture)) << font;
        return picture;
    }

    static std::wstring ClipboardText() {
        std::wstring text;
        if (!OpenClipboard(nullptr)) return L"<not opened>";
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (data) {
            const wchar_t* locked = static_cast<const wchar_t*>(GlobalLock(data));
            if (locked) text = locked;
            GlobalUnlock(data);
        } else {
            text = L"<none>";
        }
        CloseClipboard();
        return text;
    }

    // A host window that is active, as the viewer's is when it asks for a
    // picture: it owns the clipboard while the names are put there.
    struct ActiveHost {
        HWND window;
        ActiveHost()
            : window(CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {
            SetForegroundWindow(window);
            SetActiveWindow(window);
        }
        ~ActiveHost() { DestroyWindow(window); }
        ActiveHost(const ActiveHost&) = delete;
        ActiveHost& operator=(const ActiveHost&) = delete;
    };

    static void PutClipboardText(const wchar_t* text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        size_t bytes = (lstrlenW(text) + 1) * sizeof(wchar_t);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(block), text, bytes);
        GlobalUnlock(block);
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
    }
};

}  // namespace

TEST_F(SpecimenTest, LatinSpecimenIsA640By480BottomUpPageWithGrowingLines) {
    Picture page = Specimen(kLatinFont);
    ASSERT_EQ(640, page.width);
    ASSERT_EQ(480, page.height);  // positive: rows run bottom-up
    EXPECT_EQ(24, page.bitCount);
    EXPECT_EQ(40u, page.headerSize);
    EXPECT_EQ(static_cast<uint32_t>(BI_RGB), page.compression);
    EXPECT_GE(page.infoBlockSize, 40u);
    EXPECT_EQ(1920u * 480u, page.rows.size());
    SavePng(page, SpecimenPath("latin-dejavu-sans"));

    EXPECT_EQ(kWhite, page.At(0, 0));
    EXPECT_EQ(kWhite, page.At(639, 0));
    // Nothing in the margin; the name starts at the top-left margin.
    EXPECT_EQ(0, page.InkIn(0, 0, 640, 4, kWhite));
    EXPECT_EQ(0, page.InkIn(0, 0, 4, 480, kWhite));
    EXPECT_GT(page.InkIn(4, 4, 120, 50, kWhite), 50);

    // Below the header blocks, each ladder line is taller than the one before,
    // and the last reaches the bottom edge.
    std::vector<std::pair<int, int>> bands = InkBands(page, 40, 640, kWhite);
    ASSERT_GE(bands.size(), 6u);
    std::vector<int> heights;
    for (size_t i = bands.size() - 5; i < bands.size(); ++i) heights.push_back(bands[i].second - bands[i].first);
    for (size_t i = 1; i + 1 < heights.size(); ++i) EXPECT_GT(heights[i], heights[i - 1]) << "line " << i;
    EXPECT_GT(bands.back().second, 430);
}

TEST_F(SpecimenTest, NameIsDrawnInTheFontItselfWhenAskedTo) {
    SetSetting("ViewSetting", "DisplayInLoadedFont", "ON");
    Picture inFont = Specimen(kCffFont);
    SetSetting("ViewSetting", "DisplayInLoadedFont", "OFF");
    Picture inSystem = Specimen(kCffFont);
    SetSetting("ViewSetting", "DisplayInLoadedFont", "AUTO");
    Picture automatic = Specimen(kCffFont);
    SetSetting("ViewSetting", "DisplayInLoadedFont", "ONONONONON");  // longer than 7: off
    Picture tooLong = Specimen(kCffFont);

    auto sameRows = [](const Picture& a, const Picture& b, int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            for (int x = 0; x < a.width; ++x) {
                if (a.At(x, y) != b.At(x, y)) return false;
            }
        }
        return true;
    };
    EXPECT_GT(inFont.InkIn(4, 4, 200, 48, kWhite), 100);
    EXPECT_FALSE(sameRows(inFont, inSystem, 0, 48));
    // Cabin shows every letter of its name, so AUTO draws it in the font too.
    EXPECT_TRUE(sameRows(inFont, automatic, 0, 48));
    EXPECT_TRUE(sameRows(inSystem, tooLong, 0, 48));
}

// The Japanese sample is drawn when the font's probe reports the Shift-JIS
// character set, which GDI gives a Japanese font on a Japanese system only.
TEST_F(SpecimenTest, JapaneseFontGetsTheJapaneseSampleOnAJapaneseSystem) {
    Picture page = Specimen(kJapaneseFont);
    ASSERT_EQ(640, page.width);
    SavePng(page, SpecimenPath("japanese-ipagothic"));
    // With a one-letter English sample and a long Japanese one, the width of the
    // last ladder line tells which was chosen.
    SetSettingW(L"ViewSetting", L"StrEng", L"i");
    SetSettingW(L"ViewSetting", L"StrJpn", L"\x65E5\x672C\x8A9E\x65E5\x672C\x8A9E\x65E5\x672C\x8A9E");
    SetSetting("ViewSetting", "StrPtArray", "24");
    Picture japanese = Specimen(kJapaneseFont);
    Picture latin = Specimen(kLatinFont);
    std::vector<std::pair<int, int>> jb = InkBands(japanese, 0, 640, kWhite);
    std::vector<std::pair<int, int>> lb = InkBands(latin, 0, 640, kWhite);
    ASSERT_FALSE(jb.empty());
    ASSERT_FALSE(lb.empty());
    const int japaneseWidth = RightmostInk(japanese, jb.back().first, jb.back().second + 1, kWhite);
    if (GetACP() == 932) {
        EXPECT_GT(japaneseWidth, 200);
    } else {
        EXPECT_LT(japaneseWidth, 100);
    }
    EXPECT_LT(RightmostInk(latin, lb.back().first, lb.back().second + 1, kWhite), 100);
}

TEST_F(SpecimenTest, CollectionIsDrawnFromItsFirstMemberOnlyWhenSwitchedOn) {
    ActiveHost host;
    ASSERT_EQ(host.window, GetActiveWindow());
    SetSetting("SystemSetting", "CopyFontName", "on");
    PutClipboardText(L"before");
    Specimen(kCollection, 2);
    EXPECT_EQ(L"before", ClipboardText());
    SetSetting("SystemSetting", "ProcTTC", "1");
    Picture page = Specimen(kCollection);
    EXPECT_EQ(640, page.width);
    EXPECT_GT(page.InkIn(4, 4, 300, 48, kWhite), 100);
    EXPECT_EQ(L"WenQuanYi Micro Hei", ClipboardText());  // the first member, not the Mono one
    // The preview takes collections only for "ON".
    Preview(kCollection, 2);
    SetSetting("SystemSetting", "ProcTTC", "On");
    EXPECT_EQ(120, Preview(kCollection).width);
}

TEST_F(SpecimenTest, ClipboardGetsTheNamesChosenBySwitches) {
    ActiveHost host;
    ASSERT_EQ(host.window, GetActiveWindow());
    PutClipboardText(L"untouched");
    Specimen(kLatinFont);
    EXPECT_EQ(L"untouched", ClipboardText());

    SetSetting("SystemSetting", "CopyFontName", "on");
    SetSetting("SystemSetting", "CopyCopyright", "true");
    Specimen(kLatinFont);
    std::wstring text = ClipboardText();
    EXPECT_EQ(0u, text.find(L"DejaVu Sans\nCopyright (c) 2003 by Bitstream, Inc."));

    SetSetting("SystemSetting", "CopyCopyright", "off");
    SetSetting("SystemSetting", "CopyVersion", "1");
    SetSetting("ViewSetting", "VersionPt", "0");  // read for the clipboard even when not drawn
    Specimen(kLatinFont);
    EXPECT_EQ(L"DejaVu Sans Version 2.37", ClipboardText());

    // The preview never touches the clipboard.
    PutClipboardText(L"untouched");
    Preview(kLatinFont);
    EXPECT_EQ(L"untouched", ClipboardText());
}

TEST_F(SpecimenTest, ClipboardIsLeftAloneWhenNoWindowIsActive) {
    SetSetting("SystemSetting", "CopyFontName", "on");
    PutClipboardText(L"the user's own");
    // A thread of its own has no active window to own the clipboard.
    std::thread lone([&] {
        EXPECT_EQ(nullptr, GetActiveWindow());
        Specimen(kLatinFont);
    });
    lone.join();
    EXPECT_EQ(L"the user's own", ClipboardText());
}

TEST_F(SpecimenTest, HugeSizesInTheSettingsStillGiveAPage) {
    for (const char* key : {"Margin", "StrPt", "FontNamePt", "VersionPt", "CopyrightPt", "FontSizePt"}) {
        SetSetting("ViewSetting", key, "2147483647");
    }
    SetSetting("ViewSetting", "StrPtArray", "2147483647,-2147483648,99999999999");
    Picture page = Specimen(kLatinFont);
    EXPECT_EQ(640, page.width);
    EXPECT_EQ(480, page.height);
    SetSetting("ViewSetting", "Margin", "-2147483648");
    EXPECT_EQ(640, Specimen(kLatinFont).width);
}

TEST_F(SpecimenTest, OddWidthsPadRowsToFourBytes) {
    SetSetting("ViewSetting", "BmpWidth", "641");
    SetSetting("ViewSetting", "BmpHeight", "100");
    Picture page = Specimen(kLatinFont);
    EXPECT_EQ(641, page.width);
    EXPECT_EQ(1924u, page.stride());
    EXPECT_EQ(1924u * 100u, page.rows.size());
    EXPECT_EQ(kWhite, page.At(640, 99));
}

TEST_F(SpecimenTest, ColourWordsChooseBackgroundAndText) {
    SetSetting("ViewSetting", "BGColor", "PINK");
    SetSetting("ViewSetting", "FontColor", "light_gray");
    SetSetting("PreviewSetting", "BGColor", "PINK");
    SetSetting("PreviewSetting", "FontColor", "BLACK");
    Picture page = Specimen(kLatinFont);
    EXPECT_EQ(kBlack, page.At(0, 0));
    EXPECT_EQ(kBlack, page.At(639, 479));
    int lightGray = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 300; ++x) lightGray += page.At(x, y) == 0xC0C0C0;
    }
    EXPECT_GT(lightGray, 50);
    Picture preview = Preview(kLatinFont);
    EXPECT_EQ(kWhite, preview.At(0, 0));

    SetSetting("ViewSetting", "BGColor", "dark_gray");
    EXPECT_EQ(0x404040u, Specimen(kLatinFont).At(0, 0));
}

TEST_F(SpecimenTest, LadderFollowsTheListAndItsEnd) {
    // Name and ladder only, on a tall page, so the bands can be counted.
    SetSetting("ViewSetting", "VersionPt", "0");
    SetSetting("ViewSetting", "CopyrightPt", "0");
    SetSetting("ViewSetting", "StrPt", "0");
    SetSetting("ViewSetting", "BmpHeight", "2400");
    struct Row {
        const char* list;
        size_t lines;
    };
    std::vector<Row> rows = {
        {"24,0,36", 1},
        {"0x10,010,word,12", 2},
        {"10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10", 20},
        {"0", 0},
    };
    for (const Row& row : rows) {
        SetSetting("ViewSetting", "StrPtArray", row.list);
        Picture page = Specimen(kLatinFont);
        EXPECT_EQ(1 + row.lines, InkBands(page, 0, 640, kWhite).size()) << row.list;
    }
}

TEST_F(SpecimenTest, LinesStartingBelowTheBottomAreLeftOut) {
    SetSetting("ViewSetting", "VersionPt", "0");
    SetSetting("ViewSetting", "CopyrightPt", "0");
    SetSetting("ViewSetting", "StrPt", "0");
    SetSetting("ViewSetting", "StrPtArray", "20,20,20,20,20,20,20,20,20,20,20,20,20,20,20,20,20,20,20,20");
    SetSetting("ViewSetting", "BmpHeight", "2000");
    size_t all = InkBands(Specimen(kLatinFont), 0, 640, kWhite).size();
    SetSetting("ViewSetting", "BmpHeight", "300");
    Picture page = Specimen(kLatinFont);
    std::vector<std::pair<int, int>> bands = InkBands(page, 0, 640, kWhite);
    EXPECT_EQ(21u, all);
    EXPECT_LT(bands.size(), 12u);
    EXPECT_GT(bands.back().second, 300 - 40);  // the last line drawn reaches the bottom part
}

TEST_F(SpecimenTest, LabelsCanBeLeftOut) {
    SetSetting("ViewSetting", "StrPtArray", "24");
    SetSettingW(L"ViewSetting", L"StrEng", L"W");
    Picture labelled = Specimen(kLatinFont);
    SetSetting("ViewSetting", "FontSizePt", "0");
    Picture bare = Specimen(kLatinFont);
    auto lastBand = [](const Picture& p) { return InkBands(p, 0, p.width, kWhite).back(); };
    std::pair<int, int> a = lastBand(labelled);
    std::pair<int, int> b = lastBand(bare);
    // Without a label the sample starts at the margin.
    EXPECT_GT(bare.InkIn(4, b.first, 8, b.second + 1, kWhite), 0);
    EXPECT_EQ(0, bare.InkIn(0, b.first, 4, b.second + 1, kWhite));
    EXPECT_GT(RightmostInk(labelled, a.first, a.second + 1, kWhite),
              RightmostInk(bare, b.first, b.second + 1, kWhite) + 10);
}

TEST_F(SpecimenTest, BackslashNInStrStartsANewLine) {
    SetSetting("ViewSetting", "VersionPt", "0");
    SetSetting("ViewSetting", "CopyrightPt", "0");
    SetSetting("ViewSetting", "StrPtArray", "0");
    SetSettingW(L"ViewSetting", L"Str", L"alpha beta");
    size_t one = InkBands(Specimen(kLatinFont), 0, 640, kWhite).size();
    SetSettingW(L"ViewSetting", L"Str", L"alpha\\nbeta");
    size_t two = InkBands(Specimen(kLatinFont), 0, 640, kWhite).size();
    EXPECT_EQ(2u, one);
    EXPECT_EQ(3u, two);
}

TEST_F(SpecimenTest, TextWrapBreaksTheSampleAtTheRightEdge) {
    SetSetting("ViewSetting", "VersionPt", "0");
    SetSetting("ViewSetting", "CopyrightPt", "0");
    SetSetting("ViewSetting", "StrPt", "0");
    SetSetting("ViewSetting", "StrPtArray", "36,12");
    Picture cut = Specimen(kLatinFont);
    SetSetting("ViewSetting", "TextWrap", "on");
    Picture wrapped = Specimen(kLatinFont);
    std::vector<std::pair<int, int>> c = InkBands(cut, 0, 640, kWhite);
    std::vector<std::pair<int, int>> w = InkBands(wrapped, 0, 640, kWhite);
    // Cut: one line of 36 points running off the edge. Wrapped: several lines,
    // and the 12-point line starts below them.
    EXPECT_GE(RightmostInk(cut, c[1].first, c[1].second + 1, kWhite), 636);
    EXPECT_GE(w.size(), c.size() + 1);
    EXPECT_GT(w.back().first, c.back().first + 40);
}

TEST_F(SpecimenTest, InstalledFontIsUnderlined) {
    SetSetting("ViewSetting", "VersionPt", "0");
    Picture plain = Specimen(kLatinFont);
    SetSetting("ViewSetting", "UnderlineInstalledFont", "on");
    Picture underlined = Specimen(kLatinFont);
    // Rows that changed hold a solid line as wide as the name: 32 / 16 = 2 pixels thick.
    int changedRows = 0;
    for (int y = 0; y < 80; ++y) {
        int solid = 0;
        for (int x = 4; x < 120; ++x) solid += underlined.At(x, y) != kWhite && plain.At(x, y) == kWhite;
        if (solid > 50) ++changedRows;
    }
    EXPECT_GE(changedRows, 1);
    EXPECT_LE(changedRows, 3);
}

TEST_F(SpecimenTest, PreviewIsCentredAndSizedByItsSection) {
    Picture preview = Preview(kLatinFont);
    ASSERT_EQ(120, preview.width);
    ASSERT_EQ(90, preview.height);
    EXPECT_EQ(24, preview.bitCount);
    int top = -1, bottom = -1, left = 120, right = -1;
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (preview.At(x, y) == kWhite) continue;
            if (top < 0) top = y;
            bottom = y;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    ASSERT_GE(top, 0);
    EXPECT_LT(std::abs((top + bottom) - 90), 20);  // centred vertically
    EXPECT_LT(std::abs((left + right) - 120), 20);  // wrapped lines centred horizontally

    SetSetting("PreviewSetting", "BmpWidth", "0");
    void* info = reinterpret_cast<void*>(1);
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(5, p.getPreview(kLatinFont, 0, 0, &info, &bits, nullptr, 0));
    EXPECT_EQ(nullptr, info);
    EXPECT_EQ(nullptr, bits);
}

TEST_F(SpecimenTest, FontThatTheSystemRefusesGivesTwoAndLeavesTheClipboard) {
    // An offset table with only a 'name' table: it passes the type check and the
    // name reading, but the system cannot load it.
    std::vector<uint8_t> font = {0, 1, 0, 0, 0, 1, 0, 16, 0, 0, 0, 0, 'n', 'a', 'm', 'e', 0, 0, 0, 0,
                                 0, 0, 0, 28, 0, 0, 0, 6, 0, 0, 0, 0, 0, 6};
    SetSetting("SystemSetting", "CopyFontName", "on");
    PutClipboardText(L"untouched");
    void* info = nullptr;
    void* bits = nullptr;
    EXPECT_EQ(2, p.getPicture(reinterpret_cast<const char*>(font.data()), static_cast<intptr_t>(font.size()), 1,
                              &info, &bits, nullptr, 0));
    EXPECT_EQ(nullptr, info);
    EXPECT_EQ(L"untouched", ClipboardText());
}

TEST_F(SpecimenTest, CharactersTheFontLacksAreBlankedUnlessFontLinkIsOn) {
    // Cabin has no kanji: without font linking they become spaces, so the
    // ladder line holds only its label.
    SetSetting("ViewSetting", "StrPtArray", "24");
    SetSettingW(L"ViewSetting", L"StrEng", L"\x65E5\x672C\x65E5\x672C");
    Picture page = Specimen(kCffFont);
    std::pair<int, int> line = InkBands(page, 0, 640, kWhite).back();
    EXPECT_LT(RightmostInk(page, line.first, line.second + 1, kWhite), 30);
    SetSettingW(L"ViewSetting", L"StrEng", L"Ab\x65E5\x672C" L"Cd");
    page = Specimen(kCffFont);
    line = InkBands(page, 0, 640, kWhite).back();
    EXPECT_GT(RightmostInk(page, line.first, line.second + 1, kWhite), 100);  // "Ab", two spaces, "Cd"
}
