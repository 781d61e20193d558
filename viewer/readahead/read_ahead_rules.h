// The rules of reading ahead, free of any Windows call: which entries of the
// list to decode next for the direction of travel, which decoded pictures to
// give up for the memory budget, and when a decoded picture no longer matches
// its file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What identifies a file's content without reading it: its size, its last
// write time, its change time (FILETIME values) and its identity (volume
// serial number and file index). The write time alone misses a rewrite within
// FAT's two seconds, and one whose tool put the old time back; the change
// time moves with every write and every change of the times, and a file
// written anew and renamed over the old one has another identity. A missing
// file has `exists` false; what could not be read is 0.
struct FileStamp {
    bool exists;
    uint64_t size;
    uint64_t written;
    uint64_t changed;
    uint64_t volume;
    uint64_t index;
};

// True when a picture decoded from a file stamped `decoded` may not stand for
// the file stamped `now`.
bool IsStale(const FileStamp& decoded, const FileStamp& now);

// A file that a decode ahead gave up because its picture did not fit the room
// left in the budget: the file as it was, and the room there was.
struct Refusal {
    FileStamp stamp;
    uint64_t room;
};

// Whether the file stamped `now` would be refused again with `room` left: it
// is the file refused, and there is no more room than then.
bool RefusalStands(const Refusal& refusal, const FileStamp& now, uint64_t room);

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
