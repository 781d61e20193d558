// Tests of glypho.spi's exports under Wine, called as a host calls them: the
// information tables, the type check through handles, head copies, files and
// memory, the picture information, result codes for missing and short files,
// and the wide variants.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "plugins/glypho/tests/spi_host.h"

using namespace glypho_test;

namespace {

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestPlugin().module) << "glypho.spi could not be loaded";
        ClearSettings();
    }
    Plugin& p = TestPlugin();

    std::string Info(int index, int size = 1024) {
        std::vector<char> buffer(size > 0 ? size : 1, 'x');
        int n = p.getPluginInfo(index, buffer.data(), size);
        return n > 0 ? std::string(buffer.data(), n) : std::string();
    }

    // IsSupported with a host's zero-padded head copy of the file.
    int32_t SupportedByHead(const char* path) {
        std::vector<uint8_t> bytes = ReadWholeFile(path);
        std::vector<uint8_t> head(2176, 0);
        std::memcpy(head.data(), bytes.data(), bytes.size() < head.size() ? bytes.size() : head.size());
        return p.isSupported(path, reinterpret_cast<uintptr_t>(head.data()));
    }

    int32_t SupportedByHandle(const char* path, LONG* positionAfter = nullptr) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        int32_t answer = p.isSupported(path, reinterpret_cast<uintptr_t>(file));
        if (positionAfter) *positionAfter = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
        CloseHandle(file);
        return answer;
    }

    std::string Scratch(const char* name, const std::vector<uint8_t>& bytes) {
        std::string path = ScratchDir() + "\\" + name;
        WriteWholeFile(path, bytes);
        return path;
    }
};

}  // namespace

TEST(DeliveredPlugin, LoadsFromTheOutputFolderWithItsSettingsFile) {
    Plugin delivered;
    ASSERT_TRUE(LoadPlugin(EnvPath("OXEL_OUT_DIR") + "\\glypho.spi", &delivered));
    char type[5] = {0};
    EXPECT_EQ(4, delivered.getPluginInfo(0, type, 5));
    EXPECT_STREQ("00IN", type);
    char patterns[64];
    delivered.getPluginInfo(2, patterns, sizeof(patterns));
    EXPECT_STREQ("*.ttf;*.otf", patterns);  // the shipped file keeps collections off

    // The shipped settings file is UTF-16, so its Japanese default reads the same on any code page.
    std::wstring ini;
    for (char c : delivered.iniPath) ini += static_cast<wchar_t>(c);
    wchar_t text[128] = {0};
    GetPrivateProfileStringW(L"ViewSetting", L"StrJpn", L"", text, 128, ini.c_str());
    EXPECT_STREQ(L"Susie\x3067\x30B0\x30E9\x30D5\x30A3\x30C3\x30AF\x30B9\x306E\x4E16\x754C\x304C\x5E83"
                 L"\x304C\x308A\x307E\x3059\x3002" L"1234567890", text);
    EXPECT_EQ(640u, GetPrivateProfileIntW(L"ViewSetting", L"BmpWidth", 0, ini.c_str()));
    EXPECT_EQ(120u, GetPrivateProfileIntW(L"PreviewSetting", L"BmpWidth", 0, ini.c_str()));

    Picture picture;
    ASSERT_EQ(0, PictureOfFile(delivered.getPicture, kLatinFont, &picture));
    EXPECT_EQ(640, picture.width);
    EXPECT_EQ(480, picture.height);
}

TEST_F(PluginTest, InformationTablesFollowProcTTC) {
    EXPECT_EQ("00IN", Info(0));
    EXPECT_EQ("glypho by.Quib", Info(1));
    EXPECT_EQ("*.ttf;*.otf", Info(2));
    EXPECT_EQ("\x83t\x83H\x83\x93\x83g\x83t\x83@\x83" "C\x83\x8b(ttf,otf)", Info(3));
    SetSetting("SystemSetting", "ProcTTC", "on");
    EXPECT_EQ("*.ttf;*.otf;*.ttc", Info(2));
    EXPECT_EQ("\x83t\x83H\x83\x93\x83g\x83t\x83@\x83" "C\x83\x8b(ttf,otf,ttc)", Info(3));
    SetSetting("SystemSetting", "ProcTTC", "TRUE");
    EXPECT_EQ("*.ttf;*.otf;*.ttc", Info(2));
    SetSetting("SystemSetting", "ProcTTC", "yes");
    EXPECT_EQ("*.ttf;*.otf", Info(2));
}

TEST_F(PluginTest, OutOfRangeIndexWritesNothingButTheWideTwinAnEmptyString) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(0, p.getPluginInfo(4, buffer, sizeof(buffer)));
    EXPECT_EQ(0, p.getPluginInfo(-1, buffer, sizeof(buffer)));
    EXPECT_EQ('x', buffer[0]);
    wchar_t wide[8] = {L'x', L'x'};
    EXPECT_EQ(0, p.getPluginInfoW(4, wide, 8));
    EXPECT_EQ(0, wide[0]);
}

TEST_F(PluginTest, FiveByteBufferGetsFourCharactersAndATerminator) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(4, p.getPluginInfo(1, buffer, 5));
    EXPECT_STREQ("glyp", buffer);
    EXPECT_EQ('x', buffer[5]);
}

TEST_F(PluginTest, WideInformationIsConvertedAndCutToTheBuffer) {
    wchar_t wide[64];
    EXPECT_EQ(14, p.getPluginInfoW(1, wide, 64));
    EXPECT_STREQ(L"glypho by.Quib", wide);
    EXPECT_EQ(6, p.getPluginInfoW(1, wide, 7));
    EXPECT_STREQ(L"glypho", wide);
}

TEST_F(PluginTest, TypeCheckThroughHeadCopiesHandlesAndFiles) {
    for (const char* font : {kLatinFont, kJapaneseFont, kCffFont}) {
        EXPECT_EQ(1, SupportedByHead(font)) << font;
        LONG after = 0;
        EXPECT_EQ(1, SupportedByHandle(font, &after)) << font;
        EXPECT_EQ(12, after);
    }
    EXPECT_EQ(0, SupportedByHead(kCollection));
    EXPECT_EQ(0, SupportedByHandle(kCollection));
    SetSetting("SystemSetting", "ProcTTC", "1");
    EXPECT_EQ(1, SupportedByHead(kCollection));
    LONG after = 0;
    EXPECT_EQ(1, SupportedByHandle(kCollection, &after));
    EXPECT_EQ(12, after);  // the member's bytes were read, the position is put back

    std::string text = Scratch("not-a-font.txt", std::vector<uint8_t>(100, 'a'));
    EXPECT_EQ(0, SupportedByHead(text.c_str()));
    EXPECT_EQ(0, p.isSupported("x", 0xFFF0));  // a handle value that is not open
}

TEST_F(PluginTest, CollectionVersionsAndMembersAreChecked) {
    SetSetting("SystemSetting", "ProcTTC", "on");
    std::vector<uint8_t> ttc = ReadWholeFile(kCollection);
    ASSERT_GT(ttc.size(), 100u);
    spi::PictureInfoRecord info;
    struct Row {
        const char* name;
        void (*change)(std::vector<uint8_t>&);
        int32_t expected;
    };
    std::vector<Row> rows = {
        {"as-is.ttc", [](std::vector<uint8_t>&) {}, 0},
        {"upper.ttc", [](std::vector<uint8_t>& b) { std::memcpy(b.data(), "TTCF", 4); }, 0},
        {"v2.ttc", [](std::vector<uint8_t>& b) { b[5] = 2; }, 0},
        {"v3.ttc", [](std::vector<uint8_t>& b) { b[5] = 3; }, 2},
        {"otto-member.ttc", [](std::vector<uint8_t>& b) { std::memcpy(b.data() + 20, "OTTO", 4); }, 2},
        {"far-member.ttc", [](std::vector<uint8_t>& b) { b[12] = 0x7F; }, 2},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> head(ttc.begin(), ttc.begin() + 4096);
        row.change(head);
        std::string path = Scratch(row.name, head);
        EXPECT_EQ(row.expected, p.getPictureInfo(path.c_str(), 0, 0, &info)) << row.name;
        EXPECT_EQ(row.expected, p.getPictureInfo(reinterpret_cast<const char*>(head.data()),
                                                 static_cast<intptr_t>(head.size()), 1, &info)) << row.name;
    }
}

TEST_F(PluginTest, PictureInformationReportsTheSpecimenSize) {
    spi::PictureInfoRecord info;
    std::memset(&info, 0x55, sizeof(info));
    ASSERT_EQ(0, p.getPictureInfo(kLatinFont, 0, 0, &info));
    EXPECT_EQ(0, info.left);
    EXPECT_EQ(0, info.top);
    EXPECT_EQ(640, info.width);
    EXPECT_EQ(480, info.height);
    EXPECT_EQ(0, info.xDensity);
    EXPECT_EQ(0, info.yDensity);
    EXPECT_EQ(24, info.colorDepth);
    EXPECT_EQ(0u, info.textHandle);

    SetSetting("ViewSetting", "BmpWidth", "300");
    SetSetting("ViewSetting", "BmpHeight", "200");
    ASSERT_EQ(0, p.getPictureInfo(kCffFont, 0, 0, &info));
    EXPECT_EQ(300, info.width);
    EXPECT_EQ(200, info.height);
}

TEST_F(PluginTest, ZeroSizeTakesTheActiveWindowsClientArea) {
    SetSetting("ViewSetting", "BmpWidth", "0");
    SetSetting("ViewSetting", "BmpHeight", "0");
    spi::PictureInfoRecord info;
    // A thread of its own has no active window: the fallback size.
    int32_t result = -1;
    std::thread lone([&] {
        EXPECT_EQ(nullptr, GetActiveWindow());
        result = p.getPictureInfo(kLatinFont, 0, 0, &info);
    });
    lone.join();
    ASSERT_EQ(0, result);
    EXPECT_EQ(640, info.width);
    EXPECT_EQ(480, info.height);

    HWND window = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 500, 400,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    RECT client;
    GetClientRect(window, &client);
    ASSERT_EQ(window, GetActiveWindow());
    ASSERT_EQ(0, p.getPictureInfo(kLatinFont, 0, 0, &info));
    EXPECT_EQ(client.right, info.width);
    EXPECT_EQ(client.bottom, info.height);

    Picture picture;
    ASSERT_EQ(0, PictureOfFile(p.getPicture, kLatinFont, &picture));
    EXPECT_EQ(client.right, picture.width);
    EXPECT_EQ(client.bottom, picture.height);
    DestroyWindow(window);
}

TEST_F(PluginTest, ShortMissingAndOffsetFilesGiveTheirCodes) {
    std::vector<uint8_t> latin = ReadWholeFile(kLatinFont);
    std::vector<uint8_t> eleven(latin.begin(), latin.begin() + 11);
    std::string shortFile = Scratch("eleven.ttf", eleven);
    spi::PictureInfoRecord info;
    void* hInfo = nullptr;
    void* hBits = nullptr;
    EXPECT_EQ(2, p.getPicture(shortFile.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
    EXPECT_EQ(2, p.getPreview(shortFile.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
    EXPECT_EQ(2, p.getPictureInfo(shortFile.c_str(), 0, 0, &info));
    EXPECT_EQ(2, p.getPictureInfo(reinterpret_cast<const char*>(eleven.data()), 11, 1, &info));
    EXPECT_EQ(2, p.getPicture(reinterpret_cast<const char*>(eleven.data()), 11, 1, &hInfo, &hBits, nullptr, 0));

    std::string missing = ScratchDir() + "\\no-such-font.ttf";
    EXPECT_EQ(6, p.getPictureInfo(missing.c_str(), 0, 0, &info));
    EXPECT_EQ(6, p.getPicture(missing.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
    EXPECT_EQ(6, p.getPreview(missing.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));

    // A font that starts at an offset inside a bigger file, and an offset past its end.
    std::vector<uint8_t> wrapped(100, 0xAB);
    wrapped.insert(wrapped.end(), latin.begin(), latin.end());
    std::string inside = Scratch("wrapped.bin", wrapped);
    EXPECT_EQ(0, p.getPictureInfo(inside.c_str(), 100, 0, &info));
    EXPECT_EQ(2, p.getPictureInfo(inside.c_str(), 0, 0, &info));
    ASSERT_EQ(0, p.getPicture(inside.c_str(), 100, 0, &hInfo, &hBits, nullptr, 0));
    LocalFree(hInfo);
    LocalFree(hBits);
    EXPECT_EQ(2, p.getPicture(inside.c_str(), static_cast<intptr_t>(wrapped.size()), 0, &hInfo, &hBits, nullptr, 0));
    EXPECT_EQ(2, p.getPicture(inside.c_str(), static_cast<intptr_t>(wrapped.size()) - 11, 0, &hInfo, &hBits, nullptr, 0));
}

TEST_F(PluginTest, MemoryInputChangesTheCallersFamilyLetters) {
    std::vector<uint8_t> latin = ReadWholeFile(kLatinFont);
    std::vector<uint8_t> before = latin;
    void* hInfo = nullptr;
    void* hBits = nullptr;
    ASSERT_EQ(0, p.getPicture(reinterpret_cast<const char*>(latin.data()), static_cast<intptr_t>(latin.size()), 1,
                              &hInfo, &hBits, nullptr, 0));
    Picture picture;
    TakePicture(hInfo, hBits, &picture);
    EXPECT_EQ(640, picture.width);
    ASSERT_EQ(before.size(), latin.size());
    std::string all(latin.begin(), latin.end());
    EXPECT_NE(std::string::npos, all.find(std::string("\0V\0e\0j\0a\0V\0u\0 \0S\0a\0n\0s", 22)));
    size_t changed = 0;
    for (size_t i = 0; i < latin.size(); ++i) changed += latin[i] != before[i];
    EXPECT_GE(changed, 1u);
    EXPECT_LE(changed, 2u + 4u);  // one family letter (2 bytes) and the checksum

    // File input works on a copy: the file is left as it was.
    ASSERT_EQ(0, PictureOfFile(p.getPicture, kLatinFont, &picture));
    EXPECT_EQ(before, ReadWholeFile(kLatinFont));
}

TEST_F(PluginTest, DamagedFontsAreRefusedWithoutACrash) {
    std::vector<uint8_t> cff = ReadWholeFile(kCffFont);
    ASSERT_GT(cff.size(), 1000u);
    void* hInfo = nullptr;
    void* hBits = nullptr;
    // Truncated: through the table directory one byte at a time, then in steps.
    for (size_t length = 12; length < cff.size(); length += length < 400 ? 1 : 4099) {
        std::vector<uint8_t> cut(cff.begin(), cff.begin() + length);
        int32_t status = p.getPicture(reinterpret_cast<const char*>(cut.data()), static_cast<intptr_t>(length), 1,
                                      &hInfo, &hBits, nullptr, 0);
        if (status == 0) {
            LocalFree(hInfo);
            LocalFree(hBits);
        }
        EXPECT_TRUE(status == 0 || status == 2) << length << " gave " << status;
    }
    // Name records and tables pointing outside the file, huge counts.
    std::vector<uint8_t> hostile = cff;
    uint16_t tables = static_cast<uint16_t>((hostile[4] << 8) | hostile[5]);
    for (size_t i = 0; i < tables; ++i) {
        uint8_t* record = hostile.data() + 12 + 16 * i;
        if (std::memcmp(record, "name", 4) == 0) {
            uint32_t offset = (record[8] << 24) | (record[9] << 16) | (record[10] << 8) | record[11];
            hostile[offset + 2] = 0xFF;  // record count
            hostile[offset + 3] = 0xFF;
        }
    }
    std::string path = Scratch("hostile.otf", hostile);
    EXPECT_EQ(2, p.getPicture(path.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
    EXPECT_EQ(2, p.getPreview(path.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
    std::vector<uint8_t> manyTables = cff;
    manyTables[4] = 0xFF;
    manyTables[5] = 0xFF;
    path = Scratch("many-tables.otf", manyTables);
    EXPECT_EQ(2, p.getPicture(path.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
}

TEST_F(PluginTest, TypeCheckFallsBackToGlyphoIniInTheFolder) {
    std::string own = p.iniPath;
    std::string shared = ScratchDir() + "\\glypho.ini";
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, own.c_str());
    DeleteFileA(own.c_str());
    WritePrivateProfileStringA("SystemSetting", "ProcTTC", "on", shared.c_str());
    EXPECT_EQ(1, SupportedByHead(kCollection));
    EXPECT_EQ("*.ttf;*.otf", Info(2));  // the information reads only the plug-in's own file
    WritePrivateProfileStringA("SystemSetting", "ProcTTC", "off", shared.c_str());
    EXPECT_EQ(0, SupportedByHead(kCollection));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, shared.c_str());
    DeleteFileA(shared.c_str());
}

TEST_F(PluginTest, WideVariantsReachFilesThroughTheirShortNames) {
    std::wstring wideDir;
    for (char c : ScratchDir()) wideDir += static_cast<wchar_t>(c);
    wideDir += L"\\\x30D5\x30A9\x30F3\x30C8 \x0414\x0436";  // Japanese and Cyrillic letters
    CreateDirectoryW(wideDir.c_str(), nullptr);
    std::wstring font = wideDir + L"\\\x5B57\x4F53.ttf";
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", font.c_str(), FALSE));

    spi::PictureInfoRecord info;
    EXPECT_EQ(0, p.getPictureInfoW(font.c_str(), 0, 0, &info));
    EXPECT_EQ(640, info.width);
    void* hInfo = nullptr;
    void* hBits = nullptr;
    ASSERT_EQ(0, p.getPictureW(font.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
    Picture picture;
    TakePicture(hInfo, hBits, &picture);
    EXPECT_EQ(480, picture.height);
    ASSERT_EQ(0, p.getPreviewW(font.c_str(), 0, 0, &hInfo, &hBits, nullptr, 0));
    TakePicture(hInfo, hBits, &picture);
    EXPECT_EQ(120, picture.width);

    std::vector<uint8_t> head = ReadWholeFile(kLatinFont);
    head.resize(2176);
    EXPECT_EQ(1, p.isSupportedW(font.c_str(), reinterpret_cast<uintptr_t>(head.data())));
    EXPECT_EQ(6, p.getPictureInfoW((wideDir + L"\\missing.ttf").c_str(), 0, 0, &info));

    // Memory input passes the bytes on unchanged.
    std::vector<uint8_t> bytes = ReadWholeFile(kCffFont);
    EXPECT_EQ(0, p.getPictureInfoW(reinterpret_cast<const wchar_t*>(bytes.data()),
                                   static_cast<intptr_t>(bytes.size()), 1, &info));
}
