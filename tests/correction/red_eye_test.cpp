// What red-eye correction changes, on pictures drawn in code.

#include "test_dib.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

constexpr TRgb Grey{100, 100, 100};
// Red enough to be corrected inside the box (excess 100) but below the region's threshold, so
// it marks the box's extent without joining the region.
constexpr TRgb Probe{200, 100, 100};
constexpr TRgb ProbeCorrected{155, 100, 100};

int32_t fix(TTestDib& dib, int left, int top, int right, int bottom, int level = 2,
            int method = 2) {
    return pVuxFixRedEye2(dib.Header(), left, top, right, bottom, level, method);
}

int32_t fixAll(TTestDib& dib, int level = 2, int method = 2) {
    return fix(dib, 0, 0, dib.Width(), dib.Height(), level, method);
}

TEST(RedEye, SingleRedPixelIsCorrectedInsideItsFiveByThreeBox) {
    TTestDib dib(11, 9, Grey);
    const int cx = 5, cy = 4;
    dib.Set(cx, cy, {255, 10, 0});
    // Box: columns cx-2..cx+2, rows cy-1..cy+1; each probe just inside or just outside it.
    const struct {
        int Dx, Dy;
        bool Inside;
    } probes[] = {{-2, 0, true},  {2, 0, true}, {-3, 0, false}, {3, 0, false},
                  {0, -1, true},  {0, 1, true}, {0, -2, false}, {0, 2, false},
                  {-2, -1, true}, {2, 1, true}, {-3, 1, false}, {2, 2, false}};
    for (const auto& p : probes) dib.Set(cx + p.Dx, cy + p.Dy, Probe);
    ASSERT_EQ(fixAll(dib), 0);
    EXPECT_EQ(dib.At(cx, cy), (TRgb{51, 3, 0}));
    for (const auto& p : probes)
        EXPECT_EQ(dib.At(cx + p.Dx, cy + p.Dy), p.Inside ? ProbeCorrected : Probe)
            << "probe at " << p.Dx << ", " << p.Dy;
    EXPECT_EQ(dib.At(cx - 1, cy), Grey);
}

TEST(RedEye, PicturesThatStayUnchanged) {
    const struct {
        std::string Name;
        TRgb Fill;
        TRgb Spot; // at the centre
        int Right, Bottom;
    } cases[] = {
        {"black: treated, but no pixel is redder than its other channels",
         {0, 0, 0},
         {0, 0, 0},
         7,
         7},
        {"nothing 1.3 times redder than its other channels", Grey, {129, 100, 99}, 7, 7},
        {"red without green or blue", {200, 0, 0}, {255, 0, 0}, 7, 7},
        {"empty rectangle, width 0", Grey, {255, 10, 0}, 0, 7},
        {"empty rectangle, height 0", Grey, {255, 10, 0}, 7, 0},
    };
    for (const auto& c : cases) {
        TTestDib dib(7, 7, c.Fill);
        dib.Set(3, 3, c.Spot);
        const TTestDib before = dib;
        EXPECT_EQ(fix(dib, 0, 0, c.Right, c.Bottom), 0) << c.Name;
        EXPECT_EQ(dib.Bytes(), before.Bytes()) << c.Name;
    }
}

TEST(RedEye, RatioJustAboveTheLimitIsCorrected) {
    TTestDib dib(7, 7, Grey);
    dib.Set(3, 3, {131, 100, 99}); // 1.31
    ASSERT_EQ(fixAll(dib, 2, 0), 0);
    EXPECT_NE(dib.At(3, 3), (TRgb{131, 100, 99}));
}

TEST(RedEye, SeedIsSearchedFromTheRectanglesBottomRow) {
    // Two equally red pixels far apart: the one in the lower row is the seed, so only it is
    // in the region and corrected.
    TTestDib dib(9, 21, Grey);
    dib.Set(4, 2, {255, 10, 0});
    dib.Set(4, 18, {255, 10, 0});
    ASSERT_EQ(fixAll(dib), 0);
    EXPECT_EQ(dib.At(4, 2), (TRgb{255, 10, 0}));
    EXPECT_EQ(dib.At(4, 18), (TRgb{51, 3, 0}));
}

TEST(RedEye, RegionFollowsTheRoundedMeanOfItsCloseColours) {
    // A column of red whose green rises from the seed upwards. The pixel with green 78 joins
    // only against the rounded mean of the close pixels (26); against the seed (10) or the
    // truncated mean (18) it is too far. A five-row region gets a two-row margin, so rows 5
    // and 6 are corrected; a four-row region would leave row 5.
    const int greens[] = {10, 27, 41, 60, 78, 100, 120, 140, 160};
    TTestDib dib(11, 24, Grey);
    const int seedY = 20;
    for (int k = 0; k < 9; ++k) dib.Set(5, seedY - k, {250, uint8_t(greens[k]), 0});
    ASSERT_EQ(fixAll(dib), 0);
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(dib.At(5, seedY - k).R != 250, k <= 6) << "row " << k << " of the column";
}

// The drawn eye's pupil, ring and skin after each method.
TEST(RedEye, MethodsOnADrawnEye) {
    const int size = 42, centre = 20;
    const struct {
        int Method;
        bool SkinAtEdgeChanged; // the whole rectangle is treated only without a search
    } cases[] = {{0, true}, {1, false}, {2, false}};
    for (const auto& c : cases) {
        TTestDib dib = DrawnEye(size);
        ASSERT_EQ(fixAll(dib, 2, c.Method), 0);
        EXPECT_EQ(dib.At(centre, centre), (TRgb{64, 33, 30})) << "method " << c.Method;
        EXPECT_EQ(dib.At(centre, centre - 8), White) << "method " << c.Method;
        EXPECT_EQ(dib.At(0, 0), Skin) << "method " << c.Method;
        EXPECT_EQ(dib.At(0, centre) != Skin, c.SkinAtEdgeChanged) << "method " << c.Method;
    }
}

TEST(RedEye, OutOfRangeLevelsAndMethodsActAsTheNearestOnes) {
    const struct {
        int Level, Method, SameLevel, SameMethod;
    } cases[] = {{-5, 2, 0, 2}, {9, 2, 2, 2}, {1, 7, 1, 1}, {2, -3, 2, 1}};
    for (const auto& c : cases) {
        TTestDib given = DrawnEye(30), same = DrawnEye(30);
        ASSERT_EQ(fixAll(given, c.Level, c.Method), 0);
        ASSERT_EQ(fixAll(same, c.SameLevel, c.SameMethod), 0);
        EXPECT_EQ(given.Bytes(), same.Bytes()) << c.Level << ", " << c.Method;
    }
}

TEST(RedEye, EachLevelUsesItsTablesForGreenAndBlueDominantPixels) {
    // Without a search the 3 x 1 picture is all masked; against the reddest excess 245 both
    // pixels below sit at table position 8, their other channel at position 3.
    const struct {
        int Level;
        TRgb GreenDominant, BlueDominant;
    } cases[] = {{2, {155, 100, 100}, {131, 50, 90}},
                 {1, {167, 100, 100}, {132, 50, 95}},
                 {0, {185, 100, 100}, {150, 50, 97}}};
    for (const auto& c : cases) {
        TTestDib dib(3, 1, {255, 10, 0});
        dib.Set(1, 0, {200, 100, 100});
        dib.Set(2, 0, {200, 50, 100});
        ASSERT_EQ(fixAll(dib, c.Level, 0), 0);
        EXPECT_EQ(dib.At(1, 0), c.GreenDominant) << "level " << c.Level;
        EXPECT_EQ(dib.At(2, 0), c.BlueDominant) << "level " << c.Level;
    }
}

TEST(RedEye, CallsKeepNoState) {
    TTestDib first = DrawnEye(30), again = DrawnEye(30), other(9, 9, {255, 10, 0});
    ASSERT_EQ(fixAll(first), 0);
    ASSERT_EQ(fixAll(other, 0, 1), 0);
    ASSERT_EQ(fixAll(again), 0);
    EXPECT_EQ(first.Bytes(), again.Bytes());
}

TEST(RedEye, TopDownHeaderIsReadAsBottomUp) {
    TTestDib up = DrawnEye(30), down = DrawnEye(30);
    down.Header()->biHeight = -30;
    ASSERT_EQ(fix(up, 3, 2, 25, 20), 0);
    ASSERT_EQ(fix(down, 3, 2, 25, 20), 0);
    down.Header()->biHeight = 30;
    EXPECT_EQ(up.Bytes(), down.Bytes());
}

} // namespace
