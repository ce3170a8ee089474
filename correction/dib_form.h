#pragma once
// The one picture form red-eye correction reads: an uncompressed 24-bit packed DIB. Every size
// is taken from the header's width and height, never from biSizeImage.

#include "clarend.h"

#include <stdint.h>

// The rows of a checked picture: Height rows of Stride bytes, the bottom row first.
struct TDibRows {
    uint8_t* Bits = nullptr;
    int64_t Width = 0, Height = 0, Stride = 0;
};

// For a pointer to the header with the rows right after it (no colour table); false for a
// form the library does not read.
bool PointerDibRows(BITMAPINFOHEADER* header, TDibRows& rows);
// For a block of size bytes holding header, colour table and rows, all inside the block.
bool BlockDibRows(void* block, uint64_t size, TDibRows& rows);
