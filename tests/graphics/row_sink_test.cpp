#include "row_sink.h"
#include "test_support.h"

#include <cstring>

namespace {

TPGCallOptions hint(int w, int h) {
    TPGCallOptions options;
    options.HintWidth = w, options.HintHeight = h;
    options.WarningAction = pgwaIgnore;
    return options;
}

// Loads bytes with the options; answers the error raised, "" when none.
std::string load(TPixelGraphic& image, const std::vector<uint8_t>& bytes,
                 const std::string& extension, TPGCallOptions options) {
    image.SetCallOptions(std::move(options));
    TBorrowedStream stream(bytes);
    return ErrorOf([&] { PGLoadImage(PGRegistry(), image, stream, extension, 0); });
}

// The same pixels, formats and sizes; reports where they first differ.
::testing::AssertionResult Same(const TPixelGraphic& a, const TPixelGraphic& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat())
        return ::testing::AssertionFailure()
               << a.Width() << "x" << a.Height() << " against " << b.Width() << "x" << b.Height();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetPixelColor(x, y) != b.GetPixelColor(x, y))
                return ::testing::AssertionFailure() << "differs at " << x << "," << y;
    return ::testing::AssertionSuccess();
}

// The box sizes that take the reduction's paths: sampled in both directions, averaged without
// sampling, sampled across only, and a box the picture already fits.
const std::pair<int, int> boxes[] = {{3, 3}, {5, 5}, {3, 100}, {100, 100}};

// The readers' fixtures, without the reference pixels beside them.
std::vector<std::filesystem::path> fixtures() {
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"bmp", "tga", "pnm", "pcx", "tiff", "gif", "png"})
        for (const auto& entry : std::filesystem::directory_iterator(TestData(folder))) {
            const bool reference = folder == std::string("pnm")
                                       ? entry.path().stem().has_extension()
                                       : entry.path().extension() == ".ppm";
            if (!reference) files.push_back(entry.path());
        }
    std::sort(files.begin(), files.end());
    return files;
}

// A load for a small box gives what a full load reduced afterwards gives, whole files and files
// cut short alike (the same error, the same rows kept).
void expectSameAsReducedFullLoad(const std::vector<uint8_t>& bytes, const std::string& extension,
                                 const TPGProgressEvent& progress = {}) {
    for (auto [w, h] : boxes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        TPixelGraphic full, reduced;
        full.OnProgress = reduced.OnProgress = progress;
        const std::string fullError = load(full, bytes, extension, hint(0, 0));
        full.SetCallOptions(hint(w, h));
        PGReduceToHint(full);
        EXPECT_EQ(load(reduced, bytes, extension, hint(w, h)), fullError);
        EXPECT_TRUE(Same(reduced, full));
    }
}

} // namespace

TEST(RowSink, ReducedLoadEqualsFullLoadReducedAfterwards) {
    for (const auto& file : fixtures()) {
        SCOPED_TRACE(file.filename().string());
        std::vector<uint8_t> bytes = ReadFileBytes(file);
        const std::string extension = file.extension().string();
        expectSameAsReducedFullLoad(bytes, extension);
        bytes.resize(bytes.size() * 2 / 3);
        SCOPED_TRACE("cut to two thirds");
        expectSameAsReducedFullLoad(bytes, extension);
    }
}

namespace {

// 37 x 20 with a colour for every pixel, in the given format.
void fillNoise(TPixelGraphic& image, uint8_t format) {
    image.SetSizeAndFormat(37, 20, format);
    if (format != pf24Bit) image.SetPaletteIdent(format == pf1Bit ? pBlackWhite : pGray256);
    if (format == pf4Bit) image.SetPaletteIdent(pGray16);
    uint32_t seed = 7;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            seed = seed * 1103515245 + 12345;
            image.SetPixelColor(x, y, seed >> 8);
        }
}

std::vector<uint8_t> saved(TPixelGraphic& image, const std::string& extension) {
    TMemoryStream stream;
    image.SaveToStreamAs(stream, extension);
    return stream.Data();
}

} // namespace

// Stopped half-way, the reduced load keeps the rows read where the full load keeps them, top
// at the top, and they are not the whole picture.
TEST(RowSink, AbortedReducedLoadKeepsTheRowsRead) {
    struct Case {
        const char* Extension;
        uint8_t Format;
    } cases[] = {{"bmp", pf1Bit}, {"bmp", pf4Bit},  {"bmp", pf8Bit}, {"bmp", pf24Bit},
                 {"tga", pf8Bit}, {"tga", pf24Bit}, {"tif", pf8Bit}, {"tif", pf24Bit},
                 {"pbm", pf1Bit}, {"pgm", pf8Bit},  {"ppm", pf24Bit}};
    const TPGProgressEvent half = [](TPixelGraphic&, int step, int max, bool& abort) {
        abort = 2 * step >= max;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Extension) + " " +
                     std::to_string(BitCountOfPixelFormat(c.Format)));
        TPixelGraphic source;
        fillNoise(source, c.Format);
        const std::vector<uint8_t> bytes = saved(source, c.Extension);
        expectSameAsReducedFullLoad(bytes, c.Extension, half);
        TPixelGraphic whole, aborted;
        load(whole, bytes, c.Extension, hint(5, 5));
        aborted.OnProgress = half;
        load(aborted, bytes, c.Extension, hint(5, 5));
        EXPECT_FALSE(Same(aborted, whole));
    }
    for (const char* file : {"pcx/pal-8.pcx", "pcx/rgb-24.pcx", "gif/im-noise.gif"}) {
        SCOPED_TRACE(file);
        expectSameAsReducedFullLoad(ReadFileBytes(TestData(file)),
                                    std::filesystem::path(file).extension().string(), half);
    }
}

// The pixel limit counts the picture in the file, not the sample a small box keeps of it.
TEST(RowSink, PixelLimitHoldsForReducedLoads) {
    TPixelGraphic source;
    fillNoise(source, pf24Bit);
    for (const char* extension : {"bmp", "tga", "tif", "ppm"}) {
        SCOPED_TRACE(extension);
        const std::vector<uint8_t> bytes = saved(source, extension);
        for (int64_t limit : {int64_t(37 * 20 - 1), int64_t(37 * 20)}) {
            TPGCallOptions options = hint(5, 5);
            options.PixelLimit = limit;
            TPixelGraphic image;
            const bool refused = limit < 37 * 20;
            EXPECT_EQ(load(image, bytes, extension, options),
                      refused ? "CreateDIBSection failed" : "");
            EXPECT_EQ(image.Empty(), refused);
        }
    }
}
