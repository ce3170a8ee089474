#include "filter_form_layout.h"

#include <algorithm>

namespace {

constexpr int sliderWidth = 240, sliderHeight = 32, scaleWidth = 80, previewSide = 140;

TFilterSliderLayout sliderAt(const TFilterSlider& s, int margin, int top) {
    TFilterSliderLayout l;
    const int left = margin + s.CaptionWidth;
    l.Slider = {left, top, sliderWidth, sliderHeight};
    l.Caption = {margin, top + 6, s.CaptionWidth, FilterLabelHeight};
    l.Value = {left + sliderWidth, top + 6, s.ValueWidth, FilterLabelHeight};
    for (int k = 0; k < 3; ++k)
        l.Scale[k] = {left + k * scaleWidth, top + sliderHeight, scaleWidth, FilterLabelHeight};
    return l;
}

} // namespace

TFilterFormLayout PGFilterFormLayout(const TFilterDialogControls& Controls, bool Preview) {
    TFilterFormLayout l;
    const TFilterSlider& first = Controls.Sliders[0];
    const int m = first.Shown ? 10 : 40;
    l.ClientWidth = first.Shown
                        ? m + first.CaptionWidth + first.ValueWidth + m + (Preview ? 390 : 240)
                        : 2 * m + previewSide;
    int lowest = 0;
    for (int k = 0; k < 3; ++k) {
        if (!Controls.Sliders[k].Shown) continue;
        l.Sliders[k] = sliderAt(Controls.Sliders[k], m, 10 + 50 * k);
        lowest = std::max(lowest, l.Sliders[k].Scale[0].Bottom());
    }
    if (Preview) {
        l.Preview = {l.ClientWidth - m - previewSide, 12, previewSide, previewSide};
        lowest = std::max(lowest, l.Preview.Bottom());
    }
    if (Controls.CheckBox.Shown) {
        l.CheckBox = {m, 160, 140, FilterButtonHeight};
        lowest = std::max(lowest, l.CheckBox.Bottom());
    }
    if (Controls.Radios.Shown) {
        const int top = Controls.Sliders[2].Shown ? 160 : 115;
        const int left = m + first.CaptionWidth;
        l.Radio1 = {left + 6, top, 100, FilterButtonHeight};
        l.Radio2 = {left + 112, top, 100, FilterButtonHeight};
        lowest = std::max(lowest, l.Radio1.Bottom());
    }
    if (!Controls.ExtraCaption.empty()) {
        l.ExtraCaption = {m, 161, first.CaptionWidth, FilterLabelHeight};
        lowest = std::max(lowest, l.ExtraCaption.Bottom());
    }
    l.Line = {5, lowest + 10, l.ClientWidth - 10, 2};
    const int buttons = l.Line.Top + 12;
    l.OK = {l.ClientWidth / 2 - 95, buttons, 85, 24};
    l.Cancel = {l.ClientWidth / 2 + 10, buttons, 85, 24};
    l.ClientHeight = l.OK.Bottom() + 10;
    return l;
}
