#pragma once
// The 3x3 convolution family: the core over two row buffers and the two picture exports.

#include "dib_block.h"

struct TWeights {
    int32_t Corner, Edge, Centre, Divisor;
};

// Writes nothing for a width under 3, no rows, a stride too short for the width or a divisor
// of 0; the first and last pixel of each row are copies and padding is left alone.
void Filter3x3(const uint8_t* source, uint8_t* destination, int64_t width, int64_t height,
               int64_t stride, const TWeights& w);

TWeights UnsharpWeights(int32_t type);
TWeights PtrFilterWeights(int32_t type);

HGLOBAL UnsharpMask(HGLOBAL handle, int32_t type, int32_t* err);
BITMAPINFOHEADER* PtrFilter(BITMAPINFOHEADER* header, int32_t type, int32_t* err);
