// The effects against ImageMagick computing the same function: the pairs the benchmark compares,
// on a picture with a colour for nearly every pixel. Rounding differs by a level at most: our
// weighted grey truncates sums of rounded weights, and where gamma, contrast and the kernels give
// a fraction of a half or more ImageMagick is often a level below our nearest value. The kernels
// are compared inside the border, where ImageMagick repeats edge pixels and we renormalise.

#include "pg_effect_text.h"
#include "recipe.h"
#include "sources.h"
#include "tool_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

namespace {

struct TEffectPair {
    std::string Name;
    std::string Effect;  // as pgtool --effect takes it
    std::string Options; // ImageMagick's operators between input and output
    int Border = 0;      // rows and columns left out at each edge
    // Ours minus theirs, per channel, lies in Lowest..Highest and is 0 in SamePercent of them.
    int Lowest = 0, Highest = 0, SamePercent = 100;
};

// A kernel for -convolve, every weight divided by their sum as our filter divides.
std::string normalised(const TPGFilterFactory& make) {
    const auto filter = make();
    const auto& k = dynamic_cast<const TConvFilter&>(*filter);
    std::ostringstream out;
    out.precision(10);
    for (int y = 0; y < k.Height(); ++y)
        for (int x = 0; x < k.Width(); ++x)
            out << (x || y ? "," : "") << double(k.Kernel(x, y)) / double(k.KernelSum());
    return "-convolve '" + out.str() + "'";
}

std::string kernelOptions(const std::string& effect) {
    return normalised(*PGParseEffect(effect));
}

class FilterConformance : public ::testing::TestWithParam<TEffectPair> {};

constexpr int width = 64, height = 48;

TEST_P(FilterConformance, AgreesWithImageMagick) {
    const TEffectPair& c = GetParam();
    const std::string commands = "convert rgb.ppm " + c.Options + " -depth 8 ppm:-";
    if (const std::string tool = MissingTool(commands); !tool.empty())
        GTEST_SKIP() << tool << " is not installed";
    const TCaseFolder folder;
    WriteSources(folder.Path(), "rgb.ppm", width, height);
    ASSERT_TRUE(folder.Run("peer", commands, "rgb.ppm", "peer.ppm")) << folder.Log("peer");
    const TRefImage theirs = Rounded(ReadToolImage(folder.Path() / "peer.ppm"));

    TPixelGraphic picture;
    picture.LoadFromFile(folder.Path() / "rgb.ppm");
    const auto make = PGParseEffect(c.Effect);
    ASSERT_TRUE(make) << c.Effect;
    const auto ours = PGFilteredCopy(*make, picture, 1);
    ASSERT_EQ(ours->Width(), theirs.Width);
    ASSERT_EQ(ours->Height(), theirs.Height);

    int lowest = 0, highest = 0, same = 0, compared = 0;
    for (int y = c.Border; y < height - c.Border; ++y)
        for (int x = c.Border; x < width - c.Border; ++x) {
            const uint32_t a = ours->GetPixelColor(x, y), b = theirs.At(x, y);
            for (int shift : {0, 8, 16}) {
                const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
                lowest = std::min(lowest, d);
                highest = std::max(highest, d);
                same += d == 0;
                ++compared;
            }
        }
    EXPECT_EQ(std::make_pair(lowest, highest), std::make_pair(c.Lowest, c.Highest));
    EXPECT_GE(same * 100 / compared, c.SamePercent) << same << " of " << compared;
}

// tan(pi (C + 100) / 400) for ImageMagick's contrast C = 20.
const char* const contrast20 = "bcg:0,1.3763819204711736,1";

INSTANTIATE_TEST_SUITE_P(
    Effects, FilterConformance,
    ::testing::Values(
        TEffectPair{"grey_weighted", "grey", "-grayscale Rec601Luma", 0, -1, 1, 97},
        TEffectPair{"grey_plain", "grey:plain", "-grayscale Average", 0, 0, 0, 100},
        TEffectPair{"red_plus_20", "rgb:20,0,0", "-channel R -evaluate add 20% +channel", 0, 0, 0,
                    100},
        TEffectPair{"hue_plus_90", "hsv:90,0,0",
                    "-define modulate:colorspace=HSV -modulate 100,100,150", 0, 0, 0, 100},
        TEffectPair{"gamma_2", "bcg:0,1,2", "-gamma 0.5", 0, 0, 1, 58},
        TEffectPair{"brightness_20", "bcg:20,1,1", "-brightness-contrast 20x0", 0, 0, 0, 100},
        TEffectPair{"contrast_20", contrast20, "-brightness-contrast 0x20", 0, 0, 1, 63},
        TEffectPair{"sharpen", "sharpen:0.75,50", kernelOptions("sharpen:0.75,50"), 1, 0, 1, 96},
        TEffectPair{"smooth", "smooth:1.30,100", kernelOptions("smooth:1.30,100"), 3, 0, 1, 66}),
    [](const ::testing::TestParamInfo<TEffectPair>& info) { return info.param.Name; });

} // namespace
