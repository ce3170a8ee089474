#pragma once
// Geometry of the picture control without widgets: automatic size, arrangement of the picture
// box, coordinate mapping, tiles, progress clocks, selection handles and the ants pattern.

#include "pg_image_types.h"

#include <array>
#include <vector>

// Size the control wants for an image of imageW x imageH inside a border of the given width.
struct TPGAutoSizeLimits {
    int MinWidth = 0, MaxWidth = 2147483647, MinHeight = 0, MaxHeight = 2147483647;
};
void PGAutoSize(int imageW, int imageH, int border, const TPGAutoSizeLimits& limits,
                TPGScrollBarSize bars, int& width, int& height);

// Displayed size, uniform zoom (-1 when the sides are scaled independently), and the offset of
// the picture box with the scroll bars centring counted.
struct TPGArrangement {
    int Width = 0, Height = 0;
    long double Zoom = 1.0L;
    int X = 0, Y = 0;
    bool HorzBar = false, VertBar = false;
};
struct TPGArrangeInput {
    int ImageWidth = 0, ImageHeight = 0;
    int ControlWidth = 0, ControlHeight = 0, Border = 0;
    TStretch Stretch = sNeverKAR;
    long double ZoomFactor = 1.0L;
    bool Center = false;
    TPGScrollBarSize Bars;
};
TPGArrangement PGArrange(const TPGArrangeInput& in);

// v × to div from with truncation; 0 when from <= 0.
int PGMapCoordinate(int v, int to, int from);

// Tile columns I0..I1 and rows J0..J1 around the picture box (all 0 without tiling).
struct TPGTileRange {
    int I0 = 0, I1 = 0, J0 = 0, J1 = 0;
};
TPGTileRange PGTileRange(TTiling tiling, const TPGRect& box, int clientW, int clientH);
TPGRect PGTileRect(const TPGRect& box, int i, int j);
bool PGTileMirrorX(TTiling tiling, bool flipHorizontal, int i);
bool PGTileMirrorY(TTiling tiling, bool flipVertical, int j);

// Progress clocks: top-left corners of the 15 x 15 dials and the ends of the hands.
std::vector<std::array<int, 2>> PGClockPositions(const TPGRect& box, bool fiveClocks);
struct TPGClockHands {
    int CenterX = 0, CenterY = 0, HourX = 0, HourY = 0, MinuteX = 0, MinuteY = 0;
};
TPGClockHands PGClockHands(int x, int y, int stage, int percent);

// The eight 5 x 5 handles around a selection in picture-box pixels, in the order top-left, top,
// top-right, left, right, bottom-left, bottom, bottom-right.
std::array<TPGRect, 8> PGHandleRects(const TPGRect& selection);
// Index 0..7 of the first handle containing (x, y), or -1.
int PGHandleAt(const TPGRect& selection, int x, int y);

// Ants brush k (0..7), pixel (x, y) of its 8 x 8 pattern: true for the second colour.
bool PGAntsSecondColor(int k, int x, int y);
// Brush of the frame at selection corner (left, top) in phase 0..7.
int PGAntsBrush(int phase, int left, int top);
