// Title, size-and-colours, fit-mode and overlay texts in both languages.
#include "viewer/display/status_text.h"

#include <gtest/gtest.h>

#include "viewer/fileops/information_text.h"

namespace {

TEST(FormatSizeAndColors, BothLanguagesAndEveryCombination) {
    EXPECT_EQ(FormatSizeAndColors(640, 480, 24, true, true, true), L"640x480x24bit");
    EXPECT_EQ(FormatSizeAndColors(640, 480, 8, false, true, true), L"640\u00D7480\u00D7256\u8272");
    EXPECT_EQ(FormatSizeAndColors(16, 16, 1, true, false, true), L"2color");
    EXPECT_EQ(FormatSizeAndColors(16, 16, 1, false, false, true), L"2\u8272");
    EXPECT_EQ(FormatSizeAndColors(16, 16, 10, true, false, true), L"1024color");
    EXPECT_EQ(FormatSizeAndColors(16, 16, 16, true, false, true), L"16bit");
    EXPECT_EQ(FormatSizeAndColors(16, 9, 32, true, true, false), L"16x9");
    EXPECT_EQ(FormatSizeAndColors(16, 9, 32, true, false, false), L"");
    EXPECT_EQ(FormatSizeAndColors(16, 9, 0xFFFF, true, false, true), L"?bit");
}

TEST(FormatShownSizeAndColors, APictureShownReducedTellsTheFilesOwnSize) {
    EXPECT_EQ(FormatShownSizeAndColors(640, 480, 0, 0, 24, true, true, true), L"640x480x24bit");
    EXPECT_EQ(FormatShownSizeAndColors(8192, 8192, 30000, 30000, 24, false, true, false),
              L"30000\u00D730000\uFF08\u7E2E\u5C0F\uFF09");
    EXPECT_EQ(FormatShownSizeAndColors(8192, 8192, 30000, 30000, 24, true, false, true), L"24bit");
    EXPECT_EQ(FormatReducedNote(11585, 5792, false),
              L"\uFF0811585\u00D75792\u306B\u7E2E\u5C0F\u3057\u3066\u8868\u793A\uFF09");
}

TEST(FormatTitle, PositionAndSubImage) {
    EXPECT_EQ(FormatTitle(2, 9, L"name.zip", 1, 4, true), L"(3/10)name.zip\u30102/5\u3011");
    EXPECT_EQ(FormatTitle(2, 9, L"name.zip", 1, 4, false), L"(3/10)name.zip");
    EXPECT_EQ(FormatTitle(0, 0, L"a.jpg", 0, -1, true), L"(1/1)a.jpg");
}

TEST(FormatOverlayText, LinesForEachState) {
    EXPECT_EQ(FormatOverlayText(true, true, L"(1/2)a.png", L"10x10x32bit", true, true, true, 100),
              L"(1/2)a.png\n10x10x32bit\nFitInOut\n100%");
    EXPECT_EQ(FormatOverlayText(true, false, L"(1/2)a.png", L"", false, false, false, 250),
              L"(1/2)a.png\n\n\u305D\u306E\u307E\u307E\n250%");
    EXPECT_EQ(FormatOverlayText(false, false, L"", L"", true, false, true, 100), L"\nFitOut\n100%");
    EXPECT_EQ(FitModeName(false, true, true), L"FitIn");
    EXPECT_EQ(FitModeName(true, false, false), L"\u7E2E\u5C0F");
    EXPECT_EQ(FitModeName(false, true, false), L"\u62E1\u5927");
    EXPECT_EQ(FitModeName(true, true, false), L"\u7E2E\u5C0F\u62E1\u5927");
}

TEST(FormatFileSize, RoundsToTheNearestUnit) {
    struct Case {
        uint64_t bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"0Byte"},          {512, L"512Byte"},        {1023, L"1023Byte"},     {1024, L"1KB"},
        {1535, L"1KB"},         {1536, L"2KB"},           {1048575, L"1024KB"},    {1048576, L"1MB"},
        {1572863, L"1MB"},      {1572864, L"2MB"},        {5000000000ull, L"4768MB"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatFileSize(c.bytes), c.text) << c.bytes;
}

TEST(ComposeInformation, FourLines) {
    EXPECT_EQ(FormatModifiedLine(true, 2020, 10, 23, 9, 5), L"Modified:2020/10/23 09:05");
    EXPECT_EQ(FormatModifiedLine(false, 2020, 1, 2, 13, 0), L"\u66F4\u65B0\u65E5\u6642\uFF1A2020/01/02 13:00");
    EXPECT_EQ(ComposeInformation(L"C:\\p\\a.png", L"PNG File", L"640x480x24bit", L"2KB", L"Modified:x"),
              L"C:\\p\\a.png\nPNG File\n640x480x24bit 2KB\nModified:x");
    EXPECT_EQ(ComposeInformation(L"C:\\p\\a.png", L"PNG File", L"", L"2KB", L"Modified:x"),
              L"C:\\p\\a.png\nPNG File\n2KB\nModified:x");
}

}  // namespace
