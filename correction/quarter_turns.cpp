#include "quarter_turns.h"

#include <stdlib.h>
#include <string.h>

namespace {

constexpr int32_t FlipBit = 1, TurnBits = 6, Clockwise = 2, HalfTurn = 4;

// Pixels addressed by column and stored row; 4-bit pixels are nibbles, the high one first.
struct TPixels {
    uint8_t* Bits;
    uint64_t Stride;
    int Depth;

    uint32_t Get(uint64_t x, uint64_t y) const {
        const uint8_t* row = Bits + y * Stride;
        switch (Depth) {
        case 4:
            return x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
        case 8:
            return row[x];
        case 16:
            return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        default:
            return uint32_t(row[3 * x]) | row[3 * x + 1] << 8 | uint32_t(row[3 * x + 2]) << 16;
        }
    }
    void Set(uint64_t x, uint64_t y, uint32_t v) const {
        uint8_t* row = Bits + y * Stride;
        switch (Depth) {
        case 4:
            row[x / 2] =
                x & 1 ? uint8_t((row[x / 2] & 0xF0) | v) : uint8_t((row[x / 2] & 0x0F) | v << 4);
            break;
        case 8:
            row[x] = uint8_t(v);
            break;
        case 16:
            memcpy(row + 2 * x, &v, 2);
            break;
        default:
            memcpy(row + 3 * x, &v, 3);
            break;
        }
    }
};

// Destination pixel (x, y) from the source, by turn; W and H the source's sides.
void turnPixels(const TPixels& from, const TPixels& to, int32_t turn, uint64_t w, uint64_t h) {
    const uint64_t outW = turn == HalfTurn || turn == 0 ? w : h;
    const uint64_t outH = outW == w ? h : w;
    for (uint64_t y = 0; y < outH; ++y)
        for (uint64_t x = 0; x < outW; ++x) {
            uint64_t i = x, j = y;
            if (turn == Clockwise) i = w - 1 - y, j = x;
            if (turn == HalfTurn) i = w - 1 - x, j = h - 1 - y;
            if (turn == TurnBits) i = y, j = h - 1 - x;
            to.Set(x, y, from.Get(i, j));
        }
}

// Exchanges stored rows top for bottom through two row buffers.
bool flipRows(uint8_t* pixels, uint64_t stride, uint64_t height) {
    uint8_t* low = static_cast<uint8_t*>(malloc(stride));
    uint8_t* high = static_cast<uint8_t*>(malloc(stride));
    const bool had = low && high;
    for (uint64_t k = 0; had && k < height / 2; ++k) {
        uint8_t* a = pixels + k * stride;
        uint8_t* b = pixels + (height - 1 - k) * stride;
        memcpy(low, a, stride);
        memcpy(high, b, stride);
        memcpy(a, high, stride);
        memcpy(b, low, stride);
    }
    free(low);
    free(high);
    return had;
}

int32_t checkTurn(const TLockedInput& input, TDibBlock& in) {
    if (!input.Bytes() || input.Size() < sizeof(BITMAPINFOHEADER)) return VuxNoInput;
    const bool measured = MeasureDib(static_cast<uint8_t*>(input.Bytes()), in);
    if (in.Header.biWidth < 1 || in.Header.biHeight < 1 ||
        !InDepths(in.Bits, Depth4 | Depth8 | Depth16 | Depth24))
        return VuxTurnForm;
    if (!measured || !HeaderFits(in) || in.End() > input.Size()) return VuxNoInput;
    return VuxDone;
}

} // namespace

HGLOBAL RotateDib(HGLOBAL handle, int32_t mode, int32_t* err) {
    TLockedInput input(handle);
    TDibBlock in;
    int32_t code = checkTurn(input, in);
    const int32_t turn = mode & TurnBits;
    const bool sideways = turn == Clockwise || turn == TurnBits;
    const uint64_t outStride = uint64_t(StrideOf(sideways ? in.Height : in.Width, in.Bits));
    const uint64_t outRows = uint64_t(sideways ? in.Width : in.Height);
    TResultBlock result;
    if (code == VuxDone)
        code = result.Allocate(in.PixelOffset + outStride * outRows, VuxNoTurnMemory);
    uint8_t* out = result.Bytes();
    if (code == VuxDone) {
        memcpy(out, in.Bytes, in.PixelOffset);
        const TPixels from{in.Pixels(), uint64_t(in.Stride), in.Bits};
        const TPixels to{out + in.PixelOffset, outStride, in.Bits};
        if (turn == 0)
            memcpy(to.Bits, from.Bits, in.PixelBytes);
        else
            turnPixels(from, to, turn, uint64_t(in.Width), uint64_t(in.Height));
        if (sideways) {
            auto* header = reinterpret_cast<BITMAPINFOHEADER*>(out);
            header->biWidth = int32_t(in.Height);
            header->biHeight = int32_t(in.Width);
            header->biSizeImage = uint32_t(outStride * outRows);
        }
        if ((mode & FlipBit) && !flipRows(to.Bits, outStride, outRows)) code = VuxNoTurnMemory;
    }
    Report(err, code);
    return code == VuxDone ? result.Release() : nullptr;
}
