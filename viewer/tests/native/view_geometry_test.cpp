// Fit modes, zoom and its anchoring, scroll ranges and triggers, and the
// rectangles of a paint, on the sizes a user meets (an 800 × 600 client).
#include "viewer/display/view_geometry.h"

#include <gtest/gtest.h>

#include "viewer/core/command_ids.h"

namespace {

ViewOptions Options(int fitOut, int fitIn, int fitWidth, int zoom = 100, int rotation = 0, int baseCentral = 1) {
    return ViewOptions{fitOut, fitIn, fitWidth, zoom, rotation, baseCentral};
}

const ViewOptions kFitOut = Options(1, 0, 0);
const ViewOptions kFitIn = Options(0, 1, 0);
const ViewOptions kNoFit = Options(0, 0, 0);
const ViewOptions kFitWidth = Options(0, 0, 1);

struct ViewCase {
    const char* name;
    int pictureWidth, pictureHeight, clientWidth, clientHeight;
    ViewOptions options;
    int viewWidth, viewHeight;
};

TEST(ComputeViewSize, FitsZoomAndRotation) {
    const ViewCase cases[] = {
        {"large picture shrinks to the client", 4000, 3000, 800, 600, kFitOut, 800, 600},
        {"wide picture shrinks by its width", 1600, 600, 800, 600, kFitOut, 800, 300},
        {"tall picture shrinks by its height", 600, 1200, 800, 600, kFitOut, 300, 600},
        {"small picture is left alone by FitOut", 100, 100, 800, 600, kFitOut, 100, 100},
        {"FitIn enlarges a small picture", 100, 100, 800, 600, kFitIn, 600, 600},
        {"FitIn leaves a picture as wide as the client", 800, 100, 800, 600, kFitIn, 800, 100},
        {"no fit keeps the zoomed size", 4000, 3000, 800, 600, kNoFit, 4000, 3000},
        {"zoom halves", 4000, 3000, 800, 600, Options(0, 0, 0, 50), 2000, 1500},
        {"zoom rounds to nearest", 3, 3, 800, 600, Options(0, 0, 0, 50), 2, 2},
        {"FitOut still shrinks after a zoom down", 4000, 3000, 800, 600, Options(1, 0, 0, 50), 800, 600},
        {"FitOut lets zoom shrink a picture", 400, 300, 800, 600, Options(1, 0, 0, 50), 200, 150},
        {"FitIn tests the zoomed size", 100, 100, 800, 600, Options(1, 1, 0, 1000), 600, 600},
        {"both fits always fill one direction", 100, 50, 800, 600, Options(1, 1, 0), 800, 400},
        {"FitWidth scales to the client width", 1000, 3000, 800, 600, kFitWidth, 800, 2400},
        {"FitWidth ignores the zoom", 1000, 3000, 800, 600, Options(0, 0, 1, 300), 800, 2400},
        {"rotation 90 swaps the sides", 300, 200, 800, 600, Options(0, 0, 0, 100, 90), 200, 300},
        {"rotation 270 swaps the sides", 300, 200, 800, 600, Options(0, 0, 0, 100, 270), 200, 300},
        {"rotation 180 keeps them", 300, 200, 800, 600, Options(0, 0, 0, 100, 180), 300, 200},
        {"no picture", 0, 0, 800, 600, kFitOut, 0, 0},
        {"missing file status", -1, 0, 800, 600, Options(1, 1, 0), 0, 0},
        {"unsupported status", -2, -4, 800, 600, kFitWidth, 0, 0},
        {"huge zoom of a huge picture stays in range", 2000000000, 2000000000, 800, 600, Options(0, 0, 0, 5000),
         INT32_MAX, INT32_MAX},
        {"1 % of a small picture keeps a pixel", 10, 10, 800, 600, Options(0, 0, 0, 1), 1, 1},
    };
    for (const ViewCase& c : cases) {
        ViewSize v = ComputeViewSize(c.pictureWidth, c.pictureHeight, c.clientWidth, c.clientHeight, c.options);
        EXPECT_EQ(v.width, c.viewWidth) << c.name;
        EXPECT_EQ(v.height, c.viewHeight) << c.name;
    }
}

TEST(DecideScrollBars, FollowsTheFitMode) {
    struct Case {
        const char* name;
        int pictureWidth, pictureHeight;
        ViewOptions options;
        bool vertical, horizontal;
    } cases[] = {
        {"FitOut never needs a bar", 4000, 3000, kFitOut, false, false},
        {"no fit on a large picture needs both", 4000, 3000, kNoFit, true, true},
        {"FitWidth on a tall picture: vertical only", 1000, 3000, kFitWidth, true, false},
        {"FitWidth on a wide picture: none", 3000, 1000, kFitWidth, false, false},
        {"a picture that fits needs none", 790, 600, kNoFit, false, false},
        {"the vertical bar takes the width that was just enough", 790, 601, kNoFit, true, true},
        {"the horizontal bar takes the height that was just enough", 801, 590, kNoFit, true, true},
        {"wide only", 1600, 300, kNoFit, false, true},
        {"no picture", 0, 0, kNoFit, false, false},
    };
    for (const Case& c : cases) {
        ScrollBarNeed need = DecideScrollBars(c.pictureWidth, c.pictureHeight, 800, 600, 17, 17, c.options);
        EXPECT_EQ(need.vertical, c.vertical) << c.name;
        EXPECT_EQ(need.horizontal, c.horizontal) << c.name;
    }
}

TEST(ComputeScrollAxes, NewPictureOpensAtItsCentreWithBaseCentral) {
    // 4000 × 3000, all fits off, client 783 × 583 once both bars are there.
    ViewSize view = ComputeViewSize(4000, 3000, 783, 583, kNoFit);
    ScrollAxis v = {}, h = {};
    ComputeScrollAxes(view, 783, 583, kNoFit, true, true, v, h);
    EXPECT_EQ(v.max, 2999);
    EXPECT_EQ(v.page, 583u);
    EXPECT_EQ(v.pos, (3000 - 583) / 2);
    EXPECT_EQ(h.max, 3999);
    EXPECT_EQ(h.page, 783u);
    EXPECT_EQ(h.pos, (4000 - 783) / 2);

    ComputeScrollAxes(view, 783, 583, Options(0, 0, 0, 100, 0, 0), true, true, v, h);
    EXPECT_EQ(v.pos, 0);
    EXPECT_EQ(h.pos, 0);
}

TEST(ComputeScrollAxes, FitWidthOpensAtTheTop) {
    ViewSize view = ComputeViewSize(1000, 3000, 783, 600, kFitWidth);
    ScrollAxis v = {}, h = {};
    ComputeScrollAxes(view, 783, 600, kFitWidth, true, true, v, h);
    EXPECT_EQ(v.pos, 0);
    EXPECT_EQ(h.pos, 0);  // the page equals the extent
}

TEST(ComputeScrollAxes, KeptPositionsAreClampedAfterAResize) {
    ViewSize view = {4000, 3000};
    ScrollAxis v = {0, 0, 2800}, h = {0, 0, -20};
    ComputeScrollAxes(view, 800, 600, kNoFit, false, false, v, h);
    EXPECT_EQ(v.pos, 2400);
    EXPECT_EQ(h.pos, 0);
    // A picture smaller than the client cannot scroll at all.
    ComputeScrollAxes({100, 100}, 800, 600, kNoFit, false, false, v, h);
    EXPECT_EQ(v.pos, 0);
    EXPECT_EQ(v.page, 100u);
    // No picture: nothing to show, and no negative page.
    ComputeScrollAxes({0, 0}, 800, 600, kNoFit, true, true, v, h);
    EXPECT_EQ(v.max, -1);
    EXPECT_EQ(v.page, 0u);
    EXPECT_EQ(v.pos, 0);
}

bool SameRect(const PixelRect& r, int x, int y, int w, int h) {
    return r.x == x && r.y == y && r.width == w && r.height == h;
}

TEST(ComputeSourceAndDestination, SmallPicturesAreCentred) {
    ScrollAxis v = {}, h = {};
    ViewSize view = ComputeViewSize(100, 100, 800, 600, kFitIn);
    ComputeScrollAxes(view, 800, 600, kFitIn, true, true, v, h);
    DrawRects r = ComputeSourceAndDestination(100, 100, view, 800, 600, v, h, kFitIn);
    EXPECT_TRUE(SameRect(r.source, 0, 0, 100, 100));
    EXPECT_TRUE(SameRect(r.destination, 100, 0, 600, 600));

    view = ComputeViewSize(100, 100, 800, 600, kNoFit);
    ComputeScrollAxes(view, 800, 600, kNoFit, true, true, v, h);
    r = ComputeSourceAndDestination(100, 100, view, 800, 600, v, h, kNoFit);
    EXPECT_TRUE(SameRect(r.source, 0, 0, 100, 100));
    EXPECT_TRUE(SameRect(r.destination, 350, 250, 100, 100));
}

TEST(ComputeSourceAndDestination, FitOutDrawsTheWholeBitmap) {
    ScrollAxis v = {}, h = {};
    ViewSize view = ComputeViewSize(4000, 3000, 800, 600, kFitOut);
    ComputeScrollAxes(view, 800, 600, kFitOut, true, true, v, h);
    DrawRects r = ComputeSourceAndDestination(4000, 3000, view, 800, 600, v, h, kFitOut);
    EXPECT_TRUE(SameRect(r.source, 0, 0, 4000, 3000));
    EXPECT_TRUE(SameRect(r.destination, 0, 0, 800, 600));
}

TEST(ComputeSourceAndDestination, NoFitTakesTheScrolledWindowOfTheBitmap) {
    ViewOptions zoom200 = Options(0, 0, 0, 200);
    ViewSize view = ComputeViewSize(1000, 1000, 800, 600, zoom200);
    ScrollAxis v = {view.height - 1, 600, 300}, h = {view.width - 1, 800, 101};
    DrawRects r = ComputeSourceAndDestination(1000, 1000, view, 800, 600, v, h, zoom200);
    EXPECT_TRUE(SameRect(r.source, 50, 150, 400, 300));
    EXPECT_TRUE(SameRect(r.destination, 0, 0, 800, 600));
}

TEST(ComputeSourceAndDestination, FitWidthTakesTheLastRowsWhole) {
    ViewSize view = ComputeViewSize(1000, 3000, 800, 600, kFitWidth);
    ScrollAxis h = {799, 800, 0};
    ScrollAxis v = {view.height - 1, 600, 0};
    DrawRects r = ComputeSourceAndDestination(1000, 3000, view, 800, 600, v, h, kFitWidth);
    EXPECT_TRUE(SameRect(r.source, 0, 0, 1000, 750));
    EXPECT_TRUE(SameRect(r.destination, 0, 0, 800, 600));
    v.pos = 1800;  // the bottom: rows 2250 … 2999
    r = ComputeSourceAndDestination(1000, 3000, view, 800, 600, v, h, kFitWidth);
    EXPECT_EQ(r.source.y, 2250);
    EXPECT_EQ(r.source.height, 750);
    // A source that would run past the bitmap is cut; one that would leave
    // the last row behind takes it in.
    r = ComputeSourceAndDestination(1000, 2999, view, 800, 600, v, h, kFitWidth);
    EXPECT_EQ(r.source.y + r.source.height, 2999);
    r = ComputeSourceAndDestination(1000, 3001, view, 800, 600, v, h, kFitWidth);
    EXPECT_EQ(r.source.y + r.source.height, 3001);
    // A zero-width client draws nothing rather than dividing by zero.
    r = ComputeSourceAndDestination(1000, 3000, view, 0, 600, v, h, kFitWidth);
    EXPECT_EQ(r.destination.width, 0);
}

TEST(ZoomSteps, StopAtTheLimits) {
    EXPECT_EQ(StepZoomCommand(100, 25, true), 125);
    EXPECT_EQ(StepZoomCommand(100, 25, false), 75);
    EXPECT_EQ(StepZoomCommand(4975, 25, true), 5000);
    EXPECT_EQ(StepZoomCommand(4990, 25, true), 4990);
    EXPECT_EQ(StepZoomCommand(25, 25, false), 25);
    EXPECT_EQ(StepZoomCommand(26, 25, false), 1);
    EXPECT_EQ(StepZoomWheel(30, 25, false), 30);
    EXPECT_EQ(StepZoomWheel(35, 25, false), 10);
    EXPECT_EQ(StepZoomWheel(4990, 25, true), 4990);
    EXPECT_EQ(StepZoomWheel(100, 25, true), 125);
    EXPECT_EQ(StepZoomCommand(100, INT32_MAX, true), 100);
}

TEST(AnchorCommandZoom, KeepsTheCentreOrTheCorner) {
    ScrollAxis v = {999, 200, 100}, h = {1999, 400, 300};
    AnchorCommandZoom(100, 200, kNoFit, v, h);
    EXPECT_EQ(v.max, 1998);
    EXPECT_EQ(v.pos, (100 + 100) * 2 - 100);
    EXPECT_EQ(h.max, 3998);
    EXPECT_EQ(h.pos, (300 + 200) * 2 - 200);

    ScrollAxis v2 = {999, 200, 100}, h2 = {1999, 400, 300};
    AnchorCommandZoom(100, 200, Options(0, 0, 0, 100, 0, 0), v2, h2);
    EXPECT_EQ(v2.pos, 200);
    EXPECT_EQ(h2.pos, 600);

    // Zooming out past the start clamps at 0.
    ScrollAxis v3 = {999, 200, 10}, h3 = {999, 200, 10};
    AnchorCommandZoom(100, 50, kNoFit, v3, h3);
    EXPECT_EQ(v3.pos, 0);

    // FitOut drops the ranges; FitWidth leaves everything to the next paint.
    ScrollAxis v4 = {999, 200, 100}, h4 = v4;
    AnchorCommandZoom(100, 125, kFitOut, v4, h4);
    EXPECT_EQ(v4.max, 0);
    EXPECT_EQ(v4.pos, 0);
    ScrollAxis v5 = {999, 200, 100}, h5 = v5;
    AnchorCommandZoom(100, 125, kFitWidth, v5, h5);
    EXPECT_EQ(v5.max, 999);
    EXPECT_EQ(v5.pos, 100);
}

TEST(AnchorWheelZoom, KeepsThePointUnderTheCursor) {
    ScrollAxis v = {999, 300, 100}, h = {999, 300, 50};
    AnchorWheelZoom(100, 200, kNoFit, true, true, 40, 60, v, h);
    EXPECT_EQ(v.max, 1998);
    EXPECT_EQ(v.pos, (100 + 60) * 2 - 60);
    EXPECT_EQ(h.pos, (50 + 40) * 2 - 40);
    // A hidden bar keeps its position.
    ScrollAxis v2 = {999, 300, 100}, h2 = {999, 300, 50};
    AnchorWheelZoom(100, 200, kNoFit, false, true, 40, 60, v2, h2);
    EXPECT_EQ(v2.pos, 100);
}

TEST(Rotation, QuarterTurnsWrap) {
    int r = 0;
    for (int i = 0; i < 4; ++i) r = RotateRight(r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(RotateRight(0), 90);
    EXPECT_EQ(RotateRight(270), 0);
    EXPECT_EQ(RotateLeft(0), 270);
    EXPECT_EQ(RotateLeft(90), 0);
    ViewSize s = RotatedSize(300, 200, 90);
    EXPECT_EQ(s.width, 200);
    EXPECT_EQ(s.height, 300);
    s = RotatedSize(300, 200, 180);
    EXPECT_EQ(s.width, 300);
}

TEST(ApplyScrollCommand, EveryCommandMovesItsAxisAndClamps) {
    struct Case {
        int command;
        int vertical, horizontal;
    } cases[] = {
        {IDM_SCROLL_DOWN, 510, 500},  {IDM_SCROLL_UP, 490, 500},     {IDM_PAGE_DOWN, 1100, 500},
        {IDM_PAGE_UP, 0, 500},        {IDM_SCROLL_BOTTOM, 2400, 500}, {IDM_SCROLL_TOP, 0, 500},
        {IDM_SCROLL_RIGHT, 500, 510}, {IDM_SCROLL_LEFT, 500, 490},   {IDM_PAGE_RIGHT, 500, 1300},
        {IDM_PAGE_LEFT, 500, 0},      {IDM_SCROLL_RIGHTMOST, 500, 3200}, {IDM_SCROLL_LEFTMOST, 500, 0},
    };
    for (const Case& c : cases) {
        ScrollAxis v = {2999, 600, 500}, h = {3999, 800, 500};
        EXPECT_TRUE(ApplyScrollCommand(c.command, 10, v, h)) << c.command;
        EXPECT_EQ(v.pos, c.vertical) << c.command;
        EXPECT_EQ(h.pos, c.horizontal) << c.command;
    }
    ScrollAxis v = {2999, 600, 2395}, h = {3999, 800, 0};
    ApplyScrollCommand(IDM_SCROLL_DOWN, 10, v, h);
    EXPECT_EQ(v.pos, 2400);
    ApplyScrollCommand(IDM_SCROLL_LEFT, 10, v, h);
    EXPECT_EQ(h.pos, 0);
    EXPECT_FALSE(ApplyScrollCommand(IDM_NEXT, 10, v, h));
}

TEST(ScrollBarsWheelAndDrag, MoveByTheirAmount) {
    ScrollAxis a = {999, 200, 100};
    EXPECT_TRUE(ApplyScrollBarCode(kLineDown, 0, 10, a));
    EXPECT_EQ(a.pos, 110);
    ApplyScrollBarCode(kLineUp, 0, 10, a);
    ApplyScrollBarCode(kPageDown, 0, 10, a);
    EXPECT_EQ(a.pos, 300);
    ApplyScrollBarCode(kPageUp, 0, 10, a);
    ApplyScrollBarCode(kPageUp, 0, 10, a);
    EXPECT_EQ(a.pos, 0);
    ApplyScrollBarCode(kThumbTrack, 700, 10, a);
    EXPECT_EQ(a.pos, 700);
    ApplyScrollBarCode(kThumbPosition, 65535, 10, a);
    EXPECT_EQ(a.pos, 800);
    EXPECT_FALSE(ApplyScrollBarCode(8 /* end of scroll */, 0, 10, a));

    ApplyWheelScroll(120, 10, a);
    EXPECT_EQ(a.pos, 790);
    ApplyWheelScroll(-120, 10, a);
    EXPECT_EQ(a.pos, 800);

    ScrollAxis atPress = {999, 200, 400};
    ApplyDrag(atPress, 100, 60, a);  // the hand moved up by 40: the view moves down
    EXPECT_EQ(a.pos, 440);
    ApplyDrag(atPress, 100, 900, a);
    EXPECT_EQ(a.pos, 0);
}

}  // namespace
