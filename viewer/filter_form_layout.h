#pragma once
// Where the effect form puts its controls, in pixels before scaling to the screen; a pure
// function of the dialog's description.

#include "filter_dialog.h"

#include <array>

struct TFormRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Bottom() const { return Top + Height; }
    bool operator==(const TFormRect&) const = default;
};

struct TFilterSliderLayout {
    TFormRect Slider, Caption, Value;
    std::array<TFormRect, 3> Scale; // left, middle and right label
};

struct TFilterFormLayout {
    int ClientWidth = 0, ClientHeight = 0;
    std::array<TFilterSliderLayout, 3> Sliders; // shown ones only
    TFormRect Preview, CheckBox, Radio1, Radio2, ExtraCaption, Line, OK, Cancel;
};

// Heights the description leaves open: one line of the 8-point font, a check box or radio.
inline constexpr int FilterLabelHeight = 13, FilterButtonHeight = 17;

TFilterFormLayout PGFilterFormLayout(const TFilterDialogControls& Controls, bool Preview);
