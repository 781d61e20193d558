// The read-ahead rules as tables: which entries come next for a direction and
// a list, which held pictures a budget gives up, when a decoded picture no
// longer stands for its file, and when a file refused for the budget is asked
// for again.
#include "viewer/readahead/read_ahead_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ReadAheadTargets, NextTwoInTheDirectionThenTheOneBehind) {
    struct Case {
        int32_t current, last;
        int direction;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {5, 9, 1, {6, 7, 4}},
        {5, 9, -1, {4, 3, 6}},
        {0, 9, 1, {1, 2}},        // nothing behind the first
        {0, 9, -1, {1}},          // going back from the first: only the one behind
        {8, 9, 1, {9, 7}},        // one left ahead
        {9, 9, 1, {8}},           // at the end, no wrap-around
        {1, 1, -1, {0}},
        {0, 0, 1, {}},            // a single entry
        {0, -1, 1, {}},           // no list
        {12, 9, 1, {}},           // an index past a list that shrank
        {-1, 9, 1, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAheadTargets(c.current, c.last, c.direction), c.expected)
            << "current " << c.current << " last " << c.last << " direction " << c.direction;
    }
}

TEST(PicturesToEvict, PassedEntriesGoFirstThenTheLeastWantedOverBudget) {
    struct Case {
        std::vector<HeldPicture> held;
        std::vector<int32_t> targets;
        uint64_t budget;
        std::vector<size_t> expected;
    };
    const Case cases[] = {
        {{{6, 10}, {7, 10}, {4, 10}}, {6, 7, 4}, 30, {}},
        {{{6, 10}, {7, 10}, {4, 10}}, {6, 7, 4}, 0, {}},           // no budget
        {{{6, 10}, {7, 10}, {4, 10}}, {6, 7, 4}, 25, {2}},         // the one behind goes first
        {{{4, 10}, {7, 10}, {6, 10}}, {6, 7, 4}, 15, {0, 1}},      // order of holding does not matter
        {{{3, 10}, {6, 10}}, {6, 7, 4}, 100, {0}},                 // passed over: gone whatever the budget
        {{{3, 10}, {2, 10}}, {}, 0, {0, 1}},                       // no targets: all go
        {{{-1, 10}, {6, 10}}, {6, 7, 4}, 0, {0}},                  // a file no longer listed
        {{{6, 50}}, {6, 7, 4}, 40, {0}},                           // alone larger than the budget
        {{}, {6, 7}, 10, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(PicturesToEvict(c.held, c.targets, c.budget), c.expected);
}

TEST(ReadAheadRoom, BudgetLeftBesideWhatIsHeld) {
    EXPECT_EQ(RoomLeft(0, 123), UINT64_MAX);
    EXPECT_EQ(RoomLeft(100, 30), 70u);
    EXPECT_EQ(RoomLeft(100, 100), 0u);
    EXPECT_EQ(RoomLeft(100, 130), 0u);
    EXPECT_EQ(DefaultReadAheadMegabytes(4), 256);
    EXPECT_EQ(DefaultReadAheadMegabytes(8), 1024);
}

TEST(IsStale, AnyChangeOfSizeTimesIdentityOrPresence) {
    const FileStamp base = {true, 100, 5, 7, 1, 42};  // exists, size, written, changed, volume, index
    const FileStamp stale[] = {
        {true, 101, 5, 7, 1, 42},  // rewritten, times kept
        {true, 100, 6, 7, 1, 42},  // same size, new content
        {true, 100, 4, 7, 1, 42},  // an older copy put back
        {true, 100, 5, 8, 1, 42},  // size and write time restored by a tool
        {true, 100, 5, 7, 1, 43},  // written anew and renamed over it
        {true, 100, 5, 7, 2, 42},  // another drive in its place
        {false, 100, 5, 7, 1, 42}, // deleted or moved away
    };
    EXPECT_FALSE(IsStale(base, base));
    for (const FileStamp& now : stale) EXPECT_TRUE(IsStale(base, now)) << now.size << " " << now.written;
    EXPECT_TRUE(IsStale(FileStamp{}, FileStamp{}));
}

TEST(RefusalStands, WhileTheFileIsTheSameAndTheRoomNoLarger) {
    const FileStamp refused = {true, 100, 5, 7, 1, 42};
    FileStamp rewritten = refused;
    rewritten.changed = 9;
    struct Case {
        FileStamp now;
        uint64_t room;
        bool stands;
    };
    const Case cases[] = {
        {refused, 1000, true},
        {refused, 10, true},         // less room than then
        {refused, 1001, false},      // more room: tried again
        {rewritten, 1000, false},    // another file: tried again
        {FileStamp{}, 1000, false},  // gone
    };
    for (const Case& c : cases) EXPECT_EQ(RefusalStands(Refusal{refused, 1000}, c.now, c.room), c.stands);
}

}  // namespace
