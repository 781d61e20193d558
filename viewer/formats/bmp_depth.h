// The bit depth that the information text reports for a BMP file, read from
// its headers: the bit count of a 40-byte (Windows) or 12-byte (OS/2 core)
// header, and 32 for the later, larger headers. Pure byte work.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of the file that the rule looks at.
constexpr size_t kBmpDepthBytes = 54;

// The depth from the first bytes of the file (fewer than kBmpDepthBytes if the
// file is shorter); -1 when they are too few to hold the field the header size
// points at. Only the low 8 bits of the bit count are kept.
int32_t BmpBitDepth(const uint8_t* data, size_t length);
