// In-process timings of the image library. Inputs come from `glimmet_bench --make-inputs DIR`
// (scripts/bench makes them); GLIMMET_BENCH_DATA names the folder.

#include "bench_inputs.h"
#include "format_registry.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>

namespace {

std::filesystem::path dataDir() {
    const char* dir = std::getenv("GLIMMET_BENCH_DATA");
    return dir ? dir : "bench/data";
}

void decode(benchmark::State& state, const std::string& file) {
    const auto path = dataDir() / file;
    for (auto _ : state) {
        TPixelGraphic image;
        image.LoadFromFile(path);
        benchmark::DoNotOptimize(image.Bits());
    }
}

void encode(benchmark::State& state, const std::string& file, const std::string& extension) {
    TPixelGraphic image;
    image.LoadFromFile(dataDir() / file);
    image.SetSaveColorResWarningAction(pgwaIgnore);
    for (auto _ : state) {
        TMemoryStream stream;
        image.SaveToStreamAs(stream, extension);
        benchmark::DoNotOptimize(stream.Data().data());
    }
}

void info(benchmark::State& state, const std::string& file) {
    const auto path = dataDir() / file;
    for (auto _ : state) {
        TPGImageInfo i;
        benchmark::DoNotOptimize(GetImageInfo(path, 0, i));
    }
}

// One transform of the loaded input per iteration; the copy it works on is made outside the
// timing.
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

void registerTransforms() {
    using Op = std::function<void(TPixelGraphic&, const TPixelGraphic&)>;
    const std::pair<const char*, Op> ops[] = {
        {"flipv", [](TPixelGraphic& d, const TPixelGraphic&) { d.FlipVertical(); }},
        {"fliph", [](TPixelGraphic& d, const TPixelGraphic&) { d.FlipHorizontal(); }},
        {"rotate90", [](TPixelGraphic& d, const TPixelGraphic& s) { d.Rotate(true, s, 90); }},
        {"rotate17", [](TPixelGraphic& d, const TPixelGraphic& s) { d.Rotate(true, s, 17); }},
        {"down4/precise",
         [](TPixelGraphic& d, const TPixelGraphic& s) {
             resizeTo(d, s, s.Width() / 4, s.Height() / 4, smPrecise);
         }},
        {"down4/fast",
         [](TPixelGraphic& d, const TPixelGraphic& s) {
             resizeTo(d, s, s.Width() / 4, s.Height() / 4, smFast);
         }},
        {"up2/precise",
         [](TPixelGraphic& d, const TPixelGraphic& s) {
             resizeTo(d, s, s.Width() * 2, s.Height() * 2, smPrecise);
         }},
        {"up2/fast",
         [](TPixelGraphic& d, const TPixelGraphic& s) {
             resizeTo(d, s, s.Width() * 2, s.Height() * 2, smFast);
         }},
    };
    for (const auto& [name, op] : ops) {
        const std::string input =
            std::string(name).rfind("up2", 0) == 0 ? "photo-M.bmp" : "photo-L.bmp";
        if (!std::filesystem::exists(dataDir() / input)) continue;
        benchmark::RegisterBenchmark(
            (std::string("transform/") + name).c_str(),
            [input, op = op](benchmark::State& s) { transform(s, input, op); })
            ->UseRealTime();
    }
}

// Every case whose input exists: name, operation, input, output extension.
void registerCases() {
    struct Case {
        const char* Name;
        const char* Input;
        const char* Output; // empty for decode and info
        bool Info;
    } cases[] = {
        {"decode/bmp24/L", "photo-L.bmp", "", false},
        {"decode/bmp24/M", "photo-M.bmp", "", false},
        {"decode/bmp8/M", "photo-M8.bmp", "", false},
        {"encode/bmp24/L", "photo-L.bmp", "bmp", false},
        {"info/bmp24/L", "photo-L.bmp", "", true},
    };
    for (const Case& c : cases) {
        if (!std::filesystem::exists(dataDir() / c.Input)) continue;
        const std::string input = c.Input, output = c.Output;
        if (c.Info)
            benchmark::RegisterBenchmark(c.Name, [input](benchmark::State& s) { info(s, input); });
        else if (output.empty())
            benchmark::RegisterBenchmark(c.Name,
                                         [input](benchmark::State& s) { decode(s, input); });
        else
            benchmark::RegisterBenchmark(
                c.Name, [input, output](benchmark::State& s) { encode(s, input, output); });
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--make-inputs") == 0) {
        MakeBenchInputs(argv[2], argc >= 4 && std::strcmp(argv[3], "--tiny") == 0);
        return 0;
    }
    registerCases();
    registerTransforms();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
