// Reading a TrueType collection held in memory: the header check, the size of
// each member font and the extraction of one member as a stand-alone font file,
// plus the member records and the information strings. Pure byte work with no
// Windows API, so it is unit-tested and fuzzed natively; every offset, count and
// length read from the collection is checked against the image before use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "spi/susie.h"

namespace collo {

// Only the first ten fonts of a collection are listed (two-digit ordinals).
constexpr uint32_t kMaxListedMembers = 10;

// Room for the base name in a member file name: 199 bytes before the
// terminator, less the two ordinal digits and ".ttf".
constexpr size_t kMaxBaseNameBytes = sizeof(spi::ArchiveMemberRecord::fileName) - 1 - 2 - 4;

// The first 8 bytes: "ttcf" in any case and version 1 or 2.
bool IsCollectionHeader(const uint8_t* head, size_t length);

// Size of member `k` as a single-font file. kSuccess with *size set;
// kNotSupported when k is not below the number of fonts; kUnknownFormat when
// the collection's header, the member's offset table or one of its table
// records lies outside the image, or the size would not fit in 32 bits.
int32_t MemberSize(const uint8_t* image, size_t imageSize, uint32_t k, uint32_t* size);

// Writes member `k` into `out`, which must hold exactly MemberSize bytes:
// the offset table, the table records with new offsets and checksums, then
// each table's data padded with zeros to a multiple of 4. Same results as
// MemberSize, and kUnknownFormat when outSize is not the member's size.
int32_t ExtractMember(const uint8_t* image, size_t imageSize, uint32_t k, uint8_t* out,
                      size_t outSize);

// OpenType checksum of a table as written in a font file: big-endian 32-bit
// words summed over `paddedLength` (a multiple of 4). For 'head' the checksum
// adjustment at bytes 8 to 11 counts as zero.
uint32_t TableChecksum(const uint8_t* table, size_t paddedLength, uint32_t tag);

// The member records of the first ten fonts, zero-filled apart from the
// fields a member has. kSuccess with *count set (0 for a collection without
// fonts); kUnknownFormat when the image is not a collection or a listed
// member is damaged.
int32_t ListMembers(const uint8_t* image, size_t imageSize, const char* baseName,
                    uint32_t timestamp, spi::ArchiveMemberRecord* records, uint32_t* count);

// "<base><two digits>.ttf", the base cut to kMaxBaseNameBytes bytes.
// `out` holds 200 bytes. Callers shorten the base at a character boundary
// first (CollectionBaseName); this only guards the field.
void FormatMemberName(const char* baseName, uint32_t ordinal, char* out);

typedef bool (*LeadBytePredicate)(unsigned char byte);

// The file name of `path` without folder and extension, shortened to at most
// kMaxBaseNameBytes bytes without splitting a double-byte character. The path
// is ANSI: a trail byte may equal '\\', hence the lead-byte predicate.
// `out` holds kMaxBaseNameBytes + 1 bytes.
void CollectionBaseName(const char* path, LeadBytePredicate isLeadByte, char* out);

// Seconds since 1970 from a Windows file time (100 ns since 1601), kept as 32 bits.
uint32_t UnixTimeFromFileTime(uint64_t fileTime);

// Copies information string `index` (0 to 3) into buf: at most buflen - 1
// bytes, never half a double-byte character, and a terminator. Returns the
// bytes copied; 0 for an unknown index or no room, buf untouched then.
int32_t CopyInfoString(int32_t index, char* buf, int32_t buflen);

}  // namespace collo
