#include "conformance.h"

namespace {

// The icon tools' own extraction, laid over white as this reader lays masked pixels.
std::string icotool(int index, const std::string& pngtopamOptions) {
    return "icotool -x -i " + std::to_string(index + 1) + " -o - $F | pngtopam " + pngtopamOptions;
}

std::string overWhite(int index) {
    return icotool(index, "-mix -background=#ffffff");
}

// 32-bit pixels over white: (c a + 255 (255 - a)) / 255, rounded down.
TRefImage roundedDown(const TToolImage& d) {
    TRefImage ref;
    ref.Width = d.Width;
    ref.Height = d.Height;
    for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x) {
            const uint32_t a = d.Sample(x, y, d.Channels - 1) * 255 / d.MaxVal;
            uint32_t c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = (d.Colour(x, y, i) * 255 / d.MaxVal * a + 255 * (255 - a)) / 255;
            ref.Pixels.push_back(PGColor(c[0], c[1], c[2]));
        }
    return ref;
}

TDeliberateDifference alphaRoundsDown(int index) {
    return Deliberate("the alpha of 32-bit icons over white rounds down", roundedDown, 0,
                      icotool(index, "-alphapam"));
}

// A PNG of the source with the mask as on/off alpha, for icotool.
std::string masked(const std::string& source) {
    return "convert " + source +
           " \\( mask.pbm -negate \\) -alpha off -compose CopyOpacity -composite PNG32:masked.png";
}

const std::vector<TSize> iconSizes = {{8, 8}, {16, 16}, {32, 32}, {48, 48}, {20, 12}};

std::vector<TConformanceCase> icoCases() {
    const std::vector<TConformanceCase> icons = {
        // netpbm's encoder picks 1, 4 or 8 bits by the colours; with and without masks.
        Case("netpbm_1", "netpbm-1.ico", "ppmtowinicon c2.ppm > $F", overWhite(0)),
        Case("netpbm_4", "netpbm-4.ico", "ppmtowinicon c16.ppm > $F", overWhite(0)),
        Case("netpbm_8", "netpbm-8.ico", "ppmtowinicon c256.ppm > $F", overWhite(0)),
        Case("netpbm_1_masked", "netpbm-1-masked.ico", "ppmtowinicon -andpgms c2.ppm mask.pbm > $F",
             overWhite(0)),
        Case("netpbm_4_masked", "netpbm-4-masked.ico",
             "ppmtowinicon -andpgms c16.ppm mask.pbm > $F", overWhite(0)),
        Case("netpbm_8_masked", "netpbm-8-masked.ico",
             "ppmtowinicon -andpgms c256.ppm mask.pbm > $F", overWhite(0)),
        Case("netpbm_32", "netpbm-32.ico", "pamtowinicon rgba.pam > $F", overWhite(0),
             alphaRoundsDown(0)),
        // icoutils' encoder: every depth from a PNG with on/off alpha; graded alpha at 32 bits;
        // a compressed entry.
        Case("icotool_1", "icotool-1.ico", masked("c2.ppm") + "\nicotool -c -b 1 -o $F masked.png",
             overWhite(0)),
        Case("icotool_4", "icotool-4.ico", masked("c16.ppm") + "\nicotool -c -b 4 -o $F masked.png",
             overWhite(0)),
        Case("icotool_8", "icotool-8.ico",
             masked("c256.ppm") + "\nicotool -c -b 8 -o $F masked.png", overWhite(0)),
        Case("icotool_24", "icotool-24.ico",
             masked("rgb.ppm") + "\nicotool -c -b 24 -o $F masked.png", overWhite(0)),
        Case("icotool_32", "icotool-32.ico",
             "pamtopng rgba.pam > a.png\nicotool -c -b 32 -o $F a.png", overWhite(0),
             alphaRoundsDown(0)),
        Case("icotool_png", "icotool-png.ico",
             "pamtopng rgba.pam > a.png\nicotool -c -r a.png -o $F", overWhite(0)),
        // ImageMagick writes 32-bit entries.
        Case("im_32", "im-32.ico", "convert rgba.pam $F", overWhite(0), alphaRoundsDown(0)),
    };
    std::vector<TConformanceCase> cases = AtSizes(icons, iconSizes);
    // At 256 x 256 ImageMagick stores a compressed entry.
    for (const TConformanceCase& c :
         AtSizes({Case("im_256", "im-256.ico", "convert rgba.pam $F", overWhite(0))}, {{256, 256}}))
        cases.push_back(c);
    // Several icons in one file, each loaded by its index.
    for (int i = 0; i < 3; ++i) {
        TConformanceCase c = Case("netpbm_multi_" + std::to_string(i), "multi.ico",
                                  "ppmtowinicon c2.ppm c16.ppm c256.ppm > $F", overWhite(i));
        c.Index = i;
        for (const TConformanceCase& sized : AtSizes({c}, {{16, 16}})) cases.push_back(sized);
    }
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Ico, Conformance, ::testing::ValuesIn(icoCases()), ConformanceCaseName);
