// The information tooltip's four lines for a file of known size and time.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "viewer/core/settings.h"
#include "viewer/display/draw_picture.h"
#include "viewer/display/japanese_font.h"
#include "viewer/fileops/file_information.h"

namespace {

// Writes `bytes` bytes to `path` and sets its modification time to the given
// local time.
void MakeFile(const std::wstring& path, size_t bytes, WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    ASSERT_TRUE(WriteWholeFile(path, std::string(bytes, 'x')));
    SYSTEMTIME local = {};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = hour;
    local.wMinute = minute;
    FILETIME localTime, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
}

std::wstring TypeName(const std::wstring& path) {
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    return info.szTypeName;
}

TEST(BuildInformationText, FourLinesOfAKnownFile) {
    const std::wstring path = MakeScratchFolder(L"info") + L"\\known.jpg";
    MakeFile(path, 1536, 2020, 10, 23, 9, 5);
    std::wstring ini = MakeScratchFolder(L"info") + L"\\none.ini";
    Settings settings = LoadSettings(ini.c_str());
    settings.English = 1;
    // The menu-bar settings do not matter here: both parts are always shown.
    settings.CGSizeInMenuBar = 0;
    settings.CGColorInMenuBar = 0;
    DecodedPicture picture = {};
    picture.width = 640;
    picture.height = 480;
    picture.bitsPerPixel = 24;
    EXPECT_EQ(BuildInformationText(settings, &picture, path.c_str()),
              path + L"\n" + TypeName(path) + L"\n640x480x24bit 2KB\nModified:2020/10/23 09:05");

    EXPECT_EQ(BuildInformationText(settings, nullptr, path.c_str()),
              path + L"\n" + TypeName(path) + L"\n2KB\nModified:2020/10/23 09:05");

    settings.English = 0;
    picture.bitsPerPixel = 8;
    EXPECT_EQ(BuildInformationText(settings, &picture, path.c_str()),
              path + L"\n" + TypeName(path) +
                  L"\n640\u00D7480\u00D7256\u8272 2KB\n\u66F4\u65B0\u65E5\u6642\uFF1A2020/10/23 09:05");
}

TEST(BuildInformationText, AFileThatIsGoneKeepsItsLines) {
    const std::wstring path = MakeScratchFolder(L"info") + L"\\gone.png";
    std::wstring ini = MakeScratchFolder(L"info") + L"\\none.ini";
    Settings settings = LoadSettings(ini.c_str());
    settings.English = 1;
    EXPECT_EQ(BuildInformationText(settings, nullptr, path.c_str()), path + L"\n" + TypeName(path) + L"\n?\nModified:");
}

// Whatever Japanese faces the system has, the texts are drawn in one that has
// every character of them (not the empty boxes of a face without kanji).
TEST(JapaneseFont, EveryJapaneseTextGetsAFaceWithAllItsCharacters) {
    const wchar_t* const texts[] = {StatusMessage(-2, 0, false), StatusMessage(-2, -4, false),
                                    StatusMessage(-1, 0, false), L"\u66F4\u65B0\u65E5\u6642\uFF1A2020/10/23",
                                    L"640\u00D7480\u00D7256\u8272"};
    HDC dc = CreateCompatibleDC(nullptr);
    for (size_t k = 0; k < sizeof texts / sizeof texts[0]; ++k) {
        const wchar_t* text = texts[k];
        HFONT font = CreateJapaneseFont(dc, 16, text);
        ASSERT_NE(font, nullptr);
        EXPECT_TRUE(FontHoldsText(dc, font, text)) << "boxes in the face chosen for text " << k;
        DeleteObject(font);
    }
    DeleteDC(dc);
}

}  // namespace
