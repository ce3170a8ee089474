#include "bmp_format.h"

#include "pixel_rows.h"
#include "row_sink.h"

#include <algorithm>
#include <cstring>

namespace {

[[noreturn]] void bmpError(const std::string& detail) {
    throw EPGBMPFileFormatReader("BMP: " + detail);
}

void readOrFail(TStream& s, void* buffer, int64_t count) {
    if (!s.TryReadBuffer(buffer, count)) bmpError(PGLangStr(msgUnexpectedEOF));
}

void skipOrFail(TStream& s, int64_t count) {
    if (count > s.Remaining()) bmpError(PGLangStr(msgUnexpectedEOF));
    s.Seek(count, TSeekOrigin::Current);
}

enum Compression : uint32_t { biRGB = 0, biRLE8 = 1, biRLE4 = 2, biBitFields = 3 };

struct DibHeader {
    bool Core = false;
    uint32_t Size = 0;
    int32_t Width = 0;
    int64_t Height = 0; // as stored: negative for top-down files
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = biRGB;
    uint32_t SizeImage = 0;
    uint32_t ClrUsed = 0;
    uint32_t Masks[3] = {0, 0, 0};

    int64_t AbsHeight() const { return Height < 0 ? -Height : Height; }
    bool TopDown() const { return Height < 0; }
};

constexpr const char* headerKind = "BitmapInfoHeader/BitmapCoreHeader";

void checkCore(const DibHeader& h) {
    if (h.Planes != 1) bmpError(PGLangStr(msgInvalid, "BitmapCoreHeader.bcPlanes"));
    if (h.BitCount != 1 && h.BitCount != 4 && h.BitCount != 8 && h.BitCount != 24)
        bmpError(PGLangStr(msgInvalid, "BitmapCoreHeader.bcBitCount"));
}

void checkInfo(const DibHeader& h) {
    if (h.Planes != 1) bmpError(PGLangStr(msgInvalid, "BitmapInfoHeader.biPlanes"));
    const uint16_t b = h.BitCount;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        bmpError(PGLangStr(msgInvalid, "BitmapInfoHeader.biBitCount"));
    const bool ok = h.Compression == biRGB ||
                    (h.Compression == biBitFields && (b == 16 || b == 32)) ||
                    (h.Compression == biRLE4 && b == 4 && h.Height >= 0) ||
                    (h.Compression == biRLE8 && b == 8 && h.Height >= 0);
    if (!ok) bmpError(PGLangStr(msgInvalid, "BitmapInfoHeader.biCompression"));
    if (h.AbsHeight() > INT32_MAX) bmpError(PGLangStr(msgInvalid, "BitmapInfoHeader.biHeight"));
}

// Reads and checks the core or info header; the 108- and 124-byte headers are the info header
// followed by their masks. pixelOffset is where the file header says the pixels start (-1 for a
// packed DIB).
DibHeader readDibHeader(TStream& s, int64_t pixelOffset) {
    uint8_t raw[124];
    readOrFail(s, raw, 4);
    DibHeader h;
    h.Size = GetLE32(raw);
    if (h.Size != 12 && h.Size != 40 && h.Size != 108 && h.Size != 124)
        bmpError(PGLangStr(msgInvalidSize, headerKind));
    readOrFail(s, raw + 4, h.Size - 4);
    if (h.Size == 12) {
        h.Core = true;
        h.Width = GetLE16(raw + 4);
        h.Height = GetLE16(raw + 6);
        h.Planes = GetLE16(raw + 8);
        h.BitCount = GetLE16(raw + 10);
        checkCore(h);
        return h;
    }
    h.Width = static_cast<int32_t>(GetLE32(raw + 4));
    h.Height = static_cast<int32_t>(GetLE32(raw + 8));
    h.Planes = GetLE16(raw + 12);
    h.BitCount = GetLE16(raw + 14);
    h.Compression = GetLE32(raw + 16);
    h.SizeImage = GetLE32(raw + 20);
    h.ClrUsed = GetLE32(raw + 32);
    checkInfo(h);
    // Some writers declare bit fields in a 40-byte header and start the pixels where the masks
    // belong; such files take the default masks.
    const bool masksStored = h.Size > 40 || pixelOffset != s.Position();
    if (h.Compression == biBitFields && masksStored) {
        const uint8_t* masks = raw + 40;
        if (h.Size == 40) readOrFail(s, raw + 40, 12);
        for (int i = 0; i < 3; ++i) h.Masks[i] = GetLE32(masks + 4 * i);
    } else if (h.BitCount == 16) {
        h.Masks[0] = 0x7C00, h.Masks[1] = 0x03E0, h.Masks[2] = 0x001F;
    } else if (h.BitCount == 32) {
        h.Masks[0] = 0xFF0000, h.Masks[1] = 0xFF00, h.Masks[2] = 0xFF;
    }
    return h;
}

// One channel of a 16- or 32-bit pixel: the mask's top bit lands on bit 7.
struct Channel {
    uint32_t Mask = 0;
    int Shift = 0; // left when positive
    uint32_t Low = 0;

    Channel(uint32_t mask, bool sixteenBits) : Mask(mask) {
        if (!mask) return; // a zero mask is a zero channel
        uint32_t n = mask;
        while (!(n & 1)) n >>= 1, --Shift;
        while (!(n & 0x80) && n < 0x80) n <<= 1, ++Shift;
        while (n > 0xFF) n >>= 1, --Shift;
        Low = sixteenBits ? (n & (~n + 1)) : 0;
    }
    uint8_t operator()(uint32_t p) const {
        const uint32_t v = p & Mask;
        if (!v) return 0;
        const uint32_t s = Shift >= 0 ? v << Shift : v >> -Shift;
        return static_cast<uint8_t>(std::min<uint32_t>(s + Low, 255));
    }
};

void readBitFields(TStream& s, TPGRowSink& sink, const DibHeader& h, TPGProgressScope& progress) {
    const bool sixteen = h.BitCount == 16;
    const Channel red(h.Masks[0], sixteen), green(h.Masks[1], sixteen), blue(h.Masks[2], sixteen);
    std::vector<uint8_t> row(static_cast<size_t>(BytesPerRowOf(h.BitCount, h.Width)));
    const int height = sink.Height();
    for (int i = 0; i < height; ++i) {
        readOrFail(s, row.data(), static_cast<int64_t>(row.size()));
        uint8_t* out = sink.Row(h.TopDown() ? i : height - 1 - i);
        for (int x = 0; x < sink.Width(); ++x) {
            const uint32_t p = sixteen ? GetLE16(&row[2 * x]) : GetLE32(&row[4 * x]);
            out[3 * x] = blue(p);
            out[3 * x + 1] = green(p);
            out[3 * x + 2] = red(p);
        }
        if (progress.Step(i, height)) return;
    }
}

// Reads count bytes in ten pieces with progress when the block is large; an abort stops after
// a piece. A short stream keeps what was read and fails.
void readInTenths(TStream& s, uint8_t* dest, int64_t count, TPGProgressScope& progress) {
    if (count < 101) {
        readOrFail(s, dest, count);
        return;
    }
    const int64_t piece = count / 10;
    for (int step = 1; step <= 10; ++step) {
        const int64_t n = step < 10 ? piece : count - 9 * piece;
        readOrFail(s, dest, n);
        dest += n;
        if (progress.Step(step, 10)) return;
    }
}

// A reduced load reads row by row, so only the rows the reduction picks are kept; progress
// comes in tenths of the rows. Answers the bytes read.
int64_t readRowsInTenths(TStream& s, TPGRowSink& sink, const DibHeader& h,
                         TPGProgressScope& progress) {
    const int64_t rowBytes = BytesPerRowOf(h.BitCount, h.Width);
    const int height = sink.Height();
    int64_t read = 0;
    int tenth = 0;
    for (int i = 0; i < height && s.Remaining() > 0; ++i) {
        const int64_t n = std::min(rowBytes, s.Remaining());
        readOrFail(s, sink.Row(h.TopDown() ? i : height - 1 - i), n);
        read += n;
        const int reached = static_cast<int>(int64_t(i + 1) * 10 / height);
        if (reached > tenth && progress.Step(tenth = reached, 10)) break;
    }
    return read;
}

void reverseRows(TPixelGraphic& img) {
    std::vector<uint8_t> swap(static_cast<size_t>(img.BytesPerRow()));
    for (int y = 0; y < img.Height() / 2; ++y) {
        uint8_t* a = img.ScanLine(y);
        uint8_t* b = img.ScanLine(img.Height() - 1 - y);
        std::memcpy(swap.data(), a, swap.size());
        std::memcpy(a, b, swap.size());
        std::memcpy(b, swap.data(), swap.size());
    }
}

// Runs walk the rows from the bottom and never return to a row they left, so each row is
// asked of the sink once.
class RleRows {
public:
    RleRows(TPGRowSink& sink, uint8_t format) : FSink(sink), FFormat(format) { moveTo(Y); }
    int X = 0, Y = 0;
    void MoveTo(int x, int y) {
        X = x;
        if (y != Y) moveTo(y);
    }
    void Put(uint32_t value) {
        if (FRow && X >= 0 && X < FSink.Width()) PGSetRowIndex(FRow, FFormat, X, value);
        ++X;
    }

private:
    void moveTo(int y) {
        Y = y;
        FRow = y >= 0 && y < FSink.Height() ? FSink.Row(FSink.Height() - 1 - y) : nullptr;
    }
    TPGRowSink& FSink;
    uint8_t FFormat;
    uint8_t* FRow = nullptr;
};

void decodeRLE(const std::vector<uint8_t>& data, TPGRowSink& sink, uint8_t format, bool rle4,
               TPGProgressScope& progress) {
    const int64_t size = static_cast<int64_t>(data.size());
    const int64_t step = size / 10;
    int64_t pos = 0;
    RleRows rows(sink, format); // Y counts from the bottom row
    auto nibbles = [&](int64_t from, int count) {
        for (int k = 0; k < count; ++k) {
            const uint8_t b = data[from + k / 2];
            rows.Put((k & 1) ? b & 0x0F : b >> 4);
        }
    };
    while (pos < size - 1) {
        const int n = data[pos], m = data[pos + 1];
        if (n > 0) {
            for (int k = 0; k < n; ++k) rows.Put(!rle4 ? m : (k & 1) ? m & 0x0F : m >> 4);
            pos += 2;
        } else if (m == 0) {
            pos += 2;
            rows.MoveTo(0, rows.Y + 1);
        } else if (m == 1) {
            break;
        } else if (m == 2) {
            if (pos >= size - 3) break;
            rows.MoveTo(rows.X + data[pos + 2], rows.Y + data[pos + 3]);
            pos += 4;
        } else {
            // Absolute run: only as many pixels as the data still holds.
            const int64_t bytes = rle4 ? (m + 1) / 2 : m;
            const int64_t held = size - pos - 2;
            const int count = static_cast<int>(std::min<int64_t>(m, rle4 ? 2 * held : held));
            if (rle4)
                nibbles(pos + 2, count);
            else
                for (int k = 0; k < count; ++k) rows.Put(data[pos + 2 + k]);
            pos += bytes + 2;
            pos += pos & 1;
        }
        if (step > 0 && pos % step == 0 && progress.Step(static_cast<int>(pos / step), 10)) return;
    }
}

void readPalette(TStream& s, TPixelGraphic& img, int count, int entrySize) {
    std::vector<uint8_t> table(static_cast<size_t>(count) * entrySize);
    readOrFail(s, table.data(), static_cast<int64_t>(table.size()));
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = &table[static_cast<size_t>(i) * entrySize];
        img.SetPaletteEntry(i, PGColor(e[2], e[1], e[0]));
    }
}

// Bytes of pixel data a file must hold: every row, the last one without its padding.
int64_t minimumPixelBytes(const DibHeader& h) {
    if (h.Width <= 0 || h.AbsHeight() == 0) return 0;
    const int64_t row = BytesPerRowOf(h.BitCount, h.Width);
    return row * (h.AbsHeight() - 1) + (static_cast<int64_t>(h.BitCount) * h.Width + 7) / 8;
}

void readPixels(TStream& s, TPGRowSink& sink, const DibHeader& h, TPGProgressScope& progress) {
    TPixelGraphic& img = sink.Image();
    if (h.BitCount == 16 || h.BitCount == 32) {
        readBitFields(s, sink, h, progress);
    } else if (h.Compression == biRLE4 || h.Compression == biRLE8) {
        const int64_t available = s.Remaining();
        const int64_t count =
            h.SizeImage == 0 ? available : std::min<int64_t>(h.SizeImage, available);
        std::vector<uint8_t> data(static_cast<size_t>(count));
        readOrFail(s, data.data(), count);
        decodeRLE(data, sink, img.PixelFormat(), h.Compression == biRLE4, progress);
    } else {
        // The offset may leave less than the check before allocating saw: what is there is
        // read, and a short file fails once the rows are in place.
        int64_t have;
        if (sink.Reduces()) {
            have = readRowsInTenths(s, sink, h, progress);
        } else {
            have = std::min(img.ImageSize(), s.Remaining());
            readInTenths(s, img.Bits(), have, progress);
            // The rows land in file order; a top-down file is turned over also after an abort,
            // so the rows read show the top of the picture at the top.
            if (h.TopDown()) reverseRows(img);
        }
        if (have < minimumPixelBytes(h) && !progress.Aborted())
            bmpError(PGLangStr(msgUnexpectedEOF));
    }
}

// From the info or core header on; pixelOffset is where the file header says the pixels start
// (-1 for a packed DIB).
void readDib(TStream& s, TPixelGraphic& img, int64_t pixelOffset) {
    const DibHeader h = readDibHeader(s, pixelOffset);
    TPGProgressScope progress(img);
    const int bits = h.BitCount;
    const int64_t height = h.AbsHeight();
    int paletteCount = 0, entrySize = h.Core ? 3 : 4;
    int64_t surplusBytes = 0;
    if (bits <= 8) {
        const int colorCount = 1 << bits;
        paletteCount = h.Core || h.ClrUsed == 0
                           ? colorCount
                           : static_cast<int>(std::min<uint32_t>(h.ClrUsed, colorCount));
        if (!h.Core && h.ClrUsed > static_cast<uint32_t>(colorCount))
            surplusBytes = 4 * static_cast<int64_t>(h.ClrUsed - colorCount);
        if (bits == 24) paletteCount = 0;
    } else if (bits > 8) {
        surplusBytes = 4 * static_cast<int64_t>(h.ClrUsed);
    }
    const bool rle = h.Compression == biRLE4 || h.Compression == biRLE8;
    if (!rle && s.Remaining() < paletteCount * entrySize + surplusBytes + minimumPixelBytes(h))
        bmpError(PGLangStr(msgUnexpectedEOF));

    TPGRowSink sink(img, h.Width, static_cast<int>(height),
                    bits > 8 ? pf24Bit : PixelFormatOfBitCount(bits));
    PGReadRows(sink, [&] {
        if (bits > 8) {
            img.SetPaletteIdent(pTrueColor);
        } else {
            img.SetPaletteCount(paletteCount);
            if (paletteCount == 0)
                img.SetPaletteIdent(pNone);
            else
                readPalette(s, img, paletteCount, entrySize);
        }
        skipOrFail(s, surplusBytes);
        if (pixelOffset > s.Position() && pixelOffset <= s.Size()) s.SetPosition(pixelOffset);
        if (!img.Empty()) readPixels(s, sink, h, progress);
    });
}

const char* colorsText(int bits) {
    switch (bits) {
    case 1:
        return "2";
    case 4:
        return "16";
    case 8:
        return "256";
    case 16:
        return "64K";
    default:
        return "16.7M";
    }
}

} // namespace

bool TBMPFileFormatReader::IsFormat(const TPGHeader& Header) const {
    return Header[0] == 'B' && Header[1] == 'M';
}

void TBMPFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    if (Index != 0) bmpError(PGLangStr(msgInvalid, "Index"));
    const int64_t start = Stream.Position();
    uint8_t fileHeader[14];
    readOrFail(Stream, fileHeader, 14);
    readDib(Stream, Image, start + GetLE32(fileHeader + 10));
}

void TBMPFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    if (Index != 0) bmpError(PGLangStr(msgInvalidValue, "Index"));
    Info = {};
    const int64_t start = Stream.Position();
    uint8_t fileHeader[14];
    readOrFail(Stream, fileHeader, 14);
    const DibHeader h = readDibHeader(Stream, start + GetLE32(fileHeader + 10));
    Info.ImageCount = 1;
    Info.Width = h.Width;
    Info.Height = static_cast<int>(h.AbsHeight());
    Info.BitCount = h.BitCount;
    Info.Colors = colorsText(h.BitCount);
    if (h.Core) {
        Info.SubFormat = "OS/2";
        return;
    }
    Info.SubFormat = "Windows";
    if (h.Compression == biRGB) Info.SubFormat += ", RGB";
    if (h.Compression == biRLE8) Info.SubFormat += ", RLE8";
    if (h.Compression == biRLE4) Info.SubFormat += ", RLE4";
    if (h.TopDown()) Info.SubFormat += ", Top-Down";
}

int PaletteEntriesToWrite(const TPixelGraphic& Image) {
    if (Image.PixelFormat() == pf24Bit) return 0;
    int count = Image.PaletteCount();
    if (count >= Image.ColorCount() || Image.Empty())
        return std::max(count, Image.Empty() ? count : 1);
    uint32_t largest = 0;
    for (int y = 0; y < Image.Height(); ++y)
        for (int x = 0; x < Image.Width(); ++x) largest = std::max(largest, Image.GetPixel(x, y));
    return std::max(count, static_cast<int>(largest) + 1);
}

void TBMPFileFormatWriter::WriteImage(TStream& Stream, TPixelGraphic& Image) const {
    const int entries = PaletteEntriesToWrite(Image);
    const uint32_t offset = 54 + 4 * entries;
    std::vector<uint8_t> head(offset, 0);
    uint8_t* h = head.data();
    h[0] = 'B', h[1] = 'M';
    PutLE32(h + 2, offset + static_cast<uint32_t>(Image.ImageSize()));
    PutLE32(h + 10, offset);
    PutLE32(h + 14, 40);
    PutLE32(h + 18, static_cast<uint32_t>(Image.Width()));
    PutLE32(h + 22, static_cast<uint32_t>(Image.Height()));
    PutLE16(h + 26, 1);
    PutLE16(h + 28, static_cast<uint16_t>(Image.BitCount()));
    PutLE32(h + 34, static_cast<uint32_t>(Image.ImageSize()));
    PutLE32(h + 46, static_cast<uint32_t>(entries));
    for (int i = 0; i < entries; ++i) {
        const uint32_t c = Image.ColorTableEntry(static_cast<uint32_t>(i));
        uint8_t* e = h + 54 + 4 * i;
        e[0] = PGBlue(c), e[1] = PGGreen(c), e[2] = PGRed(c);
    }
    Stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
    if (!Image.Empty()) Stream.WriteBuffer(Image.Bits(), Image.ImageSize());
}

void ReadPackedDIB(TStream& Stream, TPixelGraphic& Image) {
    readDib(Stream, Image, -1);
}

void TPixelGraphic::LoadFromClipboardFormat(uint32_t Format, std::span<const uint8_t> Data) {
    if (Format != CF_DIB || Data.empty())
        throw EPGUnknownClipboardFormat(PGLangStr(msgUnknownClipboardFormat));
    TPGUpdateScope update(*this);
    TBorrowedStream stream(Data);
    ReadPackedDIB(stream, *this);
    SetGamma(EffectiveDisplayGamma());
    ClassifyPalette();
}

std::vector<uint8_t> TPixelGraphic::SaveToClipboardFormat(uint32_t& Format) {
    TMemoryStream stream;
    SaveToStream(stream);
    Format = CF_DIB;
    return {stream.Data().begin() + 14, stream.Data().end()};
}

void RegisterBMPFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<TBMPFileFormatReader>());
    registry.AddReader(std::make_unique<TDIBFileFormatReader>());
    registry.AddReader(std::make_unique<TRLEFileFormatReader>());
    registry.AddWriter(std::make_unique<TBMPFileFormatWriter>());
    registry.AddWriter(std::make_unique<TDIBFileFormatWriter>());
}
