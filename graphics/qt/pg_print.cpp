#include "pg_print.h"

#include "pg_qt_view.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

QRect PGPrintRect(int imageW, int imageH, int pageW, int pageH, int aspectX, int aspectY) {
    if (imageW <= 0 || imageH <= 0 || pageW <= 0 || pageH <= 0 || aspectX <= 0 || aspectY <= 0)
        return {};
    const double r = double(imageW) / imageH, pixel = double(aspectX) / aspectY;
    // The page's physical aspect is (pageW x aspectX) : (pageH x aspectY).
    if (r >= double(pageW) / pageH * pixel) {
        const int h = std::max(1, int(std::lround(pageW / r * pixel)));
        return {0, (pageH - h) / 2, pageW, h};
    }
    const int w = std::max(1, int(std::lround(pageH * r / pixel)));
    return {(pageW - w) / 2, 0, w, pageH};
}

QString PGPrintJobTitle(const TPixelGraphic& image) {
    return QGuiApplication::applicationDisplayName() + QStringLiteral(" Graphic %1x%2x%3")
                                                           .arg(image.Width())
                                                           .arg(image.Height())
                                                           .arg(qint64(1) << image.BitCount());
}

bool Print(const TPixelGraphic& image, QPrinter& printer, bool ShowDialog, bool AutoOrientation,
           QWidget* Owner) {
    if (image.Empty()) return false;
    if (ShowDialog) {
        QPrintDialog dialog(&printer, Owner);
        if (dialog.exec() != QDialog::Accepted) return false;
    }
    const QPageLayout::Orientation previous = printer.pageLayout().orientation();
    if (AutoOrientation && image.Width() != image.Height())
        printer.setPageOrientation(image.Width() > image.Height() ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    printer.setDocName(PGPrintJobTitle(image));
    bool printed = false;
    {
        QPainter painter;
        if (painter.begin(&printer)) {
            // A printer pixel's width is inversely proportional to the horizontal resolution.
            const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
            Draw(painter,
                 PGPrintRect(image.Width(), image.Height(), page.width(), page.height(),
                             printer.logicalDpiY(), printer.logicalDpiX()),
                 image);
            printed = painter.end();
        }
    }
    printer.setPageOrientation(previous);
    return printed;
}

bool Print(const TPixelGraphic& image, bool ShowDialog, bool AutoOrientation, QWidget* Owner) {
    QPrinter printer(QPrinter::HighResolution);
    return Print(image, printer, ShowDialog, AutoOrientation, Owner);
}
