#pragma once
// Enumerations and small value types of the picture control; the numeric values are stored
// with forms and settings, so the order is fixed.

#include "pixel_graphic.h"

#include <cstdint>

enum TActionMode : uint8_t {
    amMoveImage,
    amMoveResizeCreateSelection,
    amMoveSelection,
    amMoveSelectionMoveImage,
    amCreateSelection,
    amNone
};

enum TStretch : uint8_t {
    sNeverKAR,
    sAlways,
    sAlwaysKAR,
    sShrink,
    sShrinkKAR,
    sEnlarge,
    sEnlargeKAR,
    sAlwaysLongerEdgeKAR,
    sShrinkLongerEdgeKAR,
    sEnlargeShrinkLongerEdgeKAR,
    sEnlargeLongerEdgeKAR,
    sZoomKAR
};

enum TTiling : uint8_t { tNone, tRepeat, tMirrorHorizontal, tMirrorVertical, tMirror };

// Subranges of TPaletteIdent: pBlackWhite .. pOptimized252Sys16 and pBlackWhite .. pSource.
using TPalette8BitSys24BitGraphic = TPaletteIdent;
using TPalette8BitSys8BitGraphic = TPaletteIdent;

// What the current left-button drag does.
enum TDragState : uint8_t {
    dsNone,
    dsScroll,
    dsMoveSelection,
    dsCreateSelection,
    dsResizeTopLeft,
    dsResizeTop,
    dsResizeTopRight,
    dsResizeLeft,
    dsResizeRight,
    dsResizeBottomLeft,
    dsResizeBottom,
    dsResizeBottomRight
};

// Whether a left-button drag of a control starts dragging and dropping by itself or only when
// the program asks for it.
enum TDragMode : uint8_t { dmManual, dmAutomatic };

// Half-open rectangle: Left <= x < Right, Top <= y < Bottom.
struct TPGRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TPGRect&) const = default;
};

// Selection in image pixels.
struct TPGSelection {
    int Left = 0, Top = 0, Width = 1, Height = 1;
    bool operator==(const TPGSelection&) const = default;
};

// Sizes the control takes from the desktop: the width of a vertical and the height of a
// horizontal scroll bar.
struct TPGScrollBarSize {
    int VScrollWidth = 16, HScrollHeight = 16;
};
