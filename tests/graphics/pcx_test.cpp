#include "format_registry.h"
#include "pcx_format.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

struct PcxLayout {
    uint8_t Version = 5;
    uint8_t Bits = 8;
    uint8_t Planes = 1;
    uint16_t Width = 4;
    uint16_t Height = 1;
    uint16_t BytesPerLine = 4;
    uint16_t PaletteInfo = 1;
    uint8_t Reserved = 0;
    uint16_t XMin = 0;
};

// A PCX file around the given encoded data; 8-bit files get a grey trailing palette.
std::vector<uint8_t> pcxFile(const PcxLayout& l, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> f(128, 0);
    f[0] = 0x0A, f[1] = l.Version, f[2] = 1, f[3] = l.Bits;
    PutLE16(&f[4], l.XMin);
    PutLE16(&f[8], static_cast<uint16_t>(l.XMin + l.Width - 1));
    PutLE16(&f[10], static_cast<uint16_t>(l.Height - 1));
    f[64] = l.Reserved, f[65] = l.Planes;
    PutLE16(&f[66], l.BytesPerLine);
    PutLE16(&f[68], l.PaletteInfo);
    f.insert(f.end(), data.begin(), data.end());
    if (l.Bits == 8 && l.Planes == 1) {
        f.push_back(12);
        for (int i = 0; i < 256; ++i) f.insert(f.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    }
    return f;
}

std::string loadError(TPixelGraphic& img, const std::vector<uint8_t>& bytes) {
    TMemoryStream s(bytes);
    return ErrorOf<EPGPCXFileFormatReader>([&] { img.LoadFromStream(s); });
}

std::string loadError(const std::vector<uint8_t>& bytes) {
    TPixelGraphic img;
    return loadError(img, bytes);
}

std::vector<uint8_t> row(const TPixelGraphic& img, int y, int bytes) {
    return {img.ScanLine(y), img.ScanLine(y) + bytes};
}

} // namespace

TEST(PCXReader, DecodesLikeNetpbm) {
    const struct {
        const char* Name;
        int BitCount;
    } cases[] = {{"bw-1", 1},     {"planes-4", 4}, {"pal-8", 8},
                 {"offset-8", 8}, {"rgb-24", 24},  {"wide-24", 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic img;
        img.LoadFromFile(TestData(std::string("pcx/") + c.Name + ".pcx"));
        EXPECT_EQ(img.BitCount(), c.BitCount);
        EXPECT_TRUE(
            SamePixels(img, LoadReferencePPM(TestData(std::string("pcx/") + c.Name + ".ppm"))));
    }
}

TEST(PCXReader, BitsBeyondTheWidthAreCleared) {
    TPixelGraphic bw, planes;
    // 1 bit, width 3: two bytes of 0xFF per line, only the first belongs to the row.
    ASSERT_EQ(loadError(bw, pcxFile({.Bits = 1, .Width = 3, .BytesPerLine = 2}, {0xC2, 0xFF})), "");
    EXPECT_EQ(row(bw, 0, 4), (std::vector<uint8_t>{0xE0, 0, 0, 0}));
    // 4 planes, width 3: every plane all ones gives pixels of 15, the fourth nibble cleared.
    ASSERT_EQ(loadError(planes, pcxFile({.Bits = 1, .Planes = 4, .Width = 3, .BytesPerLine = 2},
                                        {0xC8, 0xFF})),
              "");
    EXPECT_EQ(row(planes, 0, 4), (std::vector<uint8_t>{0xFF, 0xF0, 0, 0}));
}

TEST(PCXReader, RunIsCutAtTheEndOfTheLine) {
    // Width 5 in 6-byte lines: a run of 63 two bytes before the end fills those two only.
    TPixelGraphic img;
    ASSERT_EQ(loadError(img, pcxFile({.Width = 5, .Height = 2, .BytesPerLine = 6},
                                     {1, 2, 3, 4, 0xFF, 9, 10, 11, 12, 13, 14, 15})),
              "");
    EXPECT_EQ(row(img, 0, 5), (std::vector<uint8_t>{1, 2, 3, 4, 9}));
    EXPECT_EQ(row(img, 1, 5), (std::vector<uint8_t>{10, 11, 12, 13, 14}));
}

TEST(PCXReader, Version3ShowsTheSystemColours) {
    std::vector<uint8_t> bytes = ReadFileBytes(TestData("pcx/planes-4.pcx"));
    TPixelGraphic own, system;
    ASSERT_EQ(loadError(own, bytes), "");
    bytes[1] = 3;
    ASSERT_EQ(loadError(system, bytes), "");
    EXPECT_EQ(system.PaletteIdent(), pSys16);
    const std::vector<uint32_t>& sys16 = PredefinedPalette(pSys16);
    for (int y = 0; y < own.Height(); ++y)
        for (int x = 0; x < own.Width(); ++x)
            ASSERT_EQ(system.GetPixelColor(x, y), sys16[own.GetPixel(x, y)]) << x << "," << y;
}

TEST(PCXReader, RefusesDamagedFiles) {
    const std::string unknown = "PCX: Unknown subformat", eof = "PCX: Unexpected end of file";
    std::vector<uint8_t> noMarker = pcxFile({}, {1, 2, 3, 4});
    noMarker[noMarker.size() - 769] = 11;
    const auto cut = [](std::vector<uint8_t> bytes, size_t size) {
        bytes.resize(size);
        return bytes;
    };
    const struct {
        const char* What;
        std::vector<uint8_t> Bytes;
        std::string Message;
    } cases[] = {
        {"palette info 2", pcxFile({.PaletteInfo = 2}, {1, 2, 3, 4}), unknown},
        {"reserved byte set", pcxFile({.Reserved = 1}, {1, 2, 3, 4}), unknown},
        {"8 bits in 2 planes", pcxFile({.Planes = 2, .BytesPerLine = 4}, {1, 2, 3, 4}), unknown},
        {"2 bits", pcxFile({.Bits = 2}, {1, 2, 3, 4}), unknown},
        {"xmax before xmin", pcxFile({.Width = 0, .XMin = 5}, {1, 2, 3, 4}), unknown},
        {"lines shorter than the width", pcxFile({.Width = 5, .BytesPerLine = 4}, {1, 2, 3, 4, 5}),
         unknown},
        {"no palette marker", noMarker, unknown},
        {"too short for the palette", cut(pcxFile({}, {}), 700), unknown},
        {"short header", cut(pcxFile({.Bits = 1}, {}), 100), eof},
        {"data ends inside a line", pcxFile({.Bits = 1, .Width = 16, .BytesPerLine = 2}, {0x55}),
         eof},
        // 65535 x 65535 at 24 bits would need 12 GB; the file cannot hold it.
        {"far more pixels than data",
         pcxFile({.Planes = 3, .Width = 65535, .Height = 65535, .BytesPerLine = 65535}, {1, 2}),
         eof},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(loadError(c.Bytes), c.Message);
    }
    TPixelGraphic img;
    TMemoryStream s(pcxFile({}, {1, 2, 3, 4}));
    EXPECT_EQ(ErrorOf<EPGPCXFileFormatReader>([&] { TPCXFileFormatReader().ReadImage(s, img, 1); }),
              "PCX: Index invalid");
}

TEST(PCXReader, TruncatedFileKeepsTheRowsRead) {
    // 24 bits, 2 x 5: three whole lines of literal bytes, then the data ends.
    std::vector<uint8_t> data;
    for (uint8_t r = 0; r < 3; ++r)
        for (uint8_t v : {10, 11, 20, 21, 30, 31}) data.push_back(static_cast<uint8_t>(v + r));
    TPixelGraphic img;
    EXPECT_EQ(
        loadError(img, pcxFile({.Planes = 3, .Width = 2, .Height = 5, .BytesPerLine = 2}, data)),
        "PCX: Unexpected end of file");
    ASSERT_EQ(img.Height(), 5);
    EXPECT_EQ(img.GetPixelColor(1, 2), PGColor(13, 23, 33));
    EXPECT_EQ(img.GetPixelColor(0, 3), 0u);
}

TEST(PCXReader, SignatureChecksVersionEncodingAndBits) {
    const auto header = [](std::initializer_list<uint8_t> first) {
        TPGHeader h{};
        std::copy(first.begin(), first.end(), h.begin());
        return h;
    };
    const TPCXFileFormatReader reader;
    EXPECT_TRUE(reader.IsFormat(header({0x0A, 5, 1, 8})));
    EXPECT_TRUE(reader.IsFormat(header({0x0A, 0, 0, 1})));
    EXPECT_FALSE(reader.IsFormat(header({0x0A, 0, 2, 0}))) << "TGA with a 10-byte ID field";
    EXPECT_FALSE(reader.IsFormat(header({0x0A, 1, 1, 8}))) << "version 1";
    EXPECT_FALSE(reader.IsFormat(header({0x0A, 5, 2, 8}))) << "encoding 2";
    EXPECT_FALSE(reader.IsFormat(header({0x0A, 5, 1, 3}))) << "3 bits";
    EXPECT_FALSE(reader.IsFormat(header({0x0B, 5, 1, 8})));
}

TEST(PCXReader, GetInfo) {
    const struct {
        const char* Name;
        int BitCount;
        const char* Colors;
        int Width;
    } files[] = {{"bw-1", 1, "2", 13},
                 {"planes-4", 4, "16", 13},
                 {"pal-8", 8, "256", 13},
                 {"rgb-24", 24, "16.7M", 13},
                 {"wide-24", 24, "16.7M", 70}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.Name);
        EXPECT_EQ(InfoOf(TestData(std::string("pcx/") + f.Name + ".pcx")),
                  (TPGImageInfo{.FormatName = "Paintbrush",
                                .ImageCount = 1,
                                .BitCount = f.BitCount,
                                .Colors = f.Colors,
                                .Height = f.Name[0] == 'w' ? 6 : 7,
                                .Width = f.Width,
                                .Options = "",
                                .SubFormat = "Version 3.0 (5)"}));
    }
    const std::pair<uint8_t, const char*> versions[] = {{0, "Version 2.5 (0)"},
                                                        {2, "Version 2.8 (2) with Palette"},
                                                        {3, "Version 2.8 (3) without Palette"},
                                                        {4, ""}};
    for (const auto& [version, text] : versions) {
        TMemoryStream s(pcxFile({.Version = version}, {1, 2, 3, 4}));
        TPGImageInfo info;
        TPCXFileFormatReader().GetInfo(s, 0, info);
        EXPECT_EQ(info.SubFormat, text);
    }
    TMemoryStream s(pcxFile({}, {1, 2, 3, 4}));
    TPGImageInfo info;
    EXPECT_EQ(ErrorOf<EPGPCXFileFormatReader>([&] { TPCXFileFormatReader().GetInfo(s, 1, info); }),
              "PCX: Invalid value for Index");
}

TEST(PCXReader, ReportsEachRowAndStopsOnAbort) {
    TPixelGraphic img;
    std::vector<std::pair<int, int>> steps;
    int starts = 0, ends = 0;
    img.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
    img.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
    img.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        steps.emplace_back(step, max);
        abort = step == 2;
    };
    img.LoadFromFile(TestData("pcx/rgb-24.pcx"));
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 7}, {1, 7}, {2, 7}}));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    const TRefImage ref = LoadReferencePPM(TestData("pcx/rgb-24.ppm"));
    EXPECT_EQ(img.GetPixelColor(4, 2), ref.At(4, 2));
    EXPECT_EQ(img.GetPixelColor(4, 3), 0u) << "rows after the abort stay empty";
}
