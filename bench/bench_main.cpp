// In-process timings of the image library. Inputs come from `glimmet_bench --make-inputs DIR`
// (scripts/bench makes them, and adds the files only peer tools can write); GLIMMET_BENCH_DATA
// names the folder.

#include "bench_inputs.h"
#include "format_registry.h"
#include "gif_format.h"
#include "jpeg_format.h"
#include "optimal_palette.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

std::filesystem::path dataDir() {
    const char* dir = std::getenv("GLIMMET_BENCH_DATA");
    return dir ? dir : "bench/data";
}

using Case = std::function<void(benchmark::State&)>;

void add(const std::string& name, const std::string& input, Case body) {
    if (std::filesystem::exists(dataDir() / input))
        benchmark::RegisterBenchmark(name.c_str(), std::move(body))->UseRealTime();
}

void decodeAll(const std::filesystem::path& path) {
    TPGImageInfo info;
    GetImageInfo(path, 0, info);
    for (int index = 0; index < std::max(info.ImageCount, 1); ++index) {
        TPixelGraphic image;
        image.LoadFromFile(path, index);
        benchmark::DoNotOptimize(image.Bits());
    }
}

void registerCodecs() {
    for (const char* file :
         {"photo-L.bmp", "photo-M.bmp", "photo-M8.bmp", "photo-L.jpg", "photo-L.png", "photo-L.tif",
          "photo-L.tga", "photo-L.ppm", "photo-L.pcx"}) {
        const auto path = dataDir() / file;
        add(std::string("decode/") + file, file, [path](benchmark::State& s) {
            for (auto _ : s) decodeAll(path);
        });
    }
    // Animations are played frame after frame from one reading of the file.
    add("decode/anim.gif", "anim.gif", [](benchmark::State& s) {
        for (auto _ : s) {
            TFileStream stream(dataDir() / "anim.gif", TFileStream::fmOpenRead);
            const TGifFrames frames(stream);
            for (int index = 0; index < frames.FrameCount(); ++index) {
                TPixelGraphic image;
                frames.ReadFrame(index, image);
                benchmark::DoNotOptimize(image.Bits());
            }
        }
    });
    for (int denom : {1, 2, 4, 8})
        for (TJPGPerformance speed : {jpgBestQuality, jpgBestSpeed}) {
            const std::string name = "decode-scaled/photo-L.jpg/1:" + std::to_string(denom) +
                                     (speed == jpgBestSpeed ? "/fast" : "");
            add(name, "photo-L.jpg", [denom, speed](benchmark::State& s) {
                for (auto _ : s) {
                    TFileStream stream(dataDir() / "photo-L.jpg", TFileStream::fmOpenRead);
                    TPixelGraphic image;
                    LoadJPEGScaled(stream, image, {denom, speed, true, false, false, false});
                    benchmark::DoNotOptimize(image.Bits());
                }
            });
        }
    for (const char* extension : {"bmp", "jpg", "png", "tif", "tga", "ppm"}) {
        add(std::string("encode/photo-L.") + extension, "photo-L.bmp",
            [extension](benchmark::State& s) {
                TPixelGraphic image;
                image.LoadFromFile(dataDir() / "photo-L.bmp");
                SetJPEGQuality(75);
                for (auto _ : s) {
                    TMemoryStream stream;
                    image.SaveToStreamAs(stream, extension);
                    benchmark::DoNotOptimize(stream.Data().data());
                }
            });
    }
    for (const char* file : {"photo-L.bmp", "photo-L.jpg"}) {
        const auto path = dataDir() / file;
        add(std::string("info/") + file, file, [path](benchmark::State& s) {
            for (auto _ : s) {
                TPGImageInfo i;
                benchmark::DoNotOptimize(GetImageInfo(path, 0, i));
            }
        });
    }
}

// One operation on the loaded input per iteration; the copy it works on is made untimed.
void transform(benchmark::State& state, const std::string& file,
               const std::function<void(TPixelGraphic&, const TPixelGraphic&)>& op) {
    TPixelGraphic source, dest;
    source.LoadFromFile(dataDir() / file);
    for (auto _ : state) {
        state.PauseTiming();
        dest.Assign(&source);
        state.ResumeTiming();
        op(dest, source);
        benchmark::DoNotOptimize(dest.Bits());
    }
}

void resizeTo(TPixelGraphic& dest, const TPixelGraphic& source, int w, int h, TStretchMode mode) {
    dest.SetSizeAndFormat(w, h, source.PixelFormat());
    dest.SetStretchMode(mode);
    dest.CopyFrom(source);
}

void toPalette(TPixelGraphic& dest, const TPixelGraphic& source, TPaletteIdent ident, bool dither) {
    dest.SetSizeAndFormat(source.Width(), source.Height(), pf8Bit);
    if (ident == pUnknown)
        CreateOptimalPalette(dest, source, 256, false);
    else
        dest.SetPaletteIdent(ident);
    dest.SetDither(dither);
    dest.CopyRect(0, 0, source, 0, 0, source.Height(), source.Width());
}

void registerTransforms() {
    using Op = std::function<void(TPixelGraphic&, const TPixelGraphic&)>;
    auto quarter = [](TStretchMode m) {
        return [m](TPixelGraphic& d, const TPixelGraphic& s) {
            resizeTo(d, s, s.Width() / 4, s.Height() / 4, m);
        };
    };
    auto twice = [](TStretchMode m) {
        return [m](TPixelGraphic& d, const TPixelGraphic& s) {
            resizeTo(d, s, s.Width() * 2, s.Height() * 2, m);
        };
    };
    const std::tuple<const char*, const char*, Op> ops[] = {
        {"flipv", "photo-L.bmp", [](TPixelGraphic& d, const TPixelGraphic&) { d.FlipVertical(); }},
        {"fliph", "photo-L.bmp",
         [](TPixelGraphic& d, const TPixelGraphic&) { d.FlipHorizontal(); }},
        {"rotate90", "photo-L.bmp",
         [](TPixelGraphic& d, const TPixelGraphic& s) { d.Rotate(true, s, 90); }},
        {"rotate17", "photo-L.bmp",
         [](TPixelGraphic& d, const TPixelGraphic& s) { d.Rotate(true, s, 17); }},
        {"down4/precise", "photo-L.bmp", quarter(smPrecise)},
        {"down4/fast", "photo-L.bmp", quarter(smFast)},
        {"up2/precise", "photo-M.bmp", twice(smPrecise)},
        {"up2/fast", "photo-M.bmp", twice(smFast)},
        {"to8/optimal-dither", "photo-L.bmp",
         [](TPixelGraphic& d, const TPixelGraphic& s) { toPalette(d, s, pUnknown, true); }},
        {"to8/cube216-dither", "photo-L.bmp",
         [](TPixelGraphic& d, const TPixelGraphic& s) { toPalette(d, s, pSpecial216, true); }},
        {"to8/cube216-plain", "photo-L.bmp",
         [](TPixelGraphic& d, const TPixelGraphic& s) { toPalette(d, s, pSpecial216, false); }},
    };
    for (const auto& [name, input, op] : ops)
        add(std::string("transform/") + name, input,
            [input = std::string(input), op = op](benchmark::State& s) {
                transform(s, input, op);
            });
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--make-inputs") == 0) {
        MakeBenchInputs(argv[2], argc >= 4 && std::strcmp(argv[3], "--tiny") == 0);
        return 0;
    }
    registerCodecs();
    registerTransforms();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
