// The information tooltip's four lines for a file of known size and time.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "viewer/core/settings.h"
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

}  // namespace
