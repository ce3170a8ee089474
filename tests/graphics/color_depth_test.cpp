#include "optimal_palette.h"
#include "pg_filter.h"
#include "pixel_graphic.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

using TImage = std::unique_ptr<TPixelGraphic>;

TImage makeImage(int w, int h, uint8_t format, TPaletteIdent ident = pTrueColor) {
    auto image = std::make_unique<TPixelGraphic>();
    image->SetSizeAndFormat(w, h, format);
    if (format != pf24Bit) image->SetPaletteIdent(ident);
    return image;
}

TImage makeImage(int w, int h, uint8_t format, const std::vector<uint32_t>& palette) {
    TImage image = makeImage(w, h, format);
    image->SetPaletteCount(static_cast<int>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) image->SetPaletteEntry(int(i), palette[i]);
    return image;
}

TImage randomImage(int w, int h, unsigned seed) {
    TImage image = makeImage(w, h, pf24Bit);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image->SetPixel(x, y, random() & 0xFFFFFF);
    return image;
}

// A 24-bit image with the given rows of colours.
TImage imageOf(const std::vector<std::vector<uint32_t>>& rows) {
    TImage image = makeImage(int(rows[0].size()), int(rows.size()), pf24Bit);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) image->SetPixel(int(x), int(y), rows[y][x]);
    return image;
}

uint32_t grey(int v) {
    return PGColor(v, v, v);
}

std::vector<uint32_t> indices(const TPixelGraphic& image) {
    std::vector<uint32_t> v;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) v.push_back(image.GetPixel(x, y));
    return v;
}

void copyAll(TPixelGraphic& dest, const TPixelGraphic& source) {
    dest.CopyRect(0, 0, source, 0, 0, source.Height(), source.Width());
}

int squaredDistance(uint32_t a, uint32_t b) {
    const int dr = PGRed(a) - PGRed(b), dg = PGGreen(a) - PGGreen(b), db = PGBlue(a) - PGBlue(b);
    return dr * dr + dg * dg + db * db;
}

// ---------------------------------------------------------------------------------------------
// NearestIndex

struct IndexCase {
    const char* Name;
    TPaletteIdent Ident;
    bool Weighting;
    uint32_t Color;
    uint32_t Index;
};

TEST(NearestIndex, AnswersEachPaletteIdentityByItsRule) {
    const IndexCase cases[] = {
        {"black-white brightness 382", pBlackWhite, false, PGColor(127, 127, 128), 0},
        {"black-white brightness 383", pBlackWhite, false, PGColor(127, 128, 128), 1},
        {"black-white weighted red is 228", pBlackWhite, true, PGColor(255, 0, 0), 0},
        {"black-white plain red is 255", pBlackWhite, false, PGColor(255, 0, 0), 0},
        {"sysgray4 192", pSysGray4, false, PGColor(64, 64, 64), 0},
        {"sysgray4 193", pSysGray4, false, PGColor(64, 64, 65), 1},
        {"sysgray4 480", pSysGray4, false, grey(160), 1},
        {"sysgray4 481", pSysGray4, false, PGColor(160, 160, 161), 2},
        {"sysgray4 670", pSysGray4, false, PGColor(223, 223, 224), 2},
        {"sysgray4 671", pSysGray4, false, PGColor(223, 224, 224), 3},
        {"sys16 tie keeps the first candidate", pSys16, true, grey(160), 7},
        {"sys16 strictly nearer second", pSys16, true, grey(159), 8},
        {"sys16 third candidate", pSys16, true, grey(224), 15},
        {"sys16 third not nearer", pSys16, true, grey(223), 7},
        {"sys16 cell table, not a search", pSys16, true, PGColor(0, 0, 64), 4},
        {"sys16 maroon", pSys16, true, PGColor(100, 0, 0), 1},
        {"gray4 127", pGray4, false, PGColor(42, 42, 43), 0},
        {"gray4 128", pGray4, false, PGColor(42, 43, 43), 1},
        {"gray16 25", pGray16, false, PGColor(8, 8, 9), 0},
        {"gray16 26", pGray16, false, PGColor(8, 9, 9), 1},
        {"gray236 tie takes the lower index", pGray236, true, grey(6), 5},
        {"gray236 exact", pGray236, true, grey(7), 6},
        {"gray236 middle", pGray236, true, grey(128), 118},
        {"gray256 weighted red", pGray256, true, PGColor(255, 0, 0), 76},
        {"gray256 plain red", pGray256, false, PGColor(255, 0, 0), 85},
        {"special125 224 is level 4, 223 level 3", pSpecial125, true, PGColor(224, 223, 0), 115},
        {"special216", pSpecial216, true, PGColor(255, 26, 27), 181},
        {"special252 black", pSpecial252, true, 0, 0},
        {"special252 white", pSpecial252, true, 0xFFFFFF, 15},
        {"special252 light grey", pSpecial252, true, grey(224), 128},
    };
    for (const IndexCase& c : cases) {
        TImage image = makeImage(1, 1, pf8Bit, c.Ident);
        image->SetRGBWeighting(c.Weighting);
        EXPECT_EQ(image->NearestIndex(c.Color), c.Index) << c.Name;
    }
    EXPECT_EQ(makeImage(1, 1, pf24Bit)->NearestIndex(0x123456), 0x123456u);
}

TEST(NearestIndex, UnknownPaletteTakesTheFirstNearestEntry) {
    for (bool cache : {false, true}) {
        TImage image = makeImage(1, 1, pf8Bit, {PGColor(255, 0, 0), PGColor(0, 0, 255)});
        image->SetUseColorCache(cache);
        EXPECT_EQ(image->NearestIndex(PGColor(200, 0, 60)), 0u) << cache;
        EXPECT_EQ(image->NearestIndex(PGColor(128, 0, 128)), 0u) << "equal distance, " << cache;
        EXPECT_EQ(image->NearestIndex(PGColor(0, 10, 250)), 1u) << cache;
    }
}

TEST(NearestIndex, NoPaletteRaises) {
    TImage image = makeImage(2, 2, pf8Bit, pNone);
    EXPECT_EQ(ErrorOf<EPGNoPalette>([&] { image->NearestIndex(0); }), "No palette");
}

// For a fixed red and green the distance to an entry is A + (blue - entry blue)^2, so among the
// entries that share a blue value only the first with the smallest A can be the nearest.
TEST(NearestIndex, Special252AgreesWithAFullSearchForEveryColour) {
    const std::vector<uint32_t>& palette = PredefinedPalette(pSpecial252);
    TImage image = makeImage(1, 1, pf8Bit, pSpecial252);
    std::vector<int> blues, groupOf;
    for (uint32_t c : palette) {
        auto it = std::find(blues.begin(), blues.end(), PGBlue(c));
        groupOf.push_back(int(it - blues.begin()));
        if (it == blues.end()) blues.push_back(PGBlue(c));
    }
    int64_t mismatches = 0;
    uint32_t firstMismatch = 0;
    std::vector<int> a(blues.size());
    std::vector<uint32_t> first(blues.size());
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g) {
            std::fill(a.begin(), a.end(), INT_MAX);
            for (uint32_t i = 0; i < palette.size(); ++i) {
                const int dr = r - PGRed(palette[i]), dg = g - PGGreen(palette[i]);
                if (dr * dr + dg * dg < a[groupOf[i]])
                    a[groupOf[i]] = dr * dr + dg * dg, first[groupOf[i]] = i;
            }
            for (int b = 0; b < 256; ++b) {
                uint32_t best = 0;
                int bestDistance = INT_MAX;
                for (size_t k = 0; k < blues.size(); ++k) {
                    const int d = a[k] + (b - blues[k]) * (b - blues[k]);
                    if (d < bestDistance || (d == bestDistance && first[k] < best))
                        best = first[k], bestDistance = d;
                }
                if (image->NearestIndex(PGColor(r, g, b)) != best && mismatches++ == 0)
                    firstMismatch = PGColor(r, g, b);
            }
        }
    EXPECT_EQ(mismatches, 0) << "first at " << std::hex << firstMismatch;
}

// ---------------------------------------------------------------------------------------------
// The last-query memo and the colour cache

// Cells (red >> 3, green >> 2, blue >> 3): (24, 0, 24) lies in cell (3, 0, 3), three cells from
// black and four from (32, 16, 32), which is the nearer colour.
TEST(ColorCache, ShellRuleAnswersUntilSwitchedOffOrThePaletteChanges) {
    const uint32_t probe = PGColor(24, 0, 24);
    TImage image = makeImage(1, 1, pf8Bit, {0, PGColor(32, 16, 32)});
    EXPECT_EQ(image->NearestIndex(probe), 0u) << "nearest shell";
    image->SetUseColorCache(false);
    EXPECT_EQ(image->NearestIndex(probe), 1u) << "full search";
    image->SetUseColorCache(true);
    EXPECT_EQ(image->NearestIndex(probe), 0u);
    image->SetPaletteEntry(0, 0xFFFFFF);
    EXPECT_EQ(image->NearestIndex(probe), 1u) << "cache and memo dropped with the palette";
}

// Cell (15, 32, 16) is too far from black and white to be pre-filled: its first query decides.
TEST(ColorCache, CellKeepsTheAnswerOfItsFirstQuery) {
    const uint32_t nearWhite = PGColor(127, 131, 135), nearBlack = PGColor(120, 128, 128);
    TImage image = makeImage(1, 1, pf8Bit, {0, 0xFFFFFF});
    EXPECT_EQ(image->NearestIndex(nearWhite), 1u);
    EXPECT_EQ(image->NearestIndex(nearBlack), 1u);
    image->InvalidateColorCache();
    EXPECT_EQ(image->NearestIndex(0), 0u);
    EXPECT_EQ(image->NearestIndex(nearBlack), 0u) << "the rebuilt cell is decided anew";
}

TEST(NearestIndexMemo, DroppedWhenTheRuleChanges) {
    TImage grey256 = makeImage(1, 1, pf8Bit, pGray256);
    EXPECT_EQ(grey256->NearestIndex(PGColor(255, 0, 0)), 76u);
    grey256->SetRGBWeighting(false);
    EXPECT_EQ(grey256->NearestIndex(PGColor(255, 0, 0)), 85u);

    // Green is nearer to black, but its brightness 449 makes it white for the black-white rule.
    TImage blackWhite = makeImage(1, 1, pf8Bit, {0, 0xFFFFFF});
    EXPECT_EQ(blackWhite->NearestIndex(PGColor(0, 255, 0)), 0u);
    blackWhite->ClassifyPalette();
    ASSERT_EQ(blackWhite->PaletteIdent(), pBlackWhite);
    EXPECT_EQ(blackWhite->NearestIndex(PGColor(0, 255, 0)), 1u);
    blackWhite->SetPaletteIdent(pUnknown);
    EXPECT_EQ(blackWhite->NearestIndex(PGColor(0, 255, 0)), 0u);

    TImage unknown = makeImage(1, 1, pf8Bit, pUnknown);
    EXPECT_EQ(unknown->NearestIndex(0x123456), 0u);
    unknown->SetPixelFormat(pf24Bit);
    EXPECT_EQ(unknown->NearestIndex(0x123456), 0x123456u);
}

// ---------------------------------------------------------------------------------------------
// Error diffusion

// Pixel 0 (grey 100) becomes black and pushes 7/16 of its error 100, rounded 44, through the
// limiter into pixel 1, which turns white exactly when its grey plus that reaches 128.
TEST(Dither, ErrorLimiterShapesThePassedError) {
    struct Case {
        const char* Name;
        bool Auto;
        uint8_t Limit;
        bool Soft;
        int Second;
        uint32_t Index;
    };
    const Case cases[] = {
        {"automatic: 255, soft from 127", true, 0, false, 84, 1},
        {"automatic below", true, 0, false, 83, 0},
        {"hard 32 cuts 44 to 32", false, 32, false, 96, 1},
        {"hard 32 below", false, 32, false, 95, 0},
        {"soft 32 halves 44 to 30", false, 32, true, 98, 1},
        {"soft 32 below", false, 32, true, 97, 0},
        {"soft 64 halves 44 to 38", false, 64, true, 90, 1},
        {"soft 64 below", false, 64, true, 89, 0},
        {"soft 100 passes 44", false, 100, true, 84, 1},
        {"hard 0 passes nothing", false, 0, false, 127, 0},
    };
    for (const Case& c : cases) {
        TImage source = imageOf({{grey(100), grey(c.Second)}});
        TImage dest = makeImage(2, 1, pf1Bit, pBlackWhite);
        dest->SetDitherErrorLimitAuto(c.Auto);
        dest->SetDitherErrorLimit(c.Limit);
        dest->SetDitherErrorLimitSoft(c.Soft);
        copyAll(*dest, *source);
        EXPECT_EQ(dest->GetPixel(0, 0), 0u) << c.Name;
        EXPECT_EQ(dest->GetPixel(1, 0), c.Index) << c.Name;
    }
}

// Even rows run left to right, odd rows right to left: only the pixel after the grey 100 in
// walking direction receives its error.
TEST(Dither, RowsAreWalkedInSerpentineOrder) {
    const uint32_t k = 0, g = grey(84), h = grey(100);
    struct Case {
        const char* Name;
        std::vector<std::vector<uint32_t>> Rows;
        int X, Y;
        uint32_t Index;
    };
    const Case cases[] = {
        {"even row, error from the left", {{h, g, k}, {k, k, k}}, 1, 0, 1},
        {"even row, nothing from the right", {{k, g, h}, {k, k, k}}, 1, 0, 0},
        {"odd row, error from the right", {{k, k, k}, {k, g, h}}, 1, 1, 1},
        {"odd row, nothing from the left", {{k, k, k}, {h, g, k}}, 1, 1, 0},
    };
    for (const Case& c : cases) {
        TImage source = imageOf(c.Rows);
        TImage dest = makeImage(3, 2, pf1Bit, pBlackWhite);
        copyAll(*dest, *source);
        EXPECT_EQ(dest->GetPixel(c.X, c.Y), c.Index) << c.Name;
    }
}

// Floyd-Steinberg written out pixel by pixel with whole-unit errors and no limit, for palettes
// whose rule is the plain nearest entry (first on ties).
std::vector<uint32_t> referenceDither(const TPixelGraphic& source,
                                      const std::vector<uint32_t>& palette, bool greyPalette) {
    const int w = source.Width(), h = source.Height();
    std::vector<std::vector<int>> current(w + 2, std::vector<int>(3)), next = current;
    std::vector<uint32_t> out(size_t(w) * h);
    auto rounded = [](int e) { return e >= 0 ? (e + 8) / 16 : -((-e + 8) / 16); };
    for (int y = 0; y < h; ++y) {
        std::swap(current, next);
        for (auto& cell : next) cell = {0, 0, 0};
        const int dir = y % 2 ? -1 : 1;
        for (int i = 0; i < w; ++i) {
            const int x = dir > 0 ? i : w - 1 - i;
            const uint32_t c = source.GetPixelColor(x, y);
            int v[3] = {PGRed(c), PGGreen(c), PGBlue(c)};
            if (greyPalette) {
                const int b = (PGBlue(c) * 342 + PGGreen(c) * 1761 + PGRed(c) * 897) / 1000;
                v[0] = v[1] = v[2] = std::clamp(b / 3 + rounded(current[x + 1][1]), 0, 255);
            } else {
                for (int ch = 0; ch < 3; ++ch)
                    v[ch] = std::clamp(v[ch] + rounded(current[x + 1][ch]), 0, 255);
            }
            const uint32_t wanted = PGColor(v[0], v[1], v[2]);
            uint32_t best = 0;
            for (uint32_t k = 1; k < palette.size(); ++k)
                if (squaredDistance(wanted, palette[k]) < squaredDistance(wanted, palette[best]))
                    best = k;
            out[size_t(y) * w + x] = best;
            const uint32_t p = palette[best];
            int e[3] = {v[0] - PGRed(p), v[1] - PGGreen(p), v[2] - PGBlue(p)};
            if (greyPalette) e[0] = e[2] = 0;
            for (int ch = 0; ch < 3; ++ch) {
                current[x + 1 + dir][ch] += 7 * e[ch];
                next[x + 1][ch] += 5 * e[ch];
                next[x + 1 - dir][ch] += 3 * e[ch];
                next[x + 1 + dir][ch] += e[ch];
            }
        }
    }
    return out;
}

TEST(Dither, MatchesFloydSteinbergWrittenOut) {
    for (TPaletteIdent ident : {pSpecial216, pGray16}) {
        TImage source = randomImage(11, 7, 5);
        TImage dest = ident == pGray16 ? makeImage(11, 7, pf4Bit, pGray16)
                                       : makeImage(11, 7, pf8Bit, PredefinedPalette(ident));
        dest->SetUseColorCache(false);
        dest->SetDitherErrorLimitAuto(false);
        dest->SetDitherErrorLimit(255);
        dest->SetDitherErrorLimitSoft(false);
        copyAll(*dest, *source);
        EXPECT_EQ(indices(*dest), referenceDither(*source, dest->Palette(), ident == pGray16))
            << int(ident);
    }
}

TEST(Dither, FlatHalfGreyToBlackAndWhite) {
    TImage source = makeImage(32, 32, pf24Bit);
    source->SetBackGroundColor(grey(128));
    source->Clear();
    for (bool dither : {true, false}) {
        TImage dest = makeImage(32, 32, pf1Bit, pBlackWhite);
        dest->SetDither(dither);
        copyAll(*dest, *source);
        const std::vector<uint32_t> v = indices(*dest);
        const auto white = std::count(v.begin(), v.end(), 1u);
        if (dither) {
            EXPECT_GT(white, 1024 * 45 / 100);
            EXPECT_LT(white, 1024 * 55 / 100);
        } else {
            EXPECT_EQ(white, 1024) << "brightness 384 is white";
        }
    }
}

TEST(Dither, SinglePixelImage) {
    TImage source = imageOf({{PGColor(250, 10, 10)}});
    TImage dest = makeImage(1, 1, pf4Bit, pSys16);
    copyAll(*dest, *source);
    EXPECT_EQ(dest->GetPixel(0, 0), 9u);
}

// The conversions walk whole rows; storing pixel by pixel in serpentine order must give the
// same result, for every kind of nearest-colour rule, with and without diffusion. Below a
// black first row the narrow source puts many colours into each cache cell between black and
// white, where the first query of a cell, made in an odd row, decides its answer.
TEST(Dither, RowsGiveThePixelsOfThePerPixelRule) {
    TImage wide = randomImage(37, 23, 11);
    TImage narrow = randomImage(37, 23, 12);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const uint32_t c = narrow->GetPixel(x, y);
            const uint32_t mixed =
                PGColor(120 + PGRed(c) % 16, 124 + PGGreen(c) % 8, 120 + PGBlue(c) % 16);
            narrow->SetPixel(x, y, y == 0 ? 0 : mixed);
        }
    auto optimal = [&](bool cache) {
        TImage image = makeImage(37, 23, pf8Bit);
        CreateOptimalPalette(*image, *wide, 40, false);
        image->SetUseColorCache(cache);
        return image;
    };
    struct Case {
        const char* Name;
        const TPixelGraphic& Source;
        std::function<TImage()> Make;
    };
    const Case cases[] = {
        {"optimal, cached", *wide, [&] { return optimal(true); }},
        {"optimal, full search", *wide, [&] { return optimal(false); }},
        {"black and white, cached", *narrow,
         [] {
             return makeImage(37, 23, pf8Bit, {0, 0xFFFFFF});
         }},
        {"special252", *wide, [] { return makeImage(37, 23, pf8Bit, pSpecial252); }},
        {"gray256", *wide, [] { return makeImage(37, 23, pf8Bit, pGray256); }},
        {"sys16", *wide, [] { return makeImage(37, 23, pf4Bit, pSys16); }},
        {"black-white", *wide, [] { return makeImage(37, 23, pf1Bit, pBlackWhite); }},
    };
    for (const Case& c : cases)
        for (bool dither : {true, false}) {
            TImage rows = c.Make(), pixels = c.Make();
            rows->SetDither(dither);
            pixels->SetDither(dither);
            copyAll(*rows, c.Source);
            {
                TPGDitherScope scope(*pixels);
                for (int y = 0; y < 23; ++y)
                    for (int i = 0; i < 37; ++i) {
                        const int x = y % 2 ? 36 - i : i;
                        pixels->DitherPixel(x, y, c.Source.GetPixelColor(x, y));
                    }
            }
            EXPECT_EQ(indices(*rows), indices(*pixels)) << c.Name << ", dither " << dither;
        }
}

// ---------------------------------------------------------------------------------------------
// CopyRect

// Colours every depth's palette holds (black, white and system colours): every copy between
// the depths is exact, with and without diffusion.
TEST(CopyRect, EveryDepthPairKeepsSharedColours) {
    const struct {
        uint8_t Format;
        TPaletteIdent Ident;
    } depths[] = {
        {pf1Bit, pBlackWhite}, {pf4Bit, pSys16}, {pf8Bit, pSpecial252}, {pf24Bit, pTrueColor}};
    const std::vector<uint32_t>& sys16 = PredefinedPalette(pSys16);
    for (const auto& from : depths)
        for (const auto& to : depths)
            for (bool dither : {true, false}) {
                const bool twoColours = from.Format == pf1Bit || to.Format == pf1Bit;
                TImage source = makeImage(13, 5, from.Format, from.Ident);
                std::mt19937 random(from.Format * 4 + to.Format);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 13; ++x)
                        source->SetPixelColor(x, y,
                                              twoColours ? (random() % 2 ? 0xFFFFFF : 0)
                                                         : sys16[random() % 16]);
                TImage dest = makeImage(13, 5, to.Format, to.Ident);
                dest->SetDither(dither);
                copyAll(*dest, *source);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 13; ++x)
                        ASSERT_EQ(dest->GetPixelColor(x, y), source->GetPixelColor(x, y))
                            << int(from.Format) << " to " << int(to.Format) << " dither " << dither
                            << " at " << x << "," << y;
            }
}

// The block is clipped to both images: destination (x, y) takes source (x + 1, y - 1).
TEST(CopyRect, ClipsTheBlockToBothImages) {
    TImage source = makeImage(4, 4, pf24Bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) source->SetPixel(x, y, grey(10 * (4 * y + x) + 5));
    for (uint8_t format : {pf24Bit, pf8Bit}) {
        TImage dest = makeImage(6, 5, format, pGray256);
        dest->SetBackGroundColor(grey(250));
        dest->Clear();
        dest->CopyRect(-1, 2, *source, 1, 0, 10, 10);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool inside = y >= 2 && x <= 2;
                EXPECT_EQ(dest->GetPixelColor(x, y),
                          inside ? source->GetPixelColor(x + 1, y - 1) : grey(250))
                    << int(format) << " at " << x << "," << y;
            }
    }
}

TEST(CopyRect, OverlappingCopyWithinOneImage) {
    TImage image = randomImage(5, 3, 3);
    TImage original = makeImage(5, 3, pf24Bit);
    original->Assign(image.get());
    image->CopyRect(1, 1, *image, 0, 0, 3, 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool moved = x >= 1 && y >= 1;
            EXPECT_EQ(image->GetPixel(x, y),
                      original->GetPixel(moved ? x - 1 : x, moved ? y - 1 : y))
                << x << "," << y;
        }
}

struct TEvents {
    int Starts = 0, Ends = 0, Changes = 0;
    std::vector<std::pair<int, int>> Steps;
    int AbortAt = -1;

    void Attach(TPixelGraphic& image) {
        image.OnProgressStart = [this](TPixelGraphic&) { ++Starts; };
        image.OnProgressEnd = [this](TPixelGraphic&) { ++Ends; };
        image.OnChange = [this](TPixelGraphic&) { ++Changes; };
        image.OnProgress = [this](TPixelGraphic&, int step, int max, bool& abort) {
            Steps.emplace_back(step, max);
            abort = step == AbortAt;
        };
    }
};

TEST(CopyRect, AbortKeepsTheRowsDone) {
    TImage source = makeImage(4, 6, pf24Bit);
    source->SetBackGroundColor(grey(100));
    source->Clear();
    TImage dest = makeImage(4, 6, pf8Bit, pGray256);
    TEvents events;
    events.AbortAt = 2;
    events.Attach(*dest);
    copyAll(*dest, *source);
    for (int y = 0; y < 6; ++y) EXPECT_EQ(dest->GetPixel(3, y), y <= 2 ? 100u : 0u) << y;
    const std::vector<std::pair<int, int>> steps = {{0, 5}, {1, 5}, {2, 5}};
    EXPECT_EQ(events.Steps, steps);
    EXPECT_EQ(events.Starts, 1);
    EXPECT_EQ(events.Ends, 1);
    EXPECT_EQ(events.Changes, 1);
}

TEST(CopyRect, NothingHappensForAnEmptyImage) {
    TImage empty = makeImage(0, 0, pf24Bit);
    TImage dest = makeImage(3, 3, pf8Bit, pGray256);
    TEvents events;
    events.Attach(*dest);
    copyAll(*dest, *empty);
    dest->CopyRect(0, 0, *randomImage(3, 3, 1), 0, 5, 3, 3);
    EXPECT_EQ(events.Starts + events.Changes, 0);
}

TEST(CopyRect, NoPaletteStopsTheCopyWithTheError) {
    TImage source = randomImage(3, 3, 2);
    TImage dest = makeImage(3, 3, pf8Bit, pNone);
    TEvents events;
    events.Attach(*dest);
    EXPECT_THROW(copyAll(*dest, *source), EPGNoPalette);
    EXPECT_EQ(events.Ends, 1);
}

// ---------------------------------------------------------------------------------------------
// ApplyFilter

class TCountingFilter : public TPGFilter {
public:
    int Inits = 0, Dones = 0, Pixels = 0;
    void Init(const TPixelGraphic& Source) override {
        TPGFilter::Init(Source);
        ++Inits;
    }
    void Done() override {
        TPGFilter::Done();
        ++Dones;
    }
};

// Each pixel takes the colour of its right neighbour.
class TShiftFilter : public TCountingFilter {
public:
    uint32_t FilterPixel(int X, int Y) override {
        ++Pixels;
        return Source()->GetPixelColor(X + 1, Y);
    }
};

class TInvertFilter : public TCountingFilter {
public:
    bool IsPointFilter() const override { return true; }
    uint32_t FilterColor(uint32_t Color) override { return ~Color & 0xFFFFFF; }
    uint32_t FilterPixel(int X, int Y) override {
        ++Pixels;
        return FilterColor(Source()->GetPixelColor(X, Y));
    }
};

TEST(ApplyFilter, RefusesItsOwnImageForANonPointFilter) {
    TImage image = randomImage(3, 3, 4);
    TShiftFilter filter;
    EXPECT_EQ(ErrorOf<EPGFilter>([&] { image->ApplyFilter(filter, *image); }),
              "Cannot apply this filter to a source that is identical to the target");
    EXPECT_EQ(filter.Inits, 0);
}

TEST(ApplyFilter, PointFilterOnAPaletteImageChangesOnlyThePalette) {
    TImage image = makeImage(5, 2, pf8Bit, pSys16);
    for (int x = 0; x < 5; ++x) image->SetPixel(x, 1, x + 3);
    const std::vector<uint8_t> bits(image->Bits(), image->Bits() + image->ImageSize());
    TInvertFilter filter;
    image->ApplyFilter(filter, *image);
    EXPECT_EQ(std::vector<uint8_t>(image->Bits(), image->Bits() + image->ImageSize()), bits);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(image->Palette()[i], ~PredefinedPalette(pSys16)[i] & 0xFFFFFF) << i;
    EXPECT_EQ(filter.Pixels, 0);
    EXPECT_EQ(filter.Inits + filter.Dones, 2);

    // From a shallower source the target becomes a copy of it with the mapped palette.
    TImage source = makeImage(5, 2, pf4Bit, pSys16);
    source->SetPixel(2, 1, 9);
    TImage target = makeImage(1, 1, pf8Bit, pGray256);
    target->ApplyFilter(filter, *source);
    EXPECT_EQ(target->PixelFormat(), pf4Bit);
    EXPECT_EQ(target->GetPixel(2, 1), 9u);
    EXPECT_EQ(target->GetPixelColor(2, 1), PGColor(0, 255, 255));
    EXPECT_EQ(source->GetPixelColor(2, 1), PGColor(255, 0, 0));
}

// A filter into a palette image stores its colours as CopyRect stores a copy of them.
TEST(ApplyFilter, StoresFilteredColoursThroughTheConversion) {
    TImage source = randomImage(9, 6, 8);
    TImage shifted = makeImage(9, 6, pf24Bit);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) shifted->SetPixel(x, y, source->GetPixelColor(x + 1, y));
    for (uint8_t format : {pf24Bit, pf8Bit}) {
        TImage target = makeImage(2, 2, format, pSpecial252);
        TImage expected = makeImage(9, 6, format, pSpecial252);
        copyAll(*expected, *shifted);
        TShiftFilter filter;
        TEvents events;
        events.Attach(*target);
        target->ApplyFilter(filter, *source);
        EXPECT_EQ(indices(*target), indices(*expected)) << int(format);
        EXPECT_EQ(filter.Dones, 1);
        EXPECT_EQ(events.Steps.size(), 6u);
        EXPECT_EQ(events.Steps.back(), std::make_pair(5, 5));
    }
}

TEST(ApplyFilter, AbortStopsAfterTheRow) {
    TImage source = makeImage(4, 4, pf24Bit);
    TImage target = makeImage(4, 4, pf24Bit);
    TInvertFilter filter;
    TEvents events;
    events.AbortAt = 1;
    events.Attach(*target);
    target->ApplyFilter(filter, *source);
    EXPECT_EQ(filter.Pixels, 8);
    EXPECT_EQ(filter.Dones, 1);
    EXPECT_EQ(events.Ends, 1);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(target->GetPixel(0, y), y <= 1 ? 0xFFFFFFu : 0u) << y;
}

} // namespace
