// collo.spi called through its exports under Wine, as the viewer calls it:
// the information strings, the support test, member lists of assembled and
// real collections, extraction to memory and to files, and name look-up.
#include <gtest/gtest.h>

#include <cstring>

#include "plugins/collo/tests/plugin_host.h"

namespace collo_test {
namespace {

// 2001-02-03 04:05:06 UTC.
constexpr int32_t kStamp = 981173106;

void SetWriteTime(const std::string& path, int64_t unixSeconds) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const uint64_t ticks = uint64_t(unixSeconds) * 10000000 + 116444736000000000ULL;
    FILETIME time = {DWORD(ticks), DWORD(ticks >> 32)};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

std::vector<Font> LoadFonts(std::initializer_list<const char*> names) {
    std::vector<Font> fonts;
    for (const char* name : names) {
        fonts.push_back(LoadFont(DejaVu(name)));
        EXPECT_FALSE(fonts.back().tables.empty()) << name;
    }
    return fonts;
}

class Members : public PluginTest {
protected:
    // Checks every listed member of `path` against `sources` through both outputs.
    void ExpectMembers(const std::string& path, const std::vector<Font>& sources) {
        const MemberListCopy list = List(path);
        ASSERT_EQ(list.result, spi::kSuccess);
        ASSERT_EQ(list.records.size(), sources.size());
        const std::string out = MakeSubfolder("out");
        for (uint32_t k = 0; k < sources.size(); ++k) {
            const spi::ArchiveMemberRecord& r = list.records[k];
            Bytes member;
            ASSERT_EQ(GetMember(path, k, &member), spi::kSuccess) << k;
            EXPECT_EQ(member.size(), r.fileSize) << k;
            EXPECT_EQ(CheckMember(member, sources[k]), "") << "member " << k;
            EXPECT_EQ(FontsTheSystemAccepts(member), ExpectedFontCount(sources[k])) << "member " << k;

            ASSERT_EQ(getFile_(path.c_str(), k, const_cast<char*>(out.c_str()), 0, nullptr, 0),
                      spi::kSuccess) << k;
            EXPECT_EQ(ReadFileBytes(out + "\\" + r.fileName), member) << r.fileName;
        }
    }
};

TEST_F(PluginTest, InformationStrings) {
    char buf[1024];
    char small[5];
    EXPECT_EQ(getPluginInfo_(0, small, sizeof small), 4);
    EXPECT_STREQ(small, "00AM");
    EXPECT_EQ(getPluginInfo_(1, buf, sizeof buf), 13);
    EXPECT_STREQ(buf, "collo by.Quib");
    EXPECT_EQ(getPluginInfo_(2, buf, sizeof buf), 5);
    EXPECT_STREQ(buf, "*.ttc");
    EXPECT_EQ(getPluginInfo_(3, buf, sizeof buf), 25);
    wchar_t wide[64];
    ASSERT_GT(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, buf, -1, wide, 64), 0);
    EXPECT_EQ(std::wstring(wide), L"\u30d5\u30a9\u30f3\u30c8\u30b3\u30ec\u30af\u30b7\u30e7\u30f3(ttc)");
    std::memset(buf, 'x', 4);
    EXPECT_EQ(getPluginInfo_(4, buf, sizeof buf), 0);
    EXPECT_EQ(getPluginInfo_(-1, buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], 'x');
}

TEST_F(PluginTest, SupportTestByHeadAndByFileHandle) {
    const std::string ttc = WriteCollection("fonts.ttc", BuildCollection(LoadFonts({"DejaVuSansMono.ttf"})));
    Bytes v3 = ReadFileBytes(ttc);
    PutBe32(v3, 4, 0x00030000);
    const std::string cases[][2] = {{ttc, "1"},
                                    {WriteCollection("v3.ttc", v3), "0"},
                                    {DejaVu("DejaVuSansMono.ttf"), "0"}};
    for (const auto& row : cases) {
        const int32_t expected = row[1][0] - '0';
        Bytes head = ReadFileBytes(row[0]);
        head.resize(2176, 0);
        EXPECT_EQ(isSupported_(row[0].c_str(), reinterpret_cast<uintptr_t>(head.data())), expected) << row[0];

        HANDLE file = CreateFileA(row[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ASSERT_LT(reinterpret_cast<uintptr_t>(file), spi::kHandleLimit);
        EXPECT_EQ(isSupported_(row[0].c_str(), reinterpret_cast<uintptr_t>(file)), expected) << row[0];
        CloseHandle(file);
    }
    EXPECT_EQ(isSupported_("none", 0), 0);  // not a handle that reads
}

TEST_F(Members, ThreeFontsListedAndDelivered) {
    const std::vector<Font> fonts = LoadFonts({"DejaVuSans.ttf", "DejaVuSerif-Bold.ttf", "DejaVuSansMono.ttf"});
    const std::string path = WriteCollection("fonts.ttc", BuildCollection(fonts));
    SetWriteTime(path, kStamp);
    const MemberListCopy list = List(path);
    ASSERT_EQ(list.result, spi::kSuccess);
    ASSERT_EQ(list.records.size(), 3u);
    for (uint32_t k = 0; k < 3; ++k) {
        const spi::ArchiveMemberRecord& r = list.records[k];
        EXPECT_STREQ(r.method, "ttf");
        EXPECT_EQ(r.position, k);
        EXPECT_EQ(r.compressedSize, r.fileSize);
        EXPECT_EQ(r.timestamp, kStamp);
        EXPECT_STREQ(r.path, "");
        EXPECT_EQ(std::string(r.fileName), "fonts0" + std::to_string(k) + ".ttf");
        EXPECT_EQ(r.crc, 0u);
    }
    ExpectMembers(path, fonts);
}

TEST_F(Members, TwelveFontsListTen) {
    const std::vector<Font> fonts = LoadFonts(
        {"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf", "DejaVuSansMono-Oblique.ttf",
         "DejaVuSansMono-BoldOblique.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf",
         "DejaVuSerif-Italic.ttf", "DejaVuSerif-BoldItalic.ttf", "DejaVuSerifCondensed.ttf",
         "DejaVuSerifCondensed-Bold.ttf", "DejaVuSerifCondensed-Italic.ttf",
         "DejaVuSerifCondensed-BoldItalic.ttf"});
    const std::string path = WriteCollection("twelve.ttc", BuildCollection(fonts, 0x00020000));
    ExpectMembers(path, std::vector<Font>(fonts.begin(), fonts.begin() + 10));
    const MemberListCopy list = List(path);
    EXPECT_STREQ(list.records.back().fileName, "twelve09.ttf");
    Bytes member;
    EXPECT_EQ(GetMember(path, 10, &member), spi::kNotSupported);
    EXPECT_EQ(GetMember(path, 11, &member), spi::kNotSupported);
    EXPECT_EQ(GetMember(path, -1, &member), spi::kNotSupported);
}

TEST_F(Members, SharedTablesAndAnOddLengthTable) {
    std::vector<Font> fonts = LoadFonts({"DejaVuSansMono.ttf", "DejaVuSansMono.ttf", "DejaVuSerif.ttf"});
    AddTable(&fonts[2], "zOdd", {1, 2, 3, 4, 5}, 0);
    const std::string path = WriteCollection("shared.ttc", BuildCollection(fonts, 0x00010000, true));
    fonts[2].tables.back().checksum = 0x01020304u + 0x05000000u;
    ExpectMembers(path, fonts);
}

TEST_F(Members, RealCollectionFromDebian) {
    const Bytes ttc = ReadFileBytes(RealCollectionPath());
    ASSERT_FALSE(ttc.empty()) << "fonts-wqy-microhei is not installed";
    std::vector<Font> sources(Be32(ttc, 8));
    for (uint32_t k = 0; k < sources.size(); ++k) ASSERT_TRUE(ReadFont(ttc, Be32(ttc, 12 + 4 * k), &sources[k]));
    ExpectMembers(RealCollectionPath(), sources);
    EXPECT_STREQ(List(RealCollectionPath()).records[1].fileName, "wqy-microhei01.ttf");
}

TEST_F(PluginTest, FileInfoByNameWithoutRegardToCaseOrByPosition) {
    const std::string path = WriteCollection("fonts.ttc", BuildCollection(LoadFonts({"DejaVuSansMono.ttf", "DejaVuSerif.ttf", "DejaVuSans.ttf"})));
    const MemberListCopy list = List(path);
    ASSERT_EQ(list.records.size(), 3u);

    spi::ArchiveMemberRecord record{};
    ASSERT_EQ(getFileInfo_(path.c_str(), 0, "FONTS01.TTF", 0, &record), spi::kSuccess);
    EXPECT_EQ(std::memcmp(&record, &list.records[1], sizeof record), 0);

    record = {};
    record.position = 2;
    ASSERT_EQ(getFileInfo_(path.c_str(), 0, "", 0, &record), spi::kSuccess);
    EXPECT_EQ(std::memcmp(&record, &list.records[2], sizeof record), 0);

    EXPECT_EQ(getFileInfo_(path.c_str(), 0, "fonts03.ttf", 0, &record), spi::kNotSupported);
    EXPECT_EQ(getFileInfo_(path.c_str(), 0, "fonts01", 0, &record), spi::kNotSupported);
    const std::string overlong(600, 'x');
    EXPECT_EQ(getFileInfo_(path.c_str(), 0, overlong.c_str(), 0, &record), spi::kNotSupported);
    EXPECT_EQ(std::strlen(record.fileName), 199u);
}

TEST_F(PluginTest, FileOutputNeverReplacesAFile) {
    const std::string path = WriteCollection("fonts.ttc", BuildCollection(LoadFonts({"DejaVuSansMono.ttf", "DejaVuSerif.ttf"})));
    const std::string out = MakeSubfolder("out");
    const Bytes keep = {'k', 'e', 'e', 'p'};
    ASSERT_TRUE(WriteFileBytes(out + "\\fonts01.ttf", keep));
    EXPECT_EQ(getFile_(path.c_str(), 1, const_cast<char*>(out.c_str()), 0, nullptr, 0), spi::kFileWriteError);
    EXPECT_EQ(ReadFileBytes(out + "\\fonts01.ttf"), keep);

    // The folder may end with a separator or not.
    const std::string slashed = out + "\\";
    EXPECT_EQ(getFile_(path.c_str(), 0, const_cast<char*>(slashed.c_str()), 0, nullptr, 0), spi::kSuccess);
    Bytes member;
    ASSERT_EQ(GetMember(path, 0, &member), spi::kSuccess);
    EXPECT_EQ(ReadFileBytes(out + "\\fonts00.ttf"), member);
    EXPECT_EQ(getFile_(path.c_str(), 0, const_cast<char*>(out.c_str()), 0, nullptr, 0), spi::kFileWriteError);

    const std::string missing = Folder() + "\\no such folder";
    EXPECT_EQ(getFile_(path.c_str(), 0, const_cast<char*>(missing.c_str()), 0, nullptr, 0), spi::kFileWriteError);
}

TEST_F(PluginTest, MemoryInputIsNotSupported) {
    const Bytes ttc = BuildCollection(LoadFonts({"DejaVuSansMono.ttf"}));
    const char* data = reinterpret_cast<const char*>(ttc.data());
    void* handle = reinterpret_cast<void*>(7);
    EXPECT_EQ(getArchiveInfo_(data, intptr_t(ttc.size()), spi::kInputMemory, &handle), spi::kNotSupported);
    EXPECT_EQ(handle, reinterpret_cast<void*>(7));
    spi::ArchiveMemberRecord record{};
    EXPECT_EQ(getFileInfo_(data, intptr_t(ttc.size()), "x00.ttf", spi::kInputMemory, &record), spi::kNotSupported);
    EXPECT_EQ(getFile_(data, 0, &handle, spi::kInputMemory | kMemoryOutput, nullptr, 0), spi::kNotSupported);
    EXPECT_EQ(handle, reinterpret_cast<void*>(7));
}

TEST_F(PluginTest, WhatIsNotACollection) {
    Bytes v3 = BuildCollection(LoadFonts({"DejaVuSansMono.ttf"}));
    PutBe32(v3, 4, 0x00030000);
    EXPECT_EQ(List(WriteCollection("v3.ttc", v3)).result, spi::kUnknownFormat);
    EXPECT_EQ(List(DejaVu("DejaVuSansMono.ttf")).result, spi::kUnknownFormat);
    EXPECT_EQ(List(WriteCollection("empty.ttc", {})).result, spi::kUnknownFormat);
    EXPECT_EQ(List(Folder() + "\\missing.ttc").result, spi::kFileReadError);
    Bytes member;
    EXPECT_EQ(GetMember(Folder() + "\\missing.ttc", 0, &member), spi::kFileReadError);
    EXPECT_EQ(GetMember(DejaVu("DejaVuSansMono.ttf"), 0, &member), spi::kUnknownFormat);
}

TEST_F(PluginTest, CollectionAtAnOffsetInsideAFile) {
    const std::vector<Font> fonts = LoadFonts({"DejaVuSansMono.ttf", "DejaVuSerif.ttf"});
    Bytes ttc = BuildCollection(fonts);
    Bytes wrapped(1000, 'j');
    wrapped.insert(wrapped.end(), ttc.begin(), ttc.end());
    const std::string path = WriteCollection("wrapped.bin", wrapped);
    const MemberListCopy list = List(path, 1000);
    ASSERT_EQ(list.result, spi::kSuccess);
    ASSERT_EQ(list.records.size(), 2u);
    EXPECT_EQ(list.records[1].fileSize, List(WriteCollection("plain.ttc", ttc)).records[1].fileSize);
    EXPECT_EQ(List(path, 0).result, spi::kUnknownFormat);
    EXPECT_EQ(List(path, intptr_t(wrapped.size())).result, spi::kUnknownFormat);
    EXPECT_EQ(List(path, -5).result, spi::kFileReadError);
}

TEST_F(PluginTest, VeryLongCollectionNameIsShortenedToFit) {
    // A short folder, so that the whole path stays within MAX_PATH.
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string base(215, 'L');
    const std::string path = std::string(temp) + base + ".ttc";
    ASSERT_LT(path.size(), size_t(MAX_PATH));
    ASSERT_TRUE(WriteFileBytes(path, BuildCollection(LoadFonts({"DejaVuSansMono.ttf"}))));
    const MemberListCopy list = List(path);
    DeleteFileA(path.c_str());
    ASSERT_EQ(list.result, spi::kSuccess);
    ASSERT_EQ(list.records.size(), 1u);
    EXPECT_EQ(std::string(list.records[0].fileName), std::string(193, 'L') + "00.ttf");
}

}  // namespace
}  // namespace collo_test
