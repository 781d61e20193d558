// Reading a font file image in memory: the type check that decides whether glypho
// takes a file, and the name reading (with the family-letter change) that the
// specimen needs. Pure byte work over untrusted data, with no windows.h, so the
// native build tests and fuzzes it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace glypho {

// Units of a name buffer, the terminating zero included: a name holds at most 259 characters.
constexpr size_t kNameUnits = 260;

// Name IDs that the plug-in reads.
constexpr uint16_t kNameCopyright = 0;
constexpr uint16_t kNameFamily = 1;
constexpr uint16_t kNameFullName = 4;
constexpr uint16_t kNameVersion = 5;

// Status of ReadFontName: 0, or the plug-in's code for data it cannot use.
constexpr int kNameOk = 0;
constexpr int kNameRefused = 2;

// Outcome of the type check on the bytes at hand.
enum class FontCheck {
    kRefused,
    kAccepted,
    // A collection whose header passes, but the bytes that hold its first member's
    // offset or that member's sfnt version are not among the bytes at hand.
    kNeedsMemberBytes,
};

// Big-endian reads; the caller has checked that the bytes are there.
uint16_t ReadU16(const uint8_t* p);
uint32_t ReadU32(const uint8_t* p);

// True when the first four bytes read "ttcf" without regard to case (size >= 4).
bool IsCollectionTag(const uint8_t* data, size_t size);

// The font type check on the first `size` bytes of a font image. Reads nothing
// outside them; when a collection needs more, says so instead of guessing.
FontCheck CheckFontType(const uint8_t* data, size_t size, bool collectionsOn);

// Reads name `nameId` of the font (the first member of a collection) into `name`
// (kNameUnits units; left as it was when no record is accepted). With `alterFamily`
// and name ID 1, changes the first letter of every accepted family record in the
// image and refreshes the 'name' table's checksum. Returns 0, or 2 when the image
// is refused: a switched-off collection, an unknown sfnt version, or a table
// directory, table, name record or string that lies outside the image. A refused
// image is neither changed nor read beyond its size, and `name` is left as it was.
int ReadFontName(uint8_t* image, size_t size, uint16_t nameId, bool collectionsOn,
                 bool alterFamily, char16_t* name);

// The face name under which GDI finds the altered private copy: the first letter
// of the family name becomes 'W' when it is 'V', and 'V' otherwise. An empty
// name stays empty.
void FaceNameOfAlteredFamily(char16_t* name);

// The OpenType table checksum of `length` bytes at `offset`, summed as big-endian
// words over the length rounded up to 4; padding bytes beyond the image count as 0.
uint32_t TableChecksum(const uint8_t* image, size_t size, uint32_t offset, uint32_t length);

// Converts the raw bytes of a Macintosh Japanese name from the thread's ANSI code
// page into `out` (at most outUnits - 1 units and a zero); returns the units
// written. The one system call of the name reading, kept behind this function:
// the plug-in implements it with the Windows code-page conversion, the native
// build with a stand-in.
size_t ConvertAnsiName(const uint8_t* bytes, size_t count, char16_t* out, size_t outUnits);

}  // namespace glypho
