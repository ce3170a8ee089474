#include "fix_red_eye.h"

#include "work_memory.h"

#include <math.h>

namespace {

// Factors of the excess red kept, by how red a pixel is against the reddest one (0..19).
constexpr double T0[20] = {1,    0.95, 0.9,  0.8,  0.7, 0.63, 0.6,  0.57, 0.54, 0.5,
                           0.45, 0.4,  0.35, 0.32, 0.3, 0.28, 0.26, 0.24, 0.22, 0.2};
constexpr double T1[20] = {1,    0.98, 0.95, 0.9,  0.8, 0.7,  0.65, 0.6,  0.55, 0.5,
                           0.45, 0.4,  0.35, 0.32, 0.3, 0.28, 0.26, 0.24, 0.22, 0.2};
constexpr double T2[20] = {1,    0.99, 0.97, 0.95, 0.93, 0.87, 0.8,  0.73, 0.67, 0.61,
                           0.53, 0.48, 0.43, 0.39, 0.35, 0.32, 0.29, 0.26, 0.23, 0.2};
constexpr double T3[20] = {1,   1,    0.99, 0.98, 0.96, 0.94, 0.91, 0.88, 0.85, 0.8,
                           0.7, 0.65, 0.6,  0.52, 0.45, 0.4,  0.35, 0.3,  0.25, 0.2};

struct TStrength {
    double Exponent;
    const double* BlueTable;  // pixels whose blue exceeds their green
    const double* GreenTable; // the others
    int64_t MarginDivisor;
};

// By the caller's level 0..2, weakest first.
constexpr TStrength Strengths[3] = {{0.5, T2, T3, 6}, {0.5, T1, T2, 5}, {0.4, T0, T1, 4}};

constexpr double RedEnough = 1.3;
constexpr int32_t NoSearch = 0, RegionGrowing = 2;

int64_t clamp(int64_t v, int64_t lo, int64_t hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

// R inside the picture; pixel (i, j) counts j from R's bottom row, the one stored first.
struct TArea {
    TArea(const TDibRows& picture, int64_t left, int64_t top, int64_t right, int64_t bottom)
        : W(right - left), H(bottom - top), Stride(picture.Stride),
          Origin(picture.Bits + (picture.Height - bottom) * picture.Stride + left * 3) {}
    uint8_t* Pixel(int64_t i, int64_t j) const { return Origin + j * Stride + i * 3; }
    int64_t Index(int64_t i, int64_t j) const { return j * W + i; }

    int64_t W, H, Stride;
    uint8_t* Origin;
};

// Columns C0..C1 and rows R0..R1 of R, inclusive.
struct TBox {
    int64_t C0, C1, R0, R1;
};

struct TSeed {
    int64_t I = 0, J = 0;
    double E = 0;
};

struct TThresholds {
    double Th, P1, P2, P3;
};

// How much red outweighs the stronger other channel; a black pixel counts as red.
double redness(const uint8_t* p) {
    const int b = p[0], g = p[1], r = p[2];
    if (g < b) return double(r) / b;
    if (g > 0) return double(r) / g;
    return r > 0 ? 10 : 2.2;
}

TSeed buildMap(const TArea& area, TWorkArray<double>& map) {
    TSeed seed;
    seed.E = -1;
    for (int64_t j = 0; j < area.H; ++j)
        for (int64_t i = 0; i < area.W; ++i) {
            const double ratio = redness(area.Pixel(i, j));
            map[area.Index(i, j)] = ratio;
            if (ratio > seed.E) seed = {i, j, ratio};
        }
    return seed;
}

TThresholds thresholdsOf(double e, double exponent) {
    auto capped = [](double v, double cap) { return v < cap ? v : cap; };
    return {capped(pow(e, exponent), 2.1), capped(pow(e, 0.5), 2.3), capped(pow(e, 0.58), 2.3),
            capped(pow(e, 0.667), 2.3)};
}

// Only blue and green above the reference count: a darker pixel is never rejected by colour.
int64_t distance(const uint8_t* p, int64_t blue, int64_t green) {
    const int64_t db = p[0] > blue ? p[0] - blue : 0, dg = p[1] > green ? p[1] - green : 0;
    return db * db + dg * dg;
}

struct TPoint {
    int32_t I, J;
};

// The region grows from the seed through pixels red enough and close to the running mean
// colour; each pixel joins the queue once, and each growth step is the queue's next stretch.
class TRegionGrowth {
public:
    TRegionGrowth(const TArea& area, const TWorkArray<double>& map, TSeed seed, TThresholds t)
        : FArea(area), FMap(map), FT(t), FMask(area.W * area.H), FQueue(area.W * area.H),
          FSeed(seed), FBox{seed.I, seed.I, seed.J, seed.J} {
        FSumBlue = FBlue = area.Pixel(seed.I, seed.J)[0];
        FSumGreen = FGreen = area.Pixel(seed.I, seed.J)[1];
    }
    bool Valid() const { return FMask.Valid() && FQueue.Valid(); }

    TBox Grow() {
        for (int64_t i = 0; i < FArea.W * FArea.H; ++i) FMask[i] = FMap[i] < FT.Th ? Blocked : 0;
        FMask[FArea.Index(FSeed.I, FSeed.J)] = InRegion;
        FQueue[0] = {int32_t(FSeed.I), int32_t(FSeed.J)};
        int64_t begin = 0, end = 1;
        for (int step = 1;; ++step) {
            const int64_t next = growStep(begin, end, step);
            if (next == end) return FBox;
            begin = end;
            end = next;
            FBlue = (FSumBlue + FClose / 2) / FClose;
            FGreen = (FSumGreen + FClose / 2) / FClose;
        }
    }

private:
    static constexpr uint8_t InRegion = 1, Blocked = 255;
    static constexpr int64_t CloseLimit = 500;

    int64_t growStep(int64_t begin, int64_t end, int step) {
        const double th = step < 4 ? FT.Th : step < 8 ? FT.P1 : step < 12 ? FT.P2 : FT.P3;
        const int64_t limit = step < 4 ? 5000 : step < 8 ? 3000 : step < 12 ? 2000 : 1000;
        int64_t next = end;
        for (int64_t q = begin; q < end; ++q)
            for (int64_t dj = -1; dj <= 1; ++dj)
                for (int64_t di = -1; di <= 1; ++di) {
                    const int64_t i = FQueue[q].I + di, j = FQueue[q].J + dj;
                    if (i < 0 || j < 0 || i >= FArea.W || j >= FArea.H) continue;
                    if (tryJoin(i, j, th, limit)) FQueue[next++] = {int32_t(i), int32_t(j)};
                }
        return next;
    }

    bool tryJoin(int64_t i, int64_t j, double th, int64_t limit) {
        const int64_t index = FArea.Index(i, j);
        if (FMask[index] != 0 || FMap[index] < th) return false;
        const uint8_t* p = FArea.Pixel(i, j);
        const int64_t d = distance(p, FBlue, FGreen);
        if (d >= limit) return false;
        FMask[index] = InRegion;
        if (d < CloseLimit) {
            ++FClose;
            FSumBlue += p[0];
            FSumGreen += p[1];
        }
        FBox = {i < FBox.C0 ? i : FBox.C0, i > FBox.C1 ? i : FBox.C1, j < FBox.R0 ? j : FBox.R0,
                j > FBox.R1 ? j : FBox.R1};
        return true;
    }

    const TArea& FArea;
    const TWorkArray<double>& FMap;
    TThresholds FT;
    TWorkArray<uint8_t> FMask;
    TWorkArray<TPoint> FQueue;
    TSeed FSeed;
    TBox FBox;
    int64_t FBlue, FGreen, FSumBlue, FSumGreen, FClose = 1;
};

// The region's box with a margin of its size divided by the divisor, rounded up; columns get
// twice the margin of rows.
TBox withMargins(const TArea& area, TBox b, int64_t divisor) {
    const int64_t mc = (b.C1 - b.C0 + divisor) / divisor, mr = (b.R1 - b.R0 + divisor) / divisor;
    return {clamp(b.C0 - 2 * mc, 0, area.W - 1), clamp(b.C1 + 2 * mc, 0, area.W - 1),
            clamp(b.R0 - mr, 0, area.H - 1), clamp(b.R1 + mr, 0, area.H - 1)};
}

// A line of the box in box growing: one pixel red enough and close to the seed's colour.
struct TLineTest {
    double Threshold = 0;
    int64_t Limit = 8000;
};

class TBoxGrowth {
public:
    TBoxGrowth(const TArea& area, const TWorkArray<double>& map, TSeed seed, TThresholds t)
        : FArea(area), FMap(map), FT(t), FRows{t.Th, 8000}, FColumns{t.Th, 8000},
          FBlue(area.Pixel(seed.I, seed.J)[0]), FGreen(area.Pixel(seed.I, seed.J)[1]),
          FBox(widened({seed.I, seed.I, seed.J, seed.J})) {}

    TBox Grow() {
        while (growPass()) {
            FRows = testFor(FBox.R1 - FBox.R0);
            FColumns = testFor(FBox.C1 - FBox.C0);
        }
        return widened(FBox);
    }

private:
    TBox widened(TBox b) const {
        return {clamp(b.C0 - 1, 0, FArea.W - 1), clamp(b.C1 + 1, 0, FArea.W - 1),
                clamp(b.R0 - 1, 0, FArea.H - 1), clamp(b.R1 + 1, 0, FArea.H - 1)};
    }

    TLineTest testFor(int64_t extent) const {
        if (extent > 28) return {FT.P3, 1000};
        if (extent > 18) return {FT.P2, 2000};
        if (extent > 9) return {FT.P1, 4000};
        return {FT.Th, 8000};
    }

    // Every side whose line passes moves out by one where R allows; false when none moved.
    bool growPass() {
        const bool top = rowPasses(FBox.R1), bottom = rowPasses(FBox.R0);
        const bool right = columnPasses(FBox.C1), left = columnPasses(FBox.C0);
        const TBox before = FBox;
        if (top && FBox.R1 + 1 < FArea.H) ++FBox.R1;
        if (bottom && FBox.R0 > 0) --FBox.R0;
        if (right && FBox.C1 + 1 < FArea.W) ++FBox.C1;
        if (left && FBox.C0 > 0) --FBox.C0;
        return FBox.C0 != before.C0 || FBox.C1 != before.C1 || FBox.R0 != before.R0 ||
               FBox.R1 != before.R1;
    }

    bool passes(int64_t i, int64_t j, TLineTest test) const {
        return FMap[FArea.Index(i, j)] >= test.Threshold &&
               distance(FArea.Pixel(i, j), FBlue, FGreen) < test.Limit;
    }
    bool rowPasses(int64_t j) const {
        for (int64_t i = FBox.C0; i <= FBox.C1; ++i)
            if (passes(i, j, FRows)) return true;
        return false;
    }
    bool columnPasses(int64_t i) const {
        for (int64_t j = FBox.R0; j <= FBox.R1; ++j)
            if (passes(i, j, FColumns)) return true;
        return false;
    }

    const TArea& FArea;
    const TWorkArray<double>& FMap;
    TThresholds FT;
    TLineTest FRows, FColumns;
    int64_t FBlue, FGreen;
    TBox FBox;
};

// The ellipse inside the box: row k (counted from the row stored first) holds the columns
// Start[k] .. width - Start[k] - 1.
void ellipseStarts(TBox box, TWorkArray<int64_t>& start) {
    const double wb = double(box.C1 - box.C0 + 1), hb = double(box.R1 - box.R0 + 1);
    for (int64_t k = 0; k <= box.R1 - box.R0; ++k) {
        const double off = double(k) - (hb - 1) / 2;
        const auto s = int64_t(wb / 2 - (wb / hb) * sqrt(hb / 2 * (hb / 2) - off * off));
        start[k] = s > 0 ? s : 0;
    }
}

template <typename Visit>
void forEllipse(const TArea& area, TBox box, const TWorkArray<int64_t>& start, Visit visit) {
    const int64_t wb = box.C1 - box.C0 + 1;
    for (int64_t k = 0; k <= box.R1 - box.R0; ++k)
        for (int64_t c = start[k]; c < wb - start[k]; ++c)
            visit(area.Pixel(box.C0 + c, box.R0 + k));
}

int maxOf(int a, int b) {
    return a > b ? a : b;
}

double minOf(double a, double b, double c) {
    const double ab = a < b ? a : b;
    return ab < c ? ab : c;
}

// Keeps a share of the excess red over the weakest channel, the smaller the redder the pixel
// is against the reddest (excess of reddest); the middle channel is pulled down after it.
void correctPixel(uint8_t* p, int64_t reddest, const TStrength& s) {
    const int b = p[0], g = p[1], r = p[2];
    if (r <= maxOf(g, b)) return;
    if (g >= b && g > 0) {
        const int64_t x = clamp(20 * (r - g) / reddest, 0, 19), y = x > 5 ? x - 5 : 0;
        const double red = b + s.GreenTable[x] * (r - b);
        p[1] = uint8_t(minOf(b + s.GreenTable[y] * (g - b), g, red));
        p[2] = uint8_t(red);
    } else if (b > g) {
        const int64_t x = clamp(20 * (r - b) / reddest, 0, 19), y = x > 5 ? x - 5 : 0;
        const double red = g + s.BlueTable[x] * (r - g);
        p[0] = uint8_t(minOf(g + s.BlueTable[y] * (b - g), b, red));
        p[2] = uint8_t(red);
    }
}

int32_t correctBox(const TArea& area, TBox box, const TStrength& strength) {
    TWorkArray<int64_t> start(box.R1 - box.R0 + 1);
    if (!start.Valid()) return RedEyeNoMemory;
    ellipseStarts(box, start);
    int64_t reddest = 0;
    forEllipse(area, box, start, [&](const uint8_t* p) {
        const int64_t excess = int64_t(p[2]) - maxOf(p[1], p[0]);
        if (excess > reddest) reddest = excess;
    });
    forEllipse(area, box, start, [&](uint8_t* p) { correctPixel(p, reddest, strength); });
    return RedEyeDone;
}

int32_t findAndCorrect(const TArea& area, const TStrength& strength, int32_t method) {
    TWorkArray<double> map(area.W * area.H);
    if (!map.Valid()) return RedEyeNoMemory;
    const TSeed seed = buildMap(area, map);
    if (seed.E < RedEnough) return RedEyeDone;
    const TThresholds t = thresholdsOf(seed.E, strength.Exponent);
    if (method == NoSearch) return correctBox(area, {0, area.W - 1, 0, area.H - 1}, strength);
    if (method != RegionGrowing)
        return correctBox(area, TBoxGrowth(area, map, seed, t).Grow(), strength);
    TRegionGrowth growth(area, map, seed, t);
    if (!growth.Valid()) return RedEyeNoMemory;
    return correctBox(area, withMargins(area, growth.Grow(), strength.MarginDivisor), strength);
}

} // namespace

int32_t FixRedEye(const TDibRows& picture, int32_t left, int32_t top, int32_t right, int32_t bottom,
                  int32_t level, int32_t method) {
    const int64_t l = clamp(left, 0, picture.Width), r = clamp(right, 0, picture.Width);
    const int64_t t = clamp(top, 0, picture.Height), b = clamp(bottom, 0, picture.Height);
    if (r <= l || b <= t) return RedEyeDone;
    return findAndCorrect(TArea(picture, l, t, r, b), Strengths[clamp(level, 0, 2)], method);
}
