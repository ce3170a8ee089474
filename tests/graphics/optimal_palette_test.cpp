#include "optimal_palette.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

using TImage = std::unique_ptr<TPixelGraphic>;

const std::vector<uint32_t>& sys16() {
    return PredefinedPalette(pSys16);
}

std::vector<uint32_t> withSystemColours(std::vector<uint32_t> palette) {
    palette.insert(palette.end(), sys16().begin(), sys16().end());
    return palette;
}

// One row of true-colour pixels.
TImage trueColour(const std::vector<uint32_t>& pixels) {
    auto image = std::make_unique<TPixelGraphic>();
    image->SetSizeAndFormat(int(pixels.size()), 1, pf24Bit);
    for (size_t x = 0; x < pixels.size(); ++x) image->SetPixel(int(x), 0, pixels[x]);
    return image;
}

// An 8-bit image with the given palette; entry i is used by uses[i] pixels of one row.
TImage paletted(const std::vector<uint32_t>& palette, const std::vector<int>& uses) {
    auto image = std::make_unique<TPixelGraphic>();
    int width = 0;
    for (int u : uses) width += u;
    image->SetSizeAndFormat(width, 1, pf8Bit);
    image->SetPaletteCount(int(palette.size()));
    int x = 0;
    for (size_t i = 0; i < palette.size(); ++i) {
        image->SetPaletteEntry(int(i), palette[i]);
        for (int k = 0; k < uses[i]; ++k) image->SetPixel(x++, 0, uint32_t(i));
    }
    return image;
}

std::vector<uint32_t> optimal(const TPixelGraphic& source, int n, bool reserve) {
    TPixelGraphic target;
    target.SetSizeAndFormat(1, 1, pf8Bit);
    CreateOptimalPalette(target, source, n, reserve);
    return target.Palette();
}

const uint32_t black = 0, white = 0xFFFFFF, red = PGColor(255, 0, 0);

// Entries are the weighted centres of the histogram cells (red and blue 8 wide, green 4).
TEST(MedianCut, BuildsBoxesOfTheHistogram) {
    struct Case {
        const char* Name;
        std::vector<uint32_t> Pixels;
        int N;
        bool Reserve;
        std::vector<uint32_t> Palette;
    };
    const Case cases[] = {
        {"one colour: its cell's centre", {red, red}, 2, false, {PGColor(252, 2, 4)}},
        {"one colour, system colours follow",
         {red},
         252,
         true,
         withSystemColours({PGColor(252, 2, 4)})},
        {"split along red, the widest weighted extent",
         {black, PGColor(255, 64, 0)},
         2,
         false,
         {PGColor(4, 2, 4), PGColor(252, 66, 4)}},
        {"split along green; the lower box is the weighted mean of two cells",
         {black, black, black, PGColor(16, 0, 0), white},
         2,
         false,
         {PGColor(8, 2, 4), PGColor(252, 254, 252)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(optimal(*trueColour(c.Pixels), c.N, c.Reserve), c.Palette) << c.Name;
}

TEST(MedianCut, NeverSplitsABoxOfOneCell) {
    std::vector<uint32_t> pixels, centres;
    for (int k = 0; k < 16; ++k) {
        pixels.push_back(PGColor(16 * k, 0, 0));
        centres.push_back(PGColor(16 * k + 4, 2, 4));
    }
    std::vector<uint32_t> palette = optimal(*trueColour(pixels), 252, true);
    ASSERT_EQ(palette.size(), 32u);
    EXPECT_EQ(std::vector<uint32_t>(palette.begin() + 16, palette.end()), sys16());
    std::sort(palette.begin(), palette.begin() + 16);
    EXPECT_EQ(std::vector<uint32_t>(palette.begin(), palette.begin() + 16), centres);
}

TEST(Octree, MergesWeightedColoursAndNumbersLeavesDepthFirst) {
    struct Case {
        const char* Name;
        std::vector<uint32_t> Colours;
        std::vector<int> Uses;
        int N;
        std::vector<uint32_t> Palette;
    };
    const Case cases[] = {
        {"leaves in child order, unused entries left out",
         {white, black, PGColor(1, 2, 3), red},
         {1, 1, 0, 1},
         16,
         {black, red, white}},
        {"near colours merge into their weighted mean",
         {black, PGColor(4, 0, 0), white, PGColor(251, 255, 255)},
         {3, 1, 1, 1},
         2,
         {PGColor(1, 0, 0), PGColor(253, 255, 255)}},
        // Merging the root would leave one colour: median cut gives the two asked for.
        {"black, white and red in two colours",
         {black, white, red},
         {1, 1, 1},
         2,
         {PGColor(128, 2, 4), PGColor(252, 254, 252)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(optimal(*paletted(c.Colours, c.Uses), c.N, false), c.Palette) << c.Name;
}

// Reducing once per insertion collapses such an image to a single colour.
TEST(Octree, TypicalPaletteImageKeepsTheWantedCount) {
    std::mt19937 random(7);
    std::vector<uint32_t> colours;
    for (int i = 0; i < 256; ++i) colours.push_back(random() & 0xFFFFFF);
    const std::vector<uint32_t> palette =
        optimal(*paletted(colours, std::vector<int>(256, 1)), 16, false);
    EXPECT_EQ(palette.size(), 16u);
    EXPECT_EQ(std::set<uint32_t>(palette.begin(), palette.end()).size(), 16u);
    EXPECT_EQ(optimal(*paletted(colours, std::vector<int>(256, 1)), 252, true).size(), 252u);
}

TEST(CreateOptimalPalette, SystemColoursWhenThereIsNothingToAnalyse) {
    TPixelGraphic empty;
    TImage picture = trueColour({red});
    struct Case {
        const char* Name;
        const TPixelGraphic& Source;
        int N;
        bool Reserve;
        TPaletteIdent Ident;
        size_t Count;
    };
    const Case cases[] = {
        {"empty source", empty, 252, true, pSys16, 16},
        {"empty source, fewer than 16", empty, 2, false, pUnknown, 2},
        {"no room beside the system colours", *picture, 16, true, pSys16, 16},
    };
    for (const Case& c : cases) {
        TPixelGraphic target;
        target.SetSizeAndFormat(1, 1, pf8Bit);
        CreateOptimalPalette(target, c.Source, c.N, c.Reserve);
        EXPECT_EQ(target.PaletteIdent(), c.Ident) << c.Name;
        EXPECT_EQ(target.Palette(),
                  std::vector<uint32_t>(sys16().begin(), sys16().begin() + long(c.Count)))
            << c.Name;
    }
}

TEST(CreateOptimalPalette, AbortBuildsFromTheRowsCounted) {
    for (uint8_t format : {pf24Bit, pf8Bit}) {
        TPixelGraphic source;
        source.SetSizeAndFormat(2, 4, format);
        if (format == pf8Bit) {
            source.SetPaletteCount(2);
            source.SetPaletteEntry(0, PGColor(0, 0, 255));
            source.SetPaletteEntry(1, red);
            for (int x = 0; x < 2; ++x) source.SetPixel(x, 0, 1);
        } else {
            source.SetBackGroundColor(PGColor(0, 0, 255));
            source.Clear();
            for (int x = 0; x < 2; ++x) source.SetPixel(x, 0, red);
        }
        TPixelGraphic target;
        target.SetSizeAndFormat(1, 1, pf8Bit);
        std::vector<std::pair<int, int>> steps;
        int starts = 0, ends = 0;
        target.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
        target.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
        target.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
            steps.emplace_back(step, max);
            abort = true;
        };
        CreateOptimalPalette(target, source, 16, false);
        const uint32_t expected = format == pf24Bit ? PGColor(252, 2, 4) : red;
        EXPECT_EQ(target.Palette(), std::vector<uint32_t>{expected}) << int(format);
        EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 3}})) << int(format);
        EXPECT_EQ(starts + ends, 2) << int(format);
    }
}

TEST(CreateOptimalPalette, TargetMayBeTheSource) {
    TImage image = paletted({white, black, red, PGColor(0, 0, 255)}, {2, 1, 1, 0});
    CreateOptimalPalette(*image, *image, 16, false);
    EXPECT_EQ(image->Palette(), (std::vector<uint32_t>{black, red, white}));
}

TEST(CreateOptimalPalette, RefusesMoreThan256Colours) {
    TPixelGraphic target;
    EXPECT_EQ(ErrorOf([&] { CreateOptimalPalette(target, *trueColour({red}), 257, false); }),
              "Invalid value for N");
}

} // namespace
