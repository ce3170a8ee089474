#pragma once
// The grid's arithmetic without a widget: display types, cell sizes, rows and columns, the
// fitting of a picture into the thumbnail box, the JPEG reduction, captions and size texts.

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

enum TThumbDisplayType { tdtLargeIcon, tdtSmallIcon, tdtIconInfo, tdtFilename };

// ThumbMode 0, 1, 2 of the settings: file names, small thumbnails, thumbnails.
TThumbDisplayType DisplayTypeForThumbMode(int thumbMode);

struct TThumbCellSettings {
    TThumbDisplayType Type = tdtFilename;
    int ThumbnailWidth = 90, ThumbnailHeight = 75;
    int CellPadding = 5;
    int FilenameColumnWidth = 118;
    int IconInfoColumnWidth = 158;
    bool ThumbButtons = false;
    int Zoom = 1;
    int TextHeight = 0; // of "Orl" in the grid's font
};

// The margin around the inner cell.
int CellMargin(const TThumbCellSettings& s);
QSize CellSize(const TThumbCellSettings& s);
// The width a caption may take: the inner width minus 6 for large icons, the text column of
// the other types.
int CaptionWidthLimit(const TThumbCellSettings& s);

struct TGridShape {
    int Columns = 1;
    int Rows = 0;
};
// 20 pixels stay free for the scroll bar. Every item has a row, however low the grid is.
TGridShape GridShape(int items, QSize grid, QSize cell);

// The picture fitted into the box keeping its aspect, each side at least 1 pixel.
QSize FitIntoBox(QSize image, QSize box);
// Where a fitted size sits in its box: centred along a side more than a pixel short.
QSize FitOffset(QSize fitted, QSize box);
// The JPEG reduction 1, 2, 4 or 8 for a picture shown in the box: per axis the largest that
// still gives at least the box, and the smaller of the two axes.
int JpegScaleFor(QSize image, QSize box);

// 600 bytes: "1 KB"; 1,572,864 bytes: "1.50 MB"; always with a point.
QString FileSizeText(int64_t bytes);
// The name as it fits the limit: ".." appended and the characters before it removed one by
// one until it fits or four characters remain.
QString ShortenCaption(const QString& name, int limit,
                       const std::function<int(const QString&)>& textWidth);
