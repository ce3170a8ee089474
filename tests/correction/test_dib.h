#pragma once
// Packed 24-bit DIBs built in code for the correction library's tests, addressed from the
// top-left corner as the library's rectangles are.

#include "clarend.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

struct TRgb {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TRgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TRgb& c) {
    return out << "(" << int(c.R) << ", " << int(c.G) << ", " << int(c.B) << ")";
}

// Header, TableEntries colour-table entries, rows, then a guard of bytes that must never change.
class TTestDib {
public:
    static constexpr size_t Guard = 64;

    TTestDib(int width, int height, TRgb fill, uint32_t tableEntries = 0)
        : FWidth(width), FHeight(height), FTable(tableEntries), FStride((width * 3 + 3) / 4 * 4),
          FBytes(PixelOffset() + size_t(FStride) * height + Guard, 0xA5) {
        BITMAPINFOHEADER h{};
        h.biSize = 40;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = 24;
        h.biClrUsed = tableEntries;
        std::memcpy(FBytes.data(), &h, sizeof h);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, fill);
    }

    size_t PixelOffset() const { return 40 + 4 * size_t(FTable); }
    // Header and rows without the guard: what a caller's block holds.
    size_t DibSize() const { return FBytes.size() - Guard; }
    BITMAPINFOHEADER* Header() { return reinterpret_cast<BITMAPINFOHEADER*>(FBytes.data()); }
    std::vector<uint8_t>& Bytes() { return FBytes; }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    void Set(int x, int y, TRgb c) {
        uint8_t* p = at(x, y);
        p[0] = c.B;
        p[1] = c.G;
        p[2] = c.R;
    }
    TRgb At(int x, int y) const {
        const uint8_t* p = const_cast<TTestDib*>(this)->at(x, y);
        return {p[2], p[1], p[0]};
    }
    // Pixel coordinates where this and other differ.
    std::vector<std::pair<int, int>> ChangedPixels(const TTestDib& other) const {
        std::vector<std::pair<int, int>> changed;
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth; ++x)
                if (!(At(x, y) == other.At(x, y))) changed.emplace_back(x, y);
        return changed;
    }

private:
    uint8_t* at(int x, int y) {
        return FBytes.data() + PixelOffset() + size_t(FHeight - 1 - y) * FStride + size_t(x) * 3;
    }

    int FWidth, FHeight;
    uint32_t FTable;
    int FStride;
    std::vector<uint8_t> FBytes;
};

// The DIB copied into a memory block of the library's kind; freed with the object.
class TTestHandle {
public:
    explicit TTestHandle(const TTestDib& dib, size_t size = 0)
        : FHandle(GlobalAlloc(size ? size : dib.DibSize())) {
        void* p = GlobalLock(FHandle);
        std::memcpy(p, dib.Bytes().data(), std::min(GlobalSize(FHandle), dib.DibSize()));
        GlobalUnlock(FHandle);
    }
    ~TTestHandle() { GlobalFree(FHandle); }
    TTestHandle(const TTestHandle&) = delete;
    TTestHandle& operator=(const TTestHandle&) = delete;
    HGLOBAL Get() const { return FHandle; }
    // The block's bytes back into a DIB of the same form.
    void CopyTo(TTestDib& dib) const {
        void* p = GlobalLock(FHandle);
        std::memcpy(dib.Bytes().data(), p, std::min(GlobalSize(FHandle), dib.DibSize()));
        GlobalUnlock(FHandle);
    }

private:
    HGLOBAL FHandle;
};

// An eye drawn in a square picture of side size: skin, a white ring and a red pupil of radius
// size/7 at the centre.
TTestDib DrawnEye(int size);
inline constexpr TRgb Skin{205, 150, 120}, White{235, 235, 235}, Pupil{200, 40, 30};
