#include "pcx_format.h"

#include "block_reader.h"
#include "row_sink.h"

#include <array>
#include <cstring>

namespace {

[[noreturn]] void pcxError(const std::string& detail) {
    throw EPGPCXFileFormatReader("PCX: " + detail);
}

constexpr int headerSize = 128;
constexpr int paletteTrailerSize = 769; // marker byte 12 and 256 entries of red, green, blue

bool knownSignature(const uint8_t* h) {
    const uint8_t version = h[1], encoding = h[2], bits = h[3];
    return h[0] == 0x0A && (version == 0 || (version >= 2 && version <= 5)) && encoding <= 1 &&
           (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

struct PcxHeader {
    uint8_t Version = 0;
    uint8_t Bits = 0;
    uint8_t Planes = 0;
    int64_t Width = 0;
    int64_t Height = 0;
    int64_t BytesPerLine = 0;
    uint8_t Colors[48] = {};

    int BitCount() const { return Bits * Planes; }
    int64_t LineBytes() const { return Planes * BytesPerLine; }
    uint8_t PixelFormat() const {
        switch (BitCount()) {
        case 1:
            return pf1Bit;
        case 4:
            return pf4Bit;
        case 8:
            return pf8Bit;
        default:
            return pf24Bit;
        }
    }
};

bool supportedLayout(int bits, int planes) {
    return (bits == 1 && (planes == 1 || planes == 4)) ||
           (bits == 8 && (planes == 1 || planes == 3));
}

// Reads and checks the header: a layout the reader cannot store, an empty picture or lines too
// short for the picture's width are an unknown subformat.
PcxHeader readHeader(TStream& s) {
    uint8_t raw[headerSize];
    if (!s.TryReadBuffer(raw, headerSize)) pcxError(PGLangStr(msgUnexpectedEOF));
    PcxHeader h;
    h.Version = raw[1];
    h.Bits = raw[3];
    h.Planes = raw[65];
    h.Width = int64_t(GetLE16(raw + 8)) - GetLE16(raw + 4) + 1;
    h.Height = int64_t(GetLE16(raw + 10)) - GetLE16(raw + 6) + 1;
    h.BytesPerLine = GetLE16(raw + 66);
    std::memcpy(h.Colors, raw + 16, sizeof h.Colors);
    const bool valid = knownSignature(raw) && raw[64] == 0 && GetLE16(raw + 68) == 1 &&
                       supportedLayout(h.Bits, h.Planes) && h.Width >= 1 && h.Height >= 1 &&
                       h.BytesPerLine >= (h.Width * h.Bits + 7) / 8;
    if (!valid) pcxError(PGLangStr(msgUnknownSubformat));
    return h;
}

// The 256 colours at the end of an 8-bit file.
std::vector<uint32_t> readTrailingPalette(TStream& s, int64_t fileEnd) {
    const int64_t back = s.Position();
    if (fileEnd - back < paletteTrailerSize) pcxError(PGLangStr(msgUnknownSubformat));
    std::array<uint8_t, paletteTrailerSize> raw;
    s.SetPosition(fileEnd - paletteTrailerSize);
    if (!s.TryReadBuffer(raw.data(), paletteTrailerSize) || raw[0] != 12)
        pcxError(PGLangStr(msgUnknownSubformat));
    s.SetPosition(back);
    std::vector<uint32_t> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = PGColor(raw[1 + 3 * i], raw[2 + 3 * i], raw[3 + 3 * i]);
    return palette;
}

void installPalette(TPixelGraphic& img, const PcxHeader& h, const std::vector<uint32_t>& trailer) {
    switch (h.BitCount()) {
    case 1:
        img.SetPaletteIdent(pBlackWhite);
        return;
    case 24:
        img.SetPaletteIdent(pTrueColor);
        return;
    case 4:
        if (h.Version == 3) {
            img.SetPaletteIdent(pSys16);
            return;
        }
        img.SetPaletteCount(16);
        for (int i = 0; i < 16; ++i)
            img.SetPaletteEntry(i,
                                PGColor(h.Colors[3 * i], h.Colors[3 * i + 1], h.Colors[3 * i + 2]));
        return;
    default:
        img.SetPaletteCount(256);
        for (int i = 0; i < 256; ++i) img.SetPaletteEntry(i, trailer[i]);
    }
}

// One line of all planes; a run that passes the end of the line is cut there.
void decodeLine(TPGBlockReader& in, std::vector<uint8_t>& line) {
    const size_t size = line.size();
    size_t x = 0;
    uint8_t b, value;
    while (x < size) {
        if (!in.Get(b)) pcxError(PGLangStr(msgUnexpectedEOF));
        if (b < 192) {
            line[x++] = b;
            continue;
        }
        if (!in.Get(value)) pcxError(PGLangStr(msgUnexpectedEOF));
        const size_t n = std::min<size_t>(b & 63, size - x);
        std::memset(line.data() + x, value, n);
        x += n;
    }
}

// Bit k of a plane byte (k = 0 the leftmost pixel) moved to bit 0 of pixel k's nibble, for four
// output bytes written little-endian.
constexpr std::array<uint32_t, 256> planeSpread = [] {
    std::array<uint32_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        for (int k = 0; k < 8; ++k)
            if (b & (0x80 >> k)) t[b] |= uint32_t(1) << (8 * (k / 2) + (k % 2 ? 0 : 4));
    return t;
}();

void storePlanes4(const uint8_t* line, int64_t bytesPerLine, uint8_t* row, int64_t width) {
    const int64_t groups = (width + 7) / 8;
    for (int64_t i = 0; i < groups; ++i) {
        const uint32_t v = planeSpread[line[i]] | planeSpread[line[bytesPerLine + i]] << 1 |
                           planeSpread[line[2 * bytesPerLine + i]] << 2 |
                           planeSpread[line[3 * bytesPerLine + i]] << 3;
        PutLE32(row + 4 * i, v);
    }
    if (width % 2) row[width / 2] &= 0xF0;
    std::memset(row + (width + 1) / 2, 0, static_cast<size_t>(4 * groups - (width + 1) / 2));
}

void storeLine(const PcxHeader& h, const std::vector<uint8_t>& line, uint8_t* row) {
    const int64_t w = h.Width, bpl = h.BytesPerLine;
    switch (h.BitCount()) {
    case 1: {
        const int64_t bytes = (w + 7) / 8;
        std::memcpy(row, line.data(), static_cast<size_t>(bytes));
        if (w % 8) row[bytes - 1] &= static_cast<uint8_t>(0xFF << (8 - w % 8));
        return;
    }
    case 4:
        storePlanes4(line.data(), bpl, row, w);
        return;
    case 8:
        std::memcpy(row, line.data(), static_cast<size_t>(w));
        return;
    default:
        for (int64_t x = 0; x < w; ++x) {
            row[3 * x] = line[2 * bpl + x];
            row[3 * x + 1] = line[bpl + x];
            row[3 * x + 2] = line[x];
        }
    }
}

// Fewest encoded bytes that can fill one line: a 2-byte run gives at most 63 bytes.
int64_t minimumEncodedLine(int64_t lineBytes) {
    return (2 * lineBytes + 62) / 63;
}

const char* subFormatOf(uint8_t version) {
    switch (version) {
    case 0:
        return "Version 2.5 (0)";
    case 2:
        return "Version 2.8 (2) with Palette";
    case 3:
        return "Version 2.8 (3) without Palette";
    case 5:
        return "Version 3.0 (5)";
    default:
        return "";
    }
}

} // namespace

bool TPCXFileFormatReader::IsFormat(const TPGHeader& Header) const {
    return knownSignature(Header.data());
}

void TPCXFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    if (Index != 0) pcxError(PGLangStr(msgInvalid, "Index"));
    Image.SetGamma(Image.EffectiveDisplayGamma());
    const PcxHeader h = readHeader(Stream);
    int64_t dataEnd = Stream.Size();
    std::vector<uint32_t> trailer;
    if (h.BitCount() == 8) {
        trailer = readTrailingPalette(Stream, dataEnd);
        dataEnd -= paletteTrailerSize;
    }
    if (dataEnd - Stream.Position() < h.Height * minimumEncodedLine(h.LineBytes()))
        pcxError(PGLangStr(msgUnexpectedEOF));

    TPGRowSink sink(Image, static_cast<int>(h.Width), static_cast<int>(h.Height), h.PixelFormat());
    installPalette(Image, h, trailer);
    PGReadRows(sink, [&] {
        TPGProgressScope progress(Image);
        TPGBlockReader in(Stream, dataEnd - Stream.Position());
        std::vector<uint8_t> line(static_cast<size_t>(h.LineBytes()));
        const int height = sink.Height();
        for (int y = 0; y < height; ++y) {
            decodeLine(in, line);
            storeLine(h, line, sink.Row(y));
            if (progress.Step(y, height)) return;
        }
    });
}

void TPCXFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    if (Index != 0) pcxError(PGLangStr(msgInvalidValue, "Index"));
    const PcxHeader h = readHeader(Stream);
    Info = {};
    Info.ImageCount = 1;
    Info.BitCount = h.BitCount();
    Info.Width = static_cast<int>(h.Width);
    Info.Height = static_cast<int>(h.Height);
    Info.Colors = h.BitCount() == 24 ? "16.7M" : std::to_string(1 << h.BitCount());
    Info.SubFormat = subFormatOf(h.Version);
}

void RegisterPCXFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<TPCXFileFormatReader>());
}
