#include "format_registry.h"
#include "jpeg_format.h"
#include "test_support.h"

#include <cstdlib>
#include <thread>

namespace {

// A smooth picture, so a reduced copy can be compared with the source by sampling.
void fillGradient(TPixelGraphic& image, int w, int h) {
    image.SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixelColor(x, y, PGColor(x * 255 / (w - 1), y * 255 / (h - 1), 96));
}

std::vector<uint8_t> savedAs(TPixelGraphic& image, const std::string& extension) {
    TMemoryStream stream;
    image.SaveToStreamAs(stream, extension);
    return stream.Data();
}

TPixelGraphic& loadWith(TPixelGraphic& image, const std::vector<uint8_t>& bytes,
                        const std::string& extension, TPGCallOptions options) {
    image.SetCallOptions(std::move(options));
    TMemoryStream stream(bytes);
    PGLoadImage(PGRegistry(), image, stream, extension, 0);
    return image;
}

TPGCallOptions hint(int w, int h) {
    TPGCallOptions options;
    options.HintWidth = w, options.HintHeight = h;
    return options;
}

int channelDistance(uint32_t a, uint32_t b) {
    return std::max({std::abs(PGRed(a) - PGRed(b)), std::abs(PGGreen(a) - PGGreen(b)),
                     std::abs(PGBlue(a) - PGBlue(b))});
}

} // namespace

TEST(CallOptions, FitToHintKeepsTheAspectAndNeverEnlarges) {
    struct Case {
        int W, H, BoxW, BoxH, FitW, FitH;
    };
    const Case cases[] = {
        {400, 300, 100, 100, 100, 75}, // the width meets the box first
        {300, 400, 100, 100, 75, 100}, // the height does
        {400, 300, 30, 30, 30, 23},    // 22.5 rounds up
        {5000, 2, 100, 100, 100, 1},   // a sliver keeps one row
        {80, 60, 100, 100, 80, 60},    // smaller than the box: as it is
        {400, 300, 0, 0, 400, 300},    // no hint
    };
    for (const Case& c : cases) {
        int w, h;
        PGFitToHint(hint(c.BoxW, c.BoxH), c.W, c.H, w, h);
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.FitW, c.FitH))
            << c.W << "x" << c.H << " into " << c.BoxW << "x" << c.BoxH;
    }
}

// Every format delivers at least the fitted picture and less than twice it, with the picture's
// colours where they were.
TEST(CallOptions, SizeHintShrinksEveryFormatOnLoad) {
    TPixelGraphic source;
    fillGradient(source, 400, 300);
    for (const char* extension : {"bmp", "jpg", "png", "tif", "tga", "ppm"}) {
        SCOPED_TRACE(extension);
        const std::vector<uint8_t> bytes = savedAs(source, extension);
        TPixelGraphic image;
        loadWith(image, bytes, extension, hint(30, 30));
        EXPECT_GE(image.Width(), 30);
        EXPECT_LT(image.Width(), 60);
        EXPECT_GE(image.Height(), 23);
        EXPECT_LT(image.Height(), 46);
        for (auto [x, y] : {std::pair{3, 4}, {20, 11}, {image.Width() - 1, image.Height() - 1}}) {
            const uint32_t got = image.GetPixelColor(x, y);
            const uint32_t want = source.GetPixelColor((2 * x + 1) * 400 / (2 * image.Width()),
                                                       (2 * y + 1) * 300 / (2 * image.Height()));
            EXPECT_LE(channelDistance(want, got), 12) << x << "," << y;
        }
    }
}

TEST(CallOptions, JpegHintUsesTheDecodersScaleAndTheTurnedAxes) {
    struct Case {
        const char* File;
        int BoxW, BoxH, W, H;
    };
    const Case cases[] = {
        {"jpeg/baseline.jpg", 18, 14, 18, 14},   // 35 x 27 at one half
        {"jpeg/baseline.jpg", 9, 9, 9, 7},       // at one quarter
        {"jpeg/orient-6.jpg", 8, 8, 8, 12},      // stored 24 x 16, shown 16 x 24
        {"jpeg/baseline.jpg", 100, 100, 35, 27}, // a box larger than the picture
    };
    for (const Case& c : cases) {
        TPixelGraphic image;
        loadWith(image, ReadFileBytes(TestData(c.File)), "jpg", hint(c.BoxW, c.BoxH));
        EXPECT_EQ(std::make_pair(image.Width(), image.Height()), std::make_pair(c.W, c.H))
            << c.File << " into " << c.BoxW << "x" << c.BoxH;
    }
}

TEST(CallOptions, PixelLimitRefusesBeforeAllocating) {
    TPixelGraphic source;
    fillGradient(source, 400, 300);
    const std::vector<uint8_t> bytes = savedAs(source, "bmp");
    TPGCallOptions limited;
    limited.PixelLimit = 400 * 300 - 1;
    TPixelGraphic image;
    EXPECT_EQ(ErrorOf([&] { loadWith(image, bytes, "bmp", limited); }), "CreateDIBSection failed");
    EXPECT_TRUE(image.Empty());
    limited.PixelLimit = 400 * 300;
    loadWith(image, bytes, "bmp", limited);
    EXPECT_EQ(image.Width(), 400);
}

TEST(CallOptions, OwnWarningActionAndBoxComeBeforeTheLibrarys) {
    TPixelGraphic source;
    fillGradient(source, 8, 8);
    std::vector<std::string> library, own;
    SetPGWarningBox([&](const std::string&, const std::string& text, bool) {
        library.push_back(text);
        return true;
    });
    // A PBM holds black and white only: saving colours asks first.
    source.SetSaveColorResWarningAction(pgwaIgnore);
    TPGCallOptions options;
    options.WarningAction = pgwaOKCancelBox;
    options.WarningBox = [&](const std::string&, const std::string& text, bool withCancel) {
        own.push_back(text + (withCancel ? " (cancel)" : ""));
        return false;
    };
    source.SetCallOptions(options);
    EXPECT_EQ(ErrorOf<EPGCannotWriteColorRes>([&] { savedAs(source, "pbm"); }),
              "The graphic cannot be saved with to a Portable Bitmap file with the current color "
              "resolution (16.7 million colors)");
    ASSERT_EQ(own.size(), 1u);
    EXPECT_NE(own[0].find("(cancel)"), std::string::npos);
    EXPECT_TRUE(library.empty());
    // Without options, the image's own action and the library's box.
    source.SetCallOptions({});
    source.SetSaveColorResWarningAction(pgwaOKBox);
    savedAs(source, "pbm");
    EXPECT_EQ(library.size(), 1u);
    SetPGWarningBox(nullptr);
}

TEST(CallOptions, JpegQualityOfTheCallLeavesTheLibrarysAlone) {
    TPixelGraphic source;
    fillGradient(source, 64, 64);
    const int before = JPEGQuality();
    auto sizeAt = [&](std::optional<int> quality) {
        TPGCallOptions options;
        options.JPEGQuality = quality;
        source.SetCallOptions(options);
        return savedAs(source, "jpg").size();
    };
    EXPECT_LT(sizeAt(5), sizeAt(std::nullopt));
    EXPECT_GT(sizeAt(100), sizeAt(std::nullopt));
    EXPECT_EQ(JPEGQuality(), before);
    EXPECT_EQ(ErrorOf([&] { sizeAt(101); }), "JPG: Invalid value for JPEGQuality");
}

TEST(CallOptions, GammaOfTheCallReplacesTheLibrarysDefaults) {
    const std::vector<uint8_t> bytes = ReadFileBytes(TestData("png/gamma-1.png"));
    auto pixel = [&](TPGCallOptions options) {
        TPixelGraphic image;
        return loadWith(image, bytes, "png", std::move(options)).GetPixelColor(1, 1);
    };
    const uint32_t corrected = pixel({});
    TPGCallOptions off;
    off.GammaCorrection = false;
    TPGCallOptions sameGamma; // a display with the file's gamma needs no correction
    sameGamma.DisplayGamma = 1.0L;
    EXPECT_NE(pixel(off), corrected);
    EXPECT_EQ(pixel(sameGamma), pixel(off));
    GammaCorrection = false;
    const uint32_t globalOff = pixel({});
    GammaCorrection = true;
    EXPECT_EQ(globalOff, pixel(off));
}

// Several threads load and save at once, each with its own options; run under ThreadSanitizer
// by the tsan preset. Each result must equal the same work done alone.
TEST(Threads, LoadsAndSavesWithTheirOwnOptionsAtOnce) {
    TPixelGraphic source;
    fillGradient(source, 120, 90);
    const std::vector<uint8_t> png = savedAs(source, "png");
    auto work = [&](int quality) {
        TPixelGraphic image;
        TPGCallOptions options = hint(60, 60);
        options.JPEGQuality = quality;
        options.WarningAction = pgwaRaise;
        loadWith(image, png, "png", options);
        return savedAs(image, "jpg");
    };
    const int qualities[] = {20, 50, 75, 95};
    std::vector<std::vector<uint8_t>> alone, together(4);
    for (int q : qualities) alone.push_back(work(q));
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([&, i] {
                for (int round = 0; round < 5; ++round) together[i] = work(qualities[i]);
            });
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(together[i], alone[i]) << qualities[i];
    EXPECT_NE(alone[0], alone[3]);
}
