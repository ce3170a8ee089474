#pragma once
// TPGCanvas: Qt drawing into the pixels of a TPixelGraphic, in picture coordinates.

#include "pixel_graphic.h"

#include <QImage>
#include <QPainter>

// A 24-bit image is painted in place through a QImage over its rows. A palette image is painted
// on a true-colour copy; when the canvas ends, every pixel whose colour changed takes the
// nearest palette index, and untouched pixels keep their stored index. Ending (explicitly or
// by destruction) reports the change through the image's Changed. The image must not be
// resized while a canvas is open.
class TPGCanvas {
public:
    explicit TPGCanvas(TPixelGraphic& image);
    ~TPGCanvas();
    TPGCanvas(const TPGCanvas&) = delete;
    TPGCanvas& operator=(const TPGCanvas&) = delete;

    // Inactive for an empty image.
    QPainter& Painter() { return FPainter; }
    void End();

private:
    TPixelGraphic& FImage;
    QImage FSurface;
    QImage FOriginal; // palette images: the colours before drawing
    QPainter FPainter;
    bool FOpen = false;
};
