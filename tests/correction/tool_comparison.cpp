// The corrections beside ImageMagick computing the same functions on photo-like pictures.
// Every case is skipped when /usr/bin/convert is missing.

#include "drawn_scan.h"
#include "raw_dib.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace {

const std::string Convert = "/usr/bin/convert";

bool haveConvert() {
    return access(Convert.c_str(), X_OK) == 0;
}

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[1 << 16];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

// A binary PPM read into a 24-bit DIB; an empty 1 x 1 picture when it is not one.
TRawDib fromPpm(const std::string& ppm) {
    std::istringstream in(ppm);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    if (magic != "P6" || w < 1 || h < 1 || max != 255) return TRawDib(1, 1, 24);
    TRawDib dib(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char rgb[3];
            in.read(reinterpret_cast<char*>(rgb), 3);
            dib.Set(x, h - 1 - y, uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]);
        }
    return dib;
}

class TTempFolder {
public:
    TTempFolder() {
        char name[] = "/tmp/clarend-XXXXXX";
        FPath = mkdtemp(name) ? name : "";
    }
    ~TTempFolder() {
        if (!FPath.empty()) run("rm -rf '" + FPath + "'");
    }
    std::string File(const std::string& name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

void writePpm(TRawDib& dib, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << dib.Width << " " << std::abs(dib.Height) << "\n255\n";
    for (int y = std::abs(dib.Height) - 1; y >= 0; --y)
        for (int x = 0; x < dib.Width; ++x) {
            const uint32_t p = dib.Get(x, y);
            const char rgb[3] = {char(p >> 16), char(p >> 8), char(p)};
            out.write(rgb, 3);
        }
}

// ImageMagick's result of the operators on the picture, as a DIB.
TRawDib magick(TRawDib& in, const std::string& operators) {
    TTempFolder folder;
    const std::string file = folder.File("in.ppm");
    writePpm(in, file);
    return fromPpm(run(Convert + " '" + file + "' " + operators + " -depth 8 ppm:-"));
}

// A smooth, colourful picture with some fine detail, made once per run.
TRawDib photo() {
    static const std::string ppm = run(Convert + " -seed 7 -size 240x160 plasma:fractal "
                                                 "-blur 0x1.5 -depth 8 ppm:-");
    return fromPpm(ppm);
}

TAnswer apply(TRawDib& in, const std::function<HGLOBAL(HGLOBAL)>& call) {
    TBlock block(in.Bytes);
    return Take(call(block.Get()));
}

// The largest channel difference over columns from..to of the common rows.
int largestDifference(const TRawDib& a, const TRawDib& b, int from, int to) {
    int worst = 0;
    for (int y = 0; y < std::min(std::abs(a.Height), std::abs(b.Height)); ++y)
        for (int x = from; x < to; ++x)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(a.Get(x, y) >> (8 * c) & 0xFF) -
                                                 int(b.Get(x, y) >> (8 * c) & 0xFF)));
    return worst;
}

double psnr(const TRawDib& a, const TRawDib& b) {
    double sum = 0;
    int64_t n = 0;
    for (int y = 0; y < std::abs(a.Height); ++y)
        for (int x = 0; x < a.Width; ++x)
            for (int c = 0; c < 3; ++c, ++n) {
                const double d =
                    double(a.Get(x, y) >> (8 * c) & 0xFF) - double(b.Get(x, y) >> (8 * c) & 0xFF);
                sum += d * d;
            }
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * double(n) / sum);
}

#define NEED_CONVERT()                                                                             \
    if (!haveConvert()) GTEST_SKIP() << Convert << " is not installed"

TEST(ToolComparison, ToneCurveAgainstThePolynomial) {
    NEED_CONVERT();
    TRawDib in = photo();
    for (auto [b, c] : {std::pair{20, 30}, {-40, -20}, {0, 60}, {70, 0}}) {
        const double m = std::clamp(0.005 * b + 0.5, 0.0, 1.0), k = std::pow(10, c / 100.0);
        char args[160];
        std::snprintf(args, sizeof args, "-function Polynomial %.10f,%.10f,%.10f,0", 4 * (1 - k),
                      6 * k - 4 * m - 4, 4 * m + 1 - 2 * k);
        const TRawDib ours = AsDib(
            apply(in, [&](HGLOBAL h) { return VuxBrightContrastGamma(h, b, c, 1.0, nullptr); }));
        EXPECT_LE(largestDifference(ours, magick(in, args), 0, in.Width), 1) << b << ", " << c;
    }
}

TEST(ToolComparison, GammaAgainstGamma) {
    NEED_CONVERT();
    TRawDib in = photo();
    for (double gamma : {0.45, 1.8, 2.2}) {
        const TRawDib ours = AsDib(
            apply(in, [&](HGLOBAL h) { return VuxBrightContrastGamma(h, 0, 0, gamma, nullptr); }));
        const TRawDib theirs = magick(in, "-gamma " + std::to_string(1 / gamma));
        EXPECT_LE(largestDifference(ours, theirs, 0, in.Width), 1) << gamma;
    }
}

TEST(ToolComparison, FiltersAgainstConvolve) {
    NEED_CONVERT();
    TRawDib in = photo();
    const struct {
        int Type;
        bool Pointer;
        std::string Kernel; // corner, edge, corner / edge, centre, edge / ...
    } cases[] = {
        {1, false, "-1,-1,-1 -1,17,-1 -1,-1,-1"}, {3, false, "-1,-2,-1 -2,24,-2 -1,-2,-1"},
        {5, false, "-2,-2,-2 -2,43,-2 -2,-2,-2"}, {32, true, "1,1,1 1,1,1 1,1,1"},
        {33, true, "0,1,0 1,2,1 0,1,0"},          {34, true, "1,1,1 1,2,1 1,1,1"},
    };
    for (const auto& c : cases) {
        TAnswer a;
        if (c.Pointer) {
            BITMAPINFOHEADER* out = VuxPtrFilter(in.Header(), c.Type, nullptr);
            HGLOBAL handle = GlobalHandle(out);
            GlobalUnlock(handle);
            a = Take(handle);
        } else {
            a = apply(in, [&](HGLOBAL h) { return VuxUnSharpMask(h, c.Type, nullptr); });
        }
        const TRawDib theirs = magick(in, "-convolve '" + c.Kernel + "'");
        EXPECT_LE(largestDifference(AsDib(a), theirs, 1, in.Width - 1), 1) << c.Type;
    }
}

TEST(ToolComparison, TurnsAgainstRotateAndFlip) {
    NEED_CONVERT();
    TRawDib in = photo();
    const struct {
        int Mode;
        std::string Operators;
    } cases[] = {{2, "-rotate 90"},
                 {4, "-rotate 180"},
                 {6, "-rotate 270"},
                 {1, "-flip"},
                 {3, "-rotate 90 -flip"}};
    for (const auto& c : cases) {
        const TRawDib ours =
            AsDib(apply(in, [&](HGLOBAL h) { return VuxRotateDib(h, c.Mode, nullptr); }));
        const TRawDib theirs = magick(in, c.Operators);
        ASSERT_EQ(ours.Width, theirs.Width) << c.Operators;
        EXPECT_EQ(largestDifference(ours, theirs, 0, ours.Width), 0) << c.Operators;
    }
}

TEST(ToolComparison, FreeRotationAgainstRotateAndCrop) {
    NEED_CONVERT();
    TRawDib in = photo();
    for (int tenths : {30, -100, 250, 450}) {
        const TRawDib ours =
            AsDib(apply(in, [&](HGLOBAL h) { return VuxRotateImage(h, tenths, 0, 0, nullptr); }));
        char args[160];
        std::snprintf(args, sizeof args,
                      "-rotate %.1f +repage -gravity center -crop %dx%d+0+0 +repage", tenths / 10.0,
                      ours.Width, ours.Height);
        const TRawDib theirs = magick(in, args);
        ASSERT_EQ(theirs.Width, ours.Width) << tenths;
        EXPECT_GT(psnr(ours, theirs), 35.0) << tenths;
    }
}

TEST(ToolComparison, DeskewAgainstDeskew) {
    NEED_CONVERT();
    for (double degrees : {1.0, -3.0, 5.0}) {
        TRawDib in = drawnScan(PageWidth, PageHeight, degrees, page());
        TTempFolder folder;
        writePpm(in, folder.File("scan.ppm"));
        const double angle = std::stod(run(Convert + " '" + folder.File("scan.ppm") +
                                           "' -deskew 40% -format '%[deskew:angle]' info:"));
        const TRawDib out =
            AsDib(apply(in, [&](HGLOBAL h) { return VuxDeskewImage(h, 0, 0, nullptr); }));
        // Our angle: the turn undone, less what the text line still climbs.
        const std::vector<double> top = edgeRows(out, out.Width / 4, out.Width / 2, 10);
        const double ours = degrees - std::atan(FittedSlope(top)) * 180 / M_PI;
        EXPECT_NEAR(ours, -angle, 0.15) << degrees;
    }
}

} // namespace
