#include "conformance.h"

#include <cstdio>

namespace {

const char* const djpeg = "djpeg $F";

// An Exif block holding only the orientation, spliced in after the 20-byte JFIF marker of a
// file cjpeg wrote.
std::string withOrientation(int orientation, const std::string& source = "rgb.ppm") {
    char value[8];
    std::snprintf(value, sizeof value, "\\%03o", orientation);
    return "cjpeg -quality 90 -sample 1x1 " + source +
           " > plain.jpg\n"
           "{ head -c 20 plain.jpg\n"
           "  printf '\\377\\341\\000\\042Exif\\000\\000MM\\000\\052\\000\\000\\000\\010'\n"
           "  printf '\\000\\001\\001\\022\\000\\003\\000\\000\\000\\001\\000" +
           std::string(value) +
           "\\000\\000\\000\\000\\000\\000'\n"
           "  tail -c +21 plain.jpg; } > $F";
}

std::vector<TConformanceCase> jpegCases() {
    std::vector<TConformanceCase> cases = {
        Case("baseline", "baseline.jpg", "cjpeg rgb.ppm > $F", djpeg),
        Case("quality_100", "q100.jpg", "cjpeg -quality 100 rgb.ppm > $F", djpeg),
        Case("quality_5", "q5.jpeg", "cjpeg -quality 5 rgb.ppm > $F", djpeg),
        Case("grey_from_colour", "grey.jpg", "cjpeg -grayscale rgb.ppm > $F", djpeg),
        Case("grey", "grey-source.jpg", "cjpeg grey.pgm > $F", djpeg),
        Case("progressive", "progressive.jpg", "cjpeg -progressive rgb.ppm > $F", djpeg),
        Case("progressive_grey", "progressive-grey.jpg", "cjpeg -progressive grey.pgm > $F", djpeg),
        Case("optimized", "optimized.jpg", "cjpeg -optimize rgb.ppm > $F", djpeg),
        Case("arithmetic", "arithmetic.jpg", "cjpeg -arithmetic rgb.ppm > $F", djpeg),
        Case("restart_every_row", "restart.jpg", "cjpeg -restart 1 rgb.ppm > $F", djpeg),
        Case("restart_every_block", "restart-block.jpg", "cjpeg -restart 1b rgb.ppm > $F", djpeg),
        Case("sample_1x1", "sample-1x1.jpg", "cjpeg -sample 1x1 rgb.ppm > $F", djpeg),
        Case("sample_2x1", "sample-2x1.jpg", "cjpeg -sample 2x1 rgb.ppm > $F", djpeg),
        Case("sample_1x2", "sample-1x2.jpg", "cjpeg -sample 1x2 rgb.ppm > $F", djpeg),
        Case("sample_4x1", "sample-4x1.jpg", "cjpeg -sample 4x1 rgb.ppm > $F", djpeg),
        Case("sample_4x2", "sample-4x2.jpg", "cjpeg -sample 4x2 rgb.ppm > $F", djpeg),
        Case("rgb_components", "rgb.jpg", "cjpeg -rgb rgb.ppm > $F", djpeg),
        Case("smoothed_float", "smooth.jpg", "cjpeg -smooth 30 -dct float rgb.ppm > $F", djpeg),
        Case("jpegtran_progressive", "tran-progressive.jpg",
             "cjpeg rgb.ppm | jpegtran -progressive > $F", djpeg),
        Case("im_422", "im-422.jpg", "convert rgb.ppm -quality 90 -sampling-factor 2x1 $F", djpeg),
        Case("im_interlaced", "im-plane.jpg", "convert rgb.ppm -interlace Plane $F", djpeg),
        Case("im_cmyk", "im-cmyk.jpg", "convert rgb.ppm -colorspace CMYK $F",
             "convert $F -colorspace sRGB -depth 8 ppm:-",
             Refusal("four-component files are not supported")),
    };
    for (int o = 1; o <= 8; ++o)
        cases.push_back(Case("exif_orientation_" + std::to_string(o),
                             "orientation-" + std::to_string(o) + ".jpg", withOrientation(o),
                             "convert $F -auto-orient -depth 8 ppm:-"));
    // Turned greyscale rows.
    for (int o : {5, 6})
        cases.push_back(Case("exif_orientation_" + std::to_string(o) + "_grey",
                             "orientation-" + std::to_string(o) + "-grey.jpg",
                             withOrientation(o, "grey.pgm"),
                             "convert $F -auto-orient -depth 8 ppm:-"));
    return AtSizes(cases);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Jpeg, Conformance, ::testing::ValuesIn(jpegCases()), ConformanceCaseName);
