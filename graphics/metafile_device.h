#pragma once
// What the metafile player draws on. The player does the mapping: every coordinate handed to a
// device is in output pixels (x to the right, y down, (0, 0) the top left of the picture).

#include "pixel_graphic.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TMFPoint {
    double X = 0, Y = 0;
    bool operator==(const TMFPoint&) const = default;
};

// Figures of lines and cubic Béziers (a Cubic takes three points: two controls and the end).
class TMFPath {
public:
    enum TSegment : uint8_t { Move, Line, Cubic, Close };
    void MoveTo(TMFPoint p);
    void LineTo(TMFPoint p);
    void CubicTo(TMFPoint c1, TMFPoint c2, TMFPoint end);
    void CloseFigure();
    void Append(const TMFPath& other);
    void Translate(TMFPoint by);
    bool Empty() const { return FSegments.empty(); }
    bool OpenFigure() const { return FOpenFigure; }
    bool operator==(const TMFPath&) const = default;
    const std::vector<TSegment>& Segments() const { return FSegments; }
    const std::vector<TMFPoint>& Points() const { return FPoints; }

private:
    bool FOpenFigure = false;
    std::vector<TSegment> FSegments;
    std::vector<TMFPoint> FPoints;
};

// Binary raster operations, numbered as the files store them.
enum TMFRop2 : uint8_t {
    R2_BLACK = 1,
    R2_NOTMERGEPEN,
    R2_MASKNOTPEN,
    R2_NOTCOPYPEN,
    R2_MASKPENNOT,
    R2_NOT,
    R2_XORPEN,
    R2_NOTMASKPEN,
    R2_MASKPEN,
    R2_NOTXORPEN,
    R2_NOP,
    R2_MERGENOTPEN,
    R2_COPYPEN,
    R2_MERGEPENNOT,
    R2_MERGEPEN,
    R2_WHITE
};

enum TMFFillMode : uint8_t { fmAlternate = 1, fmWinding = 2 };

// Everything of the device context a fill or stroke needs besides its pen or brush.
struct TMFDrawState {
    uint8_t Rop2 = R2_COPYPEN;
    bool OpaqueBackground = true;
    uint32_t BackgroundColor = 0x00FFFFFF;
    TMFFillMode FillMode = fmAlternate;
};

enum TMFPenStyle : uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psNull,
    psInsideFrame
};
enum TMFLineCap : uint8_t { lcRound, lcSquare, lcFlat };
enum TMFLineJoin : uint8_t { ljRound, ljBevel, ljMiter };

struct TMFPen {
    TMFPenStyle Style = psSolid;
    double Width = 0; // output pixels; 0: one pixel whatever the scale
    uint32_t Color = 0;
    TMFLineCap Cap = lcRound;
    TMFLineJoin Join = ljRound;
    bool operator==(const TMFPen&) const = default;
};

enum TMFBrushStyle : uint8_t { bsSolid, bsNull, bsHatched, bsPattern };

struct TMFBrush {
    TMFBrushStyle Style = bsSolid;
    uint32_t Color = 0x00FFFFFF;
    int Hatch = 0; // horizontal, vertical, forward and backward diagonal, cross, diagonal cross
    std::shared_ptr<const TPixelGraphic> Pattern;
};

struct TMFFont {
    std::string Face;
    double Height = 0;       // output pixels
    bool CellHeight = false; // Height is the cell's, not the characters'
    double Width = 0;        // average character width, 0: the face's own
    int Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    double Angle = 0; // degrees, counter-clockwise as seen
    bool operator==(const TMFFont&) const = default;
};

// Text alignment flags as the files store them.
inline constexpr uint32_t TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8,
                          TA_BASELINE = 24;

struct TMFTextRun {
    std::string Text;       // UTF-8
    std::vector<double> Dx; // advance of each character along the baseline; empty: the font's
    TMFPoint Origin;
    uint32_t Align = 0;
    TMFFont Font;
    uint32_t Color = 0;
    bool OpaqueBackground = false; // fill the text's cells with BackgroundColor
    uint32_t BackgroundColor = 0x00FFFFFF;
    bool Clipped = false; // to ClipRect
    TMFPath ClipRect;
};

// How image pixels combine with the pixels below.
enum class TMFBlend : uint8_t { Copy, And, Or, Xor };

// One step of the clip region: the region so far combined with a figure.
enum class TMFClipMode : uint8_t { And = 1, Or, Xor, Diff, Copy };
struct TMFClipStep {
    TMFClipMode Mode = TMFClipMode::And;
    TMFPath Area;
    TMFFillMode FillMode = fmAlternate;
    bool operator==(const TMFClipStep&) const = default;
};
// From no clip at all, the steps in order.
using TMFClip = std::vector<TMFClipStep>;

class TMetafileDevice {
public:
    virtual ~TMetafileDevice() = default;
    virtual void FillPath(const TMFPath& path, const TMFBrush& brush,
                          const TMFDrawState& state) = 0;
    virtual void StrokePath(const TMFPath& path, const TMFPen& pen, const TMFDrawState& state) = 0;
    // Answers the run's advance along its baseline in output pixels.
    virtual double DrawText(const TMFTextRun& run) = 0;
    // The source rectangle of image (pixels, from the top left) onto the parallelogram whose
    // corners are topLeft, topRight and bottomLeft.
    virtual void DrawImage(const TPixelGraphic& image, int sx, int sy, int sw, int sh,
                           TMFPoint topLeft, TMFPoint topRight, TMFPoint bottomLeft,
                           TMFBlend blend) = 0;
    virtual void SetClip(const TMFClip& clip) = 0;
};
