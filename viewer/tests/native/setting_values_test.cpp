// Boolean, colour and extension-list rules of the settings file.
#include "viewer/core/setting_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(IsOnText, OnlyTrueOnAndOneCount) {
    for (const wchar_t* on : {L"true", L"TRUE", L"True", L"on", L"ON", L"On", L"1"}) EXPECT_TRUE(IsOnText(on));
    for (const wchar_t* off : {L"", L"yes", L"OFF", L"0", L"2", L" on", L"on ", L"10", L"truee"})
        EXPECT_FALSE(IsOnText(off));
    EXPECT_FALSE(IsOnText(nullptr));
}

TEST(ParseColorName, KnownWordsAndDefault) {
    EXPECT_EQ(ParseColorName(L"black"), 0x000000);
    EXPECT_EQ(ParseColorName(L"Dark_Gray"), 0x404040);
    EXPECT_EQ(ParseColorName(L"GRAY"), 0x808080);
    EXPECT_EQ(ParseColorName(L"LIGHT_GRAY"), 0xC0C0C0);
    EXPECT_EQ(ParseColorName(L"white"), 0xFFFFFF);
    for (const wchar_t* other : {L"DEFAULT", L"red", L"", L"GREY", L"DARK GRAY"})
        EXPECT_EQ(ParseColorName(other), -1);
}

TEST(ParseFontColor, UnknownWordsGiveWhite) {
    EXPECT_EQ(ParseFontColor(L"red"), 0xFFFFFF);
    EXPECT_EQ(ParseFontColor(L"DEFAULT"), 0xFFFFFF);
    EXPECT_EQ(ParseFontColor(L"BLACK"), 0);
    EXPECT_EQ(ParseFontColor(L"gray"), 0x808080);
}

TEST(ViewValueTexts, CarryTheLeadingBlank) {
    EXPECT_STREQ(FlagValueText(1), L" ON");
    EXPECT_STREQ(FlagValueText(0), L" OFF");
    EXPECT_STREQ(FlagValueText(2), L" OFF");
    wchar_t text[16];
    FormatSignedValue(-3, text);
    EXPECT_STREQ(text, L" -3");
    FormatUnsignedValue(-8, text);
    EXPECT_STREQ(text, L" 4294967288");
    FormatUnsignedValue(INT32_MIN, text);
    EXPECT_STREQ(text, L" 2147483648");
    FormatUnsignedValue(640, text);
    EXPECT_STREQ(text, L" 640");
}

bool NoLeadBytes(unsigned char) { return false; }
bool HighBitLeads(unsigned char c) { return c >= 0x81; }

std::string Fit(std::string text, size_t capacity, bool (*lead)(unsigned char) = NoLeadBytes) {
    std::string buffer = text + std::string(4, 'Z');
    size_t length = FitExtensionList(&buffer[0], text.size(), capacity, lead);
    EXPECT_EQ(buffer[length], '\0');
    EXPECT_LT(length, capacity);
    return buffer.substr(0, length);
}

TEST(FitExtensionList, ShortListsStayWhole) {
    EXPECT_EQ(Fit(".bmp.jpg", 260), ".bmp.jpg");
    EXPECT_EQ(Fit("", 260), "");
    EXPECT_EQ(Fit(std::string(259, 'x'), 260), std::string(259, 'x'));
}

TEST(FitExtensionList, LongListsKeepWholeExtensions) {
    std::string list;
    while (list.size() < 300) list += ".jpeg";
    std::string cut = Fit(list, 260);
    EXPECT_EQ(cut.size() % 5, 0u);
    EXPECT_EQ(cut.size(), 255u);
    EXPECT_EQ(Fit(".bmp.jpeg", 8), ".bmp");
    EXPECT_EQ(Fit(".bmp.jpeg", 6), ".bmp");
}

TEST(FitExtensionList, NeverSplitsATwoByteCharacter) {
    std::string text = "." + std::string(300, '\x82');
    std::string cut = Fit(text, 260, HighBitLeads);
    EXPECT_EQ(cut.size() % 2, 1u);  // the '.' and whole pairs
    std::string noDots(300, 'x');
    EXPECT_EQ(Fit(noDots, 260).size(), 259u);
}

}  // namespace
