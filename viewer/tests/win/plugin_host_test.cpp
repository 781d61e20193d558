// The plug-in host with plug-ins of our own: what it loads, that an image
// plug-in is asked before the built-in decoders and only for its extensions,
// that a plug-in raising any exception in any call that it does not handle
// itself is survived, disabled and passed by with the processor as it was,
// and what becomes of the blocks and files that plug-ins hand back.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "decode_test_support.h"
#include "viewer/archive/archive_access.h"
#include "viewer/plugins/plugin_rules.h"

namespace {

std::wstring Picture(const wchar_t* name) {
    return PathFromEnvironment("OXEL_BINARY_DIR") + L"\\viewer\\test-pictures\\" + name;
}

std::set<std::wstring> LoadedNames(const PluginList& plugins) {
    std::set<std::wstring> names;
    for (const PluginEntry& entry : plugins) {
        const size_t slash = entry.path.rfind(L'\\');
        names.insert(slash == std::wstring::npos ? entry.path : entry.path.substr(slash + 1));
    }
    return names;
}

// A module of the other bitness is listed for the host of its bitness; ".sph"
// modules are plug-ins as well.
TEST_F(PluginTest, ListsPluginsOfEitherBitnessThatIgnoreSpiDoesNotName) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    Install(TestPlugin(L"oxeltest_image.spi"), L"hosted.sph");
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
    EXPECT_EQ(LoadedNames(plugins_), (std::set<std::wstring>{L"oxeltest_image.spi", L"oxeltest_archive.spi",
                                                               L"hosted.sph", L"other.spi"}));
    for (const PluginEntry& entry : plugins_) {
        const bool other = entry.path.find(L"other.spi") != std::wstring::npos;
        EXPECT_EQ(entry.hostMachine, other ? foreign : 0) << "in process: " << (entry.module != nullptr);
        EXPECT_EQ(entry.module == nullptr, other);
    }

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

// What the viewer's own code relies on after any call: the x87 and SSE
// control words as they were, the direction flag clear, an empty x87 stack.
std::tuple<uint16_t, uint32_t, bool, bool> ProcessorState() {
    uint16_t x87Control = 0;
    uint32_t mxcsr = 0;
    uintptr_t flags = 0;
    __asm__ volatile("fnstcw %0\n\tstmxcsr %1\n\tpushf\n\tpop %2" : "=m"(x87Control), "=m"(mxcsr), "=r"(flags));
    volatile long double x = 1.5L;
    return std::make_tuple(x87Control, mxcsr, !(flags & 0x400), x * x == 2.25L);
}

TEST_F(PluginTest, PluginRaisingAnyExceptionIsDisabledForTheSessionAndTheProcessorIsAsBefore) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    const auto before = ProcessorState();
    ASSERT_TRUE(std::get<2>(before) && std::get<3>(before));
    const char* exports[] = {"IsSupported", "GetPluginInfo", "GetPictureInfo", "GetPicture"};
    struct Kind {
        const char* name;
        bool faults;
    } kinds[] = {{"access", true},   {"divide", true},   {"stack", true},     {"direction", true},
                 {"cxx", true},      {"raise", true},    {"zero", true},      {"caught", false},
                 {"x87", false},     {"probe", false},   {"handled", false},  {"declined", true},
                 {"unsound", true},
#if defined(_WIN64)
                 // The 32-bit runtime ends the program itself on a throw that
                 // leaves the module; the 64-bit one raises it.
                 {"throw", true},
#endif
    };
    for (const char* name : exports) {
        for (const Kind& kind : kinds) {
            const std::string fault = std::string(name) + ":" + kind.name;
            Load();
            SetEnvironmentVariableA("OXEL_TEST_FAULT", fault.c_str());
            Decoded d;
            Decode(Picture(L"alpha.png"), d);
            EXPECT_TRUE(ProcessorState() == before) << fault;
            ASSERT_NE(d.bitmap, nullptr) << fault;
            EXPECT_EQ(d.picture.width == 7, !kind.faults) << fault << ": the plug-in's picture";
            ASSERT_EQ(plugins_.size(), 1u);
            EXPECT_NE(plugins_[0].module, nullptr) << fault << ": kept loaded";
            EXPECT_EQ(plugins_[0].disabled != 0, kind.faults) << fault;
            // Once the faults stop, a disabled plug-in is still not asked.
            SetEnvironmentVariableA("OXEL_TEST_FAULT", nullptr);
            Decoded again;
            Decode(Picture(L"alpha.png"), again);
            EXPECT_EQ(again.picture.width == 7, !kind.faults) << fault;
        }
    }
}

// The module's start-up and closing code runs guarded: what it leaves of the
// processor is undone, and a module whose start-up faulted is not used.
TEST_F(PluginTest, PluginStartUpAndClosingLeaveTheProcessorAsBefore) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    const auto before = ProcessorState();
    SetEnvironmentVariableA("OXEL_TEST_FAULT", "DllMain:x87");
    Load();
    EXPECT_EQ(plugins_.size(), 1u);
    EXPECT_TRUE(ProcessorState() == before) << "after the load";
    FreePlugins(plugins_);
    EXPECT_TRUE(ProcessorState() == before) << "after the unload";

    SetEnvironmentVariableA("OXEL_TEST_FAULT", "DllMain:access");
    Load();
    EXPECT_TRUE(plugins_.empty());
    EXPECT_TRUE(ProcessorState() == before);
}

TEST_F(PluginTest, ArchivePluginFaultingIsPassedByForTheViewersOwnZipReader) {
    Install(TestPlugin(L"oxeltest_archive.spi"), L"oxeltest_archive.spi");
    for (const char* fault : {"GetArchiveInfo:access", "GetFile:divide", "GetFile:stack", "GetFile:cxx"}) {
        Load();
        SetEnvironmentVariableA("OXEL_TEST_FAULT", fault);
        for (int round = 0; round < 3; ++round) {
            Decoded d;
            Decode(TestArchive(L"pictures.zip"), d);
            ASSERT_NE(d.bitmap, nullptr) << fault << " round " << round;
            ASSERT_EQ(d.picture.width, 4) << fault;
            ASSERT_EQ(d.state.subIndex, 1);
        }
        EXPECT_NE(plugins_[0].module, nullptr);
        EXPECT_TRUE(plugins_[0].disabled) << fault;
    }
}

// Item by item: blocks handed back beside an answer or with a failure are
// freed; a member decoded from memory is not extracted again into a folder;
// what a plug-in writes into a folder is measured before it is decoded, and
// the folder goes with whatever the plug-in left.
TEST_F(PluginTest, WhatAPluginHandsBackOrLeavesIsFreedRemovedAndMeasured) {
    Install(TestPlugin(L"oxeltest_image.spi"), L"oxeltest_image.spi");
    Install(TestPlugin(L"oxeltest_archive.spi"), L"oxeltest_archive.spi");
    Load();
    // The last block that the plug-in whose file name holds `which` handed back.
    auto lastBlock = [&](const wchar_t* which) -> HLOCAL {
        for (const PluginEntry& entry : plugins_) {
            wchar_t path[MAX_PATH] = L"";
            GetModuleFileNameW(entry.module, path, MAX_PATH);
            auto last = reinterpret_cast<HLOCAL (*)()>(
                reinterpret_cast<void*>(GetProcAddress(entry.module, "TestLastBlock")));
            if (wcsstr(path, which) && last) return last();
        }
        return nullptr;
    };

    Decoded picture;
    Decode(Picture(L"alpha.png"), picture);
    ASSERT_EQ(picture.picture.width, 7);
    ASSERT_NE(lastBlock(L"image"), nullptr);
    EXPECT_EQ(LocalFlags(lastBlock(L"image")), LMEM_INVALID_HANDLE) << "the picture's text";

    const std::wstring archive = TestArchive(L"pictures.tarc");
    SetEnvironmentVariableA("OXEL_TEST_FAULT", "GetFile:failblock");
    Decoded failed;
    Decode(archive, failed);
    EXPECT_EQ(failed.state.subIndex, 1);
    ASSERT_NE(lastBlock(L"archive"), nullptr);
    EXPECT_EQ(LocalFlags(lastBlock(L"archive")), LMEM_INVALID_HANDLE) << "a block with a failure";

    SetEnvironmentVariableA("OXEL_TEST_FAULT", nullptr);
    SetEnvironmentVariableA("OXEL_TEST_FILE_OUTPUT", nullptr);
    Decoded once;
    Decode(archive, once);  // "readme.txt" comes in memory and is no picture: not asked again
    EXPECT_EQ(once.state.subIndex, 1);
    char asked[4];
    EXPECT_EQ(GetEnvironmentVariableA("OXEL_TEST_FILE_OUTPUT", asked, sizeof asked), 0u);

    SetEnvironmentVariableA("OXEL_TEST_NO_MEMORY", "1");
    SetEnvironmentVariableA("OXEL_TEST_FAULT", "GetFile:litter");
    Decoded littered;
    Decode(archive, littered);
    EXPECT_EQ(littered.bitmap, nullptr);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);

    Load("MaxSizeInArchive=1\r\n");
    SetEnvironmentVariableA("OXEL_TEST_FAULT", "GetFile:grow");
    Decoded grown;
    Decode(archive, grown, 1, 1);
    EXPECT_EQ(grown.bitmap, nullptr) << "2 MiB more than declared";
    EXPECT_EQ(grown.picture.height, kStatusTooLarge);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
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
