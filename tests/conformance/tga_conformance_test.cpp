#include "conformance.h"

namespace {

const char* const tgatoppm = "tgatoppm $F";
// netpbm's decoder ignores the right-to-left bit; ImageMagick's keeps the stored order and
// records the orientation, which -auto-orient applies.
const char* const magick = "convert $F -auto-orient -depth 8 ppm:-";

const TDeliberateDifference shifted = Deliberate(
    "5-bit channels are shifted left by 3, not scaled",
    PerChannel([](uint8_t v) { return static_cast<uint8_t>(((v * 31 + 127) / 255) << 3); }));

std::vector<TConformanceCase> tgaCases() {
    std::vector<TConformanceCase> files = {
        // netpbm's encoder: colour-mapped, grey and true colour, raw and run-length.
        Case("netpbm_cmap_rle", "netpbm-cmap-rle.tga", "pamtotga -cmap c256.ppm > $F", tgatoppm),
        Case("netpbm_cmap", "netpbm-cmap.tga", "pamtotga -cmap -norle c256.ppm > $F", tgatoppm),
        Case("netpbm_cmap_16_bit_map", "netpbm-cmap16.tga", "pamtotga -cmap16 c256.ppm > $F",
             tgatoppm, shifted),
        Case("netpbm_mono_rle", "netpbm-mono-rle.tga", "pamtotga -mono grey.pgm > $F", tgatoppm),
        Case("netpbm_mono", "netpbm-mono.tga", "pamtotga -mono -norle grey.pgm > $F", tgatoppm),
        Case("netpbm_rgb_rle", "netpbm-rgb-rle.tga", "pamtotga -rgb rgb.ppm > $F", tgatoppm),
        Case("netpbm_rgb", "netpbm-rgb.tga", "pamtotga -rgb -norle rgb.ppm > $F", tgatoppm),
        Case("netpbm_id_field", "netpbm-id.tga", "pamtotga -rgb -norle -name=glimmet rgb.ppm > $F",
             tgatoppm),
        Case("netpbm_rgba_rle", "netpbm-rgba.tga", "pamtotga rgba.pam > $F", tgatoppm),
        // ImageMagick's encoder: palette, grey, alpha, 5-5-5 pixels.
        Case("im_palette", "im-palette.tga", "convert c256.ppm -type Palette $F", magick),
        Case("im_palette_rle", "im-palette-rle.tga",
             "convert c256.ppm -type Palette -compress RLE $F", magick),
        Case("im_grey", "im-grey.tga", "convert grey.pgm -type Grayscale $F", magick),
        Case("im_rgba", "im-rgba.tga", "convert rgba.pam $F", magick),
        Case("im_rgba_rle", "im-rgba-rle.tga", "convert rgba.pam -compress RLE $F", magick),
        Case("im_16", "im-16.tga", "convert rgb.ppm -depth 5 $F", magick, shifted),
        Case("im_16_rle", "im-16-rle.tga", "convert rgb.ppm -depth 5 -compress RLE $F", magick,
             shifted),
    };
    // Every corner of origin, raw and run-length.
    for (const char* corner : {"TopLeft", "TopRight", "BottomRight", "BottomLeft"})
        for (const bool rle : {false, true}) {
            const std::string suffix = std::string(corner) + (rle ? "_rle" : "");
            files.push_back(Case("im_" + suffix, "im-" + suffix + ".tga",
                                 std::string("convert rgb.ppm -orient ") + corner +
                                     (rle ? " -compress RLE" : "") + " $F",
                                 magick));
        }
    return AtSizes(files);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Tga, Conformance, ::testing::ValuesIn(tgaCases()), ConformanceCaseName);
