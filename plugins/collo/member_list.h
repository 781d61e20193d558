// Reading a collection file into memory and turning it into the member list
// that the archive calls answer from, and writing an extracted member. The
// file is opened, read whole and closed on each call; nothing stays open.
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugins/collo/win_handles.h"
#include "spi/susie.h"

namespace collo {

// The bytes of a collection, from its header to the end of the file.
struct CollectionImage {
    LocalBlock block;
    size_t size = 0;
    uint32_t timestamp = 0;  // last write, seconds since 1970
};

// A zero-filled local block of `count` member records and a terminator.
struct MemberList {
    LocalBlock block;
    uint32_t count = 0;
    spi::ArchiveMemberRecord* Records() const {
        return static_cast<spi::ArchiveMemberRecord*>(block.handle);
    }
};

// Reads the collection from `headerOffset` to its end into `image`, keeping
// its last-write time, and lists its members into `list`.
int32_t BuildMemberList(const char* path, int64_t headerOffset, MemberList* list,
                        CollectionImage* image);

// Checks the 12 header bytes at `headerOffset` (6 when the file cannot be
// opened, positioned or read; 2 when short or not a collection), reads the
// collection from there to its end and lists its members. `image` may be
// null; otherwise it receives the collection's bytes for extraction.
int32_t ReadMemberList(const char* path, int64_t headerOffset, MemberList* list,
                       CollectionImage* image);

// Builds the member at `position` of `image` into a new fixed local block.
int32_t BuildMember(const CollectionImage& image, uint32_t position, uint32_t size,
                     LocalBlock* member);

// Writes `bytes` as a new file `name` in `folder`; never replaces a file.
// 0, or 9 when the file cannot be created or written completely.
int32_t WriteMemberFile(const char* folder, const char* name, const uint8_t* bytes, size_t size);

// File names compared as the system does, without regard to case.
bool SameMemberName(const char* a, const char* b);

}  // namespace collo
