// Red-eye correction through the library's pointer export on a drawn eye filling a square
// rectangle: the time per rectangle megapixel should stay about equal from 500 to 2000 pixels,
// and peak_work_MB is how far the calls raised the process's resident memory at their peak.

#include "clarend.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The packed DIB of a square picture: skin, a white ring, a red pupil of a seventh of the side.
std::vector<uint8_t> drawnEye(int side) {
    const size_t stride = (size_t(side) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> dib(sizeof(BITMAPINFOHEADER) + stride * side);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = header.biHeight = side;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::memcpy(dib.data(), &header, sizeof header);
    const double c = (side - 1) / 2.0, pupil = side / 7.0, ring = side / 4.0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double d = std::hypot(x - c, y - c);
            const uint8_t bgr[3][3] = {{30, 40, 200}, {235, 235, 235}, {120, 150, 205}};
            const uint8_t* colour = bgr[d <= pupil ? 0 : d <= ring ? 1 : 2];
            std::memcpy(dib.data() + sizeof header + y * stride + x * 3, colour, 3);
        }
    return dib;
}

double statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(field.size())) * 1024;
    return 0;
}

// Restarts the peak resident memory from the current one; answers the current one.
double resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return statusBytes("VmRSS:");
}

void fixRedEye(benchmark::State& state) {
    const int side = int(state.range(0));
    const std::vector<uint8_t> pristine = drawnEye(side);
    std::vector<uint8_t> dib = pristine;
    const double before = resetPeakResident();
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(dib.data(), pristine.data(), dib.size());
        state.ResumeTiming();
        const int32_t result =
            pVuxFixRedEye2(reinterpret_cast<BITMAPINFOHEADER*>(dib.data()), 0, 0, side, side, 2, 2);
        if (result != 0) state.SkipWithError("the correction failed");
    }
    const double megapixels = double(side) * side / 1e6;
    state.counters["MP"] = megapixels;
    state.counters["s_per_MP"] = benchmark::Counter(
        megapixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["peak_work_MB"] = (statusBytes("VmHWM:") - before) / (1 << 20);
}

BENCHMARK(fixRedEye)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
