#include "bmp_format.h"
#include "optimal_palette.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using TImage = std::unique_ptr<TPixelGraphic>;

// 32 x 16 true-colour pixels in 512 different histogram cells.
TImage colourfulImage() {
    auto image = std::make_unique<TPixelGraphic>();
    image->SetSizeAndFormat(32, 16, pf24Bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            image->SetPixel(x, y, PGColor(8 * x, 16 * y, (x * y * 5) & 255));
    image->SetSaveColorResWarningAction(pgwaIgnore);
    return image;
}

struct ClassCase {
    TPGResolution Class;
    int BitCount;
    TPaletteIdent Ident; // of the saved palette, after classification
    int OptimalColors;   // 0: the fixed palette of Ident
    bool SystemColors;
};

const ClassCase classCases[] = {
    {resBlackWhite, 1, pBlackWhite, 0, false}, {res2Colors, 1, pUnknown, 2, false},
    {resGray16, 4, pGray16, 0, false},         {resSys16, 4, pSys16, 0, false},
    {res16Colors, 4, pUnknown, 16, false},     {resGray256, 8, pGray256, 0, false},
    {res256Colors, 8, pUnknown, 252, true},    {resTrueColor, 24, pTrueColor, 0, false},
};

// The conversion the save path promises: a fresh image of the class's format and palette with
// the image copied in under the default settings.
TImage expectedConversion(const TPixelGraphic& image, const ClassCase& c) {
    auto expected = std::make_unique<TPixelGraphic>();
    expected->SetSizeAndFormat(image.Width(), image.Height(), PixelFormatOfBitCount(c.BitCount));
    if (c.OptimalColors > 0)
        CreateOptimalPalette(*expected, image, c.OptimalColors, c.SystemColors);
    else
        expected->SetPaletteIdent(c.Ident);
    expected->CopyRect(0, 0, image, 0, 0, image.Height(), image.Width());
    return expected;
}

// Saves through a BMP writer that can store only the given class.
std::vector<uint8_t> saveForcing(TPixelGraphic& image, TPGResolution c) {
    TPGRegistry registry;
    auto writer = std::make_unique<TBMPFileFormatWriter>();
    writer->CanWriteResolutions = PGResolutions({c});
    registry.AddWriter(std::move(writer));
    registry.Sort();
    TMemoryStream stream;
    PGSaveImage(registry, image, stream, "bmp");
    return stream.Data();
}

TImage loadBMP(const std::vector<uint8_t>& bytes) {
    auto image = std::make_unique<TPixelGraphic>();
    TMemoryStream stream(bytes);
    PGLoadImage(PGRegistry(), *image, stream, "bmp", 0);
    return image;
}

TEST(SaveConversion, EveryClassGetsItsDepthAndPalette) {
    TImage image = colourfulImage();
    const TRefImage original = ToReference(*image);
    for (const ClassCase& c : classCases) {
        const std::string name = ResolutionName(c.Class);
        TImage saved = loadBMP(saveForcing(*image, c.Class));
        TImage expected = expectedConversion(*image, c);
        EXPECT_EQ(saved->BitCount(), c.BitCount) << name;
        EXPECT_EQ(saved->PaletteIdent(), c.Ident) << name;
        EXPECT_EQ(saved->Palette(), expected->Palette()) << name;
        EXPECT_TRUE(SamePixels(*saved, ToReference(*expected))) << name;
        EXPECT_TRUE(SamePixels(*image, original)) << "the image itself is not changed";
    }
}

TEST(SaveConversion, OptimalPalettesHaveTheirSizes) {
    TImage image = colourfulImage();
    const std::vector<uint32_t>& sys16 = PredefinedPalette(pSys16);
    EXPECT_EQ(loadBMP(saveForcing(*image, res2Colors))->PaletteCount(), 2);
    EXPECT_EQ(loadBMP(saveForcing(*image, res16Colors))->PaletteCount(), 16);
    const std::vector<uint32_t> palette = loadBMP(saveForcing(*image, res256Colors))->Palette();
    ASSERT_EQ(palette.size(), 252u);
    EXPECT_EQ(std::vector<uint32_t>(palette.end() - 16, palette.end()), sys16);
}

TEST(SaveConversion, IndependentDecoderReadsEveryClass) {
    const std::string convert = "/usr/bin/convert";
    if (!ToolAvailable(convert)) GTEST_SKIP() << "ImageMagick is not installed";
    TImage image = colourfulImage();
    TTempDir dir;
    for (const ClassCase& c : classCases) {
        const std::string name = ResolutionName(c.Class);
        const std::vector<uint8_t> bytes = saveForcing(*image, c.Class);
        WriteFileBytes(dir / "out.bmp", bytes);
        ASSERT_EQ(RunCommand(convert + " " + (dir / "out.bmp").string() +
                             " -depth 8 ppm:" + (dir / "out.ppm").string()),
                  0)
            << name;
        EXPECT_TRUE(SamePixels(*loadBMP(bytes), LoadReferencePPM(dir / "out.ppm"))) << name;
    }
}

TEST(Pgtool, ConvertsToTheAskedDepth) {
    TTempDir dir;
    colourfulImage()->SaveToFile(dir / "in.bmp");
    struct Case {
        const char* Options;
        int BitCount;
        TPaletteIdent Ident;
        int Colors;
    };
    const Case cases[] = {
        {"--bits 1 --palette fixed", 1, pBlackWhite, 2},
        {"--bits 1", 1, pUnknown, 2},
        {"--bits 4 --palette fixed", 4, pSys16, 16},
        {"--bits 4 --palette optimal", 4, pUnknown, 16},
        {"--bits 8 --palette fixed", 8, pSpecial252, 252},
        {"--bits 8", 8, pUnknown, 252},
        {"--bits 24", 24, pTrueColor, 0},
    };
    for (const Case& c : cases) {
        const std::string command = std::string(GLIMMET_PGTOOL) + " convert " +
                                    (dir / "in.bmp").string() + " " + (dir / "out.bmp").string() +
                                    " " + c.Options;
        ASSERT_EQ(RunCommand(command), 0) << c.Options;
        TPixelGraphic out;
        out.LoadFromFile(dir / "out.bmp");
        EXPECT_EQ(out.BitCount(), c.BitCount) << c.Options;
        EXPECT_EQ(out.PaletteIdent(), c.Ident) << c.Options;
        EXPECT_EQ(out.PaletteCount(), c.Colors) << c.Options;
    }
    for (const char* wrong : {"--palette fixed", "--bits 3", "--bits 8 --palette best"})
        EXPECT_EQ(RunCommand(std::string(GLIMMET_PGTOOL) + " convert " + (dir / "in.bmp").string() +
                             " " + (dir / "bad.bmp").string() + " " + wrong + " 2>/dev/null"),
                  1)
            << wrong;
}

} // namespace
