#include "pg_mouse.h"

#include <gtest/gtest.h>

namespace {

// A 100 x 50 picture shown at 200 x 100, selection (10, 10, 20, 10) = box (20, 20)-(60, 40).
TPGMouseContext context(TActionMode mode, bool selection = true, bool canScroll = false) {
    TPGMouseContext c;
    c.Mode = mode, c.Selection = selection, c.CanScroll = canScroll;
    c.Bounds = {10, 10, 20, 10};
    c.SelectionBox = {20, 20, 60, 40};
    c.ImageWidth = 100, c.ImageHeight = 50, c.BoxWidth = 200, c.BoxHeight = 100;
    return c;
}

// Drives a drag and feeds every selection change back into the context.
struct Drag {
    TPGMouseContext C;
    TPGMouseMachine M;
    void Press(int x, int y) { apply(M.Press(C, x, y)); }
    void Move(int x, int y) { apply(M.Move(C, x, y)); }
    void apply(const TPGMouseResult& r) {
        if (r.TurnSelectionOn) C.Selection = true;
        if (r.SelectionChanged) C.Bounds = r.Bounds;
    }
};

} // namespace

TEST(Mouse, PressRulesPickTheDrag) {
    struct Case {
        const char* Name;
        TActionMode Mode;
        bool Selection, CanScroll;
        int X, Y;
        TDragState State;
    } cases[] = {
        {"inside moves", amMoveResizeCreateSelection, true, false, 30, 30, dsMoveSelection},
        {"handle resizes", amMoveResizeCreateSelection, true, false, 65, 30, dsResizeRight},
        {"corner handle", amMoveResizeCreateSelection, true, false, 14, 14, dsResizeTopLeft},
        {"bottom handle", amMoveResizeCreateSelection, true, false, 40, 44, dsResizeBottom},
        {"elsewhere creates", amMoveResizeCreateSelection, true, false, 150, 80, dsCreateSelection},
        {"handles only with a selection", amMoveResizeCreateSelection, false, false, 65, 30,
         dsCreateSelection},
        {"move-only outside does nothing", amMoveSelection, true, false, 150, 80, dsNone},
        {"move-only inside moves", amMoveSelection, true, false, 30, 30, dsMoveSelection},
        {"create-only inside starts anew", amCreateSelection, true, false, 30, 30,
         dsCreateSelection},
        {"create-only has no handles", amCreateSelection, true, false, 65, 30, dsCreateSelection},
        {"image scrolls", amMoveImage, true, true, 30, 30, dsScroll},
        {"image that cannot scroll", amMoveImage, true, false, 30, 30, dsNone},
        {"combined mode inside moves", amMoveSelectionMoveImage, true, true, 30, 30,
         dsMoveSelection},
        {"combined mode outside scrolls", amMoveSelectionMoveImage, true, true, 150, 80, dsScroll},
        {"no action", amNone, true, true, 30, 30, dsNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPGMouseMachine m;
        m.Press(context(c.Mode, c.Selection, c.CanScroll), c.X, c.Y);
        EXPECT_EQ(m.State(), c.State);
    }
}

TEST(Mouse, CreateSpansAnchorAndPointUnclipped) {
    Drag d{context(amCreateSelection, false), {}};
    d.Press(20, 10);
    EXPECT_TRUE(d.C.Selection);
    EXPECT_EQ(d.C.Bounds, (TPGSelection{10, 5, 1, 1}));
    d.Move(4, 2);
    EXPECT_EQ(d.C.Bounds, (TPGSelection{2, 1, 9, 5}));
    d.Move(260, 120); // past the picture's edge
    EXPECT_EQ(d.C.Bounds, (TPGSelection{10, 5, 121, 56}));
    EXPECT_TRUE(d.M.Release());
    EXPECT_EQ(d.M.State(), dsNone);
}

TEST(Mouse, MovedSelectionKeepsAPixelOnThePicture) {
    Drag d{context(amMoveSelection), {}};
    d.Press(30, 30); // image (15, 15): offsets 5, 5
    d.Move(0, 0);
    EXPECT_EQ(d.C.Bounds, (TPGSelection{-5, -5, 20, 10}));
    d.Move(-400, -400);
    EXPECT_EQ(d.C.Bounds, (TPGSelection{-19, -9, 20, 10}));
    d.Move(1000, 1000);
    EXPECT_EQ(d.C.Bounds, (TPGSelection{99, 49, 20, 10}));
}

TEST(Mouse, ResizingNeverGoesBelowOnePixel) {
    Drag right{context(amMoveResizeCreateSelection), {}};
    right.Press(65, 30); // image x 32: offset 12 from the width
    right.Move(100, 30);
    EXPECT_EQ(right.C.Bounds, (TPGSelection{10, 10, 38, 10}));
    right.Move(0, 90); // only the width changes
    EXPECT_EQ(right.C.Bounds, (TPGSelection{10, 10, 1, 10}));

    Drag left{context(amMoveResizeCreateSelection), {}};
    left.Press(14, 30); // image x 7: offset -3 from the left edge
    left.Move(0, 30);
    EXPECT_EQ(left.C.Bounds, (TPGSelection{3, 10, 27, 10}));
    left.Move(100, 30); // the left edge stops one pixel before the right one
    EXPECT_EQ(left.C.Bounds, (TPGSelection{29, 10, 1, 10}));

    Drag corner{context(amMoveResizeCreateSelection), {}};
    corner.Press(14, 14);
    corner.Move(0, 0);
    EXPECT_EQ(corner.C.Bounds, (TPGSelection{3, 3, 27, 17}));

    Drag bottom{context(amMoveResizeCreateSelection), {}};
    bottom.Press(40, 44); // image y 22: offset 12 from the height
    bottom.Move(0, 0);
    EXPECT_EQ(bottom.C.Bounds, (TPGSelection{10, 10, 20, 1}));
    EXPECT_TRUE(bottom.M.Release());
}

TEST(Mouse, ScrollingFollowsThePointer) {
    TPGMouseMachine m;
    const TPGMouseContext c = context(amMoveImage, false, true);
    m.Press(c, 50, 50);
    TPGMouseResult r = m.Move(c, 40, 45);
    EXPECT_EQ(r.ScrollDX, 10);
    EXPECT_EQ(r.ScrollDY, 5);
    EXPECT_FALSE(r.SelectionChanged);
    // Only 4 columns and no rows could scroll: the box moved under the pointer by that much.
    m.Scrolled(40, 45, 4, 0);
    r = m.Move(c, 44, 45);
    EXPECT_EQ(r.ScrollDX, 0);
    EXPECT_EQ(r.ScrollDY, 0);
    EXPECT_FALSE(m.Release()); // scrolling makes no selection
}

TEST(Mouse, Cursors) {
    struct Case {
        const char* Name;
        TActionMode Mode;
        bool CanScroll;
        TDragState State;
        int X, Y;
        TPGCursorKind Kind;
    } cases[] = {
        {"hand over a scrollable picture", amMoveImage, true, dsNone, 100, 80, ckHand},
        {"grab while scrolling", amMoveImage, true, dsScroll, 100, 80, ckGrab},
        {"default when nothing scrolls", amMoveImage, false, dsNone, 100, 80, ckDefault},
        {"cross for creating", amCreateSelection, false, dsNone, 100, 80, ckCross},
        {"create-only shows no move", amCreateSelection, false, dsNone, 30, 30, ckCross},
        {"move inside", amMoveResizeCreateSelection, false, dsNone, 30, 30, ckMove},
        {"combined mode inside", amMoveSelectionMoveImage, true, dsNone, 30, 30, ckMove},
        {"combined mode outside", amMoveSelectionMoveImage, true, dsNone, 100, 80, ckHand},
        {"top-left handle", amMoveResizeCreateSelection, false, dsNone, 14, 14, ckSizeNWSE},
        {"top handle", amMoveResizeCreateSelection, false, dsNone, 40, 14, ckSizeNS},
        {"top-right handle", amMoveResizeCreateSelection, false, dsNone, 65, 14, ckSizeNESW},
        {"right handle", amMoveResizeCreateSelection, false, dsNone, 65, 30, ckSizeWE},
        {"bottom-left handle", amMoveResizeCreateSelection, false, dsNone, 14, 45, ckSizeNESW},
        {"move-only has no handles", amMoveSelection, false, dsNone, 65, 30, ckDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PGCursorFor(context(c.Mode, true, c.CanScroll), c.State, c.X, c.Y), c.Kind);
    }
}

TEST(Mouse, AutomaticDragStartsWhenThePointerHasMovedFarEnough) {
    // Pressed at (10, 10); the start distance is 10, counted as |dx| + |dy|.
    struct Case {
        const char* Name;
        TDragMode Mode;
        int X, Y;
        bool Held, Starts;
    } cases[] = {
        {"manual never drags", dmManual, 60, 60, true, false},
        {"short move", dmAutomatic, 13, 12, true, false},
        {"one pixel short over both axes", dmAutomatic, 16, 13, true, false},
        {"both axes add up to the distance", dmAutomatic, 16, 14, true, true},
        {"up and to the left", dmAutomatic, 10, 0, true, true},
        {"button no longer held", dmAutomatic, 60, 60, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPGAutoDrag d;
        EXPECT_EQ(d.Press(c.Mode, 10, 10), c.Mode == dmAutomatic);
        EXPECT_EQ(d.Move(c.X, c.Y, c.Held, 10), c.Starts);
    }
}

TEST(Mouse, AutomaticDragStartsOncePerPress) {
    TPGAutoDrag d;
    d.Press(dmAutomatic, 0, 0);
    EXPECT_FALSE(d.Move(3, 0, true, 10));
    EXPECT_TRUE(d.Move(30, 0, true, 10));
    EXPECT_FALSE(d.Move(60, 0, true, 10)); // the drag has started already
    EXPECT_FALSE(d.Armed());

    d.Press(dmAutomatic, 0, 0);
    d.Release(); // a click: nothing to drag afterwards
    EXPECT_FALSE(d.Move(30, 0, true, 10));

    // A move without the button means the release went elsewhere; holding it again later does
    // not revive the old press.
    d.Press(dmAutomatic, 0, 0);
    EXPECT_FALSE(d.Move(1, 0, false, 10));
    EXPECT_FALSE(d.Move(30, 0, true, 10));
}

TEST(Mouse, AutoScrollStepsFivePixelsWithinTheRange) {
    // A 100 x 80 client area; the positions may go from 0 to (50, 40).
    struct Case {
        const char* Name;
        int X, Y;
        TPGScrollPos From, To;
    } cases[] = {
        {"inside: nothing", 50, 40, {20, 20}, {20, 20}},
        {"on the last column and row: nothing", 99, 79, {20, 20}, {20, 20}},
        {"left", -1, 40, {20, 20}, {15, 20}},
        {"left stops at 0", -30, 40, {3, 20}, {0, 20}},
        {"left at 0 stays", -1, 40, {0, 20}, {0, 20}},
        {"above", 50, -1, {20, 20}, {20, 15}},
        {"at the right edge", 100, 40, {20, 20}, {25, 20}},
        {"right stops at the end", 150, 40, {48, 20}, {50, 20}},
        {"right at the end stays", 150, 40, {50, 20}, {50, 20}},
        {"at the bottom edge", 50, 80, {20, 20}, {20, 25}},
        {"bottom stops at the end", 50, 90, {20, 38}, {20, 40}},
        {"below and left at once", -5, 90, {20, 20}, {15, 25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PGAutoScrollStep(c.X, c.Y, 100, 80, c.From, {50, 40}), c.To);
    }
}
