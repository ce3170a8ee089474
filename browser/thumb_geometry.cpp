#include "thumb_geometry.h"

#include <algorithm>

TThumbDisplayType DisplayTypeForThumbMode(int thumbMode) {
    switch (thumbMode) {
    case 1:
        return tdtIconInfo;
    case 2:
        return tdtLargeIcon;
    default:
        return tdtFilename;
    }
}

int CellMargin(const TThumbCellSettings& s) {
    switch (s.Type) {
    case tdtLargeIcon:
        return s.CellPadding;
    case tdtSmallIcon:
        return 2;
    default:
        return 1;
    }
}

namespace {
QSize unzoomedCell(const TThumbCellSettings& s) {
    const int p = CellMargin(s), w = s.ThumbnailWidth, h = s.ThumbnailHeight, t = s.TextHeight;
    switch (s.Type) {
    case tdtLargeIcon:
        return {2 * p + w + 7, t + 2 * p + h + 9};
    case tdtSmallIcon:
        return {2 * p + w / 2 + 9, 2 * p + h / 2 + 9};
    case tdtIconInfo:
        return {s.IconInfoColumnWidth, std::max(2 * p + h / 2 + 9, 3 * t + 2 * p + 12)};
    case tdtFilename:
        break;
    }
    return {s.FilenameColumnWidth, t + 5};
}
} // namespace

QSize CellSize(const TThumbCellSettings& s) {
    return unzoomedCell(s) * s.Zoom;
}

int CaptionWidthLimit(const TThumbCellSettings& s) {
    const int p = CellMargin(s);
    switch (s.Type) {
    case tdtLargeIcon:
        return CellSize(s).width() - 2 * p - 6;
    case tdtIconInfo:
        return s.IconInfoColumnWidth - (2 * p + s.ThumbnailWidth / 2 + 12);
    case tdtFilename:
        return s.FilenameColumnWidth - (2 * p + (s.ThumbButtons ? 22 : 4));
    case tdtSmallIcon:
        break;
    }
    return 0;
}

TGridShape GridShape(int items, QSize grid, QSize cell) {
    TGridShape shape;
    shape.Columns = std::max(1, (grid.width() - 20) / std::max(1, cell.width()));
    const int byHeight = (grid.height() - 20) / std::max(1, cell.height());
    const bool partRow = items > shape.Columns && items % shape.Columns != 0;
    shape.Rows = std::max(items / shape.Columns, byHeight) + (partRow ? 1 : 0);
    shape.Rows = std::max(shape.Rows, (items + shape.Columns - 1) / shape.Columns);
    return shape;
}

QSize FitIntoBox(QSize image, QSize box) {
    const int64_t w = std::max(image.width(), 1), h = std::max(image.height(), 1);
    const int64_t bw = std::max(box.width(), 1), bh = std::max(box.height(), 1);
    int64_t fw = bw, fh = bh;
    if (w * bh > h * bw)
        fh = h * bw / w;
    else
        fw = w * bh / h;
    return {static_cast<int>(std::max<int64_t>(fw, 1)), static_cast<int>(std::max<int64_t>(fh, 1))};
}

QSize FitOffset(QSize fitted, QSize box) {
    const auto offset = [](int f, int b) { return b - f > 1 ? (b - f) / 2 : 0; };
    return {offset(fitted.width(), box.width()), offset(fitted.height(), box.height())};
}

namespace {
int axisScale(int a, int b) {
    if (b > a / 2) return 1;
    if (b > a / 4) return 2;
    if (b > a / 8) return 4;
    return 8;
}
} // namespace

int JpegScaleFor(QSize image, QSize box) {
    return std::min(axisScale(image.width(), box.width()), axisScale(image.height(), box.height()));
}

QString FileSizeText(int64_t bytes) {
    constexpr int64_t MB = 1048576;
    const int64_t rounded = bytes + 512;
    if (bytes < MB) return QString::number(rounded / 1024) + QStringLiteral(" KB");
    if (rounded < 10 * MB)
        return QString::number(static_cast<double>(rounded) / MB, 'f', 2) + QStringLiteral(" MB");
    return QString::number(rounded / MB) + QStringLiteral(" MB");
}

QString ShortenCaption(const QString& name, int limit,
                       const std::function<int(const QString&)>& textWidth) {
    if (textWidth(name) <= limit) return name;
    QString text = name + QStringLiteral("..");
    while (textWidth(text) > limit && text.size() > 4) text.remove(text.size() - 3, 1);
    return text;
}
