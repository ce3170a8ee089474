#include "pg_canvas.h"

#include "pg_qt_view.h"

namespace {

QImage trueColorCopy(const TPixelGraphic& image) {
    QImage copy(image.Width(), image.Height(), QImage::Format_RGB32);
    for (int y = 0; y < image.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < image.Width(); ++x) row[x] = PGToQRgb(image.GetPixelColor(x, y));
    }
    return copy;
}

} // namespace

TPGCanvas::TPGCanvas(TPixelGraphic& image) : FImage(image) {
    if (image.Empty()) return;
    if (image.PixelFormat() == pf24Bit) {
        FSurface = QImage(image.Bits(), image.Width(), image.Height(),
                          static_cast<qsizetype>(image.BytesPerRow()), QImage::Format_BGR888);
    } else {
        FOriginal = trueColorCopy(image);
        FSurface = FOriginal.copy();
    }
    FOpen = FPainter.begin(&FSurface);
    // The wrapped rows run bottom-up; callers draw with the top row at y = 0.
    if (FOpen && image.PixelFormat() == pf24Bit)
        FPainter.setTransform(QTransform(1, 0, 0, -1, 0, image.Height()));
}

TPGCanvas::~TPGCanvas() {
    End();
}

void TPGCanvas::End() {
    if (!FOpen) return;
    FOpen = false;
    FPainter.end();
    if (!FOriginal.isNull()) {
        for (int y = 0; y < FImage.Height(); ++y) {
            const auto* before = reinterpret_cast<const QRgb*>(FOriginal.constScanLine(y));
            const auto* after = reinterpret_cast<const QRgb*>(FSurface.constScanLine(y));
            for (int x = 0; x < FImage.Width(); ++x)
                if (before[x] != after[x]) FImage.SetPixelColor(x, y, PGFromQRgb(after[x]));
        }
    }
    FImage.Changed();
}
