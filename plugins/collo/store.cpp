// The kept-list store. Only emptying and filling happen under the lock;
// parsing and copying run outside it.
#include "plugins/collo/store.h"

#include <cstring>

namespace collo {
namespace {

struct Slot {
    HLOCAL list;
    char path[MAX_PATH];
};

CRITICAL_SECTION g_lock;
Slot g_slots[kStoreSlots];
int g_next;

void EmptyLocked() {
    for (Slot& slot : g_slots) {
        if (slot.list != nullptr) LocalFree(slot.list);
        slot.list = nullptr;
        slot.path[0] = '\0';
    }
    g_next = 0;
}

}  // namespace

void StoreInit() {
    InitializeCriticalSection(&g_lock);
    std::memset(g_slots, 0, sizeof g_slots);
    g_next = 0;
}

void StoreDestroy() {
    EmptyLocked();
    DeleteCriticalSection(&g_lock);
}

void StoreEmpty() {
    EnterCriticalSection(&g_lock);
    EmptyLocked();
    LeaveCriticalSection(&g_lock);
}

void StoreKeep(HLOCAL list, const char* path) {
    EnterCriticalSection(&g_lock);
    Slot& slot = g_slots[g_next];
    if (slot.list != nullptr) LocalFree(slot.list);
    slot.list = list;
    lstrcpynA(slot.path, path, MAX_PATH);
    g_next = (g_next + 1) % kStoreSlots;
    LeaveCriticalSection(&g_lock);
}

int StoreCount() {
    EnterCriticalSection(&g_lock);
    int count = 0;
    for (const Slot& slot : g_slots) count += slot.list != nullptr;
    LeaveCriticalSection(&g_lock);
    return count;
}

const char* StoreKeptPath(int slot) {
    return slot >= 0 && slot < kStoreSlots ? g_slots[slot].path : "";
}

}  // namespace collo
