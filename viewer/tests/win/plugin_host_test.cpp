// The plug-in host with plug-ins of our own: what it loads, that an image
// plug-in is asked before the built-in decoders and only for its extensions,
// and that a plug-in faulting in any call is survived, reloaded and passed by.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "decode_test_support.h"
#include "viewer/decode/archive_access.h"
#include "viewer/decode/plugin_rules.h"

namespace {

std::wstring Picture(const wchar_t* name) {
    return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\" + name;
}

std::set<std::wstring> LoadedNames(const PluginList& plugins) {
    std::set<std::wstring> names;
    for (const PluginEntry& entry : plugins) {
        wchar_t path[MAX_PATH] = L"";
        if (entry.module) GetModuleFileNameW(entry.module, path, MAX_PATH);
        const wchar_t* slash = wcsrchr(path, L'\\');
        names.insert(slash ? slash + 1 : path);
    }
    return names;
}

TEST_F(PluginTest, LoadsPluginsOfItsOwnBitnessThatIgnoreSpiDoesNotName) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    Install(TestPlugin(L"oxeltest_archive.spi"), L"oxeltest_archive.spi");
    Install(PathFromEnvironment("OXEL_OUT_DIR") + L"\\glypho.spi", L"glypho.spi");
    Install(TestPlugin(L"oxeltest_image.spi"), L"o.spi");  // its whole name is in "glypho.spi"
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\broken.spi", "not a module"));
    // A module of the other bitness.
    std::string other = ReadWholeFile(TestPlugin(L"oxeltest_image.spi"));
    uint32_t pe = *reinterpret_cast<const uint32_t*>(&other[0x3C]);
    uint16_t foreign = sizeof(void*) == 8 ? kMachineI386 : kMachineAmd64;
    memcpy(&other[pe + 4], &foreign, 2);
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\other.spi", other));

    Load("IgnoreSpi=glypho.spi\r\n");
    EXPECT_EQ(LoadedNames(plugins_), (std::set<std::wstring>{L"oxeltest_image.spi", L"oxeltest_archive.spi"}));

    Load("", folder_ + L"\\missing");
    EXPECT_TRUE(plugins_.empty());
}

TEST_F(PluginTest, ImagePluginIsAskedFirstAndOnlyForItsExtensions) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    Load();
    Decoded png;
    Decode(Picture(L"alpha.png"), png);
    ASSERT_NE(png.bitmap, nullptr);
    EXPECT_EQ(png.picture.width, 7);
    EXPECT_EQ(png.picture.height, 5);
    EXPECT_EQ(png.picture.bitsPerPixel, 24);
    EXPECT_EQ(PixelAt(png.bitmap, 6, 4), 0xFF00FFu);

    const std::string tpic("TPIC\x03\x00\x02\x00\x10\x20\x30", 11);
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\upper.TPIC", tpic));
    ASSERT_TRUE(WriteWholeFile(folder_ + L"\\tpic.bmp", tpic));
    Decoded upper, unlisted, unchecked;
    Decode(folder_ + L"\\upper.TPIC", upper);  // the extension is lowered before the test
    ASSERT_NE(upper.bitmap, nullptr);
    EXPECT_EQ(upper.picture.width, 3);
    EXPECT_EQ(PixelAt(upper.bitmap, 0, 0), 0x302010u);
    Decode(folder_ + L"\\tpic.bmp", unlisted);
    EXPECT_EQ(unlisted.bitmap, nullptr);
    EXPECT_EQ(unlisted.picture.width, kStatusUnsupported);

    Load("CheckExt_SPI=OFF\r\n");
    Decode(folder_ + L"\\tpic.bmp", unchecked);
    ASSERT_NE(unchecked.bitmap, nullptr);
    EXPECT_EQ(unchecked.picture.width, 3);
}

TEST_F(PluginTest, ImagePluginFaultingInAnyCallIsReloadedAndTheBuiltInDecoderShowsThePicture) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    Load();
    const char* exports[] = {"IsSupported", "GetPluginInfo", "GetPictureInfo", "GetPicture"};
    const char* kinds[] = {"access", "divide", "stack"};
    for (const char* name : exports) {
        for (const char* kind : kinds) {
            std::string fault = std::string(name) + ":" + kind;
            SetEnvironmentVariableA("OXEL_TEST_FAULT", fault.c_str());
            int rounds = std::string(kind) == "access" ? 100 : 3;
            for (int round = 0; round < rounds; ++round) {
                Decoded d;
                Decode(Picture(L"alpha.png"), d);
                ASSERT_NE(d.bitmap, nullptr) << fault << " round " << round;
                ASSERT_NE(d.picture.width, 7) << fault << ": the plug-in's picture";
                ASSERT_EQ(plugins_.size(), 1u);
                ASSERT_NE(plugins_[0].module, nullptr) << fault << ": reloaded";
            }
        }
    }
    // Once the faults stop, the reloaded plug-in answers again.
    SetEnvironmentVariableA("OXEL_TEST_FAULT", nullptr);
    Decoded d;
    Decode(Picture(L"alpha.png"), d);
    EXPECT_EQ(d.picture.width, 7);
}

TEST_F(PluginTest, ArchivePluginFaultingIsPassedByForTheViewersOwnZipReader) {
    Install(TestPlugin(L"oxeltest_archive.spi"), L"oxeltest_archive.spi");
    Load();
    for (const char* fault : {"GetArchiveInfo:access", "GetFile:divide", "GetFile:stack"}) {
        SetEnvironmentVariableA("OXEL_TEST_FAULT", fault);
        int rounds = std::string(fault) == "GetArchiveInfo:access" ? 100 : 3;
        for (int round = 0; round < rounds; ++round) {
            Decoded d;
            Decode(TestArchive(L"pictures.zip"), d);
            ASSERT_NE(d.bitmap, nullptr) << fault << " round " << round;
            ASSERT_EQ(d.picture.width, 4) << fault;
            ASSERT_EQ(d.state.subIndex, 1);
        }
    }
    SetEnvironmentVariableA("OXEL_TEST_FAULT", "GetFile:access");
    for (int round = 0; round < 100; ++round) {
        Decoded d;
        Decode(TestArchive(L"pictures.zip"), d);
        ASSERT_EQ(d.picture.width, 4) << round;
    }
    EXPECT_NE(plugins_[0].module, nullptr);
}

TEST_F(PluginTest, ArchivePluginMembersStepAndUnsafeNamesNeverLeaveTheTemporaryFolder) {
    Install(TestPlugin(L"oxeltest_archive.spi"), L"oxeltest_archive.spi");
    Load();
    const std::wstring archive = TestArchive(L"pictures.tarc");
    Decoded d;
    Decode(archive, d);
    ASSERT_NE(d.bitmap, nullptr);
    EXPECT_EQ(d.state.subIndex, 1);
    EXPECT_EQ(d.picture.lastIndex, 2);
    EXPECT_EQ(d.picture.width, 4);
    Decode(archive, d, 2, 1);  // "..\evil.png", extracted from memory under a name of ours
    ASSERT_NE(d.bitmap, nullptr);
    EXPECT_EQ(d.state.subIndex, 2);
    EXPECT_EQ(d.picture.width, 5);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);

    // Without extraction into memory the plug-in writes the member itself;
    // under an unsafe name it is not asked to.
    SetEnvironmentVariableA("OXEL_TEST_NO_MEMORY", "1");
    Decode(archive, d, 0, 1);
    EXPECT_EQ(d.state.subIndex, 1);
    Decode(archive, d, 2, 1);  // the unsafe one, then around to the member shown, which is not tried again
    EXPECT_EQ(d.bitmap, nullptr);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(GetFileAttributesW((std::wstring(temp) + L"evil.png").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

}  // namespace
