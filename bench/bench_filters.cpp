// The effects: each of scripts/bench's pairs on the 6000 x 4000 photo, the preview source of the
// dialogs, and the colour effects on a 1920 x 1080 copy as the picture pane would preview them.
// One band, so the times are those of one core.

#include "filter_preview.h"
#include "pg_effect_text.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::filesystem::path dataDir() {
    const char* dir = std::getenv("GLIMMET_BENCH_DATA");
    return dir ? dir : "bench/data";
}

// Loaded on first use, before the timed loop of the first case that needs it.
const TPixelGraphic& photo() {
    static TPixelGraphic image;
    if (image.Empty()) image.LoadFromFile(dataDir() / "photo-L.bmp");
    return image;
}

const TPixelGraphic& paneCopy() {
    static TPixelGraphic image;
    if (image.Empty()) {
        image.SetSizeAndFormat(1920, 1080, pf24Bit);
        image.CopyFrom(photo());
    }
    return image;
}

void effect(benchmark::State& state, const TPixelGraphic& (*input)(), const std::string& text) {
    const TPGFilterFactory make = *PGParseEffect(text);
    const TPixelGraphic& source = input();
    for (auto _ : state) benchmark::DoNotOptimize(PGFilteredCopy(make, source, 1));
}

// ImageMagick's -brightness-contrast 0x20 as a factor: tan(pi (20 + 100) / 400).
const char* const contrast20 = "bcg:0,1.3763819204711736,1";

[[maybe_unused]] const bool registered = [] {
    if (!std::filesystem::exists(dataDir() / "photo-L.bmp")) return false;
    const std::pair<const char*, std::string> pairs[] = {
        {"grey", "grey"},           {"grey-plain", "grey:plain"},   {"red+20", "rgb:20,0,0"},
        {"hue+90", "hsv:90,0,0"},   {"gamma2", "bcg:0,1,2"},        {"brightness20", "bcg:20,1,1"},
        {"contrast20", contrast20}, {"sharpen", "sharpen:0.75,50"}, {"smooth", "smooth:1.30,100"},
    };
    for (const auto& [name, text] : pairs)
        benchmark::RegisterBenchmark((std::string("effect/") + name).c_str(),
                                     [text = text](benchmark::State& s) { effect(s, photo, text); })
            ->UseRealTime();
    const std::pair<const char*, std::string> pane[] = {
        {"rgb", "rgb:20,-10,5"},       {"grey", "grey"},         {"bcg", "bcg:10,1.5,0.8"},
        {"bcg-y", "bcg:10,1.5,0.8:y"}, {"hsv", "hsv:90,-20,10"},
    };
    for (const auto& [name, text] : pane)
        benchmark::RegisterBenchmark(
            (std::string("effect-pane-1920x1080/") + name).c_str(),
            [text = text](benchmark::State& s) { effect(s, paneCopy, text); })
            ->UseRealTime();
    benchmark::RegisterBenchmark("effect/preview-source", [](benchmark::State& s) {
        const TPixelGraphic& picture = photo();
        for (auto _ : s) benchmark::DoNotOptimize(PGMakePreviewSource(picture, 136, 136, false));
    })->UseRealTime();
    return true;
}();

} // namespace
