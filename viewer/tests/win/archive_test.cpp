// Pictures in zip files made by Python's zipfile and in font collections
// through collo and glypho: stepping through members both ways with the wrap,
// the size limit, hostile member names, a member that inflates beyond its
// declared size, and the temporary folder left empty.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "decode_test_support.h"
#include "viewer/archive/archive_access.h"
#include "viewer/core/command_ids.h"
#include "viewer_window.h"

int FilesInTemporaryFolder() {
    wchar_t folder[MAX_PATH];
    TemporaryFolder(folder);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

namespace {

using ZipTest = PluginTest;

TEST_F(ZipTest, StepsThroughItsPicturesBothWaysWithTheWrap) {
    Load();
    const std::wstring zip = TestArchive(L"pictures.zip");
    // Members: readme.txt, a.png (4 x 3), notes.txt, dir/, dir/b.png (5 x 4), c.txt.
    struct Step {
        int32_t start;
        int direction;
        int32_t member, width;
    } steps[] = {{0, 1, 1, 4}, {2, 1, 4, 5}, {5, 1, 1, 4}, {6, 1, 1, 4}, {0, -1, 4, 5}, {3, -1, 1, 4}, {-1, -1, 4, 5}};
    Decoded d;
    for (const Step& step : steps) {
        Decode(zip, d, step.start, step.direction);
        ASSERT_NE(d.bitmap, nullptr) << step.start << " " << step.direction;
        EXPECT_EQ(d.state.subIndex, step.member) << step.start << " " << step.direction;
        EXPECT_EQ(d.picture.width, step.width);
        EXPECT_EQ(d.picture.lastIndex, 5);
        EXPECT_EQ(FilesInTemporaryFolder(), 0);
    }
    EXPECT_EQ(PixelAt(d.bitmap, 0, 0), 0x00FF00u);

    Load("SearchInArchive=OFF\r\n");
    Decoded off;
    Decode(zip, off);
    EXPECT_EQ(off.bitmap, nullptr);
    EXPECT_EQ(off.picture.width, kStatusUnsupported);
    EXPECT_EQ(off.picture.height, 0);
}

TEST_F(ZipTest, MemberOverTheSizeLimitIsSkippedAndToldWhenNothingElseDecodes) {
    Load();
    Decoded alone, beside;
    Decode(TestArchive(L"toolarge.zip"), alone);
    EXPECT_EQ(alone.bitmap, nullptr);
    EXPECT_EQ(alone.picture.width, kStatusUnsupported);
    EXPECT_EQ(alone.picture.height, kStatusTooLarge);
    Decode(TestArchive(L"large-then-small.zip"), beside);
    ASSERT_NE(beside.bitmap, nullptr);
    EXPECT_EQ(beside.state.subIndex, 1);
    EXPECT_EQ(beside.picture.width, 6);

    Load("MaxSizeInArchive=0\r\n");  // no limit: the 30 MiB member is tried, and is no picture
    Decoded unlimited;
    Decode(TestArchive(L"toolarge.zip"), unlimited);
    EXPECT_EQ(unlimited.picture.width, kStatusUnsupported);
    EXPECT_EQ(unlimited.picture.height, 0);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

TEST_F(ZipTest, HostileMemberNamesAreShownAndNothingIsWrittenOutsideTheTemporaryFolder) {
    Load();
    wchar_t temp[MAX_PATH], current[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring outside[] = {std::wstring(temp) + L"x.png", std::wstring(temp) + L"..\\x.png",
                                    std::wstring(current) + L"\\x.png", L"C:\\x.png", L"C:\\abs\\x.png"};
    for (const std::wstring& path : outside) DeleteFileW(path.c_str());
    Decoded d;
    for (int32_t member = 0; member < 7; ++member) {
        Decode(TestArchive(L"hostile.zip"), d, member, 1);
        ASSERT_NE(d.bitmap, nullptr) << member;
        EXPECT_EQ(d.state.subIndex, member);
        EXPECT_EQ(d.picture.width, member + 1);
        EXPECT_EQ(FilesInTemporaryFolder(), 0);
    }
    for (const std::wstring& path : outside) {
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << std::string(path.begin(), path.end());
    }
}

TEST_F(ZipTest, MemberIsNeverExtractedBeyondItsDeclaredSize) {
    // The member inflates to 5 MiB but declares 100 bytes: the picture at its
    // start is all that is written, and shown.
    Load();
    Decoded d;
    Decode(TestArchive(L"bomb.zip"), d);
    ASSERT_NE(d.bitmap, nullptr);
    EXPECT_EQ(d.picture.width, 4);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

TEST_F(ZipTest, ZipsInsideZipsAreOpenedAFewLevelsDeep) {
    Load();
    Decoded two, five;
    Decode(TestArchive(L"nested2.zip"), two);
    ASSERT_NE(two.bitmap, nullptr);
    EXPECT_EQ(two.picture.width, 6);
    EXPECT_EQ(two.state.subIndex, 1);
    EXPECT_EQ(two.picture.lastIndex, 1);  // the outer archive's own count
    Decode(TestArchive(L"nested5.zip"), five);
    EXPECT_EQ(five.bitmap, nullptr);
    EXPECT_EQ(five.picture.width, kStatusUnsupported);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

TEST_F(ZipTest, OneDecodeTriesAThousandMembersAcrossAllLevels) {
    Load();
    Decoded d;
    Decode(TestArchive(L"fan-out.zip"), d);
    EXPECT_EQ(d.bitmap, nullptr);
    EXPECT_EQ(d.picture.width, kStatusUnsupported);
    EXPECT_EQ(d.picture.lastIndex, 999);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);

    // A search cut short stays where it got to, and the next step goes on.
    Decoded run;
    Decode(TestArchive(L"long-run.zip"), run);
    EXPECT_EQ(run.bitmap, nullptr);
    EXPECT_EQ(run.state.subIndex, 999);
    Decode(TestArchive(L"long-run.zip"), run, run.state.subIndex + 1, 1);
    ASSERT_NE(run.bitmap, nullptr);
    EXPECT_EQ(run.state.subIndex, 1500);
}

TEST_F(ZipTest, KeyPressedDuringTheSearchEndsItAfterTheFirstMember) {
    Load();
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_NEXT, 0));
    Decoded pressed;
    Decode(TestArchive(L"pictures.zip"), pressed);  // "readme.txt" is tried, "a.png" no more
    EXPECT_EQ(pressed.bitmap, nullptr);
    EXPECT_EQ(pressed.picture.width, kStatusUnsupported);
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
    while (PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
    }
    Decoded after;
    Decode(TestArchive(L"pictures.zip"), after);
    EXPECT_EQ(after.picture.width, 4);
}

TEST_F(ZipTest, FontsShowTheirSpecimenAndCollectionsStepFontByFont) {
    Load("", PathFromEnvironment("OXEL_OUT_DIR"));
    ASSERT_EQ(plugins_.size(), 2u);
    Decoded ttf;
    Decode(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", ttf);
    ASSERT_NE(ttf.bitmap, nullptr);
    EXPECT_GT(ttf.picture.width, 100);
    EXPECT_EQ(ttf.picture.lastIndex, -1);

    const std::wstring ttc = L"Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc";
    struct Step {
        int32_t start;
        int direction;
        int32_t member;
    } steps[] = {{0, 1, 0}, {1, 1, 1}, {2, 1, 0}, {-1, -1, 1}, {0, -1, 0}};
    Decoded d;
    for (const Step& step : steps) {
        Decode(ttc, d, step.start, step.direction);
        ASSERT_NE(d.bitmap, nullptr) << step.start;
        EXPECT_EQ(d.state.subIndex, step.member) << step.start << " " << step.direction;
        EXPECT_EQ(d.picture.lastIndex, 1);
        EXPECT_EQ(FilesInTemporaryFolder(), 0);
    }
}

class ArchiveWindowTest : public ViewerWindowTest {
protected:
    // A plug-in folder with collo and a glypho that draws at the active
    // window's client size.
    std::string PluginSettings() {
        std::wstring folder = MakeScratchFolder(L"fontplugins");
        std::wstring out = PathFromEnvironment("OXEL_OUT_DIR");
        for (const wchar_t* name : {L"\\glypho.spi", L"\\collo.spi"}) {
            EXPECT_TRUE(CopyFileW((out + name).c_str(), (folder + name).c_str(), FALSE));
        }
        EXPECT_TRUE(WriteWholeFile(folder + L"\\glypho.ini", "[ViewSetting]\r\nBmpWidth=0\r\nBmpHeight=0\r\n"));
        return "[SystemSetting]\r\nSpiDir=" + std::string(folder.begin(), folder.end()) +
               "\r\nArcNoInTitleBar=ON\r\nReloadByResize=ON\r\n";
    }
    std::string TitleText() const {
        std::wstring title = Title();
        char text[512];
        WideCharToMultiByte(CP_UTF8, 0, title.c_str(), -1, text, sizeof text, nullptr, nullptr);
        return text;
    }
};

TEST_F(ArchiveWindowTest, CollectionMemberNumberIsInTheTitle) {
    Create(PluginSettings(), L"\"Z:\\usr\\share\\fonts\\truetype\\wqy\\wqy-microhei.ttc\"");
    Settle();
    EXPECT_NE(Title().find(L"\u30101/2\u3011"), std::wstring::npos) << TitleText();
    Send(WM_COMMAND, IDM_ARC_NEXT);
    Settle();
    EXPECT_NE(Title().find(L"\u30102/2\u3011"), std::wstring::npos) << TitleText();
    Send(WM_COMMAND, IDM_ARC_NEXT);
    Settle();
    EXPECT_NE(Title().find(L"\u30101/2\u3011"), std::wstring::npos) << TitleText();
    EXPECT_EQ(FilesInTemporaryFolder(), 0);
}

TEST_F(ArchiveWindowTest, SpecimenIsDrawnAgainAtTheNewWindowSize) {
    Create(PluginSettings(), L"\"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf\"");
    SetForegroundWindow(window_);
    for (int width : {500, 700}) {
        SetWindowPos(window_, nullptr, 0, 0, width, 400, SWP_NOMOVE | SWP_NOZORDER);
        Settle();
        RECT client;
        GetClientRect(window_, &client);
        ASSERT_NE(state_->picture.bitmap, nullptr);
        EXPECT_EQ(state_->picture.width, client.right) << width;
    }
}

}  // namespace
