#include "filter_dialog.h"
#include "filter_form_layout.h"
#include "filter_preview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

uint32_t through(TFilterDialog& dialog, uint32_t color) {
    TPixelGraphic one;
    one.SetSizeAndFormat(1, 1, pf24Bit);
    one.SetPixel(0, 0, color);
    TPixelGraphic out;
    out.ApplyFilter(dialog.Filter(), one);
    return out.GetPixelColor(0, 0);
}

std::vector<int32_t> kernelOf(TPGFilter& filter) {
    auto& f = dynamic_cast<TConvFilter&>(filter);
    std::vector<int32_t> k;
    for (int y = 0; y < f.Height(); ++y)
        for (int x = 0; x < f.Width(); ++x) k.push_back(f.Kernel(x, y));
    return k;
}

} // namespace

TEST(FilterDialogs, ControlsOfEachDialog) {
    TRGBFilterDialog rgb;
    THSVFilterDialog hsv;
    TBCGFilterDialog bcg;
    TGrayScaleFilterDialog grey;
    TSharpenFilterDialog sharpen;
    TSmoothFilterDialog smooth;
    TContourFilterDialog contour;
    const struct {
        TFilterDialog* Dialog;
        const char* Title;
        std::vector<std::string> Captions;
        int Min, Max, Ticks, Neutral, CaptionWidth;
        std::vector<std::string> Scale; // of the first slider
        bool Radios, CheckBox;
    } cases[] = {
        {&rgb,
         "RGB Filter",
         {"R", "G", "B"},
         -100,
         100,
         10,
         0,
         14,
         {"-100%", "\u00b10%", "+100%"},
         false,
         false},
        {&hsv,
         "HSV Filter",
         {"H", "S", "V"},
         -180,
         180,
         15,
         0,
         14,
         {"-180\u00b0", "\u00b10\u00b0", "+180\u00b0"},
         false,
         false},
        {&bcg,
         "Brightness, Contrast, Gamma Filter",
         {"Brightness", "Contrast", "Gamma"},
         -100,
         100,
         10,
         0,
         55,
         {"-100%", "\u00b10%", "+100%"},
         true,
         false},
        {&grey, "Grayscale Filter", {}, 0, 0, 1, 0, 0, {}, false, true},
        {&sharpen,
         "Sharpen",
         {"Std. deviation", "Strength"},
         40,
         130,
         10,
         75,
         75,
         {"0.40", "", "1.30"},
         false,
         false},
        {&smooth,
         "Smooth",
         {"Std. deviation", "Strength"},
         40,
         130,
         10,
         130,
         75,
         {"0.40", "", "1.30"},
         false,
         false},
        {&contour,
         "Contour",
         {"Std. deviation", "Strength"},
         40,
         130,
         10,
         100,
         75,
         {"0.40", "", "1.30"},
         true,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Title);
        const TFilterDialogControls& ctl = c.Dialog->Controls();
        EXPECT_EQ(ctl.Title, c.Title);
        EXPECT_TRUE(ctl.Preview);
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(ctl.Sliders[k].Shown, k < c.Captions.size()) << k;
            if (k < c.Captions.size()) {
                EXPECT_EQ(ctl.Sliders[k].Caption, c.Captions[k]);
            }
        }
        EXPECT_EQ(ctl.Radios.Shown, c.Radios);
        EXPECT_EQ(ctl.CheckBox.Shown, c.CheckBox);
        if (c.Captions.empty()) continue;
        const TFilterSlider& s = ctl.Sliders[0];
        EXPECT_EQ(std::vector<int>({s.Min, s.Max, s.TickFrequency, s.Neutral, s.CaptionWidth}),
                  std::vector<int>({c.Min, c.Max, c.Ticks, c.Neutral, c.CaptionWidth}));
        EXPECT_EQ(std::vector<std::string>({s.LabelLeft, s.LabelMiddle, s.LabelRight}), c.Scale);
        EXPECT_EQ(s.Position, c.Neutral);
    }
    EXPECT_EQ(bcg.Controls().Sliders[1].LabelRight, "5.00");
    EXPECT_EQ(bcg.Controls().ExtraCaption, "Apply on");
    EXPECT_EQ(bcg.Controls().Radios.Caption2, "Y");
    EXPECT_EQ(contour.Controls().Radios.Caption1, "White");
    EXPECT_EQ(contour.Controls().Sliders[1].Max, 1000);
    EXPECT_EQ(contour.Controls().Sliders[1].LabelRight, "1000%");
    EXPECT_EQ(grey.Controls().CheckBox.Caption, "RGB weighting");
    EXPECT_TRUE(grey.Controls().CheckBox.Checked);
}

TEST(FilterDialogs, ValueLabels) {
    TRGBFilterDialog rgb;
    THSVFilterDialog hsv;
    TBCGFilterDialog bcg;
    TSharpenFilterDialog sharpen;
    const struct {
        std::function<void()> Set;
        TFilterDialog* Dialog;
        int Slider;
        const char* Label;
    } cases[] = {
        {[&] { rgb.SetRed(12); }, &rgb, 0, "+12%"},
        {[&] { rgb.SetGreen(0); }, &rgb, 1, "\u00b10%"},
        {[&] { rgb.SetBlue(-5); }, &rgb, 2, "-5%"},
        {[&] { hsv.SetH(90); }, &hsv, 0, "+90\u00b0"},
        {[&] { hsv.SetH(0); }, &hsv, 0, "\u00b10\u00b0"},
        {[&] { hsv.SetV(-100); }, &hsv, 2, "-100%"},
        {[&] { bcg.MoveSlider(1, 100); }, &bcg, 1, "5.00"},
        {[&] { bcg.MoveSlider(1, 0); }, &bcg, 1, "1.00"},
        {[&] { bcg.MoveSlider(2, -100); }, &bcg, 2, "0.20"},
        {[&] { bcg.MoveSlider(0, 7); }, &bcg, 0, "+7%"},
        {[&] { sharpen.MoveSlider(0, 130); }, &sharpen, 0, "1.30"},
        {[&] { sharpen.MoveSlider(1, 60); }, &sharpen, 1, "60%"},
    };
    for (const auto& c : cases) {
        c.Set();
        EXPECT_EQ(c.Dialog->ValueLabel(c.Slider), c.Label);
    }
}

TEST(FilterDialogs, ValuesClampAndWrap) {
    THSVFilterDialog hsv;
    const std::pair<int, int> hues[] = {{190, -170}, {-190, 170},  {540, 180},
                                        {180, 180},  {-180, -180}, {-720, 0}};
    for (auto [in, out] : hues) {
        hsv.SetH(in);
        EXPECT_EQ(hsv.H(), out) << in;
        EXPECT_EQ(hsv.Controls().Sliders[0].Position, out) << in;
    }
    hsv.SetS(250);
    EXPECT_EQ(hsv.S(), 100);
    TRGBFilterDialog rgb;
    rgb.SetRed(-101);
    EXPECT_EQ(rgb.Red(), -100);

    TBCGFilterDialog bcg;
    const std::pair<double, int> factors[] = {{5, 100}, {100, 100}, {0.2, -100}, {0.01, -100},
                                              {1, 0},   {2, 43},    {0.5, -43}};
    for (auto [in, position] : factors) {
        bcg.SetContrast(in);
        bcg.SetGamma(in);
        EXPECT_EQ(bcg.Controls().Sliders[1].Position, position) << in;
        EXPECT_EQ(bcg.Controls().Sliders[2].Position, position) << in;
    }
    bcg.MoveSlider(1, 100);
    EXPECT_DOUBLE_EQ(bcg.Contrast(), 5);
    bcg.MoveSlider(2, -50);
    EXPECT_NEAR(bcg.Gamma(), 1 / std::sqrt(5.0), 1e-12);
    bcg.SetBrightness(300);
    EXPECT_EQ(bcg.Brightness(), 100);

    TSharpenFilterDialog sharpen;
    sharpen.SetStdDeviation(2);
    EXPECT_EQ(sharpen.StdDeviation(), 1.30);
    sharpen.SetStdDeviation(0.1);
    EXPECT_EQ(sharpen.StdDeviation(), 0.40);
    sharpen.SetPercent(500);
    EXPECT_EQ(sharpen.Percent(), 100);
    TContourFilterDialog contour;
    contour.SetPercent(5);
    EXPECT_EQ(contour.Percent(), 100);
}

TEST(FilterDialogs, ValuesReachTheFilter) {
    TRGBFilterDialog rgb;
    rgb.MoveSlider(0, -50);
    EXPECT_EQ(through(rgb, PGColor(200, 9, 9)), PGColor(73, 9, 9));
    EXPECT_EQ(through(rgb, PGColor(100, 9, 9)), PGColor(0, 9, 9));

    TBCGFilterDialog bcg; // positions 0, 0, 0: the identity
    for (int v = 0; v < 256; v += 5)
        ASSERT_EQ(through(bcg, PGColor(v, 255 - v, v / 2)), PGColor(v, 255 - v, v / 2));
    bcg.SelectRadio(1);
    EXPECT_TRUE(bcg.UseY());
    EXPECT_TRUE(dynamic_cast<TBCGFilter&>(bcg.Filter()).UseY());
    bcg.MoveSlider(0, 20);
    EXPECT_EQ(through(bcg, PGColor(100, 100, 100)), PGColor(151, 151, 151));

    TGrayScaleFilterDialog grey;
    EXPECT_EQ(through(grey, PGColor(255, 0, 0)), PGColor(76, 76, 76));
    grey.SetChecked(false);
    EXPECT_EQ(through(grey, PGColor(255, 0, 0)), PGColor(85, 85, 85));

    TSharpenFilterDialog sharpen;
    EXPECT_EQ(kernelOf(sharpen.Filter()),
              (std::vector<int32_t>{-3, -7, -3, -7, 112, -7, -3, -7, -3}));
    TContourFilterDialog contour;
    contour.SelectRadio(1);
    EXPECT_TRUE(contour.BlackBk());
    EXPECT_EQ(dynamic_cast<TConvFilter&>(contour.Filter()).Factor(), -100);
    EXPECT_EQ(kernelOf(contour.Filter()),
              (std::vector<int32_t>{-1, -1, -1, -1, 9, -1, -1, -1, -1}));

    // The factory keeps the values it was made with.
    THSVFilterDialog hsv;
    hsv.SetH(180);
    const TPGFilterFactory make = hsv.FilterFactory();
    hsv.SetH(0);
    EXPECT_EQ(make()->FilterColor(PGColor(255, 0, 0)), PGColor(0, 255, 255));
    EXPECT_EQ(hsv.Filter().FilterColor(PGColor(255, 0, 0)), PGColor(255, 0, 0));
    const TPGFilterFactory blur = TSmoothFilterDialog().FilterFactory();
    EXPECT_EQ(dynamic_cast<TConvFilter&>(*blur()).Width(), 7);
}

TEST(FilterDialogs, RestoreBringsBackTheSavedValues) {
    TBCGFilterDialog bcg;
    bcg.MoveSlider(0, 20);
    bcg.SaveValues();
    bcg.MoveSlider(0, -60);
    bcg.MoveSlider(1, 100);
    bcg.SelectRadio(1);
    bcg.RestoreValues();
    EXPECT_EQ(bcg.Brightness(), 20);
    EXPECT_DOUBLE_EQ(bcg.Contrast(), 1);
    EXPECT_FALSE(bcg.UseY());
    EXPECT_EQ(bcg.Controls().Sliders[0].Position, 20);
    EXPECT_TRUE(bcg.Controls().Radios.Checked1);
    EXPECT_EQ(through(bcg, PGColor(100, 100, 100)), PGColor(151, 151, 151));

    TContourFilterDialog contour;
    contour.SaveValues();
    contour.MoveSlider(1, 700);
    contour.SelectRadio(1);
    contour.RestoreValues();
    EXPECT_EQ(contour.Percent(), 100);
    EXPECT_FALSE(contour.BlackBk());
    EXPECT_EQ(dynamic_cast<TConvFilter&>(contour.Filter()).Factor(), 100);
}

TEST(FilterFormLayout, PositionsBeforeScaling) {
    TRGBFilterDialog rgb;
    const TFilterFormLayout a = PGFilterFormLayout(rgb.Controls(), true);
    EXPECT_EQ(a.ClientWidth, 10 + 14 + 32 + 10 + 390);
    EXPECT_EQ(a.Sliders[0].Slider, (TFormRect{24, 10, 240, 32}));
    EXPECT_EQ(a.Sliders[2].Slider, (TFormRect{24, 110, 240, 32}));
    EXPECT_EQ(a.Sliders[1].Caption, (TFormRect{10, 66, 14, FilterLabelHeight}));
    EXPECT_EQ(a.Sliders[1].Value, (TFormRect{264, 66, 32, FilterLabelHeight}));
    EXPECT_EQ(a.Sliders[0].Scale[2], (TFormRect{184, 42, 80, FilterLabelHeight}));
    EXPECT_EQ(a.Preview, (TFormRect{456 - 10 - 140, 12, 140, 140}));
    EXPECT_EQ(a.Line.Top, 155 + 10); // the lowest scale labels end at 142 + 13
    EXPECT_EQ(a.OK, (TFormRect{456 / 2 - 95, 177, 85, 24}));
    EXPECT_EQ(a.Cancel, (TFormRect{456 / 2 + 10, 177, 85, 24}));
    EXPECT_EQ(a.ClientHeight, 177 + 24 + 10);

    const TFilterFormLayout noPreview = PGFilterFormLayout(rgb.Controls(), false);
    EXPECT_EQ(noPreview.ClientWidth, 10 + 14 + 32 + 10 + 240);
    EXPECT_EQ(noPreview.Preview.Width, 0);

    TGrayScaleFilterDialog grey;
    const TFilterFormLayout g = PGFilterFormLayout(grey.Controls(), true);
    EXPECT_EQ(g.ClientWidth, 2 * 40 + 140);
    EXPECT_EQ(g.Preview, (TFormRect{40, 12, 140, 140}));
    EXPECT_EQ(g.CheckBox, (TFormRect{40, 160, 140, FilterButtonHeight}));
    EXPECT_EQ(g.Line.Top, 177 + 10);

    TBCGFilterDialog bcg;
    const TFilterFormLayout b = PGFilterFormLayout(bcg.Controls(), true);
    EXPECT_EQ(b.Radio1.Left, 10 + 55 + 6);
    EXPECT_EQ(b.Radio2.Left, 10 + 55 + 112);
    EXPECT_EQ(b.Radio1.Top, 160);
    EXPECT_EQ(b.ExtraCaption.Top, 161);

    TContourFilterDialog contour; // two sliders: the radios go higher
    EXPECT_EQ(PGFilterFormLayout(contour.Controls(), false).Radio1.Top, 115);
}

TEST(FilterPreview, SizeFitsTheBoxAndNeverReachesZero) {
    const struct {
        int W, H;
        TPreviewSize Size;
    } cases[] = {
        {100, 50, {100, 50}},  {136, 136, {136, 136}},  {140, 140, {136, 136}},
        {272, 100, {136, 50}}, {6000, 4000, {136, 91}}, {4000, 6000, {91, 136}},
        {10000, 1, {136, 1}},  {1, 10000, {1, 136}},    {141, 1, {136, 1}},
        {0, 10, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PGPreviewSize(c.W, c.H, 136, 136), c.Size) << c.W << " x " << c.H;

    TPixelGraphic line;
    line.SetSizeAndFormat(10000, 1, pf8Bit);
    line.SetPaletteIdent(pGray256);
    for (int x = 0; x < 10000; ++x) line.SetPixel(x, 0, x < 5000 ? 0 : 255);
    const auto source = PGMakePreviewSource(line, 136, 136, false);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Width(), 136);
    EXPECT_EQ(source->Height(), 1);
    EXPECT_EQ(source->PixelFormat(), pf24Bit);
    EXPECT_EQ(source->GetPixelColor(0, 0), PGColor(0, 0, 0));
    EXPECT_EQ(source->GetPixelColor(135, 0), PGColor(255, 255, 255));

    const auto crop = PGMakePreviewSource(line, 136, 136, true);
    ASSERT_TRUE(crop);
    EXPECT_EQ(crop->Width(), 136);
    EXPECT_EQ(crop->Height(), 1);
    EXPECT_EQ(crop->GetPixelColor(67, 0), PGColor(0, 0, 0)); // picture column 4999
    EXPECT_EQ(crop->GetPixelColor(68, 0), PGColor(255, 255, 255));
    EXPECT_FALSE(PGMakePreviewSource(TPixelGraphic(), 136, 136, false));
}
