#pragma once
// Fixed tables behind the nearest-colour rules of the predefined palettes.

#include <array>
#include <cstdint>
#include <span>

// Candidate entries of the 16 system colours for each cell of (red, green, blue) >> 6,
// cell = R2 * 16 + G2 * 4 + B2.
using TPGSys16Cell = std::array<uint8_t, 3>;
extern const std::array<TPGSys16Cell, 64> PGSys16Cells;

// Index of the 236-grey palette nearest to brightness / 3, for brightness 0..765.
const std::array<uint8_t, 766>& PGGray236Map();

// The 252-colour palette's entries, in index order, that can be nearest to some colour of the
// colour's cell of a 9 x 9 x 9 grid, cell = ((v + 16) >> 5) per channel.
std::span<const uint8_t> PGSpecial252Candidates(uint32_t color);
