// The folder listing and its six sort orders on real files, and the sort
// commands, which keep the shown file on screen.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "test_support.h"
#include "viewer/core/command_ids.h"
#include "viewer/filelist/file_list.h"
#include "viewer/filelist/sort_order.h"
#include "viewer_window.h"

namespace {

using NameList = std::vector<std::wstring>;

Settings DefaultSettings() {
    Settings s = {};
    s.SortMethod = 1;
    s.ignoreSystemFile = 1;
    return s;
}

NameList Sorted(const std::wstring& folder, const Settings& settings) {
    FileList list;
    EnumerateFolder(folder.c_str(), settings, list);
    SortFileList(list, settings);
    return Names(list.paths);
}

void SetTimes(const std::wstring& path, uint64_t created, uint64_t written) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME c = {static_cast<DWORD>(created), static_cast<DWORD>(created >> 32)};
    FILETIME w = {static_cast<DWORD>(written), static_cast<DWORD>(written >> 32)};
    SetFileTime(file, &c, nullptr, &w);
    CloseHandle(file);
}

TEST(EnumerateFolder, FilesOnlyWithTheAttributeFilters) {
    std::wstring folder = MakeFolderWith(L"enum", {L"pic.jpg", L"notes.txt", L"hidden.jpg", L"system.jpg"});
    CreateDirectoryW(Join(folder, L"sub").c_str(), nullptr);
    SetFileAttributesW(Join(folder, L"hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(Join(folder, L"system.jpg").c_str(), FILE_ATTRIBUTE_SYSTEM);
    Settings s = DefaultSettings();
    EXPECT_EQ(Sorted(folder, s), (NameList{L"hidden.jpg", L"notes.txt", L"pic.jpg"}));
    s.ignoreHiddenFile = 1;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"notes.txt", L"pic.jpg"}));
    s.ignoreSystemFile = 0;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"notes.txt", L"pic.jpg", L"system.jpg"}));

    FileList list;
    EnumerateFolder(Join(folder, L"no such folder").c_str(), s, list);
    EXPECT_TRUE(list.paths.empty());
}

TEST(SortFileList, LogicalAndPlainNameOrder) {
    std::wstring folder = MakeFolderWith(L"names", {L"img10.png", L"img2.png", L"IMG1.png"});
    Settings s = DefaultSettings();
    EXPECT_EQ(Sorted(folder, s), (NameList{L"IMG1.png", L"img2.png", L"img10.png"}));
    s.NoLogicalSort = 1;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"IMG1.png", L"img10.png", L"img2.png"}));
    s.SortDescending = 1;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"img2.png", L"img10.png", L"IMG1.png"}));
}

TEST(SortFileList, ExtensionOrderKeepsNamesAmongEqualExtensions) {
    std::wstring folder = MakeFolderWith(L"ext", {L"b.png", L"y.jpg", L"x.JPG", L"a.png", L"plain", L"c.gif"});
    Settings s = DefaultSettings();
    s.SortMethod = 2;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"plain", L"c.gif", L"x.JPG", L"y.jpg", L"a.png", L"b.png"}));
    s.SortDescending = 1;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"b.png", L"a.png", L"y.jpg", L"x.JPG", L"c.gif", L"plain"}));
}

TEST(SortFileList, TypeOrderFollowsTheShellTypeNames) {
    NameList names = {L"d.png", L"a.txt", L"c.jpg", L"b.png", L"e.jpg", L"f.txt"};
    std::wstring folder = MakeFolderWith(L"type", names);
    Settings s = DefaultSettings();
    s.SortMethod = 3;
    NameList sorted = Sorted(folder, s);
    ASSERT_EQ(sorted.size(), names.size());
    auto typeOf = [&](const std::wstring& name) {
        SHFILEINFOW info = {};
        SHGetFileInfoW(Join(folder, name).c_str(), 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
        return std::wstring(info.szTypeName);
    };
    for (size_t i = 1; i < sorted.size(); ++i) {
        int order = _wcsicmp(typeOf(sorted[i - 1]).c_str(), typeOf(sorted[i]).c_str());
        EXPECT_TRUE(order < 0 || (order == 0 && sorted[i - 1] < sorted[i])) << i;
    }
}

TEST(SortFileList, SizeOrderComesFromTheListingEvenForAFileHeldOpen) {
    std::wstring folder = MakeFolderWith(L"size", {});
    WriteWholeFile(Join(folder, L"a.bin"), std::string(300, 'a'));
    WriteWholeFile(Join(folder, L"b.bin"), std::string(100, 'b'));
    WriteWholeFile(Join(folder, L"c.bin"), std::string(200, 'c'));
    WriteWholeFile(Join(folder, L"d.bin"), std::string(100, 'd'));
    WriteWholeFile(Join(folder, L"e.bin"), std::string(5000, 'e'));
    WriteWholeFile(Join(folder, L"f.bin"), "");
    Settings s = DefaultSettings();
    s.SortMethod = 4;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"f.bin", L"b.bin", L"d.bin", L"c.bin", L"a.bin", L"e.bin"}));

    // A file that another program holds open without sharing keeps its place:
    // the sort opens no file.
    HANDLE held = CreateFileW(Join(folder, L"b.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Sorted(folder, s), (NameList{L"f.bin", L"b.bin", L"d.bin", L"c.bin", L"a.bin", L"e.bin"}));
    s.SortDescending = 1;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"e.bin", L"a.bin", L"c.bin", L"d.bin", L"b.bin", L"f.bin"}));
    CloseHandle(held);

    // A list made without the listing reads the sizes by name.
    FileList byName;
    for (const wchar_t* name : {L"e.bin", L"a.bin", L"f.bin"}) byName.paths.push_back(Join(folder, name));
    s.SortDescending = 0;
    SortFileList(byName, s);
    EXPECT_EQ(Names(byName.paths), (NameList{L"f.bin", L"a.bin", L"e.bin"}));
}

TEST(SortFileList, CreationAndLastWriteTimes) {
    std::wstring folder = MakeFolderWith(L"times", {L"a.jpg", L"b.jpg", L"c.jpg", L"d.jpg"});
    const uint64_t base = 132000000000000000ull;  // in 2019
    const uint64_t day = 864000000000ull;
    SetTimes(Join(folder, L"a.jpg"), base + 3 * day, base + 1 * day);
    SetTimes(Join(folder, L"b.jpg"), base + 1 * day, base + 3 * day);
    SetTimes(Join(folder, L"c.jpg"), base + 2 * day, base + 2 * day);
    SetTimes(Join(folder, L"d.jpg"), base + 1 * day, base + 4 * day);
    Settings s = DefaultSettings();
    s.SortMethod = 6;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"a.jpg", L"c.jpg", L"b.jpg", L"d.jpg"}));
    s.SortDescending = 1;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"d.jpg", L"b.jpg", L"c.jpg", L"a.jpg"}));

    // Creation times cannot be set on every file system, so the order is
    // checked against the creation times the files report.
    s.SortMethod = 5;
    s.SortDescending = 0;
    NameList byCreation = Sorted(folder, s);
    ASSERT_EQ(byCreation.size(), 4u);
    auto created = [&](const std::wstring& name) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExW(Join(folder, name).c_str(), GetFileExInfoStandard, &data);
        return (static_cast<uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    };
    for (size_t i = 1; i < byCreation.size(); ++i) {
        uint64_t a = created(byCreation[i - 1]), b = created(byCreation[i]);
        EXPECT_TRUE(a < b || (a == b && byCreation[i - 1] < byCreation[i])) << i;
    }
}

TEST(SortFileList, MethodZeroKeepsTheEnumerationOrder) {
    std::wstring folder = MakeFolderWith(L"zero", {L"m.jpg", L"c.jpg", L"x.jpg", L"a.jpg"});
    Settings s = DefaultSettings();
    s.SortMethod = 0;
    FileList listed;
    EnumerateFolder(folder.c_str(), s, listed);
    EXPECT_EQ(Sorted(folder, s), Names(listed.paths));
    s.SortDescending = 1;
    EXPECT_EQ(Sorted(folder, s), Names(listed.paths));
    s.SortMethod = 9;
    s.SortDescending = 0;
    EXPECT_EQ(Sorted(folder, s), (NameList{L"a.jpg", L"c.jpg", L"m.jpg", L"x.jpg"}));
}

class SortCommands : public ViewerWindowTest {};

TEST_F(SortCommands, ReverseKeepsTheShownFileAtItsNewIndex) {
    std::wstring folder = MakeFolderWith(L"rev", {L"a.jpg", L"b.jpg", L"c.jpg"});
    Create("", Join(folder, L"a.jpg"));
    EXPECT_EQ(state_->currentIndex, 0);
    Send(WM_COMMAND, IDM_SORT_REV);
    EXPECT_EQ(Names(state_->fileList.paths), (NameList{L"c.jpg", L"b.jpg", L"a.jpg"}));
    EXPECT_EQ(state_->currentIndex, 2);
    EXPECT_EQ(state_->settings.SortDescending, 1);
    Settle();
    EXPECT_EQ(Title(), L"(3/3)a.jpg");
}

TEST_F(SortCommands, MethodCommandsSetTheMethodAndEndTheSlideShow) {
    std::wstring folder = MakeFolderWith(L"cmds", {});
    WriteWholeFile(Join(folder, L"a.jpg"), std::string(30, 'a'));
    WriteWholeFile(Join(folder, L"b.png"), std::string(10, 'b'));
    WriteWholeFile(Join(folder, L"c.gif"), std::string(20, 'c'));
    Create("", Join(folder, L"b.png"));
    Send(WM_COMMAND, IDM_SLIDE_SHOW);
    EXPECT_EQ(state_->settings.slideShowOn, 1);
    Send(WM_COMMAND, IDM_SORT_SIZE);
    EXPECT_EQ(state_->settings.SortMethod, 4);
    EXPECT_EQ(state_->settings.slideShowOn, 0);
    EXPECT_EQ(Names(state_->fileList.paths), (NameList{L"b.png", L"c.gif", L"a.jpg"}));
    EXPECT_EQ(state_->currentIndex, 0);
    Send(WM_COMMAND, IDM_SORT_EXT);
    EXPECT_EQ(state_->settings.SortMethod, 2);
    EXPECT_EQ(Names(state_->fileList.paths), (NameList{L"c.gif", L"a.jpg", L"b.png"}));
    EXPECT_EQ(state_->currentIndex, 2);
    Send(WM_COMMAND, IDM_SORT_WRITE);
    EXPECT_EQ(state_->settings.SortMethod, 6);
    Send(WM_COMMAND, IDM_SORT_NAME);
    EXPECT_EQ(state_->settings.SortMethod, 1);
    EXPECT_EQ(state_->currentIndex, 1);
}

}  // namespace
