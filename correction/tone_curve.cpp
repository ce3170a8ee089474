#include "tone_curve.h"

#include <math.h>
#include <string.h>

namespace {

// NaN takes the lower limit, so a broken argument still gives a table.
double limit(double v, double lo, double hi) {
    return v > hi ? hi : v >= lo ? v : lo;
}

void mapRows(const TDibBlock& in, uint8_t* out, const uint8_t table[256]) {
    const uint64_t rowBytes = uint64_t(in.Width) * 3;
    for (int64_t y = 0; y < in.Height; ++y) {
        const uint8_t* from = in.Row(y);
        uint8_t* to = out + in.PixelOffset + uint64_t(y) * uint64_t(in.Stride);
        for (uint64_t i = 0; i < rowBytes; ++i) to[i] = table[from[i]];
        memcpy(to + rowBytes, from + rowBytes, uint64_t(in.Stride) - rowBytes);
    }
}

void mapTable(const TDibBlock& in, uint8_t* out, const uint8_t table[256]) {
    if (in.Header.biCompression == 3) return; // masks, not colours
    uint8_t* entry = out + in.Header.biSize;
    for (uint64_t i = 0; i + 4 <= in.TableBytes; i += 4)
        for (int c = 0; c < 3; ++c) entry[i + c] = table[entry[i + c]];
}

} // namespace

void ToneTable(int32_t brightness, int32_t contrast, double gamma, uint8_t table[256]) {
    const double m = limit(0.005 * brightness + 0.5, 0, 1);
    const double k = limit(pow(10, contrast / 100.0), 0.1, 10);
    const double g = limit(gamma, 0.1, 10);
    for (int i = 0; i < 256; ++i) {
        const double v = i == 0 ? 0 : pow(i / 255.0, g);
        const double y = 255 * (4 * (1 - k) * v * v * v + (6 * k - 4 * m - 4) * v * v +
                                (4 * m + 1 - 2 * k) * v) +
                         0.5;
        table[i] = uint8_t(limit(trunc(y), 0, 255));
    }
}

HGLOBAL BrightContrastGamma(HGLOBAL handle, int32_t brightness, int32_t contrast, double gamma,
                            int32_t* err) {
    TLockedInput input(handle);
    TDibBlock in;
    int32_t code = CheckDib(input.Bytes(), input.Size(), Depth4 | Depth8 | Depth24, in);
    TResultBlock result;
    if (code == VuxDone) code = result.Allocate(in.End());
    Report(err, code);
    if (code != VuxDone) return nullptr;
    uint8_t table[256];
    ToneTable(brightness, contrast, gamma, table);
    // Header and colour table (or masks) travel as they are; indexed pictures change only
    // their table.
    memcpy(result.Bytes(), in.Bytes, in.PixelOffset);
    if (in.Bits == 24) {
        mapRows(in, result.Bytes(), table);
    } else {
        mapTable(in, result.Bytes(), table);
        memcpy(result.Bytes() + in.PixelOffset, in.Pixels(), in.PixelBytes);
    }
    return result.Release();
}
