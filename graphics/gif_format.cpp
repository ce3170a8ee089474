#include "gif_format.h"
#include "row_sink.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

struct TGifFile {
    struct Frame {
        TGifFrameGeometry Geometry;
        std::span<const uint8_t> Table; // 3 bytes per entry; a missing table is all black
        int Depth = 0;
        int MinCodeSize = -1;
        size_t DataStart = 0; // the first data sub-block
        int64_t DataBytes = 0;

        // One code yields at most 4096 pixels, so a frame claiming more pixels than its data can
        // carry is refused before any memory is taken for it.
        bool Decodable() const {
            if (MinCodeSize < 2 || MinCodeSize > 11) return false;
            const int64_t codes = DataBytes * 8 / (MinCodeSize + 1);
            return int64_t(Geometry.Width) * Geometry.Height <= codes * 4096;
        }
    };

    std::string Version;
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    uint8_t BackgroundIndex = 0;
    int LoopCount = 1;
    bool AnyInterlaced = false;
    std::vector<Frame> Frames;
};

namespace {

const char* const notAGif = "Not a proper GIF file";
const char* const indexOutOfBounds = "Index out of bounds";

using Bytes = std::span<const uint8_t>;

// Calls f with each data sub-block from pos on; answers the position after the terminator, or
// the end of the data when the blocks run past it.
template <class F>
size_t walkSubBlocks(Bytes d, size_t pos, F&& f) {
    while (pos < d.size()) {
        const size_t n = d[pos++];
        if (n == 0) break;
        const size_t take = std::min(n, d.size() - pos);
        f(d.subspan(pos, take));
        pos += take;
    }
    return pos;
}

// Walks the blocks of a file held in memory; frames are located, not decoded.
class Parser {
public:
    explicit Parser(Bytes data) : FData(data) {}
    TGifFile Parse();

private:
    bool has(size_t n) const { return FData.size() - FPos >= n; }
    bool extension();
    void graphicControl();
    void application();
    bool frame();

    Bytes FData;
    size_t FPos = 0;
    TGifFile FGif;
    Bytes FGlobalTable;
    int FGlobalDepth = 0;
    TGifFrameGeometry FPending; // control and comment for the next frame
};

TGifFile Parser::Parse() {
    if (FData.size() < 13 || std::memcmp(FData.data(), "GIF", 3) != 0) throw EPixelGraphic(notAGif);
    FGif.Version = FData[4] == '7' ? "87a" : "89a";
    FGif.ScreenWidth = GetLE16(&FData[6]);
    FGif.ScreenHeight = GetLE16(&FData[8]);
    FGif.BackgroundIndex = FData[11];
    FPos = 13;
    if (const uint8_t flags = FData[10]; flags & 0x80) {
        FGlobalDepth = (flags & 7) + 1;
        const size_t size = size_t(3) << FGlobalDepth;
        if (!has(size)) throw EPixelGraphic(notAGif);
        FGlobalTable = FData.subspan(FPos, size);
        FPos += size;
    }
    while (FPos < FData.size()) {
        const uint8_t introducer = FData[FPos++];
        const bool goOn = introducer == '!' ? extension() : introducer == ',' && frame();
        if (!goOn) break;
    }
    if (std::none_of(FGif.Frames.begin(), FGif.Frames.end(),
                     [](const TGifFile::Frame& f) { return f.Decodable(); }))
        throw EPixelGraphic(notAGif);
    return std::move(FGif);
}

// Answers false for a label this reader does not know: the frames after it are not seen.
bool Parser::extension() {
    if (!has(1)) return false;
    switch (FData[FPos++]) {
    case 0x01:
        FPos = walkSubBlocks(FData, FPos, [](Bytes) {});
        return true;
    case 0xF9:
        graphicControl();
        return true;
    case 0xFE:
        FPos = walkSubBlocks(FData, FPos,
                             [&](Bytes b) { FPending.Comment.append(b.begin(), b.end()); });
        return true;
    case 0xFF:
        application();
        return true;
    default:
        return false;
    }
}

void Parser::graphicControl() {
    bool first = true;
    FPos = walkSubBlocks(FData, FPos, [&](Bytes b) {
        if (first && b.size() >= 4) {
            FPending.Disposal = (b[0] >> 2) & 7;
            FPending.HasTransparency = b[0] & 1;
            FPending.Delay = GetLE16(&b[1]) * 10;
            FPending.TransparentIndex = b[3];
        }
        first = false;
    });
}

void Parser::application() {
    int block = 0;
    bool netscape = false;
    FPos = walkSubBlocks(FData, FPos, [&](Bytes b) {
        if (block == 0)
            netscape = b.size() == 11 && std::memcmp(b.data(), "NETSCAPE2.0", 11) == 0;
        else if (block == 1 && netscape && b.size() >= 3 && b[0] == 1)
            FGif.LoopCount = GetLE16(&b[1]);
        ++block;
    });
}

// Answers false when the descriptor or its colour table is cut off.
bool Parser::frame() {
    if (!has(9)) return false;
    TGifFile::Frame f;
    f.Geometry = std::move(FPending);
    FPending = {};
    const uint8_t* p = &FData[FPos];
    f.Geometry.Left = GetLE16(p);
    f.Geometry.Top = GetLE16(p + 2);
    f.Geometry.Width = GetLE16(p + 4);
    f.Geometry.Height = GetLE16(p + 6);
    f.Geometry.Interlaced = p[8] & 0x40;
    f.Depth = FGlobalDepth;
    f.Table = FGlobalTable;
    FPos += 9;
    if (p[8] & 0x80) {
        f.Depth = (p[8] & 7) + 1;
        const size_t size = size_t(3) << f.Depth;
        if (!has(size)) return false;
        f.Table = FData.subspan(FPos, size);
        FPos += size;
    }
    if (has(1)) {
        f.MinCodeSize = FData[FPos++];
        f.DataStart = FPos;
        FPos = walkSubBlocks(FData, FPos, [&](Bytes b) { f.DataBytes += int64_t(b.size()); });
    }
    FGif.AnyInterlaced |= f.Geometry.Interlaced;
    FGif.Frames.push_back(std::move(f));
    return true;
}

// Palette indices into a row of the image's format; pixels from count on keep their value.
void packRow(uint8_t* dest, const uint8_t* px, int count, uint8_t format) {
    int x = 0;
    if (format == pf8Bit) {
        std::memcpy(dest, px, size_t(count));
    } else if (format == pf4Bit) {
        for (; x + 1 < count; x += 2) dest[x >> 1] = uint8_t(px[x] << 4 | px[x + 1]);
        if (x < count) dest[x >> 1] = uint8_t((dest[x >> 1] & 0x0F) | px[x] << 4);
    } else {
        for (; x + 8 <= count; x += 8) {
            uint8_t b = 0;
            for (int k = 0; k < 8; ++k) b = uint8_t(b << 1 | px[x + k]);
            dest[x >> 3] = b;
        }
        for (; x < count; ++x) {
            const uint8_t bit = uint8_t(0x80 >> (x & 7));
            dest[x >> 3] = uint8_t(px[x] ? dest[x >> 3] | bit : dest[x >> 3] & ~bit);
        }
    }
}

// Collects decoded pixels into whole rows, stored in interlace order when asked, with one
// progress report per row.
class RowWriter {
public:
    RowWriter(TPGRowSink& sink, bool interlaced, TPGProgressScope& progress)
        : FSink(sink), FProgress(progress), FInterlaced(interlaced), FRow(size_t(sink.Width())) {}

    // Answers false once the frame is complete or the user stopped it.
    bool Put(const uint8_t* pixels, size_t n) {
        const size_t width = FRow.size();
        while (n > 0 && !FDone) {
            const size_t take = std::min(n, width - FX);
            std::memcpy(&FRow[FX], pixels, take);
            FX += take, pixels += take, n -= take;
            if (FX < width) break;
            store(width);
            FX = 0;
            ++FRowsDone;
            FDone = FProgress.Step(FRowsDone, FSink.Height() - 1) || !nextRow();
        }
        return !FDone;
    }
    // Keeps the pixels of a row the data ended in.
    void Finish() {
        if (!FDone && FX > 0) store(FX);
    }

private:
    void store(size_t count) {
        packRow(FSink.Row(FY), FRow.data(), int(count), FSink.Image().PixelFormat());
    }
    bool nextRow() {
        static constexpr int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        if (!FInterlaced) return ++FY < FSink.Height();
        FY += step[FPass];
        while (FY >= FSink.Height()) {
            if (++FPass == 4) return false;
            FY = start[FPass];
        }
        return true;
    }

    TPGRowSink& FSink;
    TPGProgressScope& FProgress;
    bool FInterlaced;
    std::vector<uint8_t> FRow;
    size_t FX = 0;
    int FY = 0, FPass = 0, FRowsDone = 0;
    bool FDone = false;
};

// What SetPixel would store for a code value in each format.
uint8_t pixelOf(int code, uint8_t format) {
    if (format == pf1Bit) return code == 1;
    return uint8_t(format == pf4Bit ? code & 0x0F : code & 0xFF);
}

// Codes are read least significant bit first. Decoding ends at the end code, at the end of the
// data, at a code not defined yet (damaged data: the pixels so far stay) or when the frame is
// full.
void decodeLzw(Bytes data, int minCodeSize, uint8_t format, RowWriter& out) {
    constexpr int tableSize = 4096;
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::array<uint16_t, tableSize> prefix{}, length{};
    std::array<uint8_t, tableSize> suffix{}, first{};
    std::array<uint8_t, tableSize> string{};
    for (int c = 0; c < clear; ++c) suffix[c] = first[c] = pixelOf(c, format), length[c] = 1;
    int width = minCodeSize + 1, next = clear + 2, prev = -1, bits = 0;
    uint32_t acc = 0;
    size_t pos = 0;
    for (;;) {
        while (bits < width && pos < data.size()) acc |= uint32_t(data[pos++]) << bits, bits += 8;
        if (bits < width) return;
        const int code = int(acc & ((1u << width) - 1));
        acc >>= width, bits -= width;
        if (code == clear) {
            width = minCodeSize + 1, next = clear + 2, prev = -1;
            continue;
        }
        if (code == end || code > next || (code == next && prev < 0)) return;
        const int known = code == next ? prev : code;
        int len = length[known];
        for (int i = len - 1, k = known; i >= 0; --i) string[i] = suffix[k], k = prefix[k];
        if (code == next) string[len++] = first[prev];
        if (prev >= 0 && next < tableSize) {
            prefix[next] = uint16_t(prev);
            suffix[next] = string[0];
            first[next] = first[prev];
            length[next] = uint16_t(length[prev] + 1);
            if (++next == 1 << width && width < 12) ++width;
        }
        prev = code;
        if (!out.Put(string.data(), size_t(len))) return;
    }
}

void decodeFrame(const TGifFile::Frame& f, Bytes data, TPixelGraphic& image,
                 TPGProgressScope& progress, bool reducible) {
    if (!f.Decodable()) return;
    const uint8_t format = f.Depth <= 1 ? pf1Bit : f.Depth <= 4 ? pf4Bit : pf8Bit;
    TPGRowSink sink(image, f.Geometry.Width, f.Geometry.Height, format, reducible);
    PGReadRows(sink, [&] {
        const int entries = 1 << f.Depth;
        image.SetPaletteCount(entries);
        for (int i = 0; i < entries; ++i) {
            const size_t at = size_t(3) * i;
            const Bytes& t = f.Table;
            image.SetPaletteEntry(i, at + 2 < t.size() ? PGColor(t[at], t[at + 1], t[at + 2]) : 0);
        }
        if (image.Empty()) return;
        std::vector<uint8_t> codes;
        codes.reserve(size_t(f.DataBytes));
        walkSubBlocks(data, f.DataStart,
                      [&](Bytes b) { codes.insert(codes.end(), b.begin(), b.end()); });
        RowWriter rows(sink, f.Geometry.Interlaced, progress);
        decodeLzw(codes, f.MinCodeSize, format, rows);
        rows.Finish();
    });
}

std::vector<uint8_t> readAll(TStream& s) {
    std::vector<uint8_t> data(size_t(s.Remaining()));
    data.resize(size_t(s.Read(data.data(), int64_t(data.size()))));
    return data;
}

// An index beyond the frames leaves the image as it is. Frames of an animation are laid over
// one another at full size, so only a picture read alone is reducible.
void decodeIndex(const TGifFile& gif, Bytes data, int index, TPixelGraphic& image,
                 TPGProgressScope& progress, bool reducible) {
    if (index < 0 || size_t(index) >= gif.Frames.size()) return;
    decodeFrame(gif.Frames[size_t(index)], data, image, progress, reducible);
}

TGifAnimation animationOf(const TGifFile& gif) {
    TGifAnimation a;
    a.ScreenWidth = gif.ScreenWidth;
    a.ScreenHeight = gif.ScreenHeight;
    a.BackgroundIndex = gif.BackgroundIndex;
    a.LoopCount = gif.LoopCount;
    for (const TGifFile::Frame& f : gif.Frames) a.Frames.push_back(f.Geometry);
    return a;
}

} // namespace

bool tGifFileFormatReader::IsFormat(const TPGHeader& Header) const {
    return Header[0] == 'G' && Header[1] == 'I' && Header[2] == 'F';
}

void tGifFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    TPGProgressScope progress(Image);
    const std::vector<uint8_t> data = readAll(Stream);
    decodeIndex(Parser(data).Parse(), data, Index, Image, progress, true);
}

void tGifFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    Info = {};
    const std::vector<uint8_t> data = readAll(Stream);
    const TGifFile gif = Parser(data).Parse();
    if (Index < 0 || size_t(Index) >= gif.Frames.size()) throw EPixelGraphic(indexOutOfBounds);
    const TGifFile::Frame& f = gif.Frames[size_t(Index)];
    Info.Width = f.Geometry.Width;
    Info.Height = f.Geometry.Height;
    Info.ImageCount = int(gif.Frames.size());
    Info.BitCount = gif.Frames.back().Depth;
    Info.Colors = std::to_string(1 << Info.BitCount);
    Info.SubFormat = gif.Version;
    Info.Options = gif.AnyInterlaced ? "Interlaced" : "Non-interlaced";
}

TGifAnimation ReadGifAnimation(TStream& Stream) {
    const std::vector<uint8_t> data = readAll(Stream);
    return animationOf(Parser(data).Parse());
}

TGifFrames::TGifFrames(TStream& Stream)
    : FData(readAll(Stream)), FFile(std::make_unique<TGifFile>(Parser(FData).Parse())),
      FAnimation(animationOf(*FFile)) {}

TGifFrames::~TGifFrames() = default;

void TGifFrames::ReadFrame(int Index, TPixelGraphic& Image) const {
    TPGProgressScope progress(Image);
    decodeIndex(*FFile, FData, Index, Image, progress, false);
}

void RegisterGIFFormat(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<tGifFileFormatReader>());
}
