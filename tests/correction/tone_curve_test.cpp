// Brightness, contrast and gamma: the curve's landmarks, indexed pictures and the checks.

#include "raw_dib.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

// A 256 x 1 grey ramp: pixel i holds level i in every channel.
TRawDib ramp() {
    TRawDib dib(256, 1, 24);
    for (int i = 0; i < 256; ++i) dib.Set(i, 0, uint32_t(i) * 0x010101u);
    return dib;
}

int levelAt(const TRawDib& dib, int x) {
    return int(dib.Get(x, 0) & 0xFF);
}

TRawDib curve(int brightness, int contrast, double gamma) {
    TRawDib in = ramp();
    TBlock block(in.Bytes);
    int32_t err = 1;
    TAnswer a = Take(VuxBrightContrastGamma(block.Get(), brightness, contrast, gamma, &err));
    EXPECT_EQ(err, 0);
    EXPECT_TRUE(a.Unlocked);
    EXPECT_EQ(block.Bytes(), in.Bytes) << "the input changed";
    return AsDib(a);
}

TEST(ToneCurve, NeutralSettingsGiveAnIdenticalCopy) {
    EXPECT_EQ(curve(0, 0, 1.0).Bytes, ramp().Bytes);
}

TEST(ToneCurve, LandmarksOfTheCurve) {
    // Brightness 100 puts the mid-tone at white; contrast 100 steepens it to a slope of 10.
    const TRawDib bright = curve(100, 0, 1.0);
    EXPECT_EQ(levelAt(bright, 128), 255);
    EXPECT_EQ(levelAt(bright, 0), 0);
    const TRawDib steep = curve(0, 100, 1.0);
    EXPECT_NEAR(levelAt(steep, 128) - levelAt(steep, 127), 10, 1);
    EXPECT_NEAR(levelAt(steep, 127) + levelAt(steep, 128), 255, 1) << "about the mid-tone";
    EXPECT_EQ(levelAt(steep, 255), 255);
    // Out-of-range settings are limited, not refused.
    EXPECT_EQ(curve(500, 0, 1.0).Bytes, bright.Bytes);
}

TEST(ToneCurve, GammaAloneIsAPowerCurve) {
    for (double gamma : {0.5, 2.0, 0.1, 10.0}) {
        const TRawDib out = curve(0, 0, gamma);
        for (int i : {0, 1, 64, 128, 200, 255})
            EXPECT_EQ(levelAt(out, i), int(std::pow(i / 255.0, gamma) * 255 + 0.5))
                << "gamma " << gamma << " level " << i;
    }
    EXPECT_EQ(curve(0, 0, 50.0).Bytes, curve(0, 0, 10.0).Bytes) << "gamma is limited to 10";
}

TEST(ToneCurve, IndexedPicturesChangeTheirTableOnly) {
    for (int bits : {4, 8}) {
        TRawDib in(5, 3, bits);
        const int entries = bits == 4 ? 16 : 256;
        for (int e = 0; e < entries; ++e)
            std::memcpy(in.Bytes.data() + 40 + 4 * e,
                        std::array<uint8_t, 4>{uint8_t(e), 128, 255, 7}.data(), 4);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) in.Set(x, y, uint32_t(x + y) % uint32_t(entries));
        TBlock block(in.Bytes);
        TRawDib out = AsDib(Take(VuxBrightContrastGamma(block.Get(), 100, 0, 1.0, nullptr)));
        const uint8_t* entry = out.Bytes.data() + 40 + 4;
        EXPECT_EQ(entry[1], 255) << "mid-tone green of entry 1 turns white";
        EXPECT_EQ(entry[3], 7) << "the fourth byte is kept";
        EXPECT_TRUE(std::equal(in.Bytes.begin() + long(in.Offset()), in.Bytes.end(),
                               out.Bytes.begin() + long(out.Offset())))
            << bits << " bits: the indices changed";
    }
}

TEST(ToneCurve, ChecksInOrder) {
    struct Case {
        std::string Name;
        int Width, Height, Bits;
        long Slack; // block bytes past (or short of) the DIB
        int32_t Expected;
    } cases[] = {
        {"zero width", 0, 2, 24, 0, -1020},
        {"zero height before a wrong depth", 2, 0, 16, 0, -1020},
        {"16 bits", 2, 2, 16, 0, -7079},
        {"rows past the block", 4, 4, 24, -1, -2007},
        {"a header of 12 bytes", 4, 4, 24, 0, -2007},
        {"top-down", 3, -2, 24, 0, 0},
        {"longer block", 3, 2, 24, 100, 0},
    };
    for (const Case& c : cases) {
        TRawDib in(c.Width, c.Height, c.Bits);
        if (c.Name == "a header of 12 bytes") in.Header()->biSize = 12; // rows over the header
        TBlock block(in.Bytes, size_t(long(in.Bytes.size()) + c.Slack));
        int32_t err = 1;
        TAnswer a = Take(VuxBrightContrastGamma(block.Get(), 0, 0, 1.0, &err));
        EXPECT_EQ(err, c.Expected) << c.Name;
        EXPECT_EQ(bool(a), c.Expected == 0) << c.Name;
        if (a) {
            EXPECT_EQ(a.Bytes.size(), in.Bytes.size()) << c.Name << ": sized from the header";
        }
    }
    HGLOBAL empty = GlobalAlloc(0);
    int32_t err = 1;
    EXPECT_EQ(VuxBrightContrastGamma(empty, 0, 0, 1.0, &err), nullptr);
    EXPECT_EQ(err, -2007);
    GlobalFree(empty);
    EXPECT_EQ(VuxBrightContrastGamma(nullptr, 0, 0, 1.0, nullptr), nullptr) << "err may be null";
}

TEST(ToneCurve, UntrustedImageSizeIsIgnored) {
    // biSizeImage claims far more than the block holds; only the rows are read and written.
    for (uint32_t claimed : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        TRawDib in(3, 2, 8);
        in.Header()->biSizeImage = claimed;
        TBlock block(in.Bytes);
        TAnswer a = Take(VuxBrightContrastGamma(block.Get(), 10, 0, 1.0, nullptr));
        ASSERT_TRUE(a) << claimed;
        EXPECT_EQ(a.Bytes.size(), in.Bytes.size()) << claimed;
    }
}

} // namespace
