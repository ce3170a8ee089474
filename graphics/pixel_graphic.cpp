#include "pixel_graphic.h"

#include <algorithm>
#include <cstring>

uint8_t PixelFormatOfBitCount(int bitCount) {
    switch (bitCount) {
    case 1:
        return pf1Bit;
    case 4:
        return pf4Bit;
    case 8:
        return pf8Bit;
    case 24:
        return pf24Bit;
    default:
        throw EPGInvalidBitCountNum(PGLangStr(msgInvalidValue, "BitCountNum"));
    }
}

int BitCountOfPixelFormat(uint8_t pixelFormat) {
    static constexpr int bits[4] = {1, 4, 8, 24};
    return bits[pixelFormat & 3];
}

int ColorCountOfPixelFormat(uint8_t pixelFormat) {
    static constexpr int colors[4] = {2, 16, 256, 0};
    return colors[pixelFormat & 3];
}

int64_t BytesPerRowOf(int bitCount, int64_t width) {
    return ((bitCount * width + 31) / 32) * 4;
}

TPixelGraphic::TPixelGraphic() = default;
TPixelGraphic::~TPixelGraphic() = default;

void TPixelGraphic::Assign(const TPixelGraphic* Source) {
    if (Source == this) return;
    TPGUpdateScope update(*this);
    if (!Source) {
        SetSizeAndFormat(0, 0, pf24Bit);
        SetPaletteIdent(pTrueColor);
        return;
    }
    SetSizeAndFormat(Source->FWidth, Source->FHeight, Source->FPixelFormat);
    if (Source->FBits) std::memcpy(FBits.get(), Source->FBits.get(), FImageSize);
    SetPaletteIdent(Source->FPaletteIdent);
    FPalette = Source->FPalette;
    rebuildHeader();
    InvalidateColorCache();
    invalidateMemo();
    FBackGroundColor = Source->FBackGroundColor;
    FDither = Source->FDither;
    FDitherErrorLimit = Source->FDitherErrorLimit;
    FDitherErrorLimitAuto = Source->FDitherErrorLimitAuto;
    FDitherErrorLimitSoft = Source->FDitherErrorLimitSoft;
    FUseColorCache = Source->FUseColorCache;
    FGamma = Source->FGamma;
    FRGBWeighting = Source->FRGBWeighting;
    FRotateInterpolate = Source->FRotateInterpolate;
    FStretchMode = Source->FStretchMode;
    FReadWarningAction = Source->FReadWarningAction;
    FTransparent = Source->FTransparent;
    FTransparentColor = Source->FTransparentColor;
    FSaveColorResWarningAction = Source->FSaveColorResWarningAction;
    ClassifyPalette();
}

void TPixelGraphic::SetWidth(int value) {
    if (value != FWidth) SetSizeAndFormat(value, FHeight, FPixelFormat);
}

void TPixelGraphic::SetHeight(int value) {
    if (value != FHeight) SetSizeAndFormat(FWidth, value, FPixelFormat);
}

void TPixelGraphic::SetPixelFormat(uint8_t value) {
    if (value > pf24Bit) throw EPixelGraphic(PGLangStr(msgInvalidValue, "PixelFormat"));
    if (value != FPixelFormat) SetSizeAndFormat(FWidth, FHeight, value);
}

void TPixelGraphic::releasePixels() {
    FBits.reset();
    FHeader.clear();
}

void TPixelGraphic::SetSizeAndFormat(int W, int H, uint8_t F) {
    if (W < 0) throw EPGInvalidSize(PGLangStr(msgNegativeWidth));
    if (H < 0) throw EPGInvalidSize(PGLangStr(msgNegativeHeight));
    if (F > pf24Bit) throw EPixelGraphic(PGLangStr(msgInvalidValue, "PixelFormat"));
    if (W == FWidth && H == FHeight && F == FPixelFormat) {
        Clear();
        return;
    }
    FWidth = W;
    FHeight = H;
    FPixelFormat = F;
    releasePixels();
    FBytesPerRow = BytesPerRowOf(BitCount(), W);
    FImageSize = FBytesPerRow * H;
    if (FImageSize > 0) {
        if (PaletteCount() > ColorCount()) SetPaletteCount(ColorCount());
        if (F == pf24Bit)
            FPaletteIdent = pTrueColor;
        else if (FPaletteIdent == pTrueColor)
            FPaletteIdent = pNone;
        invalidateMemo();
        TPGPixelBlock block;
        const int64_t limit = FCallOptions.PixelLimit;
        if (FImageSize <= PGMaxImageBytes && (limit <= 0 || int64_t(W) * H <= limit))
            block = AllocatePixelBlock(static_cast<size_t>(FImageSize));
        if (!block) {
            // Never sizes without memory: the image becomes empty.
            FWidth = FHeight = 0;
            FBytesPerRow = FImageSize = 0;
            throw EPixelGraphic(PGLangStr(msgFailed, "CreateDIBSection"));
        }
        FBits = std::move(block);
        rebuildHeader();
    }
    Changed();
}

void TPixelGraphic::rebuildHeader() {
    if (!FBits) {
        FHeader.clear();
        return;
    }
    FHeader.assign(40 + 4 * static_cast<size_t>(ColorCount()), 0);
    uint8_t* h = FHeader.data();
    PutLE32(h, 40);
    PutLE32(h + 4, static_cast<uint32_t>(FWidth));
    PutLE32(h + 8, static_cast<uint32_t>(FHeight));
    PutLE16(h + 12, 1);
    PutLE16(h + 14, static_cast<uint16_t>(BitCount()));
    PutLE32(h + 20, static_cast<uint32_t>(FImageSize));
    PutLE32(h + 32, static_cast<uint32_t>(ColorCount()));
    for (int i = 0; i < ColorCount(); ++i) updateHeaderEntry(i);
}

void TPixelGraphic::updateHeaderEntry(int i) {
    if (FHeader.empty() || i >= ColorCount()) return;
    uint32_t c = ColorTableEntry(static_cast<uint32_t>(i));
    uint8_t* e = FHeader.data() + 40 + 4 * i;
    e[0] = PGBlue(c);
    e[1] = PGGreen(c);
    e[2] = PGRed(c);
    e[3] = 0;
}

uint32_t TPixelGraphic::ColorTableEntry(uint32_t index) const {
    if (index < FPalette.size()) return FPalette[index];
    return FPalette.empty() ? 0 : FPalette[0];
}

void TPixelGraphic::Clear() {
    if (!FBits) return;
    uint8_t* bits = FBits.get();
    if (FBackGroundColor == 0) {
        std::memset(bits, 0, static_cast<size_t>(FImageSize));
    } else if (FPixelFormat == pf8Bit) {
        for (int y = 0; y < FHeight; ++y)
            std::memset(ScanLine(y), static_cast<uint8_t>(FBackGroundColor), FWidth);
    } else {
        // Fill one row pixel by pixel, then copy it: same bytes as filling every pixel.
        for (int x = 0; x < FWidth; ++x) SetPixel(x, 0, FBackGroundColor);
        const uint8_t* first = ScanLine(0);
        for (int y = 1; y < FHeight; ++y) std::memcpy(ScanLine(y), first, FBytesPerRow);
    }
    Changed();
}

uint8_t* TPixelGraphic::ScanLine(int y) {
    if (!FBits || y < 0 || y >= FHeight) return nullptr;
    return FBits.get() + static_cast<int64_t>(FHeight - 1 - y) * FBytesPerRow;
}

const uint8_t* TPixelGraphic::ScanLine(int y) const {
    return const_cast<TPixelGraphic*>(this)->ScanLine(y);
}

uint32_t TPixelGraphic::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight || !FBits) return FBackGroundColor;
    const uint8_t* row = ScanLine(y);
    switch (FPixelFormat) {
    case pf1Bit:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case pf4Bit:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case pf8Bit:
        return row[x];
    default: {
        const uint8_t* p = row + 3 * static_cast<int64_t>(x);
        return PGColor(p[2], p[1], p[0]);
    }
    }
}

void TPixelGraphic::SetPixel(int x, int y, uint32_t value) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight || !FBits) return;
    uint8_t* row = ScanLine(y);
    switch (FPixelFormat) {
    case pf1Bit: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = value == 1 ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case pf4Bit: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
        break;
    }
    case pf8Bit:
        row[x] = static_cast<uint8_t>(value);
        break;
    default: {
        uint8_t* p = row + 3 * static_cast<int64_t>(x);
        p[0] = PGBlue(value);
        p[1] = PGGreen(value);
        p[2] = PGRed(value);
    }
    }
}

uint32_t TPixelGraphic::GetPixelColor(int x, int y) const {
    uint32_t v = GetPixel(x, y);
    return FPixelFormat == pf24Bit ? v : ColorTableEntry(v);
}

void TPixelGraphic::SetPixelColor(int x, int y, uint32_t color) {
    SetPixel(x, y, FPixelFormat == pf24Bit ? color : NearestIndex(color));
}

uint32_t TPixelGraphic::BackGroundColor() const {
    return FPixelFormat == pf24Bit ? FBackGroundColor : ColorTableEntry(FBackGroundColor);
}

void TPixelGraphic::SetBackGroundColor(uint32_t value) {
    FBackGroundColor = FPixelFormat == pf24Bit ? value : NearestIndex(value);
}

namespace {

bool allGrey(const std::vector<uint32_t>& palette) {
    return std::all_of(palette.begin(), palette.end(), [](uint32_t c) {
        return PGRed(c) == PGGreen(c) && PGGreen(c) == PGBlue(c);
    });
}

} // namespace

void TPixelGraphic::SetPaletteCount(int n) {
    if (n < 0 || n > 256) throw EPGInvalidPaletteIndex(PGLangStr(msgInvalidPaletteIndex));
    if (n != PaletteCount()) {
        FPalette.resize(n, 0);
        FPaletteIdent = n > 0 ? pUnknown : pNone;
        FIsGrayScale = FPixelFormat != pf24Bit && allGrey(FPalette);
        rebuildHeader();
        invalidateMemo();
    }
    InvalidateColorCache();
}

uint32_t TPixelGraphic::GetPaletteEntry(int i) const {
    if (FPaletteIdent == pTrueColor) return static_cast<uint32_t>(i);
    if (i < 0 || i >= PaletteCount())
        throw EPGInvalidPaletteIndex(PGLangStr(msgInvalidPaletteIndex));
    return FPalette[i];
}

void TPixelGraphic::SetPaletteEntry(int i, uint32_t color) {
    if (FPaletteIdent == pNone || FPaletteIdent == pTrueColor)
        throw EPGNoPalette(PGLangStr(msgNoPalette));
    if (i < 0 || i >= PaletteCount())
        throw EPGInvalidPaletteIndex(PGLangStr(msgInvalidPaletteIndex));
    FPalette[i] = color & 0xFFFFFF;
    if (i == 0)
        rebuildHeader(); // entry 0 also stands in for the missing entries
    else
        updateHeaderEntry(i);
    FPaletteIdent = pUnknown;
    FIsGrayScale = FPixelFormat != pf24Bit && allGrey(FPalette);
    invalidateMemo();
    InvalidateColorCache();
}

void TPixelGraphic::SetPaletteIdent(TPaletteIdent ident) {
    if (ident == FPaletteIdent) return;
    invalidateMemo(); // the identity decides the nearest-colour rule
    if (ident == pNone || ident == pTrueColor) {
        SetPaletteCount(0);
    } else if (ident >= pBlackWhite && ident <= pSpecial252) {
        FPalette = PredefinedPalette(ident);
        rebuildHeader();
        invalidateMemo();
        InvalidateColorCache();
    }
    FPaletteIdent = ident;
    FIsGrayScale = FPixelFormat != pf24Bit && allGrey(FPalette);
}

void TPixelGraphic::ClassifyPalette() {
    static constexpr TPaletteIdent order[] = {pBlackWhite, pGray4,     pSysGray4, pGray16,
                                              pGray236,    pGray256,   pSys16,    pSpecial216,
                                              pSpecial125, pSpecial252};
    FIsGrayScale = FPixelFormat != pf24Bit && allGrey(FPalette);
    invalidateMemo();
    for (TPaletteIdent ident : order) {
        if (FPalette == PredefinedPalette(ident)) {
            FPaletteIdent = ident;
            return;
        }
    }
    if (FPalette.empty())
        FPaletteIdent = FPixelFormat == pf24Bit ? pTrueColor : pNone;
    else
        FPaletteIdent = pUnknown;
}

void TPixelGraphic::SetUseColorCache(bool value) {
    FUseColorCache = value;
    invalidateMemo();
    Changed();
}

void TPixelGraphic::SetRGBWeighting(bool value) {
    FRGBWeighting = value;
    invalidateMemo();
}

void TPixelGraphic::InvalidateColorCache() {
    FColorCache.reset();
}

void TPixelGraphic::EndUpdate() {
    if (FUpdateLock > 0) --FUpdateLock;
    Changed();
}

void TPixelGraphic::Changed() {
    ++FChangeCount;
    if (FUpdateLock == 0 && OnChange) OnChange(*this);
}

long double TPixelGraphic::EffectiveDisplayGamma() const {
    return FCallOptions.DisplayGamma.value_or(DisplayGamma);
}

bool TPixelGraphic::EffectiveGammaCorrection() const {
    return FCallOptions.GammaCorrection.value_or(GammaCorrection);
}

TPGWarningAction TPixelGraphic::EffectiveReadWarningAction() const {
    return FCallOptions.WarningAction.value_or(FReadWarningAction);
}

TPGWarningAction TPixelGraphic::EffectiveSaveColorResWarningAction() const {
    return FCallOptions.WarningAction.value_or(FSaveColorResWarningAction);
}

TPGProgressScope::TPGProgressScope(TPixelGraphic& image) : FImage(image) {
    if (FImage.OnProgressStart) FImage.OnProgressStart(FImage);
}

TPGProgressScope::~TPGProgressScope() {
    if (!FImage.OnProgressEnd) return;
    try {
        FImage.OnProgressEnd(FImage);
    } catch (...) {
        // A destructor must not throw; an end-of-progress handler has nothing to report.
    }
}

bool TPGProgressScope::Step(int step, int max) {
    if (!FAborted && FImage.OnProgress) FImage.OnProgress(FImage, step, max, FAborted);
    return FAborted;
}
