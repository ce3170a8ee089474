#pragma once
// Drawing a TPixelGraphic with Qt: a QImage over its bottom-up pixel rows and Draw.

#include "pixel_graphic.h"

#include <QImage>
#include <QRect>

class QPainter;

// A QImage over an image's pixel rows in storage order: its row 0 is the picture's bottom row.
// 1-, 8- and 24-bit blocks are wrapped without copying; a 4-bit block, for which Qt has no
// format, is widened once to 8 bits, and the colour table is copied. A view must not outlive the
// pixels it wraps; Matches() tells whether it still shows them as they are.
class TPGQtView {
public:
    TPGQtView() = default;
    explicit TPGQtView(const TPixelGraphic& image);

    bool Empty() const { return FRows.isNull(); }
    bool Matches(const TPixelGraphic& image) const;
    const QImage& Rows() const { return FRows; }
    // An owning copy of the picture mirrored as asked.
    TPGQtView Mirrored(bool horizontal, bool vertical) const;
    // The whole picture scaled into rect with nearest-neighbour sampling, mirrored as asked.
    void Draw(QPainter& painter, const QRect& rect, bool mirrorX = false,
              bool mirrorY = false) const;

private:
    QImage FRows;
    const uint8_t* FBits = nullptr;
    int FWidth = 0, FHeight = 0;
    uint8_t FFormat = pf24Bit;
    uint64_t FChangeCount = 0;
};

// Qt colour of a packed 0x00BBGGRR colour, and back.
QRgb PGToQRgb(uint32_t color);
uint32_t PGFromQRgb(QRgb rgb);

// Draws the whole image scaled into rect (nearest neighbour); nothing for an empty image.
void Draw(QPainter& painter, const QRect& rect, const TPixelGraphic& image);
