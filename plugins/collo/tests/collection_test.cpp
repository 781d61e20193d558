// Listing and extracting members of collections assembled from Debian's
// DejaVu fonts and of a real collection (WenQuanYi Micro Hei), and refusing
// damaged ones. Damaged images are passed in blocks of exactly their length,
// so that under AddressSanitizer any read past the data is caught.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugins/collo/collection.h"
#include "plugins/collo/tests/collection_builder.h"

namespace {

using namespace collo_test;

constexpr int32_t kSuccess = spi::kSuccess;
constexpr int32_t kNotSupported = spi::kNotSupported;
constexpr int32_t kUnknownFormat = spi::kUnknownFormat;

Font Load(const char* name) {
    Font font = LoadFont(DejaVu(name));
    EXPECT_FALSE(font.tables.empty()) << "cannot read " << name << " (fonts-dejavu-core)";
    return font;
}

// A heap block of exactly the image's length.
std::unique_ptr<uint8_t[]> Exact(const uint8_t* data, size_t length) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[length ? length : 1]);
    if (length) std::memcpy(copy.get(), data, length);
    return copy;
}

int32_t Extract(const Bytes& image, uint32_t k, Bytes* member) {
    uint32_t size = 0;
    const int32_t result = collo::MemberSize(image.data(), image.size(), k, &size);
    if (result != kSuccess) return result;
    member->assign(size, 0xee);
    return collo::ExtractMember(image.data(), image.size(), k, member->data(), member->size());
}

int32_t List(const uint8_t* image, size_t size, std::vector<spi::ArchiveMemberRecord>* records) {
    records->assign(collo::kMaxListedMembers, spi::ArchiveMemberRecord{});
    uint32_t count = 0;
    const int32_t result = collo::ListMembers(image, size, "fonts", 981173106, records->data(), &count);
    records->resize(result == kSuccess ? count : 0);
    return result;
}

int32_t List(const Bytes& image, std::vector<spi::ArchiveMemberRecord>* records) {
    std::unique_ptr<uint8_t[]> exact = Exact(image.data(), image.size());
    return List(exact.get(), image.size(), records);
}

TEST(MemberList, ThreeFontsGiveThreeRecordsAsSpecified) {
    const std::vector<Font> fonts = {Load("DejaVuSans.ttf"), Load("DejaVuSerif.ttf"),
                                     Load("DejaVuSansMono.ttf")};
    const Bytes ttc = BuildCollection(fonts);
    std::vector<spi::ArchiveMemberRecord> records;
    ASSERT_EQ(List(ttc, &records), kSuccess);
    ASSERT_EQ(records.size(), 3u);
    for (uint32_t k = 0; k < 3; ++k) {
        const spi::ArchiveMemberRecord& r = records[k];
        EXPECT_STREQ(r.method, "ttf");
        EXPECT_EQ(std::memcmp(r.method, "ttf\0\0\0\0\0", 8), 0);
        EXPECT_EQ(r.position, k);
        EXPECT_EQ(r.timestamp, 981173106);
        EXPECT_STREQ(r.path, "");
        EXPECT_EQ(r.fileName, "fonts0" + std::to_string(k) + ".ttf");
        EXPECT_EQ(r.crc, 0u);
        EXPECT_EQ(r.compressedSize, r.fileSize);
        Bytes member;
        ASSERT_EQ(Extract(ttc, k, &member), kSuccess);
        EXPECT_EQ(r.fileSize, member.size());
        EXPECT_EQ(CheckMember(member, fonts[k]), "") << "member " << k;
    }
}

TEST(MemberList, TwelveFontsListTenAndTheEleventhStaysReachableOnlyByTheParser) {
    const char* names[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
                           "DejaVuSans-BoldOblique.ttf", "DejaVuSans-ExtraLight.ttf",
                           "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf", "DejaVuSerif.ttf",
                           "DejaVuSerif-Bold.ttf", "DejaVuSerif-Italic.ttf",
                           "DejaVuSerifCondensed.ttf", "DejaVuSansCondensed.ttf"};
    std::vector<Font> fonts;
    for (const char* name : names) fonts.push_back(Load(name));
    const Bytes ttc = BuildCollection(fonts, 0x00020000);
    std::vector<spi::ArchiveMemberRecord> records;
    ASSERT_EQ(List(ttc, &records), kSuccess);
    ASSERT_EQ(records.size(), 10u);
    EXPECT_STREQ(records[9].fileName, "fonts09.ttf");
    uint32_t size = 0;
    EXPECT_EQ(collo::MemberSize(ttc.data(), ttc.size(), 12, &size), kNotSupported);
    Bytes member;
    ASSERT_EQ(Extract(ttc, 11, &member), kSuccess);
    EXPECT_EQ(CheckMember(member, fonts[11]), "");
}

TEST(MemberList, CollectionWithoutFontsIsAnEmptyList) {
    Bytes ttc = BuildCollection({});
    std::vector<spi::ArchiveMemberRecord> records;
    EXPECT_EQ(List(ttc, &records), kSuccess);
    EXPECT_TRUE(records.empty());
}

TEST(Extraction, SharedTablesAreCopiedIntoEachMember) {
    // The same font twice shares every table; Bold shares the few equal ones.
    const std::vector<Font> fonts = {Load("DejaVuSansMono.ttf"), Load("DejaVuSansMono.ttf"),
                                     Load("DejaVuSansMono-Bold.ttf")};
    const Bytes shared = BuildCollection(fonts, 0x00010000, true);
    const Bytes separate = BuildCollection(fonts);
    ASSERT_LT(shared.size() + 300000, separate.size());
    for (uint32_t k = 0; k < 3; ++k) {
        Bytes fromShared, fromSeparate;
        ASSERT_EQ(Extract(shared, k, &fromShared), kSuccess);
        ASSERT_EQ(Extract(separate, k, &fromSeparate), kSuccess);
        EXPECT_EQ(CheckMember(fromShared, fonts[k]), "") << k;
        EXPECT_EQ(fromShared, fromSeparate) << k;
    }
}

TEST(Extraction, OddLengthTableIsPaddedWithZerosAndChecksummed) {
    Font font = Load("DejaVuSansMono.ttf");
    // A private table of 5 bytes whose stored checksum is wrong on purpose.
    AddTable(&font, "zOdd", {0x01, 0x02, 0x03, 0x04, 0x05}, 0xdeadbeef);
    const Bytes ttc = BuildCollection({font, Load("DejaVuSerif.ttf")});
    Bytes member;
    ASSERT_EQ(Extract(ttc, 0, &member), kSuccess);
    Font got;
    ASSERT_TRUE(ReadFont(member, 0, &got));
    const Table& odd = got.tables.back();
    ASSERT_EQ(odd.tag, Tag("zOdd"));
    ASSERT_EQ(odd.data.size(), 5u);
    EXPECT_EQ(Bytes(member.begin() + odd.offset + 5, member.begin() + odd.offset + 8), Bytes(3, 0));
    EXPECT_EQ(odd.checksum, 0x01020304u + 0x05000000u);
    EXPECT_EQ(member.size(), odd.offset + 8u);
    font.tables.back().checksum = odd.checksum;
    EXPECT_EQ(CheckMember(member, font), "");
}

TEST(Extraction, HeadChecksumLeavesOutTheAdjustment) {
    const Font font = Load("DejaVuSans.ttf");
    const Bytes ttc = BuildCollection({font});
    Bytes member;
    ASSERT_EQ(Extract(ttc, 0, &member), kSuccess);
    Font got;
    ASSERT_TRUE(ReadFont(member, 0, &got));
    // DejaVu's own directory has the correct checksums; the member must agree.
    for (size_t i = 0; i < got.tables.size(); ++i)
        EXPECT_EQ(got.tables[i].checksum, font.tables[i].checksum) << i;
}

TEST(Extraction, WrongOutputSizeIsRefused) {
    const Bytes ttc = BuildCollection({Load("DejaVuSansMono.ttf")});
    uint32_t size = 0;
    ASSERT_EQ(collo::MemberSize(ttc.data(), ttc.size(), 0, &size), kSuccess);
    Bytes out(size - 1);
    EXPECT_EQ(collo::ExtractMember(ttc.data(), ttc.size(), 0, out.data(), out.size()), kUnknownFormat);
}

class RealCollection : public ::testing::Test {
protected:
    void SetUp() override {
        ttc = ReadFileBytes(RealCollectionPath());
        ASSERT_FALSE(ttc.empty()) << "cannot read " << RealCollectionPath() << " (fonts-wqy-microhei)";
    }
    Bytes ttc;
};

TEST_F(RealCollection, EveryMemberIsAWellFormedFontWithItsOwnTables) {
    std::vector<spi::ArchiveMemberRecord> records;
    ASSERT_EQ(List(ttc, &records), kSuccess);
    ASSERT_EQ(records.size(), Be32(ttc, 8));
    for (uint32_t k = 0; k < records.size(); ++k) {
        Font source;
        ASSERT_TRUE(ReadFont(ttc, Be32(ttc, 12 + 4 * k), &source));
        Bytes member;
        ASSERT_EQ(Extract(ttc, k, &member), kSuccess);
        EXPECT_EQ(member.size(), records[k].fileSize);
        EXPECT_EQ(CheckMember(member, source), "") << "member " << k;
    }
}

// Where the last table of member k ends: shorter images cannot hold it.
size_t MemberEnd(const Bytes& ttc, uint32_t k) {
    Font font;
    const size_t at = Be32(ttc, 12 + 4 * k);
    EXPECT_TRUE(ReadFont(ttc, at, &font));
    size_t end = at + 12 + 16 * font.tables.size();
    for (const Table& table : font.tables) end = std::max(end, table.offset + table.data.size());
    return end;
}

// The lengths at which a structure of the collection starts or ends.
std::vector<size_t> Boundaries(const Bytes& ttc) {
    std::vector<size_t> at;
    for (size_t i = 0; i <= 64; ++i) at.push_back(i);
    for (uint32_t k = 0; k < Be32(ttc, 8); ++k) {
        const size_t table = Be32(ttc, 12 + 4 * k);
        const size_t n = (ttc[table + 4] << 8) | ttc[table + 5];
        for (size_t i = 0; i <= 12 + 16 * n; ++i) at.push_back(table + i);
        for (size_t i = 0; i < n; ++i) {
            const size_t start = Be32(ttc, table + 20 + 16 * i);
            const size_t end = start + Be32(ttc, table + 24 + 16 * i);
            for (size_t edge : {start, start + 1, end - 1, end, end + 1}) at.push_back(edge);
        }
    }
    return at;
}

TEST_F(RealCollection, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
    // Every length is listed; at the boundaries of the structures the data
    // also sit in an exact block and every member is extracted as well.
    const size_t ends[2] = {MemberEnd(ttc, 0), MemberEnd(ttc, 1)};
    ASSERT_EQ(ends[1], ttc.size());
    std::vector<spi::ArchiveMemberRecord> records;
    for (size_t length = 0; length < ttc.size(); ++length)
        ASSERT_EQ(List(ttc.data(), length, &records), kUnknownFormat) << "length " << length;
    for (size_t length : Boundaries(ttc)) {
        if (length >= ttc.size()) continue;
        std::unique_ptr<uint8_t[]> exact = Exact(ttc.data(), length);
        ASSERT_EQ(List(exact.get(), length, &records), kUnknownFormat) << "length " << length;
        for (uint32_t k = 0; k < 2; ++k) {
            uint32_t size = 0;
            const int32_t expected = length < ends[k] ? kUnknownFormat : kSuccess;
            ASSERT_EQ(collo::MemberSize(exact.get(), length, k, &size), expected) << length;
            uint8_t out[64];
            ASSERT_EQ(collo::ExtractMember(exact.get(), length, k, out, sizeof out), kUnknownFormat);
        }
    }
}

// Hostile collections, each a row: how the valid one is damaged.
struct Damage {
    const char* name;
    void (*apply)(Bytes* ttc);
};

size_t FirstDirectory(const Bytes& t) { return Be32(t, 12); }
size_t FirstRecord(const Bytes& t) { return FirstDirectory(t) + 12; }

const Damage kDamages[] = {
    {"font offset past the end", [](Bytes* t) { PutBe32(*t, 12, uint32_t(t->size())); }},
    {"font offset at the last byte", [](Bytes* t) { PutBe32(*t, 12, uint32_t(t->size() - 1)); }},
    {"font offset 0xffffffff", [](Bytes* t) { PutBe32(*t, 12, 0xffffffff); }},
    {"offset table cut by the end", [](Bytes* t) { PutBe32(*t, 12, uint32_t(t->size() - 11)); }},
    {"huge font count", [](Bytes* t) { PutBe32(*t, 8, 0xffffffff); }},
    {"font count past the end", [](Bytes* t) { PutBe32(*t, 8, uint32_t(t->size() / 4)); }},
    {"huge table count", [](Bytes* t) { PutBe16(*t, FirstDirectory(*t) + 4, 0xffff); }},
    {"table offset past the end",
     [](Bytes* t) { PutBe32(*t, FirstRecord(*t) + 8, uint32_t(t->size() + 1)); }},
    {"table length past the end",
     [](Bytes* t) { PutBe32(*t, FirstRecord(*t) + 12, uint32_t(t->size())); }},
    {"table offset plus length wraps 32 bits", [](Bytes* t) {
         PutBe32(*t, FirstRecord(*t) + 8, 0xfffffff0);
         PutBe32(*t, FirstRecord(*t) + 12, 0x20);
     }},
    {"table length 0xffffffff", [](Bytes* t) { PutBe32(*t, FirstRecord(*t) + 12, 0xffffffff); }},
};

TEST(HostileCollection, EachDamageIsRefusedWithUnknownFormat) {
    const Bytes valid = BuildCollection({Load("DejaVuSansMono.ttf"), Load("DejaVuSerif.ttf")});
    for (const Damage& damage : kDamages) {
        Bytes ttc = valid;
        damage.apply(&ttc);
        std::vector<spi::ArchiveMemberRecord> records;
        EXPECT_EQ(List(ttc, &records), kUnknownFormat) << damage.name;
        std::unique_ptr<uint8_t[]> exact = Exact(ttc.data(), ttc.size());
        uint32_t size = 0;
        EXPECT_EQ(collo::MemberSize(exact.get(), ttc.size(), 0, &size), kUnknownFormat) << damage.name;
        uint8_t out[64];
        EXPECT_EQ(collo::ExtractMember(exact.get(), ttc.size(), 0, out, sizeof out), kUnknownFormat)
            << damage.name;
    }
}

TEST(HostileCollection, MemberLargerThan32BitsIsRefused) {
    // 5000 table records that all point at one 1 MB table: every record is
    // inside the file, but the member would be about 5 GB.
    const uint32_t n = 5000, tableSize = 1 << 20;
    Bytes ttc(16 + 12 + 16 * n, 0);
    std::memcpy(ttc.data(), "ttcf", 4);
    PutBe32(ttc, 4, 0x00010000);
    PutBe32(ttc, 8, 1);
    PutBe32(ttc, 12, 16);
    PutBe16(ttc, 16 + 4, uint16_t(n));
    const uint32_t data = uint32_t(ttc.size());
    for (uint32_t i = 0; i < n; ++i) {
        PutBe32(ttc, 16 + 12 + 16 * i + 8, data);
        PutBe32(ttc, 16 + 12 + 16 * i + 12, tableSize);
    }
    ttc.resize(ttc.size() + tableSize, 0x55);
    uint32_t size = 0;
    EXPECT_EQ(collo::MemberSize(ttc.data(), ttc.size(), 0, &size), kUnknownFormat);
    // With 4000 records (about 4 GB) it still does not fit; with 100 it does.
    PutBe16(ttc, 16 + 4, 4096);
    EXPECT_EQ(collo::MemberSize(ttc.data(), ttc.size(), 0, &size), kUnknownFormat);
    PutBe16(ttc, 16 + 4, 100);
    ASSERT_EQ(collo::MemberSize(ttc.data(), ttc.size(), 0, &size), kSuccess);
    EXPECT_EQ(size, 12u + 1600u + 100u * tableSize);
}

TEST(HostileCollection, NotACollectionIsRefused) {
    const Bytes plain = ReadFileBytes(DejaVu("DejaVuSansMono.ttf"));
    std::vector<spi::ArchiveMemberRecord> records;
    EXPECT_EQ(List(plain, &records), kUnknownFormat);
    Bytes v3 = BuildCollection({Load("DejaVuSansMono.ttf")});
    PutBe32(v3, 4, 0x00030000);
    EXPECT_EQ(List(v3, &records), kUnknownFormat);
}

}  // namespace
