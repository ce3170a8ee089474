// The text chunks and the 8-bit RGBA files of shared thumbnails, written and read back by our
// own reader.

#include "png_format.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(PngTexts, RgbaFileKeepsItsTextsAndPixels) {
    // Two pixels: opaque red, then a half-transparent green.
    const uint8_t rows[2][8] = {{255, 0, 0, 255, 0, 255, 0, 128}, {0, 0, 255, 255, 9, 9, 9, 0}};
    const TPNGTexts texts = {{"Thumb::URI", "file:///p/a%20b.jpg"},
                             {"Thumb::MTime", "1704110400"},
                             {"Software", "Glimmet"}};
    TMemoryStream file;
    WritePNGRGBA(file, 2, 2, &rows[0][0], 8, texts);

    file.Seek(0, TSeekOrigin::Begin);
    EXPECT_EQ(ReadPNGTexts(file), texts);
    file.Seek(0, TSeekOrigin::Begin);
    TPGImageInfo info;
    TPNGFileFormatReader().GetInfo(file, 0, info);
    EXPECT_EQ(info.BitCount, 32);
    EXPECT_EQ(info.SubFormat, "RGB, alpha");
    file.Seek(0, TSeekOrigin::Begin);
    TPixelGraphic image;
    TPNGFileFormatReader().ReadImage(file, image, 0);
    EXPECT_EQ(image.GetPixelColor(0, 0), PGColor(255, 0, 0));
    EXPECT_EQ(image.GetPixelColor(0, 1), PGColor(0, 0, 255));
}

TEST(PngTexts, RefusesRowsShorterThanTheWidth) {
    const uint8_t row[4] = {};
    TMemoryStream file;
    EXPECT_THROW(WritePNGRGBA(file, 2, 1, row, 4, {}), EPGPNGFileFormatReaderWriter);
    EXPECT_THROW(WritePNGRGBA(file, 0, 1, row, 4, {}), EPGPNGFileFormatReaderWriter);
    TMemoryStream notPng(std::vector<uint8_t>(64, 'x'));
    EXPECT_THROW(ReadPNGTexts(notPng), EPGPNGFileFormatReaderWriter);
}

} // namespace
