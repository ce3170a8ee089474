#include "metafile_header.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

const char* const InvalidMetafile = "Invalid Metafile";

namespace {

std::atomic<int> screenDPI{96};

constexpr int thumbnailLimit = 130;
constexpr uint16_t wmfCreatePalette = 0x00F7;
constexpr uint32_t emrEOF = 14;
constexpr uint32_t emfSignature = 0x464D4520; // " EMF"

[[noreturn]] void invalid() {
    throw EPixelGraphic(InvalidMetafile);
}

int32_t getI32(const uint8_t* p) {
    return static_cast<int32_t>(GetLE32(p));
}

int64_t roundedDiv(int64_t num, int64_t den) {
    return (num + den / 2) / den;
}

// The longest side at most MetafileMaxSide keeping the aspect, each side at least 1.
void capSize(int64_t w, int64_t h, int& width, int& height) {
    w = std::max<int64_t>(w, 1), h = std::max<int64_t>(h, 1);
    const int64_t longest = std::max(w, h);
    if (longest > MetafileMaxSide) {
        w = std::max<int64_t>(1, roundedDiv(w * MetafileMaxSide, longest));
        h = std::max<int64_t>(1, roundedDiv(h * MetafileMaxSide, longest));
    }
    width = static_cast<int>(w), height = static_cast<int>(h);
}

bool usableBox(const int32_t box[4]) {
    for (int i = 0; i < 4; ++i)
        if (std::abs(box[i]) >= 0x7FFF) return false;
    return box[2] > box[0] && box[3] > box[1];
}

void useNewHeader(TMetafileHeader& h, int dpi) {
    std::copy(std::begin(DefaultMetafileBox), std::end(DefaultMetafileBox), h.Box);
    h.UnitsPerInch = dpi;
}

std::vector<uint32_t> paletteEntries(const uint8_t* p, int64_t count) {
    std::vector<uint32_t> palette;
    for (int64_t i = 0; i < count; ++i, p += 4) palette.push_back(PGColor(p[0], p[1], p[2]));
    return palette;
}

// The entries of the first CREATEPALETTE record, walking record sizes only.
std::vector<uint32_t> wmfPalette(std::span<const uint8_t> file, int64_t at) {
    const int64_t size = static_cast<int64_t>(file.size());
    while (size - at >= 6) {
        const int64_t bytes = int64_t(GetLE32(&file[size_t(at)])) * 2;
        const uint16_t function = GetLE16(&file[size_t(at) + 4]);
        if (bytes < 6 || bytes > size - at || function == 0) break;
        if (function == wmfCreatePalette && bytes >= 10) {
            const int64_t count = GetLE16(&file[size_t(at) + 8]);
            if (10 + 4 * count > bytes) break;
            return paletteEntries(&file[size_t(at) + 10], count);
        }
        at += bytes;
    }
    return {};
}

void readWMF(std::span<const uint8_t> file, TMetafileHeader& h, int dpi) {
    const int64_t size = static_cast<int64_t>(file.size());
    h.Placeable = size >= 4 && GetLE32(file.data()) == PlaceableKey;
    h.RecordsStart = h.Placeable ? PlaceableHeaderSize : 0;
    if (size < h.RecordsStart + WMFHeaderSize) invalid();
    const uint8_t* w = &file[size_t(h.RecordsStart)];
    const uint16_t type = GetLE16(w);
    if ((type != 1 && type != 2) || GetLE16(w + 2) != 9) invalid();
    h.ObjectCount = GetLE16(w + 10);
    h.RecordsStart += WMFHeaderSize;
    useNewHeader(h, dpi);
    if (h.Placeable) {
        const int32_t box[4] = {int16_t(GetLE16(&file[6])), int16_t(GetLE16(&file[8])),
                                int16_t(GetLE16(&file[10])), int16_t(GetLE16(&file[12]))};
        // A box of 0 units per inch cannot be sized: the new header stands in for it.
        if (const uint16_t upi = GetLE16(&file[14]); upi != 0) {
            h.UnitsPerInch = upi;
            if (usableBox(box)) std::copy(box, box + 4, h.Box);
        }
    }
    capSize(roundedDiv(int64_t(h.Box[2] - h.Box[0]) * dpi, h.UnitsPerInch),
            roundedDiv(int64_t(h.Box[3] - h.Box[1]) * dpi, h.UnitsPerInch), h.Width, h.Height);
    h.Palette = wmfPalette(file, h.RecordsStart);
}

// The EOF record's entries when it holds the count the header declares.
std::vector<uint32_t> emfPalette(std::span<const uint8_t> file, int64_t count) {
    const int64_t size = static_cast<int64_t>(file.size());
    int64_t at = 0;
    while (count > 0 && size - at >= 8) {
        const int64_t bytes = GetLE32(&file[size_t(at) + 4]);
        if (bytes < 8 || bytes % 4 != 0 || bytes > size - at) break;
        if (GetLE32(&file[size_t(at)]) == emrEOF) {
            if (bytes < 20 || GetLE32(&file[size_t(at) + 8]) != count) break;
            const int64_t offset = GetLE32(&file[size_t(at) + 12]);
            if (offset < 16 || offset > bytes || (bytes - offset) / 4 < count) break;
            return paletteEntries(&file[size_t(at + offset)], count);
        }
        at += bytes;
    }
    return {};
}

void readEMF(std::span<const uint8_t> file, TMetafileHeader& h, int dpi) {
    const int64_t size = static_cast<int64_t>(file.size());
    if (size < EMFMinHeaderSize || GetLE32(file.data()) != 1) invalid();
    const int64_t headerSize = GetLE32(&file[4]);
    if (headerSize < EMFMinHeaderSize || headerSize % 4 != 0 || headerSize > size ||
        GetLE32(&file[40]) != emfSignature)
        invalid();
    h.RecordsStart = 0;
    h.ObjectCount = GetLE16(&file[56]);
    h.UnitsPerInch = 2540;
    for (int i = 0; i < 2; ++i) {
        h.Device[i] = getI32(&file[72 + 4 * size_t(i)]);
        h.Millimeters[i] = getI32(&file[80 + 4 * size_t(i)]);
    }
    if (h.Device[0] <= 0 || h.Device[1] <= 0 || h.Millimeters[0] <= 0 || h.Millimeters[1] <= 0) {
        // No reference device: one at the screen's resolution.
        h.Device[0] = h.Device[1] = 1000;
        h.Millimeters[0] = h.Millimeters[1] = static_cast<int32_t>(roundedDiv(25400, dpi));
    }
    for (int i = 0; i < 4; ++i) h.Box[i] = getI32(&file[24 + 4 * size_t(i)]);
    if (int64_t(h.Box[2]) <= h.Box[0] || int64_t(h.Box[3]) <= h.Box[1]) {
        // No frame: the bounds, from reference pixels to 0.01 mm.
        // In doubles, clamped: 2^31 pixels at 2^31 mm a pixel passes even 64 bits.
        for (int i = 0; i < 4; ++i)
            h.Box[i] =
                static_cast<int32_t>(std::clamp(double(getI32(&file[8 + 4 * size_t(i)])) * 100 *
                                                    h.Millimeters[i % 2] / h.Device[i % 2],
                                                double(INT32_MIN), double(INT32_MAX)));
        if (int64_t(h.Box[2]) <= h.Box[0] || int64_t(h.Box[3]) <= h.Box[1]) invalid();
    }
    capSize(roundedDiv((int64_t(h.Box[2]) - h.Box[0]) * dpi, 2540),
            roundedDiv((int64_t(h.Box[3]) - h.Box[1]) * dpi, 2540), h.Width, h.Height);
    h.Palette = emfPalette(file, GetLE32(&file[68]));
}

} // namespace

int PGScreenDPI() {
    return screenDPI.load(std::memory_order_relaxed);
}

void SetPGScreenDPI(int dpi) {
    if (dpi > 0) screenDPI.store(dpi, std::memory_order_relaxed);
}

bool IsWMFSignature(const TPGHeader& header) {
    const uint8_t* p = header.data();
    if (GetLE32(p) == PlaceableKey) return true;
    return GetLE16(p) < 2 && GetLE16(p + 2) == 9 && GetLE16(p + 4) != 0 && GetLE32(p + 6) > 18 &&
           GetLE16(p + 10) != 0;
}

// Any header of 88 bytes or more, so the 100- and 108-byte forms and those followed by a
// description are found too.
bool IsEMFSignature(const TPGHeader& header) {
    const uint32_t size = GetLE32(header.data() + 4);
    return GetLE32(header.data()) == 1 && size >= EMFMinHeaderSize && size % 4 == 0;
}

TMetafileHeader ReadMetafileHeader(std::span<const uint8_t> file, TMetafileKind kind, int dpi) {
    TMetafileHeader h;
    h.Kind = kind;
    if (dpi <= 0) dpi = 96;
    if (kind == TMetafileKind::WMF)
        readWMF(file, h, dpi);
    else
        readEMF(file, h, dpi);
    return h;
}

void MetafileOutputSize(const TMetafileHeader& header, bool fastLoad, const TPGCallOptions& options,
                        int& width, int& height) {
    int64_t w = header.Width, h = header.Height;
    if (fastLoad) {
        if (w > thumbnailLimit) {
            h = std::max<int64_t>(1, roundedDiv(h * thumbnailLimit, w));
            w = thumbnailLimit;
        }
        if (h > thumbnailLimit) {
            w = std::max<int64_t>(1, roundedDiv(w * thumbnailLimit, h));
            h = thumbnailLimit;
        }
    }
    PGFitToHint(options, static_cast<int>(w), static_cast<int>(h), width, height);
}

uint8_t MetafilePixelFormat(size_t n) {
    return n == 0 ? pf24Bit : n <= 2 ? pf1Bit : n <= 16 ? pf4Bit : n <= 256 ? pf8Bit : pf24Bit;
}

TPGImageInfo MetafileInfo(const TMetafileHeader& header) {
    TPGImageInfo info;
    info.ImageCount = 1;
    info.BitCount = BitCountOfPixelFormat(MetafilePixelFormat(header.Palette.size()));
    info.Colors = info.BitCount == 24 ? "16.7M" : std::to_string(1 << info.BitCount);
    info.Width = header.Width;
    info.Height = header.Height;
    if (header.Kind == TMetafileKind::WMF)
        info.SubFormat = header.Placeable ? "Placeable, Aldus header" : "No header";
    return info;
}
