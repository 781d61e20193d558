// Tests of the font type check and the name reading on fonts written byte by
// byte and on Debian's font files: the language preference, the cuts, the
// family-letter change with its checksum, and damaged images refused cleanly.
#include "plugins/glypho/font_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plugins/glypho/tests/font_builder.h"

using namespace glypho;
using namespace glypho_test;

namespace {

constexpr uint16_t kEn = 0x0409;
constexpr uint16_t kJa = 0x0411;

std::u16string Read(std::vector<uint8_t>& font, uint16_t id, bool collections = true,
                    bool alter = false, int* status = nullptr) {
    char16_t name[kNameUnits] = {0};
    int s = ReadFontName(font.data(), font.size(), id, collections, alter, name);
    if (status) *status = s;
    return std::u16string(name);
}

std::vector<uint8_t> LoadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The 'name' table's bytes as its directory entry describes them.
uint32_t NameChecksumOf(const std::vector<uint8_t>& font, size_t record) {
    return TableChecksum(font.data(), font.size(), GetU32(font, record + 8), GetU32(font, record + 12));
}

}  // namespace

TEST(CheckFontType, JudgesTheHeadOfTheImage) {
    struct Row {
        std::vector<uint8_t> bytes;
        bool collectionsOn;
        FontCheck expected;
    };
    std::vector<uint8_t> trueType = BuildFont({});
    std::vector<uint8_t> cff = BuildFont({}, 0x4F54544F);
    std::vector<uint8_t> appleTrue = BuildFont({}, 0x74727565);
    std::vector<uint8_t> ttc = BuildCollection({});
    std::vector<uint8_t> upper = BuildCollection({}, 0x00010000, "TTCF");
    std::vector<uint8_t> v2 = BuildCollection({}, 0x00020000);
    std::vector<uint8_t> v3 = BuildCollection({}, 0x00030000);
    std::vector<uint8_t> cffMember = BuildCollection({}, 0x00010000, "ttcf", 0x4F54544F);
    std::vector<Row> rows = {
        {trueType, false, FontCheck::kAccepted},
        {cff, false, FontCheck::kAccepted},
        {appleTrue, true, FontCheck::kRefused},
        {ttc, false, FontCheck::kRefused},
        {ttc, true, FontCheck::kAccepted},
        {upper, true, FontCheck::kAccepted},
        {v2, true, FontCheck::kAccepted},
        {v3, true, FontCheck::kRefused},
        {cffMember, true, FontCheck::kRefused},
        {std::vector<uint8_t>(ttc.begin(), ttc.begin() + 12), true, FontCheck::kNeedsMemberBytes},
        {std::vector<uint8_t>(ttc.begin(), ttc.begin() + 18), true, FontCheck::kNeedsMemberBytes},
        {std::vector<uint8_t>(ttc.begin(), ttc.begin() + 20), true, FontCheck::kAccepted},
        {std::vector<uint8_t>(v3.begin(), v3.begin() + 12), true, FontCheck::kRefused},
        {{0, 1, 0}, false, FontCheck::kRefused},
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].expected,
                  CheckFontType(rows[i].bytes.data(), rows[i].bytes.size(), rows[i].collectionsOn))
            << "row " << i;
    }
}

TEST(ReadFontName, PrefersWindowsJapaneseEvenAfterEnglish) {
    std::vector<uint8_t> font = BuildFont({WinName(kEn, 4, u"Gothic"), WinName(kJa, 4, u"ゴシック"),
                                           WinName(kEn, 4, u"Later")});
    EXPECT_EQ(u"ゴシック", Read(font, 4));
}

TEST(ReadFontName, TakesTheLastAcceptedRecordWithoutJapanese) {
    std::vector<uint8_t> font = BuildFont({WinName(kEn, 1, u"First"), WinName(kEn, 1, u"Second"),
                                           WinName(kEn, 4, u"Other id")});
    EXPECT_EQ(u"Second", Read(font, 1));
}

TEST(ReadFontName, IgnoresMacEnglishAndOtherLanguages) {
    std::vector<uint8_t> font = BuildFont({MacName(0, 0, 4, "Mac English"), WinName(0x0804, 4, u"中文")});
    int status = -1;
    EXPECT_EQ(u"", Read(font, 4, true, false, &status));
    EXPECT_EQ(0, status);
}

TEST(ReadFontName, MacJapaneseCandidateBeatsWindowsEnglishButNotWindowsJapanese) {
    std::vector<uint8_t> font = BuildFont({MacName(1, 11, 4, "Early"), MacName(1, 11, 4, "MacJapan"),
                                           WinName(kEn, 4, u"English")});
    EXPECT_EQ(u"MacJapan", Read(font, 4));
    std::vector<uint8_t> withJapanese = BuildFont({MacName(1, 11, 4, "MacJapan"), WinName(kJa, 4, u"日本")});
    EXPECT_EQ(u"日本", Read(withJapanese, 4));
}

TEST(ReadFontName, StopsAtLineBreaksAndCutsLongRecords) {
    std::vector<uint8_t> lf = BuildFont({WinName(kEn, 5, u"Regular\nmore text")});
    EXPECT_EQ(u"Regular", Read(lf, 5));
    std::vector<uint8_t> cr = BuildFont({WinName(kEn, 5, u"Version 1\r\n")});
    EXPECT_EQ(u"Version 1", Read(cr, 5));

    std::u16string long300(300, u'x');
    std::vector<uint8_t> big = BuildFont({WinName(kEn, 0, long300)});  // 600 bytes
    EXPECT_EQ(std::u16string(259, u'x'), Read(big, 0));

    TestName odd = WinName(kEn, 1, u"Ab");
    odd.bytes.push_back('c');  // an odd last byte is dropped
    std::vector<uint8_t> oddFont = BuildFont({odd});
    EXPECT_EQ(u"Ab", Read(oddFont, 1));
}

TEST(ReadFontName, AltersVerdanaToWerdanaWithACorrectChecksum) {
    std::vector<uint8_t> font = BuildFont({MacName(0, 0, 1, "Verdana"), WinName(kEn, 1, u"Verdana"),
                                           WinName(kEn, 4, u"Verdana Regular"), WinName(kJa, 1, u"Verdana")});
    size_t size = font.size();
    char16_t name[kNameUnits] = {0};
    ASSERT_EQ(0, ReadFontName(font.data(), font.size(), kNameFamily, false, true, name));
    EXPECT_EQ(u"Verdana", std::u16string(name));  // read before the change
    FaceNameOfAlteredFamily(name);
    EXPECT_EQ(u"Werdana", std::u16string(name));

    EXPECT_EQ(size, font.size());
    EXPECT_EQ(u"Werdana", Read(font, 1));
    EXPECT_EQ(u"Verdana Regular", Read(font, 4));  // other names keep their letters
    size_t record = NameRecordOf(font);
    EXPECT_EQ(NameChecksumOf(font, record), GetU32(font, record + 4));
}

TEST(ReadFontName, AltersEveryAcceptedRecordUpToTheJapaneseStop) {
    std::vector<uint8_t> font = BuildFont({MacName(1, 11, 1, "Arial"), WinName(kEn, 1, u"Arial"),
                                           WinName(kJa, 1, u"Arial"), WinName(kEn, 1, u"After"),
                                           MacName(0, 0, 1, "Mac English")});
    std::vector<uint8_t> before = font;
    char16_t name[kNameUnits] = {0};
    ASSERT_EQ(0, ReadFontName(font.data(), font.size(), kNameFamily, false, true, name));
    EXPECT_EQ(u"Arial", std::u16string(name));

    std::string all(font.begin(), font.end());
    // Macintosh bytes change one letter, Windows units one unit; later records stay.
    EXPECT_NE(std::string::npos, all.find("Vrial"));
    EXPECT_NE(std::string::npos, all.find(std::string("\0V\0r\0i\0a\0l", 10)));
    EXPECT_NE(std::string::npos, all.find(std::string("\0A\0f\0t\0e\0r", 10)));
    EXPECT_NE(std::string::npos, all.find("Mac English"));
    size_t changed = 0;
    for (size_t i = 0; i < font.size(); ++i) changed += font[i] != before[i];
    EXPECT_EQ(3u + 4u, changed);  // three letters, and the checksum's four bytes
}

TEST(ReadFontName, RefusesSwitchedOffCollectionsAndUnknownVersions) {
    std::vector<uint8_t> ttc = BuildCollection({WinName(kEn, 1, u"Member")});
    std::vector<uint8_t> before = ttc;
    int status = 0;
    EXPECT_EQ(u"", Read(ttc, 1, false, true, &status));
    EXPECT_EQ(2, status);
    EXPECT_EQ(before, ttc);

    EXPECT_EQ(u"Member", Read(ttc, 1, true, false, &status));
    EXPECT_EQ(0, status);

    std::vector<uint8_t> appleTrue = BuildFont({WinName(kEn, 1, u"Apple")}, 0x74727565);
    Read(appleTrue, 1, true, false, &status);
    EXPECT_EQ(2, status);

    std::vector<uint8_t> v3 = BuildCollection({WinName(kEn, 1, u"Member")}, 0x00030000);
    EXPECT_EQ(u"", Read(v3, 1, true, false, &status));
    EXPECT_EQ(0, status);
}

TEST(ReadFontName, RefusesRecordsAndTablesOutsideTheImage) {
    std::vector<uint8_t> good = BuildFont({WinName(kEn, 1, u"Far"), WinName(kEn, 4, u"Valid")});
    size_t record = NameRecordOf(good);
    size_t table = GetU32(good, record + 8);

    // The string of the family record points past the end of the image.
    std::vector<uint8_t> farString = good;
    PutU16(farString, table + 6 + 10, 0xFFF0);
    // The 'name' table starts beyond the image.
    std::vector<uint8_t> farTable = good;
    PutU32(farTable, record + 8, 0x7FFFFFF0);
    // The table's length runs past the end.
    std::vector<uint8_t> longTable = good;
    PutU32(longTable, record + 12, 0xFFFFFFFF);
    // A huge record count.
    std::vector<uint8_t> hugeCount = good;
    PutU16(hugeCount, table + 2, 0xFFFF);
    // A huge table count.
    std::vector<uint8_t> hugeTables = good;
    PutU16(hugeTables, 4, 0xFFFF);
    PutU32(hugeTables, record, 0x61616161);  // no 'name' among the real records
    // A collection whose member offset lies outside.
    std::vector<uint8_t> farMember = BuildCollection({WinName(kEn, 1, u"M")});
    PutU32(farMember, 12, 0xFFFFFFF0);

    for (std::vector<uint8_t>* font : {&farString, &farTable, &longTable, &hugeCount, &hugeTables, &farMember}) {
        std::vector<uint8_t> before = *font;
        char16_t name[kNameUnits] = {u'k', 0};
        EXPECT_EQ(2, ReadFontName(font->data(), font->size(), 1, true, true, name));
        EXPECT_EQ(u"k", std::u16string(name));
        EXPECT_EQ(before, *font);
    }
    // The bad record is only refused when it would be read.
    char16_t name[kNameUnits] = {0};
    EXPECT_EQ(0, ReadFontName(farString.data(), farString.size(), 4, true, false, name));
    EXPECT_EQ(u"Valid", std::u16string(name));
    EXPECT_EQ(2, ReadFontName(farTable.data(), farTable.size(), 4, true, false, name));
}

TEST(ReadFontName, LetterChangeThatMovesALaterRecordOutsideIsUndone) {
    // Two family records; the storage is made to start at the records, and
    // the first string is made to lie on the second record's length field.
    // Changing its first letter sets that length to 0x56 (or 0x57), which runs
    // past the end of the image: the second walk fails partway.
    std::vector<uint8_t> font = BuildFont({WinName(kEn, 1, u"Ab"), WinName(kEn, 1, u"Cd")});
    size_t table = GetU32(font, NameRecordOf(font) + 8);
    PutU16(font, table + 4, 6);                         // storage: the first record
    PutU16(font, table + 6 + 8, 2);                     // first string: two bytes ...
    PutU16(font, table + 6 + 10, 12 + 8);               // ... on the second record's length
    PutU16(font, table + 6 + 12 + 10, static_cast<uint32_t>(font.size() - table - 6 - 4));  // the last 4 bytes
    const std::vector<uint8_t> before = font;
    char16_t name[kNameUnits] = {u'k', 0};
    // Read without the change, the records are inside the image.
    EXPECT_EQ(0, ReadFontName(font.data(), font.size(), 1, true, false, name));
    EXPECT_EQ(before, font);
    name[0] = u'k';
    name[1] = 0;
    EXPECT_EQ(2, ReadFontName(font.data(), font.size(), 1, true, true, name));
    EXPECT_EQ(u"k", std::u16string(name));
    EXPECT_EQ(before, font);
}

TEST(ReadFontName, OneByteWindowsRecordIsNotAlteredPastItsEnd) {
    TestName tiny = {3, 1, kEn, 1, {0x41}};
    std::vector<uint8_t> font = BuildFont({tiny, WinName(kEn, 4, u"Next")});
    std::vector<uint8_t> before = font;
    char16_t name[kNameUnits] = {0};
    EXPECT_EQ(0, ReadFontName(font.data(), font.size(), 1, false, true, name));
    size_t record = NameRecordOf(font);
    for (size_t i = 0; i < font.size(); ++i) {
        if (i >= record + 4 && i < record + 8) continue;  // the refreshed checksum
        EXPECT_EQ(before[i], font[i]) << "byte " << i;
    }
}

TEST(ReadFontName, FontWithoutNameTableReadsEmpty) {
    std::vector<uint8_t> font = BuildFont({WinName(kEn, 1, u"X")});
    font[NameRecordOf(font)] = 'N';  // tags compare exactly
    int status = -1;
    EXPECT_EQ(u"", Read(font, 1, false, true, &status));
    EXPECT_EQ(0, status);
}

TEST(ReadFontName, EveryTruncationIsReadOrRefusedInsideTheImage) {
    std::vector<uint8_t> full = BuildCollection({WinName(kEn, 1, u"Family"), MacName(1, 11, 4, "Full"),
                                                 WinName(kJa, 4, u"日本語")});
    for (size_t length = 0; length <= full.size(); ++length) {
        // A copy of exactly `length` bytes, so ASan sees any read past the end.
        std::vector<uint8_t> cut(full.begin(), full.begin() + length);
        for (uint16_t id : {0, 1, 4, 5}) {
            char16_t name[kNameUnits] = {0};
            int status = ReadFontName(cut.data(), cut.size(), id, true, id == 1, name);
            EXPECT_TRUE(status == 0 || status == 2) << length;
        }
        if (length < full.size()) {
            std::vector<uint8_t> again(full.begin(), full.begin() + length);
            char16_t name[kNameUnits] = {0};
            ReadFontName(again.data(), again.size(), 4, true, false, name);
            EXPECT_NE(u"日本語", std::u16string(name)) << length;
        }
    }
}

TEST(FaceNameOfAlteredFamily, SwapsTheFirstLetter) {
    char16_t arial[kNameUnits] = u"Arial";
    FaceNameOfAlteredFamily(arial);
    EXPECT_EQ(u"Vrial", std::u16string(arial));
    char16_t verdana[kNameUnits] = u"Verdana";
    FaceNameOfAlteredFamily(verdana);
    EXPECT_EQ(u"Werdana", std::u16string(verdana));
    char16_t empty[kNameUnits] = {0};
    FaceNameOfAlteredFamily(empty);
    EXPECT_EQ(0, empty[0]);
}

TEST(TableChecksum, SumsBigEndianWordsWithZeroPadding) {
    std::vector<uint8_t> bytes = {0, 0, 0, 1, 0, 0, 0, 2, 0xFF};
    EXPECT_EQ(3u + 0xFF000000u, TableChecksum(bytes.data(), bytes.size(), 0, 9));
    std::vector<uint8_t> ones(8, 0xFF);
    EXPECT_EQ(0xFFFFFFFEu, TableChecksum(ones.data(), ones.size(), 0, 8));  // wraps modulo 2^32
}

// Debian's fonts, read natively: the same bytes the plug-in gets under Wine.
TEST(ReadFontNameOnRealFonts, ReadsNamesOfDebianFonts) {
    std::vector<uint8_t> dejavu = LoadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_FALSE(dejavu.empty());
    EXPECT_EQ(FontCheck::kAccepted, CheckFontType(dejavu.data(), dejavu.size(), false));
    EXPECT_EQ(u"DejaVu Sans", Read(dejavu, 4));
    EXPECT_EQ(u"Version 2.37", Read(dejavu, 5));
    EXPECT_EQ(0u, Read(dejavu, 0).find(u"Copyright (c) 2003 by Bitstream"));

    std::vector<uint8_t> ipa = LoadFile("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf");
    ASSERT_FALSE(ipa.empty());
    EXPECT_EQ(u"IPAゴシック", Read(ipa, 4));

    std::vector<uint8_t> cabin = LoadFile("/usr/share/fonts/opentype/cabin/Cabin-Regular.otf");
    ASSERT_FALSE(cabin.empty());
    EXPECT_EQ(FontCheck::kAccepted, CheckFontType(cabin.data(), cabin.size(), false));
    EXPECT_EQ(u"Cabin-Regular", Read(cabin, 4));

    std::vector<uint8_t> wqy = LoadFile("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc");
    ASSERT_FALSE(wqy.empty());
    EXPECT_EQ(FontCheck::kRefused, CheckFontType(wqy.data(), wqy.size(), false));
    EXPECT_EQ(FontCheck::kAccepted, CheckFontType(wqy.data(), wqy.size(), true));
    EXPECT_EQ(u"WenQuanYi Micro Hei", Read(wqy, 4));
}

TEST(ReadFontNameOnRealFonts, AltersTheFamilyOfDejaVuInPlace) {
    std::vector<uint8_t> dejavu = LoadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_FALSE(dejavu.empty());
    std::vector<uint8_t> before = dejavu;
    char16_t name[kNameUnits] = {0};
    ASSERT_EQ(0, ReadFontName(dejavu.data(), dejavu.size(), kNameFamily, false, true, name));
    EXPECT_EQ(u"DejaVu Sans", std::u16string(name));
    EXPECT_EQ(u"VejaVu Sans", Read(dejavu, 1));
    size_t record = NameRecordOf(dejavu);
    EXPECT_EQ(NameChecksumOf(dejavu, record), GetU32(dejavu, record + 4));
    EXPECT_EQ(NameChecksumOf(before, record), GetU32(before, record + 4));  // the file was right before
    // The family records of the Windows table and nothing else: two bytes each, one
    // for the Macintosh English record is not accepted, plus the checksum.
    size_t changed = 0;
    for (size_t i = 0; i < dejavu.size(); ++i) changed += dejavu[i] != before[i];
    EXPECT_LE(changed, 2u + 4u);
}

TEST(ReadFontNameOnRealFonts, TruncatedCabinIsNeverReadPastItsEnd) {
    std::vector<uint8_t> cabin = LoadFile("/usr/share/fonts/opentype/cabin/Cabin-Regular.otf");
    ASSERT_FALSE(cabin.empty());
    for (size_t length = 0; length < cabin.size(); length += (length < 4096 ? 1 : 97)) {
        std::vector<uint8_t> cut(cabin.begin(), cabin.begin() + length);
        char16_t name[kNameUnits] = {0};
        int status = ReadFontName(cut.data(), cut.size(), 1, true, true, name);
        ASSERT_TRUE(status == 0 || status == 2) << length;
    }
}
