#include "edit_image.h"

TGaugeScope::TGaugeScope(TPixelGraphic& image, const TProgressGauge& gauge)
    : FImage(image), FGauge(gauge), FOldProgress(image.OnProgress) {
    FImage.OnProgress = [this](TPixelGraphic&, int step, int max, bool&) {
        if (FGauge.Show) FGauge.Show(max > 0 ? static_cast<int>(int64_t(step) * 100 / max) : 100);
    };
}

TGaugeScope::~TGaugeScope() {
    FImage.OnProgress = std::move(FOldProgress);
    if (FGauge.Hide) FGauge.Hide();
}

std::unique_ptr<TPixelGraphic> NewImageLike(const TPixelGraphic& source, int w, int h) {
    auto image = std::make_unique<TPixelGraphic>();
    image->SetBackGroundColor(source.BackGroundColor());
    image->SetDither(source.Dither());
    image->SetDitherErrorLimit(source.DitherErrorLimit());
    image->SetDitherErrorLimitAuto(source.DitherErrorLimitAuto());
    image->SetDitherErrorLimitSoft(source.DitherErrorLimitSoft());
    image->SetUseColorCache(source.UseColorCache());
    image->SetGamma(source.Gamma());
    image->SetRGBWeighting(source.RGBWeighting());
    image->SetRotateInterpolate(source.RotateInterpolate());
    image->SetStretchMode(source.StretchMode());
    image->SetReadWarningAction(source.ReadWarningAction());
    image->SetTransparent(source.Transparent());
    image->SetTransparentColor(source.TransparentColor());
    image->SetSaveColorResWarningAction(source.SaveColorResWarningAction());
    image->SetSizeAndFormat(w, h, source.PixelFormat());
    if (source.PixelFormat() != pf24Bit) {
        image->SetPaletteCount(source.PaletteCount());
        for (int i = 0; i < source.PaletteCount(); ++i)
            image->SetPaletteEntry(i, source.GetPaletteEntry(i));
        image->SetPaletteIdent(source.PaletteIdent());
    }
    return image;
}
