#include "png_format.h"
#include "test_support.h"

#include <algorithm>
#include <cctype>

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

std::filesystem::path Png(const std::string& name) {
    return TestData("png/" + name);
}

// The background the references were composited onto when a file names none.
constexpr uint32_t referenceBackground = PGColor(0x33, 0x66, 0xCC);

// A test name from a fixture name: letters and digits kept, everything else '_'.
std::string NameOf(std::string file) {
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return file;
}

// A stream that fails beyond its first 40 bytes, as a failing disk would.
class TFailingStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    int64_t Read(void* buffer, int64_t count) override {
        if (Position() + count > limit) throw EStreamError("disk gone");
        return TMemoryStream::Read(buffer, count);
    }
    int64_t Write(const void* buffer, int64_t count) override {
        if (Position() + count > limit) throw EStreamError("disk gone");
        return TMemoryStream::Write(buffer, count);
    }

private:
    static constexpr int64_t limit = 40;
};

struct FixtureCase {
    const char* Name;
    uint8_t Format;
    TPaletteIdent Ident; // checked for grey files only
};

class PngFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(PngFixture, DecodesAsPngtopamDoes) {
    const FixtureCase& c = GetParam();
    TPixelGraphic image;
    image.SetBackGroundColor(referenceBackground);
    image.LoadFromFile(Png(std::string(c.Name) + ".png"));
    EXPECT_EQ(image.PixelFormat(), c.Format);
    if (c.Ident != pNone) {
        EXPECT_EQ(image.PaletteIdent(), c.Ident);
    }
    EXPECT_TRUE(SamePixels(image, LoadReferencePPM(Png(std::string(c.Name) + ".ppm"))));
}

INSTANTIATE_TEST_SUITE_P(
    Files, PngFixture,
    ::testing::Values(
        FixtureCase{"grey-1", pf1Bit, pBlackWhite}, FixtureCase{"grey-2", pf4Bit, pGray4},
        FixtureCase{"grey-4", pf4Bit, pGray16}, FixtureCase{"grey-8", pf8Bit, pGray256},
        FixtureCase{"grey-16", pf8Bit, pGray256}, FixtureCase{"palette-1", pf1Bit, pNone},
        FixtureCase{"palette-2", pf4Bit, pNone}, FixtureCase{"palette-4", pf4Bit, pNone},
        FixtureCase{"palette-8", pf8Bit, pNone}, FixtureCase{"rgb-8", pf24Bit, pNone},
        FixtureCase{"rgb-16", pf24Bit, pNone}, FixtureCase{"greyalpha-8", pf8Bit, pGray256},
        FixtureCase{"greyalpha-16", pf8Bit, pGray256}, FixtureCase{"rgba-8", pf24Bit, pNone},
        FixtureCase{"rgba-16", pf24Bit, pNone}, FixtureCase{"grey-2-interlaced", pf4Bit, pGray4},
        FixtureCase{"rgb-8-interlaced", pf24Bit, pNone},
        FixtureCase{"palette-4-interlaced", pf4Bit, pNone},
        FixtureCase{"grey-4-trns", pf4Bit, pGray16}, FixtureCase{"grey-8-trns", pf8Bit, pGray256},
        FixtureCase{"grey-16-trns", pf8Bit, pGray256}, FixtureCase{"rgb-8-trns", pf24Bit, pNone},
        FixtureCase{"palette-8-trns", pf8Bit, pNone},
        FixtureCase{"greyalpha-8-bkgd", pf8Bit, pGray256},
        FixtureCase{"grey-16-trns-bkgd", pf8Bit, pGray256},
        FixtureCase{"rgba-8-bkgd", pf24Bit, pNone}, FixtureCase{"palette-4-bkgd", pf4Bit, pNone},
        FixtureCase{"chunks", pf4Bit, pNone}),
    [](const auto& info) { return NameOf(info.param.Name); });

TEST(PngReader, TransparentPartsTakeTheImagesBackgroundWithoutBkgd) {
    TPixelGraphic image;
    image.SetBackGroundColor(PGColor(255, 255, 255));
    image.LoadFromFile(Png("rgba-8.png"));
    EXPECT_TRUE(SamePixels(image, LoadReferencePPM(Png("rgba-8.white.ppm"))));
    EXPECT_EQ(image.BackGroundColor(), PGColor(255, 255, 255));
}

TEST(PngReader, BkgdBecomesTheImagesBackground) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"greyalpha-8-bkgd.png", PGColor(200, 200, 200)}, // 8-bit samples taken as they are
        {"grey-16-trns-bkgd.png", PGColor(43, 43, 43)},   // 0x2B80 of 65535
        {"rgba-8-bkgd.png", PGColor(250, 128, 10)},
        {"palette-4-bkgd.png", PGColor((9 * 71) % 256, (9 * 151 + 40) % 256, 255 - 9 * 23)},
    };
    for (const auto& [file, colour] : cases) {
        TPixelGraphic image;
        image.LoadFromFile(Png(file));
        EXPECT_EQ(image.BackGroundColor(), colour) << file;
    }
}

TEST(PngReader, TwoBitGreyWidensToFourBitsWithValuesZeroToThree) {
    TPixelGraphic image;
    image.LoadFromFile(Png("grey-2.png"));
    ASSERT_EQ(image.PaletteIdent(), pGray4);
    // The fixture's samples are (7x + 11y) mod 4.
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            ASSERT_EQ(image.GetPixel(x, y), static_cast<uint32_t>((7 * x + 11 * y) % 4));
}

TEST(PngReader, GammaOfTheFileBecomesTheImagesGamma) {
    const std::pair<const char*, long double> cases[] = {
        {"gamma-1.png", 1.0L}, {"chunks.png", 1 / 0.45455L}, {"rgb-8.png", DisplayGamma}};
    for (const auto& [file, gamma] : cases) {
        TPixelGraphic image;
        TFileStream stream(Png(file), TFileStream::fmOpenRead);
        TPNGFileFormatReader().ReadImage(stream, image, 0);
        EXPECT_NEAR(static_cast<double>(image.Gamma()), static_cast<double>(gamma), 1e-4) << file;
    }
}

TEST(PngProgress, InterlacedFilesReportSevenPassesAndAbortKeepsWhatWasRead) {
    const std::pair<const char*, int> cases[] = {{"rgb-8.png", 9}, {"rgb-8-interlaced.png", 63}};
    for (const auto& [file, max] : cases) {
        TPixelGraphic image;
        std::vector<int> steps;
        image.OnProgress = [&, max = max](TPixelGraphic&, int step, int m, bool&) {
            EXPECT_EQ(m, max);
            steps.push_back(step);
        };
        image.LoadFromFile(Png(file));
        ASSERT_EQ(static_cast<int>(steps.size()), max) << file;
        EXPECT_EQ(steps.back(), max - 1) << file;
    }
    // Stopped after the first pass: only every eighth pixel of every eighth row is there.
    TPixelGraphic image;
    image.OnProgress = [](TPixelGraphic&, int step, int, bool& abort) { abort = step == 8; };
    image.LoadFromFile(Png("rgb-8-interlaced.png"));
    const TRefImage full = LoadReferencePPM(Png("rgb-8-interlaced.ppm"));
    EXPECT_EQ(image.GetPixelColor(8, 8), full.At(8, 8));
    EXPECT_EQ(image.GetPixelColor(1, 0), 0u);
}

struct InfoCase {
    const char* File;
    int BitCount;
    const char* Colors;
    const char* SubFormat;
    const char* Options;
};

class PngInfo : public ::testing::TestWithParam<InfoCase> {};

TEST_P(PngInfo, DescribesTheHeaderChunks) {
    const InfoCase& c = GetParam();
    EXPECT_EQ(InfoOf(Png(c.File)), (TPGImageInfo{.FormatName = "Portable Network Graphics",
                                                 .ImageCount = 1,
                                                 .BitCount = c.BitCount,
                                                 .Colors = c.Colors,
                                                 .Height = 9,
                                                 .Width = 13,
                                                 .Options = c.Options,
                                                 .SubFormat = c.SubFormat}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, PngInfo,
    ::testing::Values(InfoCase{"grey-1.png", 1, "2", "GrayScale", ""},
                      InfoCase{"grey-2-interlaced.png", 2, "4", "GrayScale, interlaced", ""},
                      InfoCase{"grey-4-trns.png", 4, "16", "GrayScale", "(trns)"},
                      InfoCase{"grey-16.png", 16, "64K?", "GrayScale", ""},
                      InfoCase{"palette-8.png", 8, "256", "palette", "(plte)"},
                      InfoCase{"greyalpha-8-bkgd.png", 16, "64K?", "GrayScale, alpha", "(bkgd)"},
                      InfoCase{"rgb-8-interlaced.png", 24, "16.7M", "RGB, interlaced", ""},
                      InfoCase{"rgba-8.png", 32, "16.7M?", "RGB, alpha", ""},
                      InfoCase{"rgb-16.png", 48, "?", "RGB", ""},
                      InfoCase{"gamma-1.png", 24, "16.7M", "RGB", "(gama)"},
                      InfoCase{"offs.png", 8, "256", "GrayScale", ""},
                      InfoCase{"chunks.png", 4, "16", "palette",
                               "(gama, sbit, chrm, plte, trns, bkgd, hist, phys, offs, time)"}),
    [](const auto& info) { return NameOf(info.param.File); });

void PutBE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// One chunk with its length and checksum (zlib comes with the PNG library).
std::vector<uint8_t> Chunk(const char* type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out(4);
    PutBE32(out.data(), static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out.data() + 4), out.size() - 4);
    out.resize(out.size() + 4);
    PutBE32(out.data() + out.size() - 4, static_cast<uint32_t>(crc));
    return out;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const std::vector<uint8_t> signature = {137, 80, 78, 71, 13, 10, 26, 10};

std::vector<uint8_t> Ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t type) {
    std::vector<uint8_t> d(13, 0);
    PutBE32(d.data(), width);
    PutBE32(d.data() + 4, height);
    d[8] = depth;
    d[9] = type;
    return Chunk("IHDR", d);
}

std::vector<uint8_t> Idat(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> packed(compressBound(raw.size()));
    uLongf size = packed.size();
    compress(packed.data(), &size, raw.data(), raw.size());
    packed.resize(size);
    return Chunk("IDAT", packed);
}

// A 4 x 2 grey picture: two rows of filter byte and samples.
std::vector<uint8_t> SmallGrey(std::vector<uint8_t> extra = {}) {
    return Concat({signature, Ihdr(4, 2, 8, 0), extra, Idat({0, 10, 20, 30, 40, 0, 50, 60, 70, 80}),
                   Chunk("IEND", {})});
}

TEST(PngReader, DamagedFilesGiveTheLibrarysMessage) {
    std::vector<uint8_t> badCrc = SmallGrey();
    badCrc[8 + 8 + 12] ^= 1; // last byte of the IHDR data
    std::vector<uint8_t> cut = SmallGrey();
    cut.resize(cut.size() - 20);
    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        {signature, "PNG: Unexpected end of file"},
        {badCrc, "PNG: IHDR: CRC error"},
        {cut, "PNG: Unexpected end of file"},
        {Concat({signature, Ihdr(0, 2, 8, 0)}), "PNG: Invalid IHDR data"},
        {Concat({signature, Ihdr(4, 2, 3, 0)}), "PNG: Invalid IHDR data"},
        {Concat({signature, Ihdr(4, 2, 8, 0), Idat({0, 1}), Chunk("IEND", {})}),
         "PNG: Not enough image data"},
    };
    for (const auto& [bytes, message] : cases) {
        TPixelGraphic image;
        image.SetReadWarningAction(pgwaIgnore);
        EXPECT_EQ(ErrorOf<EPGPNGFileFormatReaderWriter>([&] {
                      TMemoryStream stream(bytes);
                      image.LoadFromStream(stream);
                  }),
                  message);
    }
}

TEST(PngReader, WarningsFollowTheImagesAction) {
    // An ancillary chunk with a wrong checksum is a warning; the picture still loads.
    std::vector<uint8_t> text = Chunk("tEXt", {'a', 0, 'b'});
    text.back() ^= 1;
    const std::vector<uint8_t> bytes = SmallGrey(text);
    std::vector<std::string> shown;
    SetPGWarningBox([&](const std::string& caption, const std::string& message, bool withCancel) {
        shown.push_back(caption + "|" + message + "|" + (withCancel ? "cancel" : "ok"));
        return false;
    });
    auto load = [&](TPGWarningAction action) {
        TPixelGraphic image;
        image.SetReadWarningAction(action);
        TMemoryStream stream(bytes);
        image.LoadFromStream(stream);
        return image.GetPixelColor(3, 1);
    };
    EXPECT_EQ(load(pgwaIgnore), PGColor(80, 80, 80));
    EXPECT_EQ(load(pgwaOKBox), PGColor(80, 80, 80));
    EXPECT_EQ(ErrorOf<EPGPNGFileFormatReaderWriter>([&] { load(pgwaOKCancelBox); }),
              "PNG: Operation aborted on user request");
    EXPECT_EQ(ErrorOf<EPGPNGFileFormatReaderWriter>([&] { load(pgwaRaise); }),
              "PNG: tEXt: CRC error");
    EXPECT_EQ(shown, (std::vector<std::string>{"PNG Warning|tEXt: CRC error|ok",
                                               "PNG Warning|tEXt: CRC error|cancel"}));
    SetPGWarningBox(nullptr);
}

TEST(PngReader, StreamErrorsPassThroughAndIndexIsChecked) {
    TFailingStream stream(ReadFileBytes(Png("rgb-8.png")));
    TPixelGraphic image;
    EXPECT_THROW(image.LoadFromStream(stream), EStreamError);
    TPGImageInfo info;
    EXPECT_EQ(ErrorOf<EPGPNGFileFormatReaderWriter>(
                  [&] { TPNGFileFormatReader().ReadImage(stream, image, 1); }),
              "PNG: Index invalid");
    EXPECT_EQ(ErrorOf<EPGPNGFileFormatReaderWriter>(
                  [&] { TPNGFileFormatReader().GetInfo(stream, 1, info); }),
              "PNG: Invalid value for Index");
}

// One image of each resolution class, with a pattern that uses every colour of its palette.
struct WriterCase {
    const char* Name;
    uint8_t Format;
    TPaletteIdent Ident; // pUnknown: an own palette
    const char* SubFormat;
};

std::unique_ptr<TPixelGraphic> MakeImage(const WriterCase& c) {
    auto image = std::make_unique<TPixelGraphic>();
    image->SetSizeAndFormat(23, 7, c.Format);
    if (c.Ident == pUnknown) {
        image->SetPaletteCount(image->ColorCount());
        for (int i = 0; i < image->ColorCount(); ++i)
            image->SetPaletteEntry(i, PGColor(i * 37 % 256, 255 - i, i * 11 % 256));
    } else {
        image->SetPaletteIdent(c.Ident);
    }
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 23; ++x) {
            const uint32_t v = static_cast<uint32_t>(x * 7 + y * 23);
            image->SetPixel(
                x, y, c.Format == pf24Bit ? PGColor(v, v * 3, 255 - v) : v % image->ColorCount());
        }
    return image;
}

class PngWriter : public ::testing::TestWithParam<WriterCase> {};

TEST_P(PngWriter, WritesEveryClassAsItIs) {
    const WriterCase& c = GetParam();
    const std::unique_ptr<TPixelGraphic> image = MakeImage(c);
    TTempDir dir;
    const auto file = dir / "out.png";
    image->SaveToFile(file);

    TPixelGraphic back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.PixelFormat(), c.Format);
    EXPECT_TRUE(SamePixels(back, ToReference(*image)));
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(file, 0, info));
    EXPECT_EQ(info.SubFormat, c.SubFormat);
    EXPECT_EQ(info.BitCount, back.BitCount());

    if (ToolAvailable("pngcheck")) {
        EXPECT_EQ(RunCommand("pngcheck -q " + file.string()), 0);
    }
    if (ToolAvailable("/usr/bin/convert")) {
        ASSERT_EQ(RunCommand("/usr/bin/convert " + file.string() +
                             " -depth 8 ppm:" + (dir / "im.ppm").string()),
                  0);
        EXPECT_TRUE(SamePixels(back, LoadReferencePPM(dir / "im.ppm")));
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, PngWriter,
                         ::testing::Values(WriterCase{"BlackWhite", pf1Bit, pBlackWhite, "palette"},
                                           WriterCase{"TwoColours", pf1Bit, pUnknown, "palette"},
                                           WriterCase{"Grey16", pf4Bit, pGray16, "palette"},
                                           WriterCase{"System16", pf4Bit, pSys16, "palette"},
                                           WriterCase{"Colours16", pf4Bit, pUnknown, "palette"},
                                           WriterCase{"Grey256", pf8Bit, pGray256, "GrayScale"},
                                           WriterCase{"Colours256", pf8Bit, pUnknown, "palette"},
                                           WriterCase{"TrueColour", pf24Bit, pTrueColor, "RGB"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PngWriterFaults, ShortPaletteIsPaddedToTheIndicesInUse) {
    TPixelGraphic image;
    image.SetSizeAndFormat(4, 1, pf4Bit);
    image.SetPaletteCount(3);
    for (int i = 0; i < 3; ++i) image.SetPaletteEntry(i, PGColor(10 * i + 5, 0, 200));
    image.SetPixel(0, 0, 1);
    image.SetPixel(1, 0, 9);
    TMemoryStream stream;
    TPNGFileFormatWriter().WriteImage(stream, image);
    stream.SetPosition(0);
    TPixelGraphic back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.PaletteCount(), 10);
    EXPECT_EQ(back.GetPixel(1, 0), 9u);
    EXPECT_TRUE(SamePixels(back, ToReference(image)));
}

TEST(PngWriterFaults, GammaIsTheImagesSoFilesReadBackUncorrected) {
    TPixelGraphic image;
    image.SetSizeAndFormat(3, 1, pf24Bit);
    image.SetPixelColor(1, 0, PGColor(100, 128, 30));
    TMemoryStream stream;
    TPNGFileFormatWriter().WriteImage(stream, image);
    const std::vector<uint8_t>& bytes = stream.Data();
    const std::vector<uint8_t> gama = Chunk("gAMA", {0, 0, 0xB1, 0x8F}); // 45455: 1/2.2
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), gama.begin(), gama.end()), bytes.end());
    stream.SetPosition(0);
    TPixelGraphic back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.GetPixelColor(1, 0), PGColor(100, 128, 30));
}

TEST(PngWriterFaults, FailuresComeBackAsExceptions) {
    TPixelGraphic image;
    image.SetSizeAndFormat(64, 64, pf24Bit);
    TFailingStream failing;
    EXPECT_THROW(TPNGFileFormatWriter().WriteImage(failing, image), EStreamError);
    TPixelGraphic empty;
    TMemoryStream sink;
    EXPECT_EQ(ErrorOf<EPGPNGFileFormatReaderWriter>(
                  [&] { TPNGFileFormatWriter().WriteImage(sink, empty); }),
              "PNG: Invalid IHDR data");
}

TEST(PngWriterFaults, ReportsEveryRowAndIgnoresAbort) {
    TPixelGraphic image;
    image.SetSizeAndFormat(5, 4, pf8Bit);
    image.SetPaletteIdent(pGray256);
    std::vector<int> steps;
    image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        EXPECT_EQ(max, 3);
        steps.push_back(step);
        abort = step == 1; // not honoured: the file must be complete
    };
    TMemoryStream stream;
    TPNGFileFormatWriter().WriteImage(stream, image);
    EXPECT_EQ(steps, (std::vector<int>{0, 1}));
    stream.SetPosition(0);
    TPixelGraphic back;
    back.LoadFromStream(stream); // complete, or the library would raise
    EXPECT_EQ(back.Height(), 4);
}

} // namespace
