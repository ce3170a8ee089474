#include "filter_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Catalogue entries of the dialogs.
enum : int {
    msgRGBFilter = 44,
    msgR = 45,
    msgG = 46,
    msgB = 47,
    msgH = 57,
    msgS = 59,
    msgHSVFilter = 60,
    msgV = 61,
    msgGamma = 63,
    msgRGB = 64,
    msgY = 65,
    msgBrightness = 66,
    msgContrast = 67,
    msgApplyOn = 68,
    msgBCGFilter = 69,
    msgGrayScaleFilter = 70,
    msgRGBWeighting = 71,
    msgStdDeviation = 72,
    msgStrength = 73,
    msgSharpen = 74,
    msgSmooth = 76,
    msgContour = 79,
    msgWhite = 80,
    msgBlack = 81,
    msgPlusMinus = 82,
    msgDegree = 83,
};

// "+12", "±0", "-5" followed by the unit.
std::string signedLabel(int v, const std::string& unit) {
    const std::string sign = v > 0 ? "+" : v == 0 ? PGLangStr(msgPlusMinus) : "";
    return sign + std::to_string(v) + unit;
}

std::string twoDecimals(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

void setSlider(TFilterSlider& s, int min, int max, int ticks, int neutral, int captionWidth,
               int valueWidth) {
    s.Shown = true;
    s.Min = min;
    s.Max = max;
    s.TickFrequency = ticks;
    s.Neutral = neutral;
    s.CaptionWidth = captionWidth;
    s.ValueWidth = valueWidth;
}

void setLabels(TFilterSlider& s, std::string left, std::string middle, std::string right) {
    s.LabelLeft = std::move(left);
    s.LabelMiddle = std::move(middle);
    s.LabelRight = std::move(right);
}

void percentSliders(TFilterDialogControls& c, int first, int captionWidth) {
    for (int k = first; k < 3; ++k) {
        setSlider(c.Sliders[k], -100, 100, 10, 0, captionWidth, 32);
        setLabels(c.Sliders[k], "-100%", PGLangStr(msgPlusMinus) + "0%", "+100%");
    }
}

int wrapDegrees(int v) {
    while (v > 180) v -= 360;
    while (v < -180) v += 360;
    return v;
}

int percentOf(int v) {
    return std::clamp(v, -100, 100);
}

// The slider position of a factor shown as 5^(p / 100).
int powerPosition(double v) {
    const double x = std::clamp(v, 0.2, 5.0);
    return static_cast<int>(std::nearbyint(std::log(x) * 100 / std::log(5.0)));
}

double powerOf(int position) {
    return std::pow(5.0, position / 100.0);
}

template <class TFilterT, class F>
TPGFilterFactory factoryOf(F fill) {
    return [fill] {
        auto f = std::make_unique<TFilterT>();
        fill(*f);
        return std::unique_ptr<TPGFilter>(std::move(f));
    };
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TFilterDialog

void TFilterDialog::Setup() {
    FFilter = CreateFilter();
    SetCaptions();
    ValuesToControls();
    ValuesToFilter(*FFilter);
}

void TFilterDialog::Changed() {
    ControlsToValues();
    ValuesToControls();
    ValuesToFilter(*FFilter);
}

void TFilterDialog::MoveSlider(int Index, int Position) {
    TFilterSlider& s = FControls.Sliders.at(Index);
    s.Position = std::clamp(Position, s.Min, s.Max);
    Changed();
}

void TFilterDialog::SetChecked(bool Checked) {
    FControls.CheckBox.Checked = Checked;
    Changed();
}

void TFilterDialog::SelectRadio(int Index) {
    FControls.Radios.Checked1 = Index == 0;
    FControls.Radios.Checked2 = Index == 1;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// Three tables

std::string TXXXFilterDialog::ValueLabel(int Index) const {
    return signedLabel(FValues.at(Index), "%");
}

void TXXXFilterDialog::RestoreValues() {
    FValues = FSaved;
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TXXXFilterDialog::ControlsToValues() {
    for (int k = 0; k < 3; ++k) SetValue(k, FControls.Sliders[k].Position);
}

void TXXXFilterDialog::ValuesToControls() {
    for (int k = 0; k < 3; ++k) FControls.Sliders[k].Position = FValues[k];
}

TRGBFilterDialog::TRGBFilterDialog() {
    percentSliders(FControls, 0, 14);
    Setup();
}

void TRGBFilterDialog::SetCaptions() {
    FControls.Title = PGLangStr(msgRGBFilter);
    FControls.Sliders[0].Caption = PGLangStr(msgR);
    FControls.Sliders[1].Caption = PGLangStr(msgG);
    FControls.Sliders[2].Caption = PGLangStr(msgB);
}

void TRGBFilterDialog::SetValue(int Index, int Value) {
    FValues.at(Index) = percentOf(Value);
}

void TRGBFilterDialog::setAndApply(int index, int value) {
    SetValue(index, value);
    ValuesToControls();
    ValuesToFilter(Filter());
}

std::unique_ptr<TPGFilter> TRGBFilterDialog::CreateFilter() const {
    return std::make_unique<TRGBFilter>();
}

void TRGBFilterDialog::ValuesToFilter(TPGFilter& Filter) const {
    PGSetRGBPercents(dynamic_cast<TRGBFilter&>(Filter), FValues[0], FValues[1], FValues[2]);
}

TPGFilterFactory TRGBFilterDialog::FilterFactory() const {
    return factoryOf<TRGBFilter>(
        [v = FValues](TRGBFilter& f) { PGSetRGBPercents(f, v[0], v[1], v[2]); });
}

THSVFilterDialog::THSVFilterDialog() {
    setSlider(FControls.Sliders[0], -180, 180, 15, 0, 14, 32);
    const std::string degree = PGLangStr(msgDegree);
    setLabels(FControls.Sliders[0], "-180" + degree, PGLangStr(msgPlusMinus) + "0" + degree,
              "+180" + degree);
    percentSliders(FControls, 1, 14);
    Setup();
}

void THSVFilterDialog::SetCaptions() {
    FControls.Title = PGLangStr(msgHSVFilter);
    FControls.Sliders[0].Caption = PGLangStr(msgH);
    FControls.Sliders[1].Caption = PGLangStr(msgS);
    FControls.Sliders[2].Caption = PGLangStr(msgV);
}

void THSVFilterDialog::SetValue(int Index, int Value) {
    FValues.at(Index) = Index == 0 ? wrapDegrees(Value) : percentOf(Value);
}

void THSVFilterDialog::setAndApply(int index, int value) {
    SetValue(index, value);
    ValuesToControls();
    ValuesToFilter(Filter());
}

std::string THSVFilterDialog::ValueLabel(int Index) const {
    return Index == 0 ? signedLabel(FValues[0], PGLangStr(msgDegree))
                      : TXXXFilterDialog::ValueLabel(Index);
}

std::unique_ptr<TPGFilter> THSVFilterDialog::CreateFilter() const {
    return std::make_unique<THSVFilter>();
}

void THSVFilterDialog::ValuesToFilter(TPGFilter& Filter) const {
    PGSetHSVValues(dynamic_cast<THSVFilter&>(Filter), FValues[0], FValues[1], FValues[2]);
}

TPGFilterFactory THSVFilterDialog::FilterFactory() const {
    return factoryOf<THSVFilter>(
        [v = FValues](THSVFilter& f) { PGSetHSVValues(f, v[0], v[1], v[2]); });
}

// ---------------------------------------------------------------------------------------------
// Brightness, contrast, gamma

TBCGFilterDialog::TBCGFilterDialog() {
    percentSliders(FControls, 0, 55);
    for (int k : {1, 2}) {
        setSlider(FControls.Sliders[k], -100, 100, 100, 0, 55, 32);
        setLabels(FControls.Sliders[k], "0.20", "1.00", "5.00");
    }
    FControls.Radios.Shown = true;
    Setup();
}

void TBCGFilterDialog::SetCaptions() {
    FControls.Title = PGLangStr(msgBCGFilter);
    FControls.Sliders[0].Caption = PGLangStr(msgBrightness);
    FControls.Sliders[1].Caption = PGLangStr(msgContrast);
    FControls.Sliders[2].Caption = PGLangStr(msgGamma);
    FControls.ExtraCaption = PGLangStr(msgApplyOn);
    FControls.Radios.Caption1 = PGLangStr(msgRGB);
    FControls.Radios.Caption2 = PGLangStr(msgY);
}

void TBCGFilterDialog::SetBrightness(int v) {
    FValues.Brightness = percentOf(v);
    ValuesToControls();
    ValuesToFilter(Filter());
}

double TBCGFilterDialog::Contrast() const {
    return powerOf(FValues.ContrastPosition);
}

double TBCGFilterDialog::Gamma() const {
    return powerOf(FValues.GammaPosition);
}

void TBCGFilterDialog::SetContrast(double v) {
    FValues.ContrastPosition = powerPosition(v);
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TBCGFilterDialog::SetGamma(double v) {
    FValues.GammaPosition = powerPosition(v);
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TBCGFilterDialog::SetUseY(bool v) {
    FValues.UseY = v;
    ValuesToControls();
    ValuesToFilter(Filter());
}

std::string TBCGFilterDialog::ValueLabel(int Index) const {
    if (Index == 0) return signedLabel(FValues.Brightness, "%");
    return twoDecimals(Index == 1 ? Contrast() : Gamma());
}

void TBCGFilterDialog::RestoreValues() {
    FValues = FSaved;
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TBCGFilterDialog::ControlsToValues() {
    FValues.Brightness = percentOf(FControls.Sliders[0].Position);
    FValues.ContrastPosition = std::clamp(FControls.Sliders[1].Position, -100, 100);
    FValues.GammaPosition = std::clamp(FControls.Sliders[2].Position, -100, 100);
    FValues.UseY = FControls.Radios.Checked2;
}

void TBCGFilterDialog::ValuesToControls() {
    FControls.Sliders[0].Position = FValues.Brightness;
    FControls.Sliders[1].Position = FValues.ContrastPosition;
    FControls.Sliders[2].Position = FValues.GammaPosition;
    FControls.Radios.Checked1 = !FValues.UseY;
    FControls.Radios.Checked2 = FValues.UseY;
}

void TBCGFilterDialog::fill(const TValues& v, TBCGFilter& f) {
    f.SetBrightness(v.Brightness);
    f.SetContrast(powerOf(v.ContrastPosition));
    f.SetGamma(powerOf(v.GammaPosition));
    f.SetUseY(v.UseY);
    f.RebuildTable();
}

std::unique_ptr<TPGFilter> TBCGFilterDialog::CreateFilter() const {
    return std::make_unique<TBCGFilter>();
}

void TBCGFilterDialog::ValuesToFilter(TPGFilter& Filter) const {
    fill(FValues, dynamic_cast<TBCGFilter&>(Filter));
}

TPGFilterFactory TBCGFilterDialog::FilterFactory() const {
    return factoryOf<TBCGFilter>([v = FValues](TBCGFilter& f) { fill(v, f); });
}

// ---------------------------------------------------------------------------------------------
// Grey scale

TGrayScaleFilterDialog::TGrayScaleFilterDialog() {
    FControls.CheckBox.Shown = true;
    Setup();
}

void TGrayScaleFilterDialog::SetCaptions() {
    FControls.Title = PGLangStr(msgGrayScaleFilter);
    FControls.CheckBox.Caption = PGLangStr(msgRGBWeighting);
}

void TGrayScaleFilterDialog::SetRGBWeighting(bool v) {
    FWeighting = v;
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TGrayScaleFilterDialog::RestoreValues() {
    SetRGBWeighting(FSaved);
}

void TGrayScaleFilterDialog::ControlsToValues() {
    FWeighting = FControls.CheckBox.Checked;
}

void TGrayScaleFilterDialog::ValuesToControls() {
    FControls.CheckBox.Checked = FWeighting;
}

std::unique_ptr<TPGFilter> TGrayScaleFilterDialog::CreateFilter() const {
    return std::make_unique<TGrayScaleFilter>();
}

void TGrayScaleFilterDialog::ValuesToFilter(TPGFilter& Filter) const {
    dynamic_cast<TGrayScaleFilter&>(Filter).SetRGBWeighting(FWeighting);
}

TPGFilterFactory TGrayScaleFilterDialog::FilterFactory() const {
    return factoryOf<TGrayScaleFilter>(
        [weighting = FWeighting](TGrayScaleFilter& f) { f.SetRGBWeighting(weighting); });
}

// ---------------------------------------------------------------------------------------------
// Kernels

TConvFilterDialog::TConvFilterDialog(int StdDeviation, int Percent, int MinPercent,
                                     int MaxPercent) {
    FControls.Preview = true;
    FValues.Hundredths = StdDeviation;
    FValues.Percent = Percent;
    setSlider(FControls.Sliders[0], 40, 130, 10, StdDeviation, 75, 32);
    setLabels(FControls.Sliders[0], "0.40", "", "1.30");
    setSlider(FControls.Sliders[1], MinPercent, MaxPercent, MinPercent, Percent, 75, 32);
    setLabels(FControls.Sliders[1], std::to_string(MinPercent) + "%", "",
              std::to_string(MaxPercent) + "%");
}

void TConvFilterDialog::setCaptions(int Title) {
    FControls.Title = PGLangStr(Title);
    FControls.Sliders[0].Caption = PGLangStr(msgStdDeviation);
    FControls.Sliders[1].Caption = PGLangStr(msgStrength);
}

void TConvFilterDialog::SetDistributionShape(TDistributionShape v) {
    FValues.Shape = v;
    ValuesToFilter(Filter());
}

void TConvFilterDialog::SetStdDeviation(double v) {
    FValues.Hundredths = std::clamp(static_cast<int>(std::nearbyint(v * 100)), 40, 130);
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TConvFilterDialog::SetPercent(int v) {
    const TFilterSlider& s = FControls.Sliders[1];
    FValues.Percent = std::clamp(v, s.Min, s.Max);
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TConvFilterDialog::SetUseDistance(bool v) {
    FValues.UseDistance = v;
    ValuesToFilter(Filter());
}

std::string TConvFilterDialog::ValueLabel(int Index) const {
    if (Index == 0) return twoDecimals(StdDeviation());
    return std::to_string(FValues.Percent) + "%";
}

void TConvFilterDialog::RestoreValues() {
    FValues = FSaved;
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TConvFilterDialog::ControlsToValues() {
    FValues.Hundredths = FControls.Sliders[0].Position;
    FValues.Percent = FControls.Sliders[1].Position;
}

void TConvFilterDialog::ValuesToControls() {
    FControls.Sliders[0].Position = FValues.Hundredths;
    FControls.Sliders[1].Position = FValues.Percent;
}

std::unique_ptr<TPGFilter> TConvFilterDialog::CreateFilter() const {
    return std::make_unique<TConvFilter>();
}

void TConvFilterDialog::ValuesToFilter(TPGFilter& Filter) const {
    auto& conv = dynamic_cast<TConvFilter&>(Filter);
    PGMakeKernel(conv, FValues.Shape, FValues.UseDistance, FValues.Hundredths / 100.0);
    Preset(FValues, conv);
}

TPGFilterFactory TConvFilterDialog::FilterFactory() const {
    // The preset is this dialog's; the factory keeps only values, so it may outlive the dialog.
    auto filter = std::make_shared<TConvFilter>();
    ValuesToFilter(*filter);
    return [filter] {
        auto f = std::make_unique<TConvFilter>();
        f->SetWidth(filter->Width());
        f->SetHeight(filter->Height());
        for (int y = 0; y < f->Height(); ++y)
            for (int x = 0; x < f->Width(); ++x) f->SetKernel(x, y, filter->Kernel(x, y));
        f->SetColumnOffset(filter->ColumnOffset());
        f->SetRowOffset(filter->RowOffset());
        f->SetFactor(filter->Factor());
        f->SetBias(filter->Bias());
        return std::unique_ptr<TPGFilter>(std::move(f));
    };
}

TSharpenFilterDialog::TSharpenFilterDialog() : TConvFilterDialog(75, 50, 10, 100) {
    Setup();
}

void TSharpenFilterDialog::SetCaptions() {
    setCaptions(msgSharpen);
}

void TSharpenFilterDialog::Preset(const TValues& Values, TConvFilter& Filter) const {
    PGSharpenKernel(Filter, Values.Percent);
}

TSmoothFilterDialog::TSmoothFilterDialog() : TConvFilterDialog(130, 100, 10, 100) {
    Setup();
}

void TSmoothFilterDialog::SetCaptions() {
    setCaptions(msgSmooth);
}

void TSmoothFilterDialog::Preset(const TValues& Values, TConvFilter& Filter) const {
    PGSmoothKernel(Filter, Values.Percent);
}

TContourFilterDialog::TContourFilterDialog() : TConvFilterDialog(100, 100, 100, 1000) {
    FValues.Shape = dsRect;
    FControls.Radios.Shown = true;
    Setup();
}

void TContourFilterDialog::SetCaptions() {
    setCaptions(msgContour);
    FControls.Radios.Caption1 = PGLangStr(msgWhite);
    FControls.Radios.Caption2 = PGLangStr(msgBlack);
}

void TContourFilterDialog::SetBlackBk(bool v) {
    FValues.BlackBk = v;
    ValuesToControls();
    ValuesToFilter(Filter());
}

void TContourFilterDialog::ControlsToValues() {
    TConvFilterDialog::ControlsToValues();
    FValues.BlackBk = FControls.Radios.Checked2;
}

void TContourFilterDialog::ValuesToControls() {
    TConvFilterDialog::ValuesToControls();
    FControls.Radios.Checked1 = !FValues.BlackBk;
    FControls.Radios.Checked2 = FValues.BlackBk;
}

void TContourFilterDialog::Preset(const TValues& Values, TConvFilter& Filter) const {
    PGContourKernel(Filter, Values.Percent, Values.BlackBk);
}
