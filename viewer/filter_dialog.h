#pragma once
// The effect dialogs as descriptions without widgets: which controls the form shows, how their
// positions map to the dialog's values and the values to a filter, the value labels, and saving
// and restoring the values. TFilterDialogForm shows one of them; tests drive them directly.

#include "pg_filters.h"
#include "pg_image_types.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

class QWidget;

struct TFilterSlider {
    bool Shown = false;
    int Min = 0, Max = 0, TickFrequency = 1, Neutral = 0;
    std::string Caption;
    int CaptionWidth = 0;
    std::string LabelLeft, LabelMiddle, LabelRight;
    int ValueWidth = 0;
    int Position = 0;
};

struct TFilterCheckBox {
    bool Shown = false;
    std::string Caption;
    bool Checked = false;
};

struct TFilterRadioPair {
    bool Shown = false;
    std::string Caption1, Caption2;
    bool Checked1 = true, Checked2 = false;
};

struct TFilterDialogControls {
    std::array<TFilterSlider, 3> Sliders;
    TFilterCheckBox CheckBox;
    TFilterRadioPair Radios;
    std::string ExtraCaption;
    std::string Title;
    bool Preview = false;
};

class TFilterDialog {
public:
    virtual ~TFilterDialog() = default;
    TFilterDialog(const TFilterDialog&) = delete;
    TFilterDialog& operator=(const TFilterDialog&) = delete;

    // Runs the form (filter_dialog_form.cpp); the picture is only read, for the preview.
    // Answers true for OK; otherwise the values are those from before.
    bool Execute(const TPixelGraphic* Picture = nullptr, QWidget* Parent = nullptr);

    const TFilterDialogControls& Controls() const { return FControls; }
    // The dialog's filter, holding the current values.
    TPGFilter& Filter() { return *FFilter; }
    // Makes fresh filters with the values as they are now, for another thread.
    virtual TPGFilterFactory FilterFactory() const = 0;

    // What the form reports: each copies the controls into the values, the values into the
    // filter, and refreshes the positions the values clamp.
    void MoveSlider(int Index, int Position);
    void SetChecked(bool Checked);
    void SelectRadio(int Index);

    virtual void SetCaptions() = 0;
    virtual std::unique_ptr<TPGFilter> CreateFilter() const = 0;
    virtual void ValuesToFilter(TPGFilter& Filter) const = 0;
    // The text beside slider Index (0..2).
    virtual std::string ValueLabel(int Index) const = 0;
    virtual void SaveValues() = 0;
    virtual void RestoreValues() = 0;

protected:
    TFilterDialog() = default;
    // Called last by every constructor of a dialog that can be made.
    void Setup();
    virtual void ControlsToValues() = 0;
    virtual void ValuesToControls() = 0;
    void Changed();
    TFilterDialogControls FControls;

private:
    std::unique_ptr<TPGFilter> FFilter;
};

// Dialogs that show the effect on a small copy of the picture.
class TPreviewFilterDialog : public TFilterDialog {
public:
    TPalette8BitSys24BitGraphic Palette8BitSys24BitGraphic() const { return FPalette24; }
    void SetPalette8BitSys24BitGraphic(TPalette8BitSys24BitGraphic v) { FPalette24 = v; }
    TPalette8BitSys8BitGraphic Palette8BitSys8BitGraphic() const { return FPalette8; }
    void SetPalette8BitSys8BitGraphic(TPalette8BitSys8BitGraphic v) { FPalette8 = v; }
    // Unset: the style's button face and shadow.
    std::optional<uint32_t> ProgressClockBkColor() const { return FClockBk; }
    void SetProgressClockBkColor(std::optional<uint32_t> v) { FClockBk = v; }
    std::optional<uint32_t> ProgressClockLineColor() const { return FClockLine; }
    void SetProgressClockLineColor(std::optional<uint32_t> v) { FClockLine = v; }
    bool ProgressClockVisible() const { return FClockVisible; }
    void SetProgressClockVisible(bool v) { FClockVisible = v; }

protected:
    TPreviewFilterDialog() { FControls.Preview = true; }

private:
    TPalette8BitSys24BitGraphic FPalette24 = pOptimized252Sys16;
    TPalette8BitSys8BitGraphic FPalette8 = pOptimized252Sys16;
    std::optional<uint32_t> FClockBk, FClockLine;
    bool FClockVisible = false;
};

// Three percent or degree sliders feeding three tables.
class TXXXFilterDialog : public TPreviewFilterDialog {
public:
    std::string ValueLabel(int Index) const override;
    void SaveValues() override { FSaved = FValues; }
    void RestoreValues() override;

protected:
    TXXXFilterDialog() = default;
    void ControlsToValues() override;
    void ValuesToControls() override;
    virtual void SetValue(int Index, int Value) = 0;
    std::array<int, 3> FValues{}, FSaved{};
};

class TRGBFilterDialog : public TXXXFilterDialog {
public:
    TRGBFilterDialog();
    int Red() const { return FValues[0]; }
    int Green() const { return FValues[1]; }
    int Blue() const { return FValues[2]; }
    void SetRed(int v) { setAndApply(0, v); }
    void SetGreen(int v) { setAndApply(1, v); }
    void SetBlue(int v) { setAndApply(2, v); }

    TPGFilterFactory FilterFactory() const override;
    void SetCaptions() override;
    std::unique_ptr<TPGFilter> CreateFilter() const override;
    void ValuesToFilter(TPGFilter& Filter) const override;

protected:
    void SetValue(int Index, int Value) override;

private:
    void setAndApply(int index, int value);
};

class THSVFilterDialog : public TXXXFilterDialog {
public:
    THSVFilterDialog();
    int H() const { return FValues[0]; }
    int S() const { return FValues[1]; }
    int V() const { return FValues[2]; }
    void SetH(int v) { setAndApply(0, v); }
    void SetS(int v) { setAndApply(1, v); }
    void SetV(int v) { setAndApply(2, v); }

    TPGFilterFactory FilterFactory() const override;
    void SetCaptions() override;
    std::unique_ptr<TPGFilter> CreateFilter() const override;
    void ValuesToFilter(TPGFilter& Filter) const override;
    std::string ValueLabel(int Index) const override;

protected:
    void SetValue(int Index, int Value) override;

private:
    void setAndApply(int index, int value);
};

class TBCGFilterDialog : public TPreviewFilterDialog {
public:
    TBCGFilterDialog();
    int Brightness() const { return FValues.Brightness; }
    void SetBrightness(int v);
    // 5 to the power of the slider position over 100.
    double Contrast() const;
    double Gamma() const;
    // Kept as the nearest slider position of x limited to 0.2..5.
    void SetContrast(double v);
    void SetGamma(double v);
    bool UseY() const { return FValues.UseY; }
    void SetUseY(bool v);

    TPGFilterFactory FilterFactory() const override;
    void SetCaptions() override;
    std::unique_ptr<TPGFilter> CreateFilter() const override;
    void ValuesToFilter(TPGFilter& Filter) const override;
    std::string ValueLabel(int Index) const override;
    void SaveValues() override { FSaved = FValues; }
    void RestoreValues() override;

protected:
    void ControlsToValues() override;
    void ValuesToControls() override;

private:
    struct TValues {
        int Brightness = 0, ContrastPosition = 0, GammaPosition = 0;
        bool UseY = false;
    };
    static void fill(const TValues& v, TBCGFilter& f);
    TValues FValues, FSaved;
};

class TGrayScaleFilterDialog : public TPreviewFilterDialog {
public:
    TGrayScaleFilterDialog();
    bool RGBWeighting() const { return FWeighting; }
    void SetRGBWeighting(bool v);

    TPGFilterFactory FilterFactory() const override;
    void SetCaptions() override;
    std::unique_ptr<TPGFilter> CreateFilter() const override;
    void ValuesToFilter(TPGFilter& Filter) const override;
    std::string ValueLabel(int) const override { return {}; }
    void SaveValues() override { FSaved = FWeighting; }
    void RestoreValues() override;

protected:
    void ControlsToValues() override;
    void ValuesToControls() override;

private:
    bool FWeighting = true, FSaved = true;
};

// Standard deviation and strength sliders over a kernel built from a distribution. They show a
// preview too, of a 1:1 crop from the picture's centre: sharpening is invisible when reduced.
class TConvFilterDialog : public TFilterDialog {
public:
    TDistributionShape DistributionShape() const { return FValues.Shape; }
    void SetDistributionShape(TDistributionShape v);
    double StdDeviation() const { return FValues.Hundredths / 100.0; }
    void SetStdDeviation(double v);
    int Percent() const { return FValues.Percent; }
    void SetPercent(int v);
    bool UseDistance() const { return FValues.UseDistance; }
    void SetUseDistance(bool v);

    TPGFilterFactory FilterFactory() const override;
    std::unique_ptr<TPGFilter> CreateFilter() const override;
    void ValuesToFilter(TPGFilter& Filter) const override;
    std::string ValueLabel(int Index) const override;
    void SaveValues() override { FSaved = FValues; }
    void RestoreValues() override;

protected:
    struct TValues {
        TDistributionShape Shape = dsGaussian;
        int Hundredths = 75, Percent = 50;
        bool UseDistance = true, BlackBk = false;
    };
    // Sets the sliders of a dialog: standard deviation 40..130 and the strength's range.
    TConvFilterDialog(int StdDeviation, int Percent, int MinPercent, int MaxPercent);
    void ControlsToValues() override;
    void ValuesToControls() override;
    void setCaptions(int Title);
    virtual void Preset(const TValues& Values, TConvFilter& Filter) const = 0;
    TValues FValues, FSaved;
};

class TSharpenFilterDialog : public TConvFilterDialog {
public:
    TSharpenFilterDialog();
    void SetCaptions() override;

protected:
    void Preset(const TValues& Values, TConvFilter& Filter) const override;
};

class TSmoothFilterDialog : public TConvFilterDialog {
public:
    TSmoothFilterDialog();
    void SetCaptions() override;

protected:
    void Preset(const TValues& Values, TConvFilter& Filter) const override;
};

class TContourFilterDialog : public TConvFilterDialog {
public:
    TContourFilterDialog();
    bool BlackBk() const { return FValues.BlackBk; }
    void SetBlackBk(bool v);
    void SetCaptions() override;

protected:
    void ControlsToValues() override;
    void ValuesToControls() override;
    void Preset(const TValues& Values, TConvFilter& Filter) const override;
};
