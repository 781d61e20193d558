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
        {L"photo.jpg", 99, 259, L"photo (old 100).jpg"},
        {L"archive.tar.gz", 0, 259, L"archive.tar (old).gz"},
        {L"README", 0, 259, L"README (old)"},
        {L".profile", 0, 259, L".profile (old)"},
        // Shortened before the mark, down to one character of the stem.
        {L"photo.jpg", 0, 12, L"ph (old).jpg"},
        {L"photo.jpg", 0, 11, L"p (old).jpg"},
        {L"photo.jpg", 0, 10, L""},
        {L"photo.jpg", 1, 13, L"p (old 2).jpg"},
        // A surrogate pair is kept whole or dropped whole.
        {L"a" + kHigh + kLow + L".png", 0, 13, L"a" + kHigh + kLow + L" (old).png"},
        {L"a" + kHigh + kLow + L".png", 0, 12, L"a (old).png"},
        {kHigh + kLow + L".png", 0, 11, L""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(AsideName(row.name, row.attempt, row.room), row.aside)
            << std::string(row.name.begin(), row.name.end()) << " " << row.attempt << " " << row.room;
    }
}

}  // namespace
