// Damaged collections through the exports: a real collection truncated at its
// structure boundaries and at spread lengths, and hostile offsets and counts.
// Every call must answer 2 and leave no handle behind.
#include <gtest/gtest.h>

#include <set>

#include "plugins/collo/tests/plugin_host.h"

namespace collo_test {
namespace {

class Damaged : public PluginTest {
protected:
    // All three archive calls answer 2; failed calls set no handle (List and
    // GetMember check that).
    void ExpectRefusedEverywhere(const std::string& path, const std::string& what) {
        EXPECT_EQ(List(path).result, spi::kUnknownFormat) << what;
        spi::ArchiveMemberRecord record{};
        EXPECT_EQ(getFileInfo_(path.c_str(), 0, "x00.ttf", 0, &record), spi::kUnknownFormat) << what;
        Bytes member;
        EXPECT_EQ(GetMember(path, 0, &member), spi::kUnknownFormat) << what;
    }
};

TEST_F(Damaged, RealCollectionTruncated) {
    const Bytes ttc = ReadFileBytes(RealCollectionPath());
    ASSERT_FALSE(ttc.empty()) << "fonts-wqy-microhei is not installed";
    std::set<size_t> lengths;
    for (size_t i = 0; i <= 40; ++i) lengths.insert(i);
    for (uint32_t k = 0; k < Be32(ttc, 8); ++k) {
        const size_t at = Be32(ttc, 12 + 4 * k);
        for (size_t edge : {at, at + 6, at + 11, at + 12, at + 27, at + 28}) lengths.insert(edge);
        Font font;
        ASSERT_TRUE(ReadFont(ttc, at, &font));
        lengths.insert(at + 12 + 16 * font.tables.size() - 1);
        for (const Table& t : font.tables) lengths.insert(t.offset + t.data.size() - 1);
    }
    for (size_t i = 1; i < 8; ++i) lengths.insert(ttc.size() * i / 8);
    lengths.insert(ttc.size() - 1);

    const std::string path = Folder() + "\\cut.ttc";
    for (size_t length : lengths) {
        if (length >= ttc.size()) continue;
        ASSERT_TRUE(WriteFileBytes(path, Bytes(ttc.begin(), ttc.begin() + length)));
        ExpectRefusedEverywhere(path, "length " + std::to_string(length));
        if (HasFailure()) break;
    }
}

// The parser's own tests hold the full table of hostile offsets and counts;
// through the exports two rows show that its refusal reaches the host.
TEST_F(Damaged, HostileOffsetsAreRefusedThroughTheExports) {
    const Bytes valid = BuildCollection({LoadFont(DejaVu("DejaVuSansMono.ttf")), LoadFont(DejaVu("DejaVuSerif.ttf"))});
    ASSERT_GT(valid.size(), 100000u);
    const size_t directory = Be32(valid, 12);
    Bytes farFont = valid;
    PutBe32(farFont, 12, 0xffffffff);
    ExpectRefusedEverywhere(WriteCollection("far-font.ttc", farFont), "font offset 0xffffffff");
    Bytes wrapping = valid;
    PutBe32(wrapping, directory + 12 + 8, 0xfffffffc);
    PutBe32(wrapping, directory + 12 + 12, 8);
    ExpectRefusedEverywhere(WriteCollection("wrapping.ttc", wrapping), "table offset and length wrapping 32 bits");
}

TEST_F(Damaged, DamageBeyondTheTenthFontIsNotLookedAt) {
    std::vector<Font> fonts(11, LoadFont(DejaVu("DejaVuSansMono.ttf")));
    Bytes ttc = BuildCollection(fonts, 0x00010000, true);
    PutBe32(ttc, 12 + 4 * 10, 0xffffffff);
    const std::string path = WriteCollection("eleven.ttc", ttc);
    const MemberListCopy list = List(path);
    ASSERT_EQ(list.result, spi::kSuccess);
    EXPECT_EQ(list.records.size(), 10u);
    Bytes member;
    EXPECT_EQ(GetMember(path, 9, &member), spi::kSuccess);
    EXPECT_EQ(CheckMember(member, fonts[9]), "");
}

}  // namespace
}  // namespace collo_test
