#include "format_registry.h"

namespace {

struct TargetForm {
    uint8_t PixelFormat;
    TPaletteIdent Palette;
};

// Format and palette of each class. The optimal-palette classes use fixed palettes until the
// palette optimiser is in place.
constexpr TargetForm targetForms[8] = {
    {pf1Bit, pBlackWhite}, {pf1Bit, pBlackWhite}, {pf4Bit, pGray16},     {pf4Bit, pSys16},
    {pf4Bit, pSys16},      {pf8Bit, pGray256},    {pf8Bit, pSpecial252}, {pf24Bit, pTrueColor}};

} // namespace

std::unique_ptr<TPixelGraphic> MakeSaveCopy(TPixelGraphic& image, TPGResolution c) {
    auto copy = std::make_unique<TPixelGraphic>();
    copy->OnProgress = image.OnProgress;
    copy->OnProgressStart = image.OnProgressStart;
    copy->OnProgressEnd = image.OnProgressEnd;
    copy->SetSizeAndFormat(image.Width(), image.Height(), targetForms[c].PixelFormat);
    copy->SetPaletteIdent(targetForms[c].Palette);
    copy->CopyRect(0, 0, image, 0, 0, image.Height(), image.Width());
    return copy;
}
