#include "pixel_graphic.h"
#include "test_support.h"

namespace {

uint32_t grey(int v) {
    return PGColor(v, v, v);
}

// A w x h image in the given format whose pixel (x, y) holds a value unique to its position.
void numbered(TPixelGraphic& image, uint8_t format, int w, int h) {
    image.SetSizeAndFormat(w, h, format);
    if (format != pf24Bit) image.SetPaletteIdent(format == pf1Bit ? pBlackWhite : pGray256);
    if (format == pf4Bit) image.SetPaletteIdent(pGray16);
    const uint32_t modulus = format == pf1Bit ? 2 : format == pf4Bit ? 16 : 256;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t n = static_cast<uint32_t>(y * w + x + 1);
            image.SetPixel(x, y, format == pf24Bit ? PGColor(n, n * 7, n * 13) : n % modulus);
        }
}

std::vector<uint32_t> rowValues(const TPixelGraphic& image, int y) {
    std::vector<uint32_t> v;
    for (int x = 0; x < image.Width(); ++x) v.push_back(PGRed(image.GetPixelColor(x, y)));
    return v;
}

TPixelGraphic& greyRow(TPixelGraphic& image, std::vector<int> values) {
    image.SetSizeAndFormat(static_cast<int>(values.size()), 1, pf24Bit);
    for (size_t x = 0; x < values.size(); ++x)
        image.SetPixel(static_cast<int>(x), 0, grey(values[x]));
    return image;
}

} // namespace

TEST(Transforms, FlipsMirrorEveryFormatAndUndoThemselves) {
    for (uint8_t format : {pf1Bit, pf4Bit, pf8Bit, pf24Bit}) {
        SCOPED_TRACE(static_cast<int>(format));
        TPixelGraphic image, original;
        numbered(image, format, 11, 3);
        original.Assign(&image);
        image.FlipHorizontal();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x)
                ASSERT_EQ(image.GetPixel(x, y), original.GetPixel(10 - x, y));
        image.FlipHorizontal();
        image.FlipVertical();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x)
                ASSERT_EQ(image.GetPixel(x, y), original.GetPixel(x, 2 - y));
        image.FlipVertical();
        EXPECT_TRUE(SamePixels(image, ToReference(original)));
    }
    TPixelGraphic column, row;
    numbered(column, pf24Bit, 1, 4);
    numbered(row, pf24Bit, 4, 1);
    const TRefImage columnBefore = ToReference(column), rowBefore = ToReference(row);
    column.FlipHorizontal();
    row.FlipVertical();
    EXPECT_TRUE(SamePixels(column, columnBefore));
    EXPECT_TRUE(SamePixels(row, rowBefore));
}

TEST(Transforms, ResamplingRules) {
    struct Case {
        const char* Name;
        TStretchMode Mode;
        std::vector<int> Source;
        std::vector<uint32_t> Expected;
    } cases[] = {
        {"halve, area", smPrecise, {0, 100, 200, 250}, {50, 225}},
        {"halve, nearest", smFast, {0, 100, 200, 250}, {0, 200}},
        {"halve, two-point", smMedium, {0, 100, 200, 250}, {50, 225}},
        {"double, two-point", smPrecise, {0, 200}, {0, 50, 150, 200}},
        {"double, area", smMedium, {0, 200}, {0, 0, 200, 200}},
        {"three to two, area", smPrecise, {0, 90, 180}, {30, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic source, dest;
        greyRow(source, c.Source);
        dest.SetSizeAndFormat(static_cast<int>(c.Expected.size()), 1, pf24Bit);
        dest.SetStretchMode(c.Mode);
        dest.CopyFrom(source);
        EXPECT_EQ(rowValues(dest, 0), c.Expected);
    }
}

TEST(Transforms, LargeResizesDoNotOverflow) {
    TPixelGraphic source, dest;
    source.SetSizeAndFormat(50000, 1, pf24Bit);
    for (int x = 0; x < 50000; ++x) source.SetPixel(x, 0, grey(x * 255 / 49999));
    for (TStretchMode mode : {smFast, smMedium, smPrecise}) {
        SCOPED_TRACE(static_cast<int>(mode));
        dest.SetSizeAndFormat(30000, 1, pf24Bit);
        dest.SetStretchMode(mode);
        dest.CopyFrom(source);
        const auto values = rowValues(dest, 0);
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "a ramp stays a ramp";
        EXPECT_LE(values.front(), 1u);
        EXPECT_GE(values.back(), 254u);
    }
}

TEST(Transforms, StretchWritesOnlyTheOverlapAndRefusesEmptyBlocks) {
    TPixelGraphic source, dest;
    greyRow(source, {100, 100});
    dest.SetSizeAndFormat(4, 2, pf24Bit);
    dest.StretchCopy(2, 1, source, 1, 2, 0, 0, 3, 4);
    EXPECT_EQ(rowValues(dest, 0), (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ(rowValues(dest, 1), (std::vector<uint32_t>{0, 0, 100, 100}));
    EXPECT_EQ(ErrorOf<EPGInvalidSize>([&] { dest.StretchCopy(0, 0, source, 1, 2, 0, 0, 0, 3); }),
              "Width = 0 or Height = 0");
}

TEST(Transforms, StretchAbortKeepsTheRowsDone) {
    TPixelGraphic source, dest;
    source.SetSizeAndFormat(4, 4, pf24Bit);
    source.SetBackGroundColor(grey(80));
    source.Clear();
    dest.SetSizeAndFormat(2, 8, pf24Bit);
    dest.OnProgress = [](TPixelGraphic&, int step, int, bool& abort) { abort = step == 2; };
    dest.CopyFrom(source);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(PGRed(dest.GetPixel(0, y)), y <= 2 ? 80 : 0) << "row " << y;
}

TEST(Transforms, RotationAbortKeepsTheRowsDone) {
    TPixelGraphic source, dest;
    source.SetSizeAndFormat(6, 6, pf24Bit);
    source.SetBackGroundColor(grey(90));
    source.Clear();
    dest.SetSizeAndFormat(6, 6, pf24Bit);
    int ends = 0;
    dest.OnProgress = [](TPixelGraphic&, int step, int, bool& abort) { abort = step == 1; };
    dest.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
    dest.Rotate(false, source, 10);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(PGRed(dest.GetPixel(3, 1)), 90) << "a row before the abort";
    EXPECT_EQ(dest.GetPixel(3, 4), 0u) << "a row after it";
}

TEST(Transforms, QuarterTurnsArePermutations) {
    for (auto [w, h] : {std::pair{4, 2}, {3, 5}}) {
        for (uint8_t format : {pf1Bit, pf4Bit, pf8Bit, pf24Bit}) {
            TPixelGraphic source;
            numbered(source, format, w, h);
            for (int angle : {90, 180, 270, -90, 360, 450}) {
                SCOPED_TRACE(testing::Message()
                             << w << "x" << h << " format " << int(format) << " angle " << angle);
                TPixelGraphic dest;
                dest.SetSizeAndFormat(1, 1, format);
                dest.SetPaletteIdent(source.PaletteIdent());
                dest.Rotate(true, source, angle);
                const int q = ((angle % 360) + 360) % 360 / 90;
                ASSERT_EQ(dest.Width(), q % 2 ? h : w);
                ASSERT_EQ(dest.Height(), q % 2 ? w : h);
                for (int y = 0; y < dest.Height(); ++y)
                    for (int x = 0; x < dest.Width(); ++x) {
                        const int sx = q == 0 ? x : q == 1 ? y : q == 2 ? w - 1 - x : w - 1 - y;
                        const int sy = q == 0 ? y : q == 1 ? h - 1 - x : q == 2 ? h - 1 - y : x;
                        ASSERT_EQ(dest.GetPixelColor(x, y), source.GetPixelColor(sx, sy))
                            << "at " << x << "," << y;
                    }
            }
        }
    }
}

TEST(Transforms, QuarterTurnReportsItsRowsAndAnAbortLeavesTheImageAsItWas) {
    TPixelGraphic source;
    numbered(source, pf24Bit, 130, 3); // turned: 3 wide, 130 high

    TPixelGraphic turned;
    std::vector<std::pair<int, int>> steps;
    int starts = 0, ends = 0;
    turned.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
    turned.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
    turned.OnProgress = [&](TPixelGraphic&, int step, int max, bool&) {
        steps.emplace_back(step, max);
    };
    turned.Rotate(true, source, 90);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    ASSERT_GE(steps.size(), 2u) << "130 rows are reported on the way";
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].second, 129);
        EXPECT_GT(steps[i].first, i > 0 ? steps[i - 1].first : -1);
    }
    EXPECT_EQ(steps.back().first, 129);

    const struct {
        const char* Name;
        bool Resize;
        int Width, Height;
    } cases[] = {{"resizing", true, 5, 4}, {"into the turned size", false, 3, 130}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic dest;
        dest.SetSizeAndFormat(c.Width, c.Height, pf24Bit);
        dest.SetBackGroundColor(grey(70));
        dest.Clear();
        const TRefImage before = ToReference(dest);
        int aborts = 0;
        dest.OnProgress = [&](TPixelGraphic&, int, int, bool& abort) { abort = ++aborts == 1; };
        dest.Rotate(c.Resize, source, 90);
        EXPECT_EQ(aborts, 1);
        EXPECT_TRUE(SamePixels(dest, before));

        dest.OnProgress = nullptr;
        dest.Rotate(c.Resize, source, 90);
        ASSERT_EQ(dest.Width(), 3);
        ASSERT_EQ(dest.Height(), 130);
        EXPECT_EQ(dest.GetPixelColor(0, 0), source.GetPixelColor(0, 2));
        EXPECT_EQ(dest.GetPixelColor(2, 129), source.GetPixelColor(129, 0));
    }
}

TEST(Transforms, QuarterTurnIntoAnotherFormatConvertsColours) {
    TPixelGraphic source, dest;
    greyRow(source, {10, 120, 250});
    dest.SetSizeAndFormat(1, 1, pf8Bit);
    dest.SetPaletteIdent(pGray256);
    dest.SetDither(false);
    dest.Rotate(true, source, 90);
    ASSERT_EQ(dest.Width(), 1);
    ASSERT_EQ(dest.Height(), 3);
    EXPECT_EQ(dest.GetPixel(0, 0), 10u);
    EXPECT_EQ(dest.GetPixel(0, 2), 250u);
}

TEST(Transforms, FreeAngleRotation) {
    TPixelGraphic source, dest;
    source.SetSizeAndFormat(10, 10, pf24Bit);
    source.SetBackGroundColor(PGColor(50, 100, 150));
    source.Clear();
    dest.Rotate(true, source, 45);
    EXPECT_EQ(dest.Width(), 16);
    EXPECT_EQ(dest.Height(), 15);
    EXPECT_EQ(dest.GetPixel(0, 0), 0u) << "corners keep the zero-filled memory";
    EXPECT_EQ(dest.GetPixel(15, 14), 0u);
    EXPECT_EQ(dest.GetPixel(8, 7), PGColor(50, 100, 150)) << "inside the square: the colour";

    TPixelGraphic nearest;
    nearest.SetRotateInterpolate(false);
    nearest.Rotate(true, source, 17);
    int coloured = 0;
    for (int y = 0; y < nearest.Height(); ++y)
        for (int x = 0; x < nearest.Width(); ++x) {
            const uint32_t c = nearest.GetPixel(x, y);
            ASSERT_TRUE(c == 0 || c == PGColor(50, 100, 150)) << "nearest sampling never blends";
            coloured += c != 0;
        }
    EXPECT_NEAR(coloured, 100, 12) << "the rotated square keeps its area";
}

TEST(Transforms, PaletteDestinationsAreDithered) {
    TPixelGraphic source;
    source.SetSizeAndFormat(8, 8, pf24Bit);
    source.SetBackGroundColor(grey(128));
    source.Clear();
    for (bool dither : {true, false}) {
        SCOPED_TRACE(dither);
        TPixelGraphic stretched, rotated;
        for (TPixelGraphic* dest : {&stretched, &rotated}) {
            dest->SetSizeAndFormat(16, 16, pf1Bit);
            dest->SetPaletteIdent(pBlackWhite);
            dest->SetDither(dither);
        }
        stretched.CopyFrom(source);
        rotated.Rotate(false, source, 30);
        auto whites = [](const TPixelGraphic& image, int from, int to) {
            int n = 0;
            for (int y = from; y < to; ++y)
                for (int x = from; x < to; ++x) n += image.GetPixel(x, y) == 1;
            return n;
        };
        // Flat 50 % grey: about half white with diffusion, all white (brightness 384) without.
        EXPECT_NEAR(whites(stretched, 0, 16), dither ? 128 : 256, dither ? 16 : 0);
        EXPECT_NEAR(whites(rotated, 6, 10), dither ? 8 : 16, dither ? 4 : 0)
            << "inside the turned square";
    }
}
