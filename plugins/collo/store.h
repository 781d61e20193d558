// The store of kept member lists: 16 slots, each a list block and the path of
// its collection, filled in turn and guarded by one lock. Every archive call
// empties it before reading the collection again, so a kept list lives until
// the next call or until the plug-in is unloaded.
#pragma once

#include <windows.h>

namespace collo {

constexpr int kStoreSlots = 16;

void StoreInit();
void StoreDestroy();
void StoreEmpty();
// Takes ownership of `list`; the slot's previous list is freed.
void StoreKeep(HLOCAL list, const char* path);
int StoreCount();
// The collection path kept with the list in `slot`, or "" for an empty slot.
const char* StoreKeptPath(int slot);

}  // namespace collo
