#include "conformance.h"

#include <cmath>

namespace {

const char* const netpbm = "bmptopnm $F";
const char* const magick = "convert $F -depth 8 ppm:-";

// 16-bit fields: a field k of n bits loads as (k + 1) << (8 - n), 0 as 0; the tools scale k.
TPixelModel sixteenBitFields(int redBits, int greenBits, int blueBits) {
    return [=](const TToolImage& decoding) {
        TRefImage ref = Rounded(decoding);
        const auto expand = [](uint8_t v, int bits) {
            const int k = static_cast<int>(std::lround(v * ((1 << bits) - 1) / 255.0));
            return k == 0 ? 0 : std::min(255, (k + 1) << (8 - bits));
        };
        for (uint32_t& p : ref.Pixels)
            p = PGColor(expand(PGRed(p), redBits), expand(PGGreen(p), greenBits),
                        expand(PGBlue(p), blueBits));
        return ref;
    };
}

TDeliberateDifference fields(int red, int green, int blue) {
    return Deliberate("16-bit fields expand as (k + 1) << shift, not scaled",
                      sixteenBitFields(red, green, blue));
}

std::vector<TConformanceCase> bmpCases() {
    std::vector<TConformanceCase> cases = {
        // netpbm's encoder: Windows and OS/2 headers at every depth.
        Case("netpbm_1", "netpbm-1.bmp", "ppmtobmp -bpp 1 c2.ppm > $F", netpbm),
        Case("netpbm_4", "netpbm-4.bmp", "ppmtobmp -bpp 4 c16.ppm > $F", netpbm),
        Case("netpbm_8", "netpbm-8.bmp", "ppmtobmp -bpp 8 c256.ppm > $F", netpbm),
        Case("netpbm_24", "netpbm-24.bmp", "ppmtobmp -bpp 24 rgb.ppm > $F", netpbm),
        Case("netpbm_os2_1", "netpbm-os2-1.bmp", "ppmtobmp -os2 -bpp 1 bw.pbm > $F", netpbm),
        Case("netpbm_os2_4", "netpbm-os2-4.bmp", "ppmtobmp -os2 -bpp 4 c16.ppm > $F", netpbm),
        Case("netpbm_os2_8", "netpbm-os2-8.dib", "ppmtobmp -os2 -bpp 8 c256.ppm > $F", netpbm),
        Case("netpbm_os2_24", "netpbm-os2-24.bmp", "ppmtobmp -os2 -bpp 24 rgb.ppm > $F", netpbm),
        // ImageMagick's encoder: version 3 and 5 headers, the core header, alpha, bit fields.
        Case("im_v3_1", "im-v3-1.bmp", "convert bw.pbm -type Bilevel bmp3:$F", netpbm),
        Case("im_v3_4", "im-v3-4.bmp", "convert c16.ppm -type Palette bmp3:$F", netpbm),
        Case("im_v3_8", "im-v3-8.dib", "convert c256.ppm -type Palette -compress None bmp3:$F",
             netpbm),
        Case("im_v3_24", "im-v3-24.bmp", "convert rgb.ppm -type TrueColor bmp3:$F", netpbm),
        Case("im_v5_8", "im-v5-8.bmp", "convert c256.ppm -type Palette -compress None bmp:$F",
             netpbm),
        Case("im_v5_24", "im-v5-24.bmp", "convert rgb.ppm -type TrueColor bmp:$F", netpbm),
        Case("im_v5_32_alpha", "im-v5-32.bmp", "convert rgba.pam -type TrueColorAlpha bmp:$F",
             netpbm),
        Case("im_v2_8", "im-v2-8.bmp", "convert c256.ppm -type Palette bmp2:$F", netpbm),
        // Run-length files: netpbm refuses the runs that pad odd rows, ImageMagick decodes them.
        Case("im_rle8", "im-rle8.rle", "convert c256.ppm -type Palette -compress RLE bmp3:$F",
             magick),
        Case("im_rle8_few_colours", "im-rle8-c16.bmp",
             "convert c16.ppm -type Palette -compress RLE bmp3:$F", magick),
        Case("im_565", "im-565.bmp", "convert rgb.ppm -define bmp:subtype=RGB565 bmp:$F", netpbm,
             fields(5, 6, 5)),
        Case("im_555", "im-555.bmp", "convert rgb.ppm -define bmp:subtype=RGB555 bmp:$F", netpbm,
             fields(5, 5, 5)),
    };
    return AtSizes(cases);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Bmp, Conformance, ::testing::ValuesIn(bmpCases()), ConformanceCaseName);
