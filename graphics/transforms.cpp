// Flips, rotation and resampling. Every result goes through the colour conversion, so the
// destination may have any pixel format.

#include "pixel_graphic.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

// Colours of one row of an image, whatever its format.
void readColors(const TPixelGraphic& image, int y, std::vector<uint32_t>& out) {
    out.resize(image.Width());
    if (image.PixelFormat() == pf24Bit) {
        const uint8_t* p = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) out[x] = PGColor(p[2], p[1], p[0]);
    } else {
        for (int x = 0; x < image.Width(); ++x) out[x] = image.GetPixelColor(x, y);
    }
}

// Stores colors[i] at (firstX + i, y) where keep[i] is set: bytes for true colour, otherwise
// through the error diffusion (or the nearest index without it), walking odd rows from the
// right as the diffusion expects.
void storeColors(TPixelGraphic& image, int y, int firstX, const std::vector<uint32_t>& colors,
                 const std::vector<char>& keep) {
    const int count = static_cast<int>(keep.size());
    if (image.PixelFormat() == pf24Bit) {
        uint8_t* p = image.ScanLine(y) + 3 * static_cast<int64_t>(firstX);
        for (int i = 0; i < count; ++i, p += 3)
            if (keep[i])
                p[0] = PGBlue(colors[i]), p[1] = PGGreen(colors[i]), p[2] = PGRed(colors[i]);
    } else if (y % 2 == 0) {
        for (int i = 0; i < count; ++i)
            if (keep[i]) image.DitherPixel(firstX + i, y, colors[i]);
    } else {
        for (int i = count - 1; i >= 0; --i)
            if (keep[i]) image.DitherPixel(firstX + i, y, colors[i]);
    }
}

void reverseRow(TPixelGraphic& image, int y) {
    uint8_t* row = image.ScanLine(y);
    const int w = image.Width();
    if (image.PixelFormat() == pf8Bit) {
        std::reverse(row, row + w);
    } else if (image.PixelFormat() == pf24Bit) {
        for (int a = 0, b = w - 1; a < b; ++a, --b)
            std::swap_ranges(row + 3 * a, row + 3 * a + 3, row + 3 * b);
    } else {
        for (int a = 0, b = w - 1; a < b; ++a, --b) {
            const uint32_t v = image.GetPixel(a, y);
            image.SetPixel(a, y, image.GetPixel(b, y));
            image.SetPixel(b, y, v);
        }
    }
}

// Source pixels and weights of one destination pixel along one axis.
struct Taps {
    int Lo = 0, Hi = 0;
    int64_t WLo = 1, WHi = 0, WMid = 0, Divisor = 1;
    bool Valid = false;
};

enum class Rule { Identity, Nearest, TwoPoint, Area };

Rule ruleFor(TStretchMode mode, int64_t s, int64_t d) {
    if (s == d) return Rule::Identity;
    const bool shrinking = s > d;
    switch (mode) {
    case smFast:
        return Rule::Nearest;
    case smMedium:
        return shrinking ? Rule::TwoPoint : Rule::Area;
    default:
        return shrinking ? Rule::Area : Rule::TwoPoint;
    }
}

// Weights in 64 bits: S × (2u + 1) passes 2^31 for large images.
Taps tapsFor(Rule rule, int64_t u, int64_t o, int64_t s, int64_t d, int64_t sourceLength) {
    Taps t;
    auto inside = [&](int64_t v) { return v >= 0 && v < sourceLength; };
    switch (rule) {
    case Rule::Identity:
    case Rule::Nearest:
        t.Lo = t.Hi = static_cast<int>(rule == Rule::Identity ? o + u : o + (s * u) / d);
        t.Valid = inside(t.Lo);
        return t;
    case Rule::TwoPoint: {
        const int64_t sample = s * (2 * u + 1);
        int64_t lo = o + (sample - d) / (2 * d), hi = o + (sample + d) / (2 * d);
        if (s < d) hi = std::min(hi, o + s - 1); // an enlarging axis clamps at the edge
        t.Divisor = 2 * d;
        t.Lo = static_cast<int>(lo), t.Hi = static_cast<int>(hi);
        if (d + 2 * d * (lo - o) == sample || lo == hi) {
            t.Hi = t.Lo, t.WLo = 2 * d, t.WHi = 0;
        } else {
            t.WLo = 3 * d + 2 * d * (lo - o) - sample;
            t.WHi = d + sample - 2 * d * (hi - o);
        }
        t.Valid = inside(lo) && inside(hi);
        return t;
    }
    case Rule::Area: {
        int64_t lo = o + (s * u) / d, hi = o + (s * (u + 1)) / d;
        if ((s * (u + 1)) % d == 0) --hi;
        t.Lo = static_cast<int>(lo), t.Hi = static_cast<int>(hi), t.Divisor = s, t.WMid = d;
        if (lo == hi) {
            t.WLo = s, t.WHi = 0;
        } else {
            t.WLo = d * (lo - o + 1) - s * u;
            t.WHi = s * (u + 1) - d * (hi - o);
        }
        t.Valid = inside(lo) && inside(hi);
        return t;
    }
    }
    return t;
}

// Calls f(source index, weight) for every tap.
template <class F>
void forEachTap(const Taps& t, F f) {
    f(t.Lo, t.WLo);
    for (int i = t.Lo + 1; i < t.Hi; ++i) f(i, t.WMid);
    if (t.Hi != t.Lo) f(t.Hi, t.WHi);
}

// One source row filtered horizontally: per destination column the three channel sums divided
// by the horizontal divisor. A few rows are kept, since neighbouring destination rows share them.
class FilteredRows {
public:
    FilteredRows(const TPixelGraphic& source, const std::vector<Taps>& columns)
        : FSource(source), FColumns(columns) {}

    const std::vector<std::array<int64_t, 3>>& Row(int r) {
        for (auto& [row, values] : FCache)
            if (row == r) return values;
        auto& slot = FCache[FNext++ % FCache.size()];
        slot.first = r;
        readColors(FSource, r, FColors);
        slot.second.resize(FColumns.size());
        for (size_t i = 0; i < FColumns.size(); ++i) {
            const Taps& t = FColumns[i];
            int64_t sum[3] = {0, 0, 0};
            if (t.Valid)
                forEachTap(t, [&](int c, int64_t w) {
                    const uint32_t color = FColors[c];
                    sum[0] += PGRed(color) * w, sum[1] += PGGreen(color) * w,
                        sum[2] += PGBlue(color) * w;
                });
            slot.second[i] = {sum[0] / t.Divisor, sum[1] / t.Divisor, sum[2] / t.Divisor};
        }
        return slot.second;
    }

private:
    const TPixelGraphic& FSource;
    const std::vector<Taps>& FColumns;
    std::vector<uint32_t> FColors;
    std::array<std::pair<int, std::vector<std::array<int64_t, 3>>>, 4> FCache{
        {{-1, {}}, {-1, {}}, {-1, {}}, {-1, {}}}};
    size_t FNext = 0;
};

bool isQuarterTurn(double angle, int& quarters) {
    if (angle != std::floor(angle) || std::fmod(angle, 90.0) != 0) return false;
    quarters = static_cast<int>(std::fmod(std::fmod(angle, 360.0) + 360.0, 360.0) / 90.0);
    return true;
}

// cos and sin with the quarter turns exact, so boxes and mappings have no rounding residue.
void cosSin(double angle, double& c, double& s) {
    int quarters;
    if (isQuarterTurn(angle, quarters)) {
        static constexpr double cs[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        c = cs[quarters][0], s = cs[quarters][1];
        return;
    }
    const double a = angle * M_PI / 180.0;
    c = std::cos(a), s = std::sin(a);
}

// Floor and ceil as the library rounds them: truncation, corrected by one.
int floorI(double v) {
    return static_cast<int>(std::floor(v));
}
int ceilI(double v) {
    return static_cast<int>(std::ceil(v));
}

} // namespace

void TPixelGraphic::FlipHorizontal() {
    if (Empty()) return;
    TPGProgressScope progress(*this);
    for (int y = 0; y < FHeight; ++y) {
        reverseRow(*this, y);
        if (progress.Step(y, FHeight - 1)) break;
    }
    Changed();
}

void TPixelGraphic::FlipVertical() {
    if (Empty()) return;
    TPGProgressScope progress(*this);
    std::vector<uint8_t> swap(static_cast<size_t>(FBytesPerRow));
    for (int y = 0; y < FHeight / 2; ++y) {
        uint8_t* a = ScanLine(y);
        uint8_t* b = ScanLine(FHeight - 1 - y);
        std::memcpy(swap.data(), a, swap.size());
        std::memcpy(a, b, swap.size());
        std::memcpy(b, swap.data(), swap.size());
        if (progress.Step(y, FHeight / 2 - 1)) break;
    }
    Changed();
}

void TPixelGraphic::StretchCopy(int DestX, int DestY, const TPixelGraphic& Source, int SourceHeight,
                                int SourceWidth, int SourceY, int SourceX, int DestHeight,
                                int DestWidth) {
    if (SourceWidth == DestWidth && SourceHeight == DestHeight) {
        CopyRect(DestX, DestY, Source, SourceY, SourceX, DestHeight, DestWidth);
        return;
    }
    if (Empty() || Source.Empty()) return;
    if (SourceWidth < 1 || SourceHeight < 1 || DestWidth < 1 || DestHeight < 1)
        throw EPGInvalidSize(PGLangStr(msgZeroSize));
    const int firstX = std::max(DestX, 0), lastX = std::min(DestX + DestWidth - 1, FWidth - 1);
    const int firstY = std::max(DestY, 0), lastY = std::min(DestY + DestHeight - 1, FHeight - 1);
    if (firstX > lastX || firstY > lastY) return;

    const Rule hRule = ruleFor(FStretchMode, SourceWidth, DestWidth);
    const Rule vRule = ruleFor(FStretchMode, SourceHeight, DestHeight);
    std::vector<Taps> columns;
    for (int x = firstX; x <= lastX; ++x)
        columns.push_back(
            tapsFor(hRule, x - DestX, SourceX, SourceWidth, DestWidth, Source.Width()));
    FilteredRows rows(Source, columns);
    std::vector<uint32_t> out(columns.size());
    std::vector<std::array<int64_t, 3>> total(columns.size());
    // Columns whose horizontal rule falls outside the source keep their pixels.
    std::vector<char> keep(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) keep[i] = columns[i].Valid;

    TPGDitherScope dither(*this);
    TPGProgressScope progress(*this);
    for (int y = firstY; y <= lastY; ++y) {
        const Taps v =
            tapsFor(vRule, y - DestY, SourceY, SourceHeight, DestHeight, Source.Height());
        if (!v.Valid) continue;
        std::fill(total.begin(), total.end(), std::array<int64_t, 3>{0, 0, 0});
        forEachTap(v, [&](int r, int64_t w) {
            const auto& row = rows.Row(r);
            for (size_t i = 0; i < row.size(); ++i)
                for (int c = 0; c < 3; ++c) total[i][c] += row[i][c] * w;
        });
        for (size_t i = 0; i < columns.size(); ++i)
            out[i] = PGColor(static_cast<uint32_t>(total[i][0] / v.Divisor),
                             static_cast<uint32_t>(total[i][1] / v.Divisor),
                             static_cast<uint32_t>(total[i][2] / v.Divisor));
        storeColors(*this, y, firstX, out, keep);
        if (progress.Step(y - firstY, lastY - firstY)) break;
    }
    Changed();
}

void TPixelGraphic::CopyFrom(const TPixelGraphic& Source) {
    StretchCopy(0, 0, Source, Source.Height(), Source.Width(), 0, 0, FHeight, FWidth);
}

namespace {

// Source colour at (x, y), or false outside the block.
struct BlockReader {
    const TPixelGraphic& Source;
    int X0, Y0, X1, Y1; // inclusive block bounds, clipped to the source

    BlockReader(const TPixelGraphic& source, int x, int y, int w, int h)
        : Source(source), X0(std::max(x, 0)), Y0(std::max(y, 0)),
          X1(std::min(x + w, source.Width()) - 1), Y1(std::min(y + h, source.Height()) - 1) {}
    bool Inside(int x, int y) const { return x >= X0 && x <= X1 && y >= Y0 && y <= Y1; }
    uint32_t At(int x, int y) const {
        if (Source.PixelFormat() != pf24Bit) return Source.GetPixelColor(x, y);
        const uint8_t* p = Source.ScanLine(y) + 3 * static_cast<int64_t>(x);
        return PGColor(p[2], p[1], p[0]);
    }
};

// Round half to even, the rounding the rest of the library uses.
int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

bool bilinear(const BlockReader& block, const TPixelGraphic& dest, int x, int y, double sx,
              double sy, uint32_t& color) {
    const int k = floorI(sx), l = ceilI(sx), m = floorI(sy), n = ceilI(sy);
    const double wk = k == l ? 0.5 : 1 - (sx - k), wl = k == l ? 0.5 : 1 - (l - sx);
    const double wm = m == n ? 0.5 : 1 - (sy - m), wn = m == n ? 0.5 : 1 - (n - sy);
    const int px[4] = {k, k, l, l}, py[4] = {m, n, m, n};
    const double w[4] = {wk * wm, wk * wn, wl * wm, wl * wn};
    double sum[3] = {0, 0, 0};
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        const bool inside = block.Inside(px[i], py[i]);
        any = any || inside;
        const uint32_t c = inside ? block.At(px[i], py[i]) : dest.GetPixelColor(x, y);
        sum[0] += w[i] * PGRed(c), sum[1] += w[i] * PGGreen(c), sum[2] += w[i] * PGBlue(c);
    }
    if (!any) return false;
    color = PGColor(std::clamp(roundEven(sum[0]), 0, 255), std::clamp(roundEven(sum[1]), 0, 255),
                    std::clamp(roundEven(sum[2]), 0, 255));
    return true;
}

// A quarter turn of the whole source into a destination of exactly the turned size, same format
// and palette: a pure permutation of stored values. Each band of rows done is a progress step;
// answers false when a handler asked to stop.
bool turnValues(TPixelGraphic& dest, const TPixelGraphic& source, int quarters,
                TPGProgressScope& progress) {
    const int w = dest.Width(), h = dest.Height(), sh = source.Height();
    const int bytes = dest.PixelFormat() == pf24Bit ? 3 : 1;
    const bool whole = dest.PixelFormat() >= pf8Bit;
    constexpr int tile = 64;
    for (int ty = 0; ty < h; ty += tile) {
        for (int tx = 0; tx < w; tx += tile)
            for (int y = ty; y < std::min(ty + tile, h); ++y) {
                uint8_t* row = dest.ScanLine(y);
                for (int x = tx; x < std::min(tx + tile, w); ++x) {
                    static constexpr int none = 0, quarter = 1, half = 2;
                    const int sx = quarters == none      ? x
                                   : quarters == quarter ? y
                                   : quarters == half    ? w - 1 - x
                                                         : h - 1 - y;
                    const int sy = quarters == none      ? y
                                   : quarters == quarter ? sh - 1 - x
                                   : quarters == half    ? h - 1 - y
                                                         : x;
                    if (whole)
                        std::memcpy(row + bytes * static_cast<int64_t>(x),
                                    source.ScanLine(sy) + bytes * static_cast<int64_t>(sx), bytes);
                    else
                        dest.SetPixel(x, y, source.GetPixel(sx, sy));
                }
            }
        if (progress.Step(std::min(ty + tile, h) - 1, h - 1)) return false;
    }
    return true;
}

} // namespace

void TPixelGraphic::RotatedCopy(double DestCenterX, double DestCenterY, const TPixelGraphic& Source,
                                int SourceHeight, int SourceWidth, int SourceY, int SourceX,
                                double SourceCenterY, double SourceCenterX, double Angle) {
    if (Empty() || Source.Empty()) return;
    double c, s;
    cosSin(Angle, c, s);
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int corner = 0; corner < 4; ++corner) {
        const double px = SourceX + (corner & 1 ? SourceWidth : 0) - SourceCenterX;
        const double py = SourceY + (corner & 2 ? SourceHeight : 0) - SourceCenterY;
        const double x = DestCenterX + px * c - py * s, y = DestCenterY + px * s + py * c;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    const int firstX = std::max(floorI(minX), 0), lastX = std::min(ceilI(maxX), FWidth - 1);
    const int firstY = std::max(floorI(minY), 0), lastY = std::min(ceilI(maxY), FHeight - 1);
    if (firstX > lastX || firstY > lastY) return;
    int quarters;
    const bool interpolate = FRotateInterpolate && !isQuarterTurn(Angle, quarters);
    const BlockReader block(Source, SourceX, SourceY, SourceWidth, SourceHeight);
    std::vector<uint32_t> colors(lastX - firstX + 1);
    std::vector<char> keep(colors.size());

    TPGDitherScope dither(*this);
    TPGProgressScope progress(*this);
    for (int y = firstY; y <= lastY; ++y) {
        // The source point moves by (cos, -sin) per column: no trigonometry per pixel.
        const double dy = y - DestCenterY;
        const double sx0 = (firstX - DestCenterX) * c + dy * s + SourceCenterX;
        const double sy0 = -(firstX - DestCenterX) * s + dy * c + SourceCenterY;
        for (int i = 0; i <= lastX - firstX; ++i) {
            const double sx = sx0 + i * c, sy = sy0 - i * s;
            if (interpolate) {
                keep[i] = bilinear(block, *this, firstX + i, y, sx, sy, colors[i]);
            } else {
                const int rx = roundEven(sx), ry = roundEven(sy);
                keep[i] = block.Inside(rx, ry);
                if (keep[i]) colors[i] = block.At(rx, ry);
            }
        }
        storeColors(*this, y, firstX, colors, keep);
        if (progress.Step(y - firstY, lastY - firstY)) break;
    }
    Changed();
}

void TPixelGraphic::Rotate(bool Resize, const TPixelGraphic& Source, double Angle) {
    TPGUpdateScope update(*this);
    const int w = Source.Width(), h = Source.Height();
    int quarters;
    const bool quarterTurn = isQuarterTurn(Angle, quarters);
    const bool turned = quarterTurn && quarters % 2 == 1;
    const int turnedWidth = turned ? h : w, turnedHeight = turned ? w : h;
    // A quarter turn in the same format and palette permutes the stored values. It is built
    // aside and taken over only when complete, so an abort leaves this image as it was.
    if (quarterTurn && !Source.Empty() && FPixelFormat == Source.PixelFormat() &&
        FPalette == Source.Palette() &&
        (Resize || (FWidth == turnedWidth && FHeight == turnedHeight))) {
        TPixelGraphic result;
        result.SetSizeAndFormat(turnedWidth, turnedHeight, FPixelFormat);
        TPGProgressScope progress(*this);
        if (!turnValues(result, Source, quarters, progress)) return;
        if (FWidth != turnedWidth || FHeight != turnedHeight)
            SetSizeAndFormat(turnedWidth, turnedHeight, FPixelFormat);
        std::swap(FBits, result.FBits); // same size and format: the same block layout
        Changed();
        return;
    }
    double c, s;
    cosSin(Angle, c, s);
    if (Resize) {
        double minX = 0, maxX = 0, minY = 0, maxY = 0;
        for (auto [x, y] : {std::pair<double, double>{w, 0}, {0, h}, {w, h}}) {
            const double rx = x * c - y * s, ry = x * s + y * c;
            minX = std::min(minX, rx), maxX = std::max(maxX, rx);
            minY = std::min(minY, ry), maxY = std::max(maxY, ry);
        }
        SetSizeAndFormat(ceilI(maxX) - floorI(minX), ceilI(maxY) - floorI(minY), FPixelFormat);
    }
    if (!quarterTurn) {
        RotatedCopy(FWidth / 2, FHeight / 2, Source, h, w, 0, 0, h / 2, w / 2, Angle);
        return;
    }
    // Quarter turns are exact: centres between pixels keep every source row and column.
    RotatedCopy((FWidth - 1) / 2.0, (FHeight - 1) / 2.0, Source, h, w, 0, 0, (h - 1) / 2.0,
                (w - 1) / 2.0, Angle);
}
