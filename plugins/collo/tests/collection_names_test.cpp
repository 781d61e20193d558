// The small pure pieces around the member list: the header check, the
// information strings, member names (folders, extensions, double-byte
// characters, over-long names) and the time stamp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugins/collo/collection.h"

namespace {

using collo::CollectionBaseName;
using collo::kMaxBaseNameBytes;

bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc); }
bool NoLead(unsigned char) { return false; }

std::string BaseName(const std::string& path, collo::LeadBytePredicate lead = ShiftJisLead) {
    char out[kMaxBaseNameBytes + 1];
    CollectionBaseName(path.c_str(), lead, out);
    return out;
}

TEST(CollectionHeader, AcceptsTagInAnyCaseWithVersionOneOrTwo) {
    struct Row {
        const char* bytes;
        size_t length;
        bool expected;
    } rows[] = {
        {"ttcf\x00\x01\x00\x00", 8, true},
        {"TTCF\x00\x02\x00\x00", 8, true},
        {"tTcF\x00\x01\x00\x00", 8, true},
        {"ttcf\x00\x03\x00\x00", 8, false},
        {"ttcf\x00\x00\x00\x00", 8, false},
        {"ttcf\x00\x01\x00\x01", 8, false},
        {"ttcg\x00\x01\x00\x00", 8, false},
        {"\x00\x01\x00\x00\x00\x10\x01\x00", 8, false},  // a plain TrueType font
        {"ttcf\x00\x01\x00", 7, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(collo::IsCollectionHeader(reinterpret_cast<const uint8_t*>(row.bytes), row.length),
                  row.expected)
            << std::string(row.bytes, 4) << " length " << row.length;
}

TEST(InfoStrings, FourStringsWithTheDescriptionInShiftJis) {
    char buf[1024];
    EXPECT_EQ(collo::CopyInfoString(0, buf, sizeof buf), 4);
    EXPECT_STREQ(buf, "00AM");
    EXPECT_EQ(collo::CopyInfoString(1, buf, sizeof buf), 13);
    EXPECT_STREQ(buf, "collo by.Quib");
    EXPECT_EQ(collo::CopyInfoString(2, buf, sizeof buf), 5);
    EXPECT_STREQ(buf, "*.ttc");
    // "フォントコレクション(ttc)" in code page 932.
    EXPECT_EQ(collo::CopyInfoString(3, buf, sizeof buf), 25);
    EXPECT_STREQ(buf, "\x83\x74\x83\x48\x83\x93\x83\x67\x83\x52\x83\x8c\x83\x4e\x83\x56\x83\x87\x83\x93(ttc)");
}

TEST(InfoStrings, UnknownIndexLeavesTheBufferAlone) {
    for (int index : {-1, 4, 200}) {
        char buf[16];
        std::memset(buf, 'x', sizeof buf);
        EXPECT_EQ(collo::CopyInfoString(index, buf, sizeof buf), 0) << index;
        EXPECT_EQ(buf[0], 'x') << index;
    }
}

TEST(InfoStrings, CutToTheBufferWithoutSplittingACharacter) {
    char buf[8];
    EXPECT_EQ(collo::CopyInfoString(0, buf, 5), 4);
    EXPECT_STREQ(buf, "00AM");
    EXPECT_EQ(collo::CopyInfoString(0, buf, 3), 2);
    EXPECT_STREQ(buf, "00");
    EXPECT_EQ(collo::CopyInfoString(3, buf, 4), 2);  // room for one and a half characters
    EXPECT_EQ(std::strlen(buf), 2u);
    EXPECT_EQ(collo::CopyInfoString(3, buf, 2), 0);
    EXPECT_STREQ(buf, "");
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(collo::CopyInfoString(0, buf, 0), 0);
    EXPECT_EQ(buf[0], 'x');
}

TEST(MemberNames, BaseNameDropsFolderAndLastExtension) {
    EXPECT_EQ(BaseName("C:\\fonts\\fonts.ttc"), "fonts");
    EXPECT_EQ(BaseName("fonts.ttc"), "fonts");
    EXPECT_EQ(BaseName("/tmp/x/my.fonts.TTC"), "my.fonts");
    EXPECT_EQ(BaseName("C:\\dir.d\\noext"), "noext");
    EXPECT_EQ(BaseName("C:fonts.ttc"), "fonts");
    EXPECT_EQ(BaseName(""), "");
}

TEST(MemberNames, TrailByteThatLooksLikeABackslashIsNoSeparator) {
    // 0x95 0x5c is one Shift-JIS character whose second byte equals '\\'.
    EXPECT_EQ(BaseName("C:\\\x95\x5c\\\x95\x5c.ttc"), "\x95\x5c");
    EXPECT_EQ(BaseName("C:\\a\\b\x95\x5c" "c.ttc"), "b\x95\x5c" "c");
    // Without a double-byte code page the same bytes do hold a separator.
    EXPECT_EQ(BaseName("C:\\a\\b\x95\x5c" "c.ttc", NoLead), "c");
}

TEST(MemberNames, LongNamesKeepOrdinalAndExtensionInTheField) {
    const std::string longName(300, 'n');
    const std::string base = BaseName("C:\\" + longName + ".ttc");
    ASSERT_EQ(base.size(), kMaxBaseNameBytes);

    char field[200];
    std::memset(field, 'x', sizeof field);
    collo::FormatMemberName(base.c_str(), 9, field);
    EXPECT_EQ(std::string(field), std::string(kMaxBaseNameBytes, 'n') + "09.ttf");
    EXPECT_EQ(std::strlen(field), 199u);

    // A double-byte character that would straddle the limit is left out whole.
    std::string wide = std::string(kMaxBaseNameBytes - 1, 'n') + "\x83\x74" + "tail";
    EXPECT_EQ(BaseName(wide + ".ttc"), std::string(kMaxBaseNameBytes - 1, 'n'));
}

TEST(MemberNames, OrdinalAlwaysHasTwoDigits) {
    char field[200];
    collo::FormatMemberName("fonts", 0, field);
    EXPECT_STREQ(field, "fonts00.ttf");
    collo::FormatMemberName("", 7, field);
    EXPECT_STREQ(field, "07.ttf");
}

TEST(TimeStamp, FileTimeBecomesUnixSeconds) {
    const uint64_t epoch = 116444736000000000ULL;
    EXPECT_EQ(collo::UnixTimeFromFileTime(epoch), 0u);
    // 2001-02-03 04:05:06 UTC.
    EXPECT_EQ(collo::UnixTimeFromFileTime(epoch + 981173106ULL * 10000000 + 9999999), 981173106u);
    // Past 2106 the seconds wrap to 32 bits instead of failing.
    EXPECT_EQ(collo::UnixTimeFromFileTime(epoch + 0x100000005ULL * 10000000), 5u);
}

}  // namespace
