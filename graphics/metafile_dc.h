#pragma once
// The player's device context: mapping, world transform, objects, clip, colours and modes, and
// the drawing operations both record walkers share. Internal to the metafile player.

#include "metafile_player.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// x' = A x + C y + E, y' = B x + D y + F.
struct TMFAffine {
    double A = 1, B = 0, C = 0, D = 1, E = 0, F = 0;
    TMFPoint Map(TMFPoint p) const { return {A * p.X + C * p.Y + E, B * p.X + D * p.Y + F}; }
    TMFPoint MapVector(TMFPoint v) const { return {A * v.X + C * v.Y, B * v.X + D * v.Y}; }
    // This transform first, then next.
    TMFAffine Then(const TMFAffine& next) const;
    double Determinant() const { return A * D - B * C; }
};

// The bytes of one record, read only within it.
class TMFRecord {
public:
    TMFRecord(const uint8_t* data, int64_t size) : FData(data), FSize(size) {}
    int64_t Size() const { return FSize; }
    bool Holds(int64_t offset, int64_t bytes) const {
        return offset >= 0 && bytes >= 0 && offset <= FSize && bytes <= FSize - offset;
    }
    const uint8_t* At(int64_t offset) const { return FData + offset; }
    uint16_t U16(int64_t at) const { return Holds(at, 2) ? GetLE16(FData + at) : 0; }
    int16_t I16(int64_t at) const { return static_cast<int16_t>(U16(at)); }
    uint32_t U32(int64_t at) const { return Holds(at, 4) ? GetLE32(FData + at) : 0; }
    int32_t I32(int64_t at) const { return static_cast<int32_t>(U32(at)); }
    float F32(int64_t at) const;

private:
    const uint8_t* FData;
    int64_t FSize;
};

// A font as the file describes it, in logical units.
struct TMFLogFont {
    int32_t Height = 0, Width = 0, Escapement = 0, Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    std::string Face;
};

struct TMFObject {
    enum TKind : uint8_t { okPen, okBrush, okFont, okPalette, okRegion } Kind = okPen;
    TMFPen Pen; // Width in logical units
    bool Cosmetic = true;
    TMFBrush Brush;
    TMFLogFont Font;
    std::vector<TMFPoint> RegionRects; // pairs of corners, logical units
    std::vector<uint32_t> Palette;     // packed colours
};

// The entries of a logical palette (red, green, blue, flags each) as packed colours.
std::vector<uint32_t> MFPaletteEntries(const uint8_t* entries, size_t count);

enum TMFMapMode : uint8_t {
    mmText = 1,
    mmLoMetric,
    mmHiMetric,
    mmLoEnglish,
    mmHiEnglish,
    mmTwips,
    mmIsotropic,
    mmAnisotropic
};

struct TMFDCState {
    uint8_t MapMode = mmText;
    TMFPoint WindowOrg{0, 0}, WindowExt{1, 1}, ViewportOrg{0, 0}, ViewportExt{1, 1};
    TMFAffine World;
    TMFPoint Position;
    uint32_t TextColor = 0, BkColor = 0x00FFFFFF;
    bool Opaque = true;
    uint8_t Rop2 = R2_COPYPEN;
    TMFFillMode FillMode = fmAlternate;
    uint32_t TextAlign = 0;
    bool Clockwise = false;
    TMFObject Pen, Brush, Font;
    std::vector<uint32_t> Palette; // selected; what colour tables of indices look up
    TMFClip Clip;
};

class TMFPlayer {
public:
    TMFPlayer(const TMetafileHeader& header, TMetafileDevice& device,
              const TMFPlayOptions& options);

    TMFDCState DC;
    const TMetafileHeader& Header;
    TMetafileDevice& Device;
    const TMFPlayOptions& Options;

    // Mapping.
    TMFPoint Map(TMFPoint logical) const { return FTotal.Map(logical); }
    TMFPoint Map(double x, double y) const { return Map(TMFPoint{x, y}); }
    const TMFAffine& DeviceToOutput() const { return FBase; }
    void SetMapMode(int mode);
    void SetWindowOrg(double x, double y);
    void SetViewportOrg(double x, double y);
    void SetWindowExt(double x, double y);
    void SetViewportExt(double x, double y);
    void ScaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void ScaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void OffsetWindowOrg(double x, double y) {
        SetWindowOrg(DC.WindowOrg.X + x, DC.WindowOrg.Y + y);
    }
    void OffsetViewportOrg(double x, double y) {
        SetViewportOrg(DC.ViewportOrg.X + x, DC.ViewportOrg.Y + y);
    }
    void SetWorld(const TMFAffine& world);
    void ModifyWorld(const TMFAffine& xf, uint32_t mode);
    // The initial window and viewport of a WMF: the box onto the natural size.
    void StartWMFMapping();

    // State.
    void SaveDC();
    void RestoreDC(int relative);
    void SelectObject(const TMFObject& object);
    static std::optional<TMFObject> StockObject(uint32_t index);

    // Clip.
    void ClipRect(double l, double t, double r, double b, TMFClipMode mode);
    void ClipArea(const TMFPath& outputArea, TMFClipMode mode);
    void ResetClip();
    void OffsetClip(double x, double y);

    // Drawing in logical units; inside a path bracket the figures go to the path instead.
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Polyline(const std::vector<TMFPoint>& points, bool closed, bool fromPosition);
    void PolyBezier(const std::vector<TMFPoint>& points, bool fromPosition);
    void PolyPolygon(const std::vector<std::vector<TMFPoint>>& polygons);
    void Rectangle(double l, double t, double r, double b);
    void RoundRect(double l, double t, double r, double b, double w, double h);
    void Ellipse(double l, double t, double r, double b);
    enum TArcKind : uint8_t { akArc, akArcTo, akChord, akPie };
    void Arc(TArcKind kind, double l, double t, double r, double b, TMFPoint start, TMFPoint end);
    void SetPixel(double x, double y, uint32_t color);
    void PatBlt(double x, double y, double w, double h, uint32_t rop);
    void FillRegion(const std::vector<TMFPoint>& rects, const TMFBrush& brush, uint8_t rop2);
    // Text: characters as UTF-8, dx in logical units (may be empty).
    void Text(double x, double y, const std::string& text, const std::vector<double>& dx,
              uint32_t options, const int32_t* rect);
    // A packed DIB (info header, colours, pixels) drawn from its source rectangle onto the
    // logical destination rectangle.
    struct TSource {
        double X, Y, W, H;
        bool FromBottom;             // Y counts rows from the bottom
        bool PaletteIndices = false; // the colour table holds 16-bit indices into the palette
    };
    void DrawDIB(std::span<const uint8_t> dib, TSource source, double dx, double dy, double dw,
                 double dh, uint32_t rop);

    // EMF path bracket.
    void BeginPath();
    void EndPath() { FInPath = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath(bool fill, bool stroke);
    void SelectClipPath(TMFClipMode mode);

    // Reports progress for the bytes played; true once playback should stop.
    bool Progress(int64_t played, int64_t total);

private:
    void update();
    void isotropic();
    TMFPoint pixelsPerMM() const;
    void shape(const TMFPath& path, bool fill, bool stroke);
    // Clockwise in the file's units, taking y downward.
    void arcPath(TMFPath& path, double l, double t, double r, double b, TMFPoint start,
                 TMFPoint end, bool joinStart, bool clockwise);
    TMFPath rectPath(double l, double t, double r, double b) const;
    TMFPen outputPen() const;
    TMFFont outputFont() const;
    TMFDrawState drawState() const;

    TMFAffine FBase;  // device (reference pixels) to output pixels
    TMFAffine FTotal; // logical to output pixels
    std::vector<TMFDCState> FSaved;
    bool FInPath = false;
    TMFPath FPath;
    int FLastPercent = -1;
};

// Characters of 8-bit text (Windows-1252) and of UTF-16 text as UTF-8.
std::string MFTextFrom1252(const uint8_t* bytes, size_t count);
std::string MFTextFromUTF16(const uint8_t* units, size_t count);

TMFPlayResult PlayWMFRecords(std::span<const uint8_t> file, TMFPlayer& player);
TMFPlayResult PlayEMFRecords(std::span<const uint8_t> file, TMFPlayer& player);
