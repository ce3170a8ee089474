// In-place edits that keep the pixel block must still reach the screen.

#include "pg_image_fixture.h"

using namespace pgtest;

// Both palette formats keep a copied colour table in the view; the 4-bit one copies the pixels
// too, so an edit of either must be noticed by the change it reports.
TEST(PGImageRepaint, EditsInPlaceOfPaletteImagesAreShown) {
    struct Case {
        uint8_t Format;
        bool EditPalette; // otherwise a pixel changes its index
    };
    for (const Case c : {Case{pf8Bit, true}, Case{pf4Bit, true}, Case{pf4Bit, false}}) {
        SCOPED_TRACE(testing::Message()
                     << int(c.Format) << (c.EditPalette ? " palette" : " pixel"));
        Control control;
        TPixelGraphic picture;
        picture.SetSizeAndFormat(4, 4, c.Format);
        picture.SetPaletteCount(2);
        picture.SetPaletteEntry(0, red);
        picture.SetPaletteEntry(1, blue);
        control.Image.SetPixelGraphic(&picture);
        EXPECT_EQ(control.At(1, 1), red);
        TPixelGraphic* shown = control.Image.PixelGraphic();
        const uint8_t* block = shown->Bits();
        if (c.EditPalette)
            shown->SetPaletteEntry(0, green);
        else
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) shown->SetPixel(x, y, 1);
        shown->Changed();
        ASSERT_EQ(shown->Bits(), block); // the same pixels, edited where they are
        EXPECT_EQ(control.At(1, 1), c.EditPalette ? green : blue);
    }
}
