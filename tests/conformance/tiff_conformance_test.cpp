#include "conformance.h"

#include <algorithm>

namespace {

const char* const tifftopnm = "tifftopnm $F";
const char* const rgbSource = "convert rgb.ppm -compress none rgb.tif\n";
const char* const greySource = "convert grey.pgm -compress none grey.tif\n";

// Inks are subtracted with black: max(255 - ink - K, 0); the tools multiply.
TRefImage subtractedInks(const TToolImage& d) {
    TRefImage ref;
    ref.Width = d.Width;
    ref.Height = d.Height;
    for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x) {
            const auto left = [&](int ink) {
                const int v = 255 - static_cast<int>(d.Sample(x, y, ink) + d.Sample(x, y, 3));
                return static_cast<uint32_t>(std::max(v, 0));
            };
            ref.Pixels.push_back(PGColor(left(0), left(1), left(2)));
        }
    return ref;
}

TConformanceCase tiffcp(const std::string& name, const std::string& source,
                        const std::string& options) {
    return Case(name, name + ".tif",
                source + "tiffcp " + options + " " +
                    (source == rgbSource ? "rgb.tif" : "grey.tif") + " $F",
                tifftopnm);
}

std::vector<TConformanceCase> tiffCases() {
    const std::vector<TConformanceCase> files = {
        // libtiff's copier: every compression the reader decodes, predictors, strips, byte order.
        tiffcp("rgb_none", rgbSource, "-c none"),
        tiffcp("rgb_packbits", rgbSource, "-c packbits"),
        tiffcp("rgb_lzw", rgbSource, "-c lzw"),
        tiffcp("rgb_lzw_predictor", rgbSource, "-c lzw:2"),
        tiffcp("rgb_zip", rgbSource, "-c zip"),
        tiffcp("rgb_zip_predictor", rgbSource, "-c zip:2"),
        tiffcp("rgb_row_strips", rgbSource, "-c none -r 1"),
        tiffcp("rgb_lzw_3_row_strips", rgbSource, "-c lzw:2 -r 3"),
        tiffcp("rgb_big_endian", rgbSource, "-B -c none"),
        tiffcp("rgb_big_endian_lzw", rgbSource, "-B -c lzw:2 -r 2"),
        tiffcp("rgb_big_endian_zip", rgbSource, "-B -c zip -r 4"),
        tiffcp("grey_packbits", greySource, "-c packbits"),
        tiffcp("grey_lzw_predictor", greySource, "-c lzw:2"),
        tiffcp("grey_zip", greySource, "-c zip -r 2"),
        // netpbm's encoder: palettes of 1, 4 and 8 bits, bilevel both ways round, grey.
        Case("netpbm_palette_8_lzw", "netpbm-palette-8.tif", "pnmtotiff -lzw c256.ppm > $F",
             tifftopnm),
        Case("netpbm_palette_4", "netpbm-palette-4.tif", "pnmtotiff -indexbits=1,2,4 c16.ppm > $F",
             tifftopnm),
        Case("netpbm_palette_1", "netpbm-palette-1.tif",
             "pnmtotiff -indexbits=1 -packbits c2.ppm > $F", tifftopnm),
        Case("netpbm_rgb_flate_predictor", "netpbm-flate.tif",
             "pnmtotiff -truecolor -flate -predictor=2 rgb.ppm > $F", tifftopnm),
        Case("netpbm_rgb_strips_of_2", "netpbm-rps2.tif",
             "pnmtotiff -truecolor -rowsperstrip=2 rgb.ppm > $F", tifftopnm),
        Case("netpbm_min_is_white", "netpbm-white.tif", "pnmtotiff -miniswhite bw.pbm > $F",
             tifftopnm),
        Case("netpbm_min_is_black", "netpbm-black.tif", "pnmtotiff -minisblack bw.pbm > $F",
             tifftopnm),
        Case("netpbm_grey", "netpbm-grey.tif", "pnmtotiff grey.pgm > $F", tifftopnm),
        Case("netpbm_grey_min_is_white", "netpbm-grey-white.tif",
             "pnmtotiff -miniswhite grey.pgm > $F", tifftopnm),
        Case("netpbm_grey_4_min_is_white", "netpbm-grey-4-white.tif",
             "pamdepth 15 grey.pgm | pnmtotiff -miniswhite > $F", tifftopnm),
        Case("netpbm_palette_4_lzw_big_endian", "netpbm-palette-4-be.tif",
             "pnmtotiff -indexbits=1,2,4 -lzw c16.ppm > p.tif\ntiffcp -B p.tif $F", tifftopnm),
        Case("netpbm_palette_2_colours_in_4_bits", "netpbm-palette-4-c2.tif",
             "pnmtotiff -indexbits=4 c2.ppm > $F", tifftopnm),
        Case("netpbm_grey_4", "netpbm-grey-4.tif", "pamdepth 15 grey.pgm | pnmtotiff > $F",
             tifftopnm),
        // ImageMagick's encoder.
        Case("im_grey_4", "im-grey-4.tif", "convert grey.pgm -depth 4 -compress none $F",
             tifftopnm),
        Case("im_grey_8_zip", "im-grey-8.tif", "convert grey.pgm -compress Zip $F", tifftopnm),
        Case("im_bilevel", "im-bilevel.tif", "convert bw.pbm -compress none $F", tifftopnm),
        Case("im_palette_8", "im-palette-8.tif", "convert c256.ppm -type Palette $F", tifftopnm),
        Case("im_palette_8_packbits", "im-palette-8-rle.tif",
             "convert c256.ppm -type Palette -compress RLE $F", tifftopnm),
        Case("im_palette_4", "im-palette-4.tif", "convert c16.ppm -type Palette -depth 4 $F",
             tifftopnm),
        Case("im_rgb_lzw", "im-rgb-lzw.tif", "convert rgb.ppm -compress LZW $F", tifftopnm),
        Case("im_associated_alpha", "im-associated.tif",
             "convert rgba.pam -define tiff:alpha=associated $F", tifftopnm),
        Case("im_alpha", "im-alpha.tif", "convert rgba.pam $F", tifftopnm,
             DeliberateDecoding("an extra sample is ignored, not composited",
                                "convert $F -alpha off -depth 8 ppm:-")),
        Case("im_cmyk", "im-cmyk.tif", "convert rgb.ppm -colorspace CMYK $F", tifftopnm,
             Deliberate("CMYK inks are subtracted, not multiplied", subtractedInks, 0,
                        "convert $F -depth 8 pam:-")),
        Case("first_page", "pages.tif",
             std::string(rgbSource) + greySource + "tiffcp rgb.tif grey.tif $F", tifftopnm),
        Case("fill_order_2", "fill-order-2.tif", "pnmtotiff -lsb2msb bw.pbm > $F", tifftopnm,
             DeliberateDecoding("FillOrder 2 is not read; bits are taken most significant first",
                                "cp $F stored.tif\ntiffset -s 266 1 stored.tif\n"
                                "tifftopnm stored.tif")),
    };
    std::vector<TConformanceCase> orientations;
    for (int o = 2; o <= 8; ++o)
        orientations.push_back(Case(
            "orientation_" + std::to_string(o), "orientation-" + std::to_string(o) + ".tif",
            std::string(rgbSource) + "cp rgb.tif $F\ntiffset -s 274 " + std::to_string(o) + " $F",
            tifftopnm,
            DeliberateDecoding("the Orientation tag is not read; rows show as stored",
                               "tifftopnm -orientraw $F")));
    const TDeliberateDifference notDecoded = Refusal("a form the reader does not decode");
    const std::vector<TConformanceCase> refused = {
        Case("im_rgb_16", "rgb-16.tif", "convert rgb16.ppm -compress none $F", tifftopnm,
             Refusal("16-bit samples are not decoded")),
        Case("im_grey_2", "grey-2.tif", "convert grey.pgm -depth 2 -compress none $F", tifftopnm,
             Refusal("2-bit samples are not decoded")),
        // tifftopnm cannot show YCbCr, libtiff's RGBA interface can.
        Case("rgb_jpeg", "rgb-jpeg.tif", std::string(rgbSource) + "tiffcp -c jpeg rgb.tif $F",
             "tiff2rgba $F rgba.tif\ntifftopnm rgba.tif"),
        tiffcp("rgb_tiled", rgbSource, "-c none -t -w 16 -l 16"),
        tiffcp("rgb_separate_planes", rgbSource, "-c none -p separate"),
        Case("netpbm_g3", "g3.tif", "pnmtotiff -g3 bw.pbm > $F", tifftopnm, notDecoded),
        Case("netpbm_g4", "g4.tif", "pnmtotiff -g4 bw.pbm > $F", tifftopnm, notDecoded),
        Case("second_page", "pages.tif",
             std::string(rgbSource) + greySource + "tiffcp rgb.tif grey.tif $F",
             "tiffcp $F,1 page.tif\ntifftopnm page.tif",
             Refusal("only the first directory is read"), 1),
    };
    std::vector<TConformanceCase> cases = AtSizes(files);
    for (const TConformanceCase& c : AtSizes(orientations, {{17, 5}, {3, 7}})) cases.push_back(c);
    for (TConformanceCase c : AtSizes(refused, {{17, 5}})) {
        if (!c.Difference) c.Difference = notDecoded;
        cases.push_back(c);
    }
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Tiff, Conformance, ::testing::ValuesIn(tiffCases()), ConformanceCaseName);
