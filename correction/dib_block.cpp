#include "dib_block.h"

#include <string.h>

namespace {

constexpr uint32_t BitFields = 3;
constexpr uint64_t ResultLimit = uint64_t(1) << 31;

// Entries of the colour table when biClrUsed is 0.
uint64_t defaultEntries(int bits) {
    return bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

} // namespace

bool InDepths(int bits, uint32_t depths) {
    return bits > 0 && bits < 32 && (depths >> bits & 1u) != 0;
}

int64_t StrideOf(int64_t width, int bits) {
    return (width * bits + 31) / 32 * 4;
}

bool MeasureDib(uint8_t* bytes, TDibBlock& dib) {
    memcpy(&dib.Header, bytes, sizeof dib.Header);
    const BITMAPINFOHEADER& h = dib.Header;
    dib.Bytes = bytes;
    dib.Bits = h.biBitCount;
    dib.Width = h.biWidth;
    dib.Height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
    dib.Stride = StrideOf(dib.Width, dib.Bits);
    const uint64_t entries = h.biClrUsed ? h.biClrUsed : defaultEntries(dib.Bits);
    dib.TableBytes = h.biCompression == BitFields ? 12 : entries * 4;
    dib.PixelOffset = uint64_t(h.biSize) + dib.TableBytes;
    uint64_t end = 0;
    return !__builtin_mul_overflow(uint64_t(dib.Stride), uint64_t(dib.Height), &dib.PixelBytes) &&
           !__builtin_add_overflow(dib.PixelOffset, dib.PixelBytes, &end);
}

bool HeaderFits(const TDibBlock& dib) {
    return dib.Header.biSize >= sizeof(BITMAPINFOHEADER);
}

int32_t CheckDib(void* bytes, uint64_t size, uint32_t depths, TDibBlock& dib) {
    const bool sizeKnown = size != 0;
    if (!bytes || (sizeKnown && size < sizeof(BITMAPINFOHEADER))) return VuxNoInput;
    const bool measured = MeasureDib(static_cast<uint8_t*>(bytes), dib);
    if (dib.Header.biWidth <= 0 || dib.Header.biHeight == 0) return VuxBadSize;
    if (!InDepths(dib.Bits, depths)) return VuxBadDepth;
    if (!measured || !HeaderFits(dib) || (sizeKnown && dib.End() > size)) return VuxNoInput;
    return VuxDone;
}

TResultBlock::~TResultBlock() {
    if (!FHandle) return;
    GlobalUnlock(FHandle);
    GlobalFree(FHandle);
}

int32_t TResultBlock::Allocate(uint64_t size, int32_t failure) {
    if (size == 0 || size > ResultLimit) return failure;
    FHandle = GlobalAlloc(size_t(size));
    FBytes = static_cast<uint8_t*>(GlobalLock(FHandle));
    if (!FBytes) {
        GlobalFree(FHandle);
        FHandle = nullptr;
        return failure;
    }
    FSize = size;
    return VuxDone;
}

HGLOBAL TResultBlock::Release() {
    HGLOBAL handle = FHandle;
    GlobalUnlock(handle);
    FHandle = nullptr;
    FBytes = nullptr;
    return handle;
}

void* TResultBlock::ReleaseLocked() {
    void* bytes = FBytes;
    FHandle = nullptr;
    FBytes = nullptr;
    return bytes;
}
