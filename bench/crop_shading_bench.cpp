// One shading update of the crop dialog for a 6000 x 4000 picture shown at 800 x 533: the
// overlay painted at the displayed size, beside rebuilding a shaded full-size copy of the picture
// (which would still have to be reduced for display). Goal: the overlay under 5 ms, so that a
// drag keeps up with the pointer.

#include "dlg_crop.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

constexpr int pictureW = 6000, pictureH = 4000, shownW = 800, shownH = 533;
// A selection of a quarter to three quarters each way, in picture and in display pixels.
const TPGRect selection{1500, 1000, 4500, 3000};
const TPGRect shown{200, 133, 600, 400};

void overlay(benchmark::State& state) {
    QImage display(shownW, shownH, QImage::Format_RGB32);
    display.fill(QColor(90, 120, 30));
    QImage box(shownW, shownH, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&box);
        painter.drawImage(0, 0, display);
        for (const QRect& r : CropShadeRegion({shownW, shownH}, shown, true))
            painter.fillRect(r, CropShadeColor);
        benchmark::DoNotOptimize(box.bits());
    }
}

void fullCopy(benchmark::State& state) {
    TPixelGraphic picture;
    picture.SetSizeAndFormat(pictureW, pictureH, pf24Bit);
    TPixelGraphic shaded;
    for (auto _ : state) {
        shaded.Assign(&picture);
        for (int y = 0; y < pictureH; ++y) {
            uint8_t* row = shaded.ScanLine(y);
            for (int x = 0; x < pictureW; ++x)
                if (!selection.Contains(x, y)) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = 192;
        }
        benchmark::DoNotOptimize(shaded.Bits());
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::RegisterBenchmark("crop-shading/overlay-at-800x533", overlay)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("crop-shading/full-copy-6000x4000", fullCopy)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
