#pragma once
// A decoding written by an independent tool, read at the tool's own precision, and the models
// that turn it into the pixels this program shows on purpose.

#include "test_support.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct TToolImage {
    int Width = 0;
    int Height = 0;
    int Channels = 3; // 1 grey, 2 grey and alpha, 3 colour, 4 colour and alpha (or CMYK)
    std::string TupleType;
    uint32_t MaxVal = 255;
    std::vector<uint16_t> Samples; // row by row from the top, Channels per pixel

    uint32_t Sample(int x, int y, int c) const {
        return Samples[(static_cast<size_t>(y) * Width + x) * Channels + c];
    }
    // Colour channel c (0 red, 1 green, 2 blue); grey decodings have one for all three.
    uint32_t Colour(int x, int y, int c) const { return Sample(x, y, Channels < 3 ? 0 : c); }
    bool HasAlpha() const { return Channels == 2 || (Channels == 4 && TupleType != "CMYK"); }
    // A colour channel and the alpha, scaled to 0..1.
    double Level(int x, int y, int c) const;
    double Alpha(int x, int y) const;
};

// Raw PBM, PGM, PPM (maxval up to 65535) and PAM; raises std::runtime_error otherwise.
TToolImage ReadToolImage(const std::filesystem::path& path);

// Each colour channel rounded to 8 bits; alpha is not shown.
TRefImage Rounded(const TToolImage& image);

// Turns a tool's decoding into the pixels this program shows.
using TPixelModel = std::function<TRefImage(const TToolImage&)>;

// Each channel of the rounded decoding passed through a function of 0..255.
TPixelModel PerChannel(std::function<uint8_t(uint8_t)> f);
