#pragma once
// Left-button interaction with the picture box, without widgets: which drag a press starts,
// what a move does to the selection or the scroll position, and the cursor to show.

#include "pg_image_types.h"

// What the press rules and moves need to know about the control at that moment. Points are in
// picture-box pixels; SelectionBox is the selection in picture-box pixels.
struct TPGMouseContext {
    TActionMode Mode = amMoveImage;
    bool Selection = false;
    TPGSelection Bounds;
    TPGRect SelectionBox;
    bool CanScroll = false;
    int ImageWidth = 0, ImageHeight = 0, BoxWidth = 0, BoxHeight = 0;
};

struct TPGMouseResult {
    bool SelectionChanged = false;
    TPGSelection Bounds; // the new selection when changed
    bool TurnSelectionOn = false;
    int ScrollDX = 0, ScrollDY = 0; // wanted change of the scroll positions
};

class TPGMouseMachine {
public:
    TDragState State() const { return FState; }
    TPGMouseResult Press(const TPGMouseContext& c, int x, int y);
    TPGMouseResult Move(const TPGMouseContext& c, int x, int y);
    // The scroll positions changed by (dx, dy) after a scrolling move to (x, y).
    void Scrolled(int x, int y, int dx, int dy);
    // Ends the drag; answers true when it made a selection (OnSelectionMade).
    bool Release();

private:
    TDragState FState = dsNone;
    int FPressX = 0, FPressY = 0;   // scrolling: the remembered point
    int FOffsetX = 0, FOffsetY = 0; // selection: press offsets in image pixels
    int FAnchorX = 0, FAnchorY = 0; // creation: the anchor corner
};

enum TPGCursorKind : uint8_t {
    ckDefault,
    ckHand,
    ckGrab,
    ckCross,
    ckMove,
    ckSizeNS,
    ckSizeWE,
    ckSizeNWSE,
    ckSizeNESW
};

// Cursor over the picture box at (x, y) while the machine is in the given state.
TPGCursorKind PGCursorFor(const TPGMouseContext& c, TDragState state, int x, int y);
