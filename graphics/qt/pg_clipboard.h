#pragma once
// The clipboard: images travel as packed device-independent bitmaps.

#include "pixel_graphic.h"

#include <QImage>
#include <QString>

#include <vector>

class QMimeData;

// Type under which the packed DIB is offered, as a BMP file (its 14-byte file header in front),
// which other programs on the desktop can paste.
inline const QString PGClipboardBmpType = QStringLiteral("image/bmp");

// Offers the image as BMP and as a plain picture; nothing happens for an empty image.
void CopyToClipboard(TPixelGraphic& image);
// Reads the clipboard's picture into the image through the packed-DIB form: our own BMP data
// when it is there, otherwise whatever picture Qt can decode, converted. Raises
// EPGUnknownClipboardFormat when the clipboard holds no picture.
void LoadFromClipboard(TPixelGraphic& image);

// The mime data CopyToClipboard places, and the reading half on any mime data.
QMimeData* PGClipboardMimeData(TPixelGraphic& image);
void LoadFromMimeData(TPixelGraphic& image, const QMimeData* data);
// A packed DIB (8-bit with colour table for indexed pictures, else 24-bit) of a QImage.
std::vector<uint8_t> PGPackedDIB(const QImage& picture);
