#include "bmp_format.h"
#include "format_registry.h"
#include "test_support.h"

#include <cmath>
#include <fstream>

namespace {

// A reader found by extension only that loads a 1 x 1 image of a fixed colour.
class ExtensionReader : public TFileFormatReader {
public:
    ExtensionReader() : TFileFormatReader("TExtReader", "tga", "Test", false) {}
    void ReadImage(TStream&, TPixelGraphic& image, int) const override {
        image.SetSizeAndFormat(1, 1, pf24Bit);
        image.SetPixel(0, 0, PGColor(1, 2, 3));
    }
    void GetInfo(TStream&, int, TPGImageInfo& info) const override { info = {}; }
};

// A writer that accepts the given classes and records the format it was handed.
class RecordingWriter : public TFileFormatWriter {
public:
    RecordingWriter(const char* extension, TPGResolutions classes)
        : TFileFormatWriter("TRecordingWriter", extension, "Recording", classes, true) {}
    void WriteImage(TStream& stream, TPixelGraphic& image) const override {
        Format = image.PixelFormat();
        Ident = image.PaletteIdent();
        stream.WriteBuffer("ok", 2);
    }
    mutable uint8_t Format = 0xFF;
    mutable TPaletteIdent Ident = pNone;
};

TPixelGraphic& rgbImage(TPixelGraphic& image) {
    image.SetSizeAndFormat(4, 4, pf24Bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) image.SetPixel(x, y, PGColor(x * 60, y * 60, 128));
    return image;
}

struct BoxScript {
    BoxScript(bool answer) {
        SetPGWarningBox(
            [this, answer](const std::string& caption, const std::string& text, bool cancel) {
                Shown.push_back({caption, text, cancel});
                return answer;
            });
    }
    ~BoxScript() { SetPGWarningBox(nullptr); }
    struct Box {
        std::string Caption, Text;
        bool WithCancel;
    };
    std::vector<Box> Shown;
};

} // namespace

TEST(Registry, ListsAreInExtensionOrder) {
    std::vector<std::string> readers, writers;
    for (const auto& r : PGRegistry().Readers()) readers.push_back(r->Extension);
    for (const auto& w : PGRegistry().Writers()) writers.push_back(w->Extension);
    EXPECT_TRUE(std::is_sorted(readers.begin(), readers.end()));
    EXPECT_TRUE(std::is_sorted(writers.begin(), writers.end()));
    EXPECT_NE(std::find(readers.begin(), readers.end(), "rle"), readers.end());
    EXPECT_EQ(std::find(writers.begin(), writers.end(), "rle"), writers.end());
}

TEST(Registry, ContentDecidesExceptForReadersWithoutSignature) {
    TPGRegistry registry;
    RegisterBMPFormats(registry);
    registry.AddReader(std::make_unique<ExtensionReader>());
    registry.Sort();
    TPixelGraphic bmp;
    bmp.SetSizeAndFormat(1, 1, pf24Bit);
    TMemoryStream stream;
    bmp.SaveToStream(stream);
    struct Case {
        const char* Name;
        bool Bmp;
        const char* Extension;
        const char* Expected; // reader extension, or "" for none
    } cases[] = {
        {"BMP named .tga", true, "tga", "bmp"},
        {"BMP without extension", true, "", "bmp"},
        {"other bytes named .tga", false, ".TGA", "tga"},
        {"other bytes named .tg", false, "tg", ""},
        {"other bytes named .bmp", false, "bmp", ""},
    };
    TMemoryStream junk(std::vector<uint8_t>(40, 0x11));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TStream& s = c.Bmp ? static_cast<TStream&>(stream) : junk;
        s.SetPosition(0);
        const TFileFormatReader* reader = registry.FindReader(s, c.Extension);
        EXPECT_EQ(reader ? reader->Extension : "", c.Expected);
        EXPECT_EQ(s.Position(), 0) << "detection leaves the stream where it was";
    }
    junk.SetPosition(0);
    TPixelGraphic image;
    EXPECT_THROW(PGLoadImage(registry, image, junk, "", 0), EPGUnknownFileFormat);
    junk.SetPosition(0);
    PGLoadImage(registry, image, junk, "tga", 0);
    EXPECT_EQ(image.GetPixelColor(0, 0), PGColor(1, 2, 3));
}

TEST(Registry, DialogFilters) {
    TPGRegistry registry;
    RegisterBMPFormats(registry);
    registry.Sort();
    EXPECT_EQ(registry.OpenDialogFilter(),
              "Image files|*.bmp; *.dib; *.rle|BMP - Bitmap|*.bmp|DIB - Bitmap|*.dib|"
              "RLE - Bitmap|*.rle|All files|*.*");
    EXPECT_EQ(registry.SaveDialogFilter(), "BMP - Bitmap|*.bmp|") << "the dib writer is not listed";
}

TEST(Registry, ShortStreamsAreZeroPadded) {
    TMemoryStream two(std::vector<uint8_t>{'B', 'M'});
    EXPECT_NE(PGRegistry().FindReader(two, ""), nullptr);
    TMemoryStream none;
    EXPECT_EQ(PGRegistry().FindReader(none, "bmp"), nullptr);
}

TEST(Registry, FallbackClasses) {
    struct Case {
        TPGResolution From;
        TPGResolutions CanWrite;
        TPGResolution Expected;
    } cases[] = {
        {resTrueColor, PGResolutions({resBlackWhite}), resBlackWhite},
        {resGray16, PGResolutions({resGray256, resTrueColor}), resGray256},
        {res2Colors,
         PGResolutions({resBlackWhite, resGray16, resSys16, res16Colors, resGray256, res256Colors,
                        resTrueColor}),
         res16Colors},
        {res256Colors, PGResolutions({resGray256}), resGray256},
        {resSys16, PGAllResolutions, resSys16},
    };
    for (const Case& c : cases) {
        TPGResolution got;
        ASSERT_TRUE(FallbackResolution(c.From, c.CanWrite, got));
        EXPECT_EQ(got, c.Expected) << "from " << c.From;
    }
    TPGResolution unused;
    EXPECT_FALSE(FallbackResolution(resTrueColor, 0, unused));
}

TEST(Registry, SaveLooksUpTheWriterByExtension) {
    TPixelGraphic image;
    rgbImage(image);
    TMemoryStream stream;
    EXPECT_EQ(ErrorOf<EPGUnknownExtension>([&] { image.SaveToStreamAs(stream, ".GIF"); }),
              "Unknown file extension \"gif\"");
    TPGRegistry empty;
    EXPECT_THROW(PGSaveImage(empty, image, stream, "bmp"), EPGFileFormatWritersEmpty);
    TPGRegistry none;
    none.AddWriter(std::make_unique<RecordingWriter>("x", 0));
    EXPECT_EQ(ErrorOf<EPGCanWriteResolutionsEmpty>([&] { PGSaveImage(none, image, stream, "x"); }),
              "TRecordingWriter.CanWriteResolutions is empty");
}

TEST(Registry, ColourResolutionWarningActions) {
    struct Case {
        TPGWarningAction Action;
        bool BoxAnswer;
        bool Written;
        int Boxes;
    } cases[] = {
        {pgwaIgnore, false, true, 0},     {pgwaOKBox, false, true, 1},
        {pgwaOKCancelBox, true, true, 1}, {pgwaOKCancelBox, false, false, 1},
        {pgwaRaise, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Action));
        BoxScript box(c.BoxAnswer);
        TPGRegistry registry;
        auto writer = std::make_unique<RecordingWriter>("pbm", PGResolutions({resBlackWhite}));
        const RecordingWriter& w = *writer;
        registry.AddWriter(std::move(writer));
        TPixelGraphic image;
        rgbImage(image);
        image.SetSaveColorResWarningAction(c.Action);
        TMemoryStream stream;
        try {
            PGSaveImage(registry, image, stream, "pbm");
            EXPECT_TRUE(c.Written);
            EXPECT_EQ(w.Format, pf1Bit);
            EXPECT_EQ(w.Ident, pBlackWhite);
        } catch (const EPGCannotWriteColorRes& e) {
            EXPECT_FALSE(c.Written);
            EXPECT_STREQ(e.what(), "The graphic cannot be saved with to a Recording file with the "
                                   "current color resolution (16.7 million colors)");
        }
        ASSERT_EQ(static_cast<int>(box.Shown.size()), c.Boxes);
        if (c.Boxes) {
            EXPECT_EQ(box.Shown[0].WithCancel, c.Action == pgwaOKCancelBox);
            EXPECT_NE(box.Shown[0].Text.find("(16.7 million colors)"), std::string::npos);
            EXPECT_NE(box.Shown[0].Text.find("(black and white)"), std::string::npos);
        }
        EXPECT_EQ(image.PixelFormat(), pf24Bit) << "the image itself is not converted";
    }
}

TEST(Registry, FourBitGreyIsStoredAsEightBitGrey) {
    TPGRegistry registry;
    auto writer =
        std::make_unique<RecordingWriter>("jpg", PGResolutions({resGray256, resTrueColor}));
    const RecordingWriter& w = *writer;
    registry.AddWriter(std::move(writer));
    TPixelGraphic image;
    image.SetSizeAndFormat(2, 2, pf4Bit);
    image.SetPaletteIdent(pGray16);
    image.SetSaveColorResWarningAction(pgwaIgnore);
    TMemoryStream stream;
    PGSaveImage(registry, image, stream, "jpg");
    EXPECT_EQ(w.Format, pf8Bit);
    EXPECT_EQ(w.Ident, pGray256);
}

TEST(Registry, SaveToFileNeverCostsTheOldFile) {
    TTempDir dir;
    const auto target = dir / "picture.bmp";
    WriteFileBytes(target, {'o', 'l', 'd'});
    TPixelGraphic image;
    rgbImage(image);
    image.SetSaveColorResWarningAction(pgwaRaise);
    const auto pbm = dir / "picture.pbm";
    WriteFileBytes(pbm, {'o', 'l', 'd'});
    EXPECT_THROW(image.SaveToFile(pbm), EPixelGraphic);
    EXPECT_EQ(ReadFileBytes(pbm), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_THROW(image.SaveToFile(dir / "new.gif"), EPGUnknownExtension);
    image.SaveToFile(target);
    TPixelGraphic back;
    back.LoadFromFile(target);
    EXPECT_TRUE(SamePixels(back, ToReference(image)));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 2) << "no temporary file is left behind";
    EXPECT_THROW(image.SaveToFile(dir / "missing-folder" / "x.bmp"), std::exception);
}

TEST(Registry, GetImageInfoAnswersFalseWithEmptyOutputs) {
    TTempDir dir;
    WriteFileBytes(dir / "junk.bmp", std::vector<uint8_t>(30, 0x42));
    for (auto path : {dir / "missing.bmp", dir / "junk.bmp", dir.Path()}) {
        TPGImageInfo info;
        info.Width = 99;
        EXPECT_FALSE(GetImageInfo(path, 0, info)) << path;
        EXPECT_EQ(info.Width, 0);
        EXPECT_EQ(info.FormatName, "");
    }
}

TEST(Registry, GammaCorrectionOnLoad) {
    struct Case {
        long double FileGamma;
        uint8_t In, Out;
    } cases[] = {{2.2L, 100, 100}, {2.25L, 100, 100}, {1.0L, 128, 186}, {4.4L, 128, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.FileGamma));
        TPixelGraphic image;
        image.SetSizeAndFormat(1, 1, pf24Bit);
        image.SetPixel(0, 0, PGColor(c.In, 0, 255));
        image.SetGamma(c.FileGamma);
        ApplyGammaCorrection(image);
        const long double e = c.FileGamma / DisplayGamma;
        EXPECT_EQ(PGRed(image.GetPixel(0, 0)), c.Out)
            << "table value " << std::nearbyint(255 * std::pow(c.In / 255.0L, e));
        EXPECT_EQ(PGGreen(image.GetPixel(0, 0)), 0);
        EXPECT_EQ(PGBlue(image.GetPixel(0, 0)), 255);
        EXPECT_EQ(image.Gamma(), std::fabs(e - 1) > 0.05L ? DisplayGamma : c.FileGamma);
    }
}

TEST(Registry, ComponentStreamingKeepsTheStreamPosition) {
    TPixelGraphic image;
    rgbImage(image);
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    image.WriteData(stream);
    stream.WriteBuffer("z", 1);
    stream.SetPosition(3);
    TPixelGraphic back;
    back.ReadData(stream);
    char z = 0;
    stream.ReadBuffer(&z, 1);
    EXPECT_EQ(z, 'z');
    EXPECT_TRUE(SamePixels(back, ToReference(image)));
}

TEST(Pgtool, InfoAndConvert) {
    TTempDir dir;
    const std::string tool = GLIMMET_PGTOOL;
    const std::string out = (dir / "out.txt").string();
    ASSERT_EQ(RunCommand(tool + " info " + TestData("bmp/rle4.bmp").string() + " > " + out), 0);
    const auto text = ReadFileBytes(out);
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "FormatName: Bitmap\nImageCount: 1\nBitCount: 4\nColors: 16\nWidth: 9\nHeight: 4\n"
              "Options: \nSubFormat: Windows, RLE4\n");
    ASSERT_EQ(RunCommand(tool + " convert " + TestData("bmp/rle4.bmp").string() + " " +
                         (dir / "copy.dib").string()),
              0);
    TPixelGraphic copy;
    copy.LoadFromFile(dir / "copy.dib");
    EXPECT_TRUE(SamePixels(copy, LoadReferencePPM(TestData("bmp/rle4.ppm"))));
    EXPECT_EQ(RunCommand(tool + " convert " + TestData("bmp/rle4.bmp").string() + " " +
                         (dir / "x.gif").string() + " 2>/dev/null"),
              1);
    ASSERT_EQ(RunCommand(tool + " convert " + TestData("bmp/rle4.bmp").string() + " " +
                         (dir / "turned.bmp").string() +
                         " --rotate 90 --flip v --resize 8x18:fast"),
              0);
    TPixelGraphic turned;
    turned.LoadFromFile(dir / "turned.bmp");
    ASSERT_EQ(turned.Width(), 8);
    ASSERT_EQ(turned.Height(), 18);
    // A clockwise turn then a vertical flip is a transpose: (x, y) comes from source (8 - y, 3 -
    // x).
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(turned.GetPixelColor(x, y), copy.GetPixelColor(8 - y / 2, 3 - x / 2))
                << x << "," << y;
    EXPECT_EQ(RunCommand(tool + " convert " + TestData("bmp/rle4.bmp").string() + " " +
                         (dir / "bad.bmp").string() + " --resize 0x3 2>/dev/null"),
              1);
    EXPECT_EQ(RunCommand(tool + " info " + (dir / "none.bmp").string() + " 2>/dev/null"), 1);
    EXPECT_EQ(RunCommand(tool + " bogus 2>/dev/null"), 1);
}
