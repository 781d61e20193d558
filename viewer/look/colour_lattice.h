// A colour transform sampled on a lattice and applied to a picture by
// tetrahedral interpolation. The colour system computes the lattice points
// (33 per axis, 35,937 colours); interpolating between them converts a
// 6000 × 4000 photograph in a fraction of the time that translating every
// pixel through the colour system takes, within a step or two of its values.
// Pure arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>

// Points per axis: every 8th value and 255.
constexpr int kLatticeSide = 33;
constexpr size_t kLatticePoints = size_t{kLatticeSide} * kLatticeSide * kLatticeSide;

// The value of lattice coordinate `i` on each axis.
inline int LatticeValue(int i) { return i * 8 < 255 ? i * 8 : 255; }

// The lattice points as 32-bit pixels (blue, green, red, 255), red slowest
// and blue fastest: what the colour system is asked to convert. `bgrx` holds
// kLatticePoints × 4 bytes.
void LatticeInputs(uint8_t* bgrx);

// The converted points (laid out as LatticeInputs lays them, the fourth byte
// ignored) as ApplyLattice reads them: each point's blue, green and red in
// 16-bit lanes of one 64-bit word, so that one multiplication weighs all
// three. `spread` holds kLatticePoints words.
void SpreadLattice(const uint8_t* converted, uint64_t* spread);

// Converts `count` pixels (blue, green, red, alpha) in place by the spread
// lattice. Alpha is kept; with `premultiplied`, a pixel with alpha below 255
// is converted on its unmultiplied colour and multiplied again, both rounded,
// so that a transform that changes no colour changes no premultiplied pixel.
void ApplyLattice(const uint64_t* spread, uint8_t* pixels, size_t count, bool premultiplied);
