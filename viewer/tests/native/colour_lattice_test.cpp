// The lattice interpolation on transforms known in closed form: a channel
// swap comes out exact, a gamma curve within a step or two, alpha,
// premultiplied or not, is kept, and the identity changes no pixel at all.
#include "viewer/look/colour_lattice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

using Map = std::function<void(const uint8_t* in, uint8_t* out)>;

// The lattice of `map`, as the colour system would compute it.
std::vector<uint64_t> LatticeOf(const Map& map) {
    std::vector<uint8_t> points(kLatticePoints * 4);
    LatticeInputs(points.data());
    std::vector<uint8_t> out(points.size());
    for (size_t i = 0; i < points.size(); i += 4) {
        map(&points[i], &out[i]);
        out[i + 3] = 0x5A;  // the fourth byte is the colour system's to fill
    }
    std::vector<uint64_t> spread(kLatticePoints);
    SpreadLattice(out.data(), spread.data());
    return spread;
}

// The largest difference between the lattice's result and `map` over a
// sample of the colour cube.
int WorstOver(const Map& map) {
    const std::vector<uint64_t> lattice = LatticeOf(map);
    std::vector<uint8_t> pixels, exact;
    for (int r = 0; r < 256; r += 3) {
        for (int g = 0; g < 256; g += 5) {
            for (int b = 0; b < 256; b += 7) {
                const uint8_t pixel[4] = {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 255};
                uint8_t converted[4] = {0, 0, 0, 255};
                map(pixel, converted);
                pixels.insert(pixels.end(), pixel, pixel + 4);
                exact.insert(exact.end(), converted, converted + 4);
            }
        }
    }
    ApplyLattice(lattice.data(), pixels.data(), pixels.size() / 4, false);
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i) worst = std::max(worst, std::abs(pixels[i] - exact[i]));
    return worst;
}

TEST(ColourLattice, LinearTransformsAreExactAndCurvesClose) {
    EXPECT_EQ(WorstOver([](const uint8_t* in, uint8_t* out) {
                  out[0] = in[0];
                  out[1] = in[2];
                  out[2] = in[1];
              }),
              0);
    // A tone curve and a mixing of channels, as a wide-gamut profile has.
    EXPECT_LE(WorstOver([](const uint8_t* in, uint8_t* out) {
                  double linear[3];
                  for (int c = 0; c < 3; ++c) linear[c] = std::pow(in[c] / 255.0, 2.2);
                  const double mixed[3] = {0.9 * linear[0] + 0.1 * linear[1], 0.8 * linear[1] + 0.2 * linear[2],
                                           0.7 * linear[2] + 0.3 * linear[0]};
                  for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(std::lround(std::pow(mixed[c], 1 / 2.4) * 255));
              }),
              3);
}

TEST(ColourLattice, AlphaIsKeptAndPremultipliedColoursConvertedUnmultiplied) {
    const std::vector<uint64_t> swap = LatticeOf([](const uint8_t* in, uint8_t* out) {
        out[0] = in[0];
        out[1] = in[2];
        out[2] = in[1];
    });
    // Straight: red 200, green 40 at alpha 128 become red 40, green 200.
    uint8_t straight[8] = {10, 40, 200, 128, 1, 2, 3, 0};
    ApplyLattice(swap.data(), straight, 2, false);
    EXPECT_EQ(std::vector<uint8_t>(straight, straight + 8), (std::vector<uint8_t>{10, 200, 40, 128, 1, 3, 2, 0}));
    // Premultiplied: the same colour at alpha 128 is (5, 20, 100); a
    // transparent pixel stays as it is.
    uint8_t premultiplied[8] = {5, 20, 100, 128, 0, 0, 0, 0};
    ApplyLattice(swap.data(), premultiplied, 2, true);
    EXPECT_EQ(premultiplied[3], 128);
    EXPECT_NEAR(premultiplied[1], 100, 1);
    EXPECT_NEAR(premultiplied[2], 20, 1);
    EXPECT_NEAR(premultiplied[0], 5, 1);
    EXPECT_EQ(std::vector<uint8_t>(premultiplied + 4, premultiplied + 8), (std::vector<uint8_t>{0, 0, 0, 0}));
}

// Every colour of every alpha, premultiplied or straight, through a lattice
// that changes nothing: unmultiplying and multiplying again must both round,
// or about half of the 32,639 translucent pairs (colour <= alpha < 255) lose
// a step. Colours above their alpha (not premultiplied) come back within it,
// but for alpha 0, which is left as it is.
TEST(ColourLattice, TheIdentityChangesNoPixel) {
    const std::vector<uint64_t> identity = LatticeOf([](const uint8_t* in, uint8_t* out) {
        std::memcpy(out, in, 3);
    });
    for (bool premultiplied : {false, true}) {
        std::vector<uint8_t> pixels;
        for (int alpha = 0; alpha < 256; ++alpha) {
            for (int colour = 0; colour < 256; ++colour) {
                // Every pair (colour, alpha) in blue; green and red at most blue.
                const uint8_t pixel[4] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour / 2),
                                          static_cast<uint8_t>(colour * 2 / 3), static_cast<uint8_t>(alpha)};
                pixels.insert(pixels.end(), pixel, pixel + 4);
            }
        }
        const std::vector<uint8_t> before = pixels;
        ApplyLattice(identity.data(), pixels.data(), pixels.size() / 4, premultiplied);
        int changed = 0, translucent = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) {
            const int alpha = before[i + 3];
            if (!premultiplied || before[i] <= alpha) {
                changed += std::memcmp(&pixels[i], &before[i], 4) != 0;
                translucent += alpha < 255 && (!premultiplied || alpha > 0);
            } else if (alpha > 0) {
                for (int c = 0; c < 3; ++c) EXPECT_LE(pixels[i + c], alpha) << i / 4;
                EXPECT_EQ(pixels[i + 3], alpha);
            }
        }
        EXPECT_EQ(changed, 0) << (premultiplied ? "premultiplied" : "straight");
        if (premultiplied) EXPECT_EQ(translucent, 32639);
    }
}

}  // namespace
