#include "pg_effect_text.h"
#include "pg_filters.h"

#include "test_support.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using TFilterMaker = std::function<std::unique_ptr<TPGFilter>()>;

std::unique_ptr<TPixelGraphic> row(const std::vector<uint32_t>& colors) {
    auto p = std::make_unique<TPixelGraphic>();
    p->SetSizeAndFormat(static_cast<int>(colors.size()), 1, pf24Bit);
    for (size_t x = 0; x < colors.size(); ++x) p->SetPixel(static_cast<int>(x), 0, colors[x]);
    return p;
}

uint32_t grey(int v) {
    return PGColor(v, v, v);
}

// The colours of one pixel after Init, without ApplyFilter's row loops.
uint32_t filtered(TPGFilter& filter, uint32_t color) {
    const auto source = row({color});
    filter.Init(*source);
    const uint32_t out = filter.FilterPixel(0, 0);
    filter.Done();
    return out;
}

std::vector<uint32_t> applied(TPGFilter& filter, const TPixelGraphic& source) {
    TPixelGraphic target;
    target.ApplyFilter(filter, source);
    std::vector<uint32_t> out;
    for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < target.Width(); ++x) out.push_back(target.GetPixelColor(x, y));
    return out;
}

std::vector<int32_t> kernelOf(const TConvFilter& f) {
    std::vector<int32_t> k;
    for (int y = 0; y < f.Height(); ++y)
        for (int x = 0; x < f.Width(); ++x) k.push_back(f.Kernel(x, y));
    return k;
}

std::unique_ptr<TConvFilter> preset(TDistributionShape shape, double sigma,
                                    const std::function<void(TConvFilter&)>& apply) {
    auto f = std::make_unique<TConvFilter>();
    PGMakeKernel(*f, shape, true, sigma);
    apply(*f);
    return f;
}

} // namespace

TEST(GrayScaleFilter, WeightedAndPlainGrey) {
    const struct {
        uint32_t Color;
        bool Weighted;
        int Grey;
    } cases[] = {
        {PGColor(255, 0, 0), true, 76},   {PGColor(255, 0, 0), false, 85},
        {PGColor(0, 255, 0), true, 149},  {PGColor(0, 0, 255), true, 29},
        {grey(255), true, 255},           {grey(100), true, 100},
        {PGColor(10, 20, 31), false, 20},
    };
    for (const auto& c : cases) {
        TGrayScaleFilter f;
        f.SetRGBWeighting(c.Weighted);
        EXPECT_EQ(f.FilterColor(c.Color), grey(c.Grey)) << std::hex << c.Color;
        EXPECT_EQ(filtered(f, c.Color), grey(c.Grey));
    }
}

TEST(RGBFilter, PercentTablesShiftAndClamp) {
    const struct {
        int Red, Green, Blue;
        uint32_t In, Out;
    } cases[] = {
        {-50, 0, 0, PGColor(200, 10, 20), PGColor(73, 10, 20)},
        {-50, 0, 0, PGColor(100, 10, 20), PGColor(0, 10, 20)},
        {0, 100, -100, PGColor(5, 1, 254), PGColor(5, 255, 0)},
        {20, 0, 0, PGColor(250, 0, 0), PGColor(255, 0, 0)},
        {1, -1, 0, PGColor(7, 7, 7), PGColor(9, 5, 7)},
        {0, 0, 0, PGColor(1, 2, 3), PGColor(1, 2, 3)},
    };
    for (const auto& c : cases) {
        TRGBFilter f;
        PGSetRGBPercents(f, c.Red, c.Green, c.Blue);
        EXPECT_EQ(filtered(f, c.In), c.Out) << c.Red << " " << c.Green << " " << c.Blue;
    }
}

TEST(HSVFilter, IdentityTablesGiveEveryColourBack) {
    THSVFilter f;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 3)
            for (int b = 0; b < 256; b += 7)
                ASSERT_EQ(f.FilterColor(PGColor(r, g, b)), PGColor(r, g, b))
                    << r << " " << g << " " << b;
}

TEST(HSVFilter, TurnsHueAndScalesSaturationAndValue) {
    const struct {
        int H, S, V;
        uint32_t In, Out;
    } cases[] = {
        {45, 0, 0, PGColor(255, 0, 0), PGColor(255, 191, 0)},
        {45, 0, 0, PGColor(0, 255, 0), PGColor(0, 255, 191)},
        {-45, 0, 0, PGColor(255, 0, 0), PGColor(255, 0, 191)},
        // A turn is 256 steps: 120 degrees become 85 steps, 119.5 degrees.
        {120, 0, 0, PGColor(255, 0, 0), PGColor(2, 255, 0)},
        {180, 0, 0, PGColor(255, 0, 0), PGColor(0, 255, 255)},
        {-180, 0, 0, PGColor(0, 255, 255), PGColor(255, 0, 0)},
        {90, 0, 0, PGColor(128, 128, 128), PGColor(128, 128, 128)}, // greys have no hue
        {0, -100, 0, PGColor(200, 100, 50), PGColor(200, 200, 200)},
        {0, 0, -100, PGColor(200, 100, 50), PGColor(0, 0, 0)},
        {0, 0, 100, PGColor(100, 60, 20), PGColor(255, 153, 51)},
        {0, 100, 0, PGColor(200, 100, 100), PGColor(200, 0, 0)},
    };
    for (const auto& c : cases) {
        THSVFilter f;
        PGSetHSVValues(f, c.H, c.S, c.V);
        EXPECT_EQ(filtered(f, c.In), c.Out)
            << c.H << " " << c.S << " " << c.V << " " << std::hex << c.In;
    }
}

TEST(HSVFilter, HueTurnsThereAndBackAgain) {
    for (int turn : {30, 90, 150}) {
        THSVFilter there, back;
        PGSetHSVValues(there, turn, 0, 0);
        PGSetHSVValues(back, -turn, 0, 0);
        for (uint32_t c : {PGColor(200, 40, 10), PGColor(12, 180, 99), PGColor(70, 80, 250)}) {
            const uint32_t again = back.FilterColor(there.FilterColor(c));
            for (int shift : {0, 8, 16})
                EXPECT_LE(std::abs(int((again >> shift) & 0xFF) - int((c >> shift) & 0xFF)), 2)
                    << turn << " " << std::hex << c << " " << again;
        }
    }
}

TEST(HSVFilter, ConversionRefusesAHueWithoutSaturation) {
    double r, g, b;
    EXPECT_EQ(ErrorOf<EPGSaturationHue>([&] {
                  PGHSVToRGB({90, 0, 0.5, true}, r, g, b);
              }),
              "Saturation=0 and Hue defined");
    PGHSVToRGB({0, 0, 0.5, false}, r, g, b);
    EXPECT_EQ(r, 0.5);
    EXPECT_EQ(b, 0.5);
    const TPGHSV yellow = PGRGBToHSV(1, 1, 0);
    EXPECT_TRUE(yellow.HueDefined);
    EXPECT_DOUBLE_EQ(yellow.H, 60);
    EXPECT_FALSE(PGRGBToHSV(0, 0, 0).HueDefined);
}

TEST(BCGFilter, TableOfBrightnessContrastAndGamma) {
    const struct {
        const char* Name;
        int Brightness;
        double Contrast, Gamma;
        int In, Out;
    } cases[] = {
        {"brightness +20", 20, 1, 1, 100, 151},
        {"brightness -100", -100, 1, 1, 255, 0},
        {"brightness +100", 100, 1, 1, 0, 255},
        {"contrast 1.5 below", 0, 1.5, 1, 100, 86},
        {"contrast 1.5 above", 0, 1.5, 1, 200, 236},
        {"contrast 0.2", 0, 0.2, 1, 0, 102},
        {"contrast 5 at the middle", 0, 5, 1, 128, 130},
        {"gamma 2", 0, 1, 2, 128, 64},
        {"gamma 0.5", 0, 1, 0.5, 64, 128},
        {"gamma 0 makes black white", 0, 1, 0, 0, 255},
    };
    for (const auto& c : cases) {
        TBCGFilter f;
        f.SetBrightness(c.Brightness);
        f.SetContrast(c.Contrast);
        f.SetGamma(c.Gamma);
        EXPECT_EQ(filtered(f, grey(c.In)), grey(c.Out)) << c.Name;
    }
}

TEST(BCGFilter, NeutralValuesAreTheIdentity) {
    TBCGFilter fresh, neutral;
    neutral.SetBrightness(0);
    neutral.SetContrast(1);
    neutral.SetGamma(1);
    for (TBCGFilter* f : {&fresh, &neutral}) {
        f->RebuildTable();
        for (int i = 0; i < 256; ++i) ASSERT_EQ(f->Table()[i], i) << i;
    }
}

// Through luminance only Y changes: greys follow the table and colours keep their chroma.
TEST(BCGFilter, UseYMovesLuminanceOnly) {
    TBCGFilter f;
    f.SetUseY(true);
    f.SetContrast(1.5);
    EXPECT_EQ(filtered(f, grey(100)), grey(86));
    EXPECT_EQ(filtered(f, grey(200)), grey(236));
    const uint32_t in = PGColor(150, 110, 100), viaY = filtered(f, in);
    EXPECT_NEAR(PGRed(viaY) - PGGreen(viaY), 40, 1);
    EXPECT_NEAR(PGGreen(viaY) - PGBlue(viaY), 10, 1);
    f.SetUseY(false);
    const uint32_t perChannel = filtered(f, in);
    EXPECT_EQ(perChannel, PGColor(161, 101, 86));
    // Brightness moves every channel alike.
    f.SetUseY(true);
    f.SetContrast(1);
    f.SetBrightness(10);
    const uint32_t brighter = filtered(f, in);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(int((brighter >> shift) & 0xFF) - int((in >> shift) & 0xFF), 26, 1) << shift;
}

TEST(ConvFilter, NewFilterIsTheIdentityAndSizesAreChecked) {
    TConvFilter f;
    EXPECT_EQ(kernelOf(f), std::vector<int32_t>{1});
    EXPECT_EQ(filtered(f, PGColor(1, 2, 3)), PGColor(1, 2, 3));
    const struct {
        const char* Name;
        std::function<void()> Action;
        const char* Message;
    } errors[] = {
        {"width 0", [&] { f.SetWidth(0); }, "TConvFilter.Width out of range"},
        {"width 100", [&] { f.SetWidth(100); }, "TConvFilter.Width out of range"},
        {"height 0", [&] { f.SetHeight(0); }, "TConvFilter.Height out of range"},
        {"height 100", [&] { f.SetHeight(100); }, "TConvFilter.Height out of range"},
        {"cell right of the kernel", [&] { f.Kernel(1, 0); }, "X, Y index out of range"},
        {"cell below the kernel", [&] { f.SetKernel(0, 1, 5); }, "X, Y index out of range"},
        {"negative cell", [&] { f.Kernel(0, -1); }, "X, Y index out of range"},
    };
    for (const auto& e : errors) EXPECT_EQ(ErrorOf<EPGConvFilter>(e.Action), e.Message) << e.Name;
    EXPECT_EQ(kernelOf(f), std::vector<int32_t>{1});

    f.SetWidth(99);
    f.SetHeight(99);
    f.SetKernel(98, 98, 4);
    f.SetWidth(99); // unchanged size keeps the kernel
    EXPECT_EQ(f.Kernel(98, 98), 4);
    f.SetWidth(3);
    EXPECT_EQ(kernelOf(f), std::vector<int32_t>(3 * 99, 0));
}

// Cells off the picture are left out and the sum divided by the weights used; a kernel summing
// to 0 is not divided. Ties round to even.
TEST(ConvFilter, BorderRenormalisesByTheWeightsUsed) {
    const auto source = row({grey(0), grey(90), grey(30)});
    const struct {
        const char* Name;
        std::vector<int32_t> Kernel;
        int Offset;
        double Factor, Bias;
        std::vector<int> Out;
    } cases[] = {
        {"box", {1, 1, 1}, -1, 1, 0, {45, 40, 60}},
        {"weighted", {1, 2, 1}, -1, 1, 0, {30, 52, 50}},
        {"shifted right", {1, 1}, 0, 1, 0, {45, 60, 30}},
        {"sums to zero", {-1, 0, 1}, -1, 1, 0, {90, 30, 90}},
        {"bias ties to even", {-1, 0, 1}, -1, 1, 50, {218, 158, 218}},
        {"factor", {1, 1, 1}, -1, 2, 0, {90, 80, 120}},
    };
    for (const auto& c : cases) {
        TConvFilter f;
        f.SetWidth(static_cast<int>(c.Kernel.size()));
        for (size_t j = 0; j < c.Kernel.size(); ++j) f.SetKernel(int(j), 0, c.Kernel[j]);
        f.SetColumnOffset(c.Offset);
        f.SetFactor(c.Factor);
        f.SetBias(c.Bias);
        std::vector<uint32_t> expected;
        for (int v : c.Out) expected.push_back(grey(v));
        EXPECT_EQ(applied(f, *source), expected) << c.Name;
    }
}

TEST(ConvFilter, OneByOnePictureKeepsItsColourUnderSmooth) {
    for (double sigma : {0.40, 0.75, 1.30}) {
        auto f = preset(dsGaussian, sigma, [](TConvFilter& k) { PGSmoothKernel(k, 40); });
        EXPECT_EQ(applied(*f, *row({PGColor(201, 7, 99)})), std::vector{PGColor(201, 7, 99)});
    }
}

TEST(ConvFilter, RefusesItsOwnPictureWhereColourFiltersRunInPlace) {
    auto picture = row({PGColor(200, 10, 20), PGColor(100, 10, 20)});
    TConvFilter conv;
    EXPECT_EQ(ErrorOf<EPGFilter>([&] { picture->ApplyFilter(conv, *picture); }),
              "Cannot apply this filter to a source that is identical to the target");
    EXPECT_EQ(ErrorOf<EPGFilter>([&] {
                  PGApplyFilter([] { return std::make_unique<TConvFilter>(); }, *picture, *picture,
                                2);
              }),
              "Cannot apply this filter to a source that is identical to the target");
    TRGBFilter rgb;
    PGSetRGBPercents(rgb, -50, 0, 0);
    picture->ApplyFilter(rgb, *picture);
    EXPECT_EQ(picture->GetPixelColor(0, 0), PGColor(73, 10, 20));
    EXPECT_EQ(picture->GetPixelColor(1, 0), PGColor(0, 10, 20));
}

TEST(Kernels, GaussianTentAndRect) {
    const struct {
        const char* Name;
        TDistributionShape Shape;
        bool UseDistance;
        double Sigma;
        int Size;
        std::vector<int32_t> Kernel;
    } cases[] = {
        {"gaussian 0.75", dsGaussian, true, 0.75, 3, {3, 7, 3, 7, 16, 7, 3, 7, 3}},
        {"gaussian 0.75 separable", dsGaussian, false, 0.75, 3, {3, 7, 3, 7, 16, 7, 3, 7, 3}},
        {"gaussian 1.30", dsGaussian, true, 1.30, 7, {0, 0, 1, 1, 1,  0,  0, 0, 2, 4, 5,  4,  2,
                                                      0, 1, 4, 9, 12, 9,  4, 1, 1, 5, 12, 16, 12,
                                                      5, 1, 1, 4, 9,  12, 9, 4, 1, 0, 2,  4,  5,
                                                      4, 2, 0, 0, 0,  1,  1, 1, 0, 0}},
        {"gaussian 0.40", dsGaussian, true, 0.40, 3, {0, 1, 0, 1, 16, 1, 0, 1, 0}},
        {"tent 0.40", dsTent, true, 0.40, 1, {16}},
        {"tent 0.75", dsTent, true, 0.75, 3, {4, 7, 4, 7, 16, 7, 4, 7, 4}},
        {"rect 1.00", dsRect, true, 1.00, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"rect 1.30 round", dsRect, true, 1.30, 5, {0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1,
                                                    1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0}},
        {"rect 1.30 square", dsRect, false, 1.30, 5, std::vector<int32_t>(25, 1)},
    };
    for (const auto& c : cases) {
        TConvFilter f;
        f.SetBias(10);
        PGMakeKernel(f, c.Shape, c.UseDistance, c.Sigma);
        EXPECT_EQ(f.Width(), c.Size) << c.Name;
        EXPECT_EQ(f.Height(), c.Size) << c.Name;
        EXPECT_EQ(f.ColumnOffset(), -(c.Size / 2)) << c.Name;
        EXPECT_EQ(f.RowOffset(), -(c.Size / 2)) << c.Name;
        EXPECT_EQ(f.Bias(), 0) << c.Name;
        EXPECT_EQ(kernelOf(f), c.Kernel) << c.Name;
    }
}

TEST(Kernels, SharpenSmoothAndContourPresets) {
    const auto sharpen = preset(dsGaussian, 0.75, [](TConvFilter& k) { PGSharpenKernel(k, 50); });
    EXPECT_EQ(kernelOf(*sharpen), (std::vector<int32_t>{-3, -7, -3, -7, 112, -7, -3, -7, -3}));

    const auto blur = preset(dsGaussian, 1.30, [](TConvFilter& k) { PGSmoothKernel(k, 100); });
    TConvFilter plain;
    PGMakeKernel(plain, dsGaussian, true, 1.30);
    EXPECT_EQ(kernelOf(*blur), kernelOf(plain));
    const auto half = preset(dsGaussian, 0.75, [](TConvFilter& k) { PGSmoothKernel(k, 50); });
    EXPECT_EQ(half->Kernel(1, 1), 16 + 56);

    for (bool black : {false, true}) {
        const auto contour =
            preset(dsRect, 1.00, [black](TConvFilter& k) { PGContourKernel(k, 300, black); });
        EXPECT_EQ(kernelOf(*contour), (std::vector<int32_t>{-1, -1, -1, -1, 9, -1, -1, -1, -1}));
        EXPECT_EQ(contour->KernelSum(), 1);
        EXPECT_EQ(contour->Factor(), black ? -300 : 300);
        EXPECT_EQ(contour->Bias(), black ? 0 : 100);
    }
}

// ---------------------------------------------------------------------------------------------
// Fast paths: the row loops and the bands give the bytes of FilterPixel, pixel by pixel.

namespace {

std::vector<uint32_t> perPixel(TPGFilter& filter, const TPixelGraphic& source) {
    filter.Init(source);
    std::vector<uint32_t> out;
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) out.push_back(filter.FilterPixel(x, y));
    filter.Done();
    return out;
}

std::vector<uint32_t> pixelsOf(const TPixelGraphic& image) {
    std::vector<uint32_t> out;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) out.push_back(image.GetPixelColor(x, y));
    return out;
}

template <class F>
TFilterMaker maker(std::function<void(F&)> setup) {
    return [setup] {
        auto f = std::make_unique<F>();
        setup(*f);
        return std::unique_ptr<TPGFilter>(std::move(f));
    };
}

TFilterMaker convMaker(std::function<void(TConvFilter&)> setup) {
    return maker<TConvFilter>(std::move(setup));
}

} // namespace

TEST(FilterFastPaths, RowsAndBandsMatchThePerPixelPath) {
    TPixelGraphic photo;
    photo.LoadFromFile(TestData("viewer/photo.bmp"));
    ASSERT_EQ(photo.PixelFormat(), pf24Bit);
    const std::pair<const char*, TFilterMaker> cases[] = {
        {"grey weighted", maker<TGrayScaleFilter>([](auto&) {})},
        {"grey plain", maker<TGrayScaleFilter>([](auto& f) { f.SetRGBWeighting(false); })},
        {"rgb", maker<TRGBFilter>([](auto& f) { PGSetRGBPercents(f, 20, -30, 5); })},
        {"hsv", maker<THSVFilter>([](auto& f) { PGSetHSVValues(f, 75, -20, 15); })},
        {"bcg", maker<TBCGFilter>([](auto& f) {
             f.SetBrightness(10);
             f.SetContrast(1.7);
             f.SetGamma(0.8);
         })},
        {"bcg on Y", maker<TBCGFilter>([](auto& f) {
             f.SetUseY(true);
             f.SetContrast(0.6);
         })},
        {"sharpen", convMaker([](TConvFilter& f) {
             PGMakeKernel(f, dsGaussian, true, 0.75);
             PGSharpenKernel(f, 50);
         })},
        {"smooth 7x7", convMaker([](TConvFilter& f) {
             PGMakeKernel(f, dsGaussian, true, 1.30);
             PGSmoothKernel(f, 100);
         })},
        {"contour", convMaker([](TConvFilter& f) {
             PGMakeKernel(f, dsRect, true, 1.00);
             PGContourKernel(f, 200, true);
         })},
        {"off-centre kernel", convMaker([](TConvFilter& f) {
             f.SetWidth(5);
             f.SetHeight(2);
             for (int x = 0; x < 5; ++x) f.SetKernel(x, x % 2, x - 1);
             f.SetColumnOffset(-4);
             f.SetRowOffset(1);
             f.SetFactor(0.7);
             f.SetBias(-12.5);
         })},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        const auto reference = perPixel(*make(), photo);
        auto filter = make();
        TPixelGraphic rows;
        rows.ApplyFilter(*filter, photo);
        EXPECT_EQ(pixelsOf(rows), reference);
        for (int bands : {1, 3, 64}) {
            TPixelGraphic banded;
            EXPECT_TRUE(PGApplyFilter(make, banded, photo, bands));
            EXPECT_EQ(pixelsOf(banded), reference) << bands << " bands";
        }
        if (make()->IsPointFilter()) {
            TPixelGraphic inPlace;
            inPlace.Assign(&photo);
            EXPECT_TRUE(PGApplyFilter(make, inPlace, inPlace, 3));
            EXPECT_EQ(pixelsOf(inPlace), reference) << "in place";
        }
    }
}

TEST(FilterFastPaths, PaletteSourcesAndTargets) {
    TPixelGraphic photo8;
    photo8.LoadFromFile(TestData("viewer/photo-8.bmp"));
    ASSERT_EQ(photo8.PixelFormat(), pf8Bit);
    const TFilterMaker sharpen = convMaker([](TConvFilter& f) {
        PGMakeKernel(f, dsGaussian, true, 0.75);
        PGSharpenKernel(f, 50);
    });
    TPixelGraphic banded;
    ASSERT_TRUE(PGApplyFilter(sharpen, banded, photo8, 3));
    EXPECT_EQ(pixelsOf(banded), perPixel(*sharpen(), photo8));

    // A colour filter on a palette picture changes its palette only.
    TPixelGraphic picture;
    picture.Assign(&photo8);
    const std::vector<uint8_t> bits(picture.Bits(), picture.Bits() + picture.ImageSize());
    const TFilterMaker grey = maker<TGrayScaleFilter>([](auto&) {});
    ASSERT_TRUE(PGApplyFilter(grey, picture, picture, 3));
    EXPECT_EQ(std::vector<uint8_t>(picture.Bits(), picture.Bits() + picture.ImageSize()), bits);
    EXPECT_EQ(pixelsOf(picture), perPixel(*grey(), photo8));
}

TEST(FilterFastPaths, ProgressStopsBetweenRows) {
    TPixelGraphic photo;
    photo.LoadFromFile(TestData("viewer/photo.bmp"));
    TPixelGraphic target;
    const TFilterMaker white =
        maker<TRGBFilter>([](auto& f) { PGSetRGBPercents(f, 100, 100, 100); });
    std::vector<int> reports;
    EXPECT_FALSE(PGApplyFilter(white, target, photo, 1, [&](int done, int rows) {
        reports.push_back(done);
        EXPECT_EQ(rows, photo.Height());
        return done == 3;
    }));
    EXPECT_EQ(reports, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(target.GetPixelColor(5, 2), PGColor(255, 255, 255));
    EXPECT_EQ(target.GetPixelColor(5, 3), PGColor(0, 0, 0)); // not reached: as allocated

    TPixelGraphic palette;
    palette.SetSizeAndFormat(1, 1, pf8Bit);
    palette.SetPaletteIdent(pGray256);
    EXPECT_FALSE(PGApplyFilter(white, palette, photo, 2, [](int done, int) { return done == 2; }));
    EXPECT_EQ(palette.Width(), photo.Width());
}

TEST(EffectText, NamesTheEffectsAndRefusesTheRest) {
    const struct {
        const char* Text;
        uint32_t In, Out;
    } effects[] = {
        {"grey", PGColor(255, 0, 0), PGColor(76, 76, 76)},
        {"grey:plain", PGColor(255, 0, 0), PGColor(85, 85, 85)},
        {"rgb:-50,0,100", PGColor(200, 9, 1), PGColor(73, 9, 255)},
        {"hsv:180,0,0", PGColor(255, 0, 0), PGColor(0, 255, 255)},
        {"bcg:20,1,1", PGColor(100, 100, 100), PGColor(151, 151, 151)},
        {"bcg:0,1.5,1:y", PGColor(100, 100, 100), PGColor(86, 86, 86)},
        {"bcg:0,1,2", PGColor(128, 128, 128), PGColor(64, 64, 64)},
    };
    for (const auto& e : effects) {
        const auto make = PGParseEffect(e.Text);
        ASSERT_TRUE(make) << e.Text;
        const auto picture = row({e.In});
        EXPECT_EQ(PGFilteredCopy(*make, *picture, 1)->GetPixelColor(0, 0), e.Out) << e.Text;
    }
    const struct {
        const char* Text;
        std::vector<int32_t> Kernel;
        double Factor, Bias;
    } kernels[] = {
        {"sharpen:0.75,50", {-3, -7, -3, -7, 112, -7, -3, -7, -3}, 1, 0},
        {"smooth:0.75,50", {3, 7, 3, 7, 72, 7, 3, 7, 3}, 1, 0},
        {"contour:1,200", {-1, -1, -1, -1, 9, -1, -1, -1, -1}, 200, 100},
        {"contour:1,200:black", {-1, -1, -1, -1, 9, -1, -1, -1, -1}, -200, 0},
    };
    for (const auto& k : kernels) {
        const auto make = PGParseEffect(k.Text);
        ASSERT_TRUE(make) << k.Text;
        const auto filter = (*make)();
        auto& conv = dynamic_cast<TConvFilter&>(*filter);
        EXPECT_EQ(kernelOf(conv), k.Kernel) << k.Text;
        EXPECT_EQ(conv.Factor(), k.Factor) << k.Text;
        EXPECT_EQ(conv.Bias(), k.Bias) << k.Text;
    }
    for (const char* bad :
         {"", "grey:weighted", "rgb:1,2", "rgb:1,2,3,4", "rgb:1.5,2,3", "hsv:a,0,0", "bcg:1,2,3:x",
          "bcg:1.5,1,1", "sharpen:0.75", "sharpen:0,50", "smooth:1,0", "sharpen:1,50:black",
          "contour:1,100:white", "blur:1,1"})
        EXPECT_FALSE(PGParseEffect(bad)) << bad;
}
