#pragma once
// Removal of vertical streaks a scanner leaves: a colour pass for streaks in one channel, then
// a brightness pass for light columns. flags: 1 skips the colour pass, 2 and 4 choose its
// window, 8 skips the brightness pass.

#include "dib_block.h"

HGLOBAL DestreakImage(HGLOBAL handle, int32_t flags, int32_t* err);
