#include "format_registry.h"
#include "optimal_palette.h"

namespace {

// Format and palette of each class; OptimalColors > 0 asks for an optimal palette of that size
// computed from the image instead of the fixed palette.
struct TargetForm {
    uint8_t PixelFormat;
    TPaletteIdent Palette;
    int OptimalColors;
    bool SystemColors;
};

constexpr TargetForm targetForms[8] = {
    {pf1Bit, pBlackWhite, 0, false}, {pf1Bit, pUnknown, 2, false},   {pf4Bit, pGray16, 0, false},
    {pf4Bit, pSys16, 0, false},      {pf4Bit, pUnknown, 16, false},  {pf8Bit, pGray256, 0, false},
    {pf8Bit, pUnknown, 252, true},   {pf24Bit, pTrueColor, 0, false}};

} // namespace

std::unique_ptr<TPixelGraphic> MakeSaveCopy(TPixelGraphic& image, TPGResolution c) {
    const TargetForm& form = targetForms[c];
    auto copy = std::make_unique<TPixelGraphic>();
    copy->OnProgress = image.OnProgress;
    copy->OnProgressStart = image.OnProgressStart;
    copy->OnProgressEnd = image.OnProgressEnd;
    copy->SetSizeAndFormat(image.Width(), image.Height(), form.PixelFormat);
    if (form.OptimalColors > 0)
        CreateOptimalPalette(*copy, image, form.OptimalColors, form.SystemColors);
    else
        copy->SetPaletteIdent(form.Palette);
    copy->CopyRect(0, 0, image, 0, 0, image.Height(), image.Width());
    return copy;
}
