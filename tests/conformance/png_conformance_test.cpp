#include "conformance.h"

#include <cmath>

namespace {

const char* const pngtopam = "pngtopam $F";
const char* const mixed = "pngtopam -mix -background=#3366cc $F";
const char* const withAlpha = "pngtopam -alphapam $F";

const char* const composited = "transparent pixels are composited over the background";

// 16-bit samples keep their high byte (the library strips the low one) where tools round.
TRefImage highByte(const TToolImage& decoding) {
    TToolImage stripped = decoding;
    if (decoding.MaxVal == 65535) {
        for (uint16_t& s : stripped.Samples) s = static_cast<uint16_t>(s >> 8);
        stripped.MaxVal = 255;
    }
    return Rounded(stripped);
}

// What the load pipeline shows for a file with gAMA g: v^(1 / (g x 2.2)).
uint8_t displayed(double level, double fileGamma) {
    return static_cast<uint8_t>(std::lround(255 * std::pow(level, 1 / (fileGamma * 2.2))));
}

TPixelModel gammaCorrected(double fileGamma) {
    return PerChannel([fileGamma](uint8_t v) { return displayed(v / 255.0, fileGamma); });
}

// With gAMA g the library composites in linear light: samples are decoded with 1 / g, mixed by
// alpha with the background and encoded again; then the load pipeline corrects for g.
TPixelModel linearComposite(double fileGamma, uint32_t background) {
    return [=](const TToolImage& d) {
        TRefImage ref;
        ref.Width = d.Width;
        ref.Height = d.Height;
        const double bg[3] = {PGRed(background) / 255.0, PGGreen(background) / 255.0,
                              PGBlue(background) / 255.0};
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                uint8_t c[3];
                const double a = d.Alpha(x, y);
                for (int i = 0; i < 3; ++i) {
                    const double linear = a * std::pow(d.Level(x, y, i), 1 / fileGamma) +
                                          (1 - a) * std::pow(bg[i], 1 / fileGamma);
                    c[i] = displayed(std::pow(linear, fileGamma), fileGamma);
                }
                ref.Pixels.push_back(PGColor(c[0], c[1], c[2]));
            }
        return ref;
    };
}

const TDeliberateDifference keepsHighByte =
    Deliberate("16-bit samples keep their high byte", highByte);
const TDeliberateDifference overBackground = DeliberateDecoding(composited, mixed);
// Grey files composite over the background's grey, (0x33 + 0x66 + 0xCC) / 3.
const TDeliberateDifference overGreyBackground =
    DeliberateDecoding(std::string(composited) + "'s grey", "pngtopam -mix -background=#777777 $F");
// ImageMagick writes gAMA 1/2.2 and a white bKGD; the library's gamma tables round to within 1.
const TDeliberateDifference overWhiteInLinearLight =
    Deliberate(std::string(composited) + " (the file's bKGD), in linear light for its gAMA",
               linearComposite(1 / 2.2, PGColor(255, 255, 255)), 1, withAlpha);

std::vector<TConformanceCase> pngCases() {
    std::vector<TConformanceCase> cases = {
        // netpbm's encoder: no gAMA, no bKGD.
        Case("netpbm_rgb", "rgb.png", "pnmtopng rgb.ppm > $F", pngtopam),
        Case("netpbm_palette_1", "palette-1.png", "pnmtopng c2.ppm > $F", pngtopam),
        Case("netpbm_palette_2", "palette-2.png", "pnmtopng c4.ppm > $F", pngtopam),
        Case("netpbm_grey_2", "grey-2.png", "pamdepth 3 grey.pgm | pnmtopng > $F", pngtopam),
        Case("netpbm_grey_4", "grey-4.png", "pamdepth 15 grey.pgm | pnmtopng > $F", pngtopam),
        Case("netpbm_interlaced_grey_2", "interlaced-grey-2.png",
             "pamdepth 3 grey.pgm | pnmtopng -interlace > $F", pngtopam),
        Case("netpbm_palette_4", "palette-4.png", "pnmtopng c16.ppm > $F", pngtopam),
        Case("netpbm_palette_8", "palette-8.png", "pnmtopng c256.ppm > $F", pngtopam),
        Case("netpbm_grey_1", "grey-1.png", "pnmtopng bw.pbm > $F", pngtopam),
        Case("netpbm_grey_8", "grey-8.png", "pnmtopng grey.pgm > $F", pngtopam),
        Case("netpbm_interlaced_rgb", "interlaced-rgb.png", "pnmtopng -interlace rgb.ppm > $F",
             pngtopam),
        Case("netpbm_interlaced_palette", "interlaced-palette.png",
             "pnmtopng -interlace c16.ppm > $F", pngtopam),
        Case("netpbm_interlaced_grey_1", "interlaced-grey-1.png", "pnmtopng -interlace bw.pbm > $F",
             pngtopam),
        Case("netpbm_rgb_16", "rgb-16.png", "pnmtopng rgb16.ppm > $F", pngtopam, keepsHighByte),
        Case("netpbm_grey_16", "grey-16.png", "pnmtopng grey16.pgm > $F", pngtopam, keepsHighByte),
        Case("netpbm_rgba", "rgba.png", "pamtopng rgba.pam > $F", pngtopam, overBackground),
        Case("netpbm_interlaced_rgba", "interlaced-rgba.png", "pamtopng -interlace rgba.pam > $F",
             pngtopam, overBackground),
        Case("netpbm_rgba_bkgd", "rgba-bkgd.png", "pamtopng -background=#c86432 rgba.pam > $F",
             pngtopam,
             DeliberateDecoding(std::string(composited) + " (the file's bKGD)",
                                "pngtopam -mix -background=#c86432 $F")),
        Case("netpbm_palette_trns", "palette-trns.png",
             "pnmtopng -transparent==rgb:00/28/ff c16.ppm > $F", pngtopam, overBackground),
        Case("netpbm_grey_trns", "grey-trns.png",
             "pnmtopng -transparent==rgb:25/25/25 grey.pgm > $F", pngtopam, overGreyBackground),
        // pngtopam -mix leaves out an RGB tRNS, ImageMagick's flattening does not.
        Case("netpbm_rgb_trns", "rgb-trns.png", "pnmtopng -transparent==rgb:00/00/c8 rgb.ppm > $F",
             pngtopam,
             DeliberateDecoding(composited,
                                "convert $F -background '#3366cc' -flatten -depth 8 ppm:-")),
        Case("netpbm_gamma_1", "gamma-1.png", "pnmtopng -gamma=1.0 rgb.ppm > $F", pngtopam,
             Deliberate("corrected from the file's gAMA to a display gamma of 2.2",
                        gammaCorrected(1.0))),
        Case("netpbm_gamma_0_7", "gamma-0.7.png", "pnmtopng -gamma=0.7 c256.ppm > $F", pngtopam,
             Deliberate("corrected from the file's gAMA to a display gamma of 2.2",
                        gammaCorrected(0.7))),
        Case("netpbm_gamma_display", "gamma-display.png", "pnmtopng -gamma=0.45455 rgb.ppm > $F",
             pngtopam),
        // ImageMagick's encoder: gAMA 1/2.2, cHRM and a white bKGD in every file.
        Case("im_png8", "im-png8.png", "convert c256.ppm PNG8:$F", pngtopam),
        Case("im_png24", "im-png24.png", "convert rgb.ppm PNG24:$F", pngtopam),
        Case("im_png48", "im-png48.png", "convert rgb16.ppm PNG48:$F", pngtopam, keepsHighByte),
        Case("im_png32", "im-png32.png", "convert rgba.pam PNG32:$F", pngtopam,
             overWhiteInLinearLight),
        Case("im_png64", "im-png64.png", "convert rgba.pam -depth 16 PNG64:$F", pngtopam,
             overWhiteInLinearLight),
        Case("im_png64_interlaced", "im-png64-interlaced.png",
             "convert rgba.pam -depth 16 -interlace PNG PNG64:$F", pngtopam,
             overWhiteInLinearLight),
        Case("im_grey_alpha", "im-grey-alpha.png",
             "convert rgba.pam -colorspace Gray -type GrayscaleAlpha $F", pngtopam,
             overWhiteInLinearLight),
        Case("im_palette_alpha", "im-palette-alpha.png",
             "convert rgba.pam -colors 200 -define png:exclude-chunk=bKGD PNG8:$F", pngtopam,
             Deliberate(std::string(composited) + ", in linear light for its gAMA",
                        linearComposite(1 / 2.2, ConformanceBackground), 1, withAlpha)),
        Case("im_grey_2", "im-grey-2.png",
             "convert grey.pgm -depth 2 -define png:color-type=0 -define png:bit-depth=2 $F",
             pngtopam),
        Case("im_grey_4", "im-grey-4.png",
             "convert grey.pgm -depth 4 -define png:color-type=0 -define png:bit-depth=4 $F",
             pngtopam),
        Case("im_interlaced", "im-interlaced.png", "convert rgb.ppm -interlace PNG PNG24:$F",
             pngtopam),
    };
    return AtSizes(cases);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Png, Conformance, ::testing::ValuesIn(pngCases()), ConformanceCaseName);
