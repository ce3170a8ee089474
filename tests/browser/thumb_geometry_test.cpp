// The grid's arithmetic: cells, rows, fitting, the JPEG reduction, captions and size texts,
// and what the mouse does to the selection of a small list.

#include "thumb_geometry.h"
#include "thumb_selection.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ThumbGeometry, CellSizesPerDisplayType) {
    const struct {
        TThumbDisplayType Type;
        bool Buttons;
        QSize Cell;
        int CaptionLimit;
    } cases[] = {
        {tdtLargeIcon, false, {107, 107}, 91}, // p 5: 10+90+7, 13+10+75+9; inner 97 - 6
        {tdtSmallIcon, false, {58, 50}, 0},    // p 2: 4+45+9, 4+37+9
        {tdtIconInfo, false, {158, 53}, 99},   // 3t+2p+12 beats 2p+37+9; 158 - (2+45+12)
        {tdtFilename, false, {118, 18}, 112},  // 118 - (2+4)
        {tdtFilename, true, {118, 18}, 94},    // 118 - (2+22)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Type);
        TThumbCellSettings s;
        s.Type = c.Type;
        s.ThumbButtons = c.Buttons;
        s.TextHeight = 13;
        EXPECT_EQ(CellSize(s), c.Cell);
        EXPECT_EQ(CaptionWidthLimit(s), c.CaptionLimit);
    }
    TThumbCellSettings zoomed;
    zoomed.Zoom = 2;
    zoomed.TextHeight = 13;
    EXPECT_EQ(CellSize(zoomed), QSize(236, 36));
}

TEST(ThumbGeometry, RowsCoverEveryItem) {
    const QSize cell(100, 100);
    const struct {
        int Items;
        QSize Grid;
        TGridShape Shape;
    } cases[] = {
        {7, {320, 120}, {3, 3}}, // 7 div 3 = 2, plus one part row
        {7, {320, 620}, {3, 7}}, // a taller grid has more rows than items need
        {2, {320, 50}, {3, 1}},  // fewer items than columns in a grid lower than a cell
        {0, {320, 50}, {3, 0}},  {5, {60, 220}, {1, 5}}, // narrower than a cell: still one column
        {6, {320, 20}, {3, 2}},
    };
    for (const auto& c : cases) {
        const TGridShape shape = GridShape(c.Items, c.Grid, cell);
        EXPECT_EQ(shape.Columns, c.Shape.Columns) << c.Items;
        EXPECT_EQ(shape.Rows, c.Shape.Rows) << c.Items;
    }
}

TEST(ThumbGeometry, FittingKeepsTheAspectAndNeverReachesZero) {
    const struct {
        QSize Image, Box, Fitted, Offset;
    } cases[] = {
        {{360, 300}, {90, 75}, {90, 75}, {0, 0}},
        {{400, 100}, {90, 75}, {90, 22}, {0, 26}},
        {{100, 400}, {90, 75}, {18, 75}, {36, 0}},
        {{91, 75}, {90, 75}, {90, 74}, {0, 0}},    // one pixel short stays in place
        {{100000, 1}, {90, 75}, {90, 1}, {0, 37}}, // a sliver keeps one pixel
        {{1, 100000}, {90, 75}, {1, 75}, {44, 0}},
        {{2000000000, 1999999999}, {9999, 9999}, {9999, 9998}, {0, 0}}, // no 32-bit overflow
    };
    for (const auto& c : cases) {
        const QSize fitted = FitIntoBox(c.Image, c.Box);
        EXPECT_EQ(fitted, c.Fitted) << c.Image.width() << "x" << c.Image.height();
        EXPECT_EQ(FitOffset(fitted, c.Box), c.Offset);
    }
}

TEST(ThumbGeometry, JpegScaleLeavesAtLeastTheBox) {
    const struct {
        QSize Image;
        int Scale;
    } cases[] = {
        {{360, 300}, 4}, // 90 = 360/4 and 75 = 300/4
        {{180, 120}, 1}, // the height allows no reduction
        {{361, 301}, 4}, {{720, 600}, 8}, {{719, 599}, 4}, {{4000, 3000}, 8}, {{90, 75}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JpegScaleFor(c.Image, {90, 75}), c.Scale) << c.Image.width();
}

TEST(ThumbGeometry, SizeTextsUseAPoint) {
    const struct {
        int64_t Bytes;
        const char* Text;
    } cases[] = {
        {0, "0 KB"},
        {600, "1 KB"},
        {1048575, "1024 KB"},
        {1048576, "1.00 MB"},
        {1572864, "1.50 MB"},
        {10470000, "9.99 MB"},
        {10485247, "10.00 MB"},
        {10485248, "10 MB"},
        {5368709120, "5120 MB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FileSizeText(c.Bytes), QString(c.Text)) << c.Bytes;
}

TEST(ThumbGeometry, LongCaptionsEndInTwoDots) {
    const auto sevenEach = [](const QString& text) { return 7 * static_cast<int>(text.size()); };
    const struct {
        const char* Name;
        int Limit;
        const char* Shown;
    } cases[] = {
        {"short.jpg", 91, "short.jpg"},
        {"averyveryverylongname.jpg", 91, "averyveryve.."}, // 13 characters of 7 pixels
        {"averyveryverylongname.jpg", 10, "av.."},          // never fewer than four
    };
    for (const auto& c : cases) EXPECT_EQ(ShortenCaption(c.Name, c.Limit, sevenEach), c.Shown);
}

TEST(ThumbGeometry, ThumbModesMapToDisplayTypes) {
    EXPECT_EQ(DisplayTypeForThumbMode(0), tdtFilename);
    EXPECT_EQ(DisplayTypeForThumbMode(1), tdtIconInfo);
    EXPECT_EQ(DisplayTypeForThumbMode(2), tdtLargeIcon);
}

class FakeList : public TThumbGridList {
public:
    explicit FakeList(int count) : FCount(count) {}
    int Count() const override { return FCount; }
    bool Selected(int index) const override { return Marked.count(index) > 0; }
    void SetSelected(int index, bool selected) override {
        if (selected)
            Marked.insert(index);
        else
            Marked.erase(index);
    }
    void ClearSelection() override { Marked.clear(); }
    int Current() const override { return FCurrent; }
    void SetCurrent(int index) override { FCurrent = index; }

    std::set<int> Marked;

private:
    int FCount, FCurrent = -1;
};

struct Click {
    int Index;
    TThumbButton Button;
    TThumbModifiers Keys;
};

TEST(ThumbMouseModel, ClicksSelectAsTheKeysSay) {
    using B = TThumbButton;
    const TThumbModifiers none, shift(TThumbModifier::Shift), ctrl(TThumbModifier::Ctrl);
    const struct {
        const char* Name;
        std::set<int> Before;
        std::vector<Click> Clicks;
        std::set<int> After;
        int Current;
    } cases[] = {
        {"plain click replaces", {1, 2}, {{4, B::Left, none}}, {4}, 4},
        {"click on a selected item reduces to it", {1, 2}, {{2, B::Left, none}}, {2}, 2},
        {"right click on a selected item keeps all", {1, 2}, {{2, B::Right, none}}, {1, 2}, 2},
        {"right click elsewhere replaces", {1, 2}, {{5, B::Right, none}}, {5}, 5},
        {"ctrl adds", {1}, {{3, B::Left, ctrl}}, {1, 3}, 3},
        {"ctrl removes a selected item", {1, 3}, {{3, B::Left, ctrl}}, {1}, 3},
        {"shift selects from the anchor",
         {},
         {{2, B::Left, none}, {5, B::Left, shift}},
         {2, 3, 4, 5},
         5},
        {"shift after shift restarts the range",
         {},
         {{4, B::Left, none}, {6, B::Left, shift}, {2, B::Left, shift}},
         {2, 3, 4},
         2},
        {"ctrl then shift keeps the ctrl picks",
         {},
         {{0, B::Left, none}, {6, B::Left, ctrl}, {3, B::Left, shift}},
         {3, 4, 5, 6},
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeList list(8);
        list.Marked = c.Before;
        TThumbMouseModel mouse(list);
        for (const Click& click : c.Clicks) {
            ASSERT_TRUE(mouse.Press(click.Index, click.Button, click.Keys));
            EXPECT_EQ(mouse.Release(click.Button, click.Keys), click.Index);
        }
        EXPECT_EQ(list.Marked, c.After);
        EXPECT_EQ(list.Current(), c.Current);
    }
}

TEST(ThumbMouseModel, OutsideTheItemsNothingChanges) {
    FakeList list(3);
    list.Marked = {1};
    TThumbMouseModel mouse(list);
    EXPECT_FALSE(mouse.Press(3, TThumbButton::Left, {}));
    EXPECT_FALSE(mouse.Press(-1, TThumbButton::Left, {}));
    EXPECT_FALSE(mouse.Release(TThumbButton::Left, {}));
    EXPECT_EQ(list.Marked, std::set<int>{1});
    EXPECT_EQ(list.Current(), -1);
    mouse.SetMultipleSelect(false);
    mouse.Press(2, TThumbButton::Left, TThumbModifier::Ctrl);
    mouse.Release(TThumbButton::Left, TThumbModifier::Ctrl);
    EXPECT_EQ(list.Marked, std::set<int>{2}) << "one item only without multiple selection";
}

} // namespace
