// The read-ahead rules; see read_ahead_rules.h.
#include "viewer/readahead/read_ahead_rules.h"

#include <algorithm>

bool IsStale(const FileStamp& decoded, const FileStamp& now) {
    return !decoded.exists || !now.exists || decoded.size != now.size || decoded.written != now.written ||
           decoded.changed != now.changed || decoded.volume != now.volume || decoded.index != now.index;
}

bool RefusalStands(const Refusal& refusal, const FileStamp& now, uint64_t room) {
    return !IsStale(refusal.stamp, now) && room <= refusal.room;
}

std::vector<int32_t> ReadAheadTargets(int32_t current, int32_t lastIndex, int direction) {
    std::vector<int32_t> targets;
    if (lastIndex < 1 || current < 0 || current > lastIndex) return targets;
    const int32_t step = direction < 0 ? -1 : 1;
    for (int32_t index : {current + step, current + 2 * step, current - step}) {
        if (index >= 0 && index <= lastIndex) targets.push_back(index);
    }
    return targets;
}

std::vector<size_t> PicturesToEvict(const std::vector<HeldPicture>& held, const std::vector<int32_t>& targets,
                                    uint64_t budget) {
    std::vector<size_t> evicted;
    // The rank of each held picture among the targets; unwanted ones go first.
    std::vector<std::pair<size_t, size_t>> kept;  // (rank, position)
    uint64_t total = 0;
    for (size_t i = 0; i < held.size(); ++i) {
        const auto found = std::find(targets.begin(), targets.end(), held[i].index);
        if (found == targets.end()) {
            evicted.push_back(i);
            continue;
        }
        kept.push_back({static_cast<size_t>(found - targets.begin()), i});
        total += held[i].bytes;
    }
    if (budget == 0) return evicted;
    std::sort(kept.begin(), kept.end());
    while (!kept.empty() && total > budget) {
        total -= held[kept.back().second].bytes;
        evicted.push_back(kept.back().second);
        kept.pop_back();
    }
    std::sort(evicted.begin(), evicted.end());
    return evicted;
}

uint64_t RoomLeft(uint64_t budget, uint64_t heldBytes) {
    if (budget == 0) return UINT64_MAX;
    return budget > heldBytes ? budget - heldBytes : 0;
}

int32_t DefaultReadAheadMegabytes(size_t pointerBytes) { return pointerBytes >= 8 ? 1024 : 256; }
