#include "pg_metafile_painter.h"

#include "pg_qt_view.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QColor qColor(uint32_t c) {
    return QColor::fromRgb(PGToQRgb(c));
}

QPainterPath qPath(const TMFPath& path, TMFFillMode mode) {
    QPainterPath out;
    out.setFillRule(mode == fmWinding ? Qt::WindingFill : Qt::OddEvenFill);
    const auto& points = path.Points();
    size_t at = 0;
    for (TMFPath::TSegment s : path.Segments()) {
        switch (s) {
        case TMFPath::Move:
            out.moveTo(points[at].X, points[at].Y);
            ++at;
            break;
        case TMFPath::Line:
            out.lineTo(points[at].X, points[at].Y);
            ++at;
            break;
        case TMFPath::Cubic:
            out.cubicTo(points[at].X, points[at].Y, points[at + 1].X, points[at + 1].Y,
                        points[at + 2].X, points[at + 2].Y);
            at += 3;
            break;
        case TMFPath::Close:
            out.closeSubpath();
            break;
        }
    }
    return out;
}

Qt::PenStyle penStyle(TMFPenStyle s) {
    switch (s) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psNull:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle hatchStyle(int hatch) {
    static constexpr Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,
                                                Qt::FDiagPattern, Qt::BDiagPattern,
                                                Qt::CrossPattern, Qt::DiagCrossPattern};
    return styles[std::clamp(hatch, 0, 5)];
}

// Pixels with the top row first, as the painter's picture coordinates have them.
QImage topDown(const TPixelGraphic& image) {
    return TPGQtView(image).Rows().mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

// The area within a pixel of the picture: a region of figures far outside would round
// coordinates past the int range, and only the part over the picture counts.
QRegion regionOf(const TMFPath& area, TMFFillMode mode, const QRect& all) {
    QPainterPath path = qPath(area, mode);
    QPainterPath picture;
    picture.addRect(QRectF(all).adjusted(-1, -1, 1, 1));
    if (!picture.boundingRect().contains(path.boundingRect())) path = path.intersected(picture);
    return QRegion(path.toFillPolygon().toPolygon(),
                   mode == fmWinding ? Qt::WindingFill : Qt::OddEvenFill);
}

QRegion combine(const QRegion& so, const TMFClipStep& step, const QRect& all) {
    const QRegion area = regionOf(step.Area, step.FillMode, all);
    switch (step.Mode) {
    case TMFClipMode::And:
        return so & area;
    case TMFClipMode::Or:
        return so | area;
    case TMFClipMode::Xor:
        return so ^ area;
    case TMFClipMode::Diff:
        return so - area;
    case TMFClipMode::Copy:
        return area & all;
    }
    return so;
}

// The font at the run's height: a cell height leaves out the internal leading. Glyphs stay
// within limit pixels either way: Qt renders each glyph whole before clipping, and a turned
// glyph of a hostile size takes minutes, where one twice the picture shows only a part.
QFont qFont(const TMFFont& f, int limit) {
    QFont font(QString::fromStdString(f.Face.empty() ? std::string("Arial") : f.Face));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.Weight > 0 ? f.Weight : 400, 1, 1000)));
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    double em = f.Height;
    if (f.CellHeight) {
        font.setPixelSize(1000);
        const QFontMetricsF m(font);
        em = f.Height * 1000 / std::max(1.0, m.ascent() + m.descent());
    }
    const int size = std::clamp(static_cast<int>(std::lround(std::min(em, 1e9))), 1, limit);
    font.setPixelSize(size);
    if (f.Width > 0) {
        const double average = QFontMetricsF(font).averageCharWidth();
        const double widest = std::clamp(100.0 * limit / size, 1.0, 4000.0);
        if (average > 0)
            font.setStretch(
                static_cast<int>(std::lround(std::clamp(100 * f.Width / average, 1.0, widest))));
    }
    return font;
}

} // namespace

TMFPainterDevice::TMFPainterDevice(QPainter& painter, int width, int height)
    : FPainter(painter), FArea(0, 0, width, height) {
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

bool TMFPainterDevice::compose(uint8_t rop2, QColor& color) {
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (rop2) {
    case R2_NOP:
        return false;
    case R2_BLACK:
        color = Qt::black;
        break;
    case R2_WHITE:
        color = Qt::white;
        break;
    case R2_NOT:
        mode = QPainter::RasterOp_NotDestination;
        break;
    case R2_XORPEN:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case R2_NOTXORPEN:
        mode = QPainter::RasterOp_NotSourceXorDestination;
        break;
    case R2_MASKPEN:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
    case R2_MERGEPEN:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    case R2_NOTCOPYPEN:
        mode = QPainter::RasterOp_NotSource;
        break;
    default:
        break;
    }
    FPainter.setCompositionMode(mode);
    return true;
}

void TMFPainterDevice::FillPath(const TMFPath& path, const TMFBrush& brush,
                                const TMFDrawState& state) {
    QColor color = qColor(brush.Color);
    if (brush.Style == bsNull || !compose(state.Rop2, color)) return;
    const QPainterPath p = qPath(path, state.FillMode);
    QBrush qbrush(color);
    if (brush.Style == bsHatched) {
        if (state.OpaqueBackground) FPainter.fillPath(p, qColor(state.BackgroundColor));
        qbrush = QBrush(color, hatchStyle(brush.Hatch));
    } else if (brush.Style == bsPattern && brush.Pattern) {
        qbrush = QBrush(topDown(*brush.Pattern));
    }
    FPainter.fillPath(p, qbrush);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TMFPainterDevice::StrokePath(const TMFPath& path, const TMFPen& pen,
                                  const TMFDrawState& state) {
    QColor color = qColor(pen.Color);
    if (pen.Style == psNull || !compose(state.Rop2, color)) return;
    static constexpr Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap};
    static constexpr Qt::PenJoinStyle joins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin};
    QPen qpen(color, pen.Width, penStyle(pen.Style), caps[pen.Cap], joins[pen.Join]);
    FPainter.strokePath(qPath(path, state.FillMode), qpen);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

double TMFPainterDevice::DrawText(const TMFTextRun& run) {
    const QString text = QString::fromStdString(run.Text);
    const QFont font = qFont(run.Font, 2 * std::max({FArea.width(), FArea.height(), 1}));
    const QFontMetricsF metrics(font);
    const QList<uint> chars = text.toUcs4();
    double advance = 0;
    if (run.Dx.empty()) {
        advance = metrics.horizontalAdvance(text);
    } else {
        for (size_t i = 0; i < run.Dx.size() && i < size_t(chars.size()); ++i) advance += run.Dx[i];
    }
    FPainter.save();
    if (run.Clipped) FPainter.setClipPath(qPath(run.ClipRect, fmAlternate), Qt::IntersectClip);
    FPainter.translate(run.Origin.X, run.Origin.Y);
    FPainter.rotate(-run.Font.Angle);
    const uint32_t horizontal = run.Align & TA_CENTER, vertical = run.Align & TA_BASELINE;
    const double x0 = horizontal == TA_CENTER  ? -advance / 2
                      : horizontal == TA_RIGHT ? -advance
                                               : 0;
    const double baseline = vertical == TA_BASELINE ? 0
                            : vertical == TA_BOTTOM ? -metrics.descent()
                                                    : metrics.ascent();
    if (run.OpaqueBackground)
        FPainter.fillRect(QRectF(x0, baseline - metrics.ascent(), advance, metrics.height()),
                          qColor(run.BackgroundColor));
    FPainter.setFont(font);
    FPainter.setPen(qColor(run.Color));
    if (run.Dx.empty()) {
        FPainter.drawText(QPointF(x0, baseline), text);
    } else {
        double x = x0;
        for (qsizetype i = 0; i < chars.size(); ++i) {
            const char32_t c = chars[i];
            FPainter.drawText(QPointF(x, baseline), QString::fromUcs4(&c, 1));
            if (size_t(i) < run.Dx.size()) x += run.Dx[size_t(i)];
        }
    }
    FPainter.restore();
    return advance;
}

void TMFPainterDevice::DrawImage(const TPixelGraphic& image, int sx, int sy, int sw, int sh,
                                 TMFPoint tl, TMFPoint tr, TMFPoint bl, TMFBlend blend) {
    static constexpr QPainter::CompositionMode modes[] = {
        QPainter::CompositionMode_SourceOver, QPainter::RasterOp_SourceAndDestination,
        QPainter::RasterOp_SourceOrDestination, QPainter::RasterOp_SourceXorDestination};
    const QImage source = topDown(image).copy(sx, sy, sw, sh);
    const QTransform onto((tr.X - tl.X) / sw, (tr.Y - tl.Y) / sw, (bl.X - tl.X) / sh,
                          (bl.Y - tl.Y) / sh, tl.X, tl.Y);
    FPainter.save();
    FPainter.setTransform(onto, true);
    FPainter.setCompositionMode(modes[static_cast<int>(blend)]);
    FPainter.drawImage(QPointF(0, 0), source);
    FPainter.restore();
}

void TMFPainterDevice::SetClip(const TMFClip& clip) {
    size_t same = 0;
    while (same < clip.size() && same < FClip.size() && clip[same] == FClip[same]) ++same;
    FClip.resize(same);
    FRegions.resize(same);
    for (size_t i = same; i < clip.size(); ++i) {
        FRegions.push_back(combine(i == 0 ? QRegion(FArea) : FRegions[i - 1], clip[i], FArea));
        FClip.push_back(clip[i]);
    }
    if (FRegions.empty())
        FPainter.setClipping(false);
    else
        FPainter.setClipRegion(FRegions.back());
}
