#pragma once
// Scans drawn in code: dark boxes on a white page turned by a known angle, and where a levelled
// line's edge lies in the answer.

#include "raw_dib.h"

#include <algorithm>
#include <cmath>
#include <vector>

struct TBox {
    double X0, Y0, X1, Y1; // page coordinates from the top-left corner
};

// A white scan of width x height with dark boxes on it, turned by degrees clockwise about the
// centre; no smoothing, so edges are exact staircases.
inline TRawDib drawnScan(int width, int height, double degrees, const std::vector<TBox>& boxes) {
    TRawDib dib(width, height, 24);
    const double t = degrees * M_PI / 180, c = std::cos(t), s = std::sin(t);
    const double cx = width / 2.0, cy = height / 2.0;
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            // Undo the turn: the page point that lands on this pixel.
            const double dx = x + 0.5 - cx, dy = row + 0.5 - cy;
            const double px = c * dx + s * dy + cx, py = -s * dx + c * dy + cy;
            bool dark = false;
            for (const TBox& b : boxes) dark |= px >= b.X0 && px < b.X1 && py >= b.Y0 && py < b.Y1;
            dib.Set(x, height - 1 - row, dark ? 0x404040 : 0xFFFFFF);
        }
    return dib;
}

// Page boxes of a 1000 x 1250 scan: a frame drawn as four bars and three text lines. Sides of
// this length give the slope histogram a sharp peak; much shorter ones leave it too flat to
// trust, and the page is then only cropped.
inline constexpr int PageWidth = 1000, PageHeight = 1250;
inline std::vector<TBox> page() {
    return {{100, 100, 900, 110},  {100, 1140, 900, 1150}, {100, 100, 110, 1150},
            {890, 100, 900, 1150}, {200, 250, 800, 275},   {200, 350, 750, 375},
            {200, 450, 775, 475}};
}

// Where the first dark line from startRow begins in each column of the answer, to a fraction of
// a row: the white (255) seen before the line's grey (64) is reached, a partly covered row
// counting by its share.
inline std::vector<double> edgeRows(const TRawDib& out, int from, int to, int startRow) {
    std::vector<double> rows;
    for (int x = from; x < to; ++x) {
        double white = 0;
        for (int y = startRow; y < out.Height; ++y) {
            const int v = int(out.Get(x, out.Height - 1 - y) & 0xFF);
            if (v <= 70) break;
            white += std::min(1.0, (v - 64) / 191.0);
        }
        rows.push_back(white);
    }
    return rows;
}

// The least-squares slope of values over their indices: rows per column for edgeRows.
inline double FittedSlope(const std::vector<double>& v) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        sx += double(i);
        sy += v[i];
        sxx += double(i) * double(i);
        sxy += double(i) * v[i];
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}
