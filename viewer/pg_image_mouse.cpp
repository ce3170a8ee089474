// Mouse interaction with the picture box and the cursors of the picture control.

#include "pg_image.h"

#include <QBitmap>
#include <QGuiApplication>
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
    if (p.x() < 0) h->setValue(std::max(0, h->value() - 5));
    if (p.y() < 0) v->setValue(std::max(0, v->value() - 5));
    if (p.x() >= viewport()->width() && h->value() < h->maximum()) h->setValue(h->value() + 5);
    if (p.y() >= viewport()->height() && v->value() < v->maximum()) v->setValue(v->value() + 5);
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
    QCursor cursor = cursorOf(PGCursorFor(mouseContext(), FMouse.State(), x, y));
    if (PicBoxOnSetCursor) PicBoxOnSetCursor(*FPicBox, cursor);
    FPicBox->setCursor(cursor);
}

void TPGImage::updateViewportCursor() {
    if (QGuiApplication::overrideCursor()) return;
    QCursor c = cursor();
    if (OnSetCursor) OnSetCursor(*this, c);
    viewport()->setCursor(c);
}
