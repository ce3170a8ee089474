#pragma once
// The metafile player's drawing device on a QPainter: shapes without antialiasing, as the
// metafiles' own platform draws them, text as Qt renders it.

#include "metafile_device.h"

#include <QPainter>
#include <QRegion>

#include <vector>

class TMFPainterDevice : public TMetafileDevice {
public:
    // Draws in picture coordinates on a painter set up for them, over width x height pixels.
    TMFPainterDevice(QPainter& painter, int width, int height);

    void FillPath(const TMFPath& path, const TMFBrush& brush, const TMFDrawState& state) override;
    void StrokePath(const TMFPath& path, const TMFPen& pen, const TMFDrawState& state) override;
    double DrawText(const TMFTextRun& run) override;
    void DrawImage(const TPixelGraphic& image, int sx, int sy, int sw, int sh, TMFPoint topLeft,
                   TMFPoint topRight, TMFPoint bottomLeft, TMFBlend blend) override;
    void SetClip(const TMFClip& clip) override;

private:
    // Composition for a binary raster operation; false when nothing is to be drawn.
    bool compose(uint8_t rop2, QColor& color);

    QPainter& FPainter;
    QRect FArea;
    // The clip as last set, and the region after each of its steps, so a clip that only grows
    // costs one region operation.
    TMFClip FClip;
    std::vector<QRegion> FRegions;
};
