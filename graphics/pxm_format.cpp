#include "pxm_format.h"

#include "block_reader.h"
#include "row_sink.h"
#include "short_file.h"

#include <array>
#include <cstring>

namespace {

[[noreturn]] void pxmError(const std::string& detail) {
    throw EPGPxMFileFormatReader("PBM, PGM, PPM: " + detail);
}

[[noreturn]] void writerError(const std::string& detail) {
    throw EPGPxMFileFormatWriter("PBM, PGM, PPM: " + detail);
}

// Larger numbers stay at this value: far beyond any valid size or sample, and no number of
// digits can overflow it.
constexpr uint64_t numberCap = uint64_t(1) << 32;

// The text side of the format: characters with comments skipped, and decimal numbers.
class PnmText {
public:
    explicit PnmText(TPGBlockReader& in) : FIn(in) {}

    // A comment reads as the line end that closes it.
    bool Char(uint8_t& c) {
        if (!FIn.Get(c)) return false;
        if (c != '#') return true;
        do {
            if (!FIn.Get(c)) return false;
        } while (c != '\n' && c != '\r');
        return true;
    }

    // Skips to a digit and takes digits up to a non-digit, which is consumed.
    uint64_t Number() {
        uint8_t c = digit();
        uint64_t v = 0;
        do {
            v = std::min(v * 10 + (c - '0'), numberCap);
        } while (Char(c) && isDigit(c));
        return v;
    }

    // One pixel of a plain bitmap: each digit is a pixel, '0' white, any other black.
    bool Black() { return digit() != '0'; }

private:
    static bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }
    uint8_t digit() {
        uint8_t c;
        do {
            if (!Char(c)) pxmError(PGLangStr(msgUnexpectedEOF));
        } while (!isDigit(c));
        return c;
    }

    TPGBlockReader& FIn;
};

enum Kind { kBitmap, kGray, kPixel };

struct PnmHeader {
    char Type = 0;
    uint64_t Width = 0;
    uint64_t Height = 0;
    uint64_t MaxVal = 1;

    bool Raw() const { return Type >= '4'; }
    Kind Family() const { return static_cast<Kind>((Type - '1') % 3); }
    int64_t Samples() const { return Family() == kPixel ? 3 : 1; }
};

PnmHeader readHeader(TPGBlockReader& in, PnmText& text) {
    uint8_t p, type;
    if (!in.Get(p)) pxmError(PGLangStr(msgUnexpectedEOF));
    if (p != 'P') pxmError(PGLangStr(msgNotAFile, "PBM, PGM, PPM"));
    if (!in.Get(type)) pxmError(PGLangStr(msgUnexpectedEOF));
    if (type < '1' || type > '6') pxmError(PGLangStr(msgUnknownSubformat));
    PnmHeader h;
    h.Type = static_cast<char>(type);
    h.Width = text.Number();
    h.Height = text.Number();
    if (h.Family() != kBitmap) h.MaxVal = text.Number();
    if (h.Width > INT32_MAX || h.Height > INT32_MAX) pxmError(PGLangStr(msgNotSupportedSubformat));
    return h;
}

void checkReadable(const PnmHeader& h) {
    const bool valid = h.Width >= 1 && h.Height >= 1 && h.MaxVal >= 1 && h.MaxVal <= 65535 &&
                       (!h.Raw() || h.MaxVal < 256);
    if (!valid) pxmError(PGLangStr(msgNotSupportedSubformat));
}

int64_t rawRowBytes(const PnmHeader& h) {
    const int64_t w = static_cast<int64_t>(h.Width);
    return h.Family() == kBitmap ? (w + 7) / 8 : w * h.Samples();
}

// Fewest bytes of text that can hold the pixels: one character per plain bitmap pixel and a
// digit and a separator per plain sample.
int64_t minimumText(const PnmHeader& h) {
    const int64_t pixels = static_cast<int64_t>(h.Width) * static_cast<int64_t>(h.Height);
    // Sides up to 2^31 keep the pixel count in range, but not three samples of two characters.
    if (pixels > INT64_MAX / 6) return INT64_MAX;
    const int64_t samples = pixels * h.Samples();
    return h.Family() == kBitmap ? samples : 2 * samples - 1;
}

// Whether the pixels may be allocated: plain text must be long enough for all of them, while a
// truncated raw file keeps its rows down to the share of short_file.h.
bool holdsEnough(const PnmHeader& h, int64_t available) {
    if (!h.Raw()) return available >= minimumText(h);
    return PGFileHoldsEnough(rawRowBytes(h), static_cast<int64_t>(h.Height), available);
}

// Sample value to 8 bits, rounded, for every value up to max(maxval, 255); larger values
// count as maxval.
std::vector<uint8_t> scaleTable(uint64_t maxVal) {
    std::vector<uint8_t> t(std::max<uint64_t>(maxVal, 255) + 1);
    for (uint64_t v = 0; v < t.size(); ++v)
        t[v] = static_cast<uint8_t>((std::min(v, maxVal) * 255 + maxVal / 2) / maxVal);
    return t;
}

struct RowReader {
    TPGBlockReader& In;
    PnmText& Text;
    const PnmHeader& H;
    std::vector<uint8_t> Scale;
    int Width;

    uint8_t sample() { return Scale[std::min(Text.Number(), H.MaxVal)]; }

    void raw(uint8_t* row, int64_t count) {
        if (In.Read(row, count) != count) pxmError(PGLangStr(msgUnexpectedEOF));
    }

    void operator()(uint8_t* row) {
        switch (H.Type) {
        case '1':
            plainBitmap(row);
            break;
        case '2':
            for (int x = 0; x < Width; ++x) row[x] = sample();
            break;
        case '3':
            for (int x = 0; x < Width; ++x) {
                row[3 * x + 2] = sample();
                row[3 * x + 1] = sample();
                row[3 * x] = sample();
            }
            break;
        case '4':
            rawBitmap(row);
            break;
        case '5':
            raw(row, Width);
            if (H.MaxVal != 255)
                for (int x = 0; x < Width; ++x) row[x] = Scale[row[x]];
            break;
        default:
            raw(row, 3 * int64_t(Width));
            for (int x = 0; x < Width; ++x) {
                const uint8_t red = row[3 * x];
                row[3 * x] = Scale[row[3 * x + 2]];
                row[3 * x + 1] = Scale[row[3 * x + 1]];
                row[3 * x + 2] = Scale[red];
            }
        }
    }

    // Black pixels are index 0, so a set bit is a white pixel.
    void plainBitmap(uint8_t* row) {
        for (int x = 0; x < Width; x += 8) {
            uint8_t byte = 0;
            for (int k = 0; k < 8 && x + k < Width; ++k)
                if (!Text.Black()) byte |= static_cast<uint8_t>(0x80 >> k);
            row[x / 8] = byte;
        }
    }

    void rawBitmap(uint8_t* row) {
        const int64_t bytes = (int64_t(Width) + 7) / 8;
        raw(row, bytes);
        for (int64_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
        if (Width % 8) row[bytes - 1] &= static_cast<uint8_t>(0xFF << (8 - Width % 8));
    }
};

uint8_t formatOf(const PnmHeader& h) {
    return h.Family() == kBitmap ? pf1Bit : h.Family() == kGray ? pf8Bit : pf24Bit;
}

TPaletteIdent paletteOf(const PnmHeader& h) {
    return h.Family() == kBitmap ? pBlackWhite : h.Family() == kGray ? pGray256 : pTrueColor;
}

// Decimal texts of 0..255 for the writers.
struct Decimal {
    char Text[3];
    uint8_t Length;
};
constexpr std::array<Decimal, 256> decimals = [] {
    std::array<Decimal, 256> t{};
    for (int v = 0; v < 256; ++v) {
        const int digits = v >= 100 ? 3 : v >= 10 ? 2 : 1;
        t[v].Length = static_cast<uint8_t>(digits);
        for (int d = digits - 1, rest = v; d >= 0; --d, rest /= 10)
            t[v].Text[d] = static_cast<char>('0' + rest % 10);
    }
    return t;
}();

void appendValue(std::string& line, uint8_t v) {
    line.append(decimals[v].Text, decimals[v].Length);
    line.push_back(' ');
}

// One image row as text: values separated by a blank, the row closed by a line feed.
void formatRow(const TPixelGraphic& img, int y, char type, std::string& line) {
    const uint8_t* row = img.ScanLine(y);
    line.clear();
    const int width = img.Width();
    for (int x = 0; x < width; ++x) {
        switch (type) {
        case '1':
            line.push_back((row[x / 8] >> (7 - x % 8)) & 1 ? '0' : '1');
            line.push_back(' ');
            break;
        case '2':
            appendValue(line, row[x]);
            break;
        default:
            appendValue(line, row[3 * x + 2]);
            appendValue(line, row[3 * x + 1]);
            appendValue(line, row[3 * x]);
        }
    }
    line.back() = '\n';
}

void checkResolution(const TPixelGraphic& img, char type) {
    const bool ok = type == '1'   ? img.PixelFormat() == pf1Bit && img.PaletteIdent() == pBlackWhite
                    : type == '2' ? img.PixelFormat() == pf8Bit && img.PaletteIdent() == pGray256
                                  : img.PixelFormat() == pf24Bit;
    static const char* names[] = {"PBM: ", "PGM: ", "PPM: "};
    if (!ok) throw EPGPxMFileFormatWriter(names[type - '1'] + PGLangStr(msgInvalidColorRes));
}

} // namespace

bool TPxMFileFormatReader::IsFormat(const TPGHeader& Header) const {
    return Header[0] == 'P' && (Header[1] == FPlainType || Header[1] == FRawType);
}

void TPxMFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    if (Index != 0) throw EPGPxMFileFormatReader("PxM: " + PGLangStr(msgInvalid, "Index"));
    Image.SetGamma(Image.EffectiveDisplayGamma());
    TPGBlockReader in(Stream);
    PnmText text(in);
    const PnmHeader h = readHeader(in, text);
    checkReadable(h);
    if (!holdsEnough(h, in.Remaining())) pxmError(PGLangStr(msgUnexpectedEOF));

    TPGRowSink sink(Image, static_cast<int>(h.Width), static_cast<int>(h.Height), formatOf(h));
    Image.SetPaletteIdent(paletteOf(h));
    PGReadRows(sink, [&] {
        TPGProgressScope progress(Image);
        RowReader read{in, text, h, scaleTable(h.MaxVal), sink.Width()};
        const int height = sink.Height();
        for (int y = 0; y < height; ++y) {
            read(sink.Row(y));
            if (progress.Step(y, height)) return;
        }
    });
}

void TPxMFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    if (Index != 0) pxmError(PGLangStr(msgInvalidValue, "Index"));
    TPGBlockReader in(Stream);
    PnmText text(in);
    const PnmHeader h = readHeader(in, text);
    static const char* colors[] = {"2", "256", "16.7M"};
    Info = {};
    Info.ImageCount = 1;
    Info.SubFormat = h.Raw() ? "Binary" : "ASCII";
    Info.BitCount = h.Family() == kBitmap ? 1 : h.Family() == kGray ? 8 : 24;
    Info.Colors = colors[h.Family()];
    Info.Width = static_cast<int>(h.Width);
    Info.Height = static_cast<int>(h.Height);
}

void TPXMFileFormatWriter::WriteImage(TStream& Stream, TPixelGraphic& Image) const {
    const char type = Extension == "pbm"   ? '1'
                      : Extension == "pgm" ? '2'
                      : Extension == "ppm" ? '3'
                                           : 0;
    if (!type) writerError(PGLangStr(msgUnknownExtension, Extension));
    if (Image.Width() < 1 || Image.Height() < 1) writerError(PGLangStr(msgZeroSize));
    checkResolution(Image, type);
    std::string line = std::string("P") + type + "\n" + std::to_string(Image.Width()) + " " +
                       std::to_string(Image.Height()) + "\n" + (type == '1' ? "" : "255\n");
    Stream.WriteBuffer(line.data(), static_cast<int64_t>(line.size()));

    TPGProgressScope progress(Image);
    const int height = Image.Height();
    for (int y = 0; y < height; ++y) {
        formatRow(Image, y, type, line);
        Stream.WriteBuffer(line.data(), static_cast<int64_t>(line.size()));
        // A half-written file must not replace the target, so stopping is an error here.
        if (progress.Step(y, height)) writerError(PGLangStr(msgAborted));
    }
}

void RegisterPxMFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<TPBMFileFormatReader>());
    registry.AddReader(std::make_unique<TPGMFileFormatReader>());
    registry.AddReader(std::make_unique<TPPMFileFormatReader>());
    registry.AddWriter(std::make_unique<TPBMFileFormatWriter>());
    registry.AddWriter(std::make_unique<TPGMFileFormatWriter>());
    registry.AddWriter(std::make_unique<TPPMFileFormatWriter>());
}
