// What the viewer needs to know of an ICC profile before it hands it to the
// system's colour system: the colour space of its data, and whether it is
// sRGB in all but name, so that a converter's work on it would change no
// 8-bit value and is skipped. Pure byte work, bounded by the profile's size.
#pragma once

#include <cstddef>
#include <cstdint>

// The data colour space signature of the profile's header ('RGB ', 'CMYK',
// 'GRAY' as a big-endian number), or 0 for bytes too short for a header.
uint32_t IccColourSpace(const uint8_t* profile, size_t length);

constexpr uint32_t kIccRgb = 0x52474220;   // 'RGB '
constexpr uint32_t kIccCmyk = 0x434D594B;  // 'CMYK'

// True when the profile is an RGB matrix-and-curve profile whose primaries
// are sRGB's and whose three curves stay within half a step of 255 of the
// sRGB curve: converting from it to sRGB would leave every value as it is.
// Profiles that carry tables (A2B0) are never taken as sRGB.
bool IsSrgbProfile(const uint8_t* profile, size_t length);
