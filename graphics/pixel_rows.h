#pragma once
// Pixel values inside one row of a palette-format pixel block, by the rules of GetPixel and
// SetPixel, for the loops that walk whole rows.

#include "pixel_graphic.h"

inline uint32_t PGRowIndex(const uint8_t* row, uint8_t pixelFormat, int x) {
    switch (pixelFormat) {
    case pf1Bit:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case pf4Bit:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

// 1 bit: value 1 sets the bit, any other value clears it; 4 bits keep the low nibble.
inline void PGSetRowIndex(uint8_t* row, uint8_t pixelFormat, int x, uint32_t value) {
    switch (pixelFormat) {
    case pf1Bit: {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = value == 1 ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case pf4Bit: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
        break;
    }
    default:
        row[x] = static_cast<uint8_t>(value);
    }
}
