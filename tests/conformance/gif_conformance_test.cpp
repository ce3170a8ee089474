#include "conformance.h"

namespace {

std::string giftopnm(int index) {
    return "giftopnm --image=" + std::to_string(index + 1) + " $F";
}

TConformanceCase frame(TConformanceCase c, int index) {
    c.Name += "_frame_" + std::to_string(index);
    c.Decode = giftopnm(index);
    c.Index = index;
    return c;
}

// A 12 x 9 screen with four frames: a full first frame, one at (3, 2) with its own 8-colour
// table, an interlaced one at (7, 4), and one of a single pixel at the far corner. Extensions
// of every known label come between them.
const char* const layout = R"(gifbuild > $F <<'TEXT'
screen width 12
screen height 9
screen background 1
screen map
	rgb 0 0 0 is a
	rgb 255 0 0 is b
	rgb 0 255 0 is c
	rgb 0 0 255 is d
end
netscape loop 0
comment
a comment before the first frame
end
graphics control
	disposal mode 1
	delay 10
	transparent index 2
end
image
image bits 12 by 9
abcdabcdabcd
bcdabcdabcda
cdabcdabcdab
dabcdabcdabc
aaaaaabbbbbb
ccccccdddddd
abababababab
cdcdcdcdcdcd
dddddddddddd
extension 01
plain text
end
image
image left 3
image top 2
image map
	rgb 10 20 30 is 0
	rgb 200 100 50 is 1
	rgb 255 255 255 is 2
	rgb 90 180 45 is 3
	rgb 12 240 200 is 4
	rgb 128 0 128 is 5
	rgb 64 64 64 is 6
	rgb 250 200 10 is 7
end
image bits 5 by 4
01234
56701
23456
70123
image
image left 7
image top 4
image interlaced
image bits 5 by 5
abcda
bbbbb
ccccc
ddddd
dcbad
image
image left 11
image top 8
image bits 1 by 1
c
TEXT)";

// Two frames with an extension label no version of the format defines between them.
const char* const unknownLabel = R"(gifbuild > $F <<'TEXT'
screen width 3
screen height 2
screen map
	rgb 0 0 0 is a
	rgb 255 255 255 is b
end
image
image bits 3 by 2
abb
bba
extension 42
payload
end
image
image bits 3 by 2
bab
aab
TEXT)";

TRefImage noFrame(const TToolImage&) {
    return {};
}

std::vector<TConformanceCase> gifCases() {
    const std::vector<TConformanceCase> files = {
        // ImageMagick's encoder: table depths 1, 4, 8; 87a; interlace; transparency.
        Case("im_2", "im-2.gif", "convert c2.ppm $F", giftopnm(0)),
        Case("im_16", "im-16.gif", "convert c16.ppm $F", giftopnm(0)),
        Case("im_256", "im-256.gif", "convert c256.ppm $F", giftopnm(0)),
        Case("im_87a", "im-87a.gif", "convert c16.ppm gif87:$F", giftopnm(0)),
        Case("im_interlaced", "im-interlaced.gif", "convert c256.ppm -interlace GIF $F",
             giftopnm(0)),
        Case("im_quantised", "im-quantised.gif", "convert rgb.ppm +dither -colors 256 $F",
             giftopnm(0)),
        Case("im_transparent", "im-transparent.gif", "convert rgba.pam $F", giftopnm(0)),
        // netpbm's encoder, with and without compression.
        Case("netpbm_16", "netpbm-16.gif", "pamtogif c16.ppm > $F", giftopnm(0)),
        Case("netpbm_256", "netpbm-256.gif", "pamtogif c256.ppm > $F", giftopnm(0)),
        Case("netpbm_bw", "netpbm-bw.gif", "pamtogif bw.pbm > $F", giftopnm(0)),
        Case("netpbm_interlaced", "netpbm-interlaced.gif", "pamtogif -interlace c256.ppm > $F",
             giftopnm(0)),
        Case("netpbm_uncompressed", "netpbm-nolzw.gif", "pamtogif -nolzw c256.ppm > $F",
             giftopnm(0)),
        Case("netpbm_transparent", "netpbm-transparent.gif",
             "pamtogif -transparent=rgb:00/28/ff c16.ppm > $F", giftopnm(0)),
    };
    // Whole frames, then ImageMagick's optimisation into the changed rectangles.
    const TConformanceCase animation =
        Case("im_animation", "im-animation.gif", "convert c256.ppm c16.ppm c2.ppm $F", "");
    const TConformanceCase optimised =
        Case("im_optimised", "im-optimised.gif",
             "convert c256.ppm \\( +clone -fill red -draw 'rectangle 1,1 2,3' \\) "
             "\\( +clone -fill lime -draw 'point 0,0' \\) -layers OptimizeFrame $F",
             "");
    std::vector<TConformanceCase> cases = AtSizes(files);
    for (int i = 0; i < 3; ++i)
        for (const TConformanceCase& c : AtSizes({frame(animation, i), frame(optimised, i)}))
            cases.push_back(c);
    const TConformanceCase layouts = Case("gifbuild_layout", "layout.gif", layout, "");
    for (int i = 0; i < 4; ++i) cases.push_back(frame(layouts, i));
    cases.push_back(
        frame(Case("gifbuild_unknown_label", "unknown-label.gif", unknownLabel, ""), 0));
    cases.push_back(
        frame(Case("gifbuild_unknown_label", "unknown-label.gif", unknownLabel, "",
                   Deliberate("frames after an unknown extension label are not seen", noFrame)),
              1));
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Gif, Conformance, ::testing::ValuesIn(gifCases()), ConformanceCaseName);
