// The whole file that the frame readers work on, kept with the decode state
// while its entry is shown, and the wrap of a sub-image index over its frames.
#pragma once

#include <cstdint>

#include "viewer/core/decoded_picture.h"

// Reads the whole file into `state.fileBuffer` unless it holds it already.
bool ReadFileBuffer(const wchar_t* path, DecodeState& state);

// Frees the whole-file buffer of the current file and what was found in it:
// the frame offsets and the archive member list.
void FreeFileBuffer(DecodeState& state);

// The sub-image index after the wrap: -1 (or below) is the last, the count (or
// beyond) the first.
int32_t NormalizeSubIndex(int32_t subIndex, uint32_t count);
