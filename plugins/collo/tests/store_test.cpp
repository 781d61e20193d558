// The kept-list store on its own: sixteen slots filled in turn, the oldest
// list freed when a seventeenth comes, everything freed when emptied.
#include <gtest/gtest.h>

#include <string>

#include "plugins/collo/store.h"

namespace {

HLOCAL Block() { return LocalAlloc(LMEM_FIXED, 428); }

TEST(KeptLists, SixteenSlotsReusedInTurnAndEmptied) {
    collo::StoreInit();
    EXPECT_EQ(collo::StoreCount(), 0);
    for (int i = 0; i < collo::kStoreSlots + 1; ++i) collo::StoreKeep(Block(), "C:\\fonts.ttc");
    EXPECT_EQ(collo::StoreCount(), collo::kStoreSlots);
    collo::StoreEmpty();
    EXPECT_EQ(collo::StoreCount(), 0);
    collo::StoreKeep(Block(), "C:\\fonts.ttc");
    EXPECT_EQ(collo::StoreCount(), 1);
    collo::StoreDestroy();
}

TEST(KeptLists, AnOverlongPathIsCutToItsSlot) {
    collo::StoreInit();
    const std::string path(1000, 'p');
    collo::StoreKeep(Block(), path.c_str());
    EXPECT_EQ(collo::StoreCount(), 1);
    EXPECT_EQ(std::string(collo::StoreKeptPath(0)), std::string(MAX_PATH - 1, 'p'));
    collo::StoreKeep(Block(), "C:\\fonts.ttc");
    EXPECT_STREQ(collo::StoreKeptPath(1), "C:\\fonts.ttc");
    collo::StoreDestroy();
}

}  // namespace
