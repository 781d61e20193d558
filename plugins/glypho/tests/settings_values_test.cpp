// Tests of how glypho reads its settings values and copies its information
// strings: switches, point lists with automatic base, "\n" line breaks, colour
// words, and the cut of the Shift-JIS description.
#include "plugins/glypho/settings_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugins/glypho/plugin_info.h"

using namespace glypho;

TEST(Switches, OnOnlyForTrueOnAndOne) {
    for (const char* on : {"true", "TRUE", "On", "on", "1"}) EXPECT_TRUE(IsSwitchOn(on)) << on;
    for (const char* off : {"", "yes", "OFF", "0", "2", "true ", "onn"}) EXPECT_FALSE(IsSwitchOn(off)) << off;
    EXPECT_TRUE(IsPreviewCollectionSwitchOn("on"));
    EXPECT_TRUE(IsPreviewCollectionSwitchOn("ON"));
    EXPECT_FALSE(IsPreviewCollectionSwitchOn("1"));
    EXPECT_FALSE(IsPreviewCollectionSwitchOn("true"));
}

TEST(PointList, ConvertsFieldsWithAutomaticBase) {
    struct Row {
        const char* text;
        std::vector<int32_t> expected;  // the first slots; the rest must be 0
    };
    std::vector<Row> rows = {
        {"12,18,24,36,48,60,72", {12, 18, 24, 36, 48, 60, 72}},
        {"0x10,010,word,12", {16, 8, 0, 12}},
        {",,5,,6,", {5, 6}},
        {"  7, 9pt", {7, 9}},
        {"", {}},
        {"-3", {-3}},
        {"99999999999999999999,-99999999999,2000,2001", {kMaxPointSize, -kMaxPointSize, 2000, 2000}},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    };
    for (const Row& row : rows) {
        int32_t slots[kLadderSlots];
        std::memset(slots, 0x55, sizeof(slots));
        ParsePointList(row.text, slots);
        for (int i = 0; i < kLadderSlots; ++i) {
            int32_t want = i < static_cast<int>(row.expected.size()) ? row.expected[i] : 0;
            EXPECT_EQ(want, slots[i]) << row.text << " slot " << i;
        }
    }
}

TEST(LayoutSizes, PointSizesAndMarginStayWithinTheirBounds) {
    EXPECT_EQ(12, ClampPointSize(12));
    EXPECT_EQ(0, ClampPointSize(0));
    EXPECT_EQ(kMaxPointSize, ClampPointSize(INT32_MAX));
    EXPECT_EQ(-kMaxPointSize, ClampPointSize(INT32_MIN));
    EXPECT_EQ(4, ClampMargin(4));
    EXPECT_EQ(kMaxMargin, ClampMargin(INT32_MAX));
    EXPECT_EQ(-kMaxMargin, ClampMargin(INT32_MIN));
}

TEST(BackslashN, BecomesLineFeedFromTheLeft) {
    struct Row {
        std::u16string in, out;
    };
    std::vector<Row> rows = {
        {u"one\\ntwo", u"one\ntwo"},
        {u"\\n\\n", u"\n\n"},
        {u"\\\\n", u"\\\n"},
        {u"no break \\t", u"no break \\t"},
        {u"end\\", u"end\\"},
        {u"\\N", u"\\N"},
    };
    for (const Row& row : rows) {
        std::u16string text = row.in;
        ReplaceBackslashN(&text[0]);
        EXPECT_EQ(row.out, std::u16string(text.c_str()));
    }
}

TEST(ColourWords, MapToTheirColoursAndUnknownToWhiteText) {
    EXPECT_EQ(ColourWord::kBlack, ParseColourWord("black"));
    EXPECT_EQ(ColourWord::kDarkGray, ParseColourWord("Dark_Gray"));
    EXPECT_EQ(ColourWord::kLightGray, ParseColourWord("LIGHT_GRAY"));
    EXPECT_EQ(ColourWord::kOther, ParseColourWord("PINK"));
    EXPECT_EQ(ColourWord::kOther, ParseColourWord("DARK_GREY"));
    EXPECT_EQ(0x404040u, TextColourOf(ColourWord::kDarkGray));
    EXPECT_EQ(0xC0C0C0u, TextColourOf(ColourWord::kLightGray));
    EXPECT_EQ(0u, TextColourOf(ColourWord::kBlack));
    EXPECT_EQ(0xFFFFFFu, TextColourOf(ColourWord::kOther));
}

TEST(NameFace, OnAutoOrSystem) {
    EXPECT_EQ(NameFace::kLoaded, ParseNameFace("on"));
    EXPECT_EQ(NameFace::kAuto, ParseNameFace("Auto"));
    EXPECT_EQ(NameFace::kSystem, ParseNameFace("OFF"));
    EXPECT_EQ(NameFace::kSystem, ParseNameFace("AUTOMAT"));  // a longer value cut to 7
}

TEST(PluginInfo, TablesFollowTheCollectionSwitch) {
    EXPECT_STREQ("00IN", PluginInfoString(0, false));
    EXPECT_STREQ("*.ttf;*.otf;*.ttc", PluginInfoString(2, true));
    EXPECT_STREQ("*.ttf;*.otf", PluginInfoString(2, false));
    EXPECT_STREQ("\x83t\x83H\x83\x93\x83g\x83t\x83@\x83" "C\x83\x8b(ttf,otf)", PluginInfoString(3, false));
    EXPECT_EQ(nullptr, PluginInfoString(4, true));
    EXPECT_EQ(nullptr, PluginInfoString(-1, true));
}

TEST(PluginInfo, CopyCutsToTheBufferWithoutSplittingCharacters) {
    char buffer[16];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(4, CopyInfoString("glypho by.Quib", buffer, 5));
    EXPECT_STREQ("glyp", buffer);
    EXPECT_EQ(4, CopyInfoString("00IN", buffer, 5));
    EXPECT_STREQ("00IN", buffer);

    const char* description = PluginInfoString(3, true);
    EXPECT_EQ(2, CopyInfoString(description, buffer, 4));  // 3 bytes would split the second pair
    EXPECT_EQ(std::string(description, 2), std::string(buffer));
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(0, CopyInfoString("00IN", buffer, 0));
    EXPECT_EQ('x', buffer[0]);
}
