// The EXIF turn of a decoded picture without a second picture beside it when
// memory is short. Flips and the half turn keep the size and are done where
// the pixels lie. A quarter turn needs a bitmap of the other shape: with room
// for two pictures it is written straight into a new one; without, the
// pixels go to a temporary file that is deleted on close, the picture is
// freed, and the new one is filled from the file band by band, so that the
// peak stays near one picture (in the 32-bit build, near one large block of
// address space).
#pragma once

#include <windows.h>

#include <cstdint>

// How a quarter turn finds its memory: as the machine's state allows (Auto),
// or as if memory were short (Short; for tests).
enum class TurnRoom { Auto, Short };

// Turns `bitmap`, a 32-bit top-down DIB section of `width` × `height` pixels
// at `bits`, upright by EXIF orientation `orientation` (2 to 8; other values
// leave it as it is). Returns the bitmap to show: the same one, or a new one
// that replaced it (the old one deleted), with `turned` telling whether it
// was turned: a turn that found no room leaves the picture as it was. Null
// only when neither picture could be had again, the old one deleted.
HBITMAP TurnSection(HBITMAP bitmap, uint8_t* bits, int32_t width, int32_t height, int32_t orientation,
                    bool& turned, TurnRoom room = TurnRoom::Auto);
