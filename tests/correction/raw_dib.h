#pragma once
// Packed DIBs of any depth built byte by byte, and the blocks the newer exports answer.

#include "clarend.h"

#include <cstdint>
#include <cstring>
#include <vector>

struct TRawDib {
    int Width, Height, Bits;
    uint32_t TableEntries; // written as biClrUsed; the table's bytes are 4 each
    std::vector<uint8_t> Bytes;

    TRawDib(int width, int height, int bits, uint32_t tableEntries = 0)
        : Width(width), Height(height), Bits(bits), TableEntries(tableEntries),
          Bytes(Offset() + size_t(Stride()) * size_t(height < 0 ? -height : height), 0) {
        BITMAPINFOHEADER h{};
        h.biSize = 40;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = uint16_t(bits);
        h.biClrUsed = tableEntries;
        h.biXPelsPerMeter = 2835;
        h.biYPelsPerMeter = 3780;
        std::memcpy(Bytes.data(), &h, sizeof h);
    }

    int Stride() const { return (Width * Bits + 31) / 32 * 4; }
    size_t Offset() const {
        const uint32_t n = TableEntries ? TableEntries : Bits == 4 ? 16 : Bits == 8 ? 256 : 0;
        return 40 + 4 * size_t(n);
    }
    BITMAPINFOHEADER* Header() { return reinterpret_cast<BITMAPINFOHEADER*>(Bytes.data()); }
    uint8_t* Row(int storedRow) { return Bytes.data() + Offset() + size_t(storedRow) * Stride(); }
    // Pixel value by column and stored row: an index, a 16-bit word or 0xRRGGBB.
    uint32_t Get(int x, int y) const {
        const uint8_t* row = Bytes.data() + Offset() + size_t(y) * Stride();
        if (Bits == 4) return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
        if (Bits == 8) return row[x];
        if (Bits == 16) return row[2 * x] | row[2 * x + 1] << 8;
        return row[3 * x] | row[3 * x + 1] << 8 | uint32_t(row[3 * x + 2]) << 16;
    }
    void Set(int x, int y, uint32_t v) {
        uint8_t* row = Row(y);
        if (Bits == 4)
            row[x / 2] =
                uint8_t(x % 2 ? (row[x / 2] & 0xF0) | (v & 15) : (row[x / 2] & 15) | v << 4);
        else if (Bits == 8)
            row[x] = uint8_t(v);
        else
            std::memcpy(row + size_t(x) * (Bits / 8), &v, size_t(Bits / 8));
    }
};

// The DIB's bytes in a block of the library's kind, owned by the object.
class TBlock {
public:
    explicit TBlock(const std::vector<uint8_t>& bytes, size_t size = 0)
        : FHandle(GlobalAlloc(size ? size : bytes.size())) {
        if (auto* p = static_cast<uint8_t*>(GlobalLock(FHandle))) {
            std::memcpy(p, bytes.data(), std::min(bytes.size(), GlobalSize(FHandle)));
            GlobalUnlock(FHandle);
        }
    }
    ~TBlock() { GlobalFree(FHandle); }
    TBlock(const TBlock&) = delete;
    TBlock& operator=(const TBlock&) = delete;
    HGLOBAL Get() const { return FHandle; }
    std::vector<uint8_t> Bytes() const {
        auto* p = static_cast<uint8_t*>(GlobalLock(FHandle));
        std::vector<uint8_t> bytes(p, p + GlobalSize(FHandle));
        GlobalUnlock(FHandle);
        return bytes;
    }

private:
    HGLOBAL FHandle;
};

// An export's answer: its bytes, whether it came back unlocked, and the block freed. Empty for
// null.
struct TAnswer {
    std::vector<uint8_t> Bytes;
    bool Unlocked = false;
    explicit operator bool() const { return !Bytes.empty(); }
    const BITMAPINFOHEADER& Header() const {
        return *reinterpret_cast<const BITMAPINFOHEADER*>(Bytes.data());
    }
};

inline TAnswer Take(HGLOBAL handle) {
    TAnswer a;
    if (!handle) return a;
    a.Unlocked = handle->LockCount == 0;
    auto* p = static_cast<uint8_t*>(GlobalLock(handle));
    a.Bytes.assign(p, p + GlobalSize(handle));
    GlobalUnlock(handle);
    GlobalFree(handle);
    return a;
}

// The answer's pixels read as a DIB of the same layout.
inline TRawDib AsDib(const TAnswer& a) {
    const BITMAPINFOHEADER& h = a.Header();
    TRawDib dib(h.biWidth, h.biHeight, h.biBitCount, h.biClrUsed);
    dib.Bytes = a.Bytes;
    const size_t rows = size_t(h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight);
    dib.Bytes.resize(std::max(dib.Bytes.size(), dib.Offset() + size_t(dib.Stride()) * rows));
    return dib;
}
