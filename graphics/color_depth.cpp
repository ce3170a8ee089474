// Nearest palette index, error diffusion, copies between colour depths and filter runs.

#include "color_tables.h"
#include "pg_filter.h"
#include "pixel_graphic.h"
#include "pixel_rows.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <utility>

// One index byte per cell of a 32 x 64 x 32 grid over (red >> 3, green >> 2, blue >> 3).
struct TPGColorCache {
    std::array<uint8_t, 65536> Index{};
    std::array<uint64_t, 1024> Filled{};

    bool IsFilled(int cell) const { return (Filled[cell >> 6] >> (cell & 63)) & 1; }
    void Fill(int cell, uint32_t index) {
        Index[cell] = static_cast<uint8_t>(index);
        Filled[cell >> 6] |= uint64_t(1) << (cell & 63);
    }
};

// Errors are kept scaled by 16 in two rows of Width + 2 cells (red, green, blue); cell x + 1
// belongs to pixel x, the outer cells take what is pushed past the edges.
struct TPGDitherState {
    std::array<int, 511> Lim{}; // lim[-255..255] at Lim[i + 255]
    int Width = 0;
    int Current = 0; // which of the two rows is the current one
    int Y = INT_MIN;
    std::vector<int> Rows;

    size_t RowSize() const { return 3 * (size_t(Width) + 2); }
    int* Row(int which) { return Rows.data() + which * RowSize(); }
    // lim of the error cell rounded to whole units, halves away from zero.
    int Limited(int scaled) const {
        const int units = scaled >= 0 ? (scaled + 8) >> 4 : -((8 - scaled) >> 4);
        return Lim[std::clamp(units, -255, 255) + 255];
    }
};

void TPGColorCacheDeleter::operator()(TPGColorCache* cache) const {
    delete cache;
}
void TPGDitherStateDeleter::operator()(TPGDitherState* state) const {
    delete state;
}

namespace {

int clamp255(int v) {
    return std::clamp(v, 0, 255);
}

int distance(uint32_t a, uint32_t b) {
    const int dr = PGRed(a) - PGRed(b), dg = PGGreen(a) - PGGreen(b), db = PGBlue(a) - PGBlue(b);
    return dr * dr + dg * dg + db * db;
}

// The first of the candidates unless a later one is strictly nearer.
uint32_t firstNearest(const std::vector<uint32_t>& palette, std::span<const uint8_t> candidates,
                      uint32_t color) {
    uint32_t best = candidates[0];
    int bestDistance = distance(color, palette[best]);
    for (uint8_t c : candidates.subspan(1)) {
        const int d = distance(color, palette[c]);
        if (d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

uint32_t sys16Index(uint32_t color) {
    const int cell = (PGRed(color) >> 6) * 16 + (PGGreen(color) >> 6) * 4 + (PGBlue(color) >> 6);
    return firstNearest(PredefinedPalette(pSys16), PGSys16Cells[cell], color);
}

template <int Levels, class Level>
uint32_t cubeIndex(uint32_t color, Level level) {
    return (level(PGRed(color)) * Levels + level(PGGreen(color))) * Levels + level(PGBlue(color));
}

int cacheCell(int r5, int g6, int b5) {
    return r5 * 2048 + g6 * 32 + b5;
}

int autoErrorLimit(TPaletteIdent ident) {
    switch (ident) {
    case pBlackWhite:
        return 255;
    case pSysGray4:
    case pSys16:
    case pGray4:
        return 128;
    case pGray236:
        return 3;
    case pGray256:
        return 2;
    case pSpecial125:
    case pSpecial252:
        return 104;
    case pSpecial216:
        return 86;
    default:
        return 32;
    }
}

// Errors pass unchanged up to half the limit, are halved up to one and a half times it and are
// cut at the limit.
void buildLimiter(std::array<int, 511>& lim, int limit, bool soft) {
    int* l = lim.data() + 255;
    for (int i = 0; i <= 255; ++i) l[i] = i;
    if (limit != 255)
        for (int i = limit; i <= 255; ++i) l[i] = limit;
    if (soft)
        for (int i = limit / 2; i <= (3 * limit) / 2 && i < 255; ++i) l[i] = i / 2 + limit / 4;
    for (int i = 1; i <= 255; ++i) l[-i] = -l[i];
}

// Colours of n pixels of a source row from column sx on.
class TRowReader {
public:
    explicit TRowReader(const TPixelGraphic& source) : FSource(source) {
        for (uint32_t i = 0; i < FTable.size(); ++i) FTable[i] = source.ColorTableEntry(i);
    }
    void Read(int sy, int sx, std::span<uint32_t> out) const {
        const uint8_t* row = FSource.ScanLine(sy);
        const uint8_t format = FSource.PixelFormat();
        const int n = static_cast<int>(out.size());
        if (format == pf24Bit) {
            const uint8_t* p = row + 3 * static_cast<int64_t>(sx);
            for (int k = 0; k < n; ++k, p += 3) out[k] = PGColor(p[2], p[1], p[0]);
        } else {
            for (int k = 0; k < n; ++k) out[k] = FTable[PGRowIndex(row, format, sx + k)];
        }
    }

private:
    const TPixelGraphic& FSource;
    std::array<uint32_t, 256> FTable;
};

// Init on construction, Done when the run ends, also by an error.
class TFilterRun {
public:
    TFilterRun(TPGFilter& filter, const TPixelGraphic& source) : FFilter(filter) {
        FFilter.Init(source);
    }
    ~TFilterRun() { FFilter.Done(); }
    TFilterRun(const TFilterRun&) = delete;
    TFilterRun& operator=(const TFilterRun&) = delete;

private:
    TPGFilter& FFilter;
};

} // namespace

int TPixelGraphic::brightness(uint32_t color) const {
    const int r = PGRed(color), g = PGGreen(color), b = PGBlue(color);
    return FRGBWeighting ? (b * 342 + g * 1761 + r * 897) / 1000 : r + g + b;
}

uint32_t TPixelGraphic::NearestIndex(uint32_t color) {
    return nearestIndex(color);
}

uint32_t TPixelGraphic::nearestIndex(uint32_t color) {
    color &= 0xFFFFFF;
    if (FMemoValid && FMemoColor == color) return FMemoIndex;
    const uint32_t index = indexByIdent(color);
    FMemoColor = color;
    FMemoIndex = index;
    FMemoValid = true;
    return index;
}

uint32_t TPixelGraphic::indexByIdent(uint32_t color) {
    switch (FPaletteIdent) {
    case pNone:
        throw EPGNoPalette(PGLangStr(msgNoPalette));
    case pTrueColor:
        return color;
    case pBlackWhite:
        return (brightness(color) + 1) / 384;
    case pSysGray4: {
        const int v = brightness(color);
        return v <= 192 ? 0 : v <= 480 ? 1 : v <= 670 ? 2 : 3;
    }
    case pSys16:
        return sys16Index(color);
    case pGray4:
        return (brightness(color) + 127) / 255;
    case pGray16:
        return (brightness(color) + 25) / 51;
    case pGray236:
        return PGGray236Map()[brightness(color)];
    case pGray256:
        return (brightness(color) + 1) / 3;
    case pSpecial125:
        return cubeIndex<5>(color, [](int v) { return ((v == 224 ? 225 : v) + 31) / 64; });
    case pSpecial216:
        return cubeIndex<6>(color, [](int v) { return (v + 24) / 51; });
    case pSpecial252:
        return firstNearest(PredefinedPalette(pSpecial252), PGSpecial252Candidates(color), color);
    default:
        return searchNearest(color);
    }
}

uint32_t TPixelGraphic::exhaustiveSearch(uint32_t color) const {
    uint32_t best = 0;
    int bestDistance = INT_MAX;
    for (size_t i = 0; i < FPalette.size(); ++i) {
        const int d = distance(color, FPalette[i]);
        if (d < bestDistance) {
            best = static_cast<uint32_t>(i);
            bestDistance = d;
        }
    }
    return best;
}

uint32_t TPixelGraphic::searchNearest(uint32_t color) {
    if (!FUseColorCache) return exhaustiveSearch(color);
    if (!FColorCache) fillColorCache();
    const int cell = cacheCell(PGRed(color) >> 3, PGGreen(color) >> 2, PGBlue(color) >> 3);
    if (!FColorCache->IsFilled(cell)) FColorCache->Fill(cell, exhaustiveSearch(color));
    return FColorCache->Index[cell];
}

// Every cell within four cells of a palette colour takes that colour: the nearest shell first,
// the lower palette index first within a shell.
void TPixelGraphic::fillColorCache() {
    FColorCache.reset(new TPGColorCache());
    TPGColorCache& cache = *FColorCache;
    for (int s = 0; s <= 4; ++s) {
        for (size_t k = 0; k < FPalette.size(); ++k) {
            const int j = PGRed(FPalette[k]) >> 3, g = PGGreen(FPalette[k]) >> 2,
                      l = PGBlue(FPalette[k]) >> 3;
            for (int r = std::max(j - s, 0); r <= std::min(j + s, 31); ++r)
                for (int gg = std::max(g - s, 0); gg <= std::min(g + s, 63); ++gg)
                    for (int b = std::max(l - s, 0); b <= std::min(l + s, 31); ++b) {
                        const bool surface =
                            std::max({std::abs(r - j), std::abs(gg - g), std::abs(b - l)}) == s;
                        const int cell = cacheCell(r, gg, b);
                        if (surface && !cache.IsFilled(cell)) cache.Fill(cell, k);
                    }
        }
    }
}

void TPixelGraphic::prepareDither() {
    const bool soft = FDitherErrorLimitAuto || FDitherErrorLimitSoft;
    const int limit = FDitherErrorLimitAuto ? autoErrorLimit(FPaletteIdent) : FDitherErrorLimit;
    FDitherState.reset(new TPGDitherState());
    TPGDitherState& state = *FDitherState;
    buildLimiter(state.Lim, limit, soft);
    state.Width = FWidth;
    state.Rows.assign(2 * state.RowSize(), 0);
}

void TPixelGraphic::startDitherRow(int y) {
    TPGDitherState& state = *FDitherState;
    if (state.Y == y) return;
    state.Y = y;
    state.Current = 1 - state.Current;
    int* next = state.Row(1 - state.Current);
    std::fill(next, next + state.RowSize(), 0);
}

uint32_t TPixelGraphic::ditherStep(int x, int y, uint32_t color) {
    TPGDitherState& state = *FDitherState;
    const int dir = (y & 1) ? -1 : 1;
    int* current = state.Row(state.Current) + 3 * (int64_t(x) + 1);
    int* next = state.Row(1 - state.Current) + 3 * (int64_t(x) + 1);
    int error[3] = {0, 0, 0};
    uint32_t index;
    if (FIsGrayScale) {
        // Grey palettes carry one error, in the green cell.
        const int v = clamp255(brightness(color) / 3 + state.Limited(current[1]));
        index = nearestIndex(PGColor(v, v, v));
        error[1] = v - PGGreen(ColorTableEntry(index));
    } else {
        const int r = clamp255(PGRed(color) + state.Limited(current[0]));
        const int g = clamp255(PGGreen(color) + state.Limited(current[1]));
        const int b = clamp255(PGBlue(color) + state.Limited(current[2]));
        index = nearestIndex(PGColor(r, g, b));
        const uint32_t p = ColorTableEntry(index);
        error[0] = r - PGRed(p);
        error[1] = g - PGGreen(p);
        error[2] = b - PGBlue(p);
    }
    for (int c = 0; c < 3; ++c) {
        current[3 * dir + c] += 7 * error[c];
        next[c] += 5 * error[c];
        next[-3 * dir + c] += 3 * error[c];
        next[3 * dir + c] += error[c];
    }
    return index;
}

void TPixelGraphic::DitherPixel(int x, int y, uint32_t color) {
    if (!FDitherState || FPixelFormat == pf24Bit) {
        SetPixelColor(x, y, color);
        return;
    }
    if (x < 0 || y < 0 || x >= FDitherState->Width || y >= FHeight) return;
    startDitherRow(y);
    SetPixel(x, y, ditherStep(x, y, color));
}

void TPixelGraphic::storeRow(int y, int firstX, std::span<const uint32_t> colors) {
    uint8_t* row = ScanLine(y);
    const int n = static_cast<int>(colors.size());
    if (FPixelFormat == pf24Bit) {
        uint8_t* p = row + 3 * static_cast<int64_t>(firstX);
        for (int k = 0; k < n; ++k, p += 3) {
            p[0] = PGBlue(colors[k]);
            p[1] = PGGreen(colors[k]);
            p[2] = PGRed(colors[k]);
        }
        return;
    }
    // Serpentine order even without diffusion: the colour cache keeps the first answer of a cell.
    if (FDitherState) startDitherRow(y);
    const bool leftward = y & 1;
    for (int i = 0; i < n; ++i) {
        const int k = leftward ? n - 1 - i : i;
        const int x = firstX + k;
        PGSetRowIndex(row, FPixelFormat, x,
                      FDitherState ? ditherStep(x, y, colors[k]) : nearestIndex(colors[k]));
    }
}

void TPixelGraphic::CopyRect(int DestX, int DestY, const TPixelGraphic& Source, int SourceY,
                             int SourceX, int Height, int Width) {
    if (Empty() || Source.Empty()) return;
    if (&Source == this) {
        // Reading and writing the same pixels would smear overlapping blocks.
        TPixelGraphic snapshot;
        snapshot.Assign(this);
        CopyRect(DestX, DestY, snapshot, SourceY, SourceX, Height, Width);
        return;
    }
    const int64_t dx = int64_t(SourceX) - DestX, dy = int64_t(SourceY) - DestY;
    const int64_t firstY = std::max<int64_t>(DestY, 0);
    const int64_t lastY = std::min<int64_t>(int64_t(DestY) + Height - 1, FHeight - 1);
    const int64_t firstX = std::max<int64_t>({DestX, 0, -dx});
    const int64_t lastX =
        std::min<int64_t>({int64_t(DestX) + Width - 1, FWidth - 1, Source.Width() - 1 - dx});
    if (firstX > lastX || firstY > lastY) return;
    const int n = static_cast<int>(lastX - firstX + 1);
    const bool bytes = FPixelFormat == pf24Bit && Source.PixelFormat() == pf24Bit;
    {
        TPGDitherScope dither(*this);
        TPGProgressScope progress(*this);
        const TRowReader reader(Source);
        std::vector<uint32_t> colors(n);
        for (int64_t y = firstY; y <= lastY; ++y) {
            const int64_t sy = y + dy;
            if (sy < 0 || sy >= Source.Height()) continue;
            if (bytes) {
                std::memcpy(ScanLine(int(y)) + 3 * firstX,
                            Source.ScanLine(int(sy)) + 3 * (firstX + dx), 3 * size_t(n));
            } else {
                reader.Read(int(sy), int(firstX + dx), colors);
                storeRow(int(y), int(firstX), colors);
            }
            if (progress.Step(int(y - firstY), int(lastY - firstY))) break;
        }
    }
    Changed();
}

void TPixelGraphic::ApplyFilter(TPGFilter& Filter, const TPixelGraphic& Source) {
    if (&Source == this && !Filter.IsPointFilter())
        throw EPGFilter(PGLangStr(msgFilterSourceIsTarget));
    if (&Source != this) SetSizeAndFormat(Source.Width(), Source.Height(), FPixelFormat);
    if (Empty()) return;
    if (Filter.IsPointFilter() && FPixelFormat != pf24Bit && FPixelFormat >= Source.PixelFormat()) {
        // A point filter over a palette image only needs to change the palette.
        if (&Source != this) Assign(&Source);
        if (PaletteCount() > 0) {
            const TFilterRun run(Filter, Source);
            for (int i = 0; i < PaletteCount(); ++i)
                SetPaletteEntry(i, Filter.FilterColor(FPalette[i]));
        }
    } else {
        filterPixels(Filter, Source);
    }
    Changed();
}

void TPixelGraphic::filterPixels(TPGFilter& Filter, const TPixelGraphic& Source) {
    TPGDitherScope dither(*this);
    const TFilterRun run(Filter, Source);
    TPGProgressScope progress(*this);
    std::vector<uint32_t> colors(FWidth);
    for (int y = 0; y < FHeight; ++y) {
        Filter.FilterRow(y, colors);
        storeRow(y, 0, colors);
        if (progress.Step(y, FHeight - 1)) break;
    }
}

TPGDitherScope::TPGDitherScope(TPixelGraphic& image) : FImage(image) {
    if (!FImage.Empty() && FImage.FPixelFormat != pf24Bit && FImage.FDither)
        FImage.prepareDither();
    else
        FImage.FDitherState.reset();
}

TPGDitherScope::~TPGDitherScope() {
    FImage.FDitherState.reset();
}
