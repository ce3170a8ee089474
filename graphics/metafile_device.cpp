#include "metafile_device.h"

void TMFPath::MoveTo(TMFPoint p) {
    // A move after a move only changes where the next figure starts.
    if (!FSegments.empty() && FSegments.back() == Move) {
        FPoints.back() = p;
    } else {
        FSegments.push_back(Move);
        FPoints.push_back(p);
    }
    FOpenFigure = true;
}

void TMFPath::LineTo(TMFPoint p) {
    if (!FOpenFigure) MoveTo(p);
    FSegments.push_back(Line);
    FPoints.push_back(p);
}

void TMFPath::CubicTo(TMFPoint c1, TMFPoint c2, TMFPoint end) {
    if (!FOpenFigure) MoveTo(c1);
    FSegments.push_back(Cubic);
    FPoints.insert(FPoints.end(), {c1, c2, end});
}

void TMFPath::CloseFigure() {
    if (!FOpenFigure) return;
    FSegments.push_back(Close);
    FOpenFigure = false;
}

void TMFPath::Append(const TMFPath& other) {
    if (other.Empty()) return;
    FSegments.insert(FSegments.end(), other.FSegments.begin(), other.FSegments.end());
    FPoints.insert(FPoints.end(), other.FPoints.begin(), other.FPoints.end());
    FOpenFigure = other.FOpenFigure;
}

void TMFPath::Translate(TMFPoint by) {
    for (TMFPoint& p : FPoints) p.X += by.X, p.Y += by.Y;
}
