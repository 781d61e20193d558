// The key messages that mirror a step for each view mode and key setting.
#include "viewer/filelist/explorer_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

typedef std::vector<std::pair<bool, int32_t>> Messages;

Messages KeysFor(int32_t viewMode, KeyPair configured, bool forward) {
    FilerKeySequence sequence = FilerKeysForStep(viewMode, configured, forward);
    Messages messages;
    for (int i = 0; i < sequence.count; ++i) messages.push_back({sequence.messages[i].down, sequence.messages[i].key});
    return messages;
}

constexpr int32_t kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;

TEST(FilerKeysForStep, ViewsInRowsTakeUpAndDownTheOthersLeftAndRight) {
    const KeyPair ctrlN = {17, 'N'};
    for (int32_t mode : {3, 4, 8}) {
        EXPECT_EQ(KeysFor(mode, ctrlN, true), (Messages{{true, kDown}, {false, kDown}})) << mode;
        EXPECT_EQ(KeysFor(mode, ctrlN, false), (Messages{{true, kUp}, {false, kUp}})) << mode;
    }
    for (int32_t mode : {1, 2, 5, 6, 7}) {
        EXPECT_EQ(KeysFor(mode, ctrlN, true), (Messages{{true, kRight}, {false, kRight}})) << mode;
        EXPECT_EQ(KeysFor(mode, ctrlN, false), (Messages{{true, kLeft}, {false, kLeft}})) << mode;
    }
}

TEST(FilerKeysForStep, WithoutAKnownViewTheConfiguredPairGoes) {
    // No view found, and modes the shell does not define.
    for (int32_t mode : {-1, 0, 9, 1000}) {
        EXPECT_EQ(KeysFor(mode, {17, 'N'}, true), (Messages{{true, 17}, {true, 'N'}, {false, 'N'}, {false, 17}}));
    }
    EXPECT_EQ(KeysFor(-1, {0, kDown}, false), (Messages{{true, kDown}, {false, kDown}}));
    // A name outside the vocabulary gave code 0: nothing of it is sent.
    EXPECT_EQ(KeysFor(-1, {16, 0}, true), (Messages{{true, 16}, {false, 16}}));
    EXPECT_TRUE(KeysFor(-1, {0, 0}, true).empty());
}

TEST(SortMethodOfStorageColumn, TheFileManagersColumnsThatTheViewerCanSortBy) {
    EXPECT_EQ(SortMethodOfStorageColumn(10), 1);
    EXPECT_EQ(SortMethodOfStorageColumn(4), 3);
    EXPECT_EQ(SortMethodOfStorageColumn(12), 4);
    EXPECT_EQ(SortMethodOfStorageColumn(15), 5);
    EXPECT_EQ(SortMethodOfStorageColumn(14), 6);
    EXPECT_EQ(SortMethodOfStorageColumn(2), 0);
    EXPECT_EQ(SortMethodOfStorageColumn(0xFFFFFFFFu), 0);
}

}  // namespace
