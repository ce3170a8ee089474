#include "pixel_graphic.h"
#include "test_support.h"

#include <cstring>

TEST(PixelGraphic, DefaultsAfterConstruction) {
    TPixelGraphic image;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.PixelFormat(), pf24Bit);
    EXPECT_EQ(image.PaletteIdent(), pTrueColor);
    EXPECT_TRUE(image.Dither());
    EXPECT_EQ(image.DitherErrorLimit(), 32);
    EXPECT_TRUE(image.UseColorCache());
    EXPECT_FALSE(image.FastLoad());
    EXPECT_EQ(image.Gamma(), DisplayGamma);
    EXPECT_DOUBLE_EQ(static_cast<double>(DisplayGamma), 2.2);
    EXPECT_EQ(image.StretchMode(), smPrecise);
    EXPECT_EQ(image.ReadWarningAction(), pgwaOKCancelBox);
    EXPECT_EQ(image.SaveColorResWarningAction(), pgwaOKCancelBox);
}

TEST(PixelGraphic, LayoutOfEveryFormat) {
    struct Case {
        uint8_t Format;
        int Width;
        int64_t BytesPerRow;
    } cases[] = {{pf1Bit, 3, 4}, {pf1Bit, 33, 8}, {pf4Bit, 9, 8}, {pf8Bit, 5, 8}, {pf24Bit, 5, 16}};
    for (const Case& c : cases) {
        TPixelGraphic image;
        image.SetSizeAndFormat(c.Width, 2, c.Format);
        EXPECT_EQ(image.BytesPerRow(), c.BytesPerRow);
        EXPECT_EQ(image.ImageSize(), 2 * c.BytesPerRow);
        EXPECT_EQ(image.ScanLine(0), image.Bits() + c.BytesPerRow) << "row 0 is stored last";
        EXPECT_EQ(image.BitmapInfo().size(), 40u + 4 * image.ColorCount());
    }
}

TEST(PixelGraphic, PixelBitsAndBytes) {
    TPixelGraphic one;
    one.SetSizeAndFormat(3, 1, pf1Bit);
    one.SetPixel(0, 0, 1);
    EXPECT_EQ(one.ScanLine(0)[0], 0x80);
    one.SetPixel(0, 0, 2);
    EXPECT_EQ(one.ScanLine(0)[0], 0x00) << "only the value 1 sets the bit";

    TPixelGraphic four;
    four.SetSizeAndFormat(2, 1, pf4Bit);
    four.SetPixel(0, 0, 0xA);
    four.SetPixel(1, 0, 0x13);
    EXPECT_EQ(four.ScanLine(0)[0], 0xA3);
    EXPECT_EQ(four.GetPixel(1, 0), 3u);

    TPixelGraphic rgb;
    rgb.SetSizeAndFormat(2, 2, pf24Bit);
    rgb.SetPixel(1, 1, PGColor(10, 20, 30));
    const uint8_t* p = rgb.ScanLine(1) + 3;
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
    EXPECT_EQ(rgb.GetPixel(1, 1), PGColor(10, 20, 30));
}

TEST(PixelGraphic, OutsideTheImageGivesTheBackground) {
    TPixelGraphic image;
    image.SetSizeAndFormat(2, 2, pf24Bit);
    image.SetBackGroundColor(PGColor(1, 2, 3));
    EXPECT_EQ(image.GetPixel(-1, 0), PGColor(1, 2, 3));
    EXPECT_EQ(image.GetPixel(0, 2), PGColor(1, 2, 3));
    image.SetPixel(2, 0, 0xFFFFFF);
    std::vector<uint8_t> zeros(image.ImageSize(), 0);
    EXPECT_EQ(0, std::memcmp(image.Bits(), zeros.data(), zeros.size()));
}

TEST(PixelGraphic, SameSizeAndFormatClearsToTheBackground) {
    TPixelGraphic image;
    image.SetSizeAndFormat(3, 2, pf8Bit);
    image.SetPaletteIdent(pGray256);
    image.SetBackGroundColor(PGColor(7, 7, 7));
    image.SetPixel(0, 0, 200);
    image.SetSizeAndFormat(3, 2, pf8Bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(image.GetPixel(x, y), 7u);
    EXPECT_EQ(image.ScanLine(0)[3], 0) << "padding stays zero";

    TPixelGraphic rgb;
    rgb.SetSizeAndFormat(2, 3, pf24Bit);
    rgb.SetBackGroundColor(PGColor(9, 8, 7));
    rgb.Clear();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(rgb.GetPixel(x, y), PGColor(9, 8, 7));
}

TEST(PixelGraphic, FormatChangesCutButNeverGrowThePalette) {
    TPixelGraphic image;
    image.SetSizeAndFormat(2, 2, pf8Bit);
    image.SetPaletteIdent(pGray256);
    image.SetPixelFormat(pf4Bit);
    EXPECT_EQ(image.PaletteCount(), 16);
    image.SetPixelFormat(pf8Bit);
    EXPECT_EQ(image.PaletteCount(), 16);
    image.SetPixelFormat(pf24Bit);
    EXPECT_EQ(image.PaletteCount(), 0);
    EXPECT_EQ(image.PaletteIdent(), pTrueColor);
    image.SetPixelFormat(pf8Bit);
    EXPECT_EQ(image.PaletteIdent(), pNone) << "a palette format without entries has no palette";
    EXPECT_THROW(image.NearestIndex(0), EPGNoPalette);
}

TEST(PixelGraphic, SizeErrorsAndTheCap) {
    TPixelGraphic image;
    image.SetSizeAndFormat(4, 4, pf24Bit);
    EXPECT_EQ(ErrorOf<EPGInvalidSize>([&] { image.SetSizeAndFormat(-1, 4, pf24Bit); }),
              "Negative width");
    EXPECT_EQ(ErrorOf<EPGInvalidSize>([&] { image.SetHeight(-5); }), "Negative height");
    EXPECT_EQ(image.Width(), 4) << "a refused size changes nothing";
    EXPECT_EQ(ErrorOf([&] { image.SetSizeAndFormat(70000, 70000, pf24Bit); }),
              "CreateDIBSection failed");
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0) << "no sizes without memory";
    EXPECT_EQ(image.ImageSize(), 0);
    EXPECT_THROW(PixelFormatOfBitCount(16), EPGInvalidBitCountNum);
    EXPECT_EQ(PixelFormatOfBitCount(8), pf8Bit);
}

TEST(PixelGraphic, ClassifyPalette) {
    struct Case {
        const char* Name;
        std::vector<uint32_t> Entries;
        uint8_t Format;
        TPaletteIdent Expected;
        bool Grey;
    } cases[] = {
        {"grey 4", {0, 0x555555, 0xAAAAAA, 0xFFFFFF}, pf4Bit, pGray4, true},
        {"grey 4 reordered", {0x555555, 0, 0xAAAAAA, 0xFFFFFF}, pf4Bit, pUnknown, true},
        {"white then black", {0xFFFFFF, 0}, pf1Bit, pUnknown, true},
        {"black then white", {0, 0xFFFFFF}, pf1Bit, pBlackWhite, true},
        {"system grey 4", {0, 0x808080, 0xC0C0C0, 0xFFFFFF}, pf4Bit, pSysGray4, true},
        {"colour", {0x0000FF, 0xFF0000}, pf1Bit, pUnknown, false},
        {"empty", {}, pf8Bit, pNone, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        image.SetSizeAndFormat(1, 1, c.Format);
        image.SetPaletteCount(static_cast<int>(c.Entries.size()));
        for (size_t i = 0; i < c.Entries.size(); ++i)
            image.SetPaletteEntry(static_cast<int>(i), c.Entries[i]);
        image.ClassifyPalette();
        EXPECT_EQ(image.PaletteIdent(), c.Expected);
        EXPECT_EQ(image.IsGrayScale(), c.Grey);
    }
}

TEST(PixelGraphic, PredefinedPalettesRoundTripThroughClassification) {
    struct Case {
        TPaletteIdent Ident;
        size_t Count;
        uint32_t Sample; // entry 5 (or the last for short palettes)
    } cases[] = {
        {pBlackWhite, 2, 0xFFFFFF},
        {pSysGray4, 4, 0xFFFFFF},
        {pSys16, 16, PGColor(128, 0, 128)},
        {pGray4, 4, 0xFFFFFF},
        {pGray16, 16, PGColor(85, 85, 85)},
        {pGray236, 236, PGColor(5, 5, 5)},
        {pGray256, 256, PGColor(5, 5, 5)},
        {pSpecial125, 125, PGColor(0, 64, 0)},
        {pSpecial216, 216, PGColor(0, 0, 255)},
        {pSpecial252, 252, PGColor(128, 0, 128)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Ident));
        TPixelGraphic image;
        image.SetSizeAndFormat(1, 1, pf8Bit);
        image.SetPaletteIdent(c.Ident);
        ASSERT_EQ(image.Palette().size(), c.Count);
        EXPECT_EQ(image.Palette()[std::min<size_t>(5, c.Count - 1)], c.Sample);
        image.SetPaletteEntry(0, 0);
        EXPECT_EQ(image.PaletteIdent(), pUnknown);
        image.ClassifyPalette();
        EXPECT_EQ(image.PaletteIdent(), c.Ident);
    }
    const auto& p252 = PredefinedPalette(pSpecial252);
    EXPECT_EQ(p252[16], PGColor(0, 0, 64)) << "the cube follows the system colours";
    EXPECT_EQ(p252[125], PGColor(32, 32, 32));
    EXPECT_EQ(p252[251], PGColor(224, 96, 192));
}

TEST(PixelGraphic, PaletteAccessErrors) {
    TPixelGraphic rgb;
    rgb.SetSizeAndFormat(1, 1, pf24Bit);
    EXPECT_THROW(rgb.SetPaletteEntry(0, 0), EPGNoPalette);
    EXPECT_EQ(rgb.GetPaletteEntry(1234), 1234u) << "a true-colour index is the colour";
    TPixelGraphic pal;
    pal.SetSizeAndFormat(1, 1, pf4Bit);
    pal.SetPaletteCount(3);
    EXPECT_THROW(pal.GetPaletteEntry(3), EPGInvalidPaletteIndex);
    EXPECT_THROW(pal.SetPaletteEntry(-1, 0), EPGInvalidPaletteIndex);
    pal.SetPaletteEntry(2, PGColor(1, 2, 3));
    EXPECT_EQ(pal.GetPaletteEntry(2), PGColor(1, 2, 3));
    const uint8_t* table = pal.BitmapInfo().data() + 40;
    EXPECT_EQ(table[2 * 4 + 0], 3) << "the colour table mirrors the palette";
    EXPECT_EQ(table[2 * 4 + 2], 1);
}

TEST(PixelGraphic, NestedUpdatesReportOnce) {
    TPixelGraphic image;
    int changes = 0;
    image.OnChange = [&](TPixelGraphic&) { ++changes; };
    image.BeginUpdate();
    image.BeginUpdate();
    image.SetSizeAndFormat(2, 2, pf8Bit);
    image.EndUpdate();
    EXPECT_EQ(changes, 0);
    image.EndUpdate();
    EXPECT_EQ(changes, 1);
}

TEST(PixelGraphic, AssignCopiesPixelsPaletteAndSettings) {
    TPixelGraphic source;
    source.SetSizeAndFormat(3, 2, pf4Bit);
    source.SetPaletteIdent(pSys16);
    source.SetPixel(2, 1, 9);
    source.SetDither(false);
    source.SetStretchMode(smFast);
    source.SetTransparent(true);
    source.SetTransparentColor(PGColor(1, 2, 3));
    source.SetGamma(1.0L);
    int changes = 0;
    TPixelGraphic copy;
    copy.OnChange = [&](TPixelGraphic&) { ++changes; };
    copy.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.PaletteIdent(), pSys16);
    EXPECT_EQ(copy.GetPixel(2, 1), 9u);
    EXPECT_FALSE(copy.Dither());
    EXPECT_EQ(copy.StretchMode(), smFast);
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.TransparentColor(), PGColor(1, 2, 3));
    EXPECT_EQ(copy.Gamma(), 1.0L);
    EXPECT_EQ(0, std::memcmp(copy.Bits(), source.Bits(), source.ImageSize()));
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.PixelFormat(), pf24Bit);
}

TEST(Messages, CatalogueOrderAndPlaceholders) {
    EXPECT_NO_THROW(CheckPGLangStrEntries(PGLangStrEntries));
    std::vector<TPGLangStrEntry> broken(PGLangStrEntries, PGLangStrEntries + PGLangStrCount);
    broken[12].Number = 13;
    EXPECT_EQ(ErrorOf([&] { CheckPGLangStrEntries(broken); }),
              "PGLangStrEntries order wrong 12 and 13 are not identical");
    EXPECT_EQ(PGLangStr(msgUnknownExtension, "gif"), "Unknown file extension \"gif\"");
    EXPECT_EQ(PGLangStr(msgColorResWarning, "Bitmap", "%S3", "x"),
              "The graphic cannot be saved to a Bitmap file with the current color resolution "
              "(%S3).\r\rThe graphic will be saved with a different color resolution (x).")
        << "an argument is never substituted again";
    EXPECT_EQ(PGLangStr(0), "");
    EXPECT_EQ(PGLangStr(83), "\u00b0");
}
