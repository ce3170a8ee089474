// The control's dealings with the pointer beyond selecting: dragging the picture away, the
// area around the picture box, pop-up menus, hints, and the two timers.

#include "pg_image_fixture.h"

#include <QApplication>
#include <QBitmap>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <gtest/gtest.h>

#include <optional>

using namespace pgtest;

namespace {

// Fires a timer's tick now, through the same connection the timer uses.
void tick(QTimer* timer) {
    ASSERT_NE(timer, nullptr);
    QMetaObject::invokeMethod(timer, "timeout");
}

// A 16 x 16 two-colour cursor: (0, 0) black, (1, 0) white, (2, 0) outside the mask.
QCursor twoColourCursor() {
    QBitmap bits(16, 16), mask(16, 16);
    bits.fill(Qt::color0);
    mask.fill(Qt::color0);
    QPainter b(&bits), m(&mask);
    b.setPen(Qt::color1);
    m.setPen(Qt::color1);
    b.drawPoint(0, 0);
    m.drawPoint(0, 0);
    m.drawPoint(1, 0);
    b.drawPoint(2, 0); // set, but masked out
    b.end(), m.end();
    return QCursor(bits, mask, 0, 0);
}

// What a replaced drag loop was handed.
struct TSeenDrag {
    int Runs = 0;
    QObject* Source = nullptr;
    QString Text;
    Qt::DropActions Actions;
    QImage CopyCursor, MoveCursor, LinkCursor;
};

TPGImage::TDragRunner recordingRunner(TSeenDrag& seen, TPGDragOutcome outcome) {
    return [&seen, outcome](QDrag& drag, Qt::DropActions actions) {
        ++seen.Runs;
        seen.Source = drag.source();
        seen.Text = drag.mimeData()->text();
        seen.Actions = actions;
        seen.CopyCursor = drag.dragCursor(Qt::CopyAction).toImage();
        seen.MoveCursor = drag.dragCursor(Qt::MoveAction).toImage();
        seen.LinkCursor = drag.dragCursor(Qt::LinkAction).toImage();
        return outcome;
    };
}

} // namespace

TEST(PGImageDrag, AutomaticModeDragsThePictureInsteadOfSelecting) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10));
    c.Image.SetStretch(sZoomKAR);
    c.Image.SetZoomFactor(3); // box 60 x 30
    c.Image.SetActionMode(amCreateSelection);
    c.Image.SetPicBoxDragMode(dmAutomatic);
    c.Image.SetPicBoxDragCursor(twoColourCursor());
    TPicBox* box = &c.Image.PicBox();

    int starts = 0, clicks = 0, made = 0, downs = 0;
    QObject target;
    std::optional<std::pair<QObject*, Qt::DropAction>> ended;
    c.Image.PicBoxOnStartDrag = [&](TPicBox& sender, QDrag& drag, Qt::DropActions& actions) {
        ++starts;
        EXPECT_EQ(&sender, box);
        drag.mimeData()->setText("picture");
        actions = Qt::CopyAction | Qt::MoveAction;
    };
    c.Image.PicBoxOnEndDrag = [&](TPicBox& sender, QObject* to, Qt::DropAction action) {
        EXPECT_EQ(&sender, box);
        ended = {to, action};
    };
    c.Image.PicBoxOnClick = [&](TPicBox&) { ++clicks; };
    c.Image.PicBoxOnMouseDown = [&](TPicBox&, QMouseEvent&) { ++downs; };
    c.Image.OnSelectionMade = [&](TPGImage&) { ++made; };
    TSeenDrag seen;
    c.Image.SetDragRunner(recordingRunner(seen, {Qt::MoveAction, &target}));

    const int distance = QApplication::startDragDistance();
    QTest::mouseMove(box, QPoint(20, 15));
    EXPECT_EQ(box->cursor().shape(), Qt::ArrowCursor); // the box's own, not the cross-hair
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(downs, 1); // the caller still hears of the press
    EXPECT_EQ(c.Image.DragState(), dsNone);
    EXPECT_FALSE(c.Image.Selection());
    EXPECT_EQ(c.Image.AutoScrollTimer(), nullptr);
    QTest::mouseMove(box, QPoint(20 + distance - 1, 15));
    EXPECT_EQ(starts, 0);
    QTest::mouseMove(box, QPoint(20 + distance, 15));
    ASSERT_EQ(starts, 1);
    EXPECT_EQ(seen.Runs, 1);
    EXPECT_EQ(seen.Source, box);
    EXPECT_EQ(seen.Text, "picture");
    EXPECT_EQ(seen.Actions, Qt::CopyAction | Qt::MoveAction);
    // The drag cursor for both offered actions, drawn from the two-colour cursor; none for the
    // action not offered.
    for (const QImage& shown : {seen.CopyCursor, seen.MoveCursor}) {
        ASSERT_EQ(shown.size(), QSize(16, 16));
        EXPECT_EQ(shown.pixel(0, 0), 0xFF000000u);
        EXPECT_EQ(shown.pixel(1, 0), 0xFFFFFFFFu);
        EXPECT_EQ(qAlpha(shown.pixel(2, 0)), 0);
    }
    EXPECT_TRUE(seen.LinkCursor.isNull());
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->first, &target);
    EXPECT_EQ(ended->second, Qt::MoveAction);
    QTest::mouseMove(box, QPoint(50, 25));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(50, 25));
    EXPECT_EQ(starts, 1); // one drag per press
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(made, 0);
    EXPECT_FALSE(c.Image.Selection());

    // A press released before the pointer went far is a click.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(starts, 1);

    // Back in manual mode the same gesture selects and nothing is dragged.
    c.Image.SetPicBoxDragMode(dmManual);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(c.Image.DragState(), dsCreateSelection);
    QTest::mouseMove(box, QPoint(20 + distance + 5, 15));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(20 + distance + 5, 15));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(c.Image.Selection());
}

TEST(PGImageDrag, DesktopsOwnDragCursorsForAStandardShape) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10));
    c.Image.SetPicBoxDragMode(dmAutomatic);
    EXPECT_EQ(c.Image.PicBoxDragCursor().shape(), Qt::DragCopyCursor);
    TSeenDrag seen;
    c.Image.SetDragRunner(recordingRunner(seen, {}));
    QTest::mousePress(&c.Image.PicBox(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(&c.Image.PicBox(), QPoint(2, 2 + QApplication::startDragDistance()));
    QTest::mouseRelease(&c.Image.PicBox(), Qt::LeftButton, {}, QPoint(2, 9));
    ASSERT_EQ(seen.Runs, 1);
    EXPECT_EQ(seen.Actions, Qt::CopyAction); // no handler: a copy is offered
    EXPECT_TRUE(seen.CopyCursor.isNull());
}

TEST(PGImageDrag, TheAreaAroundThePictureHasItsOwnMouseEventsAndDrag) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10)); // box at (0, 0)-(20, 10)
    QWidget* area = c.Image.viewport();
    QWidget* box = &c.Image.PicBox();
    int downs = 0, ups = 0, clicks = 0, doubles = 0, boxClicks = 0, starts = 0;
    c.Image.OnMouseDown = [&](TPGImage&, QMouseEvent& e) {
        ++downs;
        EXPECT_EQ(e.position().toPoint(), QPoint(50, 60));
    };
    c.Image.OnMouseUp = [&](TPGImage&, QMouseEvent&) { ++ups; };
    c.Image.OnClick = [&](TPGImage&) { ++clicks; };
    c.Image.OnDblClick = [&](TPGImage&) { ++doubles; };
    c.Image.PicBoxOnClick = [&](TPicBox&) { ++boxClicks; };
    c.Image.OnStartDrag = [&](TPGImage&, QDrag& drag, Qt::DropActions&) {
        ++starts;
        drag.mimeData()->setText("control");
    };
    TSeenDrag seen;
    c.Image.SetDragRunner(recordingRunner(seen, {}));

    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(50, 60));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5)); // the box's, not the control's
    EXPECT_EQ(boxClicks, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downs, 1);
    QTest::mouseDClick(area, Qt::LeftButton, {}, QPoint(50, 60));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(50, 60));
    EXPECT_EQ(doubles, 1);

    // Manual mode: a long move with the button held drags nothing.
    const int distance = QApplication::startDragDistance();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(50, 60));
    QTest::mouseMove(area, QPoint(50 + 2 * distance, 60));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(50 + 2 * distance, 60));
    EXPECT_EQ(starts, 0);

    c.Image.SetDragMode(dmAutomatic);
    const int clicksBefore = clicks;
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(50, 60));
    QTest::mouseMove(area, QPoint(50, 60 + distance));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(50, 60 + distance));
    EXPECT_EQ(starts, 1);
    ASSERT_EQ(seen.Runs, 1);
    EXPECT_EQ(seen.Source, &c.Image);
    EXPECT_EQ(seen.Text, "control");
    EXPECT_EQ(clicks, clicksBefore); // a drag is no click
}

// Turning automatic dragging off while the button is down leaves nothing armed: the rest of the
// gesture starts no drag, on the box or around it.
TEST(PGImageDrag, ADragModeChangedDuringAPressDisarmsTheDrag) {
    struct TSide {
        const char* Name;
        bool Box;
    };
    for (const TSide side : {TSide{"picture box", true}, TSide{"area around", false}}) {
        SCOPED_TRACE(side.Name);
        Control c;
        c.Image.AdoptPixelGraphic(halves(20, 10)); // box at (0, 0)-(20, 10)
        TSeenDrag seen;
        c.Image.SetDragRunner(recordingRunner(seen, {}));
        const auto setMode = [&](TDragMode mode) {
            side.Box ? c.Image.SetPicBoxDragMode(mode) : c.Image.SetDragMode(mode);
        };
        QWidget* target = side.Box ? static_cast<QWidget*>(&c.Image.PicBox()) : c.Image.viewport();
        const QPoint from = side.Box ? QPoint(5, 5) : QPoint(50, 60);
        const QPoint to = from + QPoint(0, 2 * QApplication::startDragDistance());

        setMode(dmAutomatic);
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        setMode(dmManual);
        setMode(dmAutomatic);
        QTest::mouseMove(target, to);
        QTest::mouseRelease(target, Qt::LeftButton, {}, to);
        EXPECT_EQ(seen.Runs, 0);

        // The next press drags as usual.
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        QTest::mouseMove(target, to);
        QTest::mouseRelease(target, Qt::LeftButton, {}, to);
        EXPECT_EQ(seen.Runs, 1);
    }
}

// Qt's offscreen platform has no drag loop: exec answers at once that nothing took the drop.
TEST(PGImageDrag, WithoutADesktopTheDragEndsRefused) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10));
    c.Image.SetDragMode(dmAutomatic);
    int starts = 0, ends = 0;
    QObject* target = &c.Image;
    Qt::DropAction action = Qt::CopyAction;
    c.Image.OnStartDrag = [&](TPGImage&, QDrag& drag, Qt::DropActions&) {
        ++starts;
        drag.mimeData()->setText("control");
    };
    c.Image.OnEndDrag = [&](TPGImage&, QObject* to, Qt::DropAction result) {
        ++ends, target = to, action = result;
    };
    QWidget* area = c.Image.viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(50, 60));
    QTest::mouseMove(area, QPoint(50 + QApplication::startDragDistance(), 60));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(70, 60));
    c.Settle();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(action, Qt::IgnoreAction);
}

TEST(PGImageDrag, DragsTheBoxRefusesGoOnToTheControl) {
    Control c;
    c.Image.SetCenter(true);
    c.Image.AdoptPixelGraphic(halves(20, 10));
    TPicBox* box = &c.Image.PicBox();
    ASSERT_EQ(box->pos(), QPoint(38, 43));
    QMimeData data;
    data.setText("file:///a.bmp");
    QPoint over, dropped;
    c.Image.OnDragOver = [&](TPGImage&, QDragMoveEvent& e) {
        over = e.position().toPoint();
        e.acceptProposedAction();
    };
    c.Image.OnDragDrop = [&](TPGImage&, QDropEvent& e) {
        dropped = e.position().toPoint();
        e.acceptProposedAction();
    };
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(over, QPoint(43, 48)); // in the control's client coordinates
    QDropEvent drop(QPointF(7, 3), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(dropped, QPoint(45, 46));

    // The box's own handler comes first.
    c.Image.PicBoxOnDragOver = [](TPicBox&, QDragMoveEvent& e) { e.acceptProposedAction(); };
    over = {};
    QDragEnterEvent again(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(box, &again);
    EXPECT_TRUE(again.isAccepted());
    EXPECT_EQ(over, QPoint());
}

TEST(PGImage, RightClickShowsThePopUpMenuOfWhatIsUnderThePointer) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10)); // box at (0, 0)-(20, 10)
    QMenu boxMenu, controlMenu;
    boxMenu.addAction("box");
    controlMenu.addAction("control");
    struct Case {
        const char* Name;
        bool BoxMenu, ControlMenu;
        QPoint At; // in the control's client area
        QMenu* Shown;
    } cases[] = {
        {"the box's menu over the box", true, true, {5, 5}, &boxMenu},
        {"the control's menu around the box", true, true, {50, 50}, &controlMenu},
        {"the control's menu for a box without one", false, true, {5, 5}, &controlMenu},
        {"no menu at all", false, false, {5, 5}, nullptr},
        {"the box's menu is not offered around it", true, false, {50, 50}, nullptr},
    };
    QWindow* window = c.Image.windowHandle();
    for (const Case& t : cases) {
        SCOPED_TRACE(t.Name);
        c.Image.SetPicBoxPopupMenu(t.BoxMenu ? &boxMenu : nullptr);
        c.Image.SetPopupMenu(t.ControlMenu ? &controlMenu : nullptr);
        const QPoint at = c.Image.viewport()->mapTo(&c.Image, t.At);
        QTest::mouseClick(window, Qt::RightButton, {}, at);
        EXPECT_EQ(boxMenu.isVisible(), t.Shown == &boxMenu);
        EXPECT_EQ(controlMenu.isVisible(), t.Shown == &controlMenu);
        if (t.Shown) {
            EXPECT_EQ(t.Shown->pos(), c.Image.mapToGlobal(at));
        }
        boxMenu.hide();
        controlMenu.hide();
    }
}

TEST(PGImage, HintsFollowShowHintAndTheParents) {
    enum TSetting { Parent, Off, On };
    struct Case {
        const char* Name;
        std::optional<bool> WindowShows; // the ShowHint property of the enclosing window
        TSetting Control, Box;
        const char *OnBox, *Around; // hint shown over the box and beside it; none: nullptr
    } cases[] = {
        {"a window without hints", std::nullopt, Parent, Parent, nullptr, nullptr},
        {"a window showing hints", true, Parent, Parent, "box", "control"},
        {"a window not showing hints", false, Parent, Parent, nullptr, nullptr},
        {"the box turned off shows the control's", true, Parent, Off, "control", "control"},
        {"the control turned off silences both", true, Off, Parent, nullptr, nullptr},
        {"the control turned on", false, On, Parent, "box", "control"},
        {"the box turned on alone", false, Parent, On, "box", nullptr},
        {"the box turned on in a silent control", true, Off, On, "box", nullptr},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.Name);
        QWidget window;
        if (t.WindowShows) window.setProperty("ShowHint", *t.WindowShows);
        auto* image = new TPGImage(&window);
        image->AdoptPixelGraphic(halves(20, 10));
        image->setToolTip("control");
        image->SetPicBoxHint("box");
        if (t.Control != Parent) image->SetShowHint(t.Control == On);
        if (t.Box != Parent) image->SetPicBoxShowHint(t.Box == On);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto hintOver = [](QWidget* w, QPoint p) -> QString {
            QToolTip::showText({}, "none"); // what stays when no hint is shown
            QHelpEvent help(QEvent::ToolTip, p, w->mapToGlobal(p));
            QCoreApplication::sendEvent(w, &help);
            return QToolTip::text();
        };
        EXPECT_EQ(hintOver(&image->PicBox(), {5, 5}), t.OnBox ? t.OnBox : "none");
        EXPECT_EQ(hintOver(image->viewport(), {50, 50}), t.Around ? t.Around : "none");
    }
    QToolTip::hideText();
}

TEST(PGImage, ParentShowHintHandsTheDecisionBack) {
    QWidget window;
    window.setProperty("ShowHint", false);
    auto* image = new TPGImage(&window);
    image->SetPicBoxShowHint(true);
    EXPECT_FALSE(image->PicBoxParentShowHint());
    EXPECT_TRUE(image->PicBoxShowHint());
    image->SetPicBoxParentShowHint(true); // follows the control again, which follows the window
    EXPECT_FALSE(image->PicBoxShowHint());
    window.setProperty("ShowHint", true);
    EXPECT_TRUE(image->PicBoxShowHint());
    image->SetShowHint(false);
    EXPECT_FALSE(image->ParentShowHint());
    EXPECT_FALSE(image->PicBoxShowHint());
}

TEST(PGImage, AnEmptyHintOfAShowingBoxHidesTheControlsToo) {
    QWidget window;
    auto* image = new TPGImage(&window);
    image->AdoptPixelGraphic(halves(20, 10));
    image->setToolTip("control");
    image->SetShowHint(true);
    image->SetPicBoxShowHint(true); // and no hint of its own
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QToolTip::showText({}, "none");
    QHelpEvent help(QEvent::ToolTip, {5, 5}, image->PicBox().mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&image->PicBox(), &help);
    EXPECT_NE(QToolTip::text(), "control");
    QToolTip::hideText();
}

TEST(PGImage, AutoScrollTickMovesTowardsThePointer) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(200, 200));
    c.Settle();
    QScrollBar* h = c.Image.horizontalScrollBar();
    QScrollBar* v = c.Image.verticalScrollBar();
    ASSERT_TRUE(h->isVisible() && v->isVisible());
    const int max = h->maximum();
    ASSERT_EQ(v->maximum(), max);

    // Scrolling the picture by hand needs no automatic scrolling.
    QTest::mousePress(&c.Image.PicBox(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(c.Image.DragState(), dsScroll);
    EXPECT_EQ(c.Image.AutoScrollTimer(), nullptr);
    QTest::mouseRelease(&c.Image.PicBox(), Qt::LeftButton, {}, QPoint(30, 30));

    c.Image.SetActionMode(amCreateSelection);
    h->setValue(7);
    v->setValue(max - 3);
    QTest::mousePress(&c.Image.PicBox(), Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_NE(c.Image.AutoScrollTimer(), nullptr);
    EXPECT_EQ(c.Image.AutoScrollTimer()->interval(), 50);
    QWidget* area = c.Image.viewport();
    struct Step {
        QPoint Pointer; // in client coordinates
        int H, V;
    } steps[] = {
        {{-1, 40}, 2, max - 3},                                // left
        {{-1, 40}, 0, max - 3},                                // not below 0
        {{40, area->height()}, 0, max},                        // down, not past the end
        {{area->width(), -1}, 5, max - 5},                     // right and up
        {{area->width() - 1, area->height() - 1}, 5, max - 5}, // inside: nothing
    };
    for (const Step& s : steps) {
        QCursor::setPos(area->mapToGlobal(s.Pointer));
        tick(c.Image.AutoScrollTimer());
        EXPECT_EQ(h->value(), s.H) << s.Pointer.x() << "," << s.Pointer.y();
        EXPECT_EQ(v->value(), s.V) << s.Pointer.x() << "," << s.Pointer.y();
    }
    QTest::mouseRelease(&c.Image.PicBox(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(c.Image.AutoScrollTimer(), nullptr);
}

TEST(PGImage, AntsMarchOnEveryTick) {
    Control c;
    c.Image.AdoptPixelGraphic(halves(20, 10));
    c.Image.SetStretch(sZoomKAR);
    c.Image.SetZoomFactor(3);
    c.Image.SetActionMode(amCreateSelection); // the frame alone, no handles
    c.Image.SetSelectionBounds(5, 2, 4, 3);   // frame (14, 5)-(27, 15) in the box
    EXPECT_EQ(c.Image.AntsTimer(), nullptr);
    c.Image.SetSelection(true);
    ASSERT_NE(c.Image.AntsTimer(), nullptr);
    EXPECT_EQ(c.Image.AntsTimer()->interval(), 50);
    int paints = 0;
    c.Image.PicBoxOnPaint = [&](TPicBox&, QPainter&) { ++paints; };
    c.Settle();
    paints = 0;
    c.Settle();
    EXPECT_EQ(paints, 0); // nothing repaints by itself
    for (int n = 1; n <= 9; ++n) {
        SCOPED_TRACE(n);
        c.Settle();
        paints = 0;
        tick(c.Image.AntsTimer());
        EXPECT_EQ(c.Image.AntsPhase(), n % 8);
        c.Settle();
        EXPECT_GT(paints, 0);
        // Stripes four pixels wide running diagonally, shifted by the phase.
        const int k = (c.Image.AntsPhase() + 15 + 6) % 8;
        const QImage shot = c.Grab();
        int wrong = 0;
        for (int x = 14; x <= 27; ++x)
            for (int y : {5, 15})
                wrong += pixel(shot, x, y) != ((x + y - k + 8) % 8 > 3 ? red : white);
        for (int y = 5; y <= 15; ++y)
            for (int x : {14, 27})
                wrong += pixel(shot, x, y) != ((x + y - k + 8) % 8 > 3 ? red : white);
        EXPECT_EQ(wrong, 0);
    }
    c.Image.SetSelection(false);
    EXPECT_EQ(c.Image.AntsTimer(), nullptr);
}
