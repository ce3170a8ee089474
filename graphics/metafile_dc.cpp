#include "metafile_dc.h"

#include "bmp_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

// Deeper SaveDC nesting is ignored: each level copies the whole state.
constexpr size_t maxSaveDepth = 1024;
// Clip steps beyond this are ignored; every step costs the device a region operation.
constexpr size_t maxClipSteps = 256;
constexpr uint32_t ETO_OPAQUE = 2, ETO_CLIPPED = 4;

bool isFinite(double v) {
    return std::isfinite(v);
}

TMFBrush solidBrush(uint32_t color) {
    return {bsSolid, color, 0, nullptr};
}

uint8_t rop2OfPatternRop(uint32_t rop) {
    switch (rop) {
    case 0x005A0049:
        return R2_XORPEN; // PATINVERT
    case 0x00550009:
        return R2_NOT; // DSTINVERT
    case 0x00000042:
        return R2_BLACK; // BLACKNESS
    case 0x00FF0062:
        return R2_WHITE; // WHITENESS
    case 0x00AA0029:
        return R2_NOP;
    default:
        return R2_COPYPEN; // PATCOPY and the rest
    }
}

TMFBlend blendOfRop(uint32_t rop) {
    switch (rop) {
    case 0x008800C6:
        return TMFBlend::And; // SRCAND
    case 0x00EE0086:
        return TMFBlend::Or; // SRCPAINT
    case 0x00660046:
        return TMFBlend::Xor; // SRCINVERT
    default:
        return TMFBlend::Copy;
    }
}

void appendUTF8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The packed DIB with its colour table of 16-bit palette indices turned into colours; empty when
// the table does not fit. An index past the palette looks up black.
std::vector<uint8_t> withPaletteColours(std::span<const uint8_t> dib,
                                        const std::vector<uint32_t>& palette) {
    const int64_t headerSize = GetLE32(dib.data());
    const bool core = headerSize == 12;
    if (!core && (headerSize < 40 || int64_t(dib.size()) < headerSize)) return {};
    const int bits = GetLE16(&dib[core ? 10 : 14]);
    if (bits > 8) return {dib.begin(), dib.end()}; // no colour table to look up
    const int64_t used = core ? 0 : GetLE32(&dib[32]);
    const int64_t count = used ? used : int64_t(1) << bits;
    if (count > 256 || int64_t(dib.size()) < headerSize + 2 * count) return {};
    std::vector<uint8_t> out(dib.begin(), dib.begin() + headerSize);
    for (int64_t k = 0; k < count; ++k) {
        const size_t index = GetLE16(&dib[size_t(headerSize + 2 * k)]);
        const uint32_t c = index < palette.size() ? palette[index] : 0;
        out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        if (!core) out.push_back(0);
    }
    out.insert(out.end(), dib.begin() + headerSize + 2 * count, dib.end());
    return out;
}

// Point of the ellipse at parameter t, counter-clockwise as seen with y down.
TMFPoint onEllipse(double cx, double cy, double rx, double ry, double t) {
    return {cx + rx * std::cos(t), cy - ry * std::sin(t)};
}

} // namespace

TMFAffine TMFAffine::Then(const TMFAffine& n) const {
    return {n.A * A + n.C * B, n.B * A + n.D * B,       n.A * C + n.C * D,
            n.B * C + n.D * D, n.A * E + n.C * F + n.E, n.B * E + n.D * F + n.F};
}

float TMFRecord::F32(int64_t at) const {
    const uint32_t bits = U32(at);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::vector<uint32_t> MFPaletteEntries(const uint8_t* entries, size_t count) {
    std::vector<uint32_t> colours(count);
    for (size_t k = 0; k < count; ++k) colours[k] = GetLE32(entries + 4 * k) & 0x00FFFFFF;
    return colours;
}

std::string MFTextFrom1252(const uint8_t* bytes, size_t count) {
    static constexpr uint16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    for (size_t i = 0; i < count; ++i)
        appendUTF8(out, bytes[i] >= 0x80 && bytes[i] < 0xA0 ? high[bytes[i] - 0x80] : bytes[i]);
    return out;
}

std::string MFTextFromUTF16(const uint8_t* units, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = GetLE16(units + 2 * i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const uint32_t low = GetLE16(units + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUTF8(out, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
    return out;
}

TMFPlayer::TMFPlayer(const TMetafileHeader& header, TMetafileDevice& device,
                     const TMFPlayOptions& options)
    : Header(header), Device(device), Options(options) {
    DC.Pen.Kind = TMFObject::okPen;
    DC.Brush.Kind = TMFObject::okBrush;
    DC.Brush.Brush = solidBrush(0x00FFFFFF);
    DC.Font.Kind = TMFObject::okFont;
    if (header.Kind == TMetafileKind::WMF) {
        FBase = {double(options.Width) / header.Width,   0, 0,
                 double(options.Height) / header.Height, 0, 0};
    } else {
        // Reference pixels to 0.01 mm, then the frame onto the output.
        const double toX = 100.0 * header.Millimeters[0] / header.Device[0];
        const double toY = 100.0 * header.Millimeters[1] / header.Device[1];
        const double sx = options.Width / (double(header.Box[2]) - header.Box[0]);
        const double sy = options.Height / (double(header.Box[3]) - header.Box[1]);
        FBase = {
            toX * sx, 0, 0, toY * sy, -double(header.Box[0]) * sx, -double(header.Box[1]) * sy};
    }
    update();
}

void TMFPlayer::update() {
    const double sx = DC.ViewportExt.X / DC.WindowExt.X, sy = DC.ViewportExt.Y / DC.WindowExt.Y;
    const TMFAffine page{sx,
                         0,
                         0,
                         sy,
                         DC.ViewportOrg.X - DC.WindowOrg.X * sx,
                         DC.ViewportOrg.Y - DC.WindowOrg.Y * sy};
    FTotal = DC.World.Then(page).Then(FBase);
}

TMFPoint TMFPlayer::pixelsPerMM() const {
    if (Header.Kind == TMetafileKind::EMF)
        return {double(Header.Device[0]) / Header.Millimeters[0],
                double(Header.Device[1]) / Header.Millimeters[1]};
    const double inchesX = double(Header.Box[2] - Header.Box[0]) / Header.UnitsPerInch;
    const double inchesY = double(Header.Box[3] - Header.Box[1]) / Header.UnitsPerInch;
    return {Header.Width / (25.4 * inchesX), Header.Height / (25.4 * inchesY)};
}

void TMFPlayer::SetMapMode(int mode) {
    static constexpr double unitMM[] = {0, 0, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
    if (mode < mmText || mode > mmAnisotropic) return;
    DC.MapMode = static_cast<uint8_t>(mode);
    if (mode == mmText) {
        DC.WindowExt = DC.ViewportExt = {1, 1};
    } else if (mode < mmIsotropic) {
        // Metric and English units run upward.
        const TMFPoint ppm = pixelsPerMM();
        DC.WindowExt = {1, 1};
        DC.ViewportExt = {ppm.X * unitMM[mode], -ppm.Y * unitMM[mode]};
    } else if (mode == mmIsotropic) {
        isotropic();
    }
    update();
}

void TMFPlayer::isotropic() {
    const double sx = DC.ViewportExt.X / DC.WindowExt.X, sy = DC.ViewportExt.Y / DC.WindowExt.Y;
    if (std::fabs(sx) < std::fabs(sy))
        DC.ViewportExt.Y = std::copysign(std::fabs(sx * DC.WindowExt.Y), DC.ViewportExt.Y);
    else
        DC.ViewportExt.X = std::copysign(std::fabs(sy * DC.WindowExt.X), DC.ViewportExt.X);
}

void TMFPlayer::SetWindowOrg(double x, double y) {
    if (!isFinite(x) || !isFinite(y)) return;
    DC.WindowOrg = {x, y};
    update();
}

void TMFPlayer::SetViewportOrg(double x, double y) {
    if (!isFinite(x) || !isFinite(y)) return;
    DC.ViewportOrg = {x, y};
    update();
}

void TMFPlayer::SetWindowExt(double x, double y) {
    if (DC.MapMode < mmIsotropic || x == 0 || y == 0 || !isFinite(x) || !isFinite(y)) return;
    DC.WindowExt = {x, y};
    if (DC.MapMode == mmIsotropic) isotropic();
    update();
}

void TMFPlayer::SetViewportExt(double x, double y) {
    if (DC.MapMode < mmIsotropic || x == 0 || y == 0 || !isFinite(x) || !isFinite(y)) return;
    DC.ViewportExt = {x, y};
    if (DC.MapMode == mmIsotropic) isotropic();
    update();
}

void TMFPlayer::ScaleWindowExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen == 0 || yDen == 0) return;
    SetWindowExt(DC.WindowExt.X * xNum / xDen, DC.WindowExt.Y * yNum / yDen);
}

void TMFPlayer::ScaleViewportExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen == 0 || yDen == 0) return;
    SetViewportExt(DC.ViewportExt.X * xNum / xDen, DC.ViewportExt.Y * yNum / yDen);
}

void TMFPlayer::StartWMFMapping() {
    DC.MapMode = mmAnisotropic;
    DC.WindowOrg = {double(Header.Box[0]), double(Header.Box[1])};
    DC.WindowExt = {double(Header.Box[2] - Header.Box[0]), double(Header.Box[3] - Header.Box[1])};
    DC.ViewportOrg = {0, 0};
    DC.ViewportExt = {double(Header.Width), double(Header.Height)};
    update();
}

void TMFPlayer::SetWorld(const TMFAffine& world) {
    const double values[] = {world.A, world.B, world.C, world.D, world.E, world.F};
    if (!std::all_of(std::begin(values), std::end(values), isFinite)) return;
    if (std::fabs(world.Determinant()) < 1e-12) return;
    DC.World = world;
    update();
}

void TMFPlayer::ModifyWorld(const TMFAffine& xf, uint32_t mode) {
    switch (mode) {
    case 1: // MWT_IDENTITY
        DC.World = {};
        update();
        return;
    case 2: // MWT_LEFTMULTIPLY: xf applies first
        SetWorld(xf.Then(DC.World));
        return;
    case 3:
        SetWorld(DC.World.Then(xf));
        return;
    case 4:
        SetWorld(xf);
        return;
    default:
        return;
    }
}

void TMFPlayer::SaveDC() {
    if (FSaved.size() < maxSaveDepth) FSaved.push_back(DC);
}

void TMFPlayer::RestoreDC(int relative) {
    const int64_t depth = static_cast<int64_t>(FSaved.size());
    // Negative: that many levels back; positive: the state of that SaveDC, counted from 1.
    const int64_t keep = relative < 0 ? depth + relative : int64_t(relative) - 1;
    if (relative == 0 || keep < 0 || keep >= depth) return;
    DC = FSaved[size_t(keep)];
    FSaved.resize(size_t(keep));
    update();
    Device.SetClip(DC.Clip);
}

void TMFPlayer::SelectObject(const TMFObject& object) {
    switch (object.Kind) {
    case TMFObject::okPen:
        DC.Pen = object;
        break;
    case TMFObject::okBrush:
        DC.Brush = object;
        break;
    case TMFObject::okFont:
        DC.Font = object;
        break;
    case TMFObject::okPalette:
        DC.Palette = object.Palette;
        break;
    default:
        break;
    }
}

std::optional<TMFObject> TMFPlayer::StockObject(uint32_t index) {
    static constexpr uint32_t grays[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    TMFObject o;
    if (index <= 5 || index == 18) {
        o.Kind = TMFObject::okBrush;
        o.Brush = index == 5 ? TMFBrush{bsNull, 0, 0, nullptr}
                             : solidBrush(index == 18 ? 0xFFFFFF : grays[index]);
    } else if ((index >= 6 && index <= 8) || index == 19) {
        o.Kind = TMFObject::okPen;
        o.Pen.Style = index == 8 ? psNull : psSolid;
        o.Pen.Color = index == 6 ? 0xFFFFFF : 0;
    } else if (index >= 10 && index <= 17 && index != 15) {
        o.Kind = TMFObject::okFont;
        o.Font.Face = index == 10 || index == 11 || index == 16 ? "Courier New" : "Arial";
    } else if (index == 15) {
        o.Kind = TMFObject::okPalette;
    } else {
        return std::nullopt;
    }
    return o;
}

TMFPath TMFPlayer::rectPath(double l, double t, double r, double b) const {
    TMFPath path;
    path.MoveTo(Map(l, t));
    path.LineTo(Map(r, t));
    path.LineTo(Map(r, b));
    path.LineTo(Map(l, b));
    path.CloseFigure();
    return path;
}

void TMFPlayer::ClipArea(const TMFPath& area, TMFClipMode mode) {
    if (mode == TMFClipMode::Copy) DC.Clip.clear();
    if (DC.Clip.size() >= maxClipSteps) return;
    DC.Clip.push_back({mode, area, DC.FillMode});
    Device.SetClip(DC.Clip);
}

void TMFPlayer::ClipRect(double l, double t, double r, double b, TMFClipMode mode) {
    ClipArea(rectPath(std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)), mode);
}

void TMFPlayer::ResetClip() {
    DC.Clip.clear();
    Device.SetClip(DC.Clip);
}

void TMFPlayer::OffsetClip(double x, double y) {
    const TMFPoint by = FTotal.MapVector({x, y});
    for (TMFClipStep& step : DC.Clip) step.Area.Translate(by);
    Device.SetClip(DC.Clip);
}

TMFDrawState TMFPlayer::drawState() const {
    return {DC.Rop2, DC.Opaque, DC.BkColor, DC.FillMode};
}

TMFPen TMFPlayer::outputPen() const {
    TMFPen pen = DC.Pen.Pen;
    const double scale = std::sqrt(std::fabs(FTotal.Determinant()));
    const double width = DC.Pen.Cosmetic ? 0 : pen.Width * scale;
    // Thinner than two pixels draws as the one-pixel line; no pen is wider than the picture.
    pen.Width = width < 1.5 || !isFinite(width)
                    ? 0
                    : std::min(width, 2.0 * std::max(Options.Width, Options.Height));
    return pen;
}

void TMFPlayer::shape(const TMFPath& path, bool fill, bool stroke) {
    if (FInPath) {
        FPath.Append(path);
        return;
    }
    if (fill && DC.Brush.Brush.Style != bsNull) Device.FillPath(path, DC.Brush.Brush, drawState());
    if (stroke && DC.Pen.Pen.Style != psNull) Device.StrokePath(path, outputPen(), drawState());
}

void TMFPlayer::MoveTo(double x, double y) {
    DC.Position = {x, y};
    if (FInPath) FPath.MoveTo(Map(x, y));
}

void TMFPlayer::LineTo(double x, double y) {
    Polyline({{x, y}}, false, true);
}

void TMFPlayer::Polyline(const std::vector<TMFPoint>& points, bool closed, bool fromPosition) {
    if (points.empty()) return;
    TMFPath local;
    TMFPath& path = FInPath && fromPosition ? FPath : local;
    if (fromPosition && !path.OpenFigure()) path.MoveTo(Map(DC.Position));
    for (size_t i = 0; i < points.size(); ++i) {
        if (i == 0 && !fromPosition)
            path.MoveTo(Map(points[i]));
        else
            path.LineTo(Map(points[i]));
    }
    if (fromPosition) DC.Position = points.back();
    if (closed) path.CloseFigure();
    if (&path == &local) shape(local, closed, true);
}

void TMFPlayer::PolyBezier(const std::vector<TMFPoint>& points, bool fromPosition) {
    const size_t first = fromPosition ? 0 : 1;
    if (points.size() < first + 3) return;
    TMFPath local;
    TMFPath& path = FInPath && fromPosition ? FPath : local;
    if (fromPosition && !path.OpenFigure()) path.MoveTo(Map(DC.Position));
    if (!fromPosition) path.MoveTo(Map(points[0]));
    size_t i = first;
    for (; i + 3 <= points.size(); i += 3)
        path.CubicTo(Map(points[i]), Map(points[i + 1]), Map(points[i + 2]));
    if (fromPosition) DC.Position = points[i - 1];
    if (&path == &local) shape(local, false, true);
}

void TMFPlayer::PolyPolygon(const std::vector<std::vector<TMFPoint>>& polygons) {
    TMFPath path;
    for (const auto& polygon : polygons) {
        if (polygon.empty()) continue;
        path.MoveTo(Map(polygon[0]));
        for (size_t i = 1; i < polygon.size(); ++i) path.LineTo(Map(polygon[i]));
        path.CloseFigure();
    }
    if (!path.Empty()) shape(path, true, true);
}

void TMFPlayer::Rectangle(double l, double t, double r, double b) {
    shape(rectPath(l, t, r, b), true, true);
}

void TMFPlayer::arcPath(TMFPath& path, double l, double t, double r, double b, TMFPoint start,
                        TMFPoint end, bool joinStart, bool clockwise) {
    const double cx = (l + r) / 2, cy = (t + b) / 2;
    const double rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    if (rx == 0 || ry == 0) return;
    auto angle = [&](TMFPoint p) { return std::atan2(-(p.Y - cy) / ry, (p.X - cx) / rx); };
    const double twoPi = 2 * std::numbers::pi;
    const double t0 = angle(start);
    double sweep = std::fmod(angle(end) - t0 + 2 * twoPi, twoPi);
    if (sweep <= 1e-9) sweep = twoPi;
    if (clockwise) sweep -= twoPi;
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (twoPi / 4))));
    const double step = sweep / pieces, k = 4.0 / 3.0 * std::tan(step / 4);
    const TMFPoint first = onEllipse(cx, cy, rx, ry, t0);
    if (joinStart)
        path.LineTo(Map(first));
    else
        path.MoveTo(Map(first));
    for (int i = 0; i < pieces; ++i) {
        const double a = t0 + i * step, z = a + step;
        const TMFPoint p0 = onEllipse(cx, cy, rx, ry, a), p3 = onEllipse(cx, cy, rx, ry, z);
        const TMFPoint c1{p0.X - k * rx * std::sin(a), p0.Y - k * ry * std::cos(a)};
        const TMFPoint c2{p3.X + k * rx * std::sin(z), p3.Y + k * ry * std::cos(z)};
        path.CubicTo(Map(c1), Map(c2), Map(p3));
    }
}

void TMFPlayer::Ellipse(double l, double t, double r, double b) {
    TMFPath path;
    const TMFPoint right{std::max(l, r), (t + b) / 2};
    arcPath(path, l, t, r, b, right, right, false, false);
    path.CloseFigure();
    shape(path, true, true);
}

void TMFPlayer::RoundRect(double l, double t, double r, double b, double w, double h) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    w = std::min(std::fabs(w), r - l), h = std::min(std::fabs(h), b - t);
    if (w == 0 || h == 0) return Rectangle(l, t, r, b);
    TMFPath path;
    // Counter-clockwise in the file's units from the top right corner.
    arcPath(path, r - w, t, r, t + h, {r, t + h / 2}, {r - w / 2, t}, false, false);
    arcPath(path, l, t, l + w, t + h, {l + w / 2, t}, {l, t + h / 2}, true, false);
    arcPath(path, l, b - h, l + w, b, {l, b - h / 2}, {l + w / 2, b}, true, false);
    arcPath(path, r - w, b - h, r, b, {r - w / 2, b}, {r, b - h / 2}, true, false);
    path.CloseFigure();
    shape(path, true, true);
}

void TMFPlayer::Arc(TArcKind kind, double l, double t, double r, double b, TMFPoint start,
                    TMFPoint end) {
    TMFPath local;
    TMFPath& path = FInPath && kind == akArcTo ? FPath : local;
    if (kind == akPie) path.MoveTo(Map((l + r) / 2, (t + b) / 2));
    if (kind == akArcTo && !path.OpenFigure()) path.MoveTo(Map(DC.Position));
    // The arc direction holds as seen: a mapping that mirrors turns it in the file's units.
    const bool clockwise = DC.Clockwise != (FTotal.Determinant() < 0);
    arcPath(path, l, t, r, b, start, end, kind == akPie || kind == akArcTo, clockwise);
    if (kind == akArcTo && !path.Points().empty()) {
        const TMFPoint last = path.Points().back();
        const TMFAffine& m = FTotal;
        const double det = m.Determinant();
        if (std::fabs(det) > 1e-12) {
            const double x = last.X - m.E, y = last.Y - m.F;
            DC.Position = {(m.D * x - m.C * y) / det, (-m.B * x + m.A * y) / det};
        }
    }
    if (kind == akChord || kind == akPie) path.CloseFigure();
    if (&path == &local) shape(local, kind == akChord || kind == akPie, true);
}

void TMFPlayer::SetPixel(double x, double y, uint32_t color) {
    if (FInPath) return;
    const TMFPoint p = Map(x, y);
    const double px = std::floor(p.X), py = std::floor(p.Y);
    TMFPath dot;
    dot.MoveTo({px, py});
    dot.LineTo({px + 1, py});
    dot.LineTo({px + 1, py + 1});
    dot.LineTo({px, py + 1});
    dot.CloseFigure();
    Device.FillPath(dot, solidBrush(color), {R2_COPYPEN, false, DC.BkColor, fmAlternate});
}

void TMFPlayer::PatBlt(double x, double y, double w, double h, uint32_t rop) {
    const uint8_t rop2 = rop2OfPatternRop(rop);
    if (FInPath || rop2 == R2_NOP) return;
    TMFDrawState state = drawState();
    state.Rop2 = rop2;
    Device.FillPath(rectPath(x, y, x + w, y + h), DC.Brush.Brush, state);
}

void TMFPlayer::FillRegion(const std::vector<TMFPoint>& rects, const TMFBrush& brush,
                           uint8_t rop2) {
    TMFPath path;
    for (size_t i = 0; i + 1 < rects.size(); i += 2)
        path.Append(rectPath(rects[i].X, rects[i].Y, rects[i + 1].X, rects[i + 1].Y));
    if (path.Empty() || FInPath) return;
    TMFDrawState state = drawState();
    state.Rop2 = rop2;
    Device.FillPath(path, brush, state);
}

TMFFont TMFPlayer::outputFont() const {
    const TMFLogFont& f = DC.Font.Font;
    const TMFPoint ux = FTotal.MapVector({1, 0}), uy = FTotal.MapVector({0, 1});
    const double xScale = std::hypot(ux.X, ux.Y), yScale = std::hypot(uy.X, uy.Y);
    TMFFont font;
    font.Face = f.Face;
    // No height: the face's usual size, twelve points on the reference scale.
    font.Height = f.Height == 0 ? 16 * std::sqrt(std::fabs(FBase.Determinant()))
                                : std::fabs(double(f.Height)) * yScale;
    font.CellHeight = f.Height > 0;
    font.Width = std::fabs(double(f.Width)) * xScale;
    font.Weight = f.Weight;
    font.Italic = f.Italic, font.Underline = f.Underline, font.StrikeOut = f.StrikeOut;
    // The escapement turns with the mapping: a mirrored y axis keeps it counter-clockwise.
    font.Angle = f.Escapement / 10.0 - std::atan2(ux.Y, ux.X) * 180 / std::numbers::pi;
    return font;
}

void TMFPlayer::Text(double x, double y, const std::string& text, const std::vector<double>& dx,
                     uint32_t options, const int32_t* rect) {
    if (FInPath) return;
    const bool updateCP = DC.TextAlign & TA_UPDATECP;
    if (updateCP) x = DC.Position.X, y = DC.Position.Y;
    if (rect && (options & ETO_OPAQUE))
        Device.FillPath(rectPath(rect[0], rect[1], rect[2], rect[3]), solidBrush(DC.BkColor),
                        {R2_COPYPEN, false, DC.BkColor, fmAlternate});
    TMFTextRun run;
    run.Text = text;
    const TMFPoint ux = FTotal.MapVector({1, 0});
    const double xScale = std::hypot(ux.X, ux.Y);
    for (double d : dx) run.Dx.push_back(d * xScale);
    run.Origin = Map(x, y);
    run.Align = DC.TextAlign;
    run.Font = outputFont();
    run.Color = DC.TextColor;
    run.OpaqueBackground = DC.Opaque;
    run.BackgroundColor = DC.BkColor;
    run.Clipped = rect && (options & ETO_CLIPPED);
    if (run.Clipped) run.ClipRect = rectPath(rect[0], rect[1], rect[2], rect[3]);
    const double advance = text.empty() ? 0 : Device.DrawText(run);
    if (!updateCP || xScale == 0) return;
    const uint32_t horizontal = DC.TextAlign & TA_CENTER;
    if (horizontal == 0) DC.Position.X += advance / xScale;
    if (horizontal == TA_RIGHT) DC.Position.X -= advance / xScale;
}

void TMFPlayer::DrawDIB(std::span<const uint8_t> dib, TSource source, double dx, double dy,
                        double dw, double dh, uint32_t rop) {
    if (FInPath || dib.size() < 12) return;
    std::vector<uint8_t> looked;
    if (source.PaletteIndices) {
        looked = withPaletteColours(dib, DC.Palette);
        if (looked.empty()) return;
        dib = looked;
    }
    const bool core = GetLE32(dib.data()) == 12;
    const int64_t w = core ? GetLE16(&dib[4]) : std::abs(int64_t(int32_t(GetLE32(&dib[4]))));
    const int64_t h = core ? GetLE16(&dib[6]) : std::abs(int64_t(int32_t(GetLE32(&dib[8]))));
    const int64_t limit = Options.DIBPixelLimit > 0 ? Options.DIBPixelLimit : PGMaxImageBytes / 3;
    if (w == 0 || h == 0 || w > limit / h) return;
    TPixelGraphic image;
    TPGCallOptions call;
    call.WarningAction = pgwaIgnore;
    call.PixelLimit = limit;
    image.SetCallOptions(call);
    try {
        TBorrowedStream stream(dib);
        ReadPackedDIB(stream, image);
    } catch (const std::exception&) {
        return;
    }
    if (image.Empty()) return;
    double sx = source.X, sy = source.Y, sw = source.W, sh = source.H;
    if (source.FromBottom) sy = image.Height() - sy - sh;
    if (sw == 0 || sh == 0) return;
    if (sw < 0) sx += sw, sw = -sw, dx += dw, dw = -dw;
    if (sh < 0) sy += sh, sh = -sh, dy += dh, dh = -dh;
    // The part of the source inside the image, and the part of the destination it covers.
    const double x0 = std::max(sx, 0.0), x1 = std::min(sx + sw, double(image.Width()));
    const double y0 = std::max(sy, 0.0), y1 = std::min(sy + sh, double(image.Height()));
    if (x1 - x0 < 1 || y1 - y0 < 1) return;
    const double l = dx + dw * (x0 - sx) / sw, r = dx + dw * (x1 - sx) / sw;
    const double t = dy + dh * (y0 - sy) / sh, b = dy + dh * (y1 - sy) / sh;
    Device.DrawImage(image, int(x0), int(y0), int(x1 - x0), int(y1 - y0), Map(l, t), Map(r, t),
                     Map(l, b), blendOfRop(rop));
}

void TMFPlayer::BeginPath() {
    FPath = {};
    FInPath = true;
}

void TMFPlayer::AbortPath() {
    FPath = {};
    FInPath = false;
}

void TMFPlayer::CloseFigure() {
    if (FInPath) FPath.CloseFigure();
}

void TMFPlayer::FillPath(bool fill, bool stroke) {
    if (FInPath) return;
    const TMFPath path = std::move(FPath);
    FPath = {};
    if (!path.Empty()) shape(path, fill, stroke);
}

void TMFPlayer::SelectClipPath(TMFClipMode mode) {
    if (FInPath) return;
    if (!FPath.Empty()) ClipArea(FPath, mode);
    FPath = {};
}

bool TMFPlayer::Progress(int64_t played, int64_t total) {
    if (!Options.Progress || total <= 0) return false;
    const int percent = static_cast<int>(std::clamp<int64_t>(played * 100 / total, 0, 100));
    if (percent == FLastPercent) return false;
    FLastPercent = percent;
    return Options.Progress(percent);
}

TMFPlayResult PlayMetafile(std::span<const uint8_t> file, const TMetafileHeader& header,
                           TMetafileDevice& device, const TMFPlayOptions& options) {
    if (options.Width <= 0 || options.Height <= 0) return TMFPlayResult::Completed;
    TMFPlayer player(header, device, options);
    return header.Kind == TMetafileKind::WMF ? PlayWMFRecords(file, player)
                                             : PlayEMFRecords(file, player);
}
