// Free rotation: the cropped sizes, requested sizes, the direction of turn, and the checks.

#include "raw_dib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TRotated {
    int32_t Err = 1;
    TAnswer Answer;
};

TRotated rotate(const TRawDib& in, int32_t angle, int32_t height = 0, int32_t width = 0) {
    TBlock block(in.Bytes);
    TRotated r;
    r.Answer = Take(VuxRotateImage(block.Get(), angle, height, width, &r.Err));
    EXPECT_EQ(block.Bytes(), in.Bytes) << "the input changed";
    if (r.Answer) {
        EXPECT_TRUE(r.Answer.Unlocked);
    }
    return r;
}

TRawDib grey(int width, int height) {
    TRawDib dib(width, height, 24);
    for (int y = 0; y < (height < 0 ? -height : height); ++y)
        for (int x = 0; x < width; ++x) dib.Set(x, y, 0x808080);
    return dib;
}

TEST(FreeRotation, CroppedSizes) {
    const struct {
        int W, H, Angle, OutW, OutH;
    } cases[] = {
        {1000, 100, 300, 100, 58}, {100, 1000, 300, 58, 100}, {1000, 100, -300, 100, 58},
        {200, 150, 0, 200, 150},   {64, 64, 450, 45, 45},     {64, 64, -450, 45, 45},
        {1000, 100, 450, 71, 71},
    };
    for (const auto& c : cases) {
        TRotated r = rotate(grey(c.W, c.H), c.Angle);
        ASSERT_EQ(r.Err, 0) << c.W << " x " << c.H << " at " << c.Angle;
        EXPECT_EQ(r.Answer.Header().biWidth, c.OutW) << c.W << " x " << c.H << " at " << c.Angle;
        EXPECT_EQ(r.Answer.Header().biHeight, c.OutH) << c.W << " x " << c.H << " at " << c.Angle;
    }
}

TEST(FreeRotation, RequestedSizes) {
    const struct {
        int Height, Width, OutW, OutH;
    } cases[] = {
        {0, 500, 500, 290}, // 58 x 500 / 100
        {29, 0, 50, 29},
        {40, 30, 30, 40},
    };
    for (const auto& c : cases) {
        TRotated r = rotate(grey(1000, 100), 300, c.Height, c.Width);
        ASSERT_EQ(r.Err, 0);
        EXPECT_EQ(r.Answer.Header().biWidth, c.OutW);
        EXPECT_EQ(r.Answer.Header().biHeight, c.OutH);
    }
}

TEST(FreeRotation, KeepsTheSignOfTheHeightAndTheGrey) {
    for (int h : {40, -40}) {
        TRotated r = rotate(grey(60, h), 100);
        ASSERT_EQ(r.Err, 0);
        EXPECT_GT(r.Answer.Header().biHeight * h, 0) << "the sign of the height is kept";
        // Inside, every output pixel averages grey only; the outermost ones may touch a
        // sliver of the black outside the turned picture.
        const TRawDib out = AsDib(r.Answer);
        const int rows = std::abs(out.Height);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < out.Width; ++x) {
                const bool edge = x == 0 || y == 0 || x == out.Width - 1 || y == rows - 1;
                EXPECT_NEAR(int(out.Get(x, y) & 0xFF), 128, edge ? 8 : 0) << x << "," << y;
            }
    }
}

TEST(FreeRotation, PositiveAnglesTurnClockwise) {
    // A black picture whose top half is white: turned clockwise, the border between them rises
    // to the left, so just above the middle the left is black and the right white.
    TRawDib in(200, 200, 24);
    for (int y = 100; y < 200; ++y)
        for (int x = 0; x < 200; ++x) in.Set(x, y, 0xFFFFFF);
    TRotated r = rotate(in, 200);
    ASSERT_EQ(r.Err, 0);
    const TRawDib out = AsDib(r.Answer);
    const int top = out.Height - 1 - out.Height / 2 + 20; // a stored row just above the middle
    EXPECT_LT(out.Get(5, top) & 0xFF, 50u) << "left";
    EXPECT_GT(out.Get(out.Width - 6, top) & 0xFF, 200u) << "right";
}

TEST(FreeRotation, ChecksInOrder) {
    struct Case {
        std::string Name;
        int Width, Height, Bits;
        uint32_t HeaderSize;
        int32_t Angle, OutHeight, OutWidth;
        int32_t Expected;
    } cases[] = {
        {"zero height", 4, 0, 24, 40, 0, 0, 0, -1020},
        {"8 bits", 4, 4, 8, 40, 0, 0, 0, -7079},
        {"a longer header", 4, 4, 24, 44, 0, 0, 0, -1009},
        {"angle 451", 4, 4, 24, 40, 451, 0, 0, -1016},
        {"angle -451", 4, 4, 24, 40, -451, 0, 0, -1016},
        {"a negative request", 40, 40, 24, 40, 100, -1, 0, -1020},
        {"nothing left of a tiny picture", 1, 1, 24, 40, 300, 0, 0, -1020},
        {"a result past 2^31 bytes", 40, 40, 24, 40, 0, 1 << 20, 1 << 20, -2004},
    };
    for (const Case& c : cases) {
        TRawDib in(c.Width, c.Height, c.Bits);
        in.Header()->biSize = c.HeaderSize;
        in.Bytes.resize(in.Bytes.size() + 4);
        TBlock block(in.Bytes);
        int32_t err = 1;
        EXPECT_EQ(VuxRotateImage(block.Get(), c.Angle, c.OutHeight, c.OutWidth, &err), nullptr)
            << c.Name;
        EXPECT_EQ(err, c.Expected) << c.Name;
    }
}

} // namespace
