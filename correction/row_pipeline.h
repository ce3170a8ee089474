#pragma once
// The row pipeline of the geometric corrections: a chain of row sources, each pulling rows from
// the one before it, ending in two area-resampling passes that stream the picture through a
// ring of source rows and one row, never a full-size copy.

#include "dib_block.h"
#include "work_pool.h"

inline constexpr uint32_t RgbFormat = 0x1802; // 24-bit colour, the bits in the high byte

// What a source delivers and the operations every source offers. Refusals answer -1016.
class TRowSource {
public:
    TRowSource(TRowSource* upstream, TWorkPool& parent, int64_t width, int64_t height)
        : FUpstream(upstream), FPool(&parent), FWidth(width), FHeight(height),
          FRowsLeft(height < 0 ? -height : height) {}

    int64_t Width() const { return FWidth; }
    int64_t Height() const { return FHeight; } // signed as the source's biHeight
    int64_t Rows() const { return FHeight < 0 ? -FHeight : FHeight; }
    int64_t RowsLeft() const { return FRowsLeft; }
    bool Valid() const { return FPool.Valid(); }

    // Up to count rows into buffer, each followed by the padding; delivered says how many.
    int32_t Deliver(uint8_t* buffer, int64_t count, int64_t& delivered);
    virtual int32_t Restart() { return VuxRefused; }
    int32_t AcceptFormat(uint32_t format) const { return format == RgbFormat ? 0 : VuxRefused; }
    int32_t SetTrims(int64_t left, int64_t right) const {
        return left == 0 && right == 0 ? 0 : VuxRefused;
    }
    void SetPadding(int64_t bytes) { FPadding = bytes; }
    int32_t Further() const { return VuxRefused; }
    // Frees the source's working memory; its pool's verdict.
    int32_t Release() { return FPool.Close(); }

protected:
    ~TRowSource() = default;
    // One row of Width() pixels.
    virtual int32_t NextRow(uint8_t*) { return VuxRefused; }

    TRowSource* FUpstream;
    TWorkPool FPool;
    int64_t FWidth, FHeight, FRowsLeft;
    int64_t FPadding = 0;
};

// The part of the input a chain reads: Rows stored rows from Top, the first Width columns.
struct TSourceWindow {
    int64_t Top, Rows, Width;
};

// Reads the window's rows of a checked 24-bit DIB in stored order.
class TDibRowSource final : public TRowSource {
public:
    TDibRowSource(const TDibBlock& dib, TWorkPool& parent, TSourceWindow window);
    int32_t Restart() override;

private:
    int32_t NextRow(uint8_t* row) override;
    const TDibBlock& FDib;
    int64_t FTop, FNext = 0;
};

// Positions of a resampling pass in whole source pixels: the stretch starts at A for the first
// line and B for the last, and spans Span source pixels over Count output pixels.
struct TPassSpan {
    int64_t A, B, Span;
};

// Pass 1: every column is resampled vertically, from a ring of source rows.
class TVerticalPass final : public TRowSource {
public:
    TVerticalPass(TRowSource& upstream, TWorkPool& parent, int64_t rowsOut, TPassSpan span);

private:
    int32_t NextRow(uint8_t* row) override;
    int32_t Pull(int64_t upTo);
    const uint8_t* SourceRow(int64_t k) const;

    TPassSpan FSpan;
    int64_t FRowsOut, FRing = 0, FHeld = 0, FNextOut = 0;
    int64_t* FStart = nullptr; // per column, in 1/64 pixel
    uint8_t* FRows = nullptr;
    uint8_t* FBlack = nullptr;
};

// Pass 2: each row of pass 1 is resampled horizontally to the output width.
class THorizontalPass final : public TRowSource {
public:
    THorizontalPass(TRowSource& upstream, TWorkPool& parent, int64_t widthOut, TPassSpan span);

private:
    int32_t NextRow(uint8_t* row) override;

    TPassSpan FSpan;
    int64_t FNextOut = 0;
    uint8_t* FLine = nullptr;
};

// Rounds n / d half away from zero; d > 0.
int64_t RoundDiv(int64_t n, int64_t d);

// The result block of a geometric correction: the input's header and colour table, then the
// rows of the two passes over the window. Hout and Wout at least 1, spans at least 1.
HGLOBAL ResampleInto(const TDibBlock& in, TSourceWindow window, int64_t widthOut, int64_t heightOut,
                     TPassSpan pass1, TPassSpan pass2, int32_t* err);
