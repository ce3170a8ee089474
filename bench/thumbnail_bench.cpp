// Thumbnails of 12-megapixel JPEG files in a 90 x 75 box, made as a grid job makes them, on
// the calling thread: the files per second one core gives. The input is a noisy 4000 x 3000
// photo-like picture written once into a temporary folder.

#include "jpeg_format.h"
#include "pixel_graphic.h"
#include "thumb_maker.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

QString makeInput(const QString& folder) {
    const QString path = folder + "/noisy-4000x3000.jpg";
    if (QFile::exists(path)) return path;
    TPixelGraphic image;
    image.SetSizeAndFormat(4000, 3000, pf24Bit);
    uint32_t seed = 12345;
    for (int y = 0; y < 3000; ++y) {
        uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < 4000; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 27) - 16;
            row[3 * x] = static_cast<uint8_t>(std::clamp(x / 16 + noise, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y / 12 + noise, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp((x + y) / 28 + noise, 0, 255));
        }
    }
    SetJPEGQuality(90);
    image.SaveToFile(path.toStdString());
    return path;
}

void BM_JpegThumbnail(benchmark::State& state) {
    static QTemporaryDir folder;
    static const QString input = makeInput(folder.path());
    TThumbRequest request;
    request.Path = input;
    request.Box = {90, 75};
    for (auto _ : state) {
        const TThumbResult result = MakeThumbnail(request, [] { return false; });
        benchmark::DoNotOptimize(result.Thumb.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JpegThumbnail)
    ->Name("thumbnail/noisy-4000x3000.jpg/90x75")
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
