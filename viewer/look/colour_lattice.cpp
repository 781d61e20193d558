// Lattice interpolation; see colour_lattice.h. Each pixel lies in one cube of
// the lattice, which is cut into six tetrahedra along its diagonal; the pixel
// is the weighted sum of the four corners of its tetrahedron, weights in
// 1/256. A value's place within its cell has only 16 possibilities per axis,
// so the tetrahedron and its four weights for all three axes come from one
// table of 4,096 entries: the loop per pixel is table reads, four
// multiplications and no comparison.
#include "viewer/look/colour_lattice.h"

#include <cstring>

namespace {

constexpr uint32_t kStepBlue = 1;
constexpr uint32_t kStepGreen = kStepBlue * kLatticeSide;
constexpr uint32_t kStepRed = kStepGreen * kLatticeSide;
constexpr uint32_t kStepAll = kStepBlue + kStepGreen + kStepRed;

// A value's place in its cell: 0 to 7 within the cells of 8 values, 8 to 15
// within the last cell (248 to 255), which is 7 values wide.
uint32_t WeightOfPlace(uint32_t place) { return place < 8 ? place * 32 : ((place - 8) * 256 + 3) / 7; }

// The weights' fields in a tetrahedron's entry, and its second and third
// corners' offsets from the first (the fourth is kStepAll away).
constexpr int kWeightBits = 9;
constexpr uint64_t kWeightMask = (1u << kWeightBits) - 1;
constexpr int kSecondAt = 4 * kWeightBits;
constexpr int kThirdAt = kSecondAt + 11;
constexpr uint64_t kCornerMask = 0x7FF;

struct Tables {
    // Per axis and value: the lower lattice point's offset (low 16 bits)
    // and the value's place in its cell, at bit 16 for blue, 20 for green
    // and 24 for red, so that the three entries add up to the cube's first
    // corner and the index of its tetrahedron.
    uint32_t entry[3][256];
    uint64_t tetrahedron[4096];
    // 2^32 / alpha, rounded up: (n × inverse[a]) >> 32 is n / a rounded
    // down for every n below 2^16, without a division per pixel.
    uint64_t inverse[256];
};

uint64_t TetrahedronOf(uint32_t wb, uint32_t wg, uint32_t wr) {
    // The corners follow the axes from the largest weight to the smallest.
    uint32_t first, second;
    const bool rg = wr >= wg, gb = wg >= wb, rb = wr >= wb;
    if (rg && gb) {
        first = kStepRed, second = kStepGreen;
    } else if (rg && rb) {
        first = kStepRed, second = kStepBlue;
    } else if (rg) {
        first = kStepBlue, second = kStepRed;
    } else if (rb) {
        first = kStepGreen, second = kStepRed;
    } else if (gb) {
        first = kStepGreen, second = kStepBlue;
    } else {
        first = kStepBlue, second = kStepGreen;
    }
    uint32_t w1 = wr > wg ? wr : wg, w3 = wr < wg ? wr : wg;
    w1 = w1 > wb ? w1 : wb;
    w3 = w3 < wb ? w3 : wb;
    const uint32_t w2 = wr + wg + wb - w1 - w3;
    return uint64_t{256 - w1} | uint64_t{w1 - w2} << kWeightBits | uint64_t{w2 - w3} << (2 * kWeightBits) |
           uint64_t{w3} << (3 * kWeightBits) | uint64_t{first} << kSecondAt | uint64_t{first + second} << kThirdAt;
}

const Tables& Cells() {
    static const Tables tables = [] {
        Tables t = {};
        const uint32_t steps[3] = {kStepBlue, kStepGreen, kStepRed};
        for (uint32_t v = 0; v < 256; ++v) {
            const uint32_t cell = v < 248 ? v / 8 : kLatticeSide - 2;
            const uint32_t place = v < 248 ? v % 8 : 8 + (v - 248);
            for (int c = 0; c < 3; ++c) t.entry[c][v] = cell * steps[c] | place << (16 + 4 * c);
        }
        for (uint32_t index = 0; index < 4096; ++index) {
            t.tetrahedron[index] =
                TetrahedronOf(WeightOfPlace(index & 15), WeightOfPlace(index >> 4 & 15), WeightOfPlace(index >> 8));
        }
        for (uint64_t alpha = 1; alpha < 256; ++alpha) t.inverse[alpha] = ((uint64_t{1} << 32) + alpha - 1) / alpha;
        return t;
    }();
    return tables;
}

#if defined(__GNUC__)
#define OXEL_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define OXEL_ALWAYS_INLINE inline
#endif

// The converted colour with blue, green and red in bits 8, 24 and 40 of the
// result (each lane holds 256 × its value, rounded).
OXEL_ALWAYS_INLINE uint64_t Interpolate(const uint64_t* lattice, const Tables& t, unsigned b, unsigned g,
                                        unsigned r) {
    const uint32_t e = t.entry[0][b] + t.entry[1][g] + t.entry[2][r];
    const uint64_t* c0 = lattice + (e & 0xFFFF);
    const uint64_t w = t.tetrahedron[e >> 16];
    // No lane exceeds 255 × 256, so none carries into the next.
    return c0[0] * (w & kWeightMask) + c0[w >> kSecondAt & kCornerMask] * (w >> kWeightBits & kWeightMask) +
           c0[w >> kThirdAt & kCornerMask] * (w >> (2 * kWeightBits) & kWeightMask) +
           c0[kStepAll] * (w >> (3 * kWeightBits) & kWeightMask) + 0x0000008000800080ull;
}

// colour × alpha ÷ 255, rounded, for products up to 255 × 255.
OXEL_ALWAYS_INLINE uint32_t MultiplyRounded(uint32_t colour, uint32_t alpha) {
    const uint32_t t = colour * alpha + 128;
    return (t + (t >> 8)) >> 8;
}

}  // namespace

void LatticeInputs(uint8_t* bgrx) {
    uint8_t* p = bgrx;
    for (int r = 0; r < kLatticeSide; ++r) {
        for (int g = 0; g < kLatticeSide; ++g) {
            for (int b = 0; b < kLatticeSide; ++b, p += 4) {
                p[0] = static_cast<uint8_t>(LatticeValue(b));
                p[1] = static_cast<uint8_t>(LatticeValue(g));
                p[2] = static_cast<uint8_t>(LatticeValue(r));
                p[3] = 255;
            }
        }
    }
}

void SpreadLattice(const uint8_t* converted, uint64_t* spread) {
    for (size_t i = 0; i < kLatticePoints; ++i) {
        const uint8_t* p = converted + 4 * i;
        spread[i] = uint64_t{p[0]} | uint64_t{p[1]} << 16 | uint64_t{p[2]} << 32;
    }
}

void ApplyLattice(const uint64_t* lattice, uint8_t* pixels, size_t count, bool premultiplied) {
    const Tables& t = Cells();
    auto convert = [&](uint8_t* pixel) {
        const uint64_t sum = Interpolate(lattice, t, pixel[0], pixel[1], pixel[2]);
        pixel[0] = static_cast<uint8_t>(sum >> 8);
        pixel[1] = static_cast<uint8_t>(sum >> 24);
        pixel[2] = static_cast<uint8_t>(sum >> 40);
    };
    // A photograph's pixels, with no look at their alpha.
    if (!premultiplied) {
        for (size_t i = 0; i < count; ++i, pixels += 4) convert(pixels);
        return;
    }
    for (size_t i = 0; i < count; ++i, pixels += 4) {
        const uint32_t alpha = pixels[3];
        if (alpha == 255) {
            convert(pixels);
            continue;
        }
        if (alpha == 0) continue;
        // Unmultiplied colour, rounded: (c × 255 + alpha / 2) ÷ alpha.
        const uint64_t inverse = t.inverse[alpha];
        unsigned straight[3];
        for (int c = 0; c < 3; ++c) {
            const uint32_t value = static_cast<uint32_t>(((pixels[c] * 255u + alpha / 2) * inverse) >> 32);
            straight[c] = value < 255 ? value : 255;
        }
        const uint64_t sum = Interpolate(lattice, t, straight[0], straight[1], straight[2]);
        for (int c = 0; c < 3; ++c) {
            pixels[c] = static_cast<uint8_t>(MultiplyRounded(static_cast<uint32_t>(sum >> (8 + 16 * c)) & 0xFF, alpha));
        }
    }
}
