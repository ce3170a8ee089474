#include "filter_preview.h"

#include <algorithm>
#include <cmath>

TPreviewSize PGPreviewSize(int Width, int Height, int BoxWidth, int BoxHeight) {
    if (Width <= 0 || Height <= 0 || BoxWidth <= 0 || BoxHeight <= 0) return {};
    if (Width <= BoxWidth && Height <= BoxHeight) return {Width, Height};
    auto rounded = [](double v) { return std::max(1, static_cast<int>(std::lround(v))); };
    // Compare Width / BoxWidth with Height / BoxHeight without dividing.
    if (int64_t(Width) * BoxHeight >= int64_t(Height) * BoxWidth)
        return {BoxWidth, std::min(BoxHeight, rounded(double(Height) * BoxWidth / Width))};
    return {std::min(BoxWidth, rounded(double(Width) * BoxHeight / Height)), BoxHeight};
}

std::unique_ptr<TPixelGraphic> PGMakePreviewSource(const TPixelGraphic& Picture, int BoxWidth,
                                                   int BoxHeight, bool Crop) {
    if (Picture.Empty()) return nullptr;
    auto source = std::make_unique<TPixelGraphic>();
    if (Crop) {
        const int w = std::min(BoxWidth, Picture.Width()),
                  h = std::min(BoxHeight, Picture.Height());
        if (w <= 0 || h <= 0) return nullptr;
        source->SetSizeAndFormat(w, h, pf24Bit);
        source->CopyRect(0, 0, Picture, (Picture.Height() - h) / 2, (Picture.Width() - w) / 2, h,
                         w);
        return source;
    }
    const TPreviewSize size = PGPreviewSize(Picture.Width(), Picture.Height(), BoxWidth, BoxHeight);
    if (size.Width == 0) return nullptr;
    source->SetSizeAndFormat(size.Width, size.Height, pf24Bit);
    source->CopyFrom(Picture);
    return source;
}
