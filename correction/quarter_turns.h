#pragma once
// Lossless quarter turns and flips of 4-, 8-, 16- and 24-bit pictures. Bits 1 and 2 of the mode
// give the turn, bit 0 a flip of the stored rows after it; the other bits are ignored.

#include "dib_block.h"

HGLOBAL RotateDib(HGLOBAL handle, int32_t mode, int32_t* err);
