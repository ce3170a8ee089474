#include "pg_canvas.h"
#include "pg_clipboard.h"
#include "pg_print.h"
#include "pg_qt_view.h"
#include "test_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t red = PGColor(255, 0, 0), green = PGColor(0, 255, 0), blue = PGColor(0, 0, 255),
                   white = PGColor(255, 255, 255), black = PGColor(0, 0, 0);

// 2 x 2: red, green on top; blue, white below; palette formats get those four entries (the
// 1-bit image only black and white).
std::unique_ptr<TPixelGraphic> quad(uint8_t format) {
    auto p = std::make_unique<TPixelGraphic>();
    p->SetSizeAndFormat(2, 2, format);
    const uint32_t colors[4] = {red, green, blue, white};
    if (format == pf1Bit) {
        p->SetPaletteIdent(pBlackWhite);
        p->SetPixel(1, 0, 1), p->SetPixel(0, 1, 1);
        return p;
    }
    if (format != pf24Bit) {
        p->SetPaletteCount(4);
        for (int i = 0; i < 4; ++i) p->SetPaletteEntry(i, colors[i]);
    }
    for (int i = 0; i < 4; ++i)
        p->SetPixel(i % 2, i / 2, format == pf24Bit ? colors[i] : uint32_t(i));
    return p;
}

QImage drawn(const TPixelGraphic& image, QSize size, bool mirrorX = false, bool mirrorY = false) {
    QImage target(size, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    TPGQtView(image).Draw(painter, QRect(QPoint(0, 0), size), mirrorX, mirrorY);
    return target;
}

uint32_t at(const QImage& image, int x, int y) {
    return PGFromQRgb(image.pixel(x, y));
}

} // namespace

TEST(QtView, WrapsEveryFormatBottomUp) {
    for (uint8_t format : {pf1Bit, pf4Bit, pf8Bit, pf24Bit}) {
        SCOPED_TRACE(int(format));
        const auto image = quad(format);
        const TPGQtView view(*image);
        ASSERT_FALSE(view.Empty());
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(at(view.Rows(), x, 1 - y), image->GetPixelColor(x, y)) << x << y;
        }
        // Qt has no 4-bit format; the others are the pixel block itself.
        if (format != pf4Bit) {
            EXPECT_EQ(view.Rows().constBits(), image->Bits());
        }
        EXPECT_TRUE(view.Matches(*image));
        image->SetSizeAndFormat(3, 2, format);
        EXPECT_FALSE(view.Matches(*image));
    }
}

TEST(QtView, IndicesBeyondThePaletteDrawAsEntryZero) {
    auto image = quad(pf8Bit);
    image->SetPixel(0, 0, 200); // no entry 200: the colour table shows entry 0
    EXPECT_EQ(at(TPGQtView(*image).Rows(), 0, 1), red);
    image->SetPixel(1, 0, 3);
    EXPECT_EQ(at(drawn(*image, {2, 2}), 1, 0), white);
}

TEST(QtView, DrawScalesNearestAndMirrors) {
    const auto image = quad(pf24Bit);
    const QImage plain = drawn(*image, {6, 4});
    EXPECT_EQ(at(plain, 0, 0), red);
    EXPECT_EQ(at(plain, 2, 1), red);
    EXPECT_EQ(at(plain, 3, 0), green);
    EXPECT_EQ(at(plain, 5, 1), green);
    EXPECT_EQ(at(plain, 0, 2), blue);
    EXPECT_EQ(at(plain, 5, 3), white);
    EXPECT_EQ(at(drawn(*image, {6, 4}, true), 0, 0), green);
    EXPECT_EQ(at(drawn(*image, {6, 4}, false, true), 0, 0), blue);
    EXPECT_EQ(at(drawn(*image, {6, 4}, true, true), 0, 0), white);
    const TPGQtView mirrored = TPGQtView(*image).Mirrored(true, false);
    QImage target(2, 2, QImage::Format_RGB32);
    QPainter painter(&target);
    mirrored.Draw(painter, {0, 0, 2, 2});
    painter.end();
    EXPECT_EQ(at(target, 0, 0), green);
    EXPECT_EQ(at(target, 0, 1), white);
}

TEST(QtView, DrawOfAnEmptyImageDrawsNothing) {
    TPixelGraphic empty;
    EXPECT_TRUE(TPGQtView(empty).Empty());
    const QImage target = drawn(empty, {3, 3});
    EXPECT_EQ(at(target, 1, 1), black);
}

TEST(Canvas, PaintsTrueColourInPlaceTopRowFirst) {
    auto image = quad(pf24Bit);
    int changes = 0;
    image->OnChange = [&](TPixelGraphic&) { ++changes; };
    {
        TPGCanvas canvas(*image);
        canvas.Painter().fillRect(QRect(1, 0, 1, 1), QColor(10, 20, 30));
    }
    EXPECT_EQ(image->GetPixelColor(1, 0), PGColor(10, 20, 30));
    EXPECT_EQ(image->GetPixelColor(1, 1), white);
    EXPECT_EQ(image->GetPixelColor(0, 0), red);
    EXPECT_EQ(changes, 1);
}

TEST(Canvas, PaletteImagesTakeNearestIndicesOnlyWhereDrawn) {
    for (uint8_t format : {pf4Bit, pf8Bit}) {
        SCOPED_TRACE(int(format));
        auto image = quad(format);
        image->SetPaletteCount(5);
        image->SetPaletteEntry(4, red); // a duplicate of entry 0
        image->SetPixel(0, 1, 4);
        TPGCanvas canvas(*image);
        canvas.Painter().fillRect(QRect(1, 1, 1, 1), QColor(250, 5, 5));
        canvas.End();
        EXPECT_EQ(image->GetPixel(1, 1), 0u); // nearest to the drawn colour
        EXPECT_EQ(image->GetPixel(0, 1), 4u); // untouched: the duplicate index stays
        EXPECT_EQ(image->GetPixel(1, 0), 1u);
    }
}

TEST(Clipboard, RoundTripsThroughThePackedDIB) {
    for (uint8_t format : {pf1Bit, pf4Bit, pf8Bit, pf24Bit}) {
        SCOPED_TRACE(int(format));
        const auto image = quad(format);
        const std::unique_ptr<QMimeData> data(PGClipboardMimeData(*image));
        EXPECT_TRUE(data->hasFormat(PGClipboardBmpType));
        TPixelGraphic back;
        LoadFromMimeData(back, data.get());
        EXPECT_EQ(back.PixelFormat(), format);
        EXPECT_TRUE(SamePixels(back, ToReference(*image)));
        // Other programs get a plain, upright picture too.
        const QImage plain = qvariant_cast<QImage>(data->imageData());
        EXPECT_EQ(at(plain, 0, 1), image->GetPixelColor(0, 1));
    }
}

TEST(Clipboard, ForeignPicturesAreConvertedToAPackedDIB) {
    QImage rgb(3, 1, QImage::Format_ARGB32);
    rgb.setPixel(0, 0, qRgb(1, 2, 3)), rgb.setPixel(1, 0, qRgb(4, 5, 6));
    rgb.setPixel(2, 0, qRgb(7, 8, 9));
    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(9, 9, 9), qRgb(200, 100, 50)});
    indexed.setPixel(0, 0, 1), indexed.setPixel(1, 0, 0);
    struct Case {
        QImage Picture;
        uint8_t Format;
        uint32_t First;
    } cases[] = {{rgb, pf24Bit, PGColor(1, 2, 3)}, {indexed, pf8Bit, PGColor(200, 100, 50)}};
    for (const Case& c : cases) {
        QMimeData data;
        data.setImageData(c.Picture);
        TPixelGraphic image;
        LoadFromMimeData(image, &data);
        EXPECT_EQ(image.PixelFormat(), c.Format);
        EXPECT_EQ(image.Width(), c.Picture.width());
        EXPECT_EQ(image.GetPixelColor(0, 0), c.First);
    }
}

TEST(Clipboard, NoPictureIsAnUnknownFormat) {
    QMimeData text;
    text.setText("hello");
    QMimeData brokenBmp;
    brokenBmp.setData(PGClipboardBmpType, "BMxx");
    const QMimeData* sources[] = {nullptr, &text, &brokenBmp};
    for (const QMimeData* data : sources) {
        TPixelGraphic image;
        try {
            LoadFromMimeData(image, data);
            ADD_FAILURE() << "no error";
        } catch (const EPGUnknownClipboardFormat& e) {
            EXPECT_STREQ(e.what(), "Unknown clipboard format");
        }
    }
}

TEST(Clipboard, SystemClipboard) {
    const auto image = quad(pf8Bit);
    CopyToClipboard(*image);
    TPixelGraphic back;
    LoadFromClipboard(back);
    EXPECT_EQ(back.Palette(), image->Palette());
    EXPECT_TRUE(SamePixels(back, ToReference(*image)));
}

TEST(Print, FitsThePageWithThePixelAspect) {
    struct Case {
        const char* Name;
        int ImageW, ImageH, PageW, PageH, AspectX, AspectY;
        QRect Expected;
    } cases[] = {
        {"wide picture spans the width", 200, 100, 1000, 1000, 1, 1, {0, 250, 1000, 500}},
        {"tall picture spans the height", 100, 200, 1000, 1000, 1, 1, {250, 0, 500, 1000}},
        {"same aspect fills the page", 300, 200, 600, 400, 1, 1, {0, 0, 600, 400}},
        // Pixels twice as high as wide: the page is physically twice as high as wide.
        {"square picture on tall pixels", 100, 100, 1000, 1000, 1, 2, {0, 250, 1000, 500}},
        {"square picture on wide pixels", 100, 100, 1000, 1000, 2, 1, {250, 0, 500, 1000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QRect r = PGPrintRect(c.ImageW, c.ImageH, c.PageW, c.PageH, c.AspectX, c.AspectY);
        EXPECT_EQ(r, c.Expected);
        EXPECT_TRUE(QRect(0, 0, c.PageW, c.PageH).contains(r));
    }
    EXPECT_TRUE(PGPrintRect(0, 10, 100, 100, 1, 1).isNull());
}

TEST(Print, PrintsToAFileAndRestoresTheOrientation) {
    QGuiApplication::setApplicationDisplayName("Glimmet");
    TPixelGraphic wide;
    wide.SetSizeAndFormat(30, 10, pf8Bit);
    EXPECT_EQ(PGPrintJobTitle(wide), "Glimmet Graphic 30x10x256");
    TTempDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "page.pdf").string()));
    printer.setPageOrientation(QPageLayout::Portrait);
    EXPECT_TRUE(Print(wide, printer, false, true, nullptr));
    EXPECT_EQ(printer.docName(), "Glimmet Graphic 30x10x256");
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_GT(std::filesystem::file_size(dir / "page.pdf"), 0u);
    TPixelGraphic empty;
    EXPECT_FALSE(Print(empty, printer, false, true, nullptr));
}
