// The names under which a replaced file waits: unique per attempt, within the
// room of the folder's path, and whole characters only.
#include "viewer/fileops/aside_name.h"

#include <gtest/gtest.h>

namespace {

TEST(AsideName, KeepsTheNameAndExtensionWithinTheRoom) {
    const std::wstring kHigh = L"\xD83D", kLow = L"\xDE00";  // one character outside the basic plane
    struct Row {
        std::wstring name;
        size_t attempt, room;
        std::wstring aside;
    } rows[] = {
        {L"photo.jpg", 0, 259, L"photo (old).jpg"},
        {L"photo.jpg", 1, 259, L"photo (old 2).jpg"},
        {L"archive.tar.gz", 0, 259, L"archive.tar (old).gz"},
        {L".profile", 0, 259, L".profile (old)"},
        // Shortened before the mark; with no character of the name left, none.
        {L"photo.jpg", 0, 12, L"ph (old).jpg"},
        {L"photo.jpg", 0, 10, L""},
        // A surrogate pair is never cut in two.
        {L"a" + kHigh + kLow + L".png", 0, 12, L"a (old).png"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(AsideName(row.name, row.attempt, row.room), row.aside)
            << std::string(row.name.begin(), row.name.end()) << " " << row.attempt << " " << row.room;
    }
}

}  // namespace
