// Streak removal on drawn scans: light columns, one-channel streaks, narrow pictures, checks.

#include "raw_dib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A grey scan whose texture runs along the rows, so no column stands out of its neighbours.
TRawDib scan(int width, int height) {
    TRawDib dib(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t v = 100 + uint32_t(y * 3 % 5);
            dib.Set(x, y, v | v << 8 | v << 16);
        }
    return dib;
}

int channel(uint32_t pixel, int c) {
    return int(pixel >> (8 * c) & 0xFF);
}

TRawDib destreak(const TRawDib& in, int flags, int32_t expected = 0) {
    TBlock block(in.Bytes);
    int32_t err = 1;
    TAnswer a = Take(VuxDestreakImage(block.Get(), flags, &err));
    EXPECT_EQ(err, expected);
    EXPECT_EQ(block.Bytes(), in.Bytes) << "the input changed";
    EXPECT_TRUE(a.Unlocked);
    return AsDib(a);
}

void shiftColumn(TRawDib& dib, int x, int delta, int channels = 7) {
    for (int y = 0; y < dib.Height; ++y) {
        uint32_t p = dib.Get(x, y);
        for (int c = 0; c < 3; ++c)
            if (channels >> c & 1) {
                const int v = channel(p, c) + delta;
                p = (p & ~(0xFFu << (8 * c))) | uint32_t(v) << (8 * c);
            }
        dib.Set(x, y, p);
    }
}

TEST(Destreak, FlagsNineIsAPlainCopy) {
    TRawDib in = scan(30, 6);
    shiftColumn(in, 12, 40);
    EXPECT_EQ(destreak(in, 9).Bytes, in.Bytes);
}

TEST(Destreak, LightColumnIsReplacedAndDarkOneStays) {
    for (int flags : {0, 1}) {
        TRawDib in = scan(30, 6);
        shiftColumn(in, 12, 40);
        TRawDib out = destreak(in, flags);
        for (int y = 0; y < 6; ++y)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(channel(out.Get(12, y), c),
                          (channel(in.Get(10, y), c) + channel(in.Get(14, y), c)) / 2)
                    << "flags " << flags << " row " << y;
        for (int x : {0, 5, 10, 11, 13, 14, 29})
            for (int y = 0; y < 6; ++y)
                EXPECT_EQ(out.Get(x, y), in.Get(x, y)) << "flags " << flags << " column " << x;
        TRawDib dark = scan(30, 6);
        shiftColumn(dark, 12, -40);
        EXPECT_EQ(destreak(dark, flags).Bytes, dark.Bytes)
            << "flags " << flags << ": the dark column and the columns beside it stay";
    }
}

TEST(Destreak, OneChannelStreakIsMendedInThatChannelOnly) {
    for (int c : {0, 1, 2})
        for (int flags : {8, 10, 12}) {
            TRawDib in = scan(60, 8);
            shiftColumn(in, 30, 40, 1 << c);
            TRawDib out = destreak(in, flags);
            for (int y = 0; y < 8; ++y) {
                const uint32_t before = in.Get(30, y), after = out.Get(30, y);
                EXPECT_NEAR(channel(after, c), channel(in.Get(29, y), c), 4)
                    << "channel " << c << " flags " << flags << " row " << y;
                for (int other = 0; other < 3; ++other)
                    if (other != c) {
                        EXPECT_EQ(channel(after, other), channel(before, other));
                    }
            }
            for (int x : {0, 28, 29, 31, 32, 59})
                EXPECT_EQ(out.Get(x, 3), in.Get(x, 3)) << "column " << x;
        }
}

TEST(Destreak, NarrowPicturesSkipWhatDoesNotFit) {
    // Windows of 11, 21 and 41 columns, and the brightness pass's 5.
    const struct {
        int Width, Flags;
    } cases[] = {{10, 10}, {20, 12}, {40, 8}, {4, 1}, {1, 0}, {3, 0}};
    for (const auto& c : cases) {
        TRawDib in = scan(c.Width, 5);
        shiftColumn(in, c.Width / 2, 60, 4);
        EXPECT_EQ(destreak(in, c.Flags).Bytes, in.Bytes) << c.Width;
    }
}

TEST(Destreak, ChecksInOrder) {
    struct Case {
        std::string Name;
        int Width, Height, Bits;
        uint32_t HeaderSize;
        int32_t Expected;
    } cases[] = {
        {"zero width", 0, 2, 24, 40, -1020},
        {"8 bits", 3, 2, 8, 40, -7079},
        {"a longer header", 3, 2, 24, 44, -1009},
    };
    for (const Case& c : cases) {
        TRawDib in(c.Width, c.Height, c.Bits);
        in.Header()->biSize = c.HeaderSize;
        in.Bytes.resize(in.Bytes.size() + 4);
        TBlock block(in.Bytes);
        int32_t err = 1;
        EXPECT_EQ(VuxDestreakImage(block.Get(), 0, &err), nullptr) << c.Name;
        EXPECT_EQ(err, c.Expected) << c.Name;
    }
    TRawDib in = scan(8, 4);
    TBlock shortBlock(in.Bytes, in.Bytes.size() - 1);
    int32_t err = 1;
    EXPECT_EQ(VuxDestreakImage(shortBlock.Get(), 0, &err), nullptr);
    EXPECT_EQ(err, -2007);
}

} // namespace
