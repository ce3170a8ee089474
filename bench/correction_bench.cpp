// The further corrections through the library's exports, on the bench's 6000 x 4000 photo
// (photo-L.bmp) and a 2480 x 3508 scan turned by 2 degrees (scan-A4.bmp) from
// GLIMMET_BENCH_DATA. Each iteration is one call on a block prepared outside the timing; the
// answer is freed untimed. scripts/bench sets these beside ImageMagick doing the same.

#include "clarend.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The packed DIB of a BMP file: the file without its 14-byte header.
std::vector<uint8_t> packedDib(const std::string& name) {
    const char* dir = std::getenv("GLIMMET_BENCH_DATA");
    std::ifstream in(std::string(dir ? dir : ".") + "/" + name, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    return file.size() > 14 ? std::vector<uint8_t>(file.begin() + 14, file.end())
                            : std::vector<uint8_t>();
}

using TCall = std::function<HGLOBAL(HGLOBAL, int32_t*)>;

void correction(benchmark::State& state, const std::string& file, const TCall& call) {
    const std::vector<uint8_t> dib = packedDib(file);
    if (dib.empty()) {
        state.SkipWithError("the input is missing");
        return;
    }
    HGLOBAL block = GlobalAlloc(dib.size());
    std::memcpy(GlobalLock(block), dib.data(), dib.size());
    GlobalUnlock(block);
    for (auto _ : state) {
        int32_t err = 0;
        HGLOBAL answer = call(block, &err);
        state.PauseTiming();
        if (!answer || err != 0) state.SkipWithError("the correction failed");
        GlobalFree(answer);
        state.ResumeTiming();
    }
    GlobalFree(block);
}

// The pointer export answers a locked block of its own.
HGLOBAL ptrFilter(HGLOBAL block, int32_t type, int32_t* err) {
    BITMAPINFOHEADER* out =
        VuxPtrFilter(static_cast<BITMAPINFOHEADER*>(GlobalLock(block)), type, err);
    GlobalUnlock(block);
    HGLOBAL handle = GlobalHandle(out);
    GlobalUnlock(handle);
    return handle;
}

void registerAll() {
    const struct {
        const char* Name;
        const char* File;
        TCall Call;
    } cases[] = {
        {"clarend/bcg", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxBrightContrastGamma(h, 20, 30, 1.0, e); }},
        {"clarend/gamma", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxBrightContrastGamma(h, 0, 0, 2.0, e); }},
        {"clarend/unsharp1", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxUnSharpMask(h, 1, e); }},
        {"clarend/filter32", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return ptrFilter(h, 32, e); }},
        {"clarend/turn2", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxRotateDib(h, 2, e); }},
        {"clarend/turn1", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxRotateDib(h, 1, e); }},
        {"clarend/rotate30", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxRotateImage(h, 30, 0, 0, e); }},
        {"clarend/destreak", "photo-L.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxDestreakImage(h, 0, e); }},
        {"clarend/deskew", "scan-A4.bmp",
         [](HGLOBAL h, int32_t* e) { return VuxDeskewImage(h, 0, 0, e); }},
    };
    for (const auto& c : cases)
        benchmark::RegisterBenchmark(c.Name,
                                     [file = std::string(c.File), call = c.Call](
                                         benchmark::State& s) { correction(s, file, call); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
}

const bool Registered = (registerAll(), true);

} // namespace
