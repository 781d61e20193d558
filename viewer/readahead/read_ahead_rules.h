// The rules of reading ahead, free of any Windows call: which entries of the
// list to decode next for the direction of travel, which decoded pictures to
// give up for the memory budget, and when a decoded picture no longer matches
// its file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What identifies a file's content without reading it: its size and its last
// write time (a FILETIME value). A missing file has `exists` false.
struct FileStamp {
    bool exists;
    uint64_t size;
    uint64_t written;
};

// True when a picture decoded from a file stamped `decoded` may not stand for
// the file stamped `now`.
bool IsStale(const FileStamp& decoded, const FileStamp& now);

// The entries to read ahead after entry `current` of a list whose last index
// is `lastIndex` was shown, most wanted first: the next two in `direction`
// (+1 or -1), then the one behind. No wrap-around; nothing outside the list.
std::vector<int32_t> ReadAheadTargets(int32_t current, int32_t lastIndex, int direction);

// One decoded picture held ahead: its entry and its decoded bytes.
struct HeldPicture {
    int32_t index;
    uint64_t bytes;
};

// The positions in `held` to give up: every picture whose entry is not among
// `targets`, then, while the rest exceeds `budget` (0: no budget), those of
// the least wanted targets.
std::vector<size_t> PicturesToEvict(const std::vector<HeldPicture>& held, const std::vector<int32_t>& targets,
                                    uint64_t budget);

// The decoded bytes that a new picture may take: what `budget` leaves beside
// `heldBytes`; UINT64_MAX without a budget.
uint64_t RoomLeft(uint64_t budget, uint64_t heldBytes);

// The default budget in megabytes of the build whose pointers are
// `pointerBytes` wide: 256 for 32 bits, 1024 for 64.
int32_t DefaultReadAheadMegabytes(size_t pointerBytes);
