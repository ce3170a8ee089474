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

// Automatic dragging: a left press arms it, and the first move at least the desktop's start
// distance away from the press (measured as |dx| + |dy|) starts the drag, once.
class TPGAutoDrag {
public:
    // True when automatic dragging takes the press; the selection machine then stays out.
    bool Press(TDragMode mode, int x, int y);
    // True when this move starts the drag. A move without the button held disarms: its
    // release went elsewhere.
    bool Move(int x, int y, bool buttonHeld, int startDistance);
    void Release() { FArmed = false; }
    bool Armed() const { return FArmed; }

private:
    bool FArmed = false;
    int FPressX = 0, FPressY = 0;
};

// Scroll positions after one auto-scroll step while a drag holds the pointer at (x, y) outside
// a client area of clientW x clientH: 5 pixels towards the pointer, within 0 .. max.
struct TPGScrollPos {
    int X = 0, Y = 0;
    bool operator==(const TPGScrollPos&) const = default;
};
TPGScrollPos PGAutoScrollStep(int x, int y, int clientW, int clientH, TPGScrollPos pos,
                              TPGScrollPos max);
