// Peak memory of a load for a small box against the full decode: a 12000 x 8000 picture as BMP
// and TIFF into a 256 x 256 hint. Each case reports the growth of the process's peak resident
// set during the load (peak_MB) beside its time. The inputs are written once into
// GLIMMET_BENCH_DATA (default bench/data).

#include "format_registry.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::filesystem::path dataDir() {
    const char* dir = std::getenv("GLIMMET_BENCH_DATA");
    return dir ? dir : "bench/data";
}

// Bytes of the process's resident set: its peak (VmHWM) or its present size (VmRSS).
int64_t residentBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":")) return std::stoll(line.substr(field.size() + 1)) * 1024;
    return 0;
}

// Starts a new peak from the present resident set.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::filesystem::path input(const std::string& extension) {
    const auto path = dataDir() / ("photo-XL." + extension);
    if (std::filesystem::exists(path)) return path;
    std::filesystem::create_directories(dataDir());
    TPixelGraphic image;
    image.SetSizeAndFormat(12000, 8000, pf24Bit);
    for (int y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.ScanLine(y);
        for (int64_t i = 0; i < 3 * int64_t(image.Width()); ++i)
            row[i] = static_cast<uint8_t>((i * 7 + y * 3) ^ (y >> 4));
    }
    image.SaveToFile(path);
    return path;
}

void load(benchmark::State& state, const std::string& extension, int box) {
    const auto path = input(extension);
    int64_t peak = 0;
    for (auto _ : state) {
        TPixelGraphic image;
        TPGCallOptions options;
        options.HintWidth = options.HintHeight = box;
        image.SetCallOptions(options);
        resetPeak();
        const int64_t before = residentBytes("VmRSS");
        image.LoadFromFile(path);
        peak = std::max(peak, residentBytes("VmHWM") - before);
        benchmark::DoNotOptimize(image.Bits());
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
}

} // namespace

int main(int argc, char** argv) {
    for (const char* extension : {"bmp", "tif"})
        for (int box : {0, 256}) {
            const std::string name =
                std::string("load-peak/photo-XL.") + extension + (box ? "/hint256" : "/full");
            benchmark::RegisterBenchmark(
                name.c_str(), [extension, box](benchmark::State& s) { load(s, extension, box); })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
