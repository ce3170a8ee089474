// The grid offscreen with a fixed palette and a text metric of 6 pixels a character: the
// frames and fills a grab shows, mouse selection through real events, the update counter, and
// a thumbnail painted once its job answered.

#include "file_list_model.h"
#include "pixel_graphic.h"
#include "platform_test_support.h"
#include "thumb_grid.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

const TThumbGridColours Palette = {QColor(250, 250, 250), QColor(10, 20, 30),    QColor(0, 0, 200),
                                   QColor(255, 255, 0),   QColor(200, 200, 190), QColor(90, 90, 80),
                                   QColor(0, 0, 0)};

class ThumbGridTest : public ::testing::Test {
protected:
    ThumbGridTest() : Grid(nullptr, Pool) {
        Grid.SetColours(Palette);
        Grid.SetTextMetric({10, [](const QString& s) { return 6 * static_cast<int>(s.size()); }});
        Grid.resize(400, 300);
        Grid.show();
        QStringList paths;
        for (int i = 0; i < 7; ++i) paths << QString("/nowhere/%1.jpg").arg(i);
        List.SetPaths(paths);
        Grid.SetAttachedListbox(&List);
    }

    QImage Grab() { return Grid.viewport()->grab().toImage(); }
    QColor At(const QImage& image, QPoint point) { return image.pixelColor(point); }

    void Click(int index, Qt::KeyboardModifiers keys = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
        const QPointF at = Grid.CellRect(index).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, at, button, button, keys);
        QMouseEvent release(QEvent::MouseButtonRelease, at, at, button, Qt::NoButton, keys);
        QCoreApplication::sendEvent(Grid.viewport(), &press);
        QCoreApplication::sendEvent(Grid.viewport(), &release);
    }

    std::vector<int> Selected() const { return List.SelectedIndexes(); }

    TBackgroundWorker Pool{1};
    TFileListModel List;
    TlbxThumbGrid Grid;
};

TEST_F(ThumbGridTest, GrabShowsSelectionCurrentFrameAndButtonFrames) {
    Grid.SetThumbDisplayType(tdtFilename);
    List.SelectOnly({0, 1});
    List.SetCurrentIndex(0);
    QImage image = Grab();
    // Cell 118 x 15, margin 1: the current item is framed one pixel outside its inner box.
    EXPECT_EQ(At(image, {0, 0}), Palette.DarkShadow);
    EXPECT_EQ(At(image, {100, 5}), Palette.Highlight); // right of the caption
    // A selected item that is not current is drawn raised: black top-left, 222 bottom-right.
    EXPECT_EQ(At(image, {119, 1}), QColor(Qt::black));
    EXPECT_EQ(At(image, {118 + 116, 13}), QColor(222, 222, 222));
    EXPECT_EQ(At(image, {218, 5}), Palette.Highlight);
    EXPECT_EQ(At(image, {336, 5}), Palette.Grid) << "unselected file names stay flat";

    Grid.SetThumbDisplayType(tdtLargeIcon);
    Grid.SetThumbButtons(true);
    List.SelectOnly({});
    List.SetCurrentIndex(-1);
    image = Grab();
    // Cell 107 x 107 (padding 5, text 10): an unselected button is 239 up and left, 153 down
    // and right, with its corner pixels in the grid colour.
    EXPECT_EQ(At(image, {6, 5}), QColor(239, 239, 239));
    EXPECT_EQ(At(image, {101, 50}), QColor(153, 153, 153));
    EXPECT_EQ(At(image, {5, 5}), Palette.Grid);
    EXPECT_EQ(At(image, {30, 30}), Palette.ButtonFace);
}

TEST_F(ThumbGridTest, MouseSelectsThroughTheList) {
    Grid.SetThumbDisplayType(tdtFilename);
    int nonCell = 0;
    std::vector<Qt::MouseButton> ups;
    Grid.OnNonCellClick = [&] { ++nonCell; };
    Grid.OnItemMouseUp = [&](Qt::MouseButton button) { ups.push_back(button); };
    Click(2);
    Click(4, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), std::vector<int>({2, 3, 4}));
    Click(3, Qt::ControlModifier);
    EXPECT_EQ(Selected(), std::vector<int>({2, 4}));
    Click(2, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(Selected(), std::vector<int>({2, 4})) << "a right click keeps the selection";
    EXPECT_EQ(List.CurrentIndex(), 2);
    EXPECT_EQ(ups, std::vector<Qt::MouseButton>(
                       {Qt::LeftButton, Qt::LeftButton, Qt::LeftButton, Qt::RightButton}));

    const QPointF empty(390, 290);
    QMouseEvent press(QEvent::MouseButtonPress, empty, empty, Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Grid.viewport(), &press);
    EXPECT_EQ(nonCell, 1);
    EXPECT_EQ(Selected(), std::vector<int>({2, 4}));
}

TEST_F(ThumbGridTest, OperationsOfTheMainWindow) {
    Grid.SetThumbDisplayType(tdtLargeIcon);
    EXPECT_EQ(Grid.Shape().Columns, 3);
    EXPECT_EQ(Grid.Shape().Rows, 3);
    Grid.SelectAll();
    EXPECT_EQ(Selected().size(), 7u);
    EXPECT_EQ(List.CurrentIndex(), -1);
    Grid.MoveTo(6);
    EXPECT_EQ(Selected(), std::vector<int>({6}));
    EXPECT_EQ(List.CurrentIndex(), 6);
    EXPECT_GT(Grid.verticalScrollBar()->value(), 0) << "the moved-to item scrolled into view";
    Grid.EndUpdate(true);
    Grid.EndUpdate(true);
    EXPECT_EQ(Grid.BlockDrawing(), 0) << "never below zero";
    Grid.BeginUpdate();
    EXPECT_EQ(Grid.BlockDrawing(), 1);
    Grid.EndUpdate(false);
    Grid.SetThumbnailWidth(0);
    Grid.SetThumbnailHeight(10000);
    EXPECT_EQ(Grid.ThumbnailWidth(), 90);
    EXPECT_EQ(Grid.ThumbnailHeight(), 75);
    TFileListModel empty;
    Grid.SetAttachedListbox(&empty);
    Grid.SelectAll();
    EXPECT_EQ(empty.SelectedCount(), 0);
    EXPECT_EQ(NextThumbMode(2), 0);
    ApplyThumbMode(Grid, 1);
    EXPECT_EQ(Grid.ThumbDisplayType(), tdtIconInfo);
}

TEST_F(ThumbGridTest, PaintedCellsGetTheirThumbnailWithAShadow) {
    TTempHome home;
    const QString picture = home.Path() + "red.bmp";
    TPixelGraphic image;
    image.SetSizeAndFormat(90, 75, pf24Bit);
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 90; ++x) image.SetPixelColor(x, y, PGColor(220, 0, 0));
    image.SaveToFile(picture.toStdString());
    List.SetPaths({picture});
    Grid.SetThumbDisplayType(tdtLargeIcon);
    Grab(); // the paint asks for the cell
    const QDeadlineTimer deadline(10000);
    while (!Grid.Producer().Thumb(picture) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(Grid.Producer().Thumb(picture));
    const QImage shown = Grab();
    // The box is at inner left + 2 = 7; the shadow runs one pixel below the thumbnail.
    EXPECT_EQ(At(shown, {50, 40}), QColor(220, 0, 0));
    EXPECT_EQ(At(shown, {50, 7 + 75}), QColor(128, 128, 128));
    EXPECT_EQ(At(shown, {7 + 90, 40}), QColor(128, 128, 128));
}

} // namespace
