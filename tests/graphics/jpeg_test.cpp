#include "jpeg_format.h"
#include "test_support.h"

#include <algorithm>
#include <cctype>

#include <gtest/gtest.h>

namespace {

std::filesystem::path Jpeg(const std::string& name) {
    return TestData("jpeg/" + name);
}

TRefImage Reference(const std::string& name) {
    return LoadReferencePPM(Jpeg(name));
}

std::vector<uint8_t> FixtureBytes(const std::string& name) {
    return ReadFileBytes(Jpeg(name));
}

// A test name from a fixture name: letters and digits kept, everything else '_'.
std::string NameOf(std::string file) {
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return file;
}

void LoadBytes(TPixelGraphic& image, std::vector<uint8_t> bytes) {
    TMemoryStream stream(std::move(bytes));
    image.LoadFromStream(stream);
}

// Restores the writer settings and the warning box a test changes.
class JpegTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetJPEGQuality(80);
        SetJPEGProgressive(false);
        SetPGWarningBox(nullptr);
    }
};

// A stream that fails beyond its first 100 bytes, as a failing disk would.
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
    static constexpr int64_t limit = 100;
};

// Stripes of pure colours, one per 16-pixel block column so subsampling keeps them pure.
void FillStripes(TPixelGraphic& image, int width, int height) {
    image.SetSizeAndFormat(width, height, pf24Bit);
    const uint32_t colours[] = {PGColor(255, 0, 0), PGColor(0, 255, 0), PGColor(0, 0, 255),
                                PGColor(250, 200, 20)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.SetPixelColor(x, y, colours[(x / 16) % 4]);
}

// Away from the stripes' edges, where the decoder's chroma interpolation blends neighbours.
int LargestChannelDifference(const TPixelGraphic& a, const TPixelGraphic& b) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 4; x < a.Width(); x += (x % 16 == 11) ? 9 : 1) {
            const uint32_t p = a.GetPixelColor(x, y), q = b.GetPixelColor(x, y);
            worst = std::max({worst, std::abs(PGRed(p) - PGRed(q)),
                              std::abs(PGGreen(p) - PGGreen(q)), std::abs(PGBlue(p) - PGBlue(q))});
        }
    return worst;
}

struct FixtureCase {
    const char* File;
    const char* Expected;
    bool FastLoad;
};

class JpegFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(JpegFixture, DecodesAsDjpegDoes) {
    const FixtureCase& c = GetParam();
    TPixelGraphic image;
    image.SetFastLoad(c.FastLoad);
    image.SetReadWarningAction(pgwaIgnore);
    image.LoadFromFile(Jpeg(c.File));
    EXPECT_TRUE(SamePixels(image, Reference(c.Expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Files, JpegFixture,
    ::testing::Values(FixtureCase{"baseline.jpg", "baseline.ppm", false},
                      FixtureCase{"baseline.jpg", "baseline.dct-fast.ppm", true},
                      FixtureCase{"progressive.jpg", "progressive.ppm", false},
                      FixtureCase{"restart.jpg", "restart.ppm", false},
                      FixtureCase{"sample-1x1.jpg", "sample-1x1.ppm", false},
                      FixtureCase{"sample-2x1.jpg", "sample-2x1.ppm", false},
                      FixtureCase{"sample-1x2.jpg", "sample-1x2.ppm", false},
                      FixtureCase{"sample-4x1.jpg", "sample-4x1.ppm", false},
                      FixtureCase{"rgb.jpg", "rgb.ppm", false},
                      // The warning is ignored; the missing rows are filled as djpeg fills them.
                      FixtureCase{"truncated.jpg", "truncated.ppm", false}),
    [](const auto& info) { return NameOf(info.param.Expected); });

// ImageMagick's -auto-orient of the same file made the references.
class JpegOrientation : public ::testing::TestWithParam<int> {};

TEST_P(JpegOrientation, LoadsUpright) {
    const std::string base = "orient-" + std::to_string(GetParam());
    TPixelGraphic image;
    image.LoadFromFile(Jpeg(base + ".jpg"));
    EXPECT_TRUE(SamePixels(image, Reference(base + ".ppm")));
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(Jpeg(base + ".jpg"), 0, info));
    EXPECT_EQ(info.Width, image.Width());
    EXPECT_EQ(info.Height, image.Height());
}

INSTANTIATE_TEST_SUITE_P(Exif, JpegOrientation, ::testing::Range(1, 9));

TEST(JpegOrientation, ScaledDecodingIsUprightToo) {
    TPixelGraphic image;
    TFileStream stream(Jpeg("orient-6.jpg"), TFileStream::fmOpenRead);
    TJPGDecodeOptions options;
    options.ScaleDenom = 2;
    LoadJPEGScaled(stream, image, options);
    EXPECT_EQ(image.Width(), 8);
    EXPECT_EQ(image.Height(), 12);
}

TEST(JpegReader, GreyFileLoadsAsEightBitGreys) {
    TPixelGraphic image;
    image.LoadFromFile(Jpeg("grey.jpg"));
    EXPECT_EQ(image.PixelFormat(), pf8Bit);
    EXPECT_EQ(image.PaletteIdent(), pGray256);
    EXPECT_TRUE(SamePixels(image, Reference("grey.ppm")));
}

TEST(JpegReader, CmykIsRefused) {
    TPixelGraphic image;
    EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>([&] { image.LoadFromFile(Jpeg("cmyk.jpg")); }),
              "JPG: Not supported subformat");
}

struct ScaledCase {
    const char* Name;
    TJPGDecodeOptions Options;
    const char* Expected;
};

class JpegScaled : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(JpegScaled, DecodesAsDjpegWithTheSameSettings) {
    const ScaledCase& c = GetParam();
    TPixelGraphic image;
    TFileStream stream(Jpeg("baseline.jpg"), TFileStream::fmOpenRead);
    LoadJPEGScaled(stream, image, c.Options);
    EXPECT_TRUE(SamePixels(image, Reference(c.Expected)));
    if (c.Options.Reduce236) {
        EXPECT_EQ(image.PixelFormat(), pf8Bit);
        EXPECT_LE(image.PaletteCount(), 236);
    }
    if (c.Options.GrayScale) {
        EXPECT_EQ(image.PaletteIdent(), pGray256);
    }
}

TJPGDecodeOptions Scaled(int denom, TJPGPerformance performance = jpgBestQuality) {
    TJPGDecodeOptions o;
    o.ScaleDenom = denom;
    o.Performance = performance;
    return o;
}

TJPGDecodeOptions Grey() {
    TJPGDecodeOptions o;
    o.GrayScale = true;
    return o;
}

TJPGDecodeOptions Colours(TJPGPerformance performance) {
    TJPGDecodeOptions o;
    o.Reduce236 = true;
    o.Performance = performance;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Options, JpegScaled,
    ::testing::Values(
        ScaledCase{"Half", Scaled(2), "baseline.scale-2.ppm"},
        ScaledCase{"Quarter", Scaled(4), "baseline.scale-4.ppm"},
        ScaledCase{"Eighth", Scaled(8), "baseline.scale-8.ppm"},
        ScaledCase{"HalfFast", Scaled(2, jpgBestSpeed), "baseline.dct-fast.scale-2.ppm"},
        ScaledCase{"GreyOutput", Grey(), "baseline.grayscale.ppm"},
        ScaledCase{"Colours236TwoPass", Colours(jpgBestQuality), "baseline.colors-236.ppm"},
        ScaledCase{"Colours236Ordered", Colours(jpgBestSpeed), "baseline.colors-236-fast.ppm"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(JpegScaledOptions, RefusesOtherScales) {
    TPixelGraphic image;
    TFileStream stream(Jpeg("baseline.jpg"), TFileStream::fmOpenRead);
    EXPECT_THROW(LoadJPEGScaled(stream, image, Scaled(3)), EPGJPGFileFormatReaderWriter);
}

TEST(JpegProgressiveDisplay, ShowsEveryScanAndEndsWithTheWholePicture) {
    TPixelGraphic image;
    int changes = 0;
    image.OnChange = [&](TPixelGraphic&) { ++changes; };
    TFileStream stream(Jpeg("progressive.jpg"), TFileStream::fmOpenRead);
    TJPGDecodeOptions options;
    options.ProgressiveDisplay = true;
    LoadJPEGScaled(stream, image, options);
    EXPECT_GT(changes, 2); // several scans, then the final Changed
    EXPECT_TRUE(SamePixels(image, Reference("progressive.ppm")));
}

TEST(JpegProgress, ReportsRowsAndAbortKeepsTheDecodedRows) {
    TPixelGraphic image;
    std::vector<std::pair<int, int>> steps;
    int starts = 0, ends = 0;
    image.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
    image.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
    image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        steps.emplace_back(step, max);
        abort = step == 10;
    };
    image.LoadFromFile(Jpeg("baseline.jpg")); // no error: an abort is not a failure
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    ASSERT_EQ(steps.size(), 10u);
    EXPECT_EQ(steps.front(), std::make_pair(1, 27));
    EXPECT_EQ(steps.back(), std::make_pair(10, 27));
    const TRefImage full = Reference("baseline.ppm");
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < full.Width; ++x)
            ASSERT_EQ(image.GetPixelColor(x, y), full.At(x, y)) << x << "," << y;
}

TEST(JpegProgress, AbortedSidewaysPhotoShowsTheDecodedRowsTurned) {
    // Orientation 6 turns the stored rows into columns from the right; the columns of rows
    // not decoded stay as the new image was cleared.
    TPixelGraphic image;
    image.OnProgress = [](TPixelGraphic&, int step, int, bool& abort) { abort = step == 3; };
    image.LoadFromFile(Jpeg("orient-6.jpg"));
    const TRefImage upright = Reference("orient-6.ppm");
    ASSERT_EQ(image.Width(), upright.Width);
    ASSERT_EQ(image.Height(), upright.Height);
    for (int y = 0; y < upright.Height; ++y)
        for (int x = 0; x < upright.Width; ++x)
            ASSERT_EQ(image.GetPixelColor(x, y), x >= upright.Width - 3 ? upright.At(x, y) : 0u)
                << x << "," << y;
}

TEST_F(JpegTest, TruncatedFileWarnsByTheImagesAction) {
    const std::vector<uint8_t> bytes = FixtureBytes("truncated.jpg");
    TPixelGraphic image;
    image.SetReadWarningAction(pgwaRaise);
    EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>([&] { LoadBytes(image, bytes); }),
              "JPG: Premature end of JPEG file");
    // The library had delivered no row yet (it needs the second block row for the first), but
    // the image keeps its size.
    EXPECT_EQ(image.Width(), 35);
    EXPECT_EQ(image.Height(), 27);

    std::vector<std::string> shown;
    SetPGWarningBox([&](const std::string& caption, const std::string& text, bool withCancel) {
        shown.push_back(caption + "|" + text + "|" + (withCancel ? "cancel" : "ok"));
        return false;
    });
    image.SetReadWarningAction(pgwaOKBox);
    LoadBytes(image, bytes);
    image.SetReadWarningAction(pgwaOKCancelBox);
    EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>([&] { LoadBytes(image, bytes); }),
              "JPG: Operation aborted on user request");
    EXPECT_EQ(shown, (std::vector<std::string>{"JPG Warning|Premature end of JPEG file|ok",
                                               "JPG Warning|Premature end of JPEG file|cancel"}));
}

struct DamagedCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    const char* Message;
};

std::vector<uint8_t> WithByte(std::vector<uint8_t> bytes, size_t at, uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

size_t FindMarker(const std::vector<uint8_t>& bytes, uint8_t marker) {
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == marker) return i;
    return 0;
}

TEST(JpegReader, DamagedFilesGiveTheLibrarysMessage) {
    const std::vector<uint8_t> good = FixtureBytes("baseline.jpg");
    const size_t sof = FindMarker(good, 0xC0);
    const std::vector<DamagedCase> cases = {
        {"only the start marker", {0xFF, 0xD8}, "JPG: JPEG datastream contains no image"},
        {"precision 12", WithByte(good, sof + 4, 12), "JPG: Unsupported JPEG data precision 12"},
        {"two components in a frame sized for three", WithByte(good, sof + 9, 2),
         "JPG: Bogus marker length"},
        {"zero width", WithByte(WithByte(good, sof + 7, 0), sof + 8, 0),
         "JPG: Empty JPEG image (DNL not supported)"},
    };
    for (const DamagedCase& c : cases) {
        TPixelGraphic image;
        image.SetReadWarningAction(pgwaIgnore);
        EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>([&] { LoadBytes(image, c.Bytes); }),
                  c.Message)
            << c.Name;
    }
}

TEST(JpegReader, OtherContentIsNotAJpegFile) {
    TMemoryStream stream(std::vector<uint8_t>{0x89, 'P', 'N', 'G', 0, 0, 0, 0});
    TPixelGraphic image;
    EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>(
                  [&] { TJPGFileFormatReader().ReadImage(stream, image, 0); }),
              "JPG: Not a JPEG file: starts with 0x89 0x50");
}

TEST(JpegReader, StreamErrorsPassThroughUnchanged) {
    TFailingStream stream(FixtureBytes("progressive.jpg"));
    TPixelGraphic image;
    EXPECT_THROW(image.LoadFromStream(stream), EStreamError);
}

TEST(JpegReader, IndexOtherThanZeroIsRefused) {
    TJPGFileFormatReader reader;
    TPixelGraphic image;
    TFileStream stream(Jpeg("baseline.jpg"), TFileStream::fmOpenRead);
    TPGImageInfo info;
    EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>([&] { reader.ReadImage(stream, image, 1); }),
              "JPG: Index invalid");
    EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>([&] { reader.GetInfo(stream, 1, info); }),
              "JPG: Invalid value for Index");
}

struct InfoCase {
    const char* File;
    int BitCount;
    const char* Colors;
    const char* SubFormat;
};

class JpegInfo : public ::testing::TestWithParam<InfoCase> {};

TEST_P(JpegInfo, DescribesTheHeader) {
    const InfoCase& c = GetParam();
    EXPECT_EQ(InfoOf(Jpeg(c.File)), (TPGImageInfo{.FormatName = "JPEG (JFIF compliant)",
                                                  .ImageCount = 1,
                                                  .BitCount = c.BitCount,
                                                  .Colors = c.Colors,
                                                  .Height = 27,
                                                  .Width = 35,
                                                  .Options = "",
                                                  .SubFormat = c.SubFormat}));
}

INSTANTIATE_TEST_SUITE_P(Files, JpegInfo,
                         ::testing::Values(InfoCase{"baseline.jpg", 24, "16.7M", "JFIF, YCbCr"},
                                           InfoCase{"progressive.jpg", 24, "16.7M",
                                                    "JFIF, YCbCr, Progressive"},
                                           InfoCase{"grey.jpg", 8, "256", "JFIF, GrayScale"},
                                           InfoCase{"rgb.jpg", 24, "16.7M", "Adope, RGB"},
                                           InfoCase{"cmyk.jpg", 32, "4294.9M", "Adope, YCbCrK"}),
                         [](const auto& info) { return NameOf(info.param.File); });

TEST(JpegInfo, WarningsRaise) {
    std::vector<uint8_t> bytes = FixtureBytes("baseline.jpg");
    bytes.resize(FindMarker(bytes, 0xC4) + 10); // inside the first Huffman table
    TMemoryStream stream(bytes);
    TPGImageInfo info;
    EXPECT_EQ(ErrorOf<EPGJPGFileFormatReaderWriter>(
                  [&] { TJPGFileFormatReader().GetInfo(stream, 0, info); }),
              "JPG: Premature end of JPEG file");
}

TEST_F(JpegTest, WriterKeepsColoursAndTheAskedQuality) {
    TPixelGraphic image;
    FillStripes(image, 64, 16);
    for (int quality : {20, 95}) {
        SetJPEGQuality(quality);
        TMemoryStream stream;
        image.SaveToStreamAs(stream, ".JPG");
        stream.SetPosition(0);
        TPixelGraphic back;
        back.LoadFromStream(stream);
        ASSERT_EQ(back.Width(), 64);
        EXPECT_LE(LargestChannelDifference(image, back), quality > 50 ? 24 : 90) << quality;
        TTempDir dir;
        WriteFileBytes(dir / "q.jpg", stream.Data());
        if (!ToolAvailable("/usr/bin/identify")) continue;
        const std::string check = "test \"$(/usr/bin/identify -format %Q " +
                                  (dir / "q.jpg").string() + ")\" = " + std::to_string(quality);
        EXPECT_EQ(RunCommand(check), 0) << "quality " << quality;
    }
}

TEST_F(JpegTest, ProgressiveSettingWritesAMultiScanFile) {
    TPixelGraphic image;
    FillStripes(image, 40, 24);
    SetJPEGProgressive(true);
    TTempDir dir;
    image.SaveToFile(dir / "p.jpg");
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(dir / "p.jpg", 0, info));
    EXPECT_EQ(info.SubFormat, "JFIF, YCbCr, Progressive");
    if (ToolAvailable("djpeg")) {
        EXPECT_EQ(RunCommand("djpeg " + (dir / "p.jpg").string() + " > " +
                             (dir / "p.ppm").string() + " 2>/dev/null"),
                  0);
        TPixelGraphic back;
        back.LoadFromFile(dir / "p.jpg");
        EXPECT_TRUE(SamePixels(back, LoadReferencePPM(dir / "p.ppm")));
    }
}

TEST_F(JpegTest, GreyImageSavesAsOneComponent) {
    TPixelGraphic image;
    image.SetSizeAndFormat(16, 16, pf8Bit);
    image.SetPaletteIdent(pGray256);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) image.SetPixel(x, y, static_cast<uint32_t>(16 * y + x));
    TTempDir dir;
    image.SaveToFile(dir / "g.jpg");
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(dir / "g.jpg", 0, info));
    EXPECT_EQ(info.BitCount, 8);
    EXPECT_EQ(info.SubFormat, "JFIF, GrayScale");
    TPixelGraphic back;
    back.LoadFromFile(dir / "g.jpg");
    EXPECT_EQ(back.PaletteIdent(), pGray256);
    EXPECT_LE(LargestChannelDifference(image, back), 12);
}

TEST_F(JpegTest, SaveConvertsSixteenColoursToTrueColourAndSixteenGreysToGreys) {
    const std::pair<TPaletteIdent, int> cases[] = {{pSys16, 24}, {pGray16, 8}};
    for (const auto& [ident, bits] : cases) {
        TPixelGraphic image;
        image.SetSizeAndFormat(8, 8, pf4Bit);
        image.SetPaletteIdent(ident);
        image.SetSaveColorResWarningAction(pgwaIgnore);
        TTempDir dir;
        image.SaveToFile(dir / "c.jpg");
        TPGImageInfo info;
        ASSERT_TRUE(GetImageInfo(dir / "c.jpg", 0, info));
        EXPECT_EQ(info.BitCount, bits) << ident;
    }
}

TEST_F(JpegTest, WriterRefusesOtherDepthsAndReportsEveryRow) {
    TPixelGraphic bw;
    bw.SetSizeAndFormat(8, 8, pf1Bit);
    bw.SetPaletteIdent(pBlackWhite);
    TMemoryStream sink;
    EXPECT_EQ(
        ErrorOf<EPGJPGFileFormatReaderWriter>([&] { TJPGFileFormatWriter().WriteImage(sink, bw); }),
        "JPG: Invalid value for BitCount");

    TPixelGraphic image;
    FillStripes(image, 8, 5);
    std::vector<int> steps;
    image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        steps.push_back(step);
        EXPECT_EQ(max, 5);
        abort = step == 2; // not honoured: the file must be complete
    };
    TMemoryStream stream;
    TJPGFileFormatWriter().WriteImage(stream, image);
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 2}));
    TPixelGraphic back;
    back.SetReadWarningAction(pgwaRaise);
    stream.SetPosition(0);
    back.LoadFromStream(stream);
    EXPECT_EQ(back.Height(), 5);
}

TEST_F(JpegTest, WriteFailuresPassThroughUnchanged) {
    TPixelGraphic image;
    FillStripes(image, 64, 64);
    TFailingStream stream;
    EXPECT_THROW(TJPGFileFormatWriter().WriteImage(stream, image), EStreamError);
    TPixelGraphic empty;
    TMemoryStream sink;
    EXPECT_THROW(TJPGFileFormatWriter().WriteImage(sink, empty), EPGJPGFileFormatReaderWriter);
}

TEST_F(JpegTest, QualitySettingStaysWithinOneToHundred) {
    EXPECT_EQ(JPEGQuality(), 80);
    EXPECT_FALSE(JPEGProgressive());
    for (int bad : {0, 101}) EXPECT_THROW(SetJPEGQuality(bad), EPGJPGFileFormatReaderWriter);
    SetJPEGQuality(1);
    EXPECT_EQ(JPEGQuality(), 1);
}

TEST(PgtoolConvert, WritesTheAskedQualityAndProgressiveMode) {
    TTempDir dir;
    const std::string out = (dir / "out.jpg").string();
    const std::string command =
        std::string(GLIMMET_PGTOOL) + " convert " + Jpeg("baseline.jpg").string() + " " + out;
    ASSERT_EQ(RunCommand(command + " --quality 33 --progressive"), 0);
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(out, 0, info));
    EXPECT_EQ(info.SubFormat, "JFIF, YCbCr, Progressive");
    if (ToolAvailable("/usr/bin/identify")) {
        EXPECT_EQ(RunCommand("test \"$(/usr/bin/identify -format %Q " + out + ")\" = 33"), 0);
    }
    for (const char* bad : {" --quality 0", " --quality 101", " --quality x", " --quality"})
        EXPECT_NE(RunCommand(command + bad + " 2>/dev/null"), 0) << bad;
}

} // namespace
