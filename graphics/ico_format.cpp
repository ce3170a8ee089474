#include "ico_format.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

namespace {

const char* const notAnIcon = "Not an Icon file";
const char* const indexOutOfBounds = "Index out of bounds";
constexpr uint32_t white = 0x00FFFFFF;
constexpr uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A directory entry; a width or height byte of 0 stands for 256.
struct Entry {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    uint32_t Size = 0;
    uint32_t Offset = 0;
};

struct Directory {
    int64_t Start = 0;
    int64_t FileSize = 0;
    std::vector<Entry> Entries;

    bool InFile(const Entry& e) const { return int64_t(e.Offset) + e.Size <= FileSize; }
};

Directory readDirectory(TStream& s) {
    Directory dir;
    dir.Start = s.Position();
    dir.FileSize = s.Size() - dir.Start;
    uint8_t head[6];
    if (!s.TryReadBuffer(head, 6) || GetLE16(head) != 0 || GetLE16(head + 2) != 1 ||
        GetLE16(head + 4) == 0)
        throw EPixelGraphic(notAnIcon);
    std::vector<uint8_t> raw(size_t(16) * GetLE16(head + 4));
    if (!s.TryReadBuffer(raw.data(), int64_t(raw.size()))) throw EPixelGraphic(notAnIcon);
    for (size_t at = 0; at < raw.size(); at += 16) {
        const uint8_t* p = &raw[at];
        dir.Entries.push_back({p[0] ? p[0] : 256, p[1] ? p[1] : 256, GetLE16(p + 6), GetLE32(p + 8),
                               GetLE32(p + 12)});
    }
    return dir;
}

// Up to count bytes of an entry that lies inside the file.
std::vector<uint8_t> readEntryBytes(TStream& s, const Directory& dir, const Entry& e,
                                    uint32_t count) {
    std::vector<uint8_t> bytes(count);
    s.SetPosition(dir.Start + e.Offset);
    if (!s.TryReadBuffer(bytes.data(), count)) throw EPixelGraphic(indexOutOfBounds);
    return bytes;
}

// The picture an entry holds, as its own header describes it.
struct IconImage {
    bool Png = false;
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
};

uint32_t getBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Reads a PNG header or a 40-byte bitmap info header; false for anything else.
bool describe(std::span<const uint8_t> head, IconImage& icon) {
    if (head.size() >= 26 && std::memcmp(head.data(), pngSignature, 8) == 0 &&
        std::memcmp(&head[12], "IHDR", 4) == 0) {
        static constexpr int channels[7] = {1, 0, 3, 1, 2, 0, 4};
        icon.Png = true;
        icon.Width = int(std::min<uint32_t>(getBE32(&head[16]), INT_MAX));
        icon.Height = int(std::min<uint32_t>(getBE32(&head[20]), INT_MAX));
        icon.BitCount = head[24] * (head[25] < 7 ? channels[head[25]] : 0);
        return true;
    }
    if (head.size() < 40 || GetLE32(head.data()) != 40) return false;
    icon.Png = false;
    icon.Width = int32_t(GetLE32(&head[4]));
    icon.Height = int32_t(GetLE32(&head[8])) / 2;
    icon.BitCount = GetLE16(&head[14]);
    return true;
}

int colorTableEntries(int bits) {
    return bits <= 8 ? 1 << bits : 0;
}

// Header, colour table, colour rows and mask rows, both bottom-up and padded to 4 bytes.
int64_t bitmapIconBytes(const IconImage& icon) {
    const int bits = icon.BitCount;
    return 40 + 4 * colorTableEntries(bits) + BytesPerRowOf(bits, icon.Width) * icon.Height +
           BytesPerRowOf(1, icon.Width) * icon.Height;
}

bool accepted(const IconImage& icon, const Entry& e) {
    auto inRange = [](int n) { return n >= 8 && n <= 256; };
    if (!inRange(icon.Width) || !inRange(icon.Height)) return false;
    if (icon.Png) return true;
    const int b = icon.BitCount;
    return (b == 1 || b == 4 || b == 8 || b == 24 || b == 32) && e.Size == bitmapIconBytes(icon);
}

uint32_t indexAt(const uint8_t* row, int x, int bits) {
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

// One channel of a partly transparent pixel laid over white.
uint8_t overWhite(uint8_t c, uint8_t alpha) {
    return uint8_t((c * alpha + 255 * (255 - alpha)) / 255);
}

uint32_t colorAt(const uint8_t* row, const uint8_t* mask, int x, int bits,
                 const std::array<uint32_t, 256>& table) {
    if (bits == 32) {
        const uint8_t* p = row + 4 * x;
        return PGColor(overWhite(p[2], p[3]), overWhite(p[1], p[3]), overWhite(p[0], p[3]));
    }
    if (indexAt(mask, x, 1)) return white;
    if (bits == 24) return PGColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    return table[indexAt(row, x, bits)];
}

void readBitmapIcon(const std::vector<uint8_t>& b, const IconImage& icon, TPixelGraphic& image,
                    TPGProgressScope& progress) {
    const int w = icon.Width, h = icon.Height, bits = icon.BitCount;
    const int entries = colorTableEntries(bits);
    std::array<uint32_t, 256> table{};
    for (int i = 0; i < entries; ++i) {
        const uint8_t* e = &b[40 + 4 * size_t(i)];
        table[size_t(i)] = PGColor(e[2], e[1], e[0]);
    }
    const size_t rowBytes = size_t(BytesPerRowOf(bits, w)), maskBytes = size_t(BytesPerRowOf(1, w));
    const uint8_t* colorRows = &b[40 + 4 * size_t(entries)];
    const uint8_t* maskRows = colorRows + rowBytes * h;
    image.SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y) {
        const size_t fromBottom = size_t(h - 1 - y);
        const uint8_t* row = colorRows + rowBytes * fromBottom;
        const uint8_t* mask = maskRows + maskBytes * fromBottom;
        uint8_t* out = image.ScanLine(y);
        for (int x = 0; x < w; ++x, out += 3) {
            const uint32_t c = colorAt(row, mask, x, bits, table);
            out[0] = PGBlue(c), out[1] = PGGreen(c), out[2] = PGRed(c);
        }
        if (progress.Step(y, h - 1)) return;
    }
}

// The PNG without its bKGD chunks: the PNG reader composites onto the file's background colour
// where there is one, and icons are laid over white whatever their chunks say. Each chunk carries
// its own CRC, so the rest stays a valid PNG; a damaged tail is passed on as it is, for the PNG
// reader to report.
std::vector<uint8_t> withoutBackgroundChunk(const std::vector<uint8_t>& png) {
    std::vector<uint8_t> out(png.begin(), png.begin() + 8);
    size_t at = 8;
    while (png.size() - at >= 12) {
        const uint32_t length = getBE32(&png[at]);
        if (length > png.size() - at - 12) break;
        const size_t end = at + 12 + length;
        if (std::memcmp(&png[at + 4], "bKGD", 4) != 0)
            out.insert(out.end(), png.begin() + ptrdiff_t(at), png.begin() + ptrdiff_t(end));
        at = end;
    }
    out.insert(out.end(), png.begin() + ptrdiff_t(at), png.end());
    return out;
}

// Compressed entries go through the library's PNG reader, with transparency laid over white.
void readPngIcon(const std::vector<uint8_t>& entry, TPixelGraphic& image) {
    const std::vector<uint8_t> bytes = withoutBackgroundChunk(entry);
    TBorrowedStream stream(bytes);
    const TFileFormatReader* reader = PGRegistry().FindReader(stream, "");
    if (!reader) throw EPixelGraphic(indexOutOfBounds);
    TPixelGraphic decoded;
    decoded.SetBackGroundColor(white);
    decoded.SetReadWarningAction(image.ReadWarningAction());
    // The entry is the picture: the same warning box, gamma and limits, but at its full size.
    TPGCallOptions options = image.CallOptions();
    options.HintWidth = options.HintHeight = 0;
    decoded.SetCallOptions(std::move(options));
    reader->ReadImage(stream, decoded, 0);
    image.SetGamma(decoded.Gamma());
    image.SetSizeAndFormat(decoded.Width(), decoded.Height(), pf24Bit);
    for (int y = 0; y < decoded.Height(); ++y) {
        uint8_t* out = image.ScanLine(y);
        for (int x = 0; x < decoded.Width(); ++x, out += 3) {
            const uint32_t c = decoded.GetPixelColor(x, y);
            out[0] = PGBlue(c), out[1] = PGGreen(c), out[2] = PGRed(c);
        }
    }
}

// The entry's own header where it can be read, the directory's values otherwise.
IconImage describeEntry(TStream& s, const Directory& dir, const Entry& e) {
    IconImage icon{false, e.Width, e.Height, e.BitCount};
    if (dir.InFile(e)) describe(readEntryBytes(s, dir, e, std::min<uint32_t>(e.Size, 40)), icon);
    return icon;
}

std::string colorsText(int bits) {
    return bits > 8 ? "16.7M" : std::to_string(1 << bits);
}

} // namespace

bool tIcoFileFormatReader::IsFormat(const TPGHeader& Header) const {
    return GetLE16(&Header[0]) == 0 && GetLE16(&Header[2]) == 1 && GetLE16(&Header[4]) != 0;
}

void tIcoFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    Image.SetTransparent(true);
    Image.SetTransparentColor(white);
    const Directory dir = readDirectory(Stream);
    if (Index < 0 || size_t(Index) >= dir.Entries.size()) throw EPixelGraphic(indexOutOfBounds);
    const Entry& e = dir.Entries[size_t(Index)];
    if (!dir.InFile(e)) throw EPixelGraphic(indexOutOfBounds);
    const std::vector<uint8_t> bytes = readEntryBytes(Stream, dir, e, e.Size);
    IconImage icon;
    if (!describe(bytes, icon) || !accepted(icon, e)) throw EPixelGraphic(indexOutOfBounds);
    TPGProgressScope progress(Image);
    if (icon.Png)
        readPngIcon(bytes, Image);
    else
        readBitmapIcon(bytes, icon, Image, progress);
}

void tIcoFileFormatReader::GetInfo(TStream& Stream, int, TPGImageInfo& Info) const {
    Info = {};
    const Directory dir = readDirectory(Stream);
    std::vector<IconImage> icons;
    for (const Entry& e : dir.Entries) icons.push_back(describeEntry(Stream, dir, e));
    Info.ImageCount = int(icons.size());
    Info.Width = icons[0].Width;
    Info.Height = icons[0].Height;
    Info.BitCount = icons[0].BitCount;
    if (icons.size() == 1) {
        Info.Colors = colorsText(Info.BitCount);
        return;
    }
    auto [narrow, wide] =
        std::minmax_element(icons.begin(), icons.end(), [](const IconImage& a, const IconImage& b) {
            return a.Width < b.Width;
        });
    auto [fewest, most] =
        std::minmax_element(icons.begin(), icons.end(), [](const IconImage& a, const IconImage& b) {
            return a.BitCount < b.BitCount;
        });
    Info.SubFormat = "Sizes " + std::to_string(narrow->Width) + ".." + std::to_string(wide->Width);
    Info.Options = "Colors " + colorsText(fewest->BitCount) + ".." + colorsText(most->BitCount);
}

void RegisterICOFormat(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<tIcoFileFormatReader>());
}
