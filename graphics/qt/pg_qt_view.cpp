#include "pg_qt_view.h"

#include <QPainter>

QRgb PGToQRgb(uint32_t color) {
    return qRgb(PGRed(color), PGGreen(color), PGBlue(color));
}

uint32_t PGFromQRgb(QRgb rgb) {
    return PGColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

namespace {

QList<QRgb> colorTable(const TPixelGraphic& image) {
    QList<QRgb> table(image.ColorCount());
    for (int i = 0; i < image.ColorCount(); ++i)
        table[i] = PGToQRgb(image.ColorTableEntry(static_cast<uint32_t>(i)));
    return table;
}

QImage widenedNibbles(const TPixelGraphic& image) {
    QImage rows(image.Width(), image.Height(), QImage::Format_Indexed8);
    for (int r = 0; r < image.Height(); ++r) {
        const uint8_t* src = image.Bits() + r * image.BytesPerRow();
        uchar* dst = rows.scanLine(r);
        for (int x = 0; x < image.Width(); ++x)
            dst[x] = x % 2 ? src[x / 2] & 0x0F : src[x / 2] >> 4;
    }
    return rows;
}

} // namespace

TPGQtView::TPGQtView(const TPixelGraphic& image)
    : FBits(image.Bits()), FWidth(image.Width()), FHeight(image.Height()),
      FFormat(image.PixelFormat()), FChangeCount(image.ChangeCount()) {
    if (image.Empty()) return;
    const auto bpr = static_cast<qsizetype>(image.BytesPerRow());
    switch (image.PixelFormat()) {
    case pf24Bit:
        FRows = QImage(image.Bits(), FWidth, FHeight, bpr, QImage::Format_BGR888);
        return;
    case pf8Bit:
        FRows = QImage(image.Bits(), FWidth, FHeight, bpr, QImage::Format_Indexed8);
        break;
    case pf1Bit:
        FRows = QImage(image.Bits(), FWidth, FHeight, bpr, QImage::Format_Mono);
        break;
    default:
        FRows = widenedNibbles(image);
        break;
    }
    // The table always has ColorCount entries, so no stored index falls outside it.
    FRows.setColorTable(colorTable(image));
}

bool TPGQtView::Matches(const TPixelGraphic& image) const {
    // A reported change may have edited the palette or the nibbles, which the view copied.
    return !Empty() && FBits == image.Bits() && FWidth == image.Width() &&
           FHeight == image.Height() && FFormat == image.PixelFormat() &&
           FChangeCount == image.ChangeCount();
}

TPGQtView TPGQtView::Mirrored(bool horizontal, bool vertical) const {
    TPGQtView copy(*this);
    copy.FRows = FRows.mirrored(horizontal, vertical);
    copy.FBits = nullptr;
    return copy;
}

void TPGQtView::Draw(QPainter& painter, const QRect& rect, bool mirrorX, bool mirrorY) const {
    if (Empty() || rect.isEmpty()) return;
    // Rows are stored bottom-up, so drawing them upright is itself a vertical mirror.
    const bool flipY = !mirrorY;
    const qreal sx = qreal(rect.width()) / FRows.width(),
                sy = qreal(rect.height()) / FRows.height();
    const qreal ox = mirrorX ? rect.x() + rect.width() : rect.x();
    const qreal oy = flipY ? rect.y() + rect.height() : rect.y();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setTransform(QTransform(mirrorX ? -sx : sx, 0, 0, flipY ? -sy : sy, ox, oy), true);
    painter.drawImage(QPointF(0, 0), FRows);
    painter.restore();
}

void Draw(QPainter& painter, const QRect& rect, const TPixelGraphic& image) {
    TPGQtView(image).Draw(painter, rect);
}
