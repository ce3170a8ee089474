#pragma once
// The picture form of the exports that return a new block: a packed DIB whose header is checked
// against the block holding it, and the result block they hand back. Sizes come from the header's
// width, height and depth in 64 bits, never from biSizeImage.

#include "clarend.h"

#include <stdint.h>

inline constexpr int32_t VuxDone = 0;
inline constexpr int32_t VuxBadSize = -1020;
inline constexpr int32_t VuxBadDepth = -7079;
inline constexpr int32_t VuxNoResult = -2004;
inline constexpr int32_t VuxNoInput = -2007;
inline constexpr int32_t VuxBadHeader = -1009;
inline constexpr int32_t VuxNotRgb = -7012;
inline constexpr int32_t VuxRefused = -1016;
inline constexpr int32_t VuxDamaged = -1548;
inline constexpr int32_t VuxNoWork = -1007;
inline constexpr int32_t VuxTurnForm = -1008;
inline constexpr int32_t VuxNoTurnMemory = -7003;

// Depth lists as bit masks over the bits per pixel.
inline constexpr uint32_t Depth4 = 1u << 4, Depth8 = 1u << 8, Depth16 = 1u << 16,
                          Depth24 = 1u << 24;

inline void Report(int32_t* err, int32_t code) {
    if (err) *err = code;
}

struct TDibBlock {
    uint8_t* Bytes = nullptr; // the header's first byte
    BITMAPINFOHEADER Header{};
    int64_t Width = 0, Height = 0, Stride = 0; // Height is |biHeight|
    int Bits = 0;
    uint64_t TableBytes = 0;  // colour table or masks after biSize
    uint64_t PixelOffset = 0; // biSize + TableBytes
    uint64_t PixelBytes = 0;  // Stride x Height
    uint8_t* Pixels() const { return Bytes + PixelOffset; }
    uint8_t* Row(int64_t y) const { return Pixels() + uint64_t(y) * uint64_t(Stride); }
    uint64_t End() const { return PixelOffset + PixelBytes; }
};

bool InDepths(int bits, uint32_t depths);
int64_t StrideOf(int64_t width, int bits);

// Fills the layout from the header; false when the rows' size does not fit 64 bits.
bool MeasureDib(uint8_t* bytes, TDibBlock& dib);

// Whether biSize leaves the rows behind a whole header; a shorter one would put them over it.
bool HeaderFits(const TDibBlock& dib);

// The checks of the new-block exports in their order: no header (-2007), width or height
// (-1020), depth (-7079), then a header under 40 bytes or rows past the block (-2007). size 0
// means a pointer whose block size is not known, so only the header is read.
int32_t CheckDib(void* bytes, uint64_t size, uint32_t depths, TDibBlock& dib);

// A handle locked for the length of a call.
class TLockedInput {
public:
    explicit TLockedInput(HGLOBAL handle) : FHandle(handle), FBytes(GlobalLock(handle)) {}
    ~TLockedInput() {
        if (FBytes) GlobalUnlock(FHandle);
    }
    TLockedInput(const TLockedInput&) = delete;
    TLockedInput& operator=(const TLockedInput&) = delete;
    void* Bytes() const { return FBytes; }
    uint64_t Size() const { return FBytes ? GlobalSize(FHandle) : 0; }

private:
    HGLOBAL FHandle;
    void* FBytes;
};

// The new block an export answers: zero-filled and locked while it is written, freed unless
// handed over.
class TResultBlock {
public:
    TResultBlock() = default;
    ~TResultBlock();
    TResultBlock(const TResultBlock&) = delete;
    TResultBlock& operator=(const TResultBlock&) = delete;

    // -2004 (or the caller's code) when the size passes 2^31 bytes or the memory is not there.
    int32_t Allocate(uint64_t size, int32_t failure = VuxNoResult);
    uint8_t* Bytes() const { return FBytes; }
    uint64_t Size() const { return FSize; }
    // Unlocked, the caller's from now on.
    HGLOBAL Release();
    // Still locked, as the pointer exports answer it.
    void* ReleaseLocked();

private:
    HGLOBAL FHandle = nullptr;
    uint8_t* FBytes = nullptr;
    uint64_t FSize = 0;
};
