#include "deskew.h"

#include "free_rotation.h"

namespace {

constexpr int32_t Invalid = -65536;
constexpr int NearWhite = 224, ReferenceLimit = 100, StepLimit = 18;
constexpr int64_t Bins = 4097, Unit = 2048, MaxFixRounds = 64;

struct TArea {
    const TDibBlock& Dib;
    int64_t Top = 0, Rows = 0, Columns = 0; // stored rows Top.., columns 0..Columns - 1
    const uint8_t* At(int64_t x, int64_t y) const { return Dib.Row(y) + x * 3; }
};

bool rowIsWhite(const TDibBlock& d, int64_t y) {
    const uint8_t* row = d.Row(y);
    for (int64_t i = 0, n = (d.Width - 12) * 3; i < n; ++i)
        if (row[i] < NearWhite) return false;
    return true;
}

bool columnIsLight(const TArea& a, int64_t x) {
    for (int64_t y = a.Top; y < a.Top + a.Rows; ++y) {
        const uint8_t* p = a.At(x, y);
        if (p[0] < NearWhite && p[1] < NearWhite && p[2] < NearWhite) return false;
    }
    return true;
}

int64_t activity(const TArea& a, int64_t x) {
    int64_t sum = 0;
    for (int64_t y = a.Top + 1; y < a.Top + a.Rows; ++y) {
        const uint8_t *p = a.At(x, y - 1), *q = a.At(x, y);
        for (int c = 0; c < 3; ++c) sum += p[c] > q[c] ? p[c] - q[c] : q[c] - p[c];
    }
    return sum;
}

// The scanner's white margin along the first rows and the last columns, then the busy strip
// of the lid's edge and one column more.
TArea trim(const TDibBlock& d) {
    TArea a{d};
    while (a.Top < d.Height && rowIsWhite(d, a.Top)) ++a.Top;
    a.Rows = d.Height - a.Top;
    a.Columns = d.Width;
    while (a.Columns > 0 && columnIsLight(a, a.Columns - 1)) --a.Columns;
    while (a.Columns > 0 && activity(a, a.Columns - 1) >= 50 * a.Rows) --a.Columns;
    if (a.Columns > 0) --a.Columns;
    return a;
}

// Side k: where line l (in the side's own order) meets the side, and the step inward.
struct TSide {
    int64_t Lines, Depth;
    int64_t X0, Y0, LineDx, LineDy, InDx, InDy;
};

TSide sideOf(const TArea& a, int k) {
    const int64_t top = a.Top, bottom = a.Top + a.Rows - 1, right = a.Columns - 1;
    switch (k) {
    case 0:
        return {a.Columns, a.Rows, 0, top, 1, 0, 0, 1};
    case 1:
        return {a.Rows, a.Columns, right, top, 0, 1, -1, 0};
    case 2:
        return {a.Columns, a.Rows, right, bottom, -1, 0, 0, -1};
    default:
        return {a.Rows, a.Columns, 0, bottom, 0, -1, 1, 0};
    }
}

bool differs(const uint8_t* p, const uint8_t* q, int limit) {
    for (int c = 0; c < 3; ++c)
        if ((p[c] > q[c] ? p[c] - q[c] : q[c] - p[c]) > limit) return true;
    return false;
}

// Depth of the background on each line of one walk, in walk order; the last line is 0.
void walk(const TArea& a, const TSide& s, bool backward, int32_t* profile) {
    const auto pixel = [&](int64_t line, int64_t depth) {
        const int64_t l = backward ? s.Lines - 1 - line : line;
        return a.At(s.X0 + l * s.LineDx + depth * s.InDx, s.Y0 + l * s.LineDy + depth * s.InDy);
    };
    const uint8_t* reference = pixel(0, 0);
    const uint8_t* previousSide = nullptr;
    for (int64_t line = 0; line + 1 < s.Lines; ++line) {
        profile[line] = Invalid;
        const uint8_t* before = previousSide;
        for (int64_t d = 0; d < s.Depth; ++d) {
            const uint8_t* p = pixel(line, d);
            if (differs(p, reference, ReferenceLimit) ||
                (before && differs(p, before, StepLimit))) {
                profile[line] = int32_t(d);
                break;
            }
            before = p;
        }
        previousSide = pixel(line, 0);
    }
    profile[s.Lines - 1] = 0;
}

void dropOutliers(int32_t* p, int64_t n, int32_t* scratch) {
    for (int64_t i = 0; i < n; ++i) scratch[i] = p[i];
    const auto far = [](int64_t a, int64_t b) { return a - b > 1 || b - a > 1; };
    for (int64_t i = 1; i + 1 < n; ++i)
        if (far(scratch[i], scratch[i - 1]) || far(scratch[i], scratch[i + 1])) p[i] = Invalid;
}

void reverse(int32_t* p, int64_t n) {
    for (int64_t i = 0, j = n - 1; i < j; ++i, --j) {
        const int32_t t = p[i];
        p[i] = p[j];
        p[j] = t;
    }
}

void addToHistogram(const int32_t* p, int64_t n, int64_t q, int64_t* bins) {
    for (int64_t i = 1; i <= n - 4; ++i) {
        const int64_t weight = i / q;
        if (weight == 0) continue;
        for (int64_t j = i + 1; j <= n - 2; ++j) {
            const int64_t a = p[j - i], b = p[j];
            if (a <= 0 || b <= 0 || (b - a > i) || (a - b > i)) continue;
            bins[RoundDiv((b - a) * Unit, i) + Unit] += weight;
        }
    }
}

int64_t peakSlope(const int64_t* bins) {
    int64_t peak = 0, total = 0;
    for (int64_t b = 0; b < Bins; ++b) {
        total += bins[b];
        if (bins[b] > bins[peak]) peak = b;
    }
    int64_t near = 0;
    for (int64_t b = peak - 9; b <= peak + 9; ++b)
        if (b >= 0 && b < Bins) near += bins[b];
    if (total <= 0 || near < total - RoundDiv(total, 10)) return 0;
    return peak - Unit;
}

// The border line's offset on one profile: a low percentile of the detrended values, nudged
// past a crowded bottom; false when too few values are usable.
bool profileOffset(int32_t* p, int64_t n, int64_t slope, int64_t& offset) {
    int64_t first = 1, last = n - 2;
    while (first < n && p[first] == Invalid) ++first;
    while (last >= 0 && p[last] == Invalid) --last;
    if (first >= last) return false;
    int64_t count = 0, least = INT64_MAX, most = INT64_MIN;
    for (int64_t k = first; k <= last; ++k) {
        if (p[k] == Invalid) continue;
        p[k] -= int32_t((1024 + slope * k) >> 11);
        ++count;
        least = p[k] < least ? p[k] : least;
        most = p[k] > most ? p[k] : most;
    }
    const int64_t p5 = RoundDiv(count * 5, 100), p7 = RoundDiv(count * 7, 100);
    const auto countIf = [&](auto keep) {
        int64_t c = 0;
        for (int64_t k = first; k <= last; ++k) c += p[k] != Invalid && keep(int64_t(p[k]));
        return c;
    };
    int64_t v = least - 1;
    while (countIf([&](int64_t x) { return x <= v; }) < p5) ++v;
    offset = v + 2;
    while (offset < most && countIf([&](int64_t x) { return x == offset; }) > p7) ++offset;
    offset += 3;
    return true;
}

struct TBorders {
    int64_t Offset[4], Lines[4];
};

int32_t profileSides(const TArea& a, TWorkPool& pool, int64_t& slope, TBorders& borders) {
    const int64_t longest = a.Rows > a.Columns ? a.Rows : a.Columns;
    int32_t* profiles = pool.TakeArray<int32_t>(uint64_t(longest) * 9);
    int64_t* bins = pool.TakeArray<int64_t>(Bins);
    if (!profiles || !bins) return VuxNoWork;
    int32_t* scratch = profiles + 8 * longest;
    const int64_t q = (((longest * longest) >> 14) * longest >> 16) + 1;
    for (int k = 0; k < 4; ++k) {
        const TSide s = sideOf(a, k);
        borders.Lines[k] = s.Lines;
        for (int b = 0; b < 2; ++b) {
            int32_t* p = profiles + (2 * k + b) * longest;
            walk(a, s, b == 1, p);
            dropOutliers(p, s.Lines, scratch);
            if (b == 0) reverse(p, s.Lines);
            addToHistogram(p, s.Lines, q, bins);
        }
    }
    slope = peakSlope(bins);
    for (int k = 0; k < 4; ++k) {
        int64_t o[2];
        for (int b = 0; b < 2; ++b)
            if (!profileOffset(profiles + (2 * k + b) * longest, borders.Lines[k], slope, o[b]))
                return VuxDamaged;
        const int64_t sum = o[0] + o[1] + 1;
        borders.Offset[k] = sum >= 0 ? sum / 2 : -((-sum + 1) / 2);
    }
    return VuxDone;
}

struct TCorners {
    int64_t B[4], E[4], X[4], Y[4];
};

void corners(const TBorders& b, int64_t s, TCorners& c) {
    const int64_t d = ((s * s + 1024) >> 11) + Unit;
    for (int k = 0; k < 4; ++k) {
        c.B[k] = b.Offset[k];
        c.E[k] = b.Offset[k] + ((b.Lines[k] * s + 1024) >> 11);
    }
    for (int k = 0; k < 4; ++k) {
        const int n = (k + 1) % 4;
        c.X[k] = RoundDiv((b.Lines[n] - b.Offset[k]) * s + Unit * b.Offset[n], d);
        c.Y[k] = RoundDiv(s * c.E[n] + Unit * b.Offset[k], d);
    }
}

// Moves border lines inward until no corner lies outside the area; false past the round limit.
bool fit(TBorders& b, int64_t s, TCorners& c) {
    const int64_t d = ((s * s + 1024) >> 11) + Unit;
    for (int64_t round = 0; round <= MaxFixRounds; ++round) {
        corners(b, s, c);
        int yAt = -1, xAt = -1;
        for (int k = 0; k < 4; ++k) {
            if (c.Y[k] < 0 && (yAt < 0 || c.Y[k] < c.Y[yAt])) yAt = k;
            if (c.X[k] < 0 && (xAt < 0 || c.X[k] < c.X[xAt])) xAt = k;
        }
        if (yAt < 0 && xAt < 0) return true;
        const int64_t y = yAt < 0 ? 0 : c.Y[yAt], x = xAt < 0 ? 0 : c.X[xAt];
        if (y <= x)
            b.Offset[yAt] += (2047 - d * y) >> 11;
        else
            b.Offset[(xAt + 1) % 4] += (2047 - d * x) >> 11;
    }
    return false;
}

int32_t plan(const TDibBlock& in, TWorkPool& pool, int64_t wantWidth, int64_t wantHeight,
             TRotationPlan& p, TSourceWindow& window) {
    const TArea a = trim(in);
    if (a.Rows < 2 || a.Columns < 2) return VuxDamaged;
    int64_t slope = 0;
    TBorders b;
    TCorners c;
    if (const int32_t code = profileSides(a, pool, slope, b)) return code;
    if (!fit(b, slope, c)) return VuxDamaged;
    p.Height = a.Rows - c.B[0] - c.E[2];
    p.Width = a.Columns - c.Y[3] - c.X[0];
    p.Pass1 = {c.E[0], c.B[0], a.Rows - c.B[2] - c.E[0]};
    window = {a.Top, a.Rows, a.Columns};
    p.Pass2 = {c.Y[3], c.X[2], a.Columns - c.X[0] - c.Y[3]};
    const bool sized = p.Width >= 1 && p.Height >= 1 && p.Pass1.Span >= 1 && p.Pass2.Span >= 1 &&
                       RequestedSize(p.Width, p.Height, wantWidth, wantHeight);
    return sized ? VuxDone : VuxDamaged;
}

int32_t checkPage(const TLockedInput& input, TDibBlock& in) {
    int32_t code = CheckDib(input.Bytes(), input.Size(), Depth24, in);
    if (code == VuxDone && in.Header.biSize != sizeof(BITMAPINFOHEADER)) code = VuxBadHeader;
    return code;
}

} // namespace

HGLOBAL DeskewImage(HGLOBAL handle, int32_t width, int32_t height, int32_t* err) {
    TLockedInput input(handle);
    TDibBlock in;
    int32_t code = checkPage(input, in);
    TRotationPlan p;
    TSourceWindow window{};
    if (code == VuxDone) {
        TWorkPool pool;
        code = pool.Valid() ? plan(in, pool, width, height, p, window) : VuxNoWork;
        const int32_t closed = pool.Close();
        if (code == VuxDone) code = closed;
    }
    if (code != VuxDone) {
        Report(err, code);
        return nullptr;
    }
    return ResampleInto(in, window, p.Width, p.Height, p.Pass1, p.Pass2, err);
}
