// Quarter turns and flips: the moves by hand on a small picture, identities at every depth, the
// header of a turned picture, the mode bits and the checks.

#include "raw_dib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Pixel values 1..6 of a 3 x 2 picture, by stored row (the bottom row first).
TRawDib numbered(int bits) {
    TRawDib dib(3, 2, bits);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            dib.Set(x, y, uint32_t(1 + x + 3 * y) * (bits == 24 ? 0x010203u : 1u));
    return dib;
}

TRawDib turned(const TRawDib& in, int32_t mode, int32_t expected = 0) {
    TBlock block(in.Bytes);
    int32_t err = 1;
    TAnswer a = Take(VuxRotateDib(block.Get(), mode, &err));
    EXPECT_EQ(err, expected) << "mode " << mode;
    EXPECT_EQ(block.Bytes(), in.Bytes) << "the input changed";
    if (a) {
        EXPECT_TRUE(a.Unlocked);
    }
    return a ? AsDib(a) : TRawDib(1, 1, 8);
}

// The result's values by stored row, as 1..6 again.
std::vector<std::vector<uint32_t>> rowsOf(const TRawDib& dib) {
    std::vector<std::vector<uint32_t>> rows(size_t(dib.Height));
    const uint32_t unit = dib.Bits == 24 ? 0x010203u : 1u;
    for (int y = 0; y < dib.Height; ++y)
        for (int x = 0; x < dib.Width; ++x) rows[size_t(y)].push_back(dib.Get(x, y) / unit);
    return rows;
}

using Rows = std::vector<std::vector<uint32_t>>;

TEST(QuarterTurns, MovesEachPixelWhereTheModeSays) {
    // Stored rows of the 3 x 2 source: {1, 2, 3} then {4, 5, 6}.
    const struct {
        int32_t Mode;
        Rows Expected;
    } cases[] = {
        {0, {{1, 2, 3}, {4, 5, 6}}},   {1, {{4, 5, 6}, {1, 2, 3}}},   {2, {{3, 6}, {2, 5}, {1, 4}}},
        {3, {{1, 4}, {2, 5}, {3, 6}}}, {4, {{6, 5, 4}, {3, 2, 1}}},   {5, {{3, 2, 1}, {6, 5, 4}}},
        {6, {{4, 1}, {5, 2}, {6, 3}}}, {7, {{6, 3}, {5, 2}, {4, 1}}},
    };
    for (int bits : {4, 8, 16, 24})
        for (const auto& c : cases)
            EXPECT_EQ(rowsOf(turned(numbered(bits), c.Mode)), c.Expected)
                << bits << " bits, mode " << c.Mode;
}

TEST(QuarterTurns, InverseTurnsGiveThePictureBack) {
    for (int bits : {4, 8, 16, 24}) {
        // Odd sides, so nibbles and row padding fall differently after the turn.
        TRawDib in(7, 5, bits);
        in.Header()->biSizeImage = uint32_t(in.Stride() * 5); // a turn writes its own
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                in.Set(x, y,
                       uint32_t(x * 5 + y * 3 + 1) * 0x1F3u %
                           (bits == 4   ? 16u
                            : bits == 8 ? 256u
                                        : 65536u));
        EXPECT_EQ(turned(turned(in, 2), 6).Bytes, in.Bytes) << bits << " bits: 2 then 6";
        EXPECT_EQ(turned(turned(in, 1), 1).Bytes, in.Bytes) << bits << " bits: 1 twice";
        EXPECT_EQ(turned(turned(in, 4), 4).Bytes, in.Bytes) << bits << " bits: 4 twice";
        EXPECT_EQ(turned(in, 4).Get(3, 2), in.Get(3, 2)) << bits << " bits: the centre stays";
    }
}

TEST(QuarterTurns, TurnedHeaderSwapsTheSides) {
    TRawDib in(5, 3, 8, 4);
    for (int i = 0; i < 16; ++i) in.Bytes[40 + size_t(i)] = uint8_t(i + 1);
    TRawDib out = turned(in, 2);
    EXPECT_EQ(out.Header()->biWidth, 3);
    EXPECT_EQ(out.Header()->biHeight, 5);
    EXPECT_EQ(out.Header()->biSizeImage, 4u * 5);
    EXPECT_EQ(out.Header()->biXPelsPerMeter, 2835) << "the resolution is copied as it is";
    EXPECT_EQ(out.Bytes.size(), 40 + 16 + 4u * 5);
    EXPECT_TRUE(std::equal(in.Bytes.begin() + 40, in.Bytes.begin() + 56, out.Bytes.begin() + 40))
        << "the colour table is copied";
}

TEST(QuarterTurns, SidesPast16BitsAreCountedWhole) {
    // 40000 columns were once counted in 16 bits, and the turned picture came out mangled.
    TRawDib in(40000, 2, 8);
    for (int x = 0; x < 40000; ++x) {
        in.Set(x, 0, uint32_t(x % 251));
        in.Set(x, 1, uint32_t(x % 241));
    }
    const TRawDib out = turned(in, 2);
    ASSERT_EQ(out.Width, 2);
    ASSERT_EQ(out.Height, 40000);
    for (int x : {0, 1, 32767, 32768, 39999}) {
        EXPECT_EQ(out.Get(0, 39999 - x), in.Get(x, 0)) << x;
        EXPECT_EQ(out.Get(1, 39999 - x), in.Get(x, 1)) << x;
    }
}

TEST(QuarterTurns, OnlyTheLowBitsOfTheModeCount) {
    const TRawDib in = numbered(8);
    const TRawDib two = turned(in, 2);
    for (int32_t mode : {0x10002, 0x7FFF0002, 2 | 8, 2 | 0x8000, int32_t(0xFFFF0002)})
        EXPECT_EQ(turned(in, mode).Bytes, two.Bytes) << std::hex << mode;
}

TEST(QuarterTurns, ChecksInOrder) {
    struct Case {
        std::string Name;
        int Width, Height, Bits;
        long Slack;
        int32_t Expected;
    } cases[] = {
        {"top-down", 3, -2, 8, 0, -1008},
        {"zero width", 0, 2, 8, 0, -1008},
        {"1 bit", 3, 2, 1, 0, -1008},
        {"32 bits", 3, 2, 32, 0, -1008},
        {"block one byte short", 3, 2, 24, -1, -2007},
        {"a header of 12 bytes", 3, 2, 24, 0, -2007},
    };
    for (const Case& c : cases) {
        TRawDib in(c.Width, c.Height, c.Bits);
        if (c.Name == "a header of 12 bytes") in.Header()->biSize = 12;
        TBlock block(in.Bytes, size_t(long(in.Bytes.size()) + c.Slack));
        int32_t err = 1;
        EXPECT_EQ(VuxRotateDib(block.Get(), 2, &err), nullptr) << c.Name;
        EXPECT_EQ(err, c.Expected) << c.Name;
    }
    int32_t err = 1;
    EXPECT_EQ(VuxRotateDib(nullptr, 2, &err), nullptr);
    EXPECT_EQ(err, -2007);
}

} // namespace
