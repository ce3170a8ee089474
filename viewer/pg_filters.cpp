#include "pg_filters.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <numbers>
#include <thread>

namespace {

// Nearest integer with ties to even, as nearbyint in the default rounding mode, for |v| < 2^51:
// adding and taking away 1.5 x 2^52 leaves the rounding to the hardware, without a library call.
double nearestEven(double v) {
    constexpr double shift = 6755399441055744.0;
    return (v + shift) - shift;
}

uint8_t clampByte(double v) {
    return static_cast<uint8_t>(std::clamp(nearestEven(std::clamp(v, -1.0, 256.0)), 0.0, 255.0));
}

uint8_t clampInt(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// Colour of byte triple (blue, green, red).
uint32_t colorAt(const uint8_t* p) {
    return PGColor(p[2], p[1], p[0]);
}

// Runs body(colour) over a 24-bit source row; answers false for other sources, which take the
// per-pixel path.
template <class F>
bool mapRow(const TPixelGraphic* source, int y, std::span<uint32_t> colors, F body) {
    if (!source || source->PixelFormat() != pf24Bit) return false;
    const uint8_t* p = source->ScanLine(y);
    if (!p) return false;
    const size_t n = std::min<size_t>(colors.size(), source->Width());
    for (size_t x = 0; x < n; ++x, p += 3) colors[x] = body(colorAt(p));
    for (size_t x = n; x < colors.size(); ++x) colors[x] = body(source->BackGroundColor());
    return true;
}

// A table read between entries: t(p) + (x - p)(t(p + 1) - t(p)), the last entry beyond 255.
// x is never negative, so truncation is the floor.
double interpolated(const TPGTable& table, double x) {
    const int i = static_cast<int>(x);
    const double p = i;
    if (i >= 255) return table[255];
    return (1 - x + p) * table[i] + (x - p) * table[i + 1];
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Grey scale

uint32_t TGrayScaleFilter::grey(uint32_t c) const {
    const int r = PGRed(c), g = PGGreen(c), b = PGBlue(c);
    const int v = FRGBWeighting ? (897 * r + 1761 * g + 342 * b) / 1000 / 3 : (r + g + b) / 3;
    return PGColor(v, v, v);
}

uint32_t TGrayScaleFilter::FilterPixel(int X, int Y) {
    return grey(Source()->GetPixelColor(X, Y));
}

void TGrayScaleFilter::FilterRow(int Y, std::span<uint32_t> Colors) {
    if (!mapRow(Source(), Y, Colors, [this](uint32_t c) { return grey(c); }))
        TPGFilter::FilterRow(Y, Colors);
}

// ---------------------------------------------------------------------------------------------
// Tables

TXXXFilter::TXXXFilter() {
    for (TPGTable& t : FTables)
        for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i);
}

void TRGBFilter::FilterRow(int Y, std::span<uint32_t> Colors) {
    if (!mapRow(Source(), Y, Colors, [this](uint32_t c) { return mapped(c); }))
        TPGFilter::FilterRow(Y, Colors);
}

void PGFillPercentTable(TPGTable& Table, int Percent) {
    const int shift = Percent * 255 / 100;
    for (int i = 0; i < 256; ++i) Table[i] = clampInt(i + shift);
}

void PGFillHueTable(TPGTable& Table, int Degrees) {
    const int shift = Degrees * 256 / 360;
    for (int i = 0; i < 256; ++i) Table[i] = static_cast<uint8_t>(((i + shift) % 256 + 256) % 256);
}

void PGSetRGBPercents(TRGBFilter& Filter, int Red, int Green, int Blue) {
    PGFillPercentTable(Filter.Table1(), Red);
    PGFillPercentTable(Filter.Table2(), Green);
    PGFillPercentTable(Filter.Table3(), Blue);
}

void PGSetHSVValues(THSVFilter& Filter, int H, int S, int V) {
    PGFillHueTable(Filter.Table1(), H);
    PGFillPercentTable(Filter.Table2(), S);
    PGFillPercentTable(Filter.Table3(), V);
}

// ---------------------------------------------------------------------------------------------
// HSV

TPGHSV PGRGBToHSV(double r, double g, double b) {
    TPGHSV out;
    const double max = std::max({r, g, b}), min = std::min({r, g, b});
    out.V = max;
    out.S = max == 0 ? 0 : (max - min) / max;
    if (out.S == 0) return out;
    const double d = max - min;
    out.H = 60 * (r == max ? (g - b) / d : g == max ? 2 + (b - r) / d : 4 + (r - g) / d);
    if (out.H < 0) out.H += 360;
    out.HueDefined = true;
    return out;
}

void PGHSVToRGB(const TPGHSV& hsv, double& r, double& g, double& b) {
    if (hsv.S == 0) {
        if (hsv.HueDefined) throw EPGSaturationHue(PGLangStr(msgSaturationHue));
        r = g = b = hsv.V;
        return;
    }
    double hue = hsv.H;
    if (hue < 0 || hue >= 360) hue = std::fmod(hue, 360.0) + (hue < 0 ? 360 : 0);
    const double h = hue / 60;
    const int i = static_cast<int>(h);
    const double f = h - i, v = hsv.V, s = hsv.S;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    const auto& row = rgb[std::clamp(i, 0, 5)];
    r = row[0];
    g = row[1];
    b = row[2];
}

namespace {

// The hue through the table: a turn is 256 steps, read between entries across the wrap.
double mappedHue(const TPGTable& table, double hue) {
    double h = (hue + 180) * 256 / 360;
    if (h >= 256) h -= 256;
    const int i = static_cast<int>(h);
    const double p = i;
    const double a = table[i];
    double n = table[i == 255 ? 0 : i + 1];
    if (a - n > 128) n += 256;
    if (a - n + 128 < 0) n -= 256;
    double out = ((1 - h + p) * a + (h - p) * n) * 360 / 256 - 180;
    while (out < 0) out += 360;
    while (out >= 360) out -= 360;
    return out;
}

} // namespace

uint32_t THSVFilter::mapped(uint32_t c) const {
    TPGHSV hsv = PGRGBToHSV(PGRed(c) / 255.0, PGGreen(c) / 255.0, PGBlue(c) / 255.0);
    if (hsv.HueDefined) hsv.H = mappedHue(FTables[0], hsv.H);
    hsv.S = interpolated(FTables[1], hsv.S * 255) / 255;
    if (hsv.S == 0 || !hsv.HueDefined) {
        hsv.HueDefined = false;
        hsv.S = 0;
    }
    hsv.V = interpolated(FTables[2], hsv.V * 255) / 255;
    double r, g, b;
    PGHSVToRGB(hsv, r, g, b);
    return PGColor(clampByte(r * 255), clampByte(g * 255), clampByte(b * 255));
}

// Each entry holds a colour with bit 24 set above its answer; 0 is empty.
uint32_t THSVFilter::remembered(uint32_t color) {
    constexpr int bits = 16;
    if (FMemo.empty()) FMemo.assign(size_t(1) << bits, 0);
    const uint64_t key = color | 0x1000000u;
    uint64_t& slot = FMemo[(color * 2654435761u) >> (32 - bits)];
    if (slot >> 32 == key) return static_cast<uint32_t>(slot);
    const uint32_t answer = mapped(color);
    slot = key << 32 | answer;
    return answer;
}

void THSVFilter::FilterRow(int Y, std::span<uint32_t> Colors) {
    if (!mapRow(Source(), Y, Colors, [this](uint32_t c) { return remembered(c); }))
        TPGFilter::FilterRow(Y, Colors);
}

// ---------------------------------------------------------------------------------------------
// Brightness, contrast, gamma

void TBCGFilter::RebuildTable() {
    for (int i = 0; i < 256; ++i) {
        double v = std::pow(i / 255.0, FGamma) * 255;
        v = (v - 127.5) * FContrast + 127.5;
        v += FBrightness * 255 * 0.01;
        FTable[i] = clampByte(std::clamp(v, -1.0, 256.0));
    }
}

void TBCGFilter::Init(const TPixelGraphic& Source) {
    TPGFilter::Init(Source);
    RebuildTable();
}

uint32_t TBCGFilter::mapped(uint32_t c) const {
    if (FUseY) return mappedLuminance(c);
    return PGColor(FTable[PGRed(c)], FTable[PGGreen(c)], FTable[PGBlue(c)]);
}

uint32_t TBCGFilter::mappedLuminance(uint32_t c) const {
    const double r = PGRed(c) / 255.0, g = PGGreen(c) / 255.0, b = PGBlue(c) / 255.0;
    const double y = 0.299 * r + 0.587 * g + 0.114 * b;
    const double cb = -0.169 * r - 0.331 * g + 0.5 * b;
    const double cr = 0.5 * r - 0.419 * g - 0.081 * b;
    const double y2 = interpolated(FTable, y * 255) / 255;
    return PGColor(clampByte((y2 + 1.403 * cr) * 255),
                   clampByte((y2 - 0.344 * cb - 0.714 * cr) * 255),
                   clampByte((y2 + 1.773 * cb) * 255));
}

void TBCGFilter::FilterRow(int Y, std::span<uint32_t> Colors) {
    if (!mapRow(Source(), Y, Colors, [this](uint32_t c) { return mapped(c); }))
        TPGFilter::FilterRow(Y, Colors);
}

// ---------------------------------------------------------------------------------------------
// Convolution

TConvFilter::TConvFilter() : FKernel{1} {}

void TConvFilter::resize(int w, int h) {
    FWidth = w;
    FHeight = h;
    FKernel.assign(static_cast<size_t>(w) * h, 0);
}

void TConvFilter::SetWidth(int v) {
    if (v < 1 || v > 99) throw EPGConvFilter(PGLangStr(msgOutOfRange, "TConvFilter.Width"));
    if (v != FWidth) resize(v, FHeight);
}

void TConvFilter::SetHeight(int v) {
    if (v < 1 || v > 99) throw EPGConvFilter(PGLangStr(msgOutOfRange, "TConvFilter.Height"));
    if (v != FHeight) resize(FWidth, v);
}

int32_t TConvFilter::Kernel(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
        throw EPGConvFilter(PGLangStr(msgXYIndexOutOfRange));
    return FKernel[static_cast<size_t>(Y) * FWidth + X];
}

void TConvFilter::SetKernel(int X, int Y, int32_t Value) {
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
        throw EPGConvFilter(PGLangStr(msgXYIndexOutOfRange));
    FKernel[static_cast<size_t>(Y) * FWidth + X] = Value;
}

int64_t TConvFilter::KernelSum() const {
    int64_t sum = 0;
    for (int32_t w : FKernel) sum += w;
    return sum;
}

uint8_t TConvFilter::finish(int64_t sum, int64_t weight) const {
    const double mean = weight == 0 ? double(sum) : double(sum) / double(weight);
    return clampByte(FFactor * mean + FBias * 255 * 0.01);
}

uint32_t TConvFilter::FilterPixel(int X, int Y) {
    const TPixelGraphic& s = *Source();
    int64_t weight = 0, sum[3] = {0, 0, 0};
    for (int i = 0; i < FHeight; ++i) {
        const int64_t sy = int64_t(Y) + FRowOffset + i;
        if (sy < 0 || sy >= s.Height()) continue;
        for (int j = 0; j < FWidth; ++j) {
            const int64_t sx = int64_t(X) + FColumnOffset + j;
            if (sx < 0 || sx >= s.Width()) continue;
            const int64_t w = FKernel[static_cast<size_t>(i) * FWidth + j];
            const uint32_t c = s.PixelFormat() == pf24Bit ? colorAt(s.ScanLine(int(sy)) + 3 * sx)
                                                          : s.GetPixelColor(int(sx), int(sy));
            weight += w;
            sum[0] += w * PGRed(c);
            sum[1] += w * PGGreen(c);
            sum[2] += w * PGBlue(c);
        }
    }
    return PGColor(finish(sum[0], weight), finish(sum[1], weight), finish(sum[2], weight));
}

// rows[i] points at the source byte of kernel row i, column 0 for pixel 0.
uint32_t TConvFilter::interiorPixel(const uint8_t* const* rows, int x, int64_t weight) const {
    int32_t b = 0, g = 0, r = 0;
    const int32_t* k = FKernel.data();
    for (int i = 0; i < FHeight; ++i) {
        const uint8_t* p = rows[i] + 3 * static_cast<int64_t>(x);
        for (int j = 0; j < FWidth; ++j, p += 3, ++k) {
            b += *k * p[0];
            g += *k * p[1];
            r += *k * p[2];
        }
    }
    return PGColor(finish(r, weight), finish(g, weight), finish(b, weight));
}

// Pixels whose kernel lies wholly on the picture need no bounds tests and share one weight; their
// sums run in 32 bits unless the kernel's weights could overflow them.
void TConvFilter::FilterRow(int Y, std::span<uint32_t> Colors) {
    const TPixelGraphic* s = Source();
    const int64_t top = int64_t(Y) + FRowOffset;
    int64_t largest = 0;
    for (int32_t w : FKernel) largest = std::max<int64_t>(largest, std::abs(int64_t(w)));
    const bool fits = largest * FWidth * FHeight * 255 < (int64_t(1) << 31);
    if (!s || s->PixelFormat() != pf24Bit || !fits || top < 0 || top + FHeight > s->Height()) {
        TPGFilter::FilterRow(Y, Colors);
        return;
    }
    std::vector<const uint8_t*> rows(FHeight);
    for (int i = 0; i < FHeight; ++i)
        rows[i] = s->ScanLine(int(top + i)) + 3 * static_cast<int64_t>(FColumnOffset);
    const int n = static_cast<int>(Colors.size());
    const int64_t first = std::clamp<int64_t>(-int64_t(FColumnOffset), 0, n);
    const int64_t last =
        std::clamp<int64_t>(int64_t(s->Width()) - FColumnOffset - FWidth, -1, int64_t(n) - 1);
    const int64_t weight = KernelSum();
    for (int64_t x = 0; x < n; ++x)
        Colors[x] = x >= first && x <= last ? interiorPixel(rows.data(), int(x), weight)
                                            : FilterPixel(int(x), Y);
}

// ---------------------------------------------------------------------------------------------
// Kernels

namespace {

double density(TDistributionShape shape, double sigma, double x) {
    switch (shape) {
    case dsGaussian:
        return std::exp(-x * x / (2 * sigma * sigma)) / (sigma * std::sqrt(2 * std::numbers::pi));
    case dsTent: {
        const double a = sigma * std::sqrt(6.0);
        return std::abs(x) <= a ? 1 / a - std::abs(x) / (a * a) : 0;
    }
    case dsRect: {
        const double a = sigma * std::sqrt(3.0);
        return std::abs(x) <= a ? 1 / (2 * a) : 0;
    }
    }
    return 0;
}

int weightOf(TDistributionShape shape, bool useDistance, double sigma, double scale, int dx,
             int dy) {
    if (shape == dsRect) {
        const bool on = useDistance ? density(shape, sigma, std::hypot(dx, dy)) > 0
                                    : density(shape, sigma, dx) * density(shape, sigma, dy) > 0;
        return on ? 1 : 0;
    }
    const double v = useDistance ? density(shape, sigma, std::hypot(dx, dy)) * scale
                                 : density(shape, sigma, dx) * scale * density(shape, sigma, dy);
    return static_cast<int>(std::nearbyint(v));
}

// One less than the first k whose weight on the axis is not positive; the kernel's size stays
// within what a filter may hold.
int radiusOf(TDistributionShape shape, bool useDistance, double sigma, double scale) {
    const double f0 = density(shape, sigma, 0);
    for (int k = 0; k < 49; ++k) {
        const double v = shape == dsRect ? density(shape, sigma, k)
                         : useDistance   ? std::nearbyint(density(shape, sigma, k) * scale)
                                         : std::nearbyint(f0 * density(shape, sigma, k) * scale);
        if (v <= 0) return k - 1;
    }
    return 48;
}

} // namespace

void PGMakeKernel(TConvFilter& Filter, TDistributionShape Shape, bool UseDistance,
                  double StdDeviation) {
    const double f0 = density(Shape, StdDeviation, 0);
    const double scale = UseDistance ? 16 / f0 : 16 / (f0 * f0);
    const int l = std::max(radiusOf(Shape, UseDistance, StdDeviation, scale), 0);
    Filter.SetWidth(2 * l + 1);
    Filter.SetHeight(2 * l + 1);
    for (int i = 0; i <= 2 * l; ++i)
        for (int j = 0; j <= 2 * l; ++j)
            Filter.SetKernel(j, i, weightOf(Shape, UseDistance, StdDeviation, scale, j - l, i - l));
    Filter.SetColumnOffset(-l);
    Filter.SetRowOffset(-l);
    Filter.SetFactor(1);
    Filter.SetBias(0);
}

namespace {

void negate(TConvFilter& f) {
    for (int i = 0; i < f.Height(); ++i)
        for (int j = 0; j < f.Width(); ++j) f.SetKernel(j, i, -f.Kernel(j, i));
}

int32_t rounded(double v) {
    return static_cast<int32_t>(std::nearbyint(v));
}

} // namespace

void PGSharpenKernel(TConvFilter& Filter, int Percent) {
    const int64_t sum = Filter.KernelSum();
    negate(Filter);
    Filter.SetKernel(Filter.Width() / 2, Filter.Height() / 2, rounded(100.0 / Percent * sum));
}

void PGSmoothKernel(TConvFilter& Filter, int Percent) {
    const int64_t sum = Filter.KernelSum();
    const int cx = Filter.Width() / 2, cy = Filter.Height() / 2;
    Filter.SetKernel(cx, cy, Filter.Kernel(cx, cy) + rounded((100.0 / Percent - 1) * sum));
}

void PGContourKernel(TConvFilter& Filter, int Percent, bool BlackBk) {
    const int64_t sum = Filter.KernelSum();
    const int cx = Filter.Width() / 2, cy = Filter.Height() / 2;
    const int32_t centre = Filter.Kernel(cx, cy);
    negate(Filter);
    Filter.SetKernel(cx, cy, static_cast<int32_t>(-centre + sum + 1));
    Filter.SetBias(BlackBk ? 0 : 100);
    Filter.SetFactor(BlackBk ? -Percent : Percent);
}

// ---------------------------------------------------------------------------------------------
// Applying in bands

namespace {

struct TBandRun {
    TBandRun(const TPGFilterFactory& make, TPixelGraphic& target, const TPixelGraphic& source)
        : Make(make), Target(target), Source(source) {}
    const TPGFilterFactory& Make;
    TPixelGraphic& Target;
    const TPixelGraphic& Source;
    std::atomic<int> Done{0};
    std::atomic<bool> Stop{false};
    std::mutex Lock;
    std::exception_ptr Error;

    void Band(int first, int last, const TPGRowProgress* progress) {
        try {
            const std::unique_ptr<TPGFilter> filter = Make();
            filter->Init(Source);
            std::vector<uint32_t> colors(Target.Width());
            for (int y = first; y < last && !Stop; ++y) {
                filter->FilterRow(y, colors);
                uint8_t* p = Target.ScanLine(y);
                for (uint32_t c : colors) {
                    *p++ = PGBlue(c);
                    *p++ = PGGreen(c);
                    *p++ = PGRed(c);
                }
                const int done = ++Done;
                if (progress && *progress && (*progress)(done, Target.Height())) Stop = true;
            }
            filter->Done();
        } catch (...) {
            const std::scoped_lock guard(Lock);
            if (!Error) Error = std::current_exception();
            Stop = true;
        }
    }
};

bool applyInBands(const TPGFilterFactory& make, TPixelGraphic& target, const TPixelGraphic& source,
                  int bands, const TPGRowProgress& progress) {
    TBandRun run(make, target, source);
    const int h = target.Height();
    bands = std::clamp(bands, 1, std::max(h, 1));
    {
        std::vector<std::jthread> threads;
        for (int k = 1; k < bands; ++k)
            threads.emplace_back([&run, k, h, bands] {
                run.Band(int(int64_t(h) * k / bands), int(int64_t(h) * (k + 1) / bands), nullptr);
            });
        run.Band(0, int(int64_t(h) / bands), &progress);
    }
    if (run.Error) std::rethrow_exception(run.Error);
    target.Changed();
    return !run.Stop;
}

} // namespace

bool PGApplyFilter(const TPGFilterFactory& Make, TPixelGraphic& Target, const TPixelGraphic& Source,
                   int Bands, const TPGRowProgress& Progress) {
    const std::unique_ptr<TPGFilter> first = Make();
    const bool inPlace = &Source == &Target;
    if (inPlace && !first->IsPointFilter()) throw EPGFilter(PGLangStr(msgFilterSourceIsTarget));
    if (Target.PixelFormat() == pf24Bit) {
        if (!inPlace) Target.SetSizeAndFormat(Source.Width(), Source.Height(), pf24Bit);
        if (Target.Empty()) return true;
        return applyInBands(Make, Target, Source, Bands, Progress);
    }
    bool stopped = false;
    auto previous = std::move(Target.OnProgress);
    Target.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        if (Progress && Progress(step + 1, max + 1)) abort = stopped = true;
    };
    try {
        Target.ApplyFilter(*first, Source);
    } catch (...) {
        Target.OnProgress = std::move(previous);
        throw;
    }
    Target.OnProgress = std::move(previous);
    return !stopped;
}

std::unique_ptr<TPixelGraphic> PGFilteredCopy(const TPGFilterFactory& Make,
                                              const TPixelGraphic& Picture, int Bands,
                                              const TPGRowProgress& Progress) {
    auto copy = std::make_unique<TPixelGraphic>();
    bool complete;
    if (Make()->IsPointFilter()) {
        copy->Assign(&Picture);
        complete = PGApplyFilter(Make, *copy, *copy, Bands, Progress);
    } else {
        copy->SetSizeAndFormat(1, 1, pf24Bit);
        complete = PGApplyFilter(Make, *copy, Picture, Bands, Progress);
    }
    if (!complete) copy.reset();
    return copy;
}
