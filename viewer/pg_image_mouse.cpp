// Mouse interaction with the picture box and the cursors of the picture control.

#include "pg_image.h"

#include <QApplication>
#include <QBitmap>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// A cross-hair of one-pixel lines in alternating black and white runs of three pixels, visible
// on any picture.
QCursor crossHair() {
    QImage bits(32, 32, QImage::Format_Mono), mask(32, 32, QImage::Format_Mono);
    bits.fill(0), mask.fill(0);
    for (int i = 0; i < 31; ++i) {
        if (i == 15) continue;
        const uint black = (i / 3) % 2 == 0;
        bits.setPixel(i, 15, black), mask.setPixel(i, 15, 1);
        bits.setPixel(15, i, black), mask.setPixel(15, i, 1);
    }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), 15, 15);
}

// The picture of a cursor for a drag; none for the standard shapes, which only the desktop
// draws. A two-colour cursor is black where its bits are set, white where they are clear and
// transparent outside its mask.
QPixmap cursorPicture(const QCursor& cursor) {
    if (cursor.shape() != Qt::BitmapCursor) return {};
    if (const QPixmap pixmap = cursor.pixmap(); !pixmap.isNull()) return pixmap;
    const QImage bits = cursor.bitmap().toImage(), mask = cursor.mask().toImage();
    if (bits.isNull()) return {};
    QImage picture(bits.size(), QImage::Format_ARGB32);
    for (int y = 0; y < bits.height(); ++y)
        for (int x = 0; x < bits.width(); ++x) {
            const bool shown = mask.isNull() || qGray(mask.pixel(x, y)) < 128;
            const bool black = qGray(bits.pixel(x, y)) < 128;
            picture.setPixel(x, y, !shown ? 0u : black ? 0xFF000000u : 0xFFFFFFFFu);
        }
    return QPixmap::fromImage(picture);
}

} // namespace

// ---- mouse and cursor ----

TPGMouseContext TPGImage::mouseContext() const {
    TPGMouseContext c;
    c.Mode = FActionMode, c.Selection = FSelection, c.Bounds = FSel;
    c.SelectionBox = SelectionPicBoxRect();
    c.CanScroll = canScroll();
    c.ImageWidth = FImageWidth, c.ImageHeight = FImageHeight;
    c.BoxWidth = FBox.Width(), c.BoxHeight = FBox.Height();
    return c;
}

void TPGImage::applySelectionResult(const TPGMouseResult& r) {
    if (r.TurnSelectionOn) SetSelection(true);
    if (r.SelectionChanged)
        SetSelectionBounds(r.Bounds.Left, r.Bounds.Top, r.Bounds.Width, r.Bounds.Height);
}

void TPGImage::picBoxMouseDown(QMouseEvent& e) {
    if (e.button() != Qt::LeftButton) return;
    FPressed = true;
    const QPoint p = e.position().toPoint();
    if (FPicBoxDrag.Press(FPicBoxDragMode, p.x(), p.y())) return;
    applySelectionResult(FMouse.Press(mouseContext(), p.x(), p.y()));
    if (FMouse.State() == dsNone) return;
    if (FMouse.State() != dsScroll) {
        FAutoScrollTimer = std::make_unique<QTimer>();
        FAutoScrollTimer->setInterval(50);
        QObject::connect(FAutoScrollTimer.get(), &QTimer::timeout, this,
                         [this] { autoScrollTick(); });
        FAutoScrollTimer->start();
    }
    updatePicBoxCursor(p.x(), p.y());
}

void TPGImage::picBoxMouseMove(QMouseEvent& e) {
    const QPoint p = e.position().toPoint();
    if (FPicBoxDrag.Move(p.x(), p.y(), e.buttons() & Qt::LeftButton,
                         QApplication::startDragDistance())) {
        FPressed = false; // the drag loop takes the release
        runDrag(*FPicBox, FPicBoxDragCursor, PicBoxOnStartDrag, PicBoxOnEndDrag);
        return;
    }
    if (FMouse.State() != dsNone) {
        const TPGMouseResult r = FMouse.Move(mouseContext(), p.x(), p.y());
        if (FMouse.State() == dsScroll)
            scrollBy(p.x(), p.y(), r.ScrollDX, r.ScrollDY);
        else
            applySelectionResult(r);
    }
    updatePicBoxCursor(p.x(), p.y());
}

void TPGImage::picBoxMouseUp(QMouseEvent& e) {
    if (e.button() != Qt::LeftButton) return;
    const QPoint p = e.position().toPoint();
    const bool wasPressed = FPressed;
    FPressed = false;
    FPicBoxDrag.Release();
    const bool made = FMouse.Release();
    FAutoScrollTimer.reset();
    if (made) {
        SetSelection(true);
        if (OnSelectionMade) OnSelectionMade(*this);
    }
    if (wasPressed && FPicBox->rect().contains(p) && PicBoxOnClick) PicBoxOnClick(*FPicBox);
    updatePicBoxCursor(p.x(), p.y());
}

void TPGImage::scrollBy(int x, int y, int dx, int dy) {
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const int oldH = h->value(), oldV = v->value();
    h->setValue(oldH + dx);
    v->setValue(oldV + dy);
    FMouse.Scrolled(x, y, h->value() - oldH, v->value() - oldV);
}

void TPGImage::autoScrollTick() {
    const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const TPGScrollPos next =
        PGAutoScrollStep(p.x(), p.y(), viewport()->width(), viewport()->height(),
                         {h->value(), v->value()}, {h->maximum(), v->maximum()});
    h->setValue(next.X);
    v->setValue(next.Y);
}

void TPGImage::SetPicBoxDragMode(TDragMode v) {
    FPicBoxDragMode = v;
    FPicBoxDrag.Release();
}

void TPGImage::SetDragMode(TDragMode v) {
    FDragMode = v;
    FMarginDrag.Release();
}

template <class TSender>
void TPGImage::runDrag(TSender& source, const QCursor& cursor, const TStartDrag<TSender>& onStart,
                       const TEndDrag<TSender>& onEnd) {
    // Qt may delete the drag once its loop ends.
    QPointer<QDrag> drag = new QDrag(&source);
    drag->setMimeData(new QMimeData);
    Qt::DropActions actions = Qt::CopyAction;
    if (onStart) onStart(source, *drag, actions);
    if (const QPixmap picture = cursorPicture(cursor); !picture.isNull())
        for (const Qt::DropAction a : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction})
            if (actions & a) drag->setDragCursor(picture, a);
    TPGDragOutcome outcome;
    if (FDragRunner) {
        outcome = FDragRunner(*drag, actions);
    } else {
        outcome.Action = drag->exec(actions);
        outcome.Target = drag ? drag->target() : nullptr;
    }
    if (onEnd) onEnd(source, outcome.Target, outcome.Action);
    if (drag) drag->deleteLater();
}

// ---- the area around the picture box ----

bool TPGImage::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        marginMouse(static_cast<QMouseEvent&>(*event));
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        event->ignore(); // refused unless the handler accepts
        if (OnDragOver) OnDragOver(*this, static_cast<QDragMoveEvent&>(*event));
        return true;
    case QEvent::Drop:
        event->ignore();
        if (OnDragDrop) OnDragDrop(*this, static_cast<QDropEvent&>(*event));
        return true;
    case QEvent::ToolTip:
        // The control answers, after deciding whether it shows hints at all.
        event->ignore();
        return false;
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TPGImage::marginMouse(QMouseEvent& e) {
    const QPoint p = e.position().toPoint();
    const bool left = e.button() == Qt::LeftButton;
    switch (e.type()) {
    case QEvent::MouseButtonPress:
        if (left) {
            FMarginPressed = true;
            FMarginDrag.Press(FDragMode, p.x(), p.y());
        }
        if (OnMouseDown) OnMouseDown(*this, e);
        break;
    case QEvent::MouseMove:
        if (!FPressed) updateViewportCursor();
        if (FMarginDrag.Move(p.x(), p.y(), e.buttons() & Qt::LeftButton,
                             QApplication::startDragDistance())) {
            FMarginPressed = false; // the drag loop takes the release
            runDrag(*this, FDragCursor, OnStartDrag, OnEndDrag);
        }
        if (OnMouseMove) OnMouseMove(*this, e);
        break;
    case QEvent::MouseButtonRelease:
        if (OnMouseUp) OnMouseUp(*this, e);
        if (left) {
            FMarginDrag.Release();
            if (FMarginPressed && viewport()->rect().contains(p) && OnClick) OnClick(*this);
            FMarginPressed = false;
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (OnDblClick) OnDblClick(*this);
        break;
    default:
        break;
    }
}

QCursor TPGImage::cursorOf(TPGCursorKind kind) const {
    switch (kind) {
    case ckHand:
        return Qt::OpenHandCursor;
    case ckGrab:
        return Qt::ClosedHandCursor;
    case ckCross: {
        static const QCursor cross = crossHair();
        return cross;
    }
    case ckMove:
        return Qt::SizeAllCursor;
    case ckSizeNS:
        return Qt::SizeVerCursor;
    case ckSizeWE:
        return Qt::SizeHorCursor;
    case ckSizeNWSE:
        return Qt::SizeFDiagCursor;
    case ckSizeNESW:
        return Qt::SizeBDiagCursor;
    case ckDefault:
        break;
    }
    return FPicBoxCursor;
}

void TPGImage::updatePicBoxCursor(int x, int y) {
    // A cursor the application has set (the hourglass) wins.
    if (QGuiApplication::overrideCursor()) return;
    // Presses drag the picture away in automatic mode: no selection or scrolling cursors.
    QCursor cursor = FPicBoxDragMode == dmAutomatic
                         ? FPicBoxCursor
                         : cursorOf(PGCursorFor(mouseContext(), FMouse.State(), x, y));
    if (PicBoxOnSetCursor) PicBoxOnSetCursor(*FPicBox, cursor);
    FPicBox->setCursor(cursor);
}

void TPGImage::updateViewportCursor() {
    if (QGuiApplication::overrideCursor()) return;
    QCursor c = cursor();
    if (OnSetCursor) OnSetCursor(*this, c);
    viewport()->setCursor(c);
}
