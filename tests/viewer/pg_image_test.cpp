// The control on Qt's offscreen platform: rendered pixels, scrolling, zoom, selection and the
// background worker.

#include "pg_image_fixture.h"
#include "test_support.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace pgtest;

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
    // Dragging stays with the selection and scrolling until asked for; hints follow the parent,
    // and a control on its own shows none.
    EXPECT_EQ(image.DragMode(), dmManual);
    EXPECT_EQ(image.PicBoxDragMode(), dmManual);
    EXPECT_TRUE(image.ParentShowHint() && image.PicBoxParentShowHint());
    EXPECT_FALSE(image.ShowHint() || image.PicBoxShowHint());
    EXPECT_EQ(image.PopupMenu(), nullptr);
    EXPECT_EQ(image.PicBoxPopupMenu(), nullptr);
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

TEST(PGImageWorker, QualityStretchShowsClocksUntilTheCopyArrives) {
    Control c;
    c.Image.SetPicBoxColor(QColor(9, 9, 9));
    c.Image.SetPicBoxFrameColor(QColor(200, 0, 200));
    c.Image.SetProgressClockLineColor(QColor(0, 0, 200));
    c.Image.SetProgressClockBkColor(QColor(250, 250, 0));
    c.Image.SetStretchMode(smPrecise);
    c.Image.SetStretch(sAlwaysKAR);
    c.Image.AdoptPixelGraphic(halves(4, 2)); // box 96 x 48 at (0, 0)
    const QImage placeholder = c.GrabNow();
    EXPECT_EQ(pixel(placeholder, 0, 0), PGColor(200, 0, 200));
    EXPECT_EQ(pixel(placeholder, 95, 47), PGColor(200, 0, 200));
    EXPECT_EQ(pixel(placeholder, 5, 5), PGColor(9, 9, 9));
    EXPECT_EQ(pixel(placeholder, 48, 17), PGColor(0, 0, 200));   // top of the dial
    EXPECT_EQ(pixel(placeholder, 48, 20), PGColor(0, 0, 200));   // hands at twelve
    EXPECT_EQ(pixel(placeholder, 44, 21), PGColor(250, 250, 0)); // dial
    EXPECT_EQ(pixel(placeholder, 5, 60), margin);

    ASSERT_TRUE(WaitFor([&] { return c.Image.PaintPixelGraphic() != nullptr; }));
    const TPixelGraphic& copy = *c.Image.PaintPixelGraphic();
    EXPECT_EQ(copy.Width(), 96);
    EXPECT_EQ(copy.Height(), 48);
    const QImage shot = c.Grab();
    int wrong = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x) wrong += pixel(shot, x, y) != copy.GetPixelColor(x, y);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(pixel(shot, 5, 5), red);
}

TEST(PGImageWorker, ScreenOf256ColoursGetsAReducedCopy) {
    Control c;
    c.Image.SetScreenDepth(8);
    c.Image.SetPalette8BitSys24BitGraphic(pGray256);
    c.Image.AdoptPixelGraphic(halves(4, 2));
    c.GrabNow();
    ASSERT_TRUE(WaitFor([&] { return c.Image.PaintPixelGraphic() != nullptr; }));
    const TPixelGraphic& copy = *c.Image.PaintPixelGraphic();
    EXPECT_EQ(copy.PixelFormat(), pf8Bit);
    EXPECT_EQ(copy.PaletteIdent(), pGray256);
    EXPECT_EQ(copy.Width(), 4); // smFast: drawing stretches
    const uint32_t shown = c.At(0, 0);
    EXPECT_TRUE(PGRed(shown) == PGGreen(shown) && PGGreen(shown) == PGBlue(shown));
    EXPECT_EQ(shown, copy.GetPixelColor(0, 0));
}

TEST(PGImageWorker, PhotographOn256ColoursGetsAnOptimalPalette) {
    Control c;
    c.Image.SetScreenDepth(8);
    c.Image.LoadFromFile(TestData("viewer/photo.bmp"));
    const TRefImage ref = LoadReferencePPM(TestData("viewer/photo.ppm"));
    ASSERT_TRUE(WaitFor([&] { return c.Image.PaintPixelGraphic() != nullptr; }));
    const TPixelGraphic& copy = *c.Image.PaintPixelGraphic();
    EXPECT_EQ(copy.PixelFormat(), pf8Bit);
    EXPECT_LE(copy.PaletteCount(), 252);
    const QImage shot = c.Grab();
    int64_t error = 0;
    for (int y = 0; y < ref.Height; ++y)
        for (int x = 0; x < ref.Width; ++x) {
            const uint32_t a = pixel(shot, x, y), b = ref.At(x, y);
            error += std::abs(PGRed(a) - PGRed(b)) + std::abs(PGGreen(a) - PGGreen(b)) +
                     std::abs(PGBlue(a) - PGBlue(b));
        }
    // Reduced and dithered, yet close to the photograph: under 8 levels per channel on average.
    EXPECT_LT(error, int64_t(8) * 3 * ref.Width * ref.Height);
}

TEST(PGImageWorker, CopyOfAReplacedPictureNeverReplacesTheNewOne) {
    Control c;
    c.Image.SetScreenDepth(8);
    c.Image.SetPalette8BitSys24BitGraphic(pGray256);
    c.Image.SetReduceOnLoad(true); // the delivered copy becomes the picture itself
    auto first = halves(4, 2);
    first->Clear(); // black
    c.Image.AdoptPixelGraphic(std::move(first));
    c.GrabNow(); // the black picture's worker starts and may finish at once
    auto second = halves(4, 2);
    second->SetBackGroundColor(white);
    second->Clear();
    c.Image.AdoptPixelGraphic(std::move(second));
    c.GrabNow(); // the white picture's worker
    // Its result is not in yet; one numbered for the earlier request is dropped.
    auto stale = std::make_unique<TPixelGraphic>();
    stale->SetSizeAndFormat(1, 1, pf8Bit);
    TJobFinishedEvent event(
        0, c.Image.DisplayGeneration() - 1, TJobState::Done, {},
        std::make_unique<TWorkerResult<std::unique_ptr<TPixelGraphic>>>(std::move(stale)));
    QCoreApplication::sendEvent(&c.Image, &event);
    EXPECT_EQ(c.Image.PixelGraphic()->Width(), 4);
    ASSERT_TRUE(WaitFor([&] { return c.At(0, 0) == white; }));
    QTest::qWait(20);
    EXPECT_EQ(c.Image.PixelGraphic()->PixelFormat(), pf8Bit);
    EXPECT_EQ(c.Image.PixelGraphic()->GetPixelColor(0, 0), white);
    EXPECT_EQ(c.Image.PaintPixelGraphic(), nullptr);
    EXPECT_EQ(c.At(0, 0), white);
}

TEST(PGImageWorker, FailedCopyIsNotRetriedUntilSomethingOutdatesIt) {
    Control c;
    c.Image.SetKeepOldPaintPixelGraphic(true);
    c.Image.SetStretchMode(smPrecise);
    c.Image.SetStretch(sAlwaysKAR);
    c.Image.AdoptPixelGraphic(halves(4, 2));
    c.GrabNow();
    ASSERT_TRUE(WaitFor([&] { return c.Image.PaintPixelGraphic() != nullptr; }));
    c.Image.AdoptPixelGraphic(halves(4, 2));
    c.GrabNow(); // the old copy stays while the new one is made
    const uint64_t generation = c.Image.DisplayGeneration();
    TJobFinishedEvent failed(0, generation, TJobState::Failed, "Out of memory");
    QCoreApplication::sendEvent(&c.Image, &failed);
    EXPECT_EQ(c.Image.PaintPixelGraphic(), nullptr); // it may show another picture
    for (int i = 0; i < 3; ++i) c.Grab();
    EXPECT_EQ(c.Image.DisplayGeneration(), generation);
    EXPECT_EQ(c.Image.PaintPixelGraphic(), nullptr);
    c.Image.SetStretchMode(smMedium);
    c.GrabNow();
    ASSERT_TRUE(WaitFor([&] { return c.Image.PaintPixelGraphic() != nullptr; }));
    EXPECT_EQ(c.Image.PaintPixelGraphic()->Width(), 96);
}

TEST(PGImageWorker, OnePixelFallbackIsNotRebuiltOnEveryPaint) {
    Control c;
    c.Image.SetStretchMode(smPrecise);
    c.Image.SetStretch(sZoomKAR);
    c.Image.SetZoomFactor(3000); // 30000 x 30000 true colour cannot be allocated
    c.Image.AdoptPixelGraphic(halves(10, 10));
    c.GrabNow();
    ASSERT_TRUE(WaitFor([&] { return c.Image.PaintPixelGraphic() != nullptr; }));
    const TPixelGraphic* copy = c.Image.PaintPixelGraphic();
    EXPECT_EQ(copy->Width(), 1);
    const uint64_t generation = c.Image.DisplayGeneration();
    for (int i = 0; i < 3; ++i) c.Grab();
    EXPECT_EQ(c.Image.DisplayGeneration(), generation);
    EXPECT_EQ(c.Image.PaintPixelGraphic(), copy);
    EXPECT_EQ(c.At(10, 10), copy->GetPixelColor(0, 0)); // shown stretched
}

TEST(PGImageWorker, WithoutThreadTheCopyIsMadeDuringThePaint) {
    Control c;
    c.Image.SetUseThread(false);
    c.Image.SetStretchMode(smMedium);
    c.Image.SetStretch(sAlwaysKAR);
    c.Image.AdoptPixelGraphic(halves(4, 2));
    const QImage shot = c.GrabNow();
    ASSERT_NE(c.Image.PaintPixelGraphic(), nullptr);
    EXPECT_EQ(c.Image.PaintPixelGraphic()->Width(), 96);
    EXPECT_EQ(pixel(shot, 5, 5), red);
}

TEST(PGImageWorker, KeptOldCopyStaysUntilItsSuccessorArrives) {
    Control c;
    c.Image.SetKeepOldPaintPixelGraphic(true);
    c.Image.SetStretchMode(smPrecise);
    c.Image.SetStretch(sAlwaysKAR);
    c.Image.AdoptPixelGraphic(halves(4, 2));
    c.GrabNow();
    ASSERT_TRUE(WaitFor([&] { return c.Image.PaintPixelGraphic() != nullptr; }));
    auto next = halves(4, 2);
    next->SetBackGroundColor(white);
    next->Clear();
    c.Image.AdoptPixelGraphic(std::move(next));
    EXPECT_EQ(pixel(c.GrabNow(), 5, 5), red); // the old copy, clocks over it
    ASSERT_TRUE(WaitFor([&] { return c.At(5, 5) == white; }));
}

TEST(PGImage, LoadingSavingAndTheirErrors) {
    Control c;
    int changes = 0;
    c.Image.OnPixelGraphicChange = [&](TPGImage&) { ++changes; };
    const auto photo = TestData("viewer/photo.bmp");
    c.Image.LoadFromFile(photo);
    EXPECT_EQ(c.Image.FileName(), photo);
    EXPECT_EQ(c.Image.PicBox().size(), QSize(48, 32));
    EXPECT_THROW(c.Image.LoadFromFile(TestData("viewer/missing.bmp")), std::exception);
    EXPECT_EQ(c.Image.PixelGraphic(), nullptr);
    EXPECT_TRUE(c.Image.FileName().empty());
    EXPECT_EQ(c.Image.PicBox().size(), QSize(0, 0));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the hourglass is gone
    try {
        c.Image.SaveToFile("/tmp/never-written.bmp");
        ADD_FAILURE() << "no error";
    } catch (const EPGEmpty& e) {
        EXPECT_STREQ(e.what(), "PixelGraphic is empty");
    }
    c.Image.SetFileName(photo);
    TTempDir dir;
    c.Image.SaveToFile(dir / "copy.bmp");
    EXPECT_EQ(c.Image.FileName(), dir / "copy.bmp");
    TPixelGraphic back;
    back.LoadFromFile(dir / "copy.bmp");
    EXPECT_TRUE(SamePixels(back, LoadReferencePPM(TestData("viewer/photo.ppm"))));
}

TEST(PGImage, AutoSizeResizesTheControl) {
    Control c;
    std::vector<std::pair<int, int>> sizes;
    c.Image.OnNewAutoSize = [&](TPGImage&, int w, int h) { sizes.emplace_back(w, h); };
    c.Image.AdoptPixelGraphic(halves(50, 40));
    EXPECT_EQ(c.Image.size(), QSize(100, 100)); // reported, not applied
    c.Image.SetAutoSizeMaxWidth(40);
    c.Image.SetAutoSize(true);
    EXPECT_EQ(c.Image.size(), QSize(40, 60)); // too wide: room for a horizontal bar
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], std::make_pair(54, 44));
    EXPECT_EQ(sizes[1], std::make_pair(40, 60));
    EXPECT_EQ(c.Image.PicBox().size(), QSize(50, 40));
}

TEST(PGImage, SameDisplayedSizeKeepsTheScrollPosition) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(200, 200));
    c.Settle();
    c.Image.horizontalScrollBar()->setValue(30);
    c.Image.AdoptPixelGraphic(halves(200, 200));
    EXPECT_EQ(c.Image.horizontalScrollBar()->value(), 30);
    c.Image.SetRearrangeAlways(true);
    c.Image.AdoptPixelGraphic(halves(200, 200));
    EXPECT_EQ(c.Image.horizontalScrollBar()->value(), 0);
    c.Image.SetRearrangeAlways(false);
    c.Image.horizontalScrollBar()->setValue(30);
    c.Image.SetStretch(sNeverKAR); // a changed stretch always re-centres
    EXPECT_EQ(c.Image.horizontalScrollBar()->value(), 0);
}

TEST(PGImage, ForwardsTheImagesProgressAndChanges) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(6, 4));
    const TPixelGraphic* sender = nullptr;
    int starts = 0, steps = 0, ends = 0, changes = 0;
    c.Image.OnPixelGraphicProgressStart = [&](TPixelGraphic& s) { ++starts, sender = &s; };
    c.Image.OnPixelGraphicProgress = [&](TPixelGraphic&, int, int, bool&) { ++steps; };
    c.Image.OnPixelGraphicProgressEnd = [&](TPixelGraphic&) { ++ends; };
    c.Image.OnPixelGraphicChange = [&](TPGImage&) { ++changes; };
    TPixelGraphic* image = c.Image.PixelGraphic();
    image->FlipHorizontal();
    EXPECT_EQ(sender, image);
    EXPECT_EQ(starts, 1);
    EXPECT_GT(steps, 0);
    EXPECT_EQ(ends, 1);
    EXPECT_GE(changes, 1);
    EXPECT_EQ(c.At(0, 0), blue); // the control shows the flipped picture
}

TEST(PGImage, CursorsTellWhatAPressWouldDo) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(200, 200));
    c.Settle();
    QWidget* box = &c.Image.PicBox();
    QTest::mouseMove(box, QPoint(50, 50));
    EXPECT_EQ(box->cursor().shape(), Qt::OpenHandCursor);
    c.Image.SetActionMode(amMoveResizeCreateSelection);
    QTest::mouseMove(box, QPoint(51, 50));
    EXPECT_EQ(box->cursor().shape(), Qt::BitmapCursor); // the cross-hair
    c.Image.SetSelectionBounds(10, 10, 20, 20);
    c.Image.SetSelection(true);
    QTest::mouseMove(box, QPoint(15, 15));
    EXPECT_EQ(box->cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseMove(box, QPoint(35, 20)); // right handle
    EXPECT_EQ(box->cursor().shape(), Qt::SizeHorCursor);
    c.Image.PicBoxOnSetCursor = [](TPicBox&, QCursor& cursor) { cursor = Qt::PointingHandCursor; };
    QTest::mouseMove(box, QPoint(15, 16));
    EXPECT_EQ(box->cursor().shape(), Qt::PointingHandCursor);
}

TEST(PGImage, DropsOnThePictureBoxGoToTheHandlers) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10));
    QWidget* box = &c.Image.PicBox();
    QMimeData data;
    data.setText("file:///a.bmp");
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box, &refused);
    EXPECT_FALSE(refused.isAccepted()); // no handler: nothing may be dropped
    QPoint droppedAt;
    c.Image.PicBoxOnDragOver = [](TPicBox&, QDragMoveEvent& e) { e.acceptProposedAction(); };
    c.Image.PicBoxOnDragDrop = [&](TPicBox&, QDropEvent& e) {
        droppedAt = e.position().toPoint();
        e.acceptProposedAction();
    };
    QDragEnterEvent offered(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box, &offered);
    EXPECT_TRUE(offered.isAccepted());
    QDropEvent drop(QPointF(7, 3), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(droppedAt, QPoint(7, 3));
}
