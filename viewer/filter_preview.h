#pragma once
// The small picture an effect dialog previews on, without Qt: the whole picture fitted into the
// preview box, or for the kernels a 1:1 crop from its centre.

#include "pixel_graphic.h"

#include <memory>

struct TPreviewSize {
    int Width = 0, Height = 0;
    bool operator==(const TPreviewSize&) const = default;
};

// The picture's size when it fits the box, else fitted keeping the aspect ratio: the longer
// relative side fills the box, the other is rounded but never below 1.
TPreviewSize PGPreviewSize(int Width, int Height, int BoxWidth, int BoxHeight);

// A 24-bit preview source of the picture at PGPreviewSize, or with Crop the box's size (at most
// the picture's) cut from its centre at full size. Empty for an empty picture.
std::unique_ptr<TPixelGraphic> PGMakePreviewSource(const TPixelGraphic& Picture, int BoxWidth,
                                                   int BoxHeight, bool Crop);
