#pragma once
// The picture control on Qt's offscreen platform, shown and ready to be pressed and grabbed.

#include "pg_image.h"

#include <QCoreApplication>
#include <QTest>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace pgtest {

inline constexpr uint32_t red = PGColor(255, 0, 0), green = PGColor(0, 255, 0),
                          blue = PGColor(0, 0, 255), white = PGColor(255, 255, 255);
// The control's Color, which fills the margins around the picture.
inline constexpr uint32_t margin = PGColor(1, 2, 3);

// w x h true colour: left half red, right half blue, the bottom row green.
inline std::unique_ptr<TPixelGraphic> halves(int w, int h) {
    auto p = std::make_unique<TPixelGraphic>();
    p->SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p->SetPixel(x, y, y == h - 1 ? green : x < w / 2 ? red : blue);
    return p;
}

// A shown 100 x 100 control (border 2, so a 96 x 96 client area) with fixed scroll bars.
struct Control {
    TPGImage Image;
    Control() {
        Image.SetScrollBarSize(TPGScrollBarSize{16, 16});
        Image.SetColor(QColor(1, 2, 3));
        Image.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Image));
    }
    // Qt shows and hides scroll bars through posted events.
    void Settle() { QCoreApplication::processEvents(); }
    QImage Grab() {
        Settle();
        return Image.viewport()->grab().toImage();
    }
    // A grab without processing posted events first: a worker started by it cannot have
    // delivered yet.
    QImage GrabNow() { return Image.viewport()->grab().toImage(); }
    uint32_t At(int x, int y) { return PGFromQRgb(Grab().pixel(x, y)); }
};

// Processes events until the condition holds; the limit only keeps a broken build from hanging.
inline bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) QTest::qWait(5);
    return condition();
}

inline uint32_t pixel(const QImage& image, int x, int y) {
    return PGFromQRgb(image.pixel(x, y));
}

} // namespace pgtest
