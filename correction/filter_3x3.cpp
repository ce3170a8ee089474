#include "filter_3x3.h"

#include <string.h>

namespace {

constexpr TWeights DefaultWeights{-2, -2, 43, 27};

int64_t filtered(const uint8_t* up, const uint8_t* at, const uint8_t* down, int64_t i,
                 const TWeights& w) {
    const int64_t corners = up[i - 3] + up[i + 3] + down[i - 3] + down[i + 3];
    const int64_t edges = up[i] + down[i] + at[i - 3] + at[i + 3];
    const int64_t v = (w.Corner * corners + w.Edge * edges + w.Centre * int64_t(at[i])) / w.Divisor;
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

// The result keeps a 40-byte header without table or masks and the filtered rows after it.
uint8_t* filterInto(const TDibBlock& in, TResultBlock& result, const TWeights& w) {
    uint8_t* out = result.Bytes();
    BITMAPINFOHEADER header = in.Header;
    header.biSize = sizeof header;
    header.biClrUsed = 0;
    if (header.biCompression == 3) header.biCompression = 0;
    memcpy(out, &header, sizeof header);
    uint8_t* pixels = out + sizeof header;
    if (in.Width <= 2)
        memcpy(pixels, in.Pixels(), in.PixelBytes);
    else
        Filter3x3(in.Pixels(), pixels, in.Width, in.Height, in.Stride, w);
    return out;
}

} // namespace

void Filter3x3(const uint8_t* source, uint8_t* destination, int64_t width, int64_t height,
               int64_t stride, const TWeights& w) {
    if (!source || !destination || width <= 2 || height <= 0 || w.Divisor == 0 ||
        stride < width * 3)
        return;
    const int64_t last = (width - 1) * 3;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* at = source + y * stride;
        const uint8_t* up = y > 0 ? at - stride : at;
        const uint8_t* down = y + 1 < height ? at + stride : at;
        uint8_t* to = destination + y * stride;
        memcpy(to, at, 3);
        for (int64_t i = 3; i < last; ++i) to[i] = uint8_t(filtered(up, at, down, i, w));
        memcpy(to + last, at + last, 3);
    }
}

TWeights UnsharpWeights(int32_t type) {
    switch (type) {
    case 1:
        return {-1, -1, 17, 9};
    case 3:
        return {-1, -2, 24, 12};
    default:
        return DefaultWeights;
    }
}

// Type 18 is left to the default: weights summing to -7 would blacken flat areas.
TWeights PtrFilterWeights(int32_t type) {
    switch (type) {
    case 1:
        return {-1, -1, 17, 9};
    case 3:
        return {-1, -2, 24, 12};
    case 16:
        return {0, -1, 5, 1};
    case 17:
        return {-1, -1, 9, 1};
    case 32:
        return {1, 1, 1, 9};
    case 33:
        return {0, 1, 2, 6};
    case 34:
    case 35:
        return {1, 1, 2, 10};
    default:
        return DefaultWeights;
    }
}

HGLOBAL UnsharpMask(HGLOBAL handle, int32_t type, int32_t* err) {
    TLockedInput input(handle);
    TDibBlock in;
    int32_t code = CheckDib(input.Bytes(), input.Size(), Depth24, in);
    TResultBlock result;
    if (code == VuxDone) code = result.Allocate(sizeof(BITMAPINFOHEADER) + in.PixelBytes);
    Report(err, code);
    if (code != VuxDone) return nullptr;
    filterInto(in, result, UnsharpWeights(type));
    return result.Release();
}

BITMAPINFOHEADER* PtrFilter(BITMAPINFOHEADER* header, int32_t type, int32_t* err) {
    TDibBlock in;
    int32_t code = CheckDib(header, 0, Depth24, in);
    TResultBlock result;
    if (code == VuxDone) code = result.Allocate(sizeof(BITMAPINFOHEADER) + in.PixelBytes);
    Report(err, code);
    if (code != VuxDone) return nullptr;
    filterInto(in, result, PtrFilterWeights(type));
    return static_cast<BITMAPINFOHEADER*>(result.ReleaseLocked());
}
