#include "conformance.h"

namespace {

// netpbm's own reading, scaled by netpbm to 8 bits.
const char* const netpbm = "ppmtoppm < $F | pamdepth 255";

std::vector<TConformanceCase> pnmCases() {
    const std::vector<TConformanceCase> files = {
        Case("raw_pbm", "raw.pbm", "cp bw.pbm $F", netpbm),
        Case("plain_pbm", "plain.pbm", "pnmtoplainpnm bw.pbm > $F", netpbm),
        Case("raw_pgm", "raw.pgm", "cp grey.pgm $F", netpbm),
        Case("plain_pgm", "plain.pgm", "pnmtoplainpnm grey.pgm > $F", netpbm),
        Case("raw_ppm", "raw.ppm", "cp rgb.ppm $F", netpbm),
        Case("plain_ppm", "plain.ppm", "pnmtoplainpnm rgb.ppm > $F", netpbm),
        // Other maximum values: samples are scaled to 0..255.
        Case("raw_pgm_max_1", "raw-max1.pgm", "pamdepth 1 grey.pgm > $F", netpbm),
        Case("raw_pgm_max_15", "raw-max15.pgm", "pamdepth 15 grey.pgm > $F", netpbm),
        Case("plain_pgm_max_15", "plain-max15.pgm", "pamdepth 15 grey.pgm | pnmtoplainpnm > $F",
             netpbm),
        Case("raw_ppm_max_7", "raw-max7.ppm", "pamdepth 7 rgb.ppm > $F", netpbm),
        Case("plain_ppm_max_7", "plain-max7.ppm", "pamdepth 7 rgb.ppm | pnmtoplainpnm > $F",
             netpbm),
        Case("plain_ppm_max_1000", "plain-max1000.ppm",
             "pamdepth 1000 rgb16.ppm | pnmtoplainpnm > $F", netpbm),
        Case("plain_pgm_max_65535", "plain-max65535.pgm", "pnmtoplainpnm grey16.pgm > $F", netpbm),
        Case("plain_ppm_max_65535", "plain-max65535.ppm", "pnmtoplainpnm rgb16.ppm > $F", netpbm),
        // ImageMagick's encoder, comments in the header.
        Case("im_comment_ppm", "im-comment.ppm",
             "convert rgb.ppm -set comment $'two\\nlines' ppm:$F", netpbm),
        Case("im_plain_pgm", "im-plain.pgm",
             "convert grey.pgm -compress none -set comment 'plain' pgm:$F", netpbm),
        Case("im_plain_pbm", "im-plain.pbm", "convert bw.pbm -compress none pbm:$F", netpbm),
        Case("comments_between_fields", "comments.pgm",
             "pnmtoplainpnm grey.pgm | sed -e '1a # after the magic' -e '2a # after the size' > $F",
             netpbm),
    };
    const std::vector<TConformanceCase> refused = {
        Case("raw_ppm_max_65535", "raw-max65535.ppm", "cp rgb16.ppm $F", netpbm,
             Refusal("raw files with two bytes per sample are not supported")),
        Case("raw_pgm_max_65535", "raw-max65535.pgm", "cp grey16.pgm $F", netpbm,
             Refusal("raw files with two bytes per sample are not supported")),
    };
    std::vector<TConformanceCase> cases = AtSizes(files);
    for (const TConformanceCase& c : AtSizes(refused, {{17, 5}})) cases.push_back(c);
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Pnm, Conformance, ::testing::ValuesIn(pnmCases()), ConformanceCaseName);
