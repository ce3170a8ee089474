#include "png_format.h"

#include "bmp_format.h"
#include "row_sink.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include <png.h>

namespace {

// The library reports errors by calling back; they leave its frames by longjmp and become
// exceptions only here, so no C++ object is ever skipped by the jump. Library memory belongs to
// the library structures and goes with png_destroy_*, also after a jump.

const std::string prefix = "PNG: ";

[[noreturn]] void pngError(const std::string& detail) {
    throw EPGPNGFileFormatReaderWriter(prefix + detail);
}

// What the library's callbacks of one reading or writing reach.
struct PngContext {
    PngContext(TStream& stream, const TPixelGraphic* warnings)
        : Stream(stream), WarningTarget(warnings) {}
    char Message[256] = {};
    std::exception_ptr Pending; // thrown by our own code inside a callback
    TStream& Stream;
    const TPixelGraphic* WarningTarget; // whose ReadWarningAction applies; none: warnings raise
};

PngContext& errorContext(png_structp png) {
    return *static_cast<PngContext*>(png_get_error_ptr(png));
}

PngContext& ioContext(png_structp png) {
    return *static_cast<PngContext*>(png_get_io_ptr(png));
}

// Runs our code inside a callback; an exception is kept for later and answers false.
template <class F>
bool captured(PngContext& ctx, F&& f) noexcept {
    try {
        f();
        return true;
    } catch (...) {
        ctx.Pending = std::current_exception();
        return false;
    }
}

void keepMessage(PngContext& ctx, const char* text) {
    std::snprintf(ctx.Message, sizeof ctx.Message, "%s", text ? text : "");
}

[[noreturn]] void errorFn(png_structp png, png_const_charp text) {
    keepMessage(errorContext(png), text);
    png_longjmp(png, 1);
}

void reportWarning(const PngContext& ctx, const char* text) {
    if (!ctx.WarningTarget) pngError(text);
    PGReadWarning<EPGPNGFileFormatReaderWriter>(*ctx.WarningTarget, "PNG", prefix, text);
}

void warningFn(png_structp png, png_const_charp text) {
    PngContext& ctx = errorContext(png);
    if (!captured(ctx, [&] { reportWarning(ctx, text ? text : ""); })) png_longjmp(png, 1);
}

void readFn(png_structp png, png_bytep data, size_t length) {
    PngContext& ctx = ioContext(png);
    bool complete = false;
    if (!captured(ctx, [&] {
            complete = ctx.Stream.TryReadBuffer(data, static_cast<int64_t>(length));
            if (!complete) keepMessage(ctx, PGLangStr(msgUnexpectedEOF).c_str());
        }))
        png_longjmp(png, 1);
    if (!complete) png_longjmp(png, 1);
}

void writeFn(png_structp png, png_bytep data, size_t length) {
    PngContext& ctx = ioContext(png);
    if (!captured(ctx, [&] { ctx.Stream.WriteBuffer(data, static_cast<int64_t>(length)); }))
        png_longjmp(png, 1);
}

void flushFn(png_structp) {}

template <class F>
bool guarded(png_structp png, F& step) {
    if (setjmp(png_jmpbuf(png))) return false;
    step();
    return true;
}

// Library calls: their errors and the exceptions of our callbacks come out as exceptions.
template <class F>
void libraryCall(png_structp png, const PngContext& ctx, F&& step) {
    if (guarded(png, step)) return;
    if (ctx.Pending) std::rethrow_exception(ctx.Pending);
    pngError(ctx.Message);
}

// The library's structures; destroying what exists is safe at any stage of their creation.
template <bool Reading>
struct PngStructs {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    PngStructs() = default;
    PngStructs(const PngStructs&) = delete;
    PngStructs& operator=(const PngStructs&) = delete;
    ~PngStructs() {
        if constexpr (Reading)
            png_destroy_read_struct(&Png, &Info, nullptr);
        else
            png_destroy_write_struct(&Png, &Info);
    }
};

// A read or write structure with its info structure on the stream, destroyed with the object.
template <bool Reading>
class PngSession {
public:
    PngSession(TStream& stream, const TPixelGraphic* warnings) : FContext(stream, warnings) {
        if constexpr (Reading)
            FStructs.Png =
                png_create_read_struct(PNG_LIBPNG_VER_STRING, &FContext, errorFn, warningFn);
        else
            FStructs.Png =
                png_create_write_struct(PNG_LIBPNG_VER_STRING, &FContext, errorFn, warningFn);
        if (!FStructs.Png)
            pngError(PGLangStr(msgFailed,
                               Reading ? "png_create_read_struct" : "png_create_write_struct"));
        FStructs.Info = png_create_info_struct(FStructs.Png);
        if (!FStructs.Info) pngError(PGLangStr(msgFailed, "png_create_info_struct"));
        Call([&] {
            if constexpr (Reading)
                png_set_read_fn(FStructs.Png, &FContext, readFn);
            else
                png_set_write_fn(FStructs.Png, &FContext, writeFn, flushFn);
        });
    }

    png_structp Png() const { return FStructs.Png; }
    png_infop Info() const { return FStructs.Info; }
    template <class F>
    void Call(F&& step) {
        libraryCall(FStructs.Png, FContext, step);
    }

private:
    PngContext FContext;
    PngStructs<Reading> FStructs;
};

using PngReader = PngSession<true>;
using PngWriter = PngSession<false>;

struct PngHeader {
    png_uint_32 Width = 0, Height = 0;
    int Depth = 0, ColorType = 0, Interlace = 0, Channels = 0;
    bool Palette() const { return ColorType == PNG_COLOR_TYPE_PALETTE; }
    bool Colour() const { return !Palette() && (ColorType & PNG_COLOR_MASK_COLOR); }
    // Largest sample value in the file's own terms; palette entries are always 8 bits.
    uint32_t Top() const { return Palette() ? 255 : (1u << Depth) - 1; }
};

PngHeader readHeader(PngReader& r) {
    PngHeader h;
    r.Call([&] {
        png_read_info(r.Png(), r.Info());
        png_get_IHDR(r.Png(), r.Info(), &h.Width, &h.Height, &h.Depth, &h.ColorType, &h.Interlace,
                     nullptr, nullptr);
        h.Channels = png_get_channels(r.Png(), r.Info());
    });
    return h;
}

uint8_t targetFormat(const PngHeader& h) {
    if (h.Channels > 2) return pf24Bit;
    switch (h.Depth) {
    case 1:
        return pf1Bit;
    case 2:
    case 4:
        return pf4Bit;
    default:
        return pf8Bit;
    }
}

TPaletteIdent greyIdent(int depth) {
    switch (depth) {
    case 1:
        return pBlackWhite;
    case 2:
        return pGray4;
    case 4:
        return pGray16;
    default:
        return pGray256;
    }
}

uint8_t toEightBits(uint32_t v, uint32_t top) {
    return static_cast<uint8_t>((v * 255 + top / 2) / top);
}
uint16_t fromEightBits(uint32_t v, uint32_t top) {
    return static_cast<uint16_t>((v * top + 127) / 255);
}

// A background colour in the file's terms, where the library composites: palette files by
// colour, grey and colour files at the file's bit depth (before 16 bits are reduced).
png_color_16 fileBackground(uint32_t color, const PngHeader& h) {
    const uint32_t top = h.Top();
    png_color_16 b{};
    b.red = fromEightBits(PGRed(color), top);
    b.green = fromEightBits(PGGreen(color), top);
    b.blue = fromEightBits(PGBlue(color), top);
    const uint32_t sum = PGRed(color) + PGGreen(color) + PGBlue(color);
    b.gray = static_cast<uint16_t>((sum * top + 382) / 765);
    return b;
}

uint32_t eightBitColour(const png_color_16& b, const PngHeader& h) {
    const uint32_t top = h.Top();
    if (!h.Colour() && !h.Palette()) {
        const uint8_t g = toEightBits(b.gray, top);
        return PGColor(g, g, g);
    }
    return PGColor(toEightBits(b.red, top), toEightBits(b.green, top), toEightBits(b.blue, top));
}

// Transparent pixels are composited onto the file's bKGD colour or, without one, the image's
// background colour; the result has no alpha. Answers the file's background in 8 bits, if any.
bool setBackground(PngReader& r, const PngHeader& h, TPixelGraphic& image, uint32_t& fileColour) {
    png_structp png = r.Png();
    png_infop info = r.Info();
    bool fromFile = false;
    r.Call([&] {
        const bool transparent =
            png_get_valid(png, info, PNG_INFO_tRNS) || (h.ColorType & PNG_COLOR_MASK_ALPHA);
        if (!transparent) return;
        png_color_16p stored = nullptr;
        fromFile = png_get_bKGD(png, info, &stored) != 0;
        if (fromFile) {
            fileColour = eightBitColour(*stored, h);
            png_set_background(png, stored, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        } else {
            const png_color_16 own = fileBackground(image.BackGroundColor(), h);
            png_set_background(png, &own, PNG_BACKGROUND_GAMMA_SCREEN, 1, 1.0);
        }
    });
    return fromFile;
}

// The transformations; answers the number of passes over the image.
int setTransformations(PngReader& r, const PngHeader& h, const TPixelGraphic& image) {
    const int64_t imageRowBytes =
        BytesPerRowOf(BitCountOfPixelFormat(image.PixelFormat()), static_cast<int>(h.Width));
    png_structp png = r.Png();
    int passes = 1;
    int64_t rowBytes = 0;
    int depth = 0, channels = 0;
    r.Call([&] {
        png_set_strip_16(png);
        if (h.Colour()) png_set_bgr(png);
        passes = png_set_interlace_handling(png);
        png_read_update_info(png, r.Info());
        rowBytes = static_cast<int64_t>(png_get_rowbytes(png, r.Info()));
        depth = png_get_bit_depth(png, r.Info());
        channels = png_get_channels(png, r.Info());
    });
    // Rows are decoded into the image memory: they must be exactly what its rows hold.
    const bool fits = image.PixelFormat() == pf24Bit
                          ? channels == 3 && depth == 8
                          : channels == 1 && depth == std::min(h.Depth, 8);
    if (!fits || rowBytes > imageRowBytes) pngError(PGLangStr(msgNotSupportedSubformat));
    return passes;
}

void takePalette(PngReader& r, TPixelGraphic& image) {
    png_colorp entries = nullptr;
    int count = 0;
    r.Call([&] { png_get_PLTE(r.Png(), r.Info(), &entries, &count); });
    count = std::clamp(count, 0, image.ColorCount());
    image.SetPaletteCount(count);
    for (int i = 0; i < count; ++i)
        image.SetPaletteEntry(i, PGColor(entries[i].red, entries[i].green, entries[i].blue));
}

// 2-bit samples are read into rows sized for 4 bits; a row is widened in place from its end, so
// no sample is overwritten before it is read.
void widenTwoBitRow(uint8_t* row, int width) {
    for (int x = width - 1; x >= 0; --x) {
        const uint8_t v = (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
        uint8_t& out = row[x / 2];
        out = (x & 1) ? static_cast<uint8_t>((out & 0xF0) | v)
                      : static_cast<uint8_t>((out & 0x0F) | (v << 4));
    }
}

// Answers false when a progress handler asked to stop. Interlaced passes read each row back, so
// their 2-bit rows are widened only once all passes are in.
bool readRows(PngReader& r, TPGRowSink& sink, int passes, bool twoBit) {
    TPGProgressScope progress(sink.Image());
    const int height = sink.Height();
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            png_bytep row = sink.Row(y);
            r.Call([&] { png_read_row(r.Png(), row, nullptr); });
            if (twoBit && passes == 1) widenTwoBitRow(row, sink.Width());
            if (progress.Step(y + height * pass, height * passes)) return false;
        }
    }
    if (twoBit && passes > 1)
        for (int y = 0; y < height; ++y) widenTwoBitRow(sink.Row(y), sink.Width());
    return true;
}

void readPng(TStream& stream, TPixelGraphic& image) {
    PngReader r(stream, &image);
    const PngHeader h = readHeader(r);
    uint32_t fileColour = 0;
    const bool fileBackgroundSeen = setBackground(r, h, image, fileColour);
    double gamma = 0;
    r.Call([&] {
        if (!png_get_gAMA(r.Png(), r.Info(), &gamma)) gamma = 0;
    });
    if (gamma > 0) image.SetGamma(1 / static_cast<long double>(gamma));
    const uint8_t format = targetFormat(h);
    // The library keeps both sides within a million pixels. Interlaced passes revisit every row,
    // so those pictures are read whole before any reduction.
    TPGRowSink sink(image, static_cast<int>(h.Width), static_cast<int>(h.Height), format,
                    h.Interlace == PNG_INTERLACE_NONE);
    const int passes = setTransformations(r, h, image);
    if (h.Palette())
        takePalette(r, image);
    else if (format != pf24Bit)
        image.SetPaletteIdent(greyIdent(h.Depth));
    if (fileBackgroundSeen) image.SetBackGroundColor(fileColour);
    bool complete = false;
    PGReadRows(sink, [&] { complete = readRows(r, sink, passes, h.Depth == 2); });
    if (!complete) return; // an abort keeps the rows read so far
    r.Call([&] { png_read_end(r.Png(), nullptr); });
}

const char* colorsOfBits(int bits) {
    switch (bits) {
    case 1:
        return "2";
    case 2:
        return "4";
    case 4:
        return "16";
    case 8:
        return "256";
    case 16:
        return "64K?";
    case 24:
        return "16.7M";
    case 32:
        return "16.7M?";
    default:
        return "?";
    }
}

std::string optionsOf(PngReader& r) {
    static constexpr struct {
        png_uint_32 Flag;
        const char* Name;
    } chunks[] = {{PNG_INFO_gAMA, "gama"}, {PNG_INFO_sBIT, "sbit"}, {PNG_INFO_cHRM, "chrm"},
                  {PNG_INFO_PLTE, "plte"}, {PNG_INFO_tRNS, "trns"}, {PNG_INFO_bKGD, "bkgd"},
                  {PNG_INFO_hIST, "hist"}, {PNG_INFO_pHYs, "phys"}, {PNG_INFO_oFFs, "offs"},
                  {PNG_INFO_tIME, "time"}};
    png_uint_32 valid = 0;
    r.Call([&] { valid = png_get_valid(r.Png(), r.Info(), 0xFFFFFFFFu); });
    std::string list;
    bool besidesOffsets = false;
    for (const auto& c : chunks) {
        if (!(valid & c.Flag)) continue;
        list += (list.empty() ? "" : ", ") + std::string(c.Name);
        besidesOffsets = besidesOffsets || c.Flag != PNG_INFO_oFFs;
    }
    return besidesOffsets ? "(" + list + ")" : "";
}

std::vector<png_color> paletteToWrite(const TPixelGraphic& image) {
    // Indices beyond the palette are written with padding entries; the library refuses them.
    const int count = std::min(PaletteEntriesToWrite(image), image.ColorCount());
    std::vector<png_color> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const uint32_t c = image.ColorTableEntry(static_cast<uint32_t>(i));
        entries[i] = {PGRed(c), PGGreen(c), PGBlue(c)};
    }
    return entries;
}

} // namespace

bool TPNGFileFormatReader::IsFormat(const TPGHeader& Header) const {
    static constexpr uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    return std::equal(std::begin(signature), std::end(signature), Header.begin());
}

void TPNGFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    if (Index != 0) pngError(PGLangStr(msgInvalid, "Index"));
    Image.SetGamma(Image.EffectiveDisplayGamma());
    readPng(Stream, Image);
}

void TPNGFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    if (Index != 0) pngError(PGLangStr(msgInvalidValue, "Index"));
    Info = {};
    PngReader r(Stream, nullptr);
    const PngHeader h = readHeader(r);
    Info.ImageCount = 1;
    Info.Width = static_cast<int>(h.Width);
    Info.Height = static_cast<int>(h.Height);
    Info.BitCount = h.Depth * h.Channels;
    Info.Colors = colorsOfBits(Info.BitCount);
    Info.SubFormat = h.Palette() ? "palette" : h.Colour() ? "RGB" : "GrayScale";
    if (h.ColorType & PNG_COLOR_MASK_ALPHA) Info.SubFormat += ", alpha";
    if (h.Interlace != PNG_INTERLACE_NONE) Info.SubFormat += ", interlaced";
    Info.Options = optionsOf(r);
}

void TPNGFileFormatWriter::WriteImage(TStream& Stream, TPixelGraphic& Image) const {
    const bool trueColour = Image.PixelFormat() == pf24Bit;
    const bool grey = Image.PixelFormat() == pf8Bit && Image.PaletteIdent() == pGray256;
    const std::vector<png_color> palette =
        trueColour || grey ? std::vector<png_color>{} : paletteToWrite(Image);
    const int type = trueColour ? PNG_COLOR_TYPE_RGB
                     : grey     ? PNG_COLOR_TYPE_GRAY
                                : PNG_COLOR_TYPE_PALETTE;
    const double gamma = Image.Gamma() > 0 ? static_cast<double>(Image.Gamma())
                                           : static_cast<double>(Image.EffectiveDisplayGamma());
    PngWriter w(Stream, &Image);
    w.Call([&] {
        png_set_IHDR(w.Png(), w.Info(), static_cast<png_uint_32>(Image.Width()),
                     static_cast<png_uint_32>(Image.Height()), trueColour ? 8 : Image.BitCount(),
                     type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        if (!palette.empty())
            png_set_PLTE(w.Png(), w.Info(), palette.data(), static_cast<int>(palette.size()));
        png_set_gAMA(w.Png(), w.Info(), 1 / gamma);
        png_write_info(w.Png(), w.Info());
        if (trueColour) png_set_bgr(w.Png());
    });
    TPGProgressScope progress(Image);
    for (int y = 0; y < Image.Height(); ++y) {
        png_const_bytep row = Image.ScanLine(y);
        w.Call([&] { png_write_row(w.Png(), row); });
        progress.Step(y, Image.Height() - 1); // a save runs to the end
    }
    w.Call([&] { png_write_end(w.Png(), w.Info()); });
}

TPNGTexts ReadPNGTexts(TStream& Stream) {
    PngReader r(Stream, nullptr);
    readHeader(r);
    TPNGTexts texts;
    r.Call([&] {
        png_textp chunks = nullptr;
        const int count = png_get_text(r.Png(), r.Info(), &chunks, nullptr);
        for (int i = 0; i < count; ++i) {
            const png_text& t = chunks[i];
            const size_t length = t.compression > 0 ? t.itxt_length : t.text_length;
            texts.emplace_back(t.key, std::string(t.text ? t.text : "", t.text ? length : 0));
        }
    });
    return texts;
}

void WritePNGRGBA(TStream& Stream, int Width, int Height, const uint8_t* Rows, int64_t Stride,
                  const TPNGTexts& Texts) {
    if (Width <= 0 || Height <= 0 || !Rows || Stride < int64_t{Width} * 4)
        pngError(PGLangStr(msgInvalid, "RGBA"));
    std::vector<png_text> chunks(Texts.size());
    for (size_t i = 0; i < Texts.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(Texts[i].first.c_str());
        chunks[i].text = const_cast<char*>(Texts[i].second.c_str());
        chunks[i].text_length = Texts[i].second.size();
    }
    PngWriter w(Stream, nullptr);
    w.Call([&] {
        png_set_IHDR(w.Png(), w.Info(), static_cast<png_uint_32>(Width),
                     static_cast<png_uint_32>(Height), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (!chunks.empty())
            png_set_text(w.Png(), w.Info(), chunks.data(), static_cast<int>(chunks.size()));
        png_write_info(w.Png(), w.Info());
    });
    for (int y = 0; y < Height; ++y) {
        png_const_bytep row = Rows + Stride * y;
        w.Call([&] { png_write_row(w.Png(), row); });
    }
    w.Call([&] { png_write_end(w.Png(), w.Info()); });
}

void RegisterPNGFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<TPNGFileFormatReader>());
    registry.AddWriter(std::make_unique<TPNGFileFormatWriter>());
}
