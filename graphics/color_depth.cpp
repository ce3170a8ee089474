#include "pixel_graphic.h"

#include <cstring>

struct TPGColorCache {};
struct TPGDitherState {};

void TPGColorCacheDeleter::operator()(TPGColorCache* cache) const {
    delete cache;
}
void TPGDitherStateDeleter::operator()(TPGDitherState* state) const {
    delete state;
}

uint32_t TPixelGraphic::searchNearest(uint32_t color) const {
    uint32_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < FPalette.size(); ++i) {
        int dr = PGRed(color) - PGRed(FPalette[i]);
        int dg = PGGreen(color) - PGGreen(FPalette[i]);
        int db = PGBlue(color) - PGBlue(FPalette[i]);
        int64_t d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<uint32_t>(i);
        }
    }
    return best;
}

uint32_t TPixelGraphic::NearestIndex(uint32_t color) {
    color &= 0xFFFFFF;
    if (FMemoValid && FMemoColor == color) return FMemoIndex;
    if (FPaletteIdent == pNone) throw EPGNoPalette(PGLangStr(msgNoPalette));
    uint32_t index = FPaletteIdent == pTrueColor ? color : searchNearest(color);
    FMemoColor = color;
    FMemoIndex = index;
    FMemoValid = true;
    return index;
}

void TPixelGraphic::CopyRect(int DestX, int DestY, const TPixelGraphic& Source, int SourceY, int SourceX,
                             int Height, int Width) {
    if (Empty() || Source.Empty()) return;
    int firstY = std::max(DestY, 0), lastY = std::min(DestY + Height - 1, FHeight - 1);
    int firstX = std::max({DestX, 0, DestX - SourceX}),
        lastX = std::min({DestX + Width - 1, FWidth - 1, Source.Width() - 1 + DestX - SourceX});
    if (firstX > lastX) return;
    TPGProgressScope progress(*this);
    for (int y = firstY; y <= lastY; ++y) {
        int sy = y + SourceY - DestY;
        if (sy < 0 || sy >= Source.Height()) continue;
        if (FPixelFormat == pf24Bit && Source.PixelFormat() == pf24Bit) {
            std::memcpy(ScanLine(y) + 3 * firstX,
                        Source.ScanLine(sy) + 3 * (firstX + SourceX - DestX),
                        3 * static_cast<size_t>(lastX - firstX + 1));
        } else {
            for (int x = firstX; x <= lastX; ++x)
                SetPixelColor(x, y, Source.GetPixelColor(x + SourceX - DestX, sy));
        }
        if (progress.Step(y - firstY, lastY - firstY)) break;
    }
    Changed();
}
