#include "metafile_builder.h"
#include "metafile_player.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// What the player asked a device to do, in order.
struct TCall {
    std::string Kind;                                // "fill", "stroke", "text", "image", "clip"
    double Left = 0, Top = 0, Right = 0, Bottom = 0; // bounds of the points
    uint32_t Color = 0;
    TMFPen Pen;
    TMFTextRun Run;
    size_t ClipSteps = 0;
    int ImageWidth = 0;
};

class TRecordingDevice : public TMetafileDevice {
public:
    std::vector<TCall> Calls;

    void FillPath(const TMFPath& path, const TMFBrush& brush, const TMFDrawState&) override {
        TCall c = bounded("fill", path);
        c.Color = brush.Style == bsNull ? 0xFF000000 : brush.Color;
        Calls.push_back(c);
    }
    void StrokePath(const TMFPath& path, const TMFPen& pen, const TMFDrawState&) override {
        TCall c = bounded("stroke", path);
        c.Pen = pen;
        c.Color = pen.Color;
        Calls.push_back(c);
    }
    double DrawText(const TMFTextRun& run) override {
        TCall c;
        c.Kind = "text";
        c.Run = run;
        Calls.push_back(c);
        return 10;
    }
    void DrawImage(const TPixelGraphic& image, int, int, int, int, TMFPoint tl, TMFPoint tr,
                   TMFPoint bl, TMFBlend) override {
        TCall c;
        c.Kind = "image";
        c.Left = tl.X, c.Top = tl.Y, c.Right = tr.X, c.Bottom = bl.Y;
        c.ImageWidth = image.Width();
        c.Color = image.GetPixelColor(0, 0);
        Calls.push_back(c);
    }
    void SetClip(const TMFClip& clip) override {
        TCall c;
        c.Kind = "clip";
        c.ClipSteps = clip.size();
        if (!clip.empty()) c = bounded("clip", clip.back().Area), c.ClipSteps = clip.size();
        Calls.push_back(c);
    }

    std::vector<std::string> Kinds() const {
        std::vector<std::string> kinds;
        for (const TCall& c : Calls) kinds.push_back(c.Kind);
        return kinds;
    }

private:
    static TCall bounded(const char* kind, const TMFPath& path) {
        TCall c;
        c.Kind = kind;
        if (path.Points().empty()) return c;
        c.Left = c.Right = path.Points()[0].X;
        c.Top = c.Bottom = path.Points()[0].Y;
        for (TMFPoint p : path.Points()) {
            c.Left = std::min(c.Left, p.X), c.Right = std::max(c.Right, p.X);
            c.Top = std::min(c.Top, p.Y), c.Bottom = std::max(c.Bottom, p.Y);
        }
        return c;
    }
};

struct TPlayed {
    TMFPlayResult Result;
    TRecordingDevice Device;
};

// Plays at the natural size unless asked otherwise.
TPlayed play(const std::vector<uint8_t>& file, TMetafileKind kind, int width = 0, int height = 0) {
    const TMetafileHeader header = ReadMetafileHeader(file, kind, 96);
    TMFPlayOptions options;
    options.Width = width ? width : header.Width;
    options.Height = height ? height : header.Height;
    TPlayed played;
    played.Result = PlayMetafile(file, header, played.Device, options);
    return played;
}

TPlayed playWMF(const TWMFBuilder& b) {
    return play(b.Bytes(), TMetafileKind::WMF);
}

TPlayed playEMF(const TEMFBuilder& b, int width = 100, int height = 50) {
    return play(b.Bytes(), TMetafileKind::EMF, width, height);
}

// WMF records.
constexpr uint16_t wmfRectangle = 0x041B, wmfCreatePen = 0x02FA, wmfCreateBrush = 0x02FC,
                   wmfSelect = 0x012D, wmfDelete = 0x01F0, wmfSaveDC = 0x001E,
                   wmfRestoreDC = 0x0127, wmfIntersectClip = 0x0416, wmfPolygon = 0x0324,
                   wmfSetWindowExt = 0x020C, wmfSetMapMode = 0x0103;
// EMF records.
constexpr uint32_t emrRectangle = 43, emrSetMapMode = 17, emrSelect = 37, emrCreateBrush = 39,
                   emrSaveDC = 33, emrRestoreDC = 34, emrIntersectClip = 30, emrTextAlign = 22,
                   emrTextOutW = 84, emrWorld = 35, emrSetWindowExt = 9, emrPolygon16 = 86,
                   emrStretchDIBits = 81;

std::vector<int> brushParams(uint32_t color) {
    return {0, int(color & 0xFFFF), int(color >> 16), 0};
}

const TCall* firstOf(const TPlayed& p, const std::string& kind) {
    for (const TCall& c : p.Device.Calls)
        if (c.Kind == kind) return &c;
    return nullptr;
}

TEST(MetafilePlayer, HiMetricRectangleLandsUpright) {
    // 10 reference pixels a millimetre, played at a tenth of the reference size: one output
    // pixel a millimetre, y running upward in the file.
    const auto p =
        playEMF(TEMFBuilder()
                    .Record(emrSetMapMode, {3})
                    .Record(emrRectangle, {1000, uint32_t(-1000), 3000, uint32_t(-2000)}));
    ASSERT_EQ(p.Result, TMFPlayResult::Completed);
    const TCall* fill = firstOf(p, "fill");
    ASSERT_NE(fill, nullptr);
    EXPECT_DOUBLE_EQ(fill->Left, 10);
    EXPECT_DOUBLE_EQ(fill->Right, 30);
    EXPECT_DOUBLE_EQ(fill->Top, 10);
    EXPECT_DOUBLE_EQ(fill->Bottom, 20);
}

TEST(MetafilePlayer, ArcsTurnAsSeenWhicheverWayYRuns) {
    // From the right of a circle centred at (20, 20) in output pixels to its top, as seen:
    // counter-clockwise the quarter through the upper right, clockwise the other three.
    const std::vector<uint32_t> text = {100, 100, 300, 300, 300, 200, 200, 100};
    const auto n = [](int v) { return uint32_t(v); };
    const std::vector<uint32_t> hiMetric = {1000, n(-1000), 3000, n(-3000),
                                            3000, n(-2000), 2000, n(-1000)};
    // The same circle with its corners given the other way round.
    const std::vector<uint32_t> textFlipped = {100, 300, 300, 100, 300, 200, 200, 100};
    const std::vector<uint32_t> hiMetricFlipped = {1000, n(-3000), 3000, n(-1000),
                                                   3000, n(-2000), 2000, n(-1000)};
    auto arc = [](uint32_t mode, const std::vector<uint32_t>& params, uint32_t direction) {
        return playEMF(
            TEMFBuilder().Record(emrSetMapMode, {mode}).Record(57, {direction}).Record(45, params));
    };
    const struct {
        const char* Name;
        TPlayed Played;
        double Left, Bottom;
    } cases[] = {
        {"y down, counter-clockwise", arc(1, text, 1), 20, 20},
        {"y up, counter-clockwise", arc(3, hiMetric, 1), 20, 20},
        {"y down, clockwise", arc(1, text, 2), 10, 30},
        {"y up, clockwise", arc(3, hiMetric, 2), 10, 30},
        {"y down, corners flipped", arc(1, textFlipped, 1), 20, 20},
        {"y up, corners flipped", arc(3, hiMetricFlipped, 1), 20, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TCall* stroke = firstOf(c.Played, "stroke");
        ASSERT_NE(stroke, nullptr);
        EXPECT_NEAR(stroke->Left, c.Left, 1e-6);
        EXPECT_NEAR(stroke->Bottom, c.Bottom, 1e-6);
        EXPECT_NEAR(stroke->Top, 10, 1e-6);
    }
}

TEST(MetafilePlayer, WMFBoxIsTheWindowUntilTheFileSetsItsOwn) {
    // Box 1000 x 500 units at 1000 an inch: 96 x 48 pixels.
    const auto p = playWMF(TWMFBuilder(TWMFBuilder::TPlaceable{})
                               .Record(wmfRectangle, {250, 500, 0, 0})
                               .Record(wmfSetWindowExt, {50, 100})
                               .Record(wmfRectangle, {50, 100, 0, 0}));
    ASSERT_EQ(p.Device.Calls.size(), 4u);
    EXPECT_DOUBLE_EQ(p.Device.Calls[0].Right, 48);
    EXPECT_DOUBLE_EQ(p.Device.Calls[0].Bottom, 24);
    EXPECT_DOUBLE_EQ(p.Device.Calls[2].Right, 96);
    EXPECT_DOUBLE_EQ(p.Device.Calls[2].Bottom, 48);
}

TEST(MetafilePlayer, WMFObjectsTakeTheLowestFreeSlot) {
    const auto p = playWMF(TWMFBuilder()
                               .Record(wmfCreateBrush, brushParams(0x0000FF)) // slot 0
                               .Record(wmfCreateBrush, brushParams(0x00FF00)) // slot 1
                               .Record(wmfDelete, {0})
                               .Record(wmfCreateBrush, brushParams(0xFF0000)) // slot 0 again
                               .Record(wmfSelect, {0})
                               .Record(wmfRectangle, {10, 10, 0, 0})
                               .Record(wmfSelect, {1})
                               .Record(wmfRectangle, {10, 10, 0, 0}));
    std::vector<uint32_t> fills;
    for (const TCall& c : p.Device.Calls)
        if (c.Kind == "fill") fills.push_back(c.Color);
    EXPECT_EQ(fills, (std::vector<uint32_t>{0xFF0000, 0x00FF00}));
}

TEST(MetafilePlayer, EMFStockObjectsAndNamedSlots) {
    const uint32_t stock = 0x80000000;
    const auto p = playEMF(TEMFBuilder()
                               .Record(emrCreateBrush, {3, 0, 0x0000FF, 0})
                               .Record(emrSelect, {3})
                               .Record(emrRectangle, {0, 0, 10, 10})
                               .Record(emrSelect, {stock | 5}) // NULL_BRUSH
                               .Record(emrSelect, {stock | 6}) // WHITE_PEN
                               .Record(emrRectangle, {0, 0, 10, 10})
                               .Record(emrSelect, {stock | 4}) // BLACK_BRUSH
                               .Record(emrSelect, {stock | 8}) // NULL_PEN
                               .Record(emrRectangle, {0, 0, 10, 10}));
    ASSERT_EQ(p.Device.Kinds(), (std::vector<std::string>{"fill", "stroke", "stroke", "fill"}));
    EXPECT_EQ(p.Device.Calls[0].Color, 0x0000FFu);
    EXPECT_EQ(p.Device.Calls[1].Color, 0u);
    EXPECT_EQ(p.Device.Calls[2].Color, 0xFFFFFFu);
    EXPECT_EQ(p.Device.Calls[3].Color, 0u);
}

TEST(MetafilePlayer, SaveAndRestoreBringBackTheClip) {
    const auto p = playWMF(TWMFBuilder()
                               .Record(wmfSaveDC, {})
                               .Record(wmfIntersectClip, {40, 80, 10, 20})
                               .Record(wmfSaveDC, {})
                               .Record(wmfIntersectClip, {30, 60, 0, 0})
                               .Record(wmfRestoreDC, {-1})
                               .Record(wmfRestoreDC, {-1})
                               .Record(wmfRestoreDC, {-1})); // nothing saved: ignored
    std::vector<size_t> steps;
    for (const TCall& c : p.Device.Calls) steps.push_back(c.ClipSteps);
    EXPECT_EQ(p.Device.Kinds(), (std::vector<std::string>(4, "clip")));
    EXPECT_EQ(steps, (std::vector<size_t>{1, 2, 1, 0}));
    // The bare header's box of 99 x 49 units at the screen's resolution: one unit a pixel.
    EXPECT_DOUBLE_EQ(p.Device.Calls[0].Left, 20);
    EXPECT_DOUBLE_EQ(p.Device.Calls[0].Bottom, 40);
}

TEST(MetafilePlayer, EMFRestoreToAnAbsoluteLevel) {
    const auto p = playEMF(TEMFBuilder()
                               .Record(emrSaveDC, {})
                               .Record(emrIntersectClip, {0, 0, 500, 250})
                               .Record(emrSaveDC, {})
                               .Record(emrIntersectClip, {0, 0, 100, 100})
                               .Record(emrRestoreDC, {1}));
    ASSERT_FALSE(p.Device.Calls.empty());
    EXPECT_EQ(p.Device.Calls.back().ClipSteps, 0u);
}

std::vector<uint8_t> textRecord(const std::u16string& text, std::vector<int32_t> dx,
                                uint32_t options = 0) {
    std::vector<uint8_t> b;
    for (int v : {0, 0, 0, 0}) mfb::put32(b, uint32_t(v)); // bounds
    mfb::put32(b, 1);                                      // graphics mode
    for (int v : {0, 0}) mfb::put32(b, uint32_t(v));       // scales
    const uint32_t offString = 8 + 68, offDx = offString + uint32_t((2 * text.size() + 3) & ~3u);
    mfb::put32(b, 200);
    mfb::put32(b, 100);
    mfb::put32(b, uint32_t(text.size()));
    mfb::put32(b, offString);
    mfb::put32(b, options);
    for (int v : {0, 0, 0, 0}) mfb::put32(b, uint32_t(v)); // rectangle
    mfb::put32(b, dx.empty() ? 0 : offDx);
    for (char16_t c : text) mfb::put16(b, c);
    while (b.size() % 4) b.push_back(0);
    for (int32_t d : dx) mfb::put32(b, uint32_t(d));
    return b;
}

TEST(MetafilePlayer, TextKeepsItsAlignmentAndScaledAdvances) {
    // Reference pixels play at a tenth: the advances shrink with them.
    const auto p = playEMF(TEMFBuilder()
                               .Record(emrTextAlign, {24 | 6}) // baseline, centre
                               .RecordBytes(emrTextOutW, textRecord(u"Ab\u00e9", {50, 60, 70})));
    const TCall* text = firstOf(p, "text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Run.Text, "Ab\xC3\xA9");
    EXPECT_EQ(text->Run.Align, 30u);
    EXPECT_EQ(text->Run.Dx, (std::vector<double>{5, 6, 7}));
    EXPECT_DOUBLE_EQ(text->Run.Origin.X, 20);
    EXPECT_DOUBLE_EQ(text->Run.Origin.Y, 10);
}

TEST(MetafilePlayer, WMFTextIsWindows1252) {
    // "\x80" is the euro sign, "\x93" and "\x94" the curly quotes.
    const auto p = playWMF(TWMFBuilder().Record(0x0521, {3, 0x9380, 0x0094, 5, 7}));
    const TCall* text = firstOf(p, "text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Run.Text, "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D");
    EXPECT_DOUBLE_EQ(text->Run.Origin.X, 7);
    EXPECT_DOUBLE_EQ(text->Run.Origin.Y, 5);
}

std::vector<uint32_t> stretchDIBits(const std::vector<uint8_t>& dib, int32_t w, int32_t h) {
    const uint32_t bmiAt = 80, bmiSize = 40, bitsAt = bmiAt + bmiSize;
    std::vector<uint32_t> p = {
        0, 0,           0,           0,     10,      10,     0,
        0, uint32_t(w), uint32_t(h), bmiAt, bmiSize, bitsAt, uint32_t(dib.size() - 40),
        0, 0x00CC0020,  200,         100};
    const auto words = Words32(dib);
    p.insert(p.end(), words.begin(), words.end());
    return p;
}

TEST(MetafilePlayer, StretchDIBitsDrawsTheBitmapWithinItsRecord) {
    const auto p = playEMF(
        TEMFBuilder().Record(emrStretchDIBits, stretchDIBits(SolidDIB(4, 2, 0x123456), 4, 2)));
    const TCall* image = firstOf(p, "image");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->ImageWidth, 4);
    EXPECT_EQ(image->Color, 0x123456u);
    EXPECT_DOUBLE_EQ(image->Left, 1);
    EXPECT_DOUBLE_EQ(image->Right, 21);
    EXPECT_DOUBLE_EQ(image->Bottom, 11);
}

// A 2 x 1 bitmap of 1 bit whose colour table holds the palette indices 1 and 0.
std::vector<uint8_t> paletteIndexDIB() {
    std::vector<uint8_t> b;
    for (uint32_t v : {40u, 2u, 1u}) mfb::put32(b, v);
    mfb::put16(b, 1), mfb::put16(b, 1);
    for (uint32_t v : {0u, 4u, 0u, 0u, 2u, 0u}) mfb::put32(b, v);
    mfb::put16(b, 1), mfb::put16(b, 0);
    mfb::put32(b, 0x40); // pixel 0 takes table entry 0, pixel 1 entry 1
    return b;
}

TEST(MetafilePlayer, ColourTablesOfPaletteIndicesLookUpTheSelectedPalette) {
    constexpr uint32_t red = 0x0000FF, green = 0x00FF00, black = 0;
    const std::vector<uint8_t> dib = paletteIndexDIB();
    auto emf = [&](bool selected) {
        auto params = stretchDIBits(dib, 2, 1);
        params[11] = 44, params[12] = 80 + 44, params[13] = uint32_t(dib.size() - 44);
        params[14] = 1; // the table holds palette indices
        TEMFBuilder b;
        b.Record(49, {1, 0x300 | 2 << 16, red, green});
        if (selected) b.Record(48, {1});
        return playEMF(b.Record(emrStretchDIBits, params));
    };
    auto wmf = [&](bool selected) {
        TWMFBuilder b;
        b.Record(0x00F7, {0x300, 2, int(red & 0xFFFF), int(red >> 16), int(green & 0xFFFF),
                          int(green >> 16)});
        if (selected) b.Record(0x0234, {0});
        std::vector<int> params = {0x0020, 0x00CC, 1, 1, 2, 0, 0, 10, 20, 0, 0};
        const auto words = Words16(dib);
        params.insert(params.end(), words.begin(), words.end());
        return playWMF(b.Record(0x0F43, params));
    };
    const struct {
        const char* Name;
        TPlayed Played;
        uint32_t Color;
    } cases[] = {
        {"EMF with the palette selected", emf(true), green},
        {"EMF without a palette", emf(false), black},
        {"WMF with the palette selected", wmf(true), green},
        {"WMF without a palette", wmf(false), black},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TCall* image = firstOf(c.Played, "image");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Color, c.Color);
    }
}

TEST(MetafilePlayer, WMFBlitsDrawTheirOldStyleBitmaps) {
    constexpr uint32_t red = 0x0000FF;
    const std::vector<int> srcCopy = {0x0020, 0x00CC};
    // Header words: type, width, height, bytes a row, planes and bits; then the rows.
    const std::vector<int> mono = {0, 2, 1, 2, 0x0101, 0x0040};      // pixels 0 and 1
    const std::vector<int> rgb = {0, 1, 1, 4, 0x1801, 0x3412, 0x56}; // blue 12, green 34, red 56
    const std::vector<int> planes = {0, 2, 1, 2, 0x0104, 0x0040};
    auto blit = [&](uint16_t function, std::vector<int> place, const std::vector<int>& bitmap) {
        std::vector<int> params = srcCopy;
        params.insert(params.end(), place.begin(), place.end());
        params.insert(params.end(), bitmap.begin(), bitmap.end());
        return playWMF(TWMFBuilder()
                           .Record(0x0209, {int(red & 0xFFFF), int(red >> 16)})
                           .Record(function, params));
    };
    const std::vector<int> bitBlt = {0, 0, 1, 2, 4, 3}; // source 0, 0; 2 x 1 at 3, 4
    const std::vector<int> stretchBlt = {1, 1, 0, 0, 2, 4, 4, 3};
    const struct {
        const char* Name;
        TPlayed Played;
        bool Drawn;
        uint32_t Color;
        double Right;
    } cases[] = {
        {"one bit: 0 is the text colour", blit(0x0922, bitBlt, mono), true, red, 5},
        {"24 bits stretched", blit(0x0B23, stretchBlt, rgb), true, 0x123456, 7},
        {"four planes have no colours of their own", blit(0x0922, bitBlt, planes), false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TCall* image = firstOf(c.Played, "image");
        ASSERT_EQ(image != nullptr, c.Drawn);
        if (!image) continue;
        EXPECT_EQ(image->Color, c.Color);
        EXPECT_DOUBLE_EQ(image->Left, 3);
        EXPECT_DOUBLE_EQ(image->Right, c.Right);
    }
}

struct MalformedCase {
    const char* Name;
    std::vector<uint8_t> File;
    TMetafileKind Kind;
    TMFPlayResult Result;
    std::vector<std::string> Calls;
};

std::vector<uint8_t> rawWMFRecord(uint32_t words, uint16_t function) {
    std::vector<uint8_t> b;
    mfb::put32(b, words);
    mfb::put16(b, function);
    return b;
}

std::vector<uint8_t> rawEMFRecord(uint32_t type, uint32_t size) {
    std::vector<uint8_t> b;
    mfb::put32(b, type);
    mfb::put32(b, size);
    return b;
}

std::vector<MalformedCase> malformedCases() {
    const auto wmf = TMetafileKind::WMF, emf = TMetafileKind::EMF;
    const auto done = TMFPlayResult::Completed, cut = TMFPlayResult::Truncated;
    const std::vector<std::string> box = {"fill", "stroke"}, none;
    const std::vector<uint32_t> rect = {0, 0, 10, 10};
    auto dibWith = [](size_t at, uint32_t value) {
        auto p = stretchDIBits(SolidDIB(4, 2, 0), 4, 2);
        p[at] = value;
        return p;
    };
    return {
        {"WMF record past the file keeps what was drawn",
         TWMFBuilder()
             .Record(wmfRectangle, {10, 10, 0, 0})
             .Raw(rawWMFRecord(5000, wmfRectangle))
             .WithoutEOF()
             .Bytes(),
         wmf, cut, box},
        {"WMF record below three words", TWMFBuilder().Raw(rawWMFRecord(2, wmfRectangle)).Bytes(),
         wmf, cut, none},
        {"WMF without EOF ends at the file's end",
         TWMFBuilder().Record(wmfRectangle, {10, 10, 0, 0}).WithoutEOF().Bytes(), wmf, cut, box},
        {"WMF polygon counting more points than it holds",
         TWMFBuilder()
             .Record(wmfPolygon, {1000, 0, 0, 5, 5})
             .Record(wmfRectangle, {10, 10, 0, 0})
             .Bytes(),
         wmf, done, box},
        {"WMF text longer than its record",
         TWMFBuilder().Record(0x0521, {200, 0x4141, 0, 0}).Bytes(), wmf, done, none},
        {"WMF selection of an empty slot and past the table",
         TWMFBuilder(2)
             .Record(wmfSelect, {1})
             .Record(wmfSelect, {40000})
             .Record(wmfRectangle, {10, 10, 0, 0})
             .Bytes(),
         wmf, done, box},
        {"WMF zero window extent leaves the mapping",
         TWMFBuilder()
             .Record(wmfSetMapMode, {8})
             .Record(wmfSetWindowExt, {0, 0})
             .Record(wmfRectangle, {10, 10, 0, 0})
             .Bytes(),
         wmf, done, box},
        {"WMF region with more scans than bytes",
         TWMFBuilder()
             .Record(0x06FF, {0, 6, 0, 0, 0, 30000, 0, 0, 0, 0, 0, 2})
             .Record(wmfRectangle, {10, 10, 0, 0})
             .Bytes(),
         wmf, done, box},
        {"EMF record size not a multiple of 4",
         TEMFBuilder()
             .Record(emrRectangle, rect)
             .Raw(rawEMFRecord(emrRectangle, 26))
             .WithoutEOF()
             .Bytes(),
         emf, cut, box},
        {"EMF record below 8 bytes", TEMFBuilder().Raw(rawEMFRecord(emrRectangle, 4)).Bytes(), emf,
         cut, none},
        {"EMF record past the file",
         TEMFBuilder()
             .Record(emrRectangle, rect)
             .Raw(rawEMFRecord(emrRectangle, 0x7FFFFFFC))
             .WithoutEOF()
             .Bytes(),
         emf, cut, box},
        {"EMF polygon counting four billion points",
         TEMFBuilder().Record(emrPolygon16, {0, 0, 0, 0, 0xFFFFFFFF, 0}).Bytes(), emf, done, none},
        {"EMF poly-polygon whose counts pass the record",
         TEMFBuilder().Record(91, {0, 0, 0, 0, 0x40000000, 4, 0x40000000}).Bytes(), emf, done,
         none},
        {"EMF text offset outside its record",
         TEMFBuilder()
             .RecordBytes(emrTextOutW,
                          [] {
                              auto r = textRecord(u"Hi", {});
                              r[48 - 8] = 0xF0;
                              return r;
                          }())
             .Bytes(),
         emf, done, none},
        {"EMF text characters past the record",
         TEMFBuilder()
             .RecordBytes(emrTextOutW,
                          [] {
                              auto r = textRecord(u"Hi", {});
                              r[44 - 8] = 0xFF, r[45 - 8] = 0xFF;
                              return r;
                          }())
             .Bytes(),
         emf, done, none},
        {"EMF dx past the record draws without advances", {}, emf, done, {"text"}},
        {"EMF DIB bits outside the record",
         TEMFBuilder().Record(emrStretchDIBits, dibWith(13, 0x10000)).Bytes(), emf, done, none},
        {"EMF DIB header offset wrapping",
         TEMFBuilder().Record(emrStretchDIBits, dibWith(10, 0xFFFFFFF8)).Bytes(), emf, done, none},
        {"EMF DIB of more pixels than the cap",
         TEMFBuilder()
             .Record(emrStretchDIBits,
                     [] {
                         auto p = stretchDIBits(SolidDIB(4, 2, 0), 4, 2);
                         p[18 + 1] = 0x7FFFFFFF, p[18 + 2] = 0x7FFFFFFF;
                         return p;
                     }())
             .Bytes(),
         emf, done, none},
        {"EMF selection of index 0, an empty slot and past the table",
         TEMFBuilder()
             .Record(emrSelect, {0})
             .Record(emrSelect, {5})
             .Record(emrSelect, {9000})
             .Record(emrRectangle, rect)
             .Bytes(),
         emf, done, box},
        {"EMF object stored past the table is ignored",
         TEMFBuilder()
             .Record(emrCreateBrush, {500, 1, 0, 0})
             .Record(emrSelect, {500})
             .Record(emrRectangle, rect)
             .Bytes(),
         emf, done, box},
        {"EMF singular world transform leaves the mapping",
         TEMFBuilder().Record(emrWorld, {0, 0, 0, 0, 0, 0}).Record(emrRectangle, rect).Bytes(), emf,
         done, box},
        {"EMF zero extents",
         TEMFBuilder()
             .Record(emrSetMapMode, {8})
             .Record(emrSetWindowExt, {0, 0})
             .Record(emrRectangle, rect)
             .Bytes(),
         emf, done, box},
    };
}

TEST(MetafilePlayer, MalformedRecords) {
    auto cases = malformedCases();
    for (auto& c : cases)
        if (c.File.empty()) {
            auto r = textRecord(u"Hi", {1, 2});
            r[72 - 8] = 0xF0;
            c.File = TEMFBuilder().RecordBytes(emrTextOutW, r).Bytes();
        }
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const bool wmf = c.Kind == TMetafileKind::WMF;
        const auto p = play(c.File, c.Kind, wmf ? 0 : 100, wmf ? 0 : 50);
        EXPECT_EQ(p.Result, c.Result);
        EXPECT_EQ(p.Device.Kinds(), c.Calls);
        if (const TCall* fill = firstOf(p, "fill")) {
            // The mapping the case left alone: ten units are ten pixels (WMF) or one (EMF).
            EXPECT_DOUBLE_EQ(fill->Right, wmf ? 10 : 1);
        }
        if (const TCall* text = firstOf(p, "text")) {
            EXPECT_TRUE(text->Run.Dx.empty());
        }
    }
}

TEST(MetafilePlayer, ManyClipsAndSavesStayBounded) {
    TEMFBuilder b;
    for (int i = 0; i < 3000; ++i) b.Record(emrSaveDC, {});
    for (int i = 0; i < 3000; ++i)
        b.Record(emrIntersectClip, {0, 0, uint32_t(1000 - i % 500), 500});
    for (int i = 0; i < 3000; ++i) b.Record(emrRestoreDC, {uint32_t(-1)});
    const auto p = playEMF(b);
    EXPECT_EQ(p.Result, TMFPlayResult::Completed);
    size_t most = 0;
    for (const TCall& c : p.Device.Calls) most = std::max(most, c.ClipSteps);
    EXPECT_LE(most, 256u);
    EXPECT_EQ(p.Device.Calls.back().ClipSteps, 0u);
}

TEST(MetafilePlayer, ProgressFollowsThePlayedShareAndAbortKeepsTheDrawing) {
    TWMFBuilder b;
    for (int i = 0; i < 400; ++i) b.Record(wmfRectangle, {10, 10, 0, 0});
    const auto file = b.Bytes();
    const TMetafileHeader header = ReadMetafileHeader(file, TMetafileKind::WMF, 96);
    std::vector<int> steps;
    TMFPlayOptions options;
    options.Width = header.Width, options.Height = header.Height;
    options.Progress = [&](int percent) {
        steps.push_back(percent);
        return percent >= 50;
    };
    TRecordingDevice device;
    EXPECT_EQ(PlayMetafile(file, header, device, options), TMFPlayResult::Aborted);
    ASSERT_FALSE(steps.empty());
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_EQ(steps.back(), 50);
    const size_t drawn = device.Calls.size() / 2;
    EXPECT_GT(drawn, 150u);
    EXPECT_LT(drawn, 250u);
}

TEST(FormatRegistry, LateRegistrationRaises) {
    PGRegistry();
    EXPECT_THROW(AddFormatRegistration([](TPGRegistry&) {}), std::logic_error);
}

} // namespace
