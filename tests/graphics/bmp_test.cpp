#include "bmp_format.h"
#include "test_support.h"

#include <cmath>
#include <cstring>

namespace {

// A BMP file assembled field by field, for the malformed and hand-made cases.
struct BmpBuilder {
    int32_t Width = 2, Height = 2;
    uint16_t Planes = 1, BitCount = 24;
    uint32_t Compression = 0, SizeImage = 0, ClrUsed = 0, HeaderSize = 40;
    std::vector<uint8_t> Extra; // masks and colour table
    std::vector<uint8_t> Pixels;

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> b(14 + HeaderSize, 0);
        b[0] = 'B', b[1] = 'M';
        PutLE32(&b[10], static_cast<uint32_t>(14 + HeaderSize + Extra.size()));
        PutLE32(&b[14], HeaderSize);
        PutLE32(&b[18], static_cast<uint32_t>(Width));
        PutLE32(&b[22], static_cast<uint32_t>(Height));
        PutLE16(&b[26], Planes);
        PutLE16(&b[28], BitCount);
        PutLE32(&b[30], Compression);
        PutLE32(&b[34], SizeImage);
        PutLE32(&b[46], ClrUsed);
        b.insert(b.end(), Extra.begin(), Extra.end());
        b.insert(b.end(), Pixels.begin(), Pixels.end());
        return b;
    }
};

void appendLE32(std::vector<uint8_t>& v, uint32_t x) {
    uint8_t b[4];
    PutLE32(b, x);
    v.insert(v.end(), b, b + 4);
}

void loadBytes(TPixelGraphic& image, const std::vector<uint8_t>& bytes) {
    TBorrowedStream stream(bytes);
    image.LoadFromStream(stream);
}

std::string loadError(const std::vector<uint8_t>& bytes) {
    TPixelGraphic image;
    return ErrorOf([&] { loadBytes(image, bytes); });
}

// The channel value a 5- or 6-bit field k loads as: low bit set above the field, 0 stays 0.
uint8_t expandField(int k, int bits) {
    return k == 0 ? 0 : static_cast<uint8_t>(std::min(255, (k + 1) << (8 - bits)));
}

} // namespace

class BmpFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(BmpFixture, DecodesLikeTheIndependentDecoder) {
    const std::string name = GetParam();
    TPixelGraphic image;
    image.LoadFromFile(TestData("bmp/" + name + ".bmp"));
    EXPECT_TRUE(SamePixels(image, LoadReferencePPM(TestData("bmp/" + name + ".ppm"))));
}

INSTANTIATE_TEST_SUITE_P(Variants, BmpFixture,
                         ::testing::Values("im-24-v5", "im-24-v3", "im-8-v3", "im-8-rle", "im-4-v3",
                                           "im-1-v3", "im-8-v2", "im-32-v5", "netpbm-1", "netpbm-4",
                                           "netpbm-8", "netpbm-24", "netpbm-os2-1", "netpbm-os2-4",
                                           "netpbm-os2-8", "netpbm-os2-24", "rle4", "topdown-24",
                                           "gap-1"));

// 16-bit files differ from the other decoders on purpose: a field k becomes (k + 1) << shift
// rather than a rescaled k, as the channel rule says.
TEST(Bmp, SixteenBitFieldsFollowTheChannelRule) {
    struct Case {
        const char* File;
        int GreenBits;
    } cases[] = {{"im-16-555", 5}, {"im-16-565", 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        TPixelGraphic image;
        image.LoadFromFile(TestData(std::string("bmp/") + c.File + ".bmp"));
        const TRefImage ref = LoadReferencePPM(TestData(std::string("bmp/") + c.File + ".ppm"));
        TRefImage expected = ref;
        for (uint32_t& px : expected.Pixels) {
            auto field = [](uint8_t v, int bits) {
                return static_cast<int>(std::lround(v * ((1 << bits) - 1) / 255.0));
            };
            px = PGColor(expandField(field(PGRed(px), 5), 5),
                         expandField(field(PGGreen(px), c.GreenBits), c.GreenBits),
                         expandField(field(PGBlue(px), 5), 5));
        }
        EXPECT_TRUE(SamePixels(image, expected));
    }
}

TEST(Bmp, BitFieldMasks) {
    struct Case {
        const char* Name;
        uint16_t Bits;
        uint32_t Masks[3];
        uint32_t Pixel;
        uint32_t Expected;
    } cases[] = {
        {"default 5-5-5 all set is white", 16, {0, 0, 0}, 0x7FFF, PGColor(255, 255, 255)},
        {"default 5-5-5 ones", 16, {0, 0, 0}, 0x0421, PGColor(16, 16, 16)},
        {"zero mask is a zero channel", 16, {0x7C00, 0, 0x001F}, 0x7FFF, PGColor(255, 0, 255)},
        {"10-bit fields keep their top eight bits",
         32,
         {0x3FF00000, 0x000FFC00, 0x000003FF},
         (0x200u << 20) | (0x3FFu << 10) | 0x0FF,
         PGColor(0x80, 0xFF, 0x3F)},
        {"default 32 bit", 32, {0, 0, 0}, 0x00112233, PGColor(0x11, 0x22, 0x33)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BmpBuilder b;
        b.Width = 1, b.Height = 1, b.BitCount = c.Bits;
        if (c.Masks[0] || c.Masks[1] || c.Masks[2]) {
            b.Compression = 3;
            for (uint32_t m : c.Masks) appendLE32(b.Extra, m);
        }
        appendLE32(b.Pixels, c.Pixel);
        TPixelGraphic image;
        loadBytes(image, b.Build());
        EXPECT_EQ(image.GetPixelColor(0, 0), c.Expected);
    }
}

TEST(Bmp, BitFieldsWithoutStoredMasksReadTheDefaultsAndThePixelsFromTheOffset) {
    // Bit fields declared in a 40-byte header whose pixels start right after it, where the masks
    // would be.
    struct Case {
        uint16_t Bits;
        uint32_t Pixels[2];
        uint32_t Expected[2];
    } cases[] = {
        {16, {0x7FFF, 0x0421}, {PGColor(255, 255, 255), PGColor(16, 16, 16)}},
        {32, {0x00112233, 0x00FF0080}, {PGColor(0x11, 0x22, 0x33), PGColor(0xFF, 0, 0x80)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bits);
        BmpBuilder b;
        b.Width = 2, b.Height = 1, b.BitCount = c.Bits, b.Compression = 3;
        for (uint32_t p : c.Pixels) {
            uint8_t le[4];
            PutLE32(le, p);
            b.Pixels.insert(b.Pixels.end(), le, le + c.Bits / 8);
        }
        const std::vector<uint8_t> bytes = b.Build();
        ASSERT_EQ(GetLE32(&bytes[10]), 14u + 40u);
        TPixelGraphic image;
        EXPECT_EQ(ErrorOf([&] { loadBytes(image, bytes); }), "");
        EXPECT_EQ(image.GetPixelColor(0, 0), c.Expected[0]);
        EXPECT_EQ(image.GetPixelColor(1, 0), c.Expected[1]);
        TBorrowedStream stream(bytes);
        TPGImageInfo info;
        EXPECT_EQ(ErrorOf([&] { TBMPFileFormatReader().GetInfo(stream, 0, info); }), "");
        EXPECT_EQ(info.BitCount, c.Bits);
    }
}

TEST(Bmp, MalformedHeadersGiveTheirMessages) {
    struct Case {
        const char* Name;
        void (*Change)(BmpBuilder&);
        const char* Message;
    } cases[] = {
        {"header size", [](BmpBuilder& b) { b.HeaderSize = 64; },
         "BMP: Invalid size of BitmapInfoHeader/BitmapCoreHeader"},
        {"planes", [](BmpBuilder& b) { b.Planes = 2; }, "BMP: BitmapInfoHeader.biPlanes invalid"},
        {"bit count", [](BmpBuilder& b) { b.BitCount = 3; },
         "BMP: BitmapInfoHeader.biBitCount invalid"},
        {"RLE8 at 4 bits", [](BmpBuilder& b) { b.BitCount = 4, b.Compression = 1; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"RLE top-down", [](BmpBuilder& b) { b.BitCount = 8, b.Compression = 1, b.Height = -2; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"bit fields at 24 bits", [](BmpBuilder& b) { b.Compression = 3; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"height INT32_MIN", [](BmpBuilder& b) { b.Height = INT32_MIN; },
         "BMP: BitmapInfoHeader.biHeight invalid"},
        {"truncated pixels", [](BmpBuilder& b) { b.Pixels.resize(7); },
         "BMP: Unexpected end of file"},
        {"huge colours-used at 24 bits", [](BmpBuilder& b) { b.ClrUsed = 0xFFFFFFFF; },
         "BMP: Unexpected end of file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BmpBuilder b;
        b.Pixels.assign(16, 0x55);
        c.Change(b);
        EXPECT_EQ(loadError(b.Build()), c.Message);
    }
    std::vector<uint8_t> headerOnly = BmpBuilder().Build();
    headerOnly.resize(30);
    EXPECT_EQ(loadError(headerOnly), "BMP: Unexpected end of file");
}

TEST(Bmp, CoreHeaderChecks) {
    std::vector<uint8_t> b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0,  26, 0, 0, 0, 12,
                              0,   0,   0, 1, 0, 1, 0, 2, 0, 24, 0,  1, 2, 3, 0};
    EXPECT_EQ(loadError(b), "BMP: BitmapCoreHeader.bcPlanes invalid");
    b[22] = 1, b[24] = 16;
    EXPECT_EQ(loadError(b), "BMP: BitmapCoreHeader.bcBitCount invalid");
    b[24] = 24;
    TPixelGraphic image;
    loadBytes(image, b);
    EXPECT_EQ(image.GetPixelColor(0, 0), PGColor(3, 2, 1));
}

TEST(Bmp, FrameIndexOtherThanZeroIsRefused) {
    TPixelGraphic image;
    EXPECT_EQ(ErrorOf<EPGBMPFileFormatReader>(
                  [&] { image.LoadFromFile(TestData("bmp/netpbm-24.bmp"), 1); }),
              "BMP: Index invalid");
}

TEST(Bmp, PaletteSizeFollowsColoursUsed) {
    struct Case {
        uint32_t ClrUsed;
        int Expected;
    } cases[] = {{0, 256}, {2, 2}, {300, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ClrUsed);
        BmpBuilder b;
        b.BitCount = 8, b.ClrUsed = c.ClrUsed, b.Width = 4, b.Height = 1;
        const uint32_t entries = std::max<uint32_t>(c.ClrUsed, c.ClrUsed ? 0 : 256);
        for (uint32_t i = 0; i < entries; ++i) appendLE32(b.Extra, i == 1 ? 0xFFFFFF : 0);
        b.Pixels = {1, 0, 1, 0};
        TPixelGraphic image;
        loadBytes(image, b.Build());
        EXPECT_EQ(image.PaletteCount(), c.Expected);
        EXPECT_EQ(image.GetPixelColor(0, 0), 0xFFFFFFu);
    }
    BmpBuilder two;
    two.BitCount = 8, two.ClrUsed = 2, two.Width = 1, two.Height = 1;
    appendLE32(two.Extra, 0);
    appendLE32(two.Extra, 0xFFFFFF);
    two.Pixels = {0, 0, 0, 0};
    TPixelGraphic image;
    loadBytes(image, two.Build());
    EXPECT_EQ(image.PaletteIdent(), pBlackWhite) << "classified by its entries alone";
}

TEST(Bmp, RunLengthDataIsBoundedByTheStream) {
    struct Case {
        const char* Name;
        std::vector<uint8_t> Data;
        std::vector<uint8_t> Row; // bottom row after decoding
    } cases[] = {
        {"no end-of-bitmap code", {3, 7}, {7, 7, 7, 0}},
        {"absolute run longer than the data", {0, 4, 9, 8}, {9, 8, 0, 0}},
        {"delta at the very end", {1, 5, 0, 2, 1}, {5, 0, 0, 0}},
        {"run wider than the row", {9, 4}, {4, 4, 4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BmpBuilder b;
        b.BitCount = 8, b.Compression = 1, b.Width = 4, b.Height = 2, b.ClrUsed = 16;
        for (int i = 0; i < 16; ++i) appendLE32(b.Extra, static_cast<uint32_t>(i * 0x111111));
        b.Pixels = c.Data;
        TPixelGraphic image;
        loadBytes(image, b.Build());
        for (int x = 0; x < 4; ++x) EXPECT_EQ(image.GetPixel(x, 1), c.Row[x]) << "x " << x;
        for (int x = 0; x < 4; ++x) EXPECT_EQ(image.GetPixel(x, 0), 0u) << "top row x " << x;
    }
}

TEST(Bmp, GetInfoDescribesTheHeader) {
    struct Case {
        const char* File;
        const char* SubFormat;
        int BitCount;
        const char* Colors;
        int Width, Height;
    } cases[] = {
        {"im-24-v5", "Windows, RGB", 24, "16.7M", 13, 7},
        {"im-8-rle", "Windows, RLE8", 8, "256", 13, 7},
        {"rle4", "Windows, RLE4", 4, "16", 9, 4},
        {"im-16-565", "Windows", 16, "64K", 13, 7},
        {"netpbm-os2-8", "OS/2", 8, "256", 13, 7},
        {"topdown-24", "Windows, RGB, Top-Down", 24, "16.7M", 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        EXPECT_EQ(InfoOf(TestData(std::string("bmp/") + c.File + ".bmp")),
                  (TPGImageInfo{.FormatName = "Bitmap",
                                .ImageCount = 1,
                                .BitCount = c.BitCount,
                                .Colors = c.Colors,
                                .Height = c.Height,
                                .Width = c.Width,
                                .Options = "",
                                .SubFormat = c.SubFormat}));
    }
    TPGImageInfo info;
    EXPECT_FALSE(GetImageInfo(TestData("bmp/netpbm-24.bmp"), 1, info));
}

namespace {

// An image of the given format whose pixels use every index, palette of count entries.
TPixelGraphic& fillPattern(TPixelGraphic& image, uint8_t format, int width, int height) {
    image.SetSizeAndFormat(width, height, format);
    if (format != pf24Bit) {
        image.SetPaletteCount(image.ColorCount());
        for (int i = 0; i < image.ColorCount(); ++i)
            image.SetPaletteEntry(i, PGColor(i * 37, 255 - i * 11, i * 5));
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y,
                           format == pf24Bit ? PGColor(x * 20, y * 30, x * y)
                                             : static_cast<uint32_t>(x + y * width));
    return image;
}

} // namespace

TEST(Bmp, WriterRoundTripsEveryFormat) {
    for (uint8_t format : {pf1Bit, pf4Bit, pf8Bit, pf24Bit}) {
        SCOPED_TRACE(static_cast<int>(format));
        TPixelGraphic image;
        fillPattern(image, format, 7, 5);
        TMemoryStream stream;
        image.SaveToStreamAs(stream, ".BMP");
        stream.SetPosition(0);
        TPixelGraphic back;
        back.LoadFromStream(stream);
        EXPECT_EQ(back.PixelFormat(), format);
        EXPECT_EQ(back.PaletteCount(), image.PaletteCount());
        EXPECT_TRUE(SamePixels(back, ToReference(image)));
    }
}

TEST(Bmp, WriterCoversIndicesBeyondAShortPalette) {
    TPixelGraphic image;
    image.SetSizeAndFormat(3, 1, pf8Bit);
    image.SetPaletteCount(2);
    image.SetPaletteEntry(0, PGColor(10, 20, 30));
    image.SetPaletteEntry(1, PGColor(200, 100, 50));
    image.SetPixel(0, 0, 1);
    image.SetPixel(1, 0, 5);
    EXPECT_EQ(image.GetPixelColor(1, 0), PGColor(10, 20, 30)) << "beyond the palette: entry 0";
    TMemoryStream stream;
    image.SaveToStream(stream);
    EXPECT_EQ(GetLE32(&stream.Data()[46]), 6u);
    stream.SetPosition(0);
    TPixelGraphic back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.PaletteCount(), 6);
    EXPECT_TRUE(SamePixels(back, ToReference(image)));
}

TEST(Bmp, WrittenFilesDecodeInIndependentTools) {
    if (!ToolAvailable("bmptopnm") || !ToolAvailable("/usr/bin/convert"))
        GTEST_SKIP() << "netpbm or ImageMagick not installed";
    TTempDir dir;
    for (uint8_t format : {pf1Bit, pf4Bit, pf8Bit, pf24Bit}) {
        SCOPED_TRACE(static_cast<int>(format));
        TPixelGraphic image;
        fillPattern(image, format, 9, 4);
        image.SaveToFile(dir / "out.bmp");
        ASSERT_EQ(RunCommand("bmptopnm " + (dir / "out.bmp").string() + " 2>/dev/null | pnmtopnm " +
                             "| /usr/bin/convert - -depth 8 ppm:" + (dir / "netpbm.ppm").string()),
                  0);
        ASSERT_EQ(RunCommand("/usr/bin/convert " + (dir / "out.bmp").string() +
                             " -depth 8 ppm:" + (dir / "im.ppm").string()),
                  0);
        EXPECT_TRUE(SamePixels(image, LoadReferencePPM(dir / "netpbm.ppm")));
        EXPECT_TRUE(SamePixels(image, LoadReferencePPM(dir / "im.ppm")));
    }
}

TEST(Bmp, ProgressInTenthsAndAbortKeepsWhatWasRead) {
    TPixelGraphic source;
    fillPattern(source, pf24Bit, 20, 10);
    TMemoryStream stream;
    source.SaveToStream(stream);

    TPixelGraphic image;
    std::vector<int> steps;
    int starts = 0, ends = 0;
    image.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
    image.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
    image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        EXPECT_EQ(max, 10);
        steps.push_back(step);
        abort = step == 3;
    };
    stream.SetPosition(0);
    image.LoadFromStream(stream);
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    const int64_t piece = image.ImageSize() / 10;
    EXPECT_EQ(0, std::memcmp(image.Bits(), source.Bits(), 3 * piece));
    const std::vector<uint8_t> zeros(image.ImageSize() - 3 * piece, 0);
    EXPECT_EQ(0, std::memcmp(image.Bits() + 3 * piece, zeros.data(), zeros.size()));
}

namespace {

// A 24-bit file four pixels wide, so its rows of 12 bytes have no padding; file row r is red
// 20 * (r + 1). A negative height makes it top-down.
BmpBuilder redRows(int32_t height) {
    BmpBuilder b;
    b.Width = 4, b.Height = height;
    for (int r = 0; r < std::abs(height); ++r)
        for (int x = 0; x < 4; ++x) b.Pixels.insert(b.Pixels.end(), {0, 0, uint8_t(20 * (r + 1))});
    return b;
}

// The red of column 0 and of column 3 of each row, from the top.
std::vector<std::pair<int, int>> rowReds(const TPixelGraphic& image) {
    std::vector<std::pair<int, int>> reds;
    for (int y = 0; y < image.Height(); ++y)
        reds.emplace_back(PGRed(image.GetPixelColor(0, y)), PGRed(image.GetPixelColor(3, y)));
    return reds;
}

} // namespace

TEST(Bmp, AbortedLoadKeepsTheFileRowsWhereThePictureHasThem) {
    // Ten rows of 12 bytes are read in ten pieces of one row; the handler stops after three.
    struct Case {
        const char* Name;
        int32_t Height;
        std::vector<int> Reds; // from the top
    } cases[] = {
        {"bottom-up", 10, {0, 0, 0, 0, 0, 0, 0, 60, 40, 20}},
        {"top-down", -10, {20, 40, 60, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        image.OnProgress = [](TPixelGraphic&, int step, int, bool& abort) { abort = step == 3; };
        loadBytes(image, redRows(c.Height).Build());
        std::vector<std::pair<int, int>> expected;
        for (int red : c.Reds) expected.emplace_back(red, red);
        EXPECT_EQ(rowReds(image), expected);
    }
}

TEST(Bmp, PixelOffsetNearTheEndIsATruncatedFile) {
    // Four rows of 12 bytes behind a gap of 21 bytes, so the file after the headers is as long
    // as the pixels; from the offset on it holds two rows and one pixel of the third.
    struct Case {
        const char* Name;
        int32_t Height;
        std::vector<std::pair<int, int>> Reds; // columns 0 and 3, from the top
    } cases[] = {
        {"bottom-up", 4, {{0, 0}, {60, 0}, {40, 40}, {20, 20}}},
        {"top-down", -4, {{20, 20}, {40, 40}, {60, 0}, {0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BmpBuilder b = redRows(c.Height);
        b.Pixels.resize(27);
        b.Pixels.insert(b.Pixels.begin(), 21, 0xEE);
        std::vector<uint8_t> bytes = b.Build();
        PutLE32(&bytes[10], 14 + 40 + 21);
        TPixelGraphic image;
        EXPECT_EQ(ErrorOf([&] { loadBytes(image, bytes); }), "BMP: Unexpected end of file");
        EXPECT_EQ(rowReds(image), c.Reds);
    }
}

TEST(Bmp, ProgressEndsAlsoOnError) {
    BmpBuilder b;
    b.Width = 40, b.Height = 40;
    b.Pixels.resize(100);
    TPixelGraphic image;
    int ends = 0;
    image.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
    const auto bytes = b.Build();
    TBorrowedStream stream(bytes);
    EXPECT_THROW(image.LoadFromStream(stream), EPGBMPFileFormatReader);
    EXPECT_EQ(ends, 1);
}

TEST(Bmp, ClipboardPackedDib) {
    TPixelGraphic image;
    fillPattern(image, pf4Bit, 5, 3);
    uint32_t format = 0;
    const std::vector<uint8_t> block = image.SaveToClipboardFormat(format);
    EXPECT_EQ(format, CF_DIB);
    EXPECT_EQ(block.size(), 40 + 4 * 16 + static_cast<size_t>(image.ImageSize()));
    TPixelGraphic back;
    back.LoadFromClipboardFormat(CF_DIB, block);
    EXPECT_TRUE(SamePixels(back, ToReference(image)));

    std::vector<uint8_t> shortBlock(block.begin(), block.begin() + 60);
    EXPECT_EQ(
        ErrorOf<EPGBMPFileFormatReader>([&] { back.LoadFromClipboardFormat(CF_DIB, shortBlock); }),
        "BMP: Unexpected end of file");
    EXPECT_THROW(back.LoadFromClipboardFormat(2, block), EPGUnknownClipboardFormat);
    EXPECT_THROW(back.LoadFromClipboardFormat(CF_DIB, {}), EPGUnknownClipboardFormat);
}

TEST(Bmp, HeaderOf108BytesReadsItsMasks) {
    BmpBuilder b;
    b.HeaderSize = 108, b.Width = 1, b.Height = 1, b.BitCount = 16, b.Compression = 3;
    std::vector<uint8_t> bytes = b.Build();
    PutLE32(&bytes[14 + 40], 0xF800); // 5-6-5 masks inside the header
    PutLE32(&bytes[14 + 44], 0x07E0);
    PutLE32(&bytes[14 + 48], 0x001F);
    PutLE32(&bytes[10], 14 + 108);
    appendLE32(bytes, 0xFFFF);
    TPixelGraphic image;
    loadBytes(image, bytes);
    EXPECT_EQ(image.GetPixelColor(0, 0), PGColor(255, 255, 255));
}
