// The byte and text rules of the plug-in host and of archive access, free of
// the Windows API: which module a host of a given bitness may load, which
// plug-ins "IgnoreSpi" names, whether a plug-in's bitmap blocks are large
// enough for what their header says, the safe name under which an archive
// member is extracted, and the order in which archive members are tried.
#pragma once

#include <cstddef>
#include <cstdint>

// Machine types of the PE file header.
constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;

// Bytes of a module file that PeMachine needs at most (the DOS header points
// to the PE header, usually within the first few hundred bytes).
constexpr size_t kPeProbeBytes = 4096;

// The machine type of a PE module from its first bytes, or 0 when they are not
// a PE file.
uint16_t PeMachine(const uint8_t* data, size_t length);

// Whether the plug-in file `bareName` is to be skipped: its whole name occurs
// anywhere in `ignoreText` (case-sensitive), so names may be listed with any
// separator. An empty name is never ignored.
bool IsIgnoredPlugin(const char* bareName, const char* ignoreText);

// Whether a BITMAPINFO block of `infoSize` bytes and a pixel block of
// `bitsSize` bytes hold everything the header at the start of `info` describes:
// header and colour table (or bit masks) inside the first block, every pixel
// row inside the second. Only uncompressed (and bit-field) bitmaps pass.
bool DibBlocksFit(const uint8_t* info, size_t infoSize, size_t bitsSize);

// The longest safe member name, without its terminator.
constexpr size_t kSafeMemberNameMax = 80;

// The bare name under which a member stored as `stored` is extracted: the part
// after the last "/", "\" or ":", printable ASCII only (others become "_"),
// no trailing dots or blanks, no device name (CON, NUL, COM1, ... get a "_"
// in front), at most kSafeMemberNameMax characters with the extension kept.
// `out` needs kSafeMemberNameMax + 1 bytes. False (and `out` empty) when
// nothing of the name is left.
bool MakeSafeMemberName(const char* stored, char* out);

// The extension of a safe member name with its dot, or "" when it has none.
const char* MemberExtension(const char* safeName);

// Tries the members of an archive of `count` members in the search order: from
// `start` (normalised: `count` or beyond is 0, below 0 is the last) in
// `direction` (+1 or -1; 0 tries none), wrapping at both ends, each member at
// most once, and not the member just before the start in that direction
// unless the search began at an end. Returns the first member for which
// `tryMember` is true, or -1.
int32_t SearchArchiveMembers(int32_t count, int32_t start, int direction, bool (*tryMember)(int32_t member, void* data),
                             void* data);
