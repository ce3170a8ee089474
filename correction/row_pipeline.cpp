#include "row_pipeline.h"

#include <string.h>

namespace {

int64_t floorDiv(int64_t n, int64_t d) {
    const int64_t q = n / d;
    return q * d > n ? q - 1 : q;
}

int64_t absolute(int64_t v) {
    return v < 0 ? -v : v;
}

// Start of line i of count lines in 1/64 pixel: A + (B - A) x (i + 1/2) / count, rounded.
int64_t lineStart(const TPassSpan& s, int64_t i, int64_t count) {
    return RoundDiv(128 * s.A * count + 64 * (s.B - s.A) * (2 * i + 1), 2 * count);
}

// Area average of the stretch [from, from + 64 x span) of a line, in units where a source pixel
// is 64 x count long; pixel(k) is the k-th source pixel's channel bytes or black.
template <typename Pixel>
void average(int64_t from, int64_t span, int64_t count, Pixel pixel, uint8_t* out) {
    const int64_t unit = 64 * count, total = 64 * span, to = from + total;
    int64_t sum[3] = {0, 0, 0};
    for (int64_t k = floorDiv(from, unit), last = floorDiv(to - 1, unit); k <= last; ++k) {
        const int64_t lo = k * unit > from ? k * unit : from;
        const int64_t hi = (k + 1) * unit < to ? (k + 1) * unit : to;
        const uint8_t* p = pixel(k);
        for (int c = 0; c < 3; ++c) sum[c] += (hi - lo) * p[c];
    }
    for (int c = 0; c < 3; ++c) out[c] = uint8_t((sum[c] + total / 2) / total);
}

constexpr uint8_t Black[3] = {0, 0, 0};

} // namespace

int64_t RoundDiv(int64_t n, int64_t d) {
    return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

int32_t TRowSource::Deliver(uint8_t* buffer, int64_t count, int64_t& delivered) {
    delivered = 0;
    const uint64_t step = uint64_t(FWidth) * 3 + uint64_t(FPadding);
    for (; delivered < count && FRowsLeft > 0; ++delivered, --FRowsLeft) {
        uint8_t* row = buffer + uint64_t(delivered) * step;
        if (const int32_t code = NextRow(row)) return code;
        memset(row + FWidth * 3, 0, size_t(FPadding));
    }
    return VuxDone;
}

TDibRowSource::TDibRowSource(const TDibBlock& dib, TWorkPool& parent, TSourceWindow window)
    : TRowSource(nullptr, parent, window.Width,
                 dib.Header.biHeight < 0 ? -window.Rows : window.Rows),
      FDib(dib), FTop(window.Top) {}

int32_t TDibRowSource::Restart() {
    return FNext == 0 ? VuxDone : VuxRefused;
}

int32_t TDibRowSource::NextRow(uint8_t* row) {
    if (FDib.Bits != 24) return VuxNotRgb;
    memcpy(row, FDib.Row(FTop + FNext++), size_t(FWidth) * 3);
    return VuxDone;
}

TVerticalPass::TVerticalPass(TRowSource& upstream, TWorkPool& parent, int64_t rowsOut,
                             TPassSpan span)
    : TRowSource(&upstream, parent, upstream.Width(), upstream.Height() < 0 ? -rowsOut : rowsOut),
      FSpan(span), FRowsOut(rowsOut) {
    FRing = absolute(span.B - span.A) + span.Span / rowsOut + 3;
    FStart = FPool.TakeArray<int64_t>(uint64_t(FWidth));
    FRows = FPool.TakeArray<uint8_t>(uint64_t(FRing) * uint64_t(FWidth) * 3);
    if (!FStart || !FRows) {
        FPool.Close(); // Valid() now tells the caller
        return;
    }
    for (int64_t x = 0; x < FWidth; ++x) FStart[x] = lineStart(span, x, FWidth);
}

// Source row k from the ring; rows outside the picture, or no longer held, read as black.
const uint8_t* TVerticalPass::SourceRow(int64_t k) const {
    if (k < 0 || k >= FHeld || k < FHeld - FRing) return nullptr;
    return FRows + uint64_t(k % FRing) * uint64_t(FWidth) * 3;
}

int32_t TVerticalPass::Pull(int64_t upTo) {
    while (FHeld <= upTo && FUpstream->RowsLeft() > 0) {
        int64_t got = 0;
        uint8_t* slot = FRows + uint64_t(FHeld % FRing) * uint64_t(FWidth) * 3;
        if (const int32_t code = FUpstream->Deliver(slot, 1, got)) return code;
        if (got == 0) break;
        ++FHeld;
    }
    return VuxDone;
}

int32_t TVerticalPass::NextRow(uint8_t* row) {
    const int64_t y = FNextOut++, unit = 64 * FRowsOut;
    const int64_t offset = y * 64 * FSpan.Span;
    const int64_t ends[2] = {FStart[0], FStart[FWidth - 1]};
    const int64_t last = floorDiv(
        ((ends[0] > ends[1] ? ends[0] : ends[1]) * FRowsOut + offset + 64 * FSpan.Span - 1), unit);
    if (const int32_t code = Pull(last)) return code;
    for (int64_t x = 0; x < FWidth; ++x) {
        const int64_t column = x * 3;
        average(
            FStart[x] * FRowsOut + offset, FSpan.Span, FRowsOut,
            [&](int64_t k) {
                const uint8_t* r = SourceRow(k);
                return r ? r + column : Black;
            },
            row + column);
    }
    return VuxDone;
}

THorizontalPass::THorizontalPass(TRowSource& upstream, TWorkPool& parent, int64_t widthOut,
                                 TPassSpan span)
    : TRowSource(&upstream, parent, widthOut, upstream.Height()), FSpan(span) {
    FLine = FPool.TakeArray<uint8_t>(uint64_t(upstream.Width()) * 3);
    if (!FLine) FPool.Close();
}

int32_t THorizontalPass::NextRow(uint8_t* row) {
    int64_t got = 0;
    if (const int32_t code = FUpstream->Deliver(FLine, 1, got)) return code;
    const int64_t y = FNextOut++, rows = Rows(), sourceWidth = FUpstream->Width();
    const int64_t start = lineStart(FSpan, y, rows) * FWidth;
    for (int64_t x = 0; x < FWidth; ++x)
        average(
            start + x * 64 * FSpan.Span, FSpan.Span, FWidth,
            [&](int64_t k) { return k >= 0 && k < sourceWidth ? FLine + k * 3 : Black; },
            row + x * 3);
    return VuxDone;
}

namespace {

// Positions are kept in units of 1/64 pixel times the output count; they must fit 63 bits.
bool fitsFixedPoint(const TDibBlock& in, int64_t widthOut, int64_t heightOut, TPassSpan pass1,
                    TPassSpan pass2) {
    constexpr int64_t Limit = int64_t(1) << 52;
    const int64_t reach1 = absolute(pass1.A) + absolute(pass1.B) + pass1.Span + in.Height + 2;
    const int64_t reach2 = absolute(pass2.A) + absolute(pass2.B) + pass2.Span + in.Width + 2;
    return reach1 < Limit / heightOut / 256 && reach2 < Limit / widthOut / 256;
}

int32_t drain(const TDibBlock& in, TSourceWindow window, TWorkPool& pool, int64_t widthOut,
              int64_t heightOut, TPassSpan pass1, TPassSpan pass2, uint8_t* rows, int64_t stride) {
    TDibRowSource source(in, pool, window);
    TVerticalPass vertical(source, pool, heightOut, pass1);
    THorizontalPass horizontal(vertical, pool, widthOut, pass2);
    int32_t code = source.Valid() && vertical.Valid() && horizontal.Valid() ? VuxDone : VuxNoWork;
    if (code == VuxDone) code = source.Restart();
    if (code == VuxDone) code = horizontal.AcceptFormat(RgbFormat);
    if (code == VuxDone) code = horizontal.SetTrims(0, 0);
    horizontal.SetPadding(stride - widthOut * 3);
    int64_t delivered = 0;
    if (code == VuxDone) code = horizontal.Deliver(rows, heightOut, delivered);
    const int32_t released[3] = {horizontal.Release(), vertical.Release(), source.Release()};
    for (int32_t r : released)
        if (code == VuxDone) code = r;
    return code;
}

} // namespace

HGLOBAL ResampleInto(const TDibBlock& in, TSourceWindow window, int64_t widthOut, int64_t heightOut,
                     TPassSpan pass1, TPassSpan pass2, int32_t* err) {
    const uint64_t table = uint64_t(in.Header.biClrUsed) * 4;
    const int64_t stride = StrideOf(widthOut, 24);
    TResultBlock result;
    int32_t code = fitsFixedPoint(in, widthOut, heightOut, pass1, pass2) ? VuxDone : VuxBadSize;
    if (code == VuxDone)
        code = result.Allocate(sizeof(BITMAPINFOHEADER) + table +
                               uint64_t(stride) * uint64_t(heightOut));
    if (code == VuxDone) {
        memcpy(result.Bytes(), in.Bytes, sizeof(BITMAPINFOHEADER) + table);
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(result.Bytes());
        header->biWidth = int32_t(widthOut);
        header->biHeight = int32_t(in.Header.biHeight < 0 ? -heightOut : heightOut);
        header->biSizeImage = uint32_t(uint64_t(stride) * uint64_t(heightOut));
        TWorkPool pool;
        code = pool.Valid() ? drain(in, window, pool, widthOut, heightOut, pass1, pass2,
                                    result.Bytes() + sizeof(BITMAPINFOHEADER) + table, stride)
                            : VuxNoWork;
        const int32_t closed = pool.Close();
        if (code == VuxDone) code = closed;
    }
    Report(err, code);
    return code == VuxDone ? result.Release() : nullptr;
}
