#include "format_registry.h"
#include "test_support.h"
#include "tga_format.h"

#include <gtest/gtest.h>

namespace {

struct TgaLayout {
    uint8_t ColorMapType = 0;
    uint8_t ImageType = 2;
    uint16_t MapFirst = 0;
    uint16_t MapLength = 0;
    uint8_t MapEntryBits = 0;
    uint16_t Width = 1;
    uint16_t Height = 1;
    uint8_t Depth = 24;
    uint8_t Descriptor = 0;
};

std::vector<uint8_t> tgaFile(const TgaLayout& l, const std::vector<uint8_t>& rest) {
    std::vector<uint8_t> f(18, 0);
    f[1] = l.ColorMapType, f[2] = l.ImageType;
    PutLE16(&f[3], l.MapFirst);
    PutLE16(&f[5], l.MapLength);
    f[7] = l.MapEntryBits;
    PutLE16(&f[12], l.Width);
    PutLE16(&f[14], l.Height);
    f[16] = l.Depth, f[17] = l.Descriptor;
    f.insert(f.end(), rest.begin(), rest.end());
    return f;
}

// Loads as a .tga file.
std::string loadError(TPixelGraphic& img, const std::vector<uint8_t>& bytes) {
    TMemoryStream s(bytes);
    return ErrorOf<EPGTGAFileFormatReader>([&] { PGLoadImage(PGRegistry(), img, s, "tga", 0); });
}

std::string loadError(const std::vector<uint8_t>& bytes) {
    TPixelGraphic img;
    return loadError(img, bytes);
}

TRefImage tgaReference(const std::string& name) {
    return LoadReferencePPM(TestData("tga/" + name + ".ppm"));
}

// Our 5-bit channels are k shl 3; the tools scale k to k x 255 / 31.
TRefImage fiveBitChannels(TRefImage ref) {
    for (uint32_t& c : ref.Pixels) {
        const auto channel = [](uint32_t v) { return ((v * 31 + 127) / 255) << 3; };
        c = PGColor(channel(PGRed(c)), channel(PGGreen(c)), channel(PGBlue(c)));
    }
    return ref;
}

// An 8-bit image with a few palette colours, and a 24-bit one, both of odd width.
std::unique_ptr<TPixelGraphic> sampleImage(uint8_t format) {
    auto img = std::make_unique<TPixelGraphic>();
    img->SetSizeAndFormat(5, 3, format);
    if (format == pf8Bit) {
        img->SetPaletteCount(3);
        img->SetPaletteEntry(0, PGColor(10, 20, 30));
        img->SetPaletteEntry(1, PGColor(200, 100, 0));
        img->SetPaletteEntry(2, PGColor(0, 255, 77));
    }
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            img->SetPixel(x, y,
                          format == pf8Bit ? (x + y) % 3 : PGColor(40 * x, 90 * y, 255 - 50 * x));
    img->ClassifyPalette();
    return img;
}

} // namespace

TEST(TGAReader, DecodesLikeImageMagick) {
    const char* names[] = {
        "netpbm-cmap",    "netpbm-cmap-rle",    "netpbm-mono",   "netpbm-mono-rle",
        "netpbm-rgb-rle", "netpbm-rgb-id",      "im-TopLeft",    "im-TopLeft-rle",
        "im-TopRight",    "im-TopRight-rle",    "im-BottomLeft", "im-BottomLeft-rle",
        "im-BottomRight", "im-BottomRight-rle", "im-32",         "im-32-rle"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        TPixelGraphic img;
        img.LoadFromFile(TestData(std::string("tga/") + name + ".tga"));
        EXPECT_TRUE(SamePixels(img, tgaReference(name)));
    }
    TPixelGraphic mono;
    mono.LoadFromFile(TestData("tga/netpbm-mono.tga"));
    EXPECT_EQ(mono.PaletteIdent(), pGray256);
}

TEST(TGAReader, FiveBitChannelsAreShiftedNotScaled) {
    for (const char* name : {"im-16", "im-16-rle", "netpbm-cmap16-rle"}) {
        SCOPED_TRACE(name);
        TPixelGraphic img;
        img.LoadFromFile(TestData(std::string("tga/") + name + ".tga"));
        EXPECT_TRUE(SamePixels(img, fiveBitChannels(tgaReference(name))));
    }
}

TEST(TGAReader, FoundByExtensionOnly) {
    TTempDir dir;
    const std::vector<uint8_t> bytes = ReadFileBytes(TestData("tga/im-TopLeft.tga"));
    WriteFileBytes(dir / "a.TGA", bytes);
    WriteFileBytes(dir / "a.tg", bytes);
    TPixelGraphic img;
    img.LoadFromFile(dir / "a.TGA");
    EXPECT_TRUE(SamePixels(img, tgaReference("im-TopLeft")));
    EXPECT_THROW(img.LoadFromFile(dir / "a.tg"), EPGUnknownFileFormat);
    TMemoryStream s(bytes);
    EXPECT_THROW(img.LoadFromStream(s), EPGUnknownFileFormat);
}

TEST(TGAReader, ColourMapFillsPositionsFromItsFirstIndex) {
    const struct {
        const char* What;
        uint8_t EntryBits;
        std::vector<uint8_t> Map;
    } cases[] = {
        {"24-bit entries", 24, {0, 0, 248, 248, 0, 0}},
        {"16-bit entries", 16, {0x00, 0x7C, 0x1F, 0x00}},
        {"15-bit entries", 15, {0x00, 0x7C, 0x1F, 0x00}},
        {"32-bit entries", 32, {0, 0, 248, 9, 248, 0, 0, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        // Map positions 2 and 3, then the pixels 2, 3, 3 right after the map.
        std::vector<uint8_t> rest = c.Map;
        rest.insert(rest.end(), {2, 3, 3});
        TPixelGraphic img;
        ASSERT_EQ(loadError(img, tgaFile({.ColorMapType = 1,
                                          .ImageType = 1,
                                          .MapFirst = 2,
                                          .MapLength = 2,
                                          .MapEntryBits = c.EntryBits,
                                          .Width = 3,
                                          .Depth = 8},
                                         rest)),
                  "");
        EXPECT_EQ(img.PaletteCount(), 4);
        EXPECT_EQ(img.GetPixelColor(0, 0), PGColor(248, 0, 0));
        EXPECT_EQ(img.GetPixelColor(2, 0), PGColor(0, 0, 248));
    }
    // A colour map before true-colour pixels is skipped by its whole size.
    TPixelGraphic rgb;
    ASSERT_EQ(
        loadError(rgb,
                  tgaFile({.ColorMapType = 1, .MapFirst = 5, .MapLength = 2, .MapEntryBits = 16},
                          {9, 9, 9, 9, 30, 20, 10})),
        "");
    EXPECT_EQ(rgb.GetPixelColor(0, 0), PGColor(10, 20, 30));
}

TEST(TGAReader, RunsCarryOverIntoTheNextRow) {
    // 3 x 2 grey, bottom row first: a run of four 10s, then literals 20 and 30, then a run
    // longer than the picture, which is cut.
    TPixelGraphic img, tail;
    ASSERT_EQ(loadError(img, tgaFile({.ImageType = 11, .Width = 3, .Height = 2, .Depth = 8},
                                     {0x83, 10, 0x01, 20, 30})),
              "");
    EXPECT_EQ(std::vector<uint8_t>(img.ScanLine(0), img.ScanLine(0) + 3),
              (std::vector<uint8_t>{10, 20, 30}));
    EXPECT_EQ(std::vector<uint8_t>(img.ScanLine(1), img.ScanLine(1) + 3),
              (std::vector<uint8_t>{10, 10, 10}));
    ASSERT_EQ(loadError(tail, tgaFile({.ImageType = 11, .Width = 3, .Height = 2, .Depth = 8},
                                      {0x01, 1, 2, 0xFF, 7})),
              "");
    EXPECT_EQ(tail.GetPixel(2, 0), 7u);
    EXPECT_EQ(tail.GetPixel(0, 1), 1u);
}

TEST(TGAReader, RefusesDamagedFiles) {
    const std::string eof = "TGA: Unexpected end of file";
    const struct {
        const char* What;
        std::vector<uint8_t> Bytes;
        std::string Message;
    } cases[] = {
        {"depth 15", tgaFile({.Depth = 15}, {1, 2}), "TGA: Not supported subformat"},
        {"8-bit map entries",
         tgaFile({.ColorMapType = 1, .ImageType = 1, .MapLength = 1, .MapEntryBits = 8, .Depth = 8},
                 {1, 0}),
         "TGA: Not supported subformat"},
        {"no image data", tgaFile({.ImageType = 0}, {1, 2, 3}), "TGA: Invalid value for ImageType"},
        {"compressed colour-mapped type 32", tgaFile({.ImageType = 32}, {1, 2, 3}),
         "TGA: Invalid value for ImageType"},
        {"width 0", tgaFile({.Width = 0}, {}), "TGA: Width = 0 or Height = 0"},
        {"short header", std::vector<uint8_t>(17, 0), eof},
        {"short ID field",
         [] {
             auto f = tgaFile({}, {1, 2, 3});
             f[0] = 9;
             return f;
         }(),
         eof},
        {"short colour map",
         tgaFile(
             {.ColorMapType = 1, .ImageType = 1, .MapLength = 4, .MapEntryBits = 24, .Depth = 8},
             {1, 2, 3}),
         eof},
        {"short raw pixels", tgaFile({.Width = 2}, {1, 2, 3, 4, 5}), eof},
        {"short packets", tgaFile({.ImageType = 10, .Width = 4}, {0x03, 1, 2, 3, 4, 5, 6}), eof},
        // 65535 x 65535 at 24 bits would need 12 GB; the file cannot hold it.
        {"far more pixels than data", tgaFile({.Width = 65535, .Height = 65535}, {1, 2, 3}), eof},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(loadError(c.Bytes), c.Message);
    }
    TPixelGraphic img;
    TMemoryStream s(tgaFile({}, {1, 2, 3}));
    EXPECT_EQ(ErrorOf<EPGTGAFileFormatReader>([&] { TTGAFileFormatReader().ReadImage(s, img, 1); }),
              "TGA: Index invalid");
}

TEST(TGAReader, TruncatedFileKeepsTheRowsRead) {
    // 2 x 4 run-length true colour, bottom row first; packets for two rows only.
    TPixelGraphic img;
    EXPECT_EQ(loadError(img, tgaFile({.ImageType = 10, .Width = 2, .Height = 4},
                                     {0x81, 1, 2, 3, 0x81, 4, 5, 6})),
              "TGA: Unexpected end of file");
    ASSERT_EQ(img.Height(), 4);
    EXPECT_EQ(img.GetPixelColor(1, 3), PGColor(3, 2, 1));
    EXPECT_EQ(img.GetPixelColor(1, 2), PGColor(6, 5, 4));
    EXPECT_EQ(img.GetPixelColor(1, 1), 0u);
}

TEST(TGAReader, ShortRawFileKeepsItsRowsDownToAnEighthOfThePixels) {
    // 3 x 16 raw grey, bottom row first: 48 bytes of pixels, 3 to a row; an eighth of them is
    // two rows.
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 48; ++i) pixels.push_back(uint8_t(i + 1));
    const struct {
        const char* What;
        size_t Kept;
        bool Refused;
    } cases[] = {{"one byte short", 47, false},
                 {"an eighth left", 6, false},
                 {"less than an eighth", 5, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TPixelGraphic img;
        const std::vector<uint8_t> kept(pixels.begin(), pixels.begin() + c.Kept);
        EXPECT_EQ(
            loadError(img, tgaFile({.ImageType = 3, .Width = 3, .Height = 16, .Depth = 8}, kept)),
            "TGA: Unexpected end of file");
        if (c.Refused) {
            EXPECT_TRUE(img.Empty()) << "refused before allocating";
            continue;
        }
        ASSERT_EQ(img.Height(), 16);
        for (size_t r = 0; r < 16; ++r) {
            const uint8_t* line = img.ScanLine(15 - int(r));
            const std::vector<uint8_t> row(line, line + 3);
            const size_t from = 3 * r;
            // The row the data ends in is not checked.
            if (from < c.Kept && from + 3 > c.Kept) continue;
            const std::vector<uint8_t> expected =
                from < c.Kept ? std::vector<uint8_t>(&pixels[from], &pixels[from] + 3)
                              : std::vector<uint8_t>(3, 0);
            EXPECT_EQ(row, expected) << "file row " << r;
        }
    }
}

TEST(TGAReader, GetInfo) {
    const struct {
        uint8_t Type, Depth;
        const char *SubFormat, *Options, *Colors;
    } cases[] = {
        {1, 8, "Uncompressed", "Color-mapped", "256"},
        {2, 16, "Uncompressed", "True-color", "65536"},
        {3, 8, "Uncompressed", "\"Black-and-white\"", "256"},
        {9, 8, "Run-length encoded", "Color-mapped", "256"},
        {10, 24, "Run-length encoded", "True-color", "16.7M"},
        {11, 8, "Run-length encoded", "\"Black-and-white\"", "256"},
        {2, 32, "Uncompressed", "True-color", "16.7M ?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.Type));
        TMemoryStream s(
            tgaFile({.ImageType = c.Type, .Width = 300, .Height = 200, .Depth = c.Depth}, {}));
        TPGImageInfo info;
        TTGAFileFormatReader().GetInfo(s, 0, info);
        EXPECT_EQ(info.SubFormat, c.SubFormat);
        EXPECT_EQ(info.Options, c.Options);
        EXPECT_EQ(info.Colors, c.Colors);
        EXPECT_EQ(info.BitCount, c.Depth);
        EXPECT_EQ(info.Width, 300);
        EXPECT_EQ(info.Height, 200);
        EXPECT_EQ(info.ImageCount, 1);
    }
    const std::pair<TgaLayout, int> errors[] = {{{.ImageType = 0}, 0}, {{}, 1}};
    const char* messages[] = {"TGA: Invalid value for ImageType", "TGA: Invalid value for Index"};
    for (int i = 0; i < 2; ++i) {
        TMemoryStream s(tgaFile(errors[i].first, {}));
        TPGImageInfo info;
        EXPECT_EQ(ErrorOf<EPGTGAFileFormatReader>(
                      [&] { TTGAFileFormatReader().GetInfo(s, errors[i].second, info); }),
                  messages[i]);
    }
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(TestData("tga/netpbm-cmap-rle.tga"), 0, info));
    EXPECT_EQ(info.FormatName, "Truevision Targa");
}

TEST(TGAWriter, WritesBottomUpRowsAndTheWholeMap) {
    // Two palette entries, but a pixel uses index 3: the map covers every index in use.
    TPixelGraphic img;
    img.SetSizeAndFormat(2, 2, pf8Bit);
    img.SetPaletteCount(2);
    img.SetPaletteEntry(0, PGColor(1, 2, 3));
    img.SetPaletteEntry(1, PGColor(4, 5, 6));
    img.SetPixel(0, 0, 1);
    img.SetPixel(1, 1, 3);
    TMemoryStream s;
    TTGAFileFormatWriter().WriteImage(s, img);
    const std::vector<uint8_t> expected = {
        0, 1, 1, 0, 0, 4, 0, 24, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0, // header
        3, 2, 1, 6, 5, 4, 3, 2,  1, 3, 2, 1,                   // map, blue green red
        0, 3, 1, 0};                                           // bottom row first
    EXPECT_EQ(s.Data(), expected);

    TPixelGraphic rgb;
    rgb.SetSizeAndFormat(1, 2, pf24Bit);
    rgb.SetPixel(0, 0, PGColor(10, 20, 30));
    TMemoryStream t;
    TTGAFileFormatWriter().WriteImage(t, rgb);
    EXPECT_EQ(t.Data(), (std::vector<uint8_t>{0, 0, 2, 0, 0,  0, 0, 0, 0, 0,  0,  0,
                                              1, 0, 2, 0, 24, 0, 0, 0, 0, 30, 20, 10}));
}

TEST(TGAWriter, RoundTripsThroughTheReader) {
    for (uint8_t format : {pf8Bit, pf24Bit}) {
        SCOPED_TRACE(int(format));
        auto img = sampleImage(format);
        TMemoryStream s;
        img->SaveToStreamAs(s, "tga");
        TPixelGraphic back;
        s.SetPosition(0);
        PGLoadImage(PGRegistry(), back, s, "tga", 0);
        EXPECT_EQ(back.BitCount(), img->BitCount());
        EXPECT_TRUE(SamePixels(back, ToReference(*img)));
    }
}

TEST(TGAWriter, AbortKeepsTheTargetFile) {
    TTempDir dir;
    const auto target = dir / "old.tga";
    WriteFileBytes(target, {'o', 'l', 'd'});
    auto img = sampleImage(pf24Bit);
    img->OnProgress = [](TPixelGraphic&, int step, int, bool& abort) { abort = step == 1; };
    EXPECT_EQ(ErrorOf<EPGTGAFileFormatReader>([&] { img->SaveToFile(target); }),
              "TGA: Operation aborted on user request");
    EXPECT_EQ(ReadFileBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST(TGAWriter, OtherDecodersAgree) {
    const struct {
        const char* Tool;
        const char* Command; // %1 the TGA file, %2 the PPM to write
    } decoders[] = {{"tgatoppm", "tgatoppm %1 > %2"},
                    {"/usr/bin/convert", "/usr/bin/convert %1 -auto-orient -depth 8 ppm:%2"}};
    for (const auto& d : decoders) {
        if (!ToolAvailable(d.Tool)) GTEST_SKIP() << d.Tool << " is not installed";
    }
    TTempDir dir;
    for (uint8_t format : {pf8Bit, pf24Bit}) {
        auto img = sampleImage(format);
        const std::string tga = (dir / "ours.tga").string(), ppm = (dir / "theirs.ppm").string();
        img->SaveToFile(tga);
        for (const auto& d : decoders) {
            SCOPED_TRACE(std::string(d.Tool) + " on " + std::to_string(img->BitCount()) + " bits");
            std::string command = d.Command;
            command.replace(command.find("%1"), 2, tga);
            command.replace(command.find("%2"), 2, ppm);
            ASSERT_EQ(RunCommand(command + " 2>/dev/null"), 0);
            EXPECT_TRUE(SamePixels(*img, LoadReferencePPM(ppm)));
        }
    }
}
