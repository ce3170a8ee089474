#include "tiff_format.h"

#include "row_sink.h"
#include "short_file.h"
#include "tiff_decode.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

enum TIFFTag : uint16_t {
    tagNewSubfileType = 254,
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfiguration = 284,
    tagResolutionUnit = 296,
    tagPredictor = 317,
    tagColorMap = 320
};

enum TIFFType : uint16_t { ftByte = 1, ftShort = 3, ftLong = 4, ftRational = 5 };

enum TIFFPhotometric : uint32_t {
    phWhiteIsZero = 0,
    phBlackIsZero = 1,
    phRGB = 2,
    phPalette = 3,
    phCMYK = 5
};

struct TIFFDirectory {
    bool BigEndian = false;
    int64_t Start = 0;    // stream position of the TIFF data; every offset counts from here
    int64_t DataSize = 0; // bytes from Start to the end of the stream
    uint32_t Width = 0;
    uint32_t Length = 0;
    std::vector<uint32_t> BitsPerSample;
    uint32_t SamplesPerPixel = 1;
    uint32_t Compression = tcNone;
    uint32_t Photometric = UINT32_MAX; // required: a file without it matches no accepted form
    std::vector<uint32_t> StripOffsets;
    uint32_t RowsPerStrip = 0; // 0 when missing
    uint32_t PlanarConfiguration = 1;
    uint32_t Predictor = 1;
    std::vector<uint32_t> ColorMap;

    int Bits() const { return static_cast<int>(BitsPerSample[0]); }
    int64_t RowBytes() const {
        return (static_cast<int64_t>(Bits()) * SamplesPerPixel * Width + 7) / 8;
    }
};

[[noreturn]] void unexpectedEnd() {
    TIFFError(PGLangStr(msgUnexpectedEOF));
}

uint16_t get16(const uint8_t* p, bool big) {
    return big ? static_cast<uint16_t>((p[0] << 8) | p[1]) : GetLE16(p);
}

uint32_t get32(const uint8_t* p, bool big) {
    return big ? (static_cast<uint32_t>(get16(p, true)) << 16) | get16(p + 2, true) : GetLE32(p);
}

bool isReadTag(uint16_t tag) {
    switch (tag) {
    case tagNewSubfileType:
    case tagImageWidth:
    case tagImageLength:
    case tagBitsPerSample:
    case tagCompression:
    case tagPhotometric:
    case tagStripOffsets:
    case tagSamplesPerPixel:
    case tagRowsPerStrip:
    case tagStripByteCounts:
    case tagPlanarConfiguration:
    case tagPredictor:
    case tagColorMap:
        return true;
    default:
        return false;
    }
}

int typeSize(uint16_t type) {
    return type == ftByte ? 1 : type == ftShort ? 2 : 4;
}

// The values of an entry: in the entry itself when they take 4 bytes or less (from the start
// of the field in either byte order), else at the offset it gives.
std::vector<uint32_t> readValues(TStream& s, const TIFFDirectory& d, const uint8_t* entry) {
    const uint16_t type = get16(entry + 2, d.BigEndian);
    const uint32_t count = get32(entry + 4, d.BigEndian);
    const int size = typeSize(type);
    const int64_t bytes = static_cast<int64_t>(count) * size;
    std::vector<uint8_t> stored;
    const uint8_t* p = entry + 8;
    if (bytes > 4) {
        const int64_t offset = get32(entry + 8, d.BigEndian);
        if (offset + bytes > d.DataSize) unexpectedEnd();
        stored.resize(static_cast<size_t>(bytes));
        s.SetPosition(d.Start + offset);
        if (!s.TryReadBuffer(stored.data(), bytes)) unexpectedEnd();
        p = stored.data();
    }
    std::vector<uint32_t> values(count);
    for (uint32_t i = 0; i < count; ++i, p += size)
        values[i] = size == 1 ? *p : size == 2 ? get16(p, d.BigEndian) : get32(p, d.BigEndian);
    return values;
}

uint32_t firstOr(const std::vector<uint32_t>& values, uint32_t fallback) {
    return values.empty() ? fallback : values[0];
}

void readEntry(TStream& s, TIFFDirectory& d, const uint8_t* entry) {
    const uint16_t tag = get16(entry, d.BigEndian);
    const uint16_t type = get16(entry + 2, d.BigEndian);
    if (type != ftByte && type != ftShort && type != ftLong)
        TIFFError("Unsupported field Type: " + std::to_string(type));
    if (tag == tagNewSubfileType || tag == tagStripByteCounts) return; // not needed
    std::vector<uint32_t> v = readValues(s, d, entry);
    switch (tag) {
    case tagImageWidth:
        d.Width = firstOr(v, 0);
        break;
    case tagImageLength:
        d.Length = firstOr(v, 0);
        break;
    case tagBitsPerSample:
        d.BitsPerSample = std::move(v);
        break;
    case tagCompression:
        d.Compression = firstOr(v, tcNone);
        break;
    case tagPhotometric:
        d.Photometric = firstOr(v, UINT32_MAX);
        break;
    case tagStripOffsets:
        d.StripOffsets = std::move(v);
        break;
    case tagSamplesPerPixel:
        d.SamplesPerPixel = firstOr(v, 1);
        break;
    case tagRowsPerStrip:
        d.RowsPerStrip = firstOr(v, 0);
        break;
    case tagPlanarConfiguration:
        d.PlanarConfiguration = firstOr(v, 1);
        break;
    case tagPredictor:
        d.Predictor = firstOr(v, 1);
        break;
    case tagColorMap:
        d.ColorMap = std::move(v);
        break;
    }
}

bool acceptedForm(const TIFFDirectory& d) {
    const auto& bps = d.BitsPerSample;
    const bool all8 = std::all_of(bps.begin(), bps.end(), [](uint32_t b) { return b == 8; });
    switch (d.Photometric) {
    case phWhiteIsZero:
    case phBlackIsZero:
    case phPalette:
        return d.SamplesPerPixel == 1 && (bps[0] == 1 || bps[0] == 4 || bps[0] == 8);
    case phRGB:
        return (d.SamplesPerPixel == 3 || d.SamplesPerPixel == 4) && all8;
    case phCMYK:
        return d.SamplesPerPixel == 4 && all8;
    default:
        return false;
    }
}

void checkDirectory(TIFFDirectory& d) {
    if (d.PlanarConfiguration > 1) TIFFError(PGLangStr(msgInvalid, "PlanarConfiguration"));
    // The sample count is checked before it sizes anything: a file may claim four billion.
    if (d.SamplesPerPixel != 1 && d.SamplesPerPixel != 3 && d.SamplesPerPixel != 4)
        TIFFError("Invalid SamplesPerPixel");
    if (d.BitsPerSample.empty()) d.BitsPerSample.assign(d.SamplesPerPixel, 1);
    if (d.BitsPerSample.size() != d.SamplesPerPixel) TIFFError("Invalid count of SamplesPerPixel");
    if (!acceptedForm(d)) TIFFError("Invalid SamplesPerPixel");
    if (d.RowsPerStrip == 0 && d.StripOffsets.size() != 1) TIFFError("Invalid RowsPerStrip");
    if (d.Width == 0 || d.Length == 0) TIFFError(PGLangStr(msgZeroSize));
    if (d.Width > INT32_MAX) TIFFError(PGLangStr(msgInvalid, "ImageWidth"));
    if (d.Length > INT32_MAX) TIFFError(PGLangStr(msgInvalid, "ImageLength"));
}

bool validHeader(const uint8_t* h) {
    return (h[0] == 'I' && h[1] == 'I' && GetLE16(h + 2) == 42) ||
           (h[0] == 'M' && h[1] == 'M' && get16(h + 2, true) == 42);
}

// Only the first directory counts: the file is one image.
TIFFDirectory readDirectory(TStream& s, int index) {
    TIFFDirectory d;
    d.Start = s.Position();
    d.DataSize = s.Size() - d.Start;
    uint8_t header[8];
    if (!s.TryReadBuffer(header, 8) || !validHeader(header))
        TIFFError(PGLangStr(msgNotAFile, "TIF"));
    d.BigEndian = header[0] == 'M';
    if (index != 0) TIFFError(PGLangStr(msgInvalid, "Index"));
    const int64_t at = get32(header + 4, d.BigEndian);
    if (at + 2 > d.DataSize) unexpectedEnd();
    uint8_t countBytes[2];
    s.SetPosition(d.Start + at);
    if (!s.TryReadBuffer(countBytes, 2)) unexpectedEnd();
    const int64_t bytes = 12 * static_cast<int64_t>(get16(countBytes, d.BigEndian));
    if (at + 2 + bytes > d.DataSize) unexpectedEnd();
    std::vector<uint8_t> entries(static_cast<size_t>(bytes));
    if (!s.TryReadBuffer(entries.data(), bytes)) unexpectedEnd();
    // The last entry of a tag counts; only that one is read, so repeated entries cost nothing.
    std::map<uint16_t, const uint8_t*> counted;
    for (size_t i = 0; i < entries.size(); i += 12) {
        const uint16_t tag = get16(&entries[i], d.BigEndian);
        if (isReadTag(tag)) counted[tag] = &entries[i];
    }
    for (const auto& [tag, entry] : counted) readEntry(s, d, entry);
    checkDirectory(d);
    return d;
}

struct TCompressionName {
    uint32_t Number;
    const char* Short; // in GetInfo
    const char* Long;  // in the error when the reader cannot decode it; the number where null
};

constexpr TCompressionName compressionNames[] = {{tcNone, "Uncompr.", nullptr},
                                                 {tcCCITT1D, "CCITT 1D", "CCITT 1D"},
                                                 {tcGroup3Fax, "Group 3 F.", "Group 3 Fax"},
                                                 {tcGroup4Fax, "Group 4 F.", "Group 4 Fax"},
                                                 {tcLZW, "LZW", nullptr},
                                                 {tcOldJPEG, "JPEG", "JPEG"},
                                                 {tcJPEG, "JPEG", nullptr},
                                                 {tcAdobeDeflate, "Deflate", nullptr},
                                                 {tcDeflate, "Deflate", nullptr},
                                                 {tcPackBits, "PackBits", nullptr}};

const TCompressionName* findCompression(uint32_t number) {
    for (const TCompressionName& c : compressionNames)
        if (c.Number == number) return &c;
    return nullptr;
}

// The predictor belongs to the dictionary compressions; the others ignore the tag.
bool predictorApplies(const TIFFDirectory& d) {
    return d.Compression == tcLZW || d.Compression == tcAdobeDeflate || d.Compression == tcDeflate;
}

void checkCompression(const TIFFDirectory& d) {
    if (!TIFFCanDecode(d.Compression)) {
        const TCompressionName* name = findCompression(d.Compression);
        TIFFError(std::string("Unsupported compression ") +
                  (name && name->Long ? name->Long : std::to_string(d.Compression)));
    }
    if (predictorApplies(d) && d.Predictor != 1 && (d.Predictor != 2 || d.Bits() != 8))
        TIFFError(PGLangStr(msgInvalid, "Predictor"));
}

// Rows per strip, after the strip count is checked against the offsets; a single strip that
// disagrees is a warning and then holds the whole image.
uint32_t stripRows(const TIFFDirectory& d, const TPixelGraphic& image) {
    const uint32_t rows = d.RowsPerStrip == 0 ? d.Length : std::min(d.RowsPerStrip, d.Length);
    const uint64_t expected = (static_cast<uint64_t>(d.Length) + rows - 1) / rows;
    if (expected == d.StripOffsets.size()) return rows;
    const std::string text = "NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip";
    if (d.StripOffsets.size() != 1) TIFFError(text);
    // This warning has its own caption, and a cancelled box raises the warning itself.
    const std::string message = "TIFF: " + text;
    PGReadWarning<EPGTIFFileFormatReader>(image, {"TIFF-Warning", message, message, message});
    return d.Length;
}

// The most bytes one stored byte can decode to.
int64_t largestExpansion(uint32_t compression) {
    switch (compression) {
    case tcPackBits:
        return 64; // two bytes repeat one 128 times
    case tcLZW:
        return 4096; // a code of 9 bits or more stands for at most 4096 bytes
    case tcAdobeDeflate:
    case tcDeflate:
        return 1032; // the limit of the deflate format
    default:
        return 1;
    }
}

// Refuses, before allocating, an image the file is too small to hold: compressed strips by the
// most their bytes can decode to, raw strips by the share a truncated file must keep.
void checkCapacity(const TIFFDirectory& d) {
    if (d.Compression == tcNone) {
        if (!PGFileHoldsEnough(d.RowBytes(), d.Length, d.DataSize)) unexpectedEnd();
        return;
    }
    const int64_t capacity = d.DataSize * largestExpansion(d.Compression);
    if (d.RowBytes() > capacity / d.Length) unexpectedEnd();
}

void setPalette(const TIFFDirectory& d, TPixelGraphic& image) {
    if (d.SamplesPerPixel != 1) return;
    if (d.Photometric != phPalette) {
        image.SetPaletteIdent(d.Bits() == 1 ? pBlackWhite : d.Bits() == 4 ? pGray16 : pGray256);
        return;
    }
    // Reds, greens and blues take a third of the map each; a longer map than the bit depth
    // needs gives up the entries beyond it.
    const size_t n = size_t(1) << d.Bits();
    const size_t third = d.ColorMap.size() / 3;
    if (third < n) TIFFError(PGLangStr(msgInvalid, "ColorMap"));
    image.SetPaletteCount(static_cast<int>(n));
    const std::vector<uint32_t>& map = d.ColorMap;
    for (size_t i = 0; i < n; ++i)
        image.SetPaletteEntry(static_cast<int>(i),
                              PGColor(map[i] >> 8, map[third + i] >> 8, map[2 * third + i] >> 8));
}

enum class TRowForm { Copy, Invert, RGB, RGBExtra, CMYK };

TRowForm rowFormOf(const TIFFDirectory& d) {
    if (d.Photometric == phCMYK) return TRowForm::CMYK;
    if (d.SamplesPerPixel == 4) return TRowForm::RGBExtra;
    if (d.SamplesPerPixel == 3) return TRowForm::RGB;
    return d.Photometric == phWhiteIsZero ? TRowForm::Invert : TRowForm::Copy;
}

uint8_t inkLeft(int ink, int black) {
    return static_cast<uint8_t>(std::max(255 - ink - black, 0));
}

// From file samples to image bytes. Each pixel's samples are read before it is written, so a
// row converts in place (src == dst) too.
void convertRow(TRowForm form, const uint8_t* src, uint8_t* dst, size_t rowBytes, int width) {
    switch (form) {
    case TRowForm::Copy:
        if (src != dst) std::memcpy(dst, src, rowBytes);
        return;
    case TRowForm::Invert:
        for (size_t i = 0; i < rowBytes; ++i) dst[i] = static_cast<uint8_t>(~src[i]);
        return;
    case TRowForm::RGB:
    case TRowForm::RGBExtra: {
        const int step = form == TRowForm::RGB ? 3 : 4;
        for (int x = 0; x < width; ++x, src += step, dst += 3) {
            const uint8_t red = src[0], green = src[1], blue = src[2];
            dst[0] = blue, dst[1] = green, dst[2] = red;
        }
        return;
    }
    case TRowForm::CMYK:
        for (int x = 0; x < width; ++x, src += 4, dst += 3) {
            const uint8_t red = inkLeft(src[0], src[3]), green = inkLeft(src[1], src[3]),
                          blue = inkLeft(src[2], src[3]);
            dst[0] = blue, dst[1] = green, dst[2] = red;
        }
        return;
    }
}

// Rows top to bottom, each decoded whole: straight into the sink's row when the file row is not
// longer than the image row, through a row buffer otherwise.
void decodeRows(TStream& s, const TIFFDirectory& d, uint32_t rowsPerStrip, TPGRowSink& sink) {
    TPGProgressScope progress(sink.Image());
    TTIFFStripSource source(s);
    const std::unique_ptr<TTIFFRowDecoder> decoder = MakeTIFFRowDecoder(d.Compression);
    const bool predicted = predictorApplies(d) && d.Predictor == 2;
    const TRowForm form = rowFormOf(d);
    const size_t rowBytes = static_cast<size_t>(d.RowBytes());
    const int64_t imageRowBytes =
        BytesPerRowOf(BitCountOfPixelFormat(sink.Image().PixelFormat()), sink.Width());
    const bool inPlace = static_cast<int64_t>(rowBytes) <= imageRowBytes;
    std::vector<uint8_t> buffer(inPlace ? 0 : rowBytes);
    for (int y = 0; y < sink.Height(); ++y) {
        if (y % rowsPerStrip == 0) {
            source.Start(d.Start + d.StripOffsets[y / rowsPerStrip]);
            decoder->StartStrip();
        }
        uint8_t* out = sink.Row(y);
        const std::span<uint8_t> row(inPlace ? out : buffer.data(), rowBytes);
        decoder->DecodeRow(source, row, y);
        if (predicted) UndoTIFFHorizontalPredictor(row, static_cast<int>(d.SamplesPerPixel));
        convertRow(form, row.data(), out, rowBytes, sink.Width());
        if (progress.Step(y, sink.Height())) return;
    }
}

std::string photometricText(uint32_t photometric) {
    switch (photometric) {
    case phWhiteIsZero:
        return ", WhiteIsZero";
    case phBlackIsZero:
        return ", BlackIsZero";
    case phRGB:
        return ", RGB";
    case phPalette:
        return ", RGB Palette";
    case phCMYK:
        return ", CMYK";
    default:
        TIFFError("Unsupported photometric interpretation " + std::to_string(photometric));
    }
}

} // namespace

bool TTIFFileFormatReader::IsFormat(const TPGHeader& Header) const {
    return validHeader(Header.data());
}

void TTIFFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    const TIFFDirectory d = readDirectory(Stream, Index);
    checkCompression(d);
    const uint32_t rowsPerStrip = stripRows(d, Image);
    checkCapacity(d);
    const uint8_t format = d.SamplesPerPixel == 1 ? PixelFormatOfBitCount(d.Bits()) : pf24Bit;
    TPGRowSink sink(Image, static_cast<int>(d.Width), static_cast<int>(d.Length), format);
    PGReadRows(sink, [&] {
        setPalette(d, Image);
        decodeRows(Stream, d, rowsPerStrip, sink);
    });
}

void TTIFFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    const TIFFDirectory d = readDirectory(Stream, Index);
    Info = {};
    const TCompressionName* name = findCompression(d.Compression);
    Info.SubFormat = std::string(d.BigEndian ? "M, " : "I, ") +
                     (name ? name->Short : std::to_string(d.Compression)) +
                     photometricText(d.Photometric);
    if (!TIFFCanDecode(d.Compression)) Info.Options = "(Unsupported compression)";
    Info.Width = static_cast<int>(d.Width);
    Info.Height = static_cast<int>(d.Length);
    for (uint32_t bits : d.BitsPerSample) Info.BitCount += static_cast<int>(bits);
    Info.Colors = Info.BitCount > 23 ? "16.7 M" : std::to_string(1u << Info.BitCount);
    Info.ImageCount = 1;
}

namespace {

struct TIFFField {
    uint16_t Tag;
    uint16_t Type;
    uint32_t Count;
    std::vector<uint32_t> Values; // one per SHORT or LONG, two per RATIONAL
};

int64_t valueBytes(const TIFFField& f) {
    return static_cast<int64_t>(f.Values.size()) * (f.Type == ftShort ? 2 : 4);
}

// Values too long for their entries follow the directory in this order, each at an even offset.
constexpr uint16_t valueOrder[] = {tagColorMap,      tagXResolution,  tagYResolution,
                                   tagBitsPerSample, tagStripOffsets, tagStripByteCounts};

// Places the long values after the directory; answers where the pixel strips begin.
int64_t layoutValues(const std::vector<TIFFField>& fields, std::vector<int64_t>& at) {
    int64_t pos = 8 + 2 + 12 * static_cast<int64_t>(fields.size()) + 4;
    at.assign(fields.size(), 0);
    for (uint16_t tag : valueOrder)
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].Tag != tag || valueBytes(fields[i]) <= 4) continue;
            pos += pos & 1;
            at[i] = pos;
            pos += valueBytes(fields[i]);
        }
    return pos + (pos & 1);
}

void putValues(uint8_t* p, const TIFFField& f) {
    for (uint32_t v : f.Values) {
        if (f.Type == ftShort)
            PutLE16(p, static_cast<uint16_t>(v)), p += 2;
        else
            PutLE32(p, v), p += 4;
    }
}

// Header, directory and long values, up to where the pixel strips begin.
std::vector<uint8_t> serialize(const std::vector<TIFFField>& fields, const std::vector<int64_t>& at,
                               int64_t pixelStart) {
    std::vector<uint8_t> out(static_cast<size_t>(pixelStart), 0);
    out[0] = out[1] = 'I';
    PutLE16(&out[2], 42);
    PutLE32(&out[4], 8);
    PutLE16(&out[8], static_cast<uint16_t>(fields.size()));
    for (size_t i = 0; i < fields.size(); ++i) {
        uint8_t* e = &out[10 + 12 * i];
        PutLE16(e, fields[i].Tag);
        PutLE16(e + 2, fields[i].Type);
        PutLE32(e + 4, fields[i].Count);
        if (valueBytes(fields[i]) > 4) PutLE32(e + 8, static_cast<uint32_t>(at[i]));
        putValues(valueBytes(fields[i]) > 4 ? &out[static_cast<size_t>(at[i])] : e + 8, fields[i]);
    }
    return out; // the next-directory offset after the entries stays 0
}

uint16_t photometricOf(const TPixelGraphic& image) {
    switch (image.PixelFormat()) {
    case pf1Bit:
        return phBlackIsZero;
    case pf4Bit:
        return image.PaletteIdent() == pGray16 ? phBlackIsZero : phPalette;
    case pf8Bit:
        return image.PaletteIdent() == pGray256 ? phBlackIsZero : phPalette;
    default:
        return phRGB;
    }
}

// Reds, greens, blues; 8-bit values scale by 257 so that 255 becomes the full 65535.
std::vector<uint32_t> colorMapOf(const TPixelGraphic& image) {
    const size_t n = static_cast<size_t>(image.ColorCount());
    std::vector<uint32_t> map(3 * n, 0);
    for (size_t i = 0; i < n && i < static_cast<size_t>(image.PaletteCount()); ++i) {
        const uint32_t c = image.Palette()[i];
        map[i] = PGRed(c) * 257u;
        map[n + i] = PGGreen(c) * 257u;
        map[2 * n + i] = PGBlue(c) * 257u;
    }
    return map;
}

struct TStripPlan {
    int64_t RowBytes;
    int64_t RowsPerStrip;
    int64_t Strips;
};

TStripPlan planStrips(const TPixelGraphic& image) {
    TStripPlan plan;
    plan.RowBytes = (static_cast<int64_t>(image.BitCount()) * image.Width() + 7) / 8;
    plan.RowsPerStrip = std::clamp<int64_t>(32767 / plan.RowBytes, 1, image.Height());
    plan.Strips = (image.Height() + plan.RowsPerStrip - 1) / plan.RowsPerStrip;
    return plan;
}

std::vector<TIFFField> fieldsOf(const TPixelGraphic& image, const TStripPlan& plan) {
    const bool rgb = image.PixelFormat() == pf24Bit;
    const uint32_t bits = rgb ? 8 : static_cast<uint32_t>(image.BitCount());
    const uint32_t samples = rgb ? 3 : 1;
    const uint16_t photometric = photometricOf(image);
    const auto strips = static_cast<uint32_t>(plan.Strips);
    std::vector<uint32_t> counts(strips);
    for (uint32_t i = 0; i < strips; ++i)
        counts[i] = static_cast<uint32_t>(
            std::min<int64_t>(plan.RowsPerStrip, image.Height() - i * plan.RowsPerStrip) *
            plan.RowBytes);
    std::vector<TIFFField> fields = {
        {tagNewSubfileType, ftLong, 1, {0}},
        {tagImageWidth, ftLong, 1, {static_cast<uint32_t>(image.Width())}},
        {tagImageLength, ftLong, 1, {static_cast<uint32_t>(image.Height())}},
        {tagBitsPerSample, ftShort, samples, std::vector<uint32_t>(samples, bits)},
        {tagCompression, ftShort, 1, {tcNone}},
        {tagPhotometric, ftShort, 1, {photometric}},
        {tagStripOffsets, ftLong, strips, std::vector<uint32_t>(strips, 0)},
        {tagSamplesPerPixel, ftShort, 1, {samples}},
        {tagRowsPerStrip, ftLong, 1, {static_cast<uint32_t>(plan.RowsPerStrip)}},
        {tagStripByteCounts, ftLong, strips, std::move(counts)},
        {tagXResolution, ftRational, 1, {300, 1}},
        {tagYResolution, ftRational, 1, {300, 1}},
        {tagResolutionUnit, ftShort, 1, {2}}};
    if (photometric == phPalette) {
        std::vector<uint32_t> map = colorMapOf(image);
        const auto count = static_cast<uint32_t>(map.size());
        fields.push_back({tagColorMap, ftShort, count, std::move(map)});
    }
    return fields;
}

// One image row as the file holds it: without padding, and red first for 24-bit rows.
void storeRow(const uint8_t* src, uint8_t* dst, const TPixelGraphic& image, int64_t rowBytes) {
    if (image.PixelFormat() != pf24Bit) {
        std::memcpy(dst, src, static_cast<size_t>(rowBytes));
        return;
    }
    for (int x = 0; x < image.Width(); ++x, src += 3, dst += 3)
        dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
}

// Rows left after an abort are written as zeros, so the file still holds every strip it names.
void writeStrips(TStream& stream, TPixelGraphic& image, const TStripPlan& plan) {
    TPGProgressScope progress(image);
    std::vector<uint8_t> strip;
    for (int64_t first = 0; first < image.Height(); first += plan.RowsPerStrip) {
        const int64_t rows = std::min<int64_t>(plan.RowsPerStrip, image.Height() - first);
        strip.assign(static_cast<size_t>(rows * plan.RowBytes), 0);
        for (int64_t r = 0; r < rows && !progress.Aborted(); ++r) {
            const int y = static_cast<int>(first + r);
            storeRow(image.ScanLine(y), &strip[static_cast<size_t>(r * plan.RowBytes)], image,
                     plan.RowBytes);
            progress.Step(y, image.Height());
        }
        stream.WriteBuffer(strip.data(), static_cast<int64_t>(strip.size()));
    }
}

} // namespace

void TTIFFileFormatWriter::WriteImage(TStream& Stream, TPixelGraphic& Image) const {
    if (Image.Empty()) throw EPGTIFFileFormatWriter("TIFF: " + PGLangStr(msgZeroSize));
    const TStripPlan plan = planStrips(Image);
    std::vector<TIFFField> fields = fieldsOf(Image, plan);
    std::vector<int64_t> at;
    const int64_t pixelStart = layoutValues(fields, at);
    for (TIFFField& f : fields) {
        if (f.Tag != tagStripOffsets) continue;
        for (size_t i = 0; i < f.Values.size(); ++i)
            f.Values[i] = static_cast<uint32_t>(pixelStart + static_cast<int64_t>(i) *
                                                                 plan.RowsPerStrip * plan.RowBytes);
    }
    const std::vector<uint8_t> head = serialize(fields, at, pixelStart);
    Stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
    writeStrips(Stream, Image, plan);
}

void RegisterTIFFFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<TTIFFileFormatReader>());
    registry.AddReader(std::make_unique<TTIFFFileFormatReader>());
    registry.AddWriter(std::make_unique<TTIFFileFormatWriter>());
    registry.AddWriter(std::make_unique<TTIFFFileFormatWriter>());
}
