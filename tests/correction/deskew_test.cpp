// Straightening drawn scans: turned pages come out level, pages without a page are refused, and
// the checks.

#include "raw_dib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct TBox {
    double X0, Y0, X1, Y1; // page coordinates from the top-left corner
};

// A white scan of width x height with dark boxes on it, turned by degrees clockwise about the
// centre; no smoothing, so edges are exact staircases.
TRawDib drawnScan(int width, int height, double degrees, const std::vector<TBox>& boxes) {
    TRawDib dib(width, height, 24);
    const double t = degrees * M_PI / 180, c = std::cos(t), s = std::sin(t);
    const double cx = width / 2.0, cy = height / 2.0;
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            // Undo the turn: the page point that lands on this pixel.
            const double dx = x + 0.5 - cx, dy = row + 0.5 - cy;
            const double px = c * dx + s * dy + cx, py = -s * dx + c * dy + cy;
            bool dark = false;
            for (const TBox& b : boxes) dark |= px >= b.X0 && px < b.X1 && py >= b.Y0 && py < b.Y1;
            dib.Set(x, height - 1 - row, dark ? 0x404040 : 0xFFFFFF);
        }
    return dib;
}

// Page boxes of a 1000 x 1250 scan: a frame drawn as four bars and three text lines. Sides of
// this length give the slope histogram a sharp peak; much shorter ones leave it too flat to
// trust, and the page is then only cropped.
constexpr int PageWidth = 1000, PageHeight = 1250;
std::vector<TBox> page() {
    return {{100, 100, 900, 110},  {100, 1140, 900, 1150}, {100, 100, 110, 1150},
            {890, 100, 900, 1150}, {200, 250, 800, 275},   {200, 350, 750, 375},
            {200, 450, 775, 475}};
}

// Where the first dark line from startRow begins in each column of the answer, to a fraction of
// a row: the white (255) seen before the line's grey (64) is reached, a partly covered row
// counting by its share.
std::vector<double> edgeRows(const TRawDib& out, int from, int to, int startRow) {
    std::vector<double> rows;
    for (int x = from; x < to; ++x) {
        double white = 0;
        for (int y = startRow; y < out.Height; ++y) {
            const int v = int(out.Get(x, out.Height - 1 - y) & 0xFF);
            if (v <= 70) break;
            white += std::min(1.0, (v - 64) / 191.0);
        }
        rows.push_back(white);
    }
    return rows;
}

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
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        const double n = double(top.size());
        for (size_t i = 0; i < top.size(); ++i) {
            sx += double(i);
            sy += top[i];
            sxx += double(i) * double(i);
            sxy += double(i) * top[i];
        }
        const double tilt = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        EXPECT_LT(std::abs(tilt * n), 1.0) << degrees << " degrees: the text line is not level";
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
