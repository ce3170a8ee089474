// The Windows metafile record walker: 16-bit records whose parameters run in reverse order.

#include "metafile_dc.h"

#include "bmp_format.h"

#include <algorithm>

namespace {

// The header's count is the table's size; a file cannot hold more objects than it has records.
constexpr size_t maxWMFObjects = 65535;

// An old-style device bitmap (a 10-byte header, then rows from the top, each padded to 2 bytes) as
// a packed DIB; empty for a layout without colours of its own or one past its bytes. One-bit
// bitmaps take the text colour for 0 and the background colour for 1, as they blit.
std::vector<uint8_t> packedFromBitmap16(std::span<const uint8_t> b, uint32_t text,
                                        uint32_t background) {
    if (b.size() < 10) return {};
    const int64_t w = int16_t(GetLE16(&b[2])), h = int16_t(GetLE16(&b[4]));
    const int64_t stride = GetLE16(&b[6]);
    const int bits = b[9];
    if (b[8] != 1 || (bits != 1 && bits != 24 && bits != 32) || w <= 0 || h <= 0) return {};
    if (stride < (w * bits + 15) / 16 * 2 || stride * h > int64_t(b.size()) - 10) return {};
    const int64_t row = (w * bits + 31) / 32 * 4, colours = bits == 1 ? 2 : 0;
    std::vector<uint8_t> out;
    out.reserve(size_t(40 + 4 * colours + row * h));
    auto put32 = [&out](uint32_t v) {
        for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
    };
    for (uint32_t v : {40u, uint32_t(w), uint32_t(h), 1u | uint32_t(bits) << 16, 0u, 0u, 0u, 0u,
                       uint32_t(colours), 0u})
        put32(v);
    for (uint32_t c : {text, background})
        if (colours) out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0});
    for (int64_t y = h - 1; y >= 0; --y) {
        const uint8_t* src = &b[size_t(10 + y * stride)];
        out.insert(out.end(), src, src + std::min(stride, row));
        out.resize(out.size() + size_t(row - std::min(stride, row)), 0);
    }
    return out;
}

class TWMFPlayback {
public:
    TWMFPlayback(TMFPlayer& player) : P(player) {
        FObjects.resize(std::min<size_t>(size_t(player.Header.ObjectCount), maxWMFObjects));
        P.StartWMFMapping();
    }

    // One record; parameters start after the 6-byte record header. A record whose counts pass
    // its own size is skipped: its size still leads to the next one.
    void Play(uint16_t function, const TMFRecord& r);

private:
    int16_t w(int i) const { return FRec->I16(6 + 2 * int64_t(i)); }
    uint16_t u(int i) const { return FRec->U16(6 + 2 * int64_t(i)); }
    uint32_t u32(int i) const { return FRec->U32(6 + 2 * int64_t(i)); }
    int64_t words() const { return (FRec->Size() - 6) / 2; }
    uint32_t color(int i) const { return u32(i) & 0x00FFFFFF; }

    void addObject(TMFObject object);
    const TMFObject* object(int index) const;
    std::vector<TMFPoint> points(int at, int64_t count) const;
    void polygon(bool closed);
    void polyPolygon();
    void rect4(void (TMFPlayer::*draw)(double, double, double, double));
    void arc(TMFPlayer::TArcKind kind);
    void text();
    void extText();
    void dib(int params, bool stretch, bool usage, bool bitmap16 = false);
    void createPen();
    void createBrush();
    void createPatternBrush();
    void createFont();
    void createRegion();
    void state(uint16_t function);
    void objects(uint16_t function);
    void drawing(uint16_t function);

    TMFPlayer& P;
    const TMFRecord* FRec = nullptr;
    std::vector<std::optional<TMFObject>> FObjects;
};

void TWMFPlayback::addObject(TMFObject object) {
    // The lowest free slot; a full table takes no more.
    for (auto& slot : FObjects)
        if (!slot) {
            slot = std::move(object);
            return;
        }
}

const TMFObject* TWMFPlayback::object(int index) const {
    if (index < 0 || size_t(index) >= FObjects.size() || !FObjects[size_t(index)]) return nullptr;
    return &*FObjects[size_t(index)];
}

std::vector<TMFPoint> TWMFPlayback::points(int at, int64_t count) const {
    std::vector<TMFPoint> list;
    list.reserve(size_t(count));
    for (int64_t i = 0; i < count; ++i)
        list.push_back({double(w(at + 2 * int(i))), double(w(at + 2 * int(i) + 1))});
    return list;
}

void TWMFPlayback::polygon(bool closed) {
    const int64_t count = u(0);
    if (1 + 2 * count > words()) return;
    P.Polyline(points(1, count), closed, false);
}

void TWMFPlayback::polyPolygon() {
    const int64_t n = u(0);
    if (1 + n > words()) return;
    int64_t total = 0;
    for (int i = 0; i < n; ++i) total += u(1 + i);
    if (1 + n + 2 * total > words()) return;
    std::vector<std::vector<TMFPoint>> polygons;
    int at = int(1 + n);
    for (int i = 0; i < n; ++i) {
        polygons.push_back(points(at, u(1 + i)));
        at += 2 * u(1 + i);
    }
    P.PolyPolygon(polygons);
}

void TWMFPlayback::rect4(void (TMFPlayer::*draw)(double, double, double, double)) {
    (P.*draw)(w(3), w(2), w(1), w(0));
}

void TWMFPlayback::arc(TMFPlayer::TArcKind kind) {
    P.Arc(kind, w(7), w(6), w(5), w(4), {double(w(3)), double(w(2))}, {double(w(1)), double(w(0))});
}

void TWMFPlayback::text() {
    const int64_t count = u(0), padded = (count + 1) / 2;
    if (1 + padded + 2 > words()) return;
    const std::string s = MFTextFrom1252(FRec->At(8), size_t(count));
    P.Text(w(int(1 + padded + 1)), w(int(1 + padded)), s, {}, 0, nullptr);
}

void TWMFPlayback::extText() {
    const int64_t count = u(2);
    const uint16_t options = u(3);
    const bool hasRect = options & 6;
    const int64_t stringAt = 4 + (hasRect ? 4 : 0), padded = (count + 1) / 2;
    if (stringAt + padded > words()) return;
    int32_t rect[4] = {};
    for (int i = 0; i < 4 && hasRect; ++i) rect[i] = w(4 + i);
    std::vector<double> dx;
    // The advances are optional: present only when the record holds one per character.
    if (stringAt + padded + count <= words())
        for (int64_t i = 0; i < count; ++i) dx.push_back(w(int(stringAt + padded + i)));
    const std::string s = MFTextFrom1252(FRec->At(6 + 2 * stringAt), size_t(count));
    P.Text(w(1), w(0), s, dx, options, hasRect ? rect : nullptr);
}

// DIBBITBLT, DIBSTRETCHBLT and STRETCHDIB: the rop, (the usage,) the source and destination
// rectangles, then the packed DIB; without one, a pattern fill of the destination.
void TWMFPlayback::dib(int params, bool stretch, bool usage, bool bitmap16) {
    const uint32_t rop = u32(0);
    int at = 2 + (usage ? 1 : 0);
    const bool paletteIndices = usage && u(2) == 1;
    const bool withBitmap = words() > params;
    double sw = 0, sh = 0;
    if (stretch) sh = w(at), sw = w(at + 1), at += 2;
    const double sy = w(at), sx = w(at + 1);
    at += 2;
    if (!withBitmap && !usage) ++at; // reserved word
    const double dh = w(at), dw = w(at + 1), dy = w(at + 2), dx = w(at + 3);
    if (!stretch) sw = dw, sh = dh;
    if (!withBitmap) {
        P.PatBlt(dx, dy, dw, dh, rop);
        return;
    }
    const int64_t dibAt = 6 + 2 * int64_t(at + 4);
    if (!FRec->Holds(dibAt, 0)) return;
    std::span<const uint8_t> bytes(FRec->At(dibAt), size_t(FRec->Size() - dibAt));
    std::vector<uint8_t> converted;
    if (bitmap16) {
        converted = packedFromBitmap16(bytes, P.DC.TextColor, P.DC.BkColor);
        if (converted.empty()) return;
        bytes = converted;
    }
    // STRETCHDIB counts its source rows from the bottom, as the bitmap stores them.
    P.DrawDIB(bytes, {sx, sy, sw, sh, usage, paletteIndices}, dx, dy, dw, dh, rop);
}

void TWMFPlayback::createPen() {
    TMFObject o;
    o.Kind = TMFObject::okPen;
    const uint16_t style = u(0);
    o.Pen.Style = static_cast<TMFPenStyle>(std::min<int>(style & 0x0F, psInsideFrame));
    o.Pen.Cap = static_cast<TMFLineCap>(std::min((style >> 8) & 0x0F, 2));
    o.Pen.Join = static_cast<TMFLineJoin>(std::min((style >> 12) & 0x0F, 2));
    o.Pen.Width = w(1);
    o.Cosmetic = w(1) == 0;
    o.Pen.Color = color(3);
    addObject(std::move(o));
}

void TWMFPlayback::createBrush() {
    TMFObject o;
    o.Kind = TMFObject::okBrush;
    const uint16_t style = u(0);
    o.Brush.Style = style == 1 ? bsNull : style == 2 ? bsHatched : bsSolid;
    o.Brush.Color = color(1);
    o.Brush.Hatch = std::min<int>(u(3), 5);
    addObject(std::move(o));
}

void TWMFPlayback::createPatternBrush() {
    TMFObject o;
    o.Kind = TMFObject::okBrush;
    o.Brush.Style = bsSolid;
    o.Brush.Color = 0;
    if (FRec->Size() < 10) return;
    auto pattern = std::make_shared<TPixelGraphic>();
    try {
        TBorrowedStream stream({FRec->At(10), size_t(FRec->Size() - 10)});
        ReadPackedDIB(stream, *pattern);
        if (!pattern->Empty()) o.Brush = {bsPattern, 0, 0, std::move(pattern)};
    } catch (const std::exception&) {
        // An unreadable pattern still takes its slot, as a black brush.
    }
    addObject(std::move(o));
}

void TWMFPlayback::createFont() {
    if (words() < 9) return;
    TMFObject o;
    o.Kind = TMFObject::okFont;
    TMFLogFont& f = o.Font;
    f.Height = w(0), f.Width = w(1), f.Escapement = w(2), f.Weight = w(4);
    const uint8_t* flags = FRec->At(6 + 10);
    f.Italic = flags[0], f.Underline = flags[1], f.StrikeOut = flags[2];
    const int64_t faceAt = 6 + 18, faceBytes = std::min<int64_t>(32, FRec->Size() - faceAt);
    const uint8_t* face = FRec->At(faceAt);
    f.Face = MFTextFrom1252(face, size_t(std::find(face, face + faceBytes, 0) - face));
    addObject(std::move(o));
}

// A region object: its scans of left-right pairs between a top and a bottom.
void TWMFPlayback::createRegion() {
    TMFObject o;
    o.Kind = TMFObject::okRegion;
    const int scans = w(5);
    int at = 11;
    for (int s = 0; s < scans; ++s) {
        const int64_t count = u(at);
        if (at + 3 + count + 1 > words()) return;
        const double top = w(at + 1), bottom = w(at + 2);
        for (int i = 0; i + 1 < count; i += 2) {
            o.RegionRects.push_back({double(w(at + 3 + i)), top});
            o.RegionRects.push_back({double(w(at + 4 + i)), bottom});
        }
        at += int(3 + count + 1);
    }
    addObject(std::move(o));
}

void TWMFPlayback::state(uint16_t function) {
    switch (function) {
    case 0x0201:
        P.DC.BkColor = color(0);
        break;
    case 0x0102:
        P.DC.Opaque = u(0) == 2;
        break;
    case 0x0103:
        P.SetMapMode(u(0));
        break;
    case 0x0104:
        P.DC.Rop2 = static_cast<uint8_t>(std::clamp<int>(u(0), 1, 16));
        break;
    case 0x0106:
        P.DC.FillMode = u(0) == 2 ? fmWinding : fmAlternate;
        break;
    case 0x0209:
        P.DC.TextColor = color(0);
        break;
    case 0x012E:
        P.DC.TextAlign = u(0);
        break;
    case 0x020B:
        P.SetWindowOrg(w(1), w(0));
        break;
    case 0x020C:
        P.SetWindowExt(w(1), w(0));
        break;
    case 0x020D:
        P.SetViewportOrg(w(1), w(0));
        break;
    case 0x020E:
        P.SetViewportExt(w(1), w(0));
        break;
    case 0x020F:
        P.OffsetWindowOrg(w(1), w(0));
        break;
    case 0x0211:
        P.OffsetViewportOrg(w(1), w(0));
        break;
    case 0x0410:
        P.ScaleWindowExt(w(3), w(2), w(1), w(0));
        break;
    case 0x0412:
        P.ScaleViewportExt(w(3), w(2), w(1), w(0));
        break;
    case 0x001E:
        P.SaveDC();
        break;
    case 0x0127:
        P.RestoreDC(w(0));
        break;
    case 0x0214:
        P.MoveTo(w(1), w(0));
        break;
    case 0x0415:
        P.ClipRect(w(3), w(2), w(1), w(0), TMFClipMode::Diff);
        break;
    case 0x0416:
        P.ClipRect(w(3), w(2), w(1), w(0), TMFClipMode::And);
        break;
    case 0x0220:
        P.OffsetClip(w(1), w(0));
        break;
    default:
        break;
    }
}

void TWMFPlayback::objects(uint16_t function) {
    switch (function) {
    case 0x02FA:
        createPen();
        return;
    case 0x02FC:
        createBrush();
        return;
    case 0x0142:
        return createPatternBrush();
    case 0x02FB:
        return createFont();
    case 0x06FF:
        return createRegion();
    case 0x00F7:
    case 0x01F9: {
        // Palettes colour bitmaps of palette indices; old-style pattern brushes draw black.
        TMFObject o;
        o.Kind = function == 0x00F7 ? TMFObject::okPalette : TMFObject::okBrush;
        o.Brush = {bsSolid, 0, 0, nullptr};
        if (function == 0x00F7 && 2 + 2 * int64_t(u(1)) <= words())
            o.Palette = MFPaletteEntries(FRec->At(10), u(1));
        addObject(std::move(o));
        return;
    }
    case 0x0234: // SELECTPALETTE
    case 0x012D:
        if (const TMFObject* o = object(u(0))) P.SelectObject(*o);
        return;
    case 0x01F0:
        if (object(u(0))) FObjects[u(0)].reset();
        return;
    case 0x012C:
        if (const TMFObject* o = object(u(0)); o && o->Kind == TMFObject::okRegion) {
            P.ResetClip();
            for (size_t i = 0; i + 1 < o->RegionRects.size(); i += 2)
                P.ClipRect(o->RegionRects[i].X, o->RegionRects[i].Y, o->RegionRects[i + 1].X,
                           o->RegionRects[i + 1].Y, i == 0 ? TMFClipMode::Copy : TMFClipMode::Or);
        } else if (u(0) == 0) {
            P.ResetClip();
        }
        return;
    case 0x0228:   // FILLREGION: region, brush
    case 0x012B:   // PAINTREGION: region with the selected brush
    case 0x012A: { // INVERTREGION
        const TMFObject* region = object(u(0));
        const TMFObject* brush = function == 0x0228 ? object(u(1)) : nullptr;
        if (!region || region->Kind != TMFObject::okRegion) return;
        if (function == 0x0228 && (!brush || brush->Kind != TMFObject::okBrush)) return;
        P.FillRegion(region->RegionRects, brush ? brush->Brush : P.DC.Brush.Brush,
                     function == 0x012A ? R2_NOT : R2_COPYPEN);
        return;
    }
    default:
        return;
    }
}

void TWMFPlayback::drawing(uint16_t function) {
    switch (function) {
    case 0x0213:
        P.LineTo(w(1), w(0));
        return;
    case 0x0324:
        return polygon(true);
    case 0x0325:
        return polygon(false);
    case 0x0538:
        return polyPolygon();
    case 0x041B:
        rect4(&TMFPlayer::Rectangle);
        return;
    case 0x0418:
        rect4(&TMFPlayer::Ellipse);
        return;
    case 0x061C:
        P.RoundRect(w(5), w(4), w(3), w(2), w(1), w(0));
        return;
    case 0x0817:
        arc(TMFPlayer::akArc);
        return;
    case 0x0830:
        arc(TMFPlayer::akChord);
        return;
    case 0x081A:
        arc(TMFPlayer::akPie);
        return;
    case 0x041F:
        P.SetPixel(w(3), w(2), color(0));
        return;
    case 0x061D:
        P.PatBlt(w(5), w(4), w(3), w(2), u32(0));
        return;
    case 0x0521:
        return text();
    case 0x0A32:
        return extText();
    case 0x0940:
        return dib(9, false, false);
    case 0x0B41:
        return dib(11, true, false);
    case 0x0F43:
        return dib(11, true, true);
    case 0x0922: // BITBLT and STRETCHBLT, with an old-style bitmap or as a pattern fill
    case 0x0B23:
        return dib(function >> 8, function == 0x0B23, false, true);
    default:
        return objects(function);
    }
}

void TWMFPlayback::Play(uint16_t function, const TMFRecord& r) {
    FRec = &r;
    state(function);
    drawing(function);
}

} // namespace

TMFPlayResult PlayWMFRecords(std::span<const uint8_t> file, TMFPlayer& player) {
    TWMFPlayback playback(player);
    const int64_t size = static_cast<int64_t>(file.size());
    int64_t at = player.Header.RecordsStart;
    while (true) {
        if (size - at < 6) return TMFPlayResult::Truncated;
        const int64_t bytes = int64_t(GetLE32(&file[size_t(at)])) * 2;
        const uint16_t function = GetLE16(&file[size_t(at) + 4]);
        if (function == 0) return TMFPlayResult::Completed;
        if (bytes < 6 || bytes > size - at) return TMFPlayResult::Truncated;
        playback.Play(function, TMFRecord(&file[size_t(at)], bytes));
        at += bytes;
        if (player.Progress(at, size)) return TMFPlayResult::Aborted;
    }
}
