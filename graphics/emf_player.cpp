// The enhanced metafile record walker: 32-bit records, offsets counted from the record's start.

#include "metafile_dc.h"

#include "bmp_format.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace {

constexpr uint32_t stockBit = 0x80000000;

class TEMFPlayback {
public:
    explicit TEMFPlayback(TMFPlayer& player) : P(player) {}
    void Play(uint32_t type, const TMFRecord& r);

private:
    int32_t i(int64_t at) const { return FRec->I32(at); }
    uint32_t u(int64_t at) const { return FRec->U32(at); }
    uint32_t color(int64_t at) const { return u(at) & 0x00FFFFFF; }

    bool points(int64_t at, int64_t count, bool small, std::vector<TMFPoint>& out) const;
    void poly(uint32_t type, bool small);
    void polyPoly(bool closed, bool small);
    void arc(TMFPlayer::TArcKind kind);
    void angleArc();
    void text(bool wide);
    // The packed DIB a bitmap record points to, checked against the record.
    bool dib(int64_t offBmi, int64_t cbBmi, int64_t offBits, int64_t cbBits,
             std::vector<uint8_t>& out) const;
    void blit(bool stretch);
    void stretchDIBits(bool toDevice);
    std::vector<TMFPoint> region(int64_t at, int64_t bytes) const;
    void clipRegion();
    void store(uint32_t index, TMFObject object);
    void select(uint32_t index);
    void createPen(bool extended);
    void createBrush();
    void createPatternBrush();
    void createFont();
    bool state(uint32_t type);
    bool path(uint32_t type);
    bool objects(uint32_t type);
    void drawing(uint32_t type);

    TMFPlayer& P;
    const TMFRecord* FRec = nullptr;
    std::unordered_map<uint32_t, TMFObject> FObjects;
};

bool TEMFPlayback::points(int64_t at, int64_t count, bool small, std::vector<TMFPoint>& out) const {
    const int64_t each = small ? 4 : 8;
    if (count < 0 || !FRec->Holds(at, 0) || count > (FRec->Size() - at) / each) return false;
    out.clear();
    out.reserve(size_t(count));
    for (int64_t k = 0; k < count; ++k, at += each)
        out.push_back(small ? TMFPoint{double(FRec->I16(at)), double(FRec->I16(at + 2))}
                            : TMFPoint{double(i(at)), double(i(at + 4))});
    return true;
}

void TEMFPlayback::poly(uint32_t type, bool small) {
    std::vector<TMFPoint> list;
    if (!points(28, u(24), small, list)) return;
    switch (small ? type - 83 : type) {
    case 2:
        P.PolyBezier(list, false);
        break;
    case 3:
        P.Polyline(list, true, false);
        break;
    case 4:
        P.Polyline(list, false, false);
        break;
    case 5:
        P.PolyBezier(list, true);
        break;
    case 6:
        P.Polyline(list, false, true);
        break;
    default:
        break;
    }
}

void TEMFPlayback::polyPoly(bool closed, bool small) {
    const int64_t n = u(24), total = u(28);
    if (n > (FRec->Size() - 32) / 4) return;
    int64_t sum = 0;
    for (int64_t k = 0; k < n; ++k) sum += u(32 + 4 * k);
    std::vector<TMFPoint> all;
    if (sum != total || !points(32 + 4 * n, total, small, all)) return;
    std::vector<std::vector<TMFPoint>> figures;
    int64_t at = 0;
    for (int64_t k = 0; k < n; ++k) {
        const int64_t count = u(32 + 4 * k);
        figures.emplace_back(all.begin() + at, all.begin() + at + count);
        at += count;
    }
    if (closed) return P.PolyPolygon(figures);
    for (const auto& figure : figures) P.Polyline(figure, false, false);
}

void TEMFPlayback::arc(TMFPlayer::TArcKind kind) {
    P.Arc(kind, i(8), i(12), i(16), i(20), {double(i(24)), double(i(28))},
          {double(i(32)), double(i(36))});
}

// A line from the current position to the arc's start, then the arc of a circle.
void TEMFPlayback::angleArc() {
    const double cx = i(8), cy = i(12), r = u(16);
    const double start = FRec->F32(20), sweep = FRec->F32(24);
    if (!std::isfinite(start) || !std::isfinite(sweep) || sweep == 0) return;
    const double a0 = start * std::numbers::pi / 180, a1 = (start + sweep) * std::numbers::pi / 180;
    const bool clockwise = P.DC.Clockwise;
    P.DC.Clockwise = sweep < 0;
    P.Arc(TMFPlayer::akArcTo, cx - r, cy - r, cx + r, cy + r,
          {cx + r * std::cos(a0), cy - r * std::sin(a0)},
          {cx + r * std::cos(a1), cy - r * std::sin(a1)});
    P.DC.Clockwise = clockwise;
}

void TEMFPlayback::text(bool wide) {
    constexpr uint32_t glyphIndex = 0x10, pairs = 0x2000;
    const int64_t count = u(44), offString = u(48), offDx = u(72);
    const uint32_t options = u(52);
    if (options & glyphIndex) return; // glyph numbers of a font we do not have
    const int64_t unit = wide ? 2 : 1, dxEach = options & pairs ? 8 : 4;
    if (!FRec->Holds(offString, 0) || count > (FRec->Size() - offString) / unit) return;
    const std::string s = wide ? MFTextFromUTF16(FRec->At(offString), size_t(count))
                               : MFTextFrom1252(FRec->At(offString), size_t(count));
    std::vector<double> dx;
    if (offDx != 0 && FRec->Holds(offDx, 0) && count <= (FRec->Size() - offDx) / dxEach)
        for (int64_t k = 0; k < count; ++k) dx.push_back(i(offDx + dxEach * k));
    const int32_t rect[4] = {i(56), i(60), i(64), i(68)};
    const bool hasRect = rect[2] > rect[0] && rect[3] > rect[1];
    P.Text(i(36), i(40), s, dx, options, hasRect ? rect : nullptr);
}

bool TEMFPlayback::dib(int64_t offBmi, int64_t cbBmi, int64_t offBits, int64_t cbBits,
                       std::vector<uint8_t>& out) const {
    if (cbBmi < 12 || !FRec->Holds(offBmi, cbBmi) || !FRec->Holds(offBits, cbBits)) return false;
    out.assign(FRec->At(offBmi), FRec->At(offBmi) + cbBmi);
    out.insert(out.end(), FRec->At(offBits), FRec->At(offBits) + cbBits);
    return true;
}

void TEMFPlayback::blit(bool stretch) {
    const double dx = i(24), dy = i(28), dw = i(32), dh = i(36);
    const uint32_t rop = u(40);
    if (u(88) == 0) return P.PatBlt(dx, dy, dw, dh, rop); // no source bitmap
    std::vector<uint8_t> packed;
    if (!dib(u(84), u(88), u(92), u(96), packed)) return;
    const double sw = stretch ? i(100) : dw, sh = stretch ? i(104) : dh;
    P.DrawDIB(packed, {double(i(44)), double(i(48)), sw, sh, false, u(80) == 1}, dx, dy, dw, dh,
              rop);
}

void TEMFPlayback::stretchDIBits(bool toDevice) {
    std::vector<uint8_t> packed;
    if (!dib(u(48), u(52), u(56), u(60), packed)) return;
    const double sw = i(40), sh = i(44);
    const double dw = toDevice ? sw : i(72), dh = toDevice ? sh : i(76);
    const uint32_t rop = toDevice ? 0x00CC0020 : u(68);
    P.DrawDIB(packed, {double(i(32)), double(i(36)), sw, sh, true, u(64) == 1}, i(24), i(28), dw,
              dh, rop);
}

// Corner pairs of the rectangles of region data.
std::vector<TMFPoint> TEMFPlayback::region(int64_t at, int64_t bytes) const {
    std::vector<TMFPoint> rects;
    if (bytes < 32 || !FRec->Holds(at, bytes)) return rects;
    const int64_t header = u(at), count = u(at + 8);
    if (header < 32 || header > bytes || count > (bytes - header) / 16) return rects;
    for (int64_t k = 0; k < count; ++k) {
        const int64_t r = at + header + 16 * k;
        rects.push_back({double(i(r)), double(i(r + 4))});
        rects.push_back({double(i(r + 8)), double(i(r + 12))});
    }
    return rects;
}

// The region is in device units: reference pixels, mapped onto the output alone.
void TEMFPlayback::clipRegion() {
    const int64_t bytes = u(8);
    const uint32_t mode = u(12);
    if (mode < 1 || mode > 5) return;
    if (mode == 5 && bytes == 0) return P.ResetClip();
    const std::vector<TMFPoint> rects = region(16, bytes);
    TMFPath area;
    const TMFAffine& m = P.DeviceToOutput();
    for (size_t k = 0; k + 1 < rects.size(); k += 2) {
        const TMFPoint a = rects[k], b = rects[k + 1];
        area.MoveTo(m.Map(a));
        area.LineTo(m.Map({b.X, a.Y}));
        area.LineTo(m.Map(b));
        area.LineTo(m.Map({a.X, b.Y}));
        area.CloseFigure();
    }
    P.ClipArea(area, static_cast<TMFClipMode>(mode));
}

void TEMFPlayback::store(uint32_t index, TMFObject object) {
    // Index 0 stands for the file itself.
    if (index == 0 || index >= uint32_t(P.Header.ObjectCount)) return;
    FObjects[index] = std::move(object);
}

void TEMFPlayback::select(uint32_t index) {
    if (index & stockBit) {
        if (auto stock = TMFPlayer::StockObject(index & ~stockBit)) P.SelectObject(*stock);
        return;
    }
    if (auto found = FObjects.find(index); found != FObjects.end()) P.SelectObject(found->second);
}

void TEMFPlayback::createPen(bool extended) {
    TMFObject o;
    o.Kind = TMFObject::okPen;
    const int64_t at = extended ? 28 : 12;
    const uint32_t style = u(at);
    o.Pen.Style = static_cast<TMFPenStyle>(std::min<uint32_t>(style & 0x0F, psInsideFrame));
    o.Pen.Cap = static_cast<TMFLineCap>(std::min<uint32_t>((style >> 8) & 0x0F, 2));
    o.Pen.Join = static_cast<TMFLineJoin>(std::min<uint32_t>((style >> 12) & 0x0F, 2));
    o.Pen.Width = i(at + 4);
    // Only geometric pens of the extended form scale; a plain pen of width 0 is one pixel.
    o.Cosmetic = extended ? (style & 0x00010000) == 0 : o.Pen.Width == 0;
    o.Pen.Color = color(at + 12);
    if (extended && u(at + 8) == 1) o.Pen.Style = psNull; // BS_NULL brush
    store(u(8), std::move(o));
}

void TEMFPlayback::createBrush() {
    TMFObject o;
    o.Kind = TMFObject::okBrush;
    const uint32_t style = u(12);
    o.Brush.Style = style == 1 ? bsNull : style == 2 ? bsHatched : bsSolid;
    o.Brush.Color = color(16);
    o.Brush.Hatch = static_cast<int>(std::min<uint32_t>(u(20), 5));
    store(u(8), std::move(o));
}

void TEMFPlayback::createPatternBrush() {
    TMFObject o;
    o.Kind = TMFObject::okBrush;
    o.Brush = {bsSolid, 0, 0, nullptr};
    std::vector<uint8_t> packed;
    if (dib(u(16), u(20), u(24), u(28), packed)) {
        auto pattern = std::make_shared<TPixelGraphic>();
        try {
            TBorrowedStream stream(packed);
            ReadPackedDIB(stream, *pattern);
            if (!pattern->Empty()) o.Brush = {bsPattern, 0, 0, std::move(pattern)};
        } catch (const std::exception&) {
            // An unreadable pattern draws black.
        }
    }
    store(u(8), std::move(o));
}

void TEMFPlayback::createFont() {
    if (FRec->Size() < 12 + 28) return;
    TMFObject o;
    o.Kind = TMFObject::okFont;
    TMFLogFont& f = o.Font;
    f.Height = i(12), f.Width = i(16), f.Escapement = i(20), f.Weight = i(28);
    f.Italic = *FRec->At(32), f.Underline = *FRec->At(33), f.StrikeOut = *FRec->At(34);
    const int64_t faceUnits = std::clamp<int64_t>((FRec->Size() - 40) / 2, 0, 32);
    int64_t length = 0;
    while (length < faceUnits && FRec->U16(40 + 2 * length) != 0) ++length;
    f.Face = MFTextFromUTF16(FRec->At(40), size_t(length));
    store(u(8), std::move(o));
}

bool TEMFPlayback::state(uint32_t type) {
    switch (type) {
    case 9:
        P.SetWindowExt(i(8), i(12));
        return true;
    case 10:
        P.SetWindowOrg(i(8), i(12));
        return true;
    case 11:
        P.SetViewportExt(i(8), i(12));
        return true;
    case 12:
        P.SetViewportOrg(i(8), i(12));
        return true;
    case 17:
        P.SetMapMode(i(8));
        return true;
    case 18:
        P.DC.Opaque = u(8) == 2;
        return true;
    case 19:
        P.DC.FillMode = u(8) == 2 ? fmWinding : fmAlternate;
        return true;
    case 20:
        P.DC.Rop2 = static_cast<uint8_t>(std::clamp<uint32_t>(u(8), 1, 16));
        return true;
    case 22:
        P.DC.TextAlign = u(8);
        return true;
    case 24:
        P.DC.TextColor = color(8);
        return true;
    case 25:
        P.DC.BkColor = color(8);
        return true;
    case 26:
        P.OffsetClip(i(8), i(12));
        return true;
    case 27:
        P.MoveTo(i(8), i(12));
        return true;
    case 29:
        P.ClipRect(i(8), i(12), i(16), i(20), TMFClipMode::Diff);
        return true;
    case 30:
        P.ClipRect(i(8), i(12), i(16), i(20), TMFClipMode::And);
        return true;
    case 31:
        P.ScaleViewportExt(i(8), i(12), i(16), i(20));
        return true;
    case 32:
        P.ScaleWindowExt(i(8), i(12), i(16), i(20));
        return true;
    case 33:
        P.SaveDC();
        return true;
    case 34:
        P.RestoreDC(i(8));
        return true;
    case 35:
    case 36: {
        const TMFAffine xf{FRec->F32(8),  FRec->F32(12), FRec->F32(16),
                           FRec->F32(20), FRec->F32(24), FRec->F32(28)};
        if (type == 35)
            P.SetWorld(xf);
        else
            P.ModifyWorld(xf, u(32));
        return true;
    }
    case 57:
        P.DC.Clockwise = u(8) == 2;
        return true;
    case 75:
        clipRegion();
        return true;
    default:
        return false;
    }
}

bool TEMFPlayback::path(uint32_t type) {
    switch (type) {
    case 59:
        P.BeginPath();
        return true;
    case 60:
        P.EndPath();
        return true;
    case 61:
        P.CloseFigure();
        return true;
    case 62:
        P.FillPath(true, false);
        return true;
    case 63:
        P.FillPath(true, true);
        return true;
    case 64:
        P.FillPath(false, true);
        return true;
    case 67:
        if (u(8) >= 1 && u(8) <= 5) P.SelectClipPath(static_cast<TMFClipMode>(u(8)));
        return true;
    case 68:
        P.AbortPath();
        return true;
    default:
        return false;
    }
}

bool TEMFPlayback::objects(uint32_t type) {
    switch (type) {
    case 37:
    case 48: // SELECTPALETTE
        select(u(8));
        return true;
    case 38:
        createPen(false);
        return true;
    case 95:
        createPen(true);
        return true;
    case 39:
        createBrush();
        return true;
    case 93:
    case 94:
        createPatternBrush();
        return true;
    case 82:
        createFont();
        return true;
    case 49: {
        TMFObject palette;
        palette.Kind = TMFObject::okPalette;
        if (int64_t(FRec->U16(14)) <= (FRec->Size() - 16) / 4)
            palette.Palette = MFPaletteEntries(FRec->At(16), FRec->U16(14));
        store(u(8), std::move(palette));
        return true;
    }
    case 40:
        if (!(u(8) & stockBit)) FObjects.erase(u(8));
        return true;
    case 71:   // FILLRGN: with a brush of the table
    case 73:   // INVERTRGN
    case 74: { // PAINTRGN
        const bool own = type == 71;
        const auto brush = own ? FObjects.find(u(28)) : FObjects.end();
        if (own && (brush == FObjects.end() || brush->second.Kind != TMFObject::okBrush))
            return true;
        P.FillRegion(region(own ? 32 : 28, u(24)), own ? brush->second.Brush : P.DC.Brush.Brush,
                     type == 73 ? R2_NOT : R2_COPYPEN);
        return true;
    }
    default:
        return false;
    }
}

void TEMFPlayback::drawing(uint32_t type) {
    switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        poly(type, false);
        break;
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
        poly(type, true);
        break;
    case 7:
        polyPoly(false, false);
        break;
    case 8:
        polyPoly(true, false);
        break;
    case 90:
        polyPoly(false, true);
        break;
    case 91:
        polyPoly(true, true);
        break;
    case 15:
        P.SetPixel(i(8), i(12), color(16));
        break;
    case 41:
        angleArc();
        break;
    case 42:
        P.Ellipse(i(8), i(12), i(16), i(20));
        break;
    case 43:
        P.Rectangle(i(8), i(12), i(16), i(20));
        break;
    case 44:
        P.RoundRect(i(8), i(12), i(16), i(20), i(24), i(28));
        break;
    case 45:
        arc(TMFPlayer::akArc);
        break;
    case 46:
        arc(TMFPlayer::akChord);
        break;
    case 47:
        arc(TMFPlayer::akPie);
        break;
    case 55:
        arc(TMFPlayer::akArcTo);
        break;
    case 54:
        P.LineTo(i(8), i(12));
        break;
    case 83:
        text(false);
        break;
    case 84:
        text(true);
        break;
    case 76:
        blit(false);
        break;
    case 77:
        blit(true);
        break;
    case 80:
        stretchDIBits(true);
        break;
    case 81:
        stretchDIBits(false);
        break;
    default:
        break; // comments (EMF+ among them), and what is not drawn
    }
}

void TEMFPlayback::Play(uint32_t type, const TMFRecord& r) {
    FRec = &r;
    if (!state(type) && !path(type) && !objects(type)) drawing(type);
}

} // namespace

TMFPlayResult PlayEMFRecords(std::span<const uint8_t> file, TMFPlayer& player) {
    TEMFPlayback playback(player);
    const int64_t size = static_cast<int64_t>(file.size());
    for (int64_t at = player.Header.RecordsStart;;) {
        if (size - at < 8) return TMFPlayResult::Truncated;
        const uint32_t type = GetLE32(&file[size_t(at)]);
        const int64_t bytes = GetLE32(&file[size_t(at) + 4]);
        if (bytes < 8 || bytes % 4 != 0 || bytes > size - at) return TMFPlayResult::Truncated;
        if (type == 14) return TMFPlayResult::Completed;
        if (type != 1) playback.Play(type, TMFRecord(&file[size_t(at)], bytes));
        at += bytes;
        if (player.Progress(at, size)) return TMFPlayResult::Aborted;
    }
}
