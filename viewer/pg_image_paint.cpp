// Painting of the picture control: margins, tiles, the placeholder with its clocks, and the
// selection frame on the picture box.

#include "pg_image.h"

#include <QPaintEvent>
#include <QPainter>

// ---- painting ----

void TPGImage::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    // OnPaint follows every paint, also one that failed.
    struct TAfterPaint {
        TPGImage& Control;
        ~TAfterPaint() {
            if (Control.OnPaint) Control.OnPaint(Control);
        }
    } after{*this};
    paintViewport(painter, event->rect());
}

void TPGImage::paintViewport(QPainter& painter, const QRect& clip) {
    const TPGQtView* picture = preparePicture();
    if (OnPainting) OnPainting(*this);
    const TPGRect box = clientBox();
    if (FTiling == tNone || !picture) fillMargins(painter, box);
    if (picture) {
        drawTiles(painter, *picture, box, clip);
    } else if (FImage && !FImage->Empty()) {
        drawPlaceholder(painter, box);
    }
    if (FAwaitingCopy && picture) drawClocks(painter, box);
}

void TPGImage::fillMargins(QPainter& painter, const TPGRect& box) {
    const int cw = viewport()->width(), ch = viewport()->height();
    const QRect margins[4] = {{0, 0, cw, box.Top},
                              {0, box.Bottom, cw, ch - box.Bottom},
                              {0, 0, box.Left, ch},
                              {box.Right, 0, cw - box.Right, ch}};
    for (const QRect& r : margins)
        if (r.width() > 0 && r.height() > 0) painter.fillRect(r, FColor);
}

void TPGImage::drawTiles(QPainter& painter, const TPGQtView& view, const TPGRect& box,
                         const QRect& clip) {
    const TPGTileRange range = PGTileRange(FTiling, box, viewport()->width(), viewport()->height());
    struct TTile {
        QRect Rect;
        int Kind; // bit 0: mirrored horizontally, bit 1: vertically
    };
    std::vector<TTile> tiles;
    int counts[4] = {0, 0, 0, 0};
    for (int j = range.J0; j <= range.J1; ++j)
        for (int i = range.I0; i <= range.I1; ++i) {
            const TPGRect t = PGTileRect(box, i, j);
            if (t.Right < clip.left() || t.Left > clip.right() + 1 || t.Bottom < clip.top() ||
                t.Top > clip.bottom() + 1)
                continue;
            const int kind = int(PGTileMirrorX(FTiling, FFlipHorizontal, i)) |
                             int(PGTileMirrorY(FTiling, FFlipVertical, j)) << 1;
            tiles.push_back({ToQRect(t), kind});
            ++counts[kind];
        }
    // A mirrored copy pays off only when more than two tiles need it.
    std::array<std::optional<TPGQtView>, 4> copies;
    for (int kind = 1; kind < 4; ++kind)
        if (counts[kind] > 2) copies[kind] = view.Mirrored(kind & 1, kind & 2);
    for (const TTile& t : tiles) {
        if (copies[t.Kind])
            copies[t.Kind]->Draw(painter, t.Rect);
        else
            view.Draw(painter, t.Rect, t.Kind & 1, t.Kind & 2);
    }
}

void TPGImage::drawPlaceholder(QPainter& painter, const TPGRect& box) {
    if (box.Width() > 0 && box.Height() > 0) {
        painter.setPen(FPicBoxFrameColor);
        painter.setBrush(PicBoxColor());
        painter.drawRect(box.Left, box.Top, box.Width() - 1, box.Height() - 1);
    }
    drawClocks(painter, box);
}

void TPGImage::drawClocks(QPainter& painter, const TPGRect& box) {
    if (!FProgressClockVisible) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const auto& [x, y] : PGClockPositions(box, FProgress5Clocks)) {
        painter.setPen(FProgressClockLineColor);
        painter.setBrush(FProgressClockBkColor);
        painter.drawEllipse(x, y, 14, 14);
        const TPGClockHands hands = PGClockHands(x, y, FStage, FPercent);
        painter.drawLine(hands.CenterX, hands.CenterY, hands.HourX, hands.HourY);
        painter.drawLine(hands.CenterX, hands.CenterY, hands.MinuteX, hands.MinuteY);
    }
    painter.restore();
}

// ---- selection ----

TPGRect TPGImage::SelectionRect() const {
    const int left = std::clamp(FSel.Left, 0, FImageWidth);
    const int top = std::clamp(FSel.Top, 0, FImageHeight);
    const int right = std::clamp(FSel.Left + FSel.Width, left, FImageWidth);
    const int bottom = std::clamp(FSel.Top + FSel.Height, top, FImageHeight);
    return {left, top, right, bottom};
}

TPGRect TPGImage::SelectionPicBoxRect() const {
    const TPGRect r = SelectionRect();
    return {ImageToPicBoxX(r.Left), ImageToPicBoxY(r.Top), ImageToPicBoxX(r.Right),
            ImageToPicBoxY(r.Bottom)};
}

void TPGImage::SetSelection(bool value) {
    if (value == FSelection) return;
    FSelection = value;
    if (FSelection) {
        FAntsTimer = std::make_unique<QTimer>();
        FAntsTimer->setInterval(50);
        QObject::connect(FAntsTimer.get(), &QTimer::timeout, this, [this] {
            FAntsPhase = (FAntsPhase + 1) % 8;
            invalidateFrame(SelectionPicBoxRect());
        });
        FAntsTimer->start();
    } else {
        FAntsTimer.reset();
    }
    FPicBox->update();
    if (OnSelectionChange) OnSelectionChange(*this);
}

void TPGImage::SetSelectionBounds(int Left, int Top, int Width, int Height) {
    const TPGSelection next{Left, Top, Width, Height};
    if (next == FSel) return;
    if (FSelection) invalidateFrame(SelectionPicBoxRect());
    FSel = next;
    if (FSelection) invalidateFrame(SelectionPicBoxRect());
    if (OnSelectionChange) OnSelectionChange(*this);
}

void TPGImage::invalidateFrame(const TPGRect& s) {
    const int m = FActionMode == amMoveResizeCreateSelection ? 8 : 1;
    const int l = s.Left - 1 - m, t = s.Top - 1 - m, r = s.Right + 1 + m, b = s.Bottom + 1 + m;
    QRegion strips;
    strips += QRect(l, t, r - l, 2 * m + 1);
    strips += QRect(l, s.Bottom - m, r - l, b - (s.Bottom - m));
    strips += QRect(l, t, 2 * m + 1, b - t);
    strips += QRect(s.Right - m, t, r - (s.Right - m), b - t);
    FPicBox->update(strips);
}

void TPGImage::SetSelectionColor1(const QColor& c) {
    FSelectionColor1 = c;
    FAntsBrushes = {};
    FPicBox->update();
}

void TPGImage::SetSelectionColor2(const QColor& c) {
    FSelectionColor2 = c;
    FAntsBrushes = {};
    FPicBox->update();
}

const QBrush& TPGImage::antsBrush(int k) {
    if (!FAntsBrushes[k]) {
        QImage pattern(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pattern.setPixel(
                    x, y, (PGAntsSecondColor(k, x, y) ? FSelectionColor2 : FSelectionColor1).rgb());
        FAntsBrushes[k] = QBrush(pattern);
    }
    return *FAntsBrushes[k];
}

void TPGImage::paintSelection(QPainter& painter) {
    if (!FSelection) return;
    const TPGRect s = SelectionPicBoxRect();
    const QBrush& brush = antsBrush(PGAntsBrush(FAntsPhase, s.Left, s.Top));
    auto frame = [&](const TPGRect& r) {
        const QRect q = ToQRect(r);
        painter.fillRect(q.left(), q.top(), q.width(), 1, brush);
        painter.fillRect(q.left(), q.bottom(), q.width(), 1, brush);
        painter.fillRect(q.left(), q.top(), 1, q.height(), brush);
        painter.fillRect(q.right(), q.top(), 1, q.height(), brush);
    };
    frame({s.Left - 1, s.Top - 1, s.Right + 1, s.Bottom + 1});
    if (FActionMode == amMoveResizeCreateSelection)
        for (const TPGRect& handle : PGHandleRects(s)) frame(handle);
}

void TPGImage::SetActionMode(TActionMode v) {
    FActionMode = v;
    viewport()->update();
    FPicBox->update();
}
