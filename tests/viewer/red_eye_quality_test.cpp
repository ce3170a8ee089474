// The built correction library through the binding, on the photo-like face that
// scripts/fixtures/redeye.sh draws: eyes centred at (56, 46) and (104, 46), pupil radius 5,
// catchlights 2 pixels up and right of the centres.

#include "red_eye.h"
#include "scripted_prompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct TEye {
    int X, Y;
};
constexpr TEye Eyes[2] = {{56, 46}, {104, 46}};
constexpr double PupilRadius = 5;
constexpr TPGRect BothEyes{38, 35, 123, 58};

int excessRed(uint32_t c) {
    return PGRed(c) - std::max(PGGreen(c), PGBlue(c));
}

double nearestEye(int x, int y) {
    double nearest = 1e9;
    for (const TEye& e : Eyes) nearest = std::min(nearest, std::hypot(x - e.X, y - e.Y));
    return nearest;
}

double meanPupilExcess(const TPixelGraphic& image, const TEye& eye) {
    double sum = 0;
    int count = 0;
    for (int y = eye.Y - 5; y <= eye.Y + 5; ++y)
        for (int x = eye.X - 5; x <= eye.X + 5; ++x)
            if (std::hypot(x - eye.X, y - eye.Y) <= PupilRadius - 1) {
                sum += excessRed(image.GetPixelColor(x, y));
                ++count;
            }
    return sum / count;
}

class RedEyeQuality : public ::testing::Test {
protected:
    void SetUp() override {
        ReleaseRedEyeLibrary();
        SetRedEyeLibraryPath(CLAREND_LIBRARY);
        Before.LoadFromFile(std::string(GLIMMET_TEST_DATA) + "/redeye/face.bmp");
        ASSERT_EQ(Before.PixelFormat(), pf24Bit);
        ASSERT_TRUE(RemoveRedEye(Before, BothEyes, After, Prompter));
        EXPECT_TRUE(Prompter.Shown().empty());
    }
    void TearDown() override {
        ReleaseRedEyeLibrary();
        SetRedEyeLibraryPath({});
    }

    TPixelGraphic Before, After;
    TScriptedPrompter Prompter;
};

TEST_F(RedEyeQuality, PupilsLoseMostOfTheirRed) {
    for (const TEye& eye : Eyes) {
        const double before = meanPupilExcess(Before, eye), after = meanPupilExcess(After, eye);
        EXPECT_GT(before, 120) << "the drawn pupil at " << eye.X;
        // Measured: from 133 and 134 to 32 and 32.
        EXPECT_LT(after, 0.3 * before) << "pupil at " << eye.X;
    }
}

TEST_F(RedEyeQuality, CatchlightsAndWhitesStay) {
    for (const TEye& eye : Eyes) {
        EXPECT_EQ(After.GetPixelColor(eye.X + 2, eye.Y - 2),
                  Before.GetPixelColor(eye.X + 2, eye.Y - 2))
            << "catchlight of the eye at " << eye.X;
        // The noise leaves some whites a little red; they may lose a level of it.
        for (int dx : {-12, -11, -10, 10, 11, 12}) {
            const uint32_t before = Before.GetPixelColor(eye.X + dx, eye.Y),
                           after = After.GetPixelColor(eye.X + dx, eye.Y);
            EXPECT_LE(std::abs(PGRed(after) - PGRed(before)), 2) << eye.X << ", " << dx;
            EXPECT_EQ(PGGreen(after), PGGreen(before)) << eye.X << ", " << dx;
            EXPECT_EQ(PGBlue(after), PGBlue(before)) << eye.X << ", " << dx;
        }
    }
}

TEST_F(RedEyeQuality, NothingChangesFarFromThePupils) {
    ASSERT_EQ(After.Width(), Before.Width());
    ASSERT_EQ(After.Height(), Before.Height());
    int changed = 0;
    for (int y = 0; y < Before.Height(); ++y)
        for (int x = 0; x < Before.Width(); ++x) {
            if (After.GetPixelColor(x, y) == Before.GetPixelColor(x, y)) continue;
            ++changed;
            EXPECT_TRUE(BothEyes.Contains(x, y)) << x << ", " << y << " is outside the selection";
            EXPECT_LE(nearestEye(x, y), 2.5 * PupilRadius) << x << ", " << y;
        }
    EXPECT_GT(changed, 400); // measured: 540
}

} // namespace
