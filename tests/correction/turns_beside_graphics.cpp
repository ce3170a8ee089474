// VuxRotateDib beside the image library's own exact quarter turns and flip, at 4, 8 and 24 bits:
// both are permutations of stored values, so every pixel must agree.

#include "clarend.h"
#include "pixel_graphic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Odd sides, so nibbles and row padding fall differently after a turn.
void numbered(uint8_t format, TPixelGraphic& image) {
    image.SetSizeAndFormat(7, 5, format);
    if (format != pf24Bit) {
        const int entries = format == pf4Bit ? 16 : 256;
        image.SetPaletteCount(entries);
        for (int i = 0; i < entries; ++i) image.SetPaletteEntry(i, uint32_t(i * 0x010203));
    }
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const uint32_t v = uint32_t(x * 5 + y * 3 + 1);
            image.SetPixel(x, y, format == pf24Bit ? v * 0x0A0B0C : format == pf4Bit ? v % 16 : v);
        }
}

// The picture through the library's turn, back in the image model.
void turned(TPixelGraphic& image, int32_t mode, TPixelGraphic& result) {
    uint32_t format = 0;
    const std::vector<uint8_t> dib = image.SaveToClipboardFormat(format);
    HGLOBAL block = GlobalAlloc(dib.size());
    std::memcpy(GlobalLock(block), dib.data(), dib.size());
    GlobalUnlock(block);
    int32_t err = 1;
    HGLOBAL answer = VuxRotateDib(block, mode, &err);
    GlobalFree(block);
    EXPECT_EQ(err, 0);
    if (!answer) return;
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(answer));
    result.LoadFromClipboardFormat(format, std::span<const uint8_t>(bytes, GlobalSize(answer)));
    GlobalUnlock(answer);
    GlobalFree(answer);
}

void expectSamePixels(const TPixelGraphic& ours, const TPixelGraphic& theirs, const char* what) {
    ASSERT_EQ(ours.Width(), theirs.Width()) << what;
    ASSERT_EQ(ours.Height(), theirs.Height()) << what;
    for (int y = 0; y < ours.Height(); ++y)
        for (int x = 0; x < ours.Width(); ++x)
            ASSERT_EQ(ours.GetPixel(x, y), theirs.GetPixel(x, y))
                << what << " at " << x << "," << y;
}

TEST(TurnsBesideGraphics, AgreeWithTheExactTurnsAndFlip) {
    // The image model turns clockwise, as seen, for a positive angle.
    const struct {
        int32_t Mode;
        double Angle;
        bool Flip;
        const char* What;
    } cases[] = {
        {2, 90, false, "mode 2"}, {4, 180, false, "mode 4"}, {6, -90, false, "mode 6"},
        {1, 0, true, "mode 1"},   {3, 90, true, "mode 3"},
    };
    for (uint8_t format : {pf4Bit, pf8Bit, pf24Bit})
        for (const auto& c : cases) {
            TPixelGraphic source, ours;
            numbered(format, source);
            turned(source, c.Mode, ours);
            TPixelGraphic theirs;
            theirs.SetSizeAndFormat(1, 1, format);
            theirs.SetPaletteCount(int(source.Palette().size()));
            for (size_t i = 0; i < source.Palette().size(); ++i)
                theirs.SetPaletteEntry(int(i), source.Palette()[i]);
            theirs.Rotate(true, source, c.Angle);
            if (c.Flip) theirs.FlipVertical();
            expectSamePixels(ours, theirs, c.What);
        }
}

} // namespace
