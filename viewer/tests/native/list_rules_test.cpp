// Position of a path in the list, the listing comparison of the activation
// check, and the stable reordering on keys read once per entry.
#include "viewer/filelist/list_rules.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

bool EqualIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        if (std::towlower(*a) != std::towlower(*b)) return false;
        if (!*a) return true;
    }
}

const std::vector<std::wstring> kAbc = {L"C:\\p\\a.jpg", L"C:\\p\\b.jpg", L"C:\\p\\c.jpg"};

TEST(FindPathIndex, FirstMatchOrTheLastEntry) {
    EXPECT_EQ(FindPathIndex(kAbc, L"C:\\p\\b.jpg", EqualIgnoringAsciiCase), 1);
    EXPECT_EQ(FindPathIndex(kAbc, L"c:\\P\\B.JPG", EqualIgnoringAsciiCase), 1);
    EXPECT_EQ(FindPathIndex(kAbc, L"C:\\p\\a.jpg", EqualIgnoringAsciiCase), 0);
    EXPECT_EQ(FindPathIndex(kAbc, L"C:\\p\\c.jpg", EqualIgnoringAsciiCase), 2);
    // Not in the list, or in another form: the last entry.
    EXPECT_EQ(FindPathIndex(kAbc, L"C:\\p\\hidden.jpg", EqualIgnoringAsciiCase), 2);
    EXPECT_EQ(FindPathIndex(kAbc, L"b.jpg", EqualIgnoringAsciiCase), 2);
    EXPECT_EQ(FindPathIndex({}, L"C:\\p\\a.jpg", EqualIgnoringAsciiCase), 0);
    EXPECT_EQ(FindPathIndex({L"C:\\p\\z.jpg"}, L"C:\\p\\a.jpg", EqualIgnoringAsciiCase), 0);
}

TEST(FindPathIndex, TheLastEntryIsNeverCompared) {
    static int calls;
    calls = 0;
    auto counting = [](const wchar_t*, const wchar_t*) {
        ++calls;
        return false;
    };
    EXPECT_EQ(FindPathIndex(kAbc, L"x", counting), 2);
    EXPECT_EQ(calls, 2);
}

TEST(SameListing, CaseAndOrderMatter) {
    EXPECT_TRUE(SameListing(kAbc, kAbc));
    EXPECT_FALSE(SameListing(kAbc, {L"C:\\p\\a.jpg", L"C:\\p\\B.jpg", L"C:\\p\\c.jpg"}));
    EXPECT_FALSE(SameListing(kAbc, {L"C:\\p\\b.jpg", L"C:\\p\\a.jpg", L"C:\\p\\c.jpg"}));
    EXPECT_FALSE(SameListing(kAbc, {L"C:\\p\\a.jpg", L"C:\\p\\b.jpg"}));
    EXPECT_TRUE(SameListing({}, {}));
}

TEST(StableReorder, AscendingAndDescendingKeepEqualKeysInOrder) {
    std::vector<std::wstring> paths = {L"a", L"b", L"c", L"d", L"e"};
    const uint32_t sizes[] = {30, 10, 30, 0xFFFFFFFFu, 10};
    StableReorder(paths, sizes, CompareUnsigned32, false);
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"b", L"e", L"a", L"c", L"d"}));

    paths = {L"a", L"b", L"c", L"d", L"e"};
    StableReorder(paths, sizes, CompareUnsigned32, true);
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"d", L"a", L"c", L"b", L"e"}));
}

TEST(StableReorder, SixtyFourBitKeysCompareUnsigned) {
    std::vector<std::wstring> paths = {L"late", L"early", L"unread"};
    const uint64_t times[] = {0x01D0000000000001ull, 0x01D0000000000000ull, ~0ull};
    StableReorder(paths, times, CompareUnsigned64, false);
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"early", L"late", L"unread"}));
}

TEST(StableReorder, LargeListsKeepEveryEntry) {
    std::vector<std::wstring> paths;
    std::vector<uint32_t> keys;
    for (uint32_t i = 0; i < 5000; ++i) {
        paths.push_back(std::to_wstring(i));
        keys.push_back((i * 7919u) % 13u);
    }
    StableReorder(paths, keys.data(), CompareUnsigned32, false);
    ASSERT_EQ(paths.size(), 5000u);
    for (size_t i = 1; i < paths.size(); ++i) {
        uint32_t a = std::stoul(paths[i - 1]), b = std::stoul(paths[i]);
        uint32_t ka = (a * 7919u) % 13u, kb = (b * 7919u) % 13u;
        ASSERT_TRUE(ka < kb || (ka == kb && a < b)) << i;
    }
}

TEST(SortKeyOf, MethodsOutsideTheRangeSortByName) {
    EXPECT_EQ(SortKeyOf(0), kKeepOrder);
    EXPECT_EQ(SortKeyOf(1), kByName);
    EXPECT_EQ(SortKeyOf(4), kBySize);
    EXPECT_EQ(SortKeyOf(6), kByLastWrite);
    EXPECT_EQ(SortKeyOf(7), kByName);
    EXPECT_EQ(SortKeyOf(-1), kByName);
}

}  // namespace
