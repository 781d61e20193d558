// File-list rules without the Windows API; see list_rules.h.
#include "viewer/filelist/list_rules.h"

#include <algorithm>
#include <numeric>

int32_t FindPathIndex(const std::vector<std::wstring>& paths, const wchar_t* path, PathsEqualFn equal) {
    size_t n = paths.size();
    if (n <= 1) return 0;
    for (size_t i = 0; i + 1 < n; ++i) {
        if (equal(paths[i].c_str(), path)) return static_cast<int32_t>(i);
    }
    return static_cast<int32_t>(n - 1);
}

bool SameListing(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b) { return a == b; }

std::vector<size_t> StableOrder(size_t count, const void* keys, KeyCompareFn compare, bool descending) {
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t{0});
    if (descending) {
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t i, size_t j) { return compare(keys, i, j) > 0; });
    } else {
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t i, size_t j) { return compare(keys, i, j) < 0; });
    }
    return order;
}

void StableReorder(std::vector<std::wstring>& paths, const void* keys, KeyCompareFn compare, bool descending) {
    ApplyOrder(paths, StableOrder(paths.size(), keys, compare, descending));
}

int CompareUnsigned32(const void* keys, size_t i, size_t j) {
    const uint32_t* k = static_cast<const uint32_t*>(keys);
    return k[i] < k[j] ? -1 : (k[i] > k[j] ? 1 : 0);
}

int CompareUnsigned64(const void* keys, size_t i, size_t j) {
    const uint64_t* k = static_cast<const uint64_t*>(keys);
    return k[i] < k[j] ? -1 : (k[i] > k[j] ? 1 : 0);
}

SortKeyKind SortKeyOf(int32_t sortMethod) {
    if (sortMethod >= kKeepOrder && sortMethod <= kByLastWrite) return static_cast<SortKeyKind>(sortMethod);
    return kByName;
}
