#include "pg_image_layout.h"

#include <gtest/gtest.h>

namespace {

struct ArrangeCase {
    const char* Name;
    TStretch Stretch;
    int ImageW, ImageH;
    long double ZoomFactor;
    int W, H;
    long double Zoom;
};

// Control 100 x 100 without border, scroll bars 16 pixels.
const ArrangeCase arrangeCases[] = {
    {"never keeps the size", sNeverKAR, 200, 50, 1, 200, 50, 1},
    {"always fills both sides", sAlways, 200, 50, 1, 100, 100, -1},
    {"always keeping aspect, wide", sAlwaysKAR, 200, 50, 1, 100, 25, 0.5L},
    {"always keeping aspect, tall", sAlwaysKAR, 50, 200, 1, 25, 100, 0.5L},
    {"shrink one side", sShrink, 200, 50, 1, 100, 50, -1},
    {"shrink leaves a small picture", sShrink, 50, 50, 1, 50, 50, 1},
    {"shrink keeping aspect", sShrinkKAR, 200, 50, 1, 100, 25, 0.5L},
    {"shrink keeping aspect leaves a small picture", sShrinkKAR, 50, 40, 1, 50, 40, 1},
    {"enlarge both sides", sEnlarge, 50, 40, 1, 100, 100, -1},
    {"enlarge leaves room for the horizontal bar", sEnlarge, 200, 40, 1, 200, 84, -1},
    {"enlarge keeping aspect", sEnlargeKAR, 50, 40, 1, 100, 80, 2},
    {"enlarge keeping aspect leaves a large picture", sEnlargeKAR, 200, 40, 1, 200, 40, 1},
    {"edge fit fills the height beside a bar", sAlwaysLongerEdgeKAR, 400, 200, 1, 168, 84, 0.42L},
    {"shrink edge fit when both bars are needed", sShrinkLongerEdgeKAR, 400, 200, 1, 168, 84,
     0.42L},
    {"shrink edge fit without both bars", sShrinkLongerEdgeKAR, 90, 90, 1, 90, 90, 1},
    {"enlarge-shrink edge fit enlarges a small one", sEnlargeShrinkLongerEdgeKAR, 50, 25, 1, 100,
     50, 2},
    {"enlarge-shrink edge fit shrinks a large one", sEnlargeShrinkLongerEdgeKAR, 400, 200, 1, 168,
     84, 0.42L},
    {"enlarge-shrink edge fit keeps one needing one bar", sEnlargeShrinkLongerEdgeKAR, 120, 50, 1,
     120, 50, 1},
    {"enlarge edge fit", sEnlargeLongerEdgeKAR, 50, 25, 1, 168, 84, 3.36L},
    {"zoom rounds ties to even", sZoomKAR, 101, 51, 0.5L, 50, 26, 0.5L},
    {"zoom 0 shows the picture at 1", sZoomKAR, 101, 51, 0, 101, 51, 1},
    {"negative zoom shows the picture at 1", sZoomKAR, 101, 51, -2, 101, 51, 1},
    {"zoom 300 %", sZoomKAR, 7, 5, 3, 21, 15, 3},
    // Sides never shrink to nothing.
    {"tiny zoom keeps one pixel", sZoomKAR, 101, 51, 0.001L, 1, 1, 0.001L},
    {"extreme aspect keeps one pixel", sAlwaysKAR, 10000, 1, 1, 100, 1, 0.01L},
};

} // namespace

TEST(Arrange, EveryStretchRule) {
    for (const ArrangeCase& c : arrangeCases) {
        SCOPED_TRACE(c.Name);
        TPGArrangeInput in;
        in.ImageWidth = c.ImageW, in.ImageHeight = c.ImageH;
        in.ControlWidth = in.ControlHeight = 100;
        in.Stretch = c.Stretch, in.ZoomFactor = c.ZoomFactor;
        const TPGArrangement a = PGArrange(in);
        EXPECT_EQ(a.Width, c.W);
        EXPECT_EQ(a.Height, c.H);
        EXPECT_NEAR(double(a.Zoom), double(c.Zoom), 1e-9);
        EXPECT_EQ(a.X, 0);
        EXPECT_EQ(a.Y, 0);
    }
}

TEST(Arrange, BorderAndEmptyImage) {
    TPGArrangeInput in;
    in.ImageWidth = 50, in.ImageHeight = 40, in.ControlWidth = 104, in.ControlHeight = 104;
    in.Border = 2, in.Stretch = sEnlargeKAR;
    EXPECT_EQ(PGArrange(in).Width, 100); // the border is not available
    in.ImageWidth = 0;
    const TPGArrangement none = PGArrange(in);
    EXPECT_EQ(none.Width, 0);
    EXPECT_EQ(none.Height, 40);
    EXPECT_EQ(none.Zoom, 1);
}

TEST(Arrange, CentringCountsTheScrollBarsItCauses) {
    TPGArrangeInput in;
    in.ControlWidth = in.ControlHeight = 100, in.Center = true;
    in.ImageWidth = 50, in.ImageHeight = 40;
    TPGArrangement a = PGArrange(in);
    EXPECT_EQ(a.X, 25);
    EXPECT_EQ(a.Y, 30);
    EXPECT_FALSE(a.HorzBar || a.VertBar);

    in.ImageWidth = 200, in.ImageHeight = 50; // wider: a horizontal bar eats 16 rows
    a = PGArrange(in);
    EXPECT_TRUE(a.HorzBar);
    EXPECT_FALSE(a.VertBar);
    EXPECT_EQ(a.X, 0);
    EXPECT_EQ(a.Y, 17);

    in.ImageWidth = 90, in.ImageHeight = 200; // taller, and then too wide beside the bar
    in.Bars = {20, 16};
    a = PGArrange(in);
    EXPECT_TRUE(a.VertBar);
    EXPECT_TRUE(a.HorzBar);
    EXPECT_EQ(a.X, 0);
}

TEST(Arrange, AutoSize) {
    struct Case {
        int ImageW, ImageH;
        TPGAutoSizeLimits Limits;
        int W, H;
    } cases[] = {
        {50, 40, {}, 54, 44},
        // Too wide: a horizontal bar is added to the height, then the width is cut.
        {50, 40, {0, 40, 0, 2147483647}, 40, 60},
        // Too high as well after that: a vertical bar is added to the width too.
        {50, 40, {0, 40, 0, 50}, 40, 50},
        {50, 40, {100, 2147483647, 100, 2147483647}, 100, 100},
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        PGAutoSize(c.ImageW, c.ImageH, 2, c.Limits, {16, 16}, w, h);
        EXPECT_EQ(w, c.W);
        EXPECT_EQ(h, c.H);
    }
}

TEST(Coordinates, MapTruncatesAndGuardsZero) {
    EXPECT_EQ(PGMapCoordinate(5, 10, 0), 0);
    EXPECT_EQ(PGMapCoordinate(5, 10, -3), 0);
    EXPECT_EQ(PGMapCoordinate(7, 3, 2), 10);
    EXPECT_EQ(PGMapCoordinate(-7, 3, 2), -10);              // toward zero
    EXPECT_EQ(PGMapCoordinate(60000, 60000, 7), 514285714); // no 32-bit overflow
}

TEST(Tiles, RangeAroundTheBox) {
    const TPGRect box{10, 10, 30, 30};
    const TPGTileRange r = PGTileRange(tRepeat, box, 100, 60);
    EXPECT_EQ(r.I0, -1);
    EXPECT_EQ(r.I1, 4);
    EXPECT_EQ(r.J0, -1);
    EXPECT_EQ(r.J1, 2);
    EXPECT_EQ(PGTileRect(box, -1, 2), (TPGRect{-10, 50, 10, 70}));
    const TPGTileRange none = PGTileRange(tNone, box, 100, 60);
    EXPECT_EQ(none.I0 | none.I1 | none.J0 | none.J1, 0);
    // A box without size has no tiles instead of a division by zero.
    const TPGTileRange empty = PGTileRange(tMirror, {5, 5, 5, 5}, 100, 60);
    EXPECT_EQ(empty.I0 | empty.I1 | empty.J0 | empty.J1, 0);
}

TEST(Tiles, MirroringOfOddTilesAndFlips) {
    EXPECT_FALSE(PGTileMirrorX(tRepeat, false, 1));
    EXPECT_TRUE(PGTileMirrorX(tMirrorHorizontal, false, -1));
    EXPECT_FALSE(PGTileMirrorX(tMirrorVertical, false, 1));
    EXPECT_TRUE(PGTileMirrorX(tMirror, false, 3));
    EXPECT_FALSE(PGTileMirrorX(tMirror, true, 3)); // both: back to upright
    EXPECT_TRUE(PGTileMirrorX(tNone, true, 0));
    EXPECT_TRUE(PGTileMirrorY(tMirrorVertical, false, -3));
    EXPECT_FALSE(PGTileMirrorY(tMirrorHorizontal, false, 1));
    EXPECT_TRUE(PGTileMirrorY(tMirror, true, 2));
}

TEST(Clocks, PositionsAndHands) {
    using P = std::vector<std::array<int, 2>>;
    EXPECT_EQ(PGClockPositions({0, 0, 100, 100}, true), (P{{43, 43}}));
    EXPECT_EQ(PGClockPositions({10, 0, 111, 101}, true),
              (P{{53, 43}, {15, 5}, {91, 5}, {15, 81}, {91, 81}}));
    EXPECT_EQ(PGClockPositions({10, 0, 111, 101}, false), (P{{53, 43}}));
    EXPECT_TRUE(PGClockPositions({0, 0, 20, 50}, true).empty());

    TPGClockHands h = PGClockHands(100, 200, 1, 25); // a quarter: minute hand at three
    EXPECT_EQ(h.CenterX, 107);
    EXPECT_EQ(h.CenterY, 207);
    EXPECT_EQ(h.MinuteX, 114);
    EXPECT_EQ(h.MinuteY, 207);
    EXPECT_EQ(h.HourX, 108);
    EXPECT_EQ(h.HourY, 201);
    h = PGClockHands(0, 0, 2, 0); // second stage: hour hand at one o'clock
    EXPECT_EQ(h.HourX, 10);
    EXPECT_EQ(h.HourY, 2);
    EXPECT_EQ(h.MinuteX, 7);
    EXPECT_EQ(h.MinuteY, 0);
}

TEST(Selection, HandlesAroundTheFrame) {
    const TPGRect s{20, 20, 40, 30};
    const auto handles = PGHandleRects(s);
    EXPECT_EQ(handles[0], (TPGRect{12, 12, 17, 17}));
    EXPECT_EQ(handles[1], (TPGRect{28, 12, 33, 17}));
    EXPECT_EQ(handles[4], (TPGRect{43, 23, 48, 28}));
    EXPECT_EQ(handles[7], (TPGRect{43, 33, 48, 38}));
    EXPECT_EQ(PGHandleAt(s, 12, 12), 0);
    EXPECT_EQ(PGHandleAt(s, 16, 16), 0);
    EXPECT_EQ(PGHandleAt(s, 17, 17), -1); // half-open
    EXPECT_EQ(PGHandleAt(s, 30, 14), 1);
    EXPECT_EQ(PGHandleAt(s, 14, 26), 3);
    EXPECT_EQ(PGHandleAt(s, 45, 35), 7);
    EXPECT_EQ(PGHandleAt(s, 30, 25), -1);
}

TEST(Selection, AntsStripesAndPhase) {
    EXPECT_FALSE(PGAntsSecondColor(0, 0, 0));
    EXPECT_FALSE(PGAntsSecondColor(0, 3, 0));
    EXPECT_TRUE(PGAntsSecondColor(0, 4, 0));
    EXPECT_TRUE(PGAntsSecondColor(0, 7, 7));
    EXPECT_FALSE(PGAntsSecondColor(0, 0, 8)); // period 8 along the diagonal
    EXPECT_TRUE(PGAntsSecondColor(1, 5, 0));
    EXPECT_FALSE(PGAntsSecondColor(1, 4, 0)); // the stripes move with the brush
    EXPECT_EQ(PGAntsBrush(7, 1, 0), 0);
    EXPECT_EQ(PGAntsBrush(0, -3, 0), 5);
}
