#include "tga_format.h"

#include "block_reader.h"
#include "bmp_format.h"
#include "row_sink.h"
#include "short_file.h"

#include <array>
#include <cstring>

namespace {

[[noreturn]] void tgaError(const std::string& detail) {
    throw EPGTGAFileFormatReader("TGA: " + detail);
}

constexpr int headerSize = 18;

struct TgaHeader {
    uint8_t IdLength = 0;
    uint8_t ColorMapType = 0;
    uint8_t ImageType = 0;
    uint16_t MapFirst = 0;
    uint16_t MapLength = 0;
    uint8_t MapEntryBits = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t Depth = 0;
    uint8_t Descriptor = 0;

    bool Rle() const { return ImageType >= 9; }
    int PixelBytes() const { return Depth / 8; }
    bool RightToLeft() const { return Descriptor & 0x10; }
    bool TopDown() const { return Descriptor & 0x20; }
    int MapEntryBytes() const { return (MapEntryBits + 7) / 8; }
    int64_t MapBytes() const {
        return ColorMapType == 1 ? int64_t(MapLength) * MapEntryBytes() : 0;
    }
};

TgaHeader readHeader(TStream& s) {
    uint8_t raw[headerSize];
    if (!s.TryReadBuffer(raw, headerSize)) tgaError(PGLangStr(msgUnexpectedEOF));
    TgaHeader h;
    h.IdLength = raw[0];
    h.ColorMapType = raw[1];
    h.ImageType = raw[2];
    h.MapFirst = GetLE16(raw + 3);
    h.MapLength = GetLE16(raw + 5);
    h.MapEntryBits = raw[7];
    h.Width = GetLE16(raw + 12);
    h.Height = GetLE16(raw + 14);
    h.Depth = raw[16];
    h.Descriptor = raw[17];
    return h;
}

// Options text of an image type; other types are refused.
const char* kindOf(uint8_t imageType) {
    switch (imageType) {
    case 1:
    case 9:
        return "Color-mapped";
    case 2:
    case 10:
        return "True-color";
    case 3:
    case 11:
        return "\"Black-and-white\"";
    default:
        tgaError(PGLangStr(msgInvalidValue, "ImageType"));
    }
}

void skipOrFail(TStream& s, int64_t count) {
    if (count > s.Remaining()) tgaError(PGLangStr(msgUnexpectedEOF));
    s.Seek(count, TSeekOrigin::Current);
}

uint32_t color555(uint16_t v) {
    return PGColor((v & 0x7C00) >> 7, (v & 0x3E0) >> 2, (v & 0x1F) << 3);
}

// The colour map: its entry i is palette position first + i; positions past 255 are dropped.
std::vector<uint32_t> readColorMap(TStream& s, const TgaHeader& h) {
    const int bits = h.MapEntryBits, entryBytes = h.MapEntryBytes();
    if (bits != 15 && bits != 16 && bits != 24 && bits != 32)
        tgaError(PGLangStr(msgNotSupportedSubformat));
    std::vector<uint8_t> raw(static_cast<size_t>(h.MapBytes()));
    if (!s.TryReadBuffer(raw.data(), h.MapBytes())) tgaError(PGLangStr(msgUnexpectedEOF));
    std::vector<uint32_t> palette(std::min<size_t>(256, size_t(h.MapFirst) + h.MapLength));
    for (size_t i = h.MapFirst; i < palette.size(); ++i) {
        const uint8_t* e = &raw[(i - h.MapFirst) * entryBytes];
        palette[i] = entryBytes == 2 ? color555(GetLE16(e)) : PGColor(e[2], e[1], e[0]);
    }
    return palette;
}

// Whether the pixels may be allocated: run-length data must be long enough for packets of 128
// pixels each, while a truncated raw file keeps its rows down to the share of short_file.h.
bool holdsEnough(const TgaHeader& h, int64_t available) {
    if (!h.Rle()) return PGFileHoldsEnough(int64_t(h.Width) * h.PixelBytes(), h.Height, available);
    const int64_t pixels = int64_t(h.Width) * h.Height;
    return available >= (pixels + 127) / 128 * (1 + h.PixelBytes());
}

// Packets may run on from one row into the next, so their state outlives a row.
struct RleState {
    int Left = 0;
    bool Repeat = false;
    std::array<uint8_t, 4> Pixel{};
};

void readOrFail(TPGBlockReader& in, uint8_t* dest, int64_t count) {
    if (in.Read(dest, count) != count) tgaError(PGLangStr(msgUnexpectedEOF));
}

void decodeRle(TPGBlockReader& in, uint8_t* out, int64_t pixels, int pb, RleState& st) {
    int64_t x = 0;
    while (x < pixels) {
        if (st.Left == 0) {
            uint8_t head;
            if (!in.Get(head)) tgaError(PGLangStr(msgUnexpectedEOF));
            st.Left = (head & 127) + 1;
            st.Repeat = head & 128;
            if (st.Repeat) readOrFail(in, st.Pixel.data(), pb);
        }
        const int64_t n = std::min<int64_t>(st.Left, pixels - x);
        if (st.Repeat)
            for (int64_t k = 0; k < n; ++k) std::memcpy(out + (x + k) * pb, st.Pixel.data(), pb);
        else
            readOrFail(in, out + x * pb, n * pb);
        x += n;
        st.Left -= static_cast<int>(n);
    }
}

// File pixels of one row into an image row, mirrored for right-to-left files.
void convertRow(const uint8_t* src, uint8_t* row, int width, int depth, bool mirror) {
    for (int x = 0; x < width; ++x) {
        const int to = mirror ? width - 1 - x : x;
        switch (depth) {
        case 8:
            row[to] = src[x];
            break;
        case 16: {
            const uint32_t c = color555(GetLE16(src + 2 * x));
            row[3 * to] = PGBlue(c), row[3 * to + 1] = PGGreen(c), row[3 * to + 2] = PGRed(c);
            break;
        }
        default:
            std::memcpy(row + 3 * to, src + x * (depth / 8), 3);
        }
    }
}

void readRows(TStream& s, TPGRowSink& sink, const TgaHeader& h, TPGProgressScope& progress) {
    const int width = h.Width, height = h.Height, pb = h.PixelBytes();
    const bool direct = !h.Rle() && !h.RightToLeft() && (h.Depth == 8 || h.Depth == 24);
    TPGBlockReader in(s);
    std::vector<uint8_t> buffer(direct ? 0 : static_cast<size_t>(width) * pb);
    RleState rle;
    for (int r = 0; r < height; ++r) {
        uint8_t* row = sink.Row(h.TopDown() ? r : height - 1 - r);
        if (direct) {
            readOrFail(in, row, int64_t(width) * pb);
        } else {
            if (h.Rle())
                decodeRle(in, buffer.data(), width, pb, rle);
            else
                readOrFail(in, buffer.data(), int64_t(width) * pb);
            convertRow(buffer.data(), row, width, h.Depth, h.RightToLeft());
        }
        if (progress.Step(r, height)) return;
    }
}

std::string colorsOf(int depth) {
    if (depth <= 23) return std::to_string(int64_t(1) << depth);
    return depth == 24 ? "16.7M" : "16.7M ?";
}

} // namespace

void TTGAFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    if (Index != 0) tgaError(PGLangStr(msgInvalid, "Index"));
    Image.SetGamma(Image.EffectiveDisplayGamma());
    const TgaHeader h = readHeader(Stream);
    if (h.Depth != 8 && h.Depth != 16 && h.Depth != 24 && h.Depth != 32)
        tgaError(PGLangStr(msgNotSupportedSubformat));
    kindOf(h.ImageType); // refuses image types without a known layout
    if (h.Width == 0 || h.Height == 0) tgaError(PGLangStr(msgZeroSize));
    skipOrFail(Stream, h.IdLength);
    std::vector<uint32_t> palette;
    if (h.Depth == 8 && h.MapBytes() > 0)
        palette = readColorMap(Stream, h);
    else
        skipOrFail(Stream, h.MapBytes());
    if (!holdsEnough(h, Stream.Remaining())) tgaError(PGLangStr(msgUnexpectedEOF));

    TPGRowSink sink(Image, h.Width, h.Height, h.Depth == 8 ? pf8Bit : pf24Bit);
    PGReadRows(sink, [&] {
        if (h.Depth != 8) {
            Image.SetPaletteIdent(pTrueColor);
        } else if (palette.empty()) {
            Image.SetPaletteIdent(pGray256);
        } else {
            Image.SetPaletteCount(static_cast<int>(palette.size()));
            for (size_t i = 0; i < palette.size(); ++i)
                Image.SetPaletteEntry(static_cast<int>(i), palette[i]);
        }
        TPGProgressScope progress(Image);
        readRows(Stream, sink, h, progress);
    });
}

void TTGAFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    if (Index != 0) tgaError(PGLangStr(msgInvalidValue, "Index"));
    const TgaHeader h = readHeader(Stream);
    Info = {};
    Info.Options = kindOf(h.ImageType);
    Info.SubFormat = h.Rle() ? "Run-length encoded" : "Uncompressed";
    Info.ImageCount = 1;
    Info.Width = h.Width;
    Info.Height = h.Height;
    Info.BitCount = h.Depth;
    Info.Colors = colorsOf(h.Depth);
}

void TTGAFileFormatWriter::WriteImage(TStream& Stream, TPixelGraphic& Image) const {
    const bool mapped = Image.PixelFormat() == pf8Bit;
    if (!mapped && Image.PixelFormat() != pf24Bit) tgaError(PGLangStr(msgInvalidColorRes));
    if (Image.Width() > 0xFFFF) tgaError(PGLangStr(msgInvalidValue, "Width"));
    if (Image.Height() > 0xFFFF) tgaError(PGLangStr(msgInvalidValue, "Height"));
    const int entries = mapped ? PaletteEntriesToWrite(Image) : 0;
    std::vector<uint8_t> head(headerSize + 3 * static_cast<size_t>(entries), 0);
    head[1] = mapped ? 1 : 0;
    head[2] = mapped ? 1 : 2;
    PutLE16(&head[5], static_cast<uint16_t>(entries));
    head[7] = mapped ? 24 : 0;
    PutLE16(&head[12], static_cast<uint16_t>(Image.Width()));
    PutLE16(&head[14], static_cast<uint16_t>(Image.Height()));
    head[16] = mapped ? 8 : 24;
    for (int i = 0; i < entries; ++i) {
        const uint32_t c = Image.ColorTableEntry(static_cast<uint32_t>(i));
        uint8_t* e = &head[headerSize + 3 * static_cast<size_t>(i)];
        e[0] = PGBlue(c), e[1] = PGGreen(c), e[2] = PGRed(c);
    }
    Stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));

    TPGProgressScope progress(Image);
    const int height = Image.Height();
    const int64_t rowBytes = int64_t(Image.Width()) * (mapped ? 1 : 3);
    for (int r = 0; r < height; ++r) {
        Stream.WriteBuffer(Image.ScanLine(height - 1 - r), rowBytes);
        // A half-written file must not replace the target, so stopping is an error here.
        if (progress.Step(r, height)) tgaError(PGLangStr(msgAborted));
    }
}

void RegisterTGAFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<TTGAFileFormatReader>());
    registry.AddWriter(std::make_unique<TTGAFileFormatWriter>());
}
