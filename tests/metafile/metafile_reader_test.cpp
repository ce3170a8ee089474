#include "metafile_builder.h"
#include "metafile_readers.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Before any test touches the registry.
const bool installed = [] {
    InstallMetafileReaders();
    return true;
}();

constexpr uint32_t red = 0x0000FF, white = 0xFFFFFF;
constexpr uint16_t wmfRectangle = 0x041B, wmfCreatePen = 0x02FA, wmfCreateBrush = 0x02FC,
                   wmfSelect = 0x012D, wmfSetMapMode = 0x0103;

std::vector<int> brushParams(uint32_t color) {
    return {0, int(color & 0xFFFF), int(color >> 16), 0};
}

// A red rectangle without outline from (10, 10) to (30, 20), one unit a pixel.
TWMFBuilder redBox() {
    return TWMFBuilder()
        .Record(wmfCreateBrush, brushParams(red))
        .Record(wmfSelect, {0})
        .Record(wmfCreatePen, {5, 0, 0, 0, 0})
        .Record(wmfSelect, {1})
        .Record(wmfRectangle, {20, 30, 10, 10});
}

void load(TPixelGraphic& image, const std::vector<uint8_t>& file) {
    TBorrowedStream stream(file);
    image.LoadFromStream(stream);
}

TEST(MetafileReader, BareWMFPlaysAtTheDefaultBoxOnWhite) {
    ASSERT_TRUE(installed);
    TPixelGraphic image;
    load(image, TWMFBuilder().Record(wmfSetMapMode, {8}).Record(wmfSetMapMode, {8}).Bytes());
    ASSERT_EQ(image.Width(), 99);
    ASSERT_EQ(image.Height(), 49);
    EXPECT_EQ(image.PixelFormat(), pf24Bit);
    for (int y = 0; y < 49; ++y)
        for (int x = 0; x < 99; ++x) ASSERT_EQ(image.GetPixelColor(x, y), white) << x << "," << y;
}

TEST(MetafileReader, ShapesFillWithoutAntialiasing) {
    TPixelGraphic image;
    load(image, redBox().Bytes());
    struct Probe {
        int X, Y;
        uint32_t Color;
    };
    for (const Probe p : {Probe{10, 10, red}, Probe{29, 19, red}, Probe{20, 15, red},
                          Probe{9, 10, white}, Probe{30, 19, white}, Probe{29, 20, white}}) {
        SCOPED_TRACE(std::to_string(p.X) + "," + std::to_string(p.Y));
        EXPECT_EQ(image.GetPixelColor(p.X, p.Y), p.Color);
    }
}

TEST(MetafileReader, HiMetricEMFIsUpright) {
    // A 100 x 50 mm frame; the rectangle's top left quarter in y-up units.
    TPixelGraphic image;
    load(image, TEMFBuilder()
                    .Record(39, {1, 0, red, 0})
                    .Record(37, {1})
                    .Record(37, {0x80000008}) // NULL_PEN
                    .Record(17, {3})
                    .Record(43, {0, 0, 5000, uint32_t(-2500)})
                    .Bytes());
    ASSERT_EQ(image.Width(), 378);
    ASSERT_EQ(image.Height(), 189);
    EXPECT_EQ(image.GetPixelColor(10, 10), red);
    EXPECT_EQ(image.GetPixelColor(180, 90), red);
    EXPECT_EQ(image.GetPixelColor(200, 10), white);
    EXPECT_EQ(image.GetPixelColor(10, 110), white);
}

TEST(MetafileReader, PaletteDecidesTheFormat) {
    // Black and white entries: a 1-bit picture cleared to the white entry.
    TPixelGraphic image;
    load(image, TWMFBuilder().Record(0x00F7, {0x300, 2, 0, 0, 0xFFFF, 0xFF}).Bytes());
    EXPECT_EQ(image.PixelFormat(), pf1Bit);
    ASSERT_EQ(image.PaletteCount(), 2);
    EXPECT_EQ(image.GetPaletteEntry(1), white);
    EXPECT_EQ(image.GetPixelColor(50, 20), white);
}

TEST(MetafileReader, FastLoadAndTheSizeHintPlayIntoTheirBox) {
    const auto file = TWMFBuilder(TWMFBuilder::TPlaceable{{0, 0, 400, 200}, 96})
                          .Record(wmfCreateBrush, brushParams(red))
                          .Record(wmfSelect, {0})
                          .Record(wmfRectangle, {200, 400, 0, 200})
                          .Bytes();
    TPixelGraphic fast;
    fast.SetFastLoad(true);
    load(fast, file);
    EXPECT_EQ(fast.Width(), 130);
    EXPECT_EQ(fast.Height(), 65);
    EXPECT_EQ(fast.GetPixelColor(100, 30), red);
    EXPECT_EQ(fast.GetPixelColor(30, 30), white);
    TPixelGraphic hinted;
    TPGCallOptions options;
    options.HintWidth = options.HintHeight = 50;
    hinted.SetCallOptions(options);
    load(hinted, file);
    EXPECT_EQ(hinted.Width(), 50);
    EXPECT_EQ(hinted.Height(), 25);
}

TEST(MetafileReader, UnplayablePicturesRaise) {
    auto unsigned_ = TEMFBuilder().Bytes();
    unsigned_[40] = 'X';
    auto placeableAlone = TWMFBuilder(TWMFBuilder::TPlaceable{}).Bytes();
    placeableAlone.resize(30);
    for (const auto& file : {unsigned_, placeableAlone}) {
        TPixelGraphic image;
        EXPECT_EQ(ErrorOf([&] { load(image, file); }), "Invalid Metafile");
        EXPECT_TRUE(image.Empty());
    }
}

TEST(MetafileReader, RecordsCutShortKeepWhatWasDrawn) {
    auto file = redBox().WithoutEOF().Raw({0x00, 0x10, 0, 0, 0x1B, 0x04}).Bytes();
    TPixelGraphic image;
    load(image, file);
    EXPECT_EQ(image.GetPixelColor(20, 15), red);
}

TEST(MetafileReader, AbortKeepsThePicture) {
    TWMFBuilder b;
    for (int i = 0; i < 200; ++i) b.Record(wmfRectangle, {20, 30, 10, 10});
    TPixelGraphic image;
    int reports = 0;
    image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        EXPECT_LE(step, max);
        abort = ++reports == 10;
    };
    load(image, b.Bytes());
    EXPECT_EQ(reports, 10);
    EXPECT_EQ(image.Width(), 99);
}

TEST(MetafileReader, InfoThroughTheRegistry) {
    TTempDir dir;
    WriteFileBytes(dir / "a.wmf", redBox().Bytes());
    WriteFileBytes(dir / "b.emf", TEMFBuilder().Bytes());
    TPGImageInfo wmf = InfoOf(dir / "a.wmf");
    EXPECT_EQ(wmf.FormatName, "Windows Metafile");
    EXPECT_EQ(wmf.SubFormat, "No header");
    EXPECT_EQ(wmf.Width, 99);
    EXPECT_EQ(wmf.Colors, "16.7M");
    TPGImageInfo emf = InfoOf(dir / "b.emf");
    EXPECT_EQ(emf.FormatName, "Enhanced Metafile");
    EXPECT_EQ(emf.Width, 378);
    EXPECT_EQ(emf.BitCount, 24);
}

TEST(MetafileReader, FuzzerFindsKeepTheirSizesInBounds) {
    // Without a frame, the bounds are turned into one: 1.7 billion reference pixels times 255
    // million millimetres passed 64 bits; one saturated at the lowest int could not be negated.
    for (const char* file : {"emf-bounds-times-millimetres-past-64-bits.emf",
                             "emf-frame-from-bounds-at-the-lowest-int.emf"}) {
        SCOPED_TRACE(file);
        const std::filesystem::path path = TestData(std::string("regress/") + file);
        const TPGImageInfo info = InfoOf(path);
        EXPECT_EQ(std::max(info.Width, info.Height), MetafileMaxSide);
        EXPECT_GE(std::min(info.Width, info.Height), 1);
        TPixelGraphic image;
        image.SetFastLoad(true);
        image.LoadFromFile(path);
        EXPECT_EQ(std::max(image.Width(), image.Height()), 130);
    }
    // Text turned and stretched at a size far past the picture is drawn at most twice its size,
    // in milliseconds rather than minutes.
    TPixelGraphic image;
    image.SetFastLoad(true);
    image.LoadFromFile(TestData("regress/emf-turned-text-of-a-hostile-size.emf"));
    EXPECT_FALSE(image.Empty());
    // A clip far outside the picture is cut to it first; the leak checker of the sanitizer
    // build reports the region Qt lost on it before.
    image.LoadFromFile(TestData("regress/emf-clip-far-outside-the-picture.emf"));
    EXPECT_FALSE(image.Empty());
}

std::vector<uint8_t> textEMF() {
    std::vector<uint8_t> t;
    for (int v : {0, 0, 0, 0, 1, 0, 0, 500, 250, 5, 76, 0, 0, 0, 0, 0, 0})
        mfb::put32(t, uint32_t(v));
    for (char16_t c : std::u16string(u"Hello")) mfb::put16(t, c);
    std::vector<uint8_t> font;
    for (int v : {1, -150, 0, 0, 0, 700, 0, 0}) mfb::put32(font, uint32_t(v));
    for (char16_t c : std::u16string(u"Liberation Sans")) mfb::put16(font, c);
    font.resize(8 + 28 + 64, 0);
    return TEMFBuilder()
        .RecordBytes(82, font)
        .Record(37, {1})
        .Record(22, {6 | 24}) // centred on the baseline
        .Record(18, {1})      // transparent
        .RecordBytes(84, t)
        .Bytes();
}

TEST(MetafileReader, TextIsCentredWhereAligned) {
    TPixelGraphic image;
    load(image, textEMF());
    int left = image.Width(), right = -1, bottom = -1;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.GetPixelColor(x, y) != white)
                left = std::min(left, x), right = std::max(right, x), bottom = std::max(bottom, y);
    ASSERT_GE(right, 0) << "no ink";
    // Reference point (500, 250) of 1000 x 500 reference pixels: the middle of the picture.
    EXPECT_NEAR((left + right) / 2.0, 189, 3);
    EXPECT_LE(bottom, 94 + 4); // above the baseline but for the descent
}

TEST(MetafileReader, TwoThreadsPlayAtOnce) {
    const auto file = textEMF();
    TPixelGraphic alone;
    load(alone, file);
    const TRefImage expected = ToReference(alone);
    auto work = [&](bool& same) {
        same = true;
        for (int i = 0; i < 10; ++i) {
            TPixelGraphic image;
            load(image, file);
            same = same && ToReference(image).Pixels == expected.Pixels;
        }
    };
    bool first = false, second = false;
    std::thread a(work, std::ref(first)), b(work, std::ref(second));
    a.join();
    b.join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
}

} // namespace
