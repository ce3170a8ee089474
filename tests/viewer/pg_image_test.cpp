// The control on Qt's offscreen platform: rendered pixels, scrolling, zoom, selection and the
// background worker.

#include "pg_image.h"
#include "test_support.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t red = PGColor(255, 0, 0), green = PGColor(0, 255, 0), blue = PGColor(0, 0, 255),
                   white = PGColor(255, 255, 255);

// w x h true colour: left half red, right half blue, the bottom row green.
std::unique_ptr<TPixelGraphic> halves(int w, int h) {
    auto p = std::make_unique<TPixelGraphic>();
    p->SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p->SetPixel(x, y, y == h - 1 ? green : x < w / 2 ? red : blue);
    return p;
}

// A shown 100 x 100 control (border 2, so a 96 x 96 client area) with fixed scroll bars.
struct Control {
    TPGImage Image;
    Control() {
        Image.SetScrollBarSize(TPGScrollBarSize{16, 16});
        Image.SetColor(QColor(1, 2, 3));
        Image.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Image));
    }
    // Qt shows and hides scroll bars through posted events.
    void Settle() { QCoreApplication::processEvents(); }
    QImage Grab() {
        Settle();
        return Image.viewport()->grab().toImage();
    }
    uint32_t At(int x, int y) { return PGFromQRgb(Grab().pixel(x, y)); }
};

const uint32_t margin = PGColor(1, 2, 3);

} // namespace

TEST(PGImage, DefaultsOfANewControl) {
    TPGImage image;
    EXPECT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(image.frameWidth(), 2);
    EXPECT_EQ(image.ActionMode(), amMoveImage);
    EXPECT_EQ(image.Stretch(), sNeverKAR);
    EXPECT_EQ(image.StretchMode(), smFast);
    EXPECT_EQ(image.Tiling(), tNone);
    EXPECT_EQ(image.ZoomFactor(), 1.0L);
    EXPECT_EQ(image.ActualZoomFactor(), 1.0L);
    EXPECT_EQ(image.Palette8BitSys24BitGraphic(), pOptimized252Sys16);
    EXPECT_EQ(image.Palette8BitSys8BitGraphic(), pOptimized252Sys16);
    EXPECT_TRUE(image.UseThread() && image.Dither() && image.ShowHourGlass());
    EXPECT_EQ(image.DitherErrorLimit(), 32);
    EXPECT_EQ(image.AutoSizeMaxWidth(), 2147483647);
    EXPECT_EQ(image.SelectionColor1(), QColor(255, 255, 255));
    EXPECT_EQ(image.SelectionColor2(), QColor(255, 0, 0));
    EXPECT_EQ(image.SelectionRect(), (TPGRect{0, 0, 0, 0})); // no picture to select on
    EXPECT_EQ(image.SelectionWidth(), 1);
    EXPECT_EQ(image.PixelGraphic(), nullptr);
    EXPECT_THROW(image.SetPalette8BitSys24BitGraphic(pSource), EPixelGraphic);
}

TEST(PGImage, WithoutAPictureTheClientIsFilledWithColor) {
    Control c;
    const QImage shot = c.Grab();
    EXPECT_EQ(shot.size(), QSize(96, 96));
    for (QPoint p : {QPoint(0, 0), QPoint(48, 48), QPoint(95, 95)})
        EXPECT_EQ(PGFromQRgb(shot.pixel(p)), margin);
    EXPECT_EQ(c.Image.PicBox().size(), QSize(0, 0));
}

TEST(PGImage, FitCentresThePictureUprightWithMargins) {
    Control c;
    c.Image.SetStretch(sAlwaysKAR);
    c.Image.SetCenter(true);
    c.Image.AdoptPixelGraphic(halves(4, 2)); // 96 x 48, 24 rows above and below
    EXPECT_EQ(c.Image.PicBox().geometry(), QRect(0, 24, 96, 48));
    EXPECT_EQ(c.Image.ActualZoomFactor(), 24.0L);
    const QImage shot = c.Grab();
    auto at = [&](int x, int y) { return PGFromQRgb(shot.pixel(x, y)); };
    EXPECT_EQ(at(5, 10), margin);
    EXPECT_EQ(at(5, 30), red);
    EXPECT_EQ(at(90, 30), blue);
    EXPECT_EQ(at(47, 30), red);
    EXPECT_EQ(at(48, 30), blue);
    EXPECT_EQ(at(5, 70), green); // the bottom row is drawn at the bottom
    EXPECT_EQ(at(5, 80), margin);
}

TEST(PGImage, PhotographAtOneToOneAndZoomedMatchesTheReference) {
    for (const char* name : {"viewer/photo", "viewer/photo-8"}) {
        SCOPED_TRACE(name);
        Control c;
        c.Image.LoadFromFile(TestData(std::string(name) + ".bmp"));
        const TRefImage ref = LoadReferencePPM(TestData(std::string(name) + ".ppm"));
        ASSERT_TRUE(SamePixels(*c.Image.PixelGraphic(), ref));
        QImage shot = c.Grab();
        int wrong = 0;
        for (int y = 0; y < ref.Height; ++y)
            for (int x = 0; x < ref.Width; ++x)
                wrong += PGFromQRgb(shot.pixel(x, y)) != ref.At(x, y);
        EXPECT_EQ(wrong, 0);
        c.Image.SetStretch(sZoomKAR);
        c.Image.SetZoomFactor(2);
        shot = c.Grab();
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x)
                wrong += PGFromQRgb(shot.pixel(x, y)) != ref.At(x / 2, y / 2);
        EXPECT_EQ(wrong, 0);
    }
}

TEST(PGImage, ZoomReportsAndSelectionFrameIsDrawn) {
    Control c;
    int zoomChanges = 0;
    c.Image.OnZoomFactorChange = [&](TPGImage&) { ++zoomChanges; };
    c.Image.AdoptPixelGraphic(halves(20, 10));
    c.Image.SetStretch(sZoomKAR);
    c.Image.SetZoomFactor(3);
    EXPECT_EQ(c.Image.PicBox().size(), QSize(60, 30));
    EXPECT_EQ(c.Image.ActualZoomFactor(), 3.0L);
    EXPECT_EQ(zoomChanges, 1);
    c.Image.SetActionMode(amMoveResizeCreateSelection);
    c.Image.SetSelectionBounds(5, 2, 4, 3);
    c.Image.SetSelection(true);
    EXPECT_EQ(c.Image.SelectionPicBoxRect(), (TPGRect{15, 6, 27, 15}));
    const QImage shot = c.Grab();
    auto at = [&](int x, int y) { return PGFromQRgb(shot.pixel(x, y)); };
    for (QPoint p : {QPoint(14, 10), QPoint(27, 10), QPoint(20, 5), QPoint(20, 15)}) {
        const uint32_t frame = at(p.x(), p.y());
        EXPECT_TRUE(frame == white || frame == red) << p.x() << "," << p.y();
    }
    EXPECT_EQ(at(20, 10), red);       // inside: the picture
    EXPECT_EQ(at(44, 10), blue);      // outside the frame and its handles
    const uint32_t handle = at(9, 1); // top-left handle at (7..11, -2..2)
    EXPECT_TRUE(handle == white || handle == red);
    EXPECT_EQ(at(9, 3), red); // below the handle: the picture again
}

TEST(PGImage, MouseCreatesASelectionClippedForCallers) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10));
    c.Image.SetStretch(sZoomKAR);
    c.Image.SetZoomFactor(3);
    c.Image.SetActionMode(amCreateSelection);
    int made = 0, changes = 0;
    c.Image.OnSelectionMade = [&](TPGImage&) { ++made; };
    c.Image.OnSelectionChange = [&](TPGImage&) { ++changes; };
    QWidget* box = &c.Image.PicBox();
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(16, 7));
    EXPECT_EQ(c.Image.DragState(), dsCreateSelection);
    EXPECT_TRUE(c.Image.Selection());
    QTest::mouseMove(box, QPoint(29, 17));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(29, 17));
    EXPECT_EQ(c.Image.DragState(), dsNone);
    EXPECT_EQ(made, 1);
    EXPECT_GE(changes, 2);
    EXPECT_EQ(c.Image.SelectionLeft(), 5);
    EXPECT_EQ(c.Image.SelectionWidth(), 5);
    EXPECT_EQ(c.Image.SelectionHeight(), 4);
    // A selection past the picture keeps its values but is handed out clipped.
    c.Image.SetSelectionBounds(-5, 8, 30, 10);
    EXPECT_EQ(c.Image.SelectionLeft(), -5);
    EXPECT_EQ(c.Image.SelectionRect(), (TPGRect{0, 8, 20, 10}));
    EXPECT_EQ(c.Image.SelectionPicBoxRect(), (TPGRect{0, 24, 60, 30}));
}

TEST(PGImage, DraggingScrollsThePicture) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(200, 200));
    c.Settle();
    QScrollBar* h = c.Image.horizontalScrollBar();
    QScrollBar* v = c.Image.verticalScrollBar();
    ASSERT_TRUE(h->isVisible() && v->isVisible());
    EXPECT_EQ(h->maximum(), 200 - c.Image.viewport()->width());
    QWidget* box = &c.Image.PicBox();
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(c.Image.DragState(), dsScroll);
    QTest::mouseMove(box, QPoint(30, 40));
    EXPECT_EQ(h->value(), 20);
    EXPECT_EQ(v->value(), 10);
    EXPECT_EQ(box->pos(), QPoint(-20, -10));
    // The box moved with the scroll: the same screen point is now (50, 50) in the box.
    QTest::mouseMove(box, QPoint(45, 50));
    EXPECT_EQ(h->value(), 25);
    EXPECT_EQ(v->value(), 10);
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(45, 50));
    EXPECT_FALSE(c.Image.Selection()); // scrolling makes no selection
    EXPECT_EQ(c.At(0, 0), red);        // picture column 25
    EXPECT_EQ(c.At(80, 0), blue);      // picture column 105
}

TEST(PGImage, TilingRepeatsAndMirrorsAroundTheBox) {
    Control c;
    c.Image.SetCenter(true);
    c.Image.AdoptPixelGraphic(halves(10, 10)); // box at (43, 43)
    EXPECT_EQ(c.Image.PicBox().pos(), QPoint(43, 43));
    struct Case {
        TTiling Tiling;
        bool FlipH;
        uint32_t Tile0, TileRight, TileLeftAbove;
    } cases[] = {
        // Sampled at column 1 of a tile, row 1: the tile to the right and the one up left.
        {tNone, false, red, margin, margin}, {tNone, true, blue, margin, margin},
        {tRepeat, false, red, red, red},     {tMirrorHorizontal, false, red, blue, blue},
        {tMirror, false, red, blue, blue},   {tMirror, true, blue, red, red},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(int(t.Tiling));
        c.Image.SetTiling(t.Tiling);
        c.Image.SetFlipHorizontal(t.FlipH);
        EXPECT_EQ(c.At(44, 44), t.Tile0);
        EXPECT_EQ(c.At(54, 44), t.TileRight);
        EXPECT_EQ(c.At(34, 34), t.TileLeftAbove);
    }
    // Vertical mirroring moves the green bottom row to the top of odd rows of tiles.
    c.Image.SetFlipHorizontal(false);
    c.Image.SetTiling(tMirrorVertical);
    EXPECT_EQ(c.At(44, 52), green);
    EXPECT_EQ(c.At(44, 53), green);
    EXPECT_EQ(c.At(44, 54), red);
}
