// The rules of the edit dialogs, driven without widgets.

#include "dlg_crop.h"
#include "dlg_jpeg.h"
#include "dlg_resize.h"
#include "dlg_rotate.h"
#include "dlg_zoom.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Printed by the failure messages; the types live in the global namespace.
void PrintTo(const TCropMargins& m, std::ostream* out) {
    *out << "top " << m.Top << ", left " << m.Left << ", right " << m.Right << ", bottom "
         << m.Bottom;
}

void PrintTo(const TPGSelection& s, std::ostream* out) {
    *out << s.Left << "," << s.Top << " " << s.Width << " x " << s.Height;
}

namespace {

struct TQualityCase {
    const char* Why;
    std::function<void(TJPEGQualityModel&)> Act;
    int Position;
    QString Text;
};

TEST(JPEGQualityModel, KeepsBoxAndTrackInStep) {
    const std::vector<TQualityCase> cases = {
        {"the track writes the box", [](auto& m) { m.TrackMoved(42); }, 42, "42"},
        {"a number moves the track", [](auto& m) { m.TextChanged("60"); }, 60, "60"},
        {"letters put the track at 75", [](auto& m) { m.TextChanged("ab"); }, 75, "ab"},
        {"an empty box puts the track at 75", [](auto& m) { m.TextChanged(""); }, 75, ""},
        {"0 stops at the track's start", [](auto& m) { m.TextChanged("0"); }, 1, "0"},
        {"150 stops at the track's end", [](auto& m) { m.TextChanged("150"); }, 100, "150"},
        {"Enter after letters shows 75",
         [](auto& m) {
             m.TextChanged("xyz");
             m.EnterPressed();
         },
         75, "75"},
        {"Enter after 150 shows what will be used",
         [](auto& m) {
             m.TextChanged("150");
             m.EnterPressed();
         },
         100, "100"},
        {"Enter after a number in range keeps it",
         [](auto& m) {
             m.TextChanged("33");
             m.EnterPressed();
         },
         33, "33"},
    };
    for (const TQualityCase& c : cases) {
        SCOPED_TRACE(c.Why);
        TJPEGQualityModel model(85);
        c.Act(model);
        EXPECT_EQ(model.Position(), c.Position);
        EXPECT_EQ(model.Text(), c.Text);
    }
}

struct TResizeSizes {
    int WidthPixels, HeightPixels, WidthPercent, HeightPercent;
    bool operator==(const TResizeSizes&) const = default;
};

void PrintTo(const TResizeSizes& s, std::ostream* out) {
    *out << s.WidthPixels << " x " << s.HeightPixels << " px, " << s.WidthPercent << " % x "
         << s.HeightPercent << " %";
}

TResizeSizes sizesOf(const TResizeModel& m) {
    return {m.WidthPixels(), m.HeightPixels(), m.WidthPercent(), m.HeightPercent()};
}

struct TResizeCase {
    const char* Why;
    int W, H;
    std::function<void(TResizeModel&)> Act;
    TResizeSizes After;
    bool Resize;
};

TEST(ResizeModel, FeedsTheFourBoxes) {
    const std::vector<TResizeCase> cases = {
        {"width 333 of 1000 gives 33 % and 247",
         1000,
         750,
         [](auto& m) { m.SetWidthPixels(333); },
         {333, 247, 33, 33},
         true},
        {"width 1005 gives 100 % and no resize",
         1000,
         750,
         [](auto& m) { m.SetWidthPixels(1005); },
         {1005, 750, 100, 100},
         false},
        {"a height percentage moves the width",
         1000,
         750,
         [](auto& m) { m.SetHeightPercent(50); },
         {500, 375, 50, 50},
         true},
        {"height pixels set both percentages",
         1000,
         750,
         [](auto& m) { m.SetHeightPixels(300); },
         {400, 300, 40, 40},
         true},
        {"1 % of 50 pixels is still a pixel",
         50,
         40,
         [](auto& m) { m.SetWidthPercent(1); },
         {1, 1, 1, 1},
         true},
        {"one pixel of a wide picture is at least 1 %",
         1000,
         750,
         [](auto& m) { m.SetWidthPixels(1); },
         {1, 7, 1, 1},
         true},
        {"a 12000-pixel width is held as it is",
         12000,
         9000,
         [](auto&) {},
         {12000, 9000, 100, 100},
         false},
        {"doubling a 12000-pixel width goes past the boxes' 9999",
         12000,
         9000,
         [](auto& m) { m.SetWidthPercent(200); },
         {24000, 18000, 200, 200},
         true},
        {"without the aspect only the width changes",
         1000,
         750,
         [](auto& m) {
             m.SetMaintainAspect(false);
             m.SetWidthPixels(500);
         },
         {500, 750, 50, 100},
         true},
        {"turning the aspect back on recomputes from the width percentage",
         1000,
         750,
         [](auto& m) {
             m.SetMaintainAspect(false);
             m.SetWidthPercent(20);
             m.SetHeightPercent(70);
             m.SetMaintainAspect(true);
         },
         {200, 150, 20, 20},
         true},
    };
    for (const TResizeCase& c : cases) {
        SCOPED_TRACE(c.Why);
        TResizeModel model(c.W, c.H);
        c.Act(model);
        EXPECT_EQ(sizesOf(model), c.After);
        EXPECT_EQ(model.ResizeWanted(), c.Resize);
    }
}

struct TCropCase {
    const char* Why;
    int W, H;
    std::function<void(TCropModel&)> Act;
    TCropMargins After; // top, left, right, bottom
};

TEST(CropModel, KeepsMarginsAndSelectionInsideThePicture) {
    const std::vector<TCropCase> cases = {
        {"margins start at a tenth", 100, 60, [](auto&) {}, {6, 10, 10, 6}},
        {"top 50 pulls the bottom to 5", 100, 60, [](auto& m) { m.SetTop(50); }, {50, 10, 10, 5}},
        {"right 93 pulls the left to 2", 100, 60, [](auto& m) { m.SetRight(93); }, {6, 2, 93, 6}},
        {"a margin past its maximum stops there",
         100,
         60,
         [](auto& m) { m.SetBottom(80); },
         {0, 10, 10, 55}},
        {"a negative margin is 0", 100, 60, [](auto& m) { m.SetLeft(-4); }, {6, 0, 10, 6}},
        {"1 pixel high: nothing can be cut", 30, 1, [](auto& m) { m.SetTop(3); }, {0, 3, 3, 0}},
        {"4 pixels high: the maxima stay 0",
         30,
         4,
         [](auto& m) {
             m.SetTop(2);
             m.SetBottom(2);
         },
         {0, 3, 3, 0}},
        {"9 pixels high: 5 rows stay",
         30,
         9,
         [](auto& m) {
             m.SetBottom(2);
             m.SetTop(4);
         },
         {4, 3, 3, 0}},
        {"a drawn selection writes the margins",
         100,
         60,
         [](auto& m) {
             m.TakeSelection({20, 5, 70, 45});
         },
         {5, 20, 30, 15}},
        {"a selection partly outside is clipped",
         100,
         60,
         [](auto& m) {
             m.TakeSelection({-10, 50, 40, 90});
         },
         {50, 0, 60, 0}},
        {"an empty selection leaves the margins",
         100,
         60,
         [](auto& m) {
             m.TakeSelection({30, 30, 30, 40});
         },
         {6, 10, 10, 6}},
        {"a square lock on typed margins keeps the left edge",
         100,
         60,
         [](auto& m) {
             m.SetAspect(TCropAspect::Square, false);
             m.SetTop(20);
         },
         {20, 10, 50, 0}},
    };
    for (const TCropCase& c : cases) {
        SCOPED_TRACE(c.Why);
        TCropModel model(c.W, c.H);
        c.Act(model);
        EXPECT_EQ(model.Margins(), c.After);
        const TPGSelection s = model.Selection();
        EXPECT_GE(std::min({s.Left, s.Top}), 0);
        EXPECT_GE(std::min({s.Width, s.Height}), 1);
        EXPECT_LE(s.Left + s.Width, c.W);
        EXPECT_LE(s.Top + s.Height, c.H);
        EXPECT_GE(std::min({model.MaxTopBottom(), model.MaxLeftRight()}), 0);
    }
}

struct TLockCase {
    const char* Why;
    TCropAspect Aspect;
    bool Upright;
    TDragState State;
    TPGSelection Drawn;
    int AnchorX, AnchorY;
    TPGSelection Held;
};

TEST(CropModel, AspectLockHoldsWhileTheSelectionIsDrawnOrResized) {
    // A 200 x 100 picture.
    const std::vector<TLockCase> cases = {
        {"free leaves the selection",
         TCropAspect::Free,
         false,
         dsCreateSelection,
         {10, 10, 50, 20},
         10,
         10,
         {10, 10, 50, 20}},
        {"a new 4:3 selection covers the pointer from its anchor",
         TCropAspect::FourThree,
         false,
         dsCreateSelection,
         {10, 10, 40, 60},
         10,
         10,
         {10, 10, 80, 60}},
        {"drawn up and left it keeps the anchor corner",
         TCropAspect::Square,
         false,
         dsCreateSelection,
         {100, 50, 30, 10},
         130,
         60,
         {100, 30, 30, 30}},
        {"the right edge drives the height",
         TCropAspect::SixteenNine,
         false,
         dsResizeRight,
         {0, 0, 160, 20},
         0,
         0,
         {0, 0, 160, 90}},
        {"the top edge drives the width",
         TCropAspect::ThreeTwo,
         true,
         dsResizeTop,
         {10, 40, 10, 60},
         0,
         0,
         {10, 40, 40, 60}},
        {"the picture's edge stops it",
         TCropAspect::Square,
         false,
         dsResizeRight,
         {0, 50, 150, 10},
         0,
         0,
         {0, 50, 50, 50}},
        {"as the picture",
         TCropAspect::Picture,
         false,
         dsResizeBottomRight,
         {0, 0, 100, 10},
         0,
         0,
         {0, 0, 100, 50}},
        {"moving keeps the size",
         TCropAspect::Square,
         false,
         dsMoveSelection,
         {10, 10, 50, 20},
         0,
         0,
         {10, 10, 50, 20}},
    };
    for (const TLockCase& c : cases) {
        SCOPED_TRACE(c.Why);
        TCropModel model(200, 100);
        model.SetAspect(c.Aspect, c.Upright);
        const std::optional<TAspectDrag> drag =
            AspectDragOf(c.State, c.Drawn, c.AnchorX, c.AnchorY);
        EXPECT_EQ(drag ? model.Locked(c.Drawn, *drag) : c.Drawn, c.Held);
    }
}

TEST(RotateBox, TakesAWholeNumberOfDegreesWithinATurn) {
    const std::vector<std::pair<QString, std::optional<int>>> cases = {
        {"90", 90},
        {"-90", -90},
        {"-359", -359},
        {"359", 359},
        {"0", 0},
        {"360", std::nullopt},
        {"-360", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"4.5", std::nullopt},
        {"-", std::nullopt},
    };
    for (const auto& [text, angle] : cases)
        EXPECT_EQ(RotateAngleOf(text), angle) << text.toStdString();
}

TEST(RotateBox, StepsByAQuarterTurnAndStopsAtTheEnds) {
    struct TStepCase {
        QString Text;
        int Steps;
        std::optional<int> After;
    };
    const std::vector<TStepCase> cases = {
        {"90", 1, 180},         {"90", -1, 0},
        {"270", 1, 359},        {"300", 2, 359},
        {"-300", -1, -359},     {"-359", 1, -269},
        {"45", -3, -225},       {"abc", 1, std::nullopt},
        {"", -1, std::nullopt}, {"400", -1, std::nullopt},
    };
    for (const TStepCase& c : cases)
        EXPECT_EQ(SteppedRotateAngle(c.Text, c.Steps), c.After)
            << c.Text.toStdString() << " by " << c.Steps;
}

TEST(ZoomMapping, TrackFollowsTheSpinBoxWithoutWritingBack) {
    const std::vector<std::pair<int, int>> spinToTrack = {
        {1, 1}, {100, 100}, {105, 101}, {300, 140}, {600, 200}, {700, 200}, {10000, 200}};
    for (const auto& [percent, track] : spinToTrack) {
        TZoomModel model(50);
        model.SpinChanged(percent);
        EXPECT_EQ(model.Track(), track) << percent;
        EXPECT_EQ(model.Percent(), percent) << "the typed value stays";
    }
    const std::vector<std::pair<int, int>> trackToSpin = {
        {1, 1}, {100, 100}, {101, 105}, {140, 300}, {200, 600}};
    for (const auto& [track, percent] : trackToSpin) {
        TZoomModel model(50);
        model.TrackMoved(track);
        EXPECT_EQ(model.Percent(), percent) << track;
        EXPECT_EQ(model.Track(), track);
    }
}

} // namespace
