#include "format_registry.h"
#include "pxm_format.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string loadError(TPixelGraphic& img, const std::string& text) {
    TMemoryStream s(bytesOf(text));
    return ErrorOf<EPGPxMFileFormatReader>([&] { img.LoadFromStream(s); });
}

std::string loadError(const std::string& text) {
    TPixelGraphic img;
    return loadError(img, text);
}

// Pixel values row by row: palette indices, or packed colours for 24-bit images.
std::vector<uint32_t> pixelsOf(const TPixelGraphic& img) {
    std::vector<uint32_t> v;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) v.push_back(img.GetPixel(x, y));
    return v;
}

std::string written(TPixelGraphic& img, const std::string& extension) {
    TMemoryStream s;
    img.SaveToStreamAs(s, extension);
    return {s.Data().begin(), s.Data().end()};
}

// 5 x 2 pictures of each kind the writers take.
std::unique_ptr<TPixelGraphic> sampleImage(const std::string& extension) {
    auto img = std::make_unique<TPixelGraphic>();
    const uint8_t format = extension == "pbm" ? pf1Bit : extension == "pgm" ? pf8Bit : pf24Bit;
    img->SetSizeAndFormat(5, 2, format);
    if (format == pf1Bit) img->SetPaletteIdent(pBlackWhite);
    if (format == pf8Bit) img->SetPaletteIdent(pGray256);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint32_t v = format == pf1Bit   ? (x + y) % 2
                               : format == pf8Bit ? 60 * x + 7 * y
                                                  : PGColor(60 * x, 255 - 9 * y, 3 * x * y);
            img->SetPixel(x, y, v);
        }
    return img;
}

} // namespace

TEST(PxMReader, DecodesLikeNetpbm) {
    const char* names[] = {
        "plain.pbm",           "raw.pbm",      "plain.pgm",          "raw.pgm",
        "plain.ppm",           "raw.ppm",      "plain-max15.pgm",    "raw-max15.pgm",
        "plain-max7.ppm",      "raw-max7.ppm", "plain-max65535.pgm", "im-comment.ppm",
        "im-plain-comment.pgm"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        TPixelGraphic img;
        img.LoadFromFile(TestData(std::string("pnm/") + name));
        EXPECT_TRUE(
            SamePixels(img, LoadReferencePPM(TestData(std::string("pnm/") + name + ".ppm"))));
    }
}

TEST(PxMReader, SampleValues) {
    const struct {
        const char* What;
        const char* Text;
        std::vector<uint32_t> Pixels;
    } cases[] = {
        {"plain bitmap digits without separators", "P1\n3 2\n101\n010", {0, 1, 0, 1, 0, 1}},
        {"plain bitmap digits with separators", "P1 3 2 1 0 1 0 1 0", {0, 1, 0, 1, 0, 1}},
        {"comments between numbers", "P2 #a\n2#b\n 1 # c\n 15\n15 7", {255, 119}},
        {"values above the maximum are clamped",
         "P2 3 1 15 16 18446744073709551623 0",
         {255, 255, 0}},
        {"maximum 65535", "P2 3 1 65535 65535 32768 1", {255, 128, 0}},
        {"plain pixel map", "P3 1 1 7 7 3 0", {PGColor(255, 109, 0)}},
        {"raw grey values above the maximum", "P5 3 1 100\n\x64\x32\xC8", {255, 128, 255}},
        {"raw bitmap bits past the width", "P4 3 1\n\x5F", {1, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TPixelGraphic img;
        ASSERT_EQ(loadError(img, c.Text), "");
        EXPECT_EQ(pixelsOf(img), c.Pixels);
    }
    TPixelGraphic bits;
    ASSERT_EQ(loadError(bits, "P4 3 1\n\x5F"), "");
    EXPECT_EQ(bits.ScanLine(0)[0], 0xA0) << "bits past the width are cleared";
}

TEST(PxMReader, RowsLongerThanTheReadBlock) {
    // 150 000-byte rows: each is read partly from the block buffer, partly past it.
    const int width = 50000;
    std::string text = "P6 " + std::to_string(width) + " 2 255\n";
    TRefImage expected{width, 2, {}};
    for (int i = 0; i < 2 * width; ++i) {
        const uint8_t r = uint8_t(i * 7), g = uint8_t(i >> 3), b = uint8_t(i % 251);
        text += {char(r), char(g), char(b)};
        expected.Pixels.push_back(PGColor(r, g, b));
    }
    TPixelGraphic img;
    ASSERT_EQ(loadError(img, text), "");
    EXPECT_TRUE(SamePixels(img, expected));
}

TEST(PxMReader, RefusesDamagedFiles) {
    const std::string unsupported = "PBM, PGM, PPM: Not supported subformat",
                      eof = "PBM, PGM, PPM: Unexpected end of file";
    const struct {
        const char* What;
        std::string Text;
        std::string Message;
    } cases[] = {
        {"width 0", "P2 0 1 255 ", unsupported},
        {"height 0", "P5 1 0 255 ", unsupported},
        {"maximum 0", "P2 1 1 0 0", unsupported},
        {"maximum 65536", "P3 1 1 65536 1 2 3", unsupported},
        {"raw maximum 256", "P5 1 1 256 ab", unsupported},
        {"raw maximum 65535", "P6 1 1 65535 abcdef", unsupported},
        {"width beyond 32 bits", "P6 99999999999 1 255 abc", unsupported},
        {"width beyond 64 bits", "P5 18446744073709551617 1 255 a", unsupported},
        {"header ends early", "P2 3", eof},
        {"short raw rows", "P6 2 1 255\nabcde", eof},
        // 60000 x 60000 at 24 bits would need 10 GB; the file cannot hold it.
        {"far more pixels than data", "P6 60000 60000 255\nabc", eof},
        {"far more samples than text", "P3 60000 60000 255\n1 2 3", eof},
        // Both sides at the 32-bit limit: the text needed exceeds 64 bits.
        {"samples beyond 64 bits", "P3 2147483647 2147483647 255\n1 2 3", eof},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(loadError(c.Text), c.Message);
    }
    const std::pair<const char*, const char*> signatures[] = {
        {"Q6 1 1 255 abc", "PBM, PGM, PPM: Not a PBM, PGM, PPM file"},
        {"P7 1 1 255 abc", "PBM, PGM, PPM: Unknown subformat"}};
    for (const auto& [text, message] : signatures) {
        TMemoryStream s(bytesOf(text));
        TPixelGraphic img;
        EXPECT_EQ(
            ErrorOf<EPGPxMFileFormatReader>([&] { TPPMFileFormatReader().ReadImage(s, img, 0); }),
            message)
            << text;
    }
    TMemoryStream s(bytesOf("P6 1 1 255 abc"));
    TPixelGraphic img;
    EXPECT_EQ(ErrorOf<EPGPxMFileFormatReader>([&] { TPPMFileFormatReader().ReadImage(s, img, 1); }),
              "PxM: Index invalid");
}

TEST(PxMReader, TruncatedFileKeepsTheRowsRead) {
    TPixelGraphic img;
    EXPECT_EQ(loadError(img, "P2 2 3 255\n10 20\n30 40\n5"),
              "PBM, PGM, PPM: Unexpected end of file");
    ASSERT_EQ(img.Height(), 3);
    const std::vector<uint32_t> pixels = pixelsOf(img);
    EXPECT_EQ(std::vector<uint32_t>(pixels.begin(), pixels.begin() + 4),
              (std::vector<uint32_t>{10, 20, 30, 40}));
}

TEST(PxMReader, ShortRawFileKeepsItsRowsDownToAnEighthOfThePixels) {
    // 3 x 16 raw grey: 48 bytes of pixels, 3 to a row; an eighth of them is two rows.
    const std::string header = "P5 3 16 255\n";
    std::string pixels;
    for (int i = 0; i < 48; ++i) pixels += char(i + 1);
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
        EXPECT_EQ(loadError(img, header + pixels.substr(0, c.Kept)),
                  "PBM, PGM, PPM: Unexpected end of file");
        if (c.Refused) {
            EXPECT_TRUE(img.Empty()) << "refused before allocating";
            continue;
        }
        ASSERT_EQ(img.Height(), 16);
        for (size_t y = 0; y < 16; ++y) {
            const std::vector<uint8_t> row(img.ScanLine(int(y)), img.ScanLine(int(y)) + 3);
            const size_t from = 3 * y;
            // The row the data ends in is not checked.
            if (from < c.Kept && from + 3 > c.Kept) continue;
            const std::vector<uint8_t> expected =
                from < c.Kept ? std::vector<uint8_t>(&pixels[from], &pixels[from] + 3)
                              : std::vector<uint8_t>(3, 0);
            EXPECT_EQ(row, expected) << "row " << y;
        }
    }
}

TEST(PxMReader, ReportsEachRowAndStopsOnAbort) {
    TPixelGraphic img;
    std::vector<std::pair<int, int>> steps;
    img.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        steps.emplace_back(step, max);
        abort = step == 1;
    };
    ASSERT_EQ(loadError(img, "P5 1 4 255\nabcd"), "");
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}}));
    EXPECT_EQ(pixelsOf(img), (std::vector<uint32_t>{'a', 'b', 0, 0}));
}

TEST(PxMReader, GetInfo) {
    const struct {
        const char* Name;
        const char* FormatName;
        const char* SubFormat;
        int BitCount;
        const char* Colors;
    } cases[] = {
        {"plain.pbm", "Portable Bitmap", "ASCII", 1, "2"},
        {"raw.pbm", "Portable Bitmap", "Binary", 1, "2"},
        {"plain.pgm", "Portable Graymap", "ASCII", 8, "256"},
        {"raw.pgm", "Portable Graymap", "Binary", 8, "256"},
        {"plain.ppm", "Portable Pixelmap", "ASCII", 24, "16.7M"},
        {"im-comment.ppm", "Portable Pixelmap", "Binary", 24, "16.7M"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(InfoOf(TestData(std::string("pnm/") + c.Name)),
                  (TPGImageInfo{.FormatName = c.FormatName,
                                .ImageCount = 1,
                                .BitCount = c.BitCount,
                                .Colors = c.Colors,
                                .Height = 7,
                                .Width = 13,
                                .Options = "",
                                .SubFormat = c.SubFormat}));
    }
    TMemoryStream s(bytesOf("P6 1 1 255 abc"));
    TPGImageInfo info;
    EXPECT_EQ(ErrorOf<EPGPxMFileFormatReader>([&] { TPPMFileFormatReader().GetInfo(s, 1, info); }),
              "PBM, PGM, PPM: Invalid value for Index");
}

TEST(PxMWriter, WritesPlainText) {
    EXPECT_EQ(written(*sampleImage("pbm"), "pbm"), "P1\n5 2\n1 0 1 0 1\n0 1 0 1 0\n");
    EXPECT_EQ(written(*sampleImage("pgm"), "pgm"),
              "P2\n5 2\n255\n0 60 120 180 240\n7 67 127 187 247\n");
    EXPECT_EQ(written(*sampleImage("ppm"), "ppm"),
              "P3\n5 2\n255\n0 255 0 60 255 0 120 255 0 180 255 0 240 255 0\n"
              "0 246 0 60 246 3 120 246 6 180 246 9 240 246 12\n");
}

TEST(PxMWriter, TrueColourSavedAsBitmapIsConverted) {
    auto img = sampleImage("ppm");
    img->SetSaveColorResWarningAction(pgwaIgnore);
    const std::string text = written(*img, "pbm");
    ASSERT_EQ(text.substr(0, 7), "P1\n5 2\n");
    EXPECT_EQ(text.find_first_not_of("01 \n", 7), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin() + 7, text.end(), '\n'), 2);
}

TEST(PxMWriter, RefusesWhatItCannotWrite) {
    const auto writeError = [](const TFileFormatWriter& writer, TPixelGraphic& img) -> std::string {
        TMemoryStream s;
        return ErrorOf<EPGPxMFileFormatWriter>([&] { writer.WriteImage(s, img); });
    };
    TPixelGraphic grey, empty;
    grey.SetSizeAndFormat(2, 2, pf8Bit);
    grey.SetPaletteIdent(pGray256);
    TPixelGraphic colours;
    colours.SetSizeAndFormat(2, 2, pf8Bit);
    colours.SetPaletteIdent(pSpecial216);
    EXPECT_EQ(writeError(TPBMFileFormatWriter(), grey), "PBM: Invalid color resolution");
    EXPECT_EQ(writeError(TPGMFileFormatWriter(), colours), "PGM: Invalid color resolution");
    EXPECT_EQ(writeError(TPPMFileFormatWriter(), grey), "PPM: Invalid color resolution");
    EXPECT_EQ(writeError(TPPMFileFormatWriter(), empty), "PBM, PGM, PPM: Width = 0 or Height = 0");
    const TPXMFileFormatWriter pnm("TPNMFileFormatWriter", "pnm", "Portable Anymap",
                                   PGAllResolutions, false);
    EXPECT_EQ(writeError(pnm, grey), "PBM, PGM, PPM: Unknown file extension \"pnm\"");
}

TEST(PxMWriter, OtherDecodersAgree) {
    for (const char* tool : {"pnmtopnm", "ppmtoppm", "/usr/bin/convert"})
        if (!ToolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
    TTempDir dir;
    const std::string ppm = (dir / "theirs.ppm").string();
    for (const char* extension : {"pbm", "pgm", "ppm"}) {
        auto img = sampleImage(extension);
        const std::string ours = (dir / (std::string("ours.") + extension)).string();
        img->SaveToFile(ours);
        const std::string commands[] = {"pnmtopnm < " + ours + " | ppmtoppm > " + ppm,
                                        "/usr/bin/convert " + ours + " -depth 8 ppm:" + ppm};
        for (const std::string& command : commands) {
            SCOPED_TRACE(command);
            ASSERT_EQ(RunCommand(command + " 2>/dev/null"), 0);
            EXPECT_TRUE(SamePixels(*img, LoadReferencePPM(ppm)));
        }
    }
}
