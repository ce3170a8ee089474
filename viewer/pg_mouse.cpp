#include "pg_mouse.h"

#include "pg_image_layout.h"

#include <algorithm>
#include <cstdlib>

namespace {

int toImageX(const TPGMouseContext& c, int x) {
    return PGMapCoordinate(x, c.ImageWidth, c.BoxWidth);
}
int toImageY(const TPGMouseContext& c, int y) {
    return PGMapCoordinate(y, c.ImageHeight, c.BoxHeight);
}

bool movesSelection(TActionMode m) {
    return m == amMoveResizeCreateSelection || m == amMoveSelection ||
           m == amMoveSelectionMoveImage;
}

bool inside(const TPGMouseContext& c, int x, int y) {
    return c.Selection && c.SelectionBox.Contains(x, y);
}

bool scrolls(const TPGMouseContext& c, int x, int y) {
    return c.CanScroll &&
           (c.Mode == amMoveImage || (c.Mode == amMoveSelectionMoveImage && !inside(c, x, y)));
}

int handleAt(const TPGMouseContext& c, int x, int y) {
    if (c.Mode != amMoveResizeCreateSelection || !c.Selection) return -1;
    return PGHandleAt(c.SelectionBox, x, y);
}

bool isLeft(TDragState s) {
    return s == dsResizeTopLeft || s == dsResizeLeft || s == dsResizeBottomLeft;
}
bool isRight(TDragState s) {
    return s == dsResizeTopRight || s == dsResizeRight || s == dsResizeBottomRight;
}
bool isTop(TDragState s) {
    return s == dsResizeTopLeft || s == dsResizeTop || s == dsResizeTopRight;
}
bool isBottom(TDragState s) {
    return s == dsResizeBottomLeft || s == dsResizeBottom || s == dsResizeBottomRight;
}

TPGSelection resized(TDragState s, TPGSelection b, int ix, int iy, int ox, int oy) {
    if (isLeft(s)) {
        const int left = std::min(ix - ox, b.Left + b.Width - 1);
        b.Width += b.Left - left, b.Left = left;
    } else if (isRight(s)) {
        b.Width = std::max(ix - ox, 1);
    }
    if (isTop(s)) {
        const int top = std::min(iy - oy, b.Top + b.Height - 1);
        b.Height += b.Top - top, b.Top = top;
    } else if (isBottom(s)) {
        b.Height = std::max(iy - oy, 1);
    }
    return b;
}

} // namespace

TPGMouseResult TPGMouseMachine::Press(const TPGMouseContext& c, int x, int y) {
    TPGMouseResult r;
    const int ix = toImageX(c, x), iy = toImageY(c, y);
    const int handle = handleAt(c, x, y);
    if (movesSelection(c.Mode) && inside(c, x, y)) {
        FState = dsMoveSelection;
        FOffsetX = ix - c.Bounds.Left, FOffsetY = iy - c.Bounds.Top;
    } else if (scrolls(c, x, y)) {
        FState = dsScroll;
        FPressX = x, FPressY = y;
    } else if (handle >= 0) {
        FState = static_cast<TDragState>(dsResizeTopLeft + handle);
        FOffsetX = isLeft(FState) ? ix - c.Bounds.Left : isRight(FState) ? ix - c.Bounds.Width : 0;
        FOffsetY = isTop(FState) ? iy - c.Bounds.Top : isBottom(FState) ? iy - c.Bounds.Height : 0;
    } else if (c.Mode == amMoveResizeCreateSelection || c.Mode == amCreateSelection) {
        FState = dsCreateSelection;
        FAnchorX = ix, FAnchorY = iy;
        r.TurnSelectionOn = true;
        r.SelectionChanged = true;
        r.Bounds = {ix, iy, 1, 1};
    }
    return r;
}

TPGMouseResult TPGMouseMachine::Move(const TPGMouseContext& c, int x, int y) {
    TPGMouseResult r;
    const int ix = toImageX(c, x), iy = toImageY(c, y);
    TPGSelection b = c.Bounds;
    switch (FState) {
    case dsNone:
        return r;
    case dsScroll:
        r.ScrollDX = FPressX - x, r.ScrollDY = FPressY - y;
        return r;
    case dsMoveSelection:
        // At least one pixel of the selection stays on the picture.
        b.Top = std::min(std::max(iy - FOffsetY, 1 - b.Height), c.ImageHeight - 1);
        b.Left = std::min(std::max(ix - FOffsetX, 1 - b.Width), c.ImageWidth - 1);
        break;
    case dsCreateSelection:
        b = {std::min(FAnchorX, ix), std::min(FAnchorY, iy), std::abs(ix - FAnchorX) + 1,
             std::abs(iy - FAnchorY) + 1};
        break;
    default:
        b = resized(FState, b, ix, iy, FOffsetX, FOffsetY);
        break;
    }
    r.SelectionChanged = true;
    r.Bounds = b;
    return r;
}

void TPGMouseMachine::Scrolled(int x, int y, int dx, int dy) {
    FPressX = x + dx, FPressY = y + dy;
}

bool TPGMouseMachine::Release() {
    const bool made = FState != dsNone && FState != dsScroll;
    FState = dsNone;
    return made;
}

TPGCursorKind PGCursorFor(const TPGMouseContext& c, TDragState state, int x, int y) {
    static constexpr TPGCursorKind handleCursors[8] = {
        ckSizeNWSE, ckSizeNS, ckSizeNESW, ckSizeWE, ckSizeWE, ckSizeNESW, ckSizeNS, ckSizeNWSE};
    TPGCursorKind kind = ckDefault;
    if ((c.Mode == amMoveImage || c.Mode == amMoveSelectionMoveImage) && c.CanScroll)
        kind = state == dsScroll ? ckGrab : ckHand;
    if (c.Mode == amMoveResizeCreateSelection || c.Mode == amCreateSelection) kind = ckCross;
    if (movesSelection(c.Mode) && inside(c, x, y)) kind = ckMove;
    if (const int handle = handleAt(c, x, y); handle >= 0) kind = handleCursors[handle];
    return kind;
}

bool TPGAutoDrag::Press(TDragMode mode, int x, int y) {
    FArmed = mode == dmAutomatic;
    FPressX = x, FPressY = y;
    return FArmed;
}

bool TPGAutoDrag::Move(int x, int y, bool buttonHeld, int startDistance) {
    if (!FArmed) return false;
    if (buttonHeld && std::abs(x - FPressX) + std::abs(y - FPressY) < startDistance) return false;
    FArmed = false;
    return buttonHeld;
}

TPGScrollPos PGAutoScrollStep(int x, int y, int clientW, int clientH, TPGScrollPos pos,
                              TPGScrollPos max) {
    constexpr int step = 5;
    if (x < 0) pos.X = std::max(0, pos.X - step);
    if (y < 0) pos.Y = std::max(0, pos.Y - step);
    if (x >= clientW && pos.X < max.X) pos.X = std::min(pos.X + step, max.X);
    if (y >= clientH && pos.Y < max.Y) pos.Y = std::min(pos.Y + step, max.Y);
    return pos;
}
