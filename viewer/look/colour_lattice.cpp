// Lattice interpolation; see colour_lattice.h. Each pixel lies in one cube of
// the lattice, which is cut into six tetrahedra along its diagonal; the pixel
// is the weighted sum of the four corners of its tetrahedron, weights in
// 1/256.
#include "viewer/look/colour_lattice.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kStepBlue = 1;
constexpr uint32_t kStepGreen = kStepBlue * kLatticeSide;
constexpr uint32_t kStepRed = kStepGreen * kLatticeSide;

// Each value's lower lattice point as its offset along blue, green and red
// (below 2^20), with how far the value lies towards the upper point (0 to
// 256) in the bits above.
constexpr uint32_t kOffsetBits = 0xFFFFFu;

struct Axis {
    uint32_t entry[3][256];
    // The tetrahedron of each order of the three weights: the offsets of its
    // second and third corners (the first is the lower point, the fourth the
    // upper one of all three axes).
    uint32_t corner[8][2];
};

const Axis& Cells() {
    static const Axis axis = [] {
        Axis a = {};
        const uint32_t steps[3] = {kStepBlue, kStepGreen, kStepRed};
        for (int v = 0; v < 256; ++v) {
            const int cell = std::min(v / 8, kLatticeSide - 2);
            const int low = LatticeValue(cell), high = LatticeValue(cell + 1);
            const uint32_t weight = static_cast<uint32_t>(((v - low) * 256 + (high - low) / 2) / (high - low));
            for (int c = 0; c < 3; ++c) a.entry[c][v] = static_cast<uint32_t>(cell) * steps[c] | weight << 20;
        }
        // Index bits: red >= green, green >= blue, red >= blue.
        for (int order = 0; order < 8; ++order) {
            const bool rg = order & 1, gb = order & 2, rb = order & 4;
            uint32_t first, second;
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
            a.corner[order][0] = first;
            a.corner[order][1] = first + second;
        }
        return a;
    }();
    return axis;
}

#if defined(__GNUC__)
#define OXEL_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define OXEL_ALWAYS_INLINE inline
#endif

// 1 when a >= b, for weights of 0 to 256, by arithmetic: a compiler's branch
// here, or in the two below, would be mispredicted on every other pixel of a
// photograph.
OXEL_ALWAYS_INLINE uint32_t AtLeast(uint32_t a, uint32_t b) {
    return static_cast<uint32_t>(1 + (static_cast<int32_t>(a - b) >> 31));
}

OXEL_ALWAYS_INLINE uint32_t Larger(uint32_t a, uint32_t b) {
    const uint32_t mask = 0 - AtLeast(a, b);
    return (a & mask) | (b & ~mask);
}

OXEL_ALWAYS_INLINE uint32_t Smaller(uint32_t a, uint32_t b) {
    const uint32_t mask = 0 - AtLeast(a, b);
    return (b & mask) | (a & ~mask);
}

// The lattice with each point's blue, green and red in 16-bit lanes of one
// 64-bit word, so that one multiplication weighs all three.
std::vector<uint64_t> Spread(const uint8_t* lattice) {
    std::vector<uint64_t> spread(kLatticePoints);
    for (size_t i = 0; i < kLatticePoints; ++i) {
        const uint8_t* p = lattice + 4 * i;
        spread[i] = uint64_t{p[0]} | uint64_t{p[1]} << 16 | uint64_t{p[2]} << 32;
    }
    return spread;
}

OXEL_ALWAYS_INLINE uint32_t Interpolate(const uint64_t* lattice, const Axis& axis, unsigned b, unsigned g,
                                        unsigned r) {
    const uint32_t er = axis.entry[2][r], eg = axis.entry[1][g], eb = axis.entry[0][b];
    const uint64_t* c0 = lattice + (er & kOffsetBits) + (eg & kOffsetBits) + (eb & kOffsetBits);
    const uint32_t wr = er >> 20, wg = eg >> 20, wb = eb >> 20;
    const uint32_t order = AtLeast(wr, wg) | AtLeast(wg, wb) << 1 | AtLeast(wr, wb) << 2;
    const uint32_t w1 = Larger(wr, Larger(wg, wb));
    const uint32_t w3 = Smaller(wr, Smaller(wg, wb));
    const uint32_t w2 = wr + wg + wb - w1 - w3;
    // No lane exceeds 255 × 256, so none carries into the next.
    const uint64_t sum = c0[0] * (256 - w1) + c0[axis.corner[order][0]] * (w1 - w2) +
                         c0[axis.corner[order][1]] * (w2 - w3) + c0[kStepRed + kStepGreen + kStepBlue] * w3 +
                         0x0000008000800080ull;
    return static_cast<uint32_t>(((sum >> 8) & 0xFF) | ((sum >> 16) & 0xFF00) | ((sum >> 24) & 0xFF0000));
}

}  // namespace

void LatticeInputs(std::vector<uint8_t>& bgrx) {
    bgrx.resize(kLatticePoints * 4);
    uint8_t* p = bgrx.data();
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

void ApplyLattice(const uint8_t* points, uint8_t* pixels, size_t count, bool premultiplied) {
    const Axis& axis = Cells();
    const std::vector<uint64_t> spread = Spread(points);
    const uint64_t* lattice = spread.data();
    for (size_t i = 0; i < count; ++i, pixels += 4) {
        const uint32_t alpha = pixels[3];
        if (!premultiplied || alpha == 255) {
            const uint32_t colour = Interpolate(lattice, axis, pixels[0], pixels[1], pixels[2]) | alpha << 24;
            std::memcpy(pixels, &colour, 4);
            continue;
        }
        if (alpha == 0) continue;
        unsigned straight[3];
        for (int c = 0; c < 3; ++c) straight[c] = std::min(255u, (pixels[c] * 255 + alpha / 2) / alpha);
        const uint32_t colour = Interpolate(lattice, axis, straight[0], straight[1], straight[2]);
        for (int c = 0; c < 3; ++c) pixels[c] = static_cast<uint8_t>(((colour >> (8 * c)) & 0xFF) * alpha / 255);
    }
}
