#include "conformance.h"

#include <array>
#include <cstdio>

namespace {

const char* const pcxtoppm = "pcxtoppm $F";

// The file with its 16-entry header palette (bytes 16..63) replaced, decoded by pcxtoppm.
std::string withHeaderPalette(const std::vector<std::array<int, 3>>& colours) {
    std::string bytes;
    for (const auto& colour : colours)
        for (int v : colour) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", v);
            bytes += octal;
        }
    const int end = 17 + 3 * static_cast<int>(colours.size());
    return "{ head -c 16 $F; printf '" + bytes + "'; tail -c +" + std::to_string(end) +
           " $F; } | pcxtoppm";
}

const std::vector<std::array<int, 3>> systemColours = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

const TDeliberateDifference blackAndWhite =
    DeliberateDecoding("1-bit files show black and white whatever the header palette holds",
                       withHeaderPalette({{0, 0, 0}, {255, 255, 255}}));

std::vector<TConformanceCase> pcxCases() {
    const std::vector<TConformanceCase> files = {
        // netpbm's encoder picks the layout by the colours: 1 or 4 planes of 1 bit, 8 or 24 bits.
        Case("netpbm_1", "netpbm-1.pcx", "ppmtopcx c2.ppm > $F", pcxtoppm, blackAndWhite),
        Case("netpbm_bw", "netpbm-bw.pcx", "ppmtopcx bw.pbm > $F", pcxtoppm),
        Case("netpbm_4_planes", "netpbm-4.pcx", "ppmtopcx -planes=4 c16.ppm > $F", pcxtoppm),
        Case("netpbm_4_planes_2_colours", "netpbm-4-c2.pcx", "ppmtopcx -planes=4 c2.ppm > $F",
             pcxtoppm),
        Case("netpbm_standard_palette", "netpbm-std.pcx", "ppmtopcx -stdpalette bw.pbm > $F",
             pcxtoppm),
        Case("netpbm_8", "netpbm-8.pcx", "ppmtopcx -8bit c256.ppm > $F", pcxtoppm),
        Case("netpbm_24", "netpbm-24.pcx", "ppmtopcx -24bit rgb.ppm > $F", pcxtoppm),
        Case("netpbm_offset", "netpbm-offset.pcx",
             "ppmtopcx -planes=4 -xpos=5 -ypos=3 c16.ppm > $F", pcxtoppm),
        // Version 3 ("without palette") shows the system colours, not the header's.
        Case("netpbm_version_3", "netpbm-v3.pcx",
             "ppmtopcx -planes=4 c16.ppm > $F\nprintf '\\003' | dd of=$F bs=1 seek=1 conv=notrunc",
             pcxtoppm,
             DeliberateDecoding("a version-3 file shows the 16 system colours",
                                withHeaderPalette(systemColours))),
        // ImageMagick's encoder.
        Case("im_1", "im-1.pcx", "convert bw.pbm -type Bilevel $F", pcxtoppm),
        Case("im_8", "im-8.pcx", "convert c256.ppm -type Palette $F", pcxtoppm),
        Case("im_24", "im-24.pcx", "convert rgb.ppm -type TrueColor $F", pcxtoppm),
    };
    const std::vector<TConformanceCase> refused = {
        Case("netpbm_2_planes", "netpbm-2-planes.pcx", "ppmtopcx -planes=2 c16.ppm > $F", pcxtoppm,
             Refusal("two planes of 1 bit are not a stored layout")),
        Case("netpbm_packed_4", "netpbm-packed-4.pcx", "ppmtopcx -packed c16.ppm > $F", pcxtoppm,
             Refusal("4 bits in one plane are not a stored layout")),
    };
    std::vector<TConformanceCase> cases = AtSizes(files);
    for (const TConformanceCase& c : AtSizes(refused, {{17, 5}})) cases.push_back(c);
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Pcx, Conformance, ::testing::ValuesIn(pcxCases()), ConformanceCaseName);
