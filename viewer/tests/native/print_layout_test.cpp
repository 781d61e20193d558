// Where a print lands on the page, in printer dots, for the pages and
// settings a user meets: an A4 sheet at 600 dots per inch (4960 × 7016
// printable), the default margin of 2 cm (472 dots a side, 944 in all), and
// margins that make no sense.
#include "viewer/fileops/print_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

ViewOptions View(int fitWidth = 0, int rotation = 0) {
    // FitIn on and a zoom of 50 %: the paper ignores both.
    return ViewOptions{0, 1, fitWidth, 50, rotation, 1};
}

const PrintPage kA4 = {600, 600, 4960, 7016};

struct PrintCase {
    const char* name;
    int width, height;
    PrintPage page;
    double margin;
    ViewOptions view;
    PixelRect placed;
};

TEST(ComputePrintPlacement, FitsInsideTheMarginCentredAcross) {
    const PrintCase cases[] = {
        {"a small picture at most ten times its size", 100, 50, kA4, 2.0, View(), {1980, 472, 1000, 500}},
        {"a photo fills the usable width, on the top margin", 4000, 3000, kA4, 2.0, View(), {472, 472, 4016, 3012}},
        {"a tall photo fills the usable height", 3000, 8000, kA4, 2.0, View(), {1341, 472, 2277, 6072}},
        {"turned by 90 degrees", 100, 50, kA4, 2.0, View(0, 90), {2230, 472, 500, 1000}},
        {"FitWidth fills the width", 100, 50, kA4, 2.0, View(1), {472, 472, 4016, 2008}},
        {"FitWidth runs beyond the page", 100, 1000, kA4, 2.0, View(1), {472, 472, 4016, 40160}},
        {"margin 0 prints from the printable edge", 100, 50, kA4, 0.0, View(), {1980, 0, 1000, 500}},
        {"unequal resolutions", 100, 50, {300, 600, 2480, 7016}, 1.0, View(), {740, 236, 1000, 500}},
        {"a negative margin counts as none", 100, 50, kA4, -3.0, View(), {1980, 0, 1000, 500}},
        {"a margin wider than the page counts as none", 100, 50, kA4, 20.0, View(), {1980, 0, 1000, 500}},
        {"not a number counts as none", 100, 50, kA4, std::nan(""), View(), {1980, 0, 1000, 500}},
        {"an unsupported file has nothing to print", -2, 0, kA4, 2.0, View(), {0, 0, 0, 0}},
    };
    for (const PrintCase& c : cases) {
        const PixelRect placed = ComputePrintPlacement(c.width, c.height, c.page, c.margin, c.view);
        EXPECT_EQ(placed.x, c.placed.x) << c.name;
        EXPECT_EQ(placed.y, c.placed.y) << c.name;
        EXPECT_EQ(placed.width, c.placed.width) << c.name;
        EXPECT_EQ(placed.height, c.placed.height) << c.name;
    }
}

}  // namespace
