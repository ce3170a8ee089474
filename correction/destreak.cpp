#include "destreak.h"

#include "work_pool.h"

#include <string.h>

namespace {

constexpr int32_t SkipColour = 1, NarrowWindow = 2, MiddleWindow = 4, SkipBrightness = 8;

struct TWindow {
    int64_t Half, Trim;
};

TWindow windowOf(int32_t flags) {
    if (flags & NarrowWindow) return {5, 3};
    if (flags & MiddleWindow) return {10, 7};
    return {20, 16};
}

// Rows of the copy, one pixel addressed by column and channel.
struct TPicture {
    const TDibBlock& Dib;
    uint8_t* Pixels;
    uint8_t* At(int64_t y, int64_t x) const { return Pixels + y * Dib.Stride + x * 3; }
};

void columnMeans(const TPicture& p, int64_t* m) {
    const int64_t w = p.Dib.Width, h = p.Dib.Height;
    for (int64_t y = 0; y < h; ++y) {
        const uint8_t* row = p.At(y, 0);
        for (int64_t i = 0; i < w * 3; ++i) m[i] += row[i];
    }
    for (int64_t i = 0; i < w * 3; ++i) m[i] = (m[i] + h / 2) / h;
}

void sortSmall(int64_t* v, int64_t n) {
    for (int64_t i = 1; i < n; ++i)
        for (int64_t j = i; j > 0 && v[j - 1] > v[j]; --j) {
            const int64_t t = v[j];
            v[j] = v[j - 1];
            v[j - 1] = t;
        }
}

// S[x][c]: how far a channel's excess stands out of its trimmed neighbourhood, less one.
void standingOut(const int64_t* e, int64_t w, TWindow win, int64_t* s) {
    const int64_t n = 2 * win.Half + 1, kept = n - 2 * win.Trim;
    int64_t values[41];
    for (int64_t x = 0; x < w; ++x) {
        int64_t start = x - win.Half;
        start = start < 0 ? 0 : start > w - n ? w - n : start;
        for (int c = 0; c < 3; ++c) {
            for (int64_t i = 0; i < n; ++i) values[i] = e[(start + i) * 3 + c];
            sortSmall(values, n);
            int64_t sum = 0;
            for (int64_t i = win.Trim; i < n - win.Trim; ++i) sum += values[i];
            s[x * 3 + c] = e[x * 3 + c] - (sum + kept / 2) / kept - 1;
        }
    }
}

void widen(int64_t* s, int64_t w) {
    for (int c = 0; c < 3; ++c) {
        for (int64_t x = w - 1; x >= 0;) {
            if (s[x * 3 + c] <= 0) {
                --x;
                continue;
            }
            int64_t first = x;
            while (first > 0 && s[(first - 1) * 3 + c] > 0) --first;
            const int64_t grow = (x - first) / 4;
            for (int64_t i = 1; i <= grow; ++i) {
                if (x + i < w && s[(x + i) * 3 + c] < 1) s[(x + i) * 3 + c] = 1;
                if (first - i >= 0 && s[(first - i) * 3 + c] < 1) s[(first - i) * 3 + c] = 1;
            }
            x = first - grow - 1;
        }
    }
}

bool clean(const int64_t* s, int64_t x) {
    return s[x * 3] <= 0 && s[x * 3 + 1] <= 0 && s[x * 3 + 2] <= 0;
}

// Ties go to green, then red, then blue.
int worstChannel(const int64_t* s) {
    int k = 1;
    if (s[2] > s[k]) k = 2;
    if (s[0] > s[k]) k = 0;
    return k;
}

void repairColumn(const TPicture& p, int64_t x, int k, int64_t left, int64_t right) {
    constexpr int64_t w[3] = {1, 6, 3};
    const int a = (k + 2) % 3, b = (k + 1) % 3;
    for (int64_t y = 0; y < p.Dib.Height; ++y) {
        uint8_t* px = p.At(y, x);
        const uint8_t* l = p.At(y, left);
        const uint8_t* r = p.At(y, right);
        const int64_t detail =
            (2 * px[b] - l[b] - r[b]) * (5 - w[b]) + (2 * px[a] - l[a] - r[a]) * (5 - w[a]);
        const int64_t v = (detail / w[k] + l[k] + r[k]) / 2;
        px[k] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

void repairColumns(const TPicture& p, const int64_t* s) {
    const int64_t w = p.Dib.Width;
    for (int64_t x = 0; x < w; ++x) {
        if (clean(s, x)) continue;
        int64_t left = x - 1, right = x + 1;
        while (left >= 0 && !clean(s, left)) --left;
        while (right < w && !clean(s, right)) ++right;
        if (left < 0 && right >= w) continue;
        if (left < 0) left = right;
        if (right >= w) right = left;
        repairColumn(p, x, worstChannel(s + x * 3), left, right);
    }
}

int32_t colourPass(const TPicture& p, TWindow win, TWorkPool& pool) {
    const int64_t w = p.Dib.Width;
    if (w < 2 * win.Half + 1) return VuxDone; // the window would reach outside the row
    int64_t* m = pool.TakeArray<int64_t>(uint64_t(w) * 3);
    int64_t* s = pool.TakeArray<int64_t>(uint64_t(w) * 3);
    if (!m || !s) return VuxNoWork;
    columnMeans(p, m);
    for (int64_t x = 0; x < w; ++x) {
        int64_t* c = m + x * 3;
        const int64_t least =
            c[0] < c[1] ? (c[0] < c[2] ? c[0] : c[2]) : (c[1] < c[2] ? c[1] : c[2]);
        for (int i = 0; i < 3; ++i) c[i] -= least;
    }
    standingOut(m, w, win, s);
    widen(s, w);
    repairColumns(p, s);
    return VuxDone;
}

void blendColumn(const TPicture& p, int64_t to, int64_t x, int64_t leftWeight) {
    for (int64_t y = 0; y < p.Dib.Height; ++y) {
        uint8_t* t = p.At(y, to);
        const uint8_t* l = p.At(y, x - 2);
        const uint8_t* r = p.At(y, x + 2);
        for (int c = 0; c < 3; ++c)
            t[c] = uint8_t(leftWeight == 2 ? (l[c] + r[c]) / 2
                                           : (leftWeight * l[c] + (4 - leftWeight) * r[c] + 1) / 4);
    }
}

void brightnessBalance(const TPicture& p, int64_t* b, int64_t* d) {
    const int64_t w = p.Dib.Width, h = p.Dib.Height;
    for (int64_t y = 0; y < h; ++y) {
        const uint8_t* row = p.At(y, 0);
        for (int64_t x = 0; x < w; ++x) b[x] += row[x * 3] + row[x * 3 + 1] + row[x * 3 + 2];
    }
    for (int64_t x = 0; x < w; ++x) b[x] = (b[x] + 3 * h / 2) / (3 * h);
    // Only a column lighter than both columns two away is a streak: beside a dark column the
    // curvature alone would mark its untouched neighbours and darken them too.
    for (int64_t x = 2; x + 2 < w; ++x) {
        const int64_t v = 2 * b[x] - b[x - 2] - b[x + 2];
        d[x] = v > 0 && b[x] > b[x - 2] && b[x] > b[x + 2] ? v : 0;
    }
}

int32_t brightnessPass(const TPicture& p, TWorkPool& pool) {
    const int64_t w = p.Dib.Width;
    if (w < 5) return VuxDone;
    int64_t* b = pool.TakeArray<int64_t>(uint64_t(w));
    int64_t* d = pool.TakeArray<int64_t>(uint64_t(w));
    if (!b || !d) return VuxNoWork;
    brightnessBalance(p, b, d);
    for (int64_t x = w - 3; x >= 2; --x) {
        if (d[x] <= 3 || d[x] < d[x - 1]) continue;
        blendColumn(p, x, x, 2);
        d[x] = -1;
        if (d[x + 1] >= 0 && 4 * b[x + 1] > 3 * b[x + 2] + b[x - 2] + 1)
            blendColumn(p, x + 1, x, 1);
        if (4 * b[x - 1] > 3 * b[x - 2] + b[x + 2] + 1) {
            blendColumn(p, x - 1, x, 3);
            --x;
        }
    }
    return VuxDone;
}

int32_t destreak(const TPicture& p, int32_t flags) {
    TWorkPool pool;
    if (!pool.Valid()) return VuxNoWork;
    int32_t code = VuxDone;
    if (!(flags & SkipColour)) code = colourPass(p, windowOf(flags), pool);
    if (code == VuxDone && !(flags & SkipBrightness)) code = brightnessPass(p, pool);
    const int32_t closed = pool.Close();
    return code != VuxDone ? code : closed;
}

} // namespace

HGLOBAL DestreakImage(HGLOBAL handle, int32_t flags, int32_t* err) {
    TLockedInput input(handle);
    TDibBlock in;
    int32_t code = CheckDib(input.Bytes(), input.Size(), Depth24, in);
    if (code == VuxDone && in.Header.biSize != sizeof(BITMAPINFOHEADER)) code = VuxBadHeader;
    TResultBlock result;
    if (code == VuxDone) code = result.Allocate(in.End());
    if (code != VuxDone) {
        Report(err, code);
        return nullptr;
    }
    memcpy(result.Bytes(), in.Bytes, in.End());
    // Once the copy exists it is the answer, whatever a pass reports.
    Report(err, destreak({in, result.Bytes() + in.PixelOffset}, flags));
    return result.Release();
}
