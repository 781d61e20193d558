// The rules of the file list that need no Windows API: where a path sits in the
// list, whether a fresh listing differs from the one held, and the stable
// reordering on keys that were read once per entry. The Windows side supplies
// the comparisons of text and reads the keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef bool (*PathsEqualFn)(const wchar_t* a, const wchar_t* b);

// The first of entries 0 .. n-2 that `equal` matches; otherwise n-1, the last
// entry, which is never compared (so a path not in the list selects it); 0 for
// a list of one entry or none.
int32_t FindPathIndex(const std::vector<std::wstring>& paths, const wchar_t* path, PathsEqualFn equal);

// True when both listings hold the same paths in the same order, compared
// character for character.
bool SameListing(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b);

// Compares the keys of entries i and j: negative, zero or positive.
typedef int (*KeyCompareFn)(const void* keys, size_t i, size_t j);

// The order of `count` entries in which compare(keys, i, j) ascends (or
// descends); entries with equal keys keep their order. `keys` holds one key per
// entry, indexed by the entry's position; the result lists those positions.
std::vector<size_t> StableOrder(size_t count, const void* keys, KeyCompareFn compare, bool descending);

// Puts the entries of `items` into `order` (as StableOrder gives it).
template <typename T>
void ApplyOrder(std::vector<T>& items, const std::vector<size_t>& order) {
    std::vector<T> sorted;
    sorted.reserve(order.size());
    for (size_t i : order) sorted.push_back(std::move(items[i]));
    items.swap(sorted);
}

// Reorders `paths` by StableOrder.
void StableReorder(std::vector<std::wstring>& paths, const void* keys, KeyCompareFn compare, bool descending);

// Three-way comparisons of the unsigned keys (sizes, file times).
int CompareUnsigned32(const void* keys, size_t i, size_t j);  // keys: uint32_t[]
int CompareUnsigned64(const void* keys, size_t i, size_t j);  // keys: uint64_t[]

// The sort method as the list uses it: 0 keeps the enumeration order, 1 to 6
// are the six keys, anything else sorts by name only.
enum SortKeyKind { kKeepOrder, kByName, kByExtension, kByType, kBySize, kByCreation, kByLastWrite };
SortKeyKind SortKeyOf(int32_t sortMethod);
