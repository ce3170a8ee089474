#pragma once
// Palettes of at most N colours that represent one image well.

#include "pixel_graphic.h"

// Gives Target a palette of at most N (0..256) colours for Source: median cut over a colour
// histogram for a 24-bit source, an octree over the used palette entries otherwise. With
// ReserveSystemColors only N - 16 colours come from the picture and the 16 system colours
// follow. Progress (one step per source row) goes to Target's events; an abort builds the
// palette from the rows counted so far. Target and Source may be the same image.
void CreateOptimalPalette(TPixelGraphic& Target, const TPixelGraphic& Source, int N,
                          bool ReserveSystemColors);
