// Straightening drawn scans: turned pages come out level, pages without a page are refused, and
// the checks.

#include "drawn_scan.h"
#include "raw_dib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(Deskew, TurnedPagesComeOutLevel) {
    for (double degrees : {1.0, -1.0, 3.0, -3.0, 5.0, -5.0}) {
        const TRawDib in = drawnScan(PageWidth, PageHeight, degrees, page());
        TBlock block(in.Bytes);
        int32_t err = 1;
        TAnswer a = Take(VuxDeskewImage(block.Get(), 0, 0, &err));
        ASSERT_EQ(err, 0) << degrees;
        EXPECT_TRUE(a.Unlocked);
        const TRawDib out = AsDib(a);
        // The first text line's top edge, away from its ends.
        // The drawing has hard staircase edges, so the levelled edge keeps a sawtooth of up to a
        // pixel; the line fitted through it must not climb or fall by a pixel over its length.
        const std::vector<double> top = edgeRows(out, out.Width / 4, out.Width / 2, 10);
        const auto [low, high] = std::minmax_element(top.begin(), top.end());
        EXPECT_LT(*high - *low, 1.5) << degrees << " degrees";
        EXPECT_LT(*high, out.Height / 3) << degrees;
        EXPECT_LT(std::abs(FittedSlope(top) * double(top.size())), 1.0)
            << degrees << " degrees: the text line is not level";
    }
}

TEST(Deskew, RequestedSizes) {
    const TRawDib in = drawnScan(PageWidth, PageHeight, 2.0, page());
    TBlock block(in.Bytes);
    TAnswer computed = Take(VuxDeskewImage(block.Get(), 0, 0, nullptr));
    ASSERT_TRUE(computed);
    const int w = computed.Header().biWidth, h = computed.Header().biHeight;
    TAnswer wide = Take(VuxDeskewImage(block.Get(), 2 * w, 0, nullptr));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide.Header().biWidth, 2 * w);
    EXPECT_EQ(wide.Header().biHeight, 2 * h);
    TAnswer both = Take(VuxDeskewImage(block.Get(), 50, 60, nullptr));
    ASSERT_TRUE(both);
    EXPECT_EQ(both.Header().biWidth, 50);
    EXPECT_EQ(both.Header().biHeight, 60);
}

TEST(Deskew, PagesWithoutAPageAreRefused) {
    struct Case {
        std::string Name;
        TRawDib Dib;
    };
    TRawDib blank(60, 40, 24), dot(60, 40, 24), tiny(1, 1, 24);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) blank.Set(x, y, 0xFFFFFF), dot.Set(x, y, 0xFFFFFF);
    dot.Set(5, 5, 0);
    Case cases[] = {{"a blank page", blank}, {"one dark dot", dot}, {"one pixel", tiny}};
    for (const Case& c : cases) {
        TBlock block(c.Dib.Bytes);
        int32_t err = 1;
        EXPECT_EQ(VuxDeskewImage(block.Get(), 0, 0, &err), nullptr) << c.Name;
        EXPECT_EQ(err, -1548) << c.Name;
    }
}

TEST(Deskew, ChecksInOrder) {
    struct Case {
        std::string Name;
        int Width, Height, Bits;
        uint32_t HeaderSize;
        int32_t OutWidth, Expected;
    } cases[] = {
        {"zero width", 0, 4, 24, 40, 0, -1020},
        {"16 bits", 4, 4, 16, 40, 0, -7079},
        {"a longer header", 4, 4, 24, 44, 0, -1009},
        {"a negative request", 4, 4, 24, 40, -5, -1548},
    };
    for (const Case& c : cases) {
        TRawDib in = c.Name == "a negative request" ? drawnScan(PageWidth, PageHeight, 2.0, page())
                                                    : TRawDib(c.Width, c.Height, c.Bits);
        in.Header()->biSize = c.HeaderSize;
        in.Bytes.resize(in.Bytes.size() + 4);
        TBlock block(in.Bytes);
        int32_t err = 1;
        EXPECT_EQ(VuxDeskewImage(block.Get(), c.OutWidth, 0, &err), nullptr) << c.Name;
        EXPECT_EQ(err, c.Expected) << c.Name;
    }
}

} // namespace
