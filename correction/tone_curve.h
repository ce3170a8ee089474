#pragma once
// Brightness, contrast and gamma through one 256-entry table.

#include "dib_block.h"

// The table of the curve: gamma bends the input, then a cubic through (0, 0) and (1, 255)
// puts the mid-tone at 255 x m with slope k there.
void ToneTable(int32_t brightness, int32_t contrast, double gamma, uint8_t table[256]);

HGLOBAL BrightContrastGamma(HGLOBAL handle, int32_t brightness, int32_t contrast, double gamma,
                            int32_t* err);
