#include "pg_display_copy.h"

#include "optimal_palette.h"

#include <chrono>
#include <vector>

bool PGOutdatedBySize(const TPGDisplaySettings& s, int boxW, int boxH, int lastW, int lastH) {
    return s.StretchMode != smFast && !s.ReduceOnLoad && (boxW != lastW || boxH != lastH);
}

bool PGDisplayCopyNeeded(const TPixelGraphic* image, const TPGDisplaySettings& s, int depth,
                         int boxW, int boxH, bool paintOutdated) {
    if (!image || image->Empty()) return false;
    const int b = image->BitCount();
    const bool stretching =
        s.StretchMode != smFast && (boxW != image->Width() || boxH != image->Height());
    if ((b > depth && depth <= 8) || stretching) return true;
    if (b > 8 || depth > 8) return false;
    const bool reduce = !s.ReduceOnLoad || paintOutdated;
    if (depth == 4) return image->PaletteIdent() != pSys16 && reduce;
    return s.Palette8BitSys8BitGraphic != pSource &&
           s.Palette8BitSys8BitGraphic != image->PaletteIdent() && reduce;
}

namespace {

// A new image of the given size and format; 1 x 1 when the block cannot be had.
std::unique_ptr<TPixelGraphic> sizedImage(int w, int h, uint8_t format) {
    auto image = std::make_unique<TPixelGraphic>();
    try {
        image->SetSizeAndFormat(std::max(w, 1), std::max(h, 1), format);
    } catch (const EPixelGraphic&) {
        image->SetSizeAndFormat(1, 1, format);
    } catch (const std::bad_alloc&) {
        image->SetSizeAndFormat(1, 1, format);
    }
    return image;
}

void copyPalette(TPixelGraphic& dest, const TPixelGraphic& source) {
    dest.SetPaletteCount(std::min(source.PaletteCount(), dest.ColorCount()));
    for (int i = 0; i < dest.PaletteCount(); ++i) dest.SetPaletteEntry(i, source.Palette()[i]);
    dest.ClassifyPalette();
}

// Palette of an 8-bit destination; answers whether an optimal palette is to be built.
bool choosePalette(TPixelGraphic& dest, const TPixelGraphic& intermediate,
                   const TPGDisplaySettings& s) {
    if (intermediate.PixelFormat() == pf24Bit) {
        if (s.Palette8BitSys24BitGraphic == pOptimized252Sys16) return true;
        dest.SetPaletteIdent(s.Palette8BitSys24BitGraphic);
        return false;
    }
    if (s.Palette8BitSys8BitGraphic == pOptimized252Sys16) return true;
    if (s.Palette8BitSys8BitGraphic == pSource)
        copyPalette(dest, intermediate);
    else
        dest.SetPaletteIdent(s.Palette8BitSys8BitGraphic);
    return false;
}

} // namespace

TPGDisplayJob PGPrepareDisplayJob(const TPixelGraphic& image, const TPGDisplaySettings& s,
                                  int depth, int boxW, int boxH) {
    TPGDisplayJob job;
    job.Source = &image;
    const bool stretching =
        s.StretchMode != smFast && (boxW != image.Width() || boxH != image.Height());
    if (s.Allow24BitStretch && stretching && depth == 8 &&
        s.Palette8BitSys24BitGraphic == pOptimized252Sys16) {
        job.OwnIntermediate = sizedImage(boxW, boxH, pf24Bit);
        job.OwnIntermediate->SetStretchMode(s.StretchMode);
    }
    job.RequestedWidth = s.StretchMode != smFast ? boxW : image.Width();
    job.RequestedHeight = s.StretchMode != smFast ? boxH : image.Height();
    const uint8_t format = depth <= 7 ? pf4Bit : depth > 8 ? pf24Bit : pf8Bit;
    job.Destination = sizedImage(job.RequestedWidth, job.RequestedHeight, format);
    TPixelGraphic& dest = *job.Destination;
    if (format == pf4Bit) dest.SetPaletteIdent(pSys16);
    if (format == pf8Bit) job.OptimalPalette = choosePalette(dest, job.Intermediate(), s);
    dest.SetStretchMode(s.StretchMode);
    dest.SetDither(s.Dither);
    dest.SetDitherErrorLimit(s.DitherErrorLimit);
    dest.SetDitherErrorLimitAuto(s.DitherErrorLimitAuto);
    dest.SetDitherErrorLimitSoft(s.DitherErrorLimitSoft);
    dest.SetRGBWeighting(s.RGBWeighting);
    return job;
}

namespace {

// Maps an 8-bit intermediate of the destination's size through a table of nearest indices.
bool mapIndices(TPixelGraphic& dest, const TPixelGraphic& source,
                const std::function<bool(int, int)>& step) {
    const bool cache = dest.UseColorCache();
    dest.SetUseColorCache(false);
    std::vector<uint8_t> map(256, 0);
    for (int i = 0; i < source.PaletteCount(); ++i)
        map[i] = static_cast<uint8_t>(dest.NearestIndex(source.Palette()[i]));
    dest.SetUseColorCache(cache);
    for (int y = 0; y < dest.Height(); ++y) {
        const uint8_t* in = source.ScanLine(y);
        uint8_t* out = dest.ScanLine(y);
        for (int x = 0; x < dest.Width(); ++x) out[x] = map[in[x]];
        if (step(y, dest.Height() - 1)) return false;
    }
    return true;
}

} // namespace

std::unique_ptr<TPixelGraphic> PGRunDisplayJob(TPGDisplayJob& job, const TPGJobProgress& progress) {
    int stage = 1;
    bool stopped = false;
    auto step = [&](int s, int max) { return stopped = stopped || progress(stage, s, max); };
    auto hook = [&](TPixelGraphic& image) {
        image.OnProgress = [&](TPixelGraphic&, int s, int max, bool& abort) {
            abort = step(s, max);
        };
    };
    TPixelGraphic& dest = *job.Destination;
    hook(dest);
    if (job.OwnIntermediate) {
        hook(*job.OwnIntermediate);
        job.OwnIntermediate->CopyFrom(*job.Source);
        job.OwnIntermediate->OnProgress = nullptr;
        if (stopped) return nullptr;
        ++stage;
    }
    const TPixelGraphic& intermediate = job.Intermediate();
    if (job.OptimalPalette) {
        // 236 colours of the picture and the 16 system colours.
        CreateOptimalPalette(dest, intermediate, 252, true);
        if (stopped) return nullptr;
        ++stage;
    }
    if (job.OptimalPalette && intermediate.PixelFormat() == pf8Bit &&
        intermediate.Width() == dest.Width() && intermediate.Height() == dest.Height()) {
        mapIndices(dest, intermediate, step);
    } else {
        dest.CopyFrom(intermediate);
    }
    dest.OnProgress = nullptr;
    if (stopped) return nullptr;
    return std::move(job.Destination);
}

bool TPGProgressThrottle::ShouldReport(int percent, int64_t tickMs) {
    const int64_t bucket = tickMs / 50;
    if (percent == FLastPercent || bucket == FLastBucket) return false;
    FLastPercent = percent, FLastBucket = bucket;
    return true;
}

std::unique_ptr<TPixelGraphic> PGRunDisplayJobOnWorker(TPGDisplayJob& job, std::stop_token stop,
                                                       const TPGReport& report) {
    TPGProgressThrottle throttle;
    auto result = PGRunDisplayJob(job, [&](int stage, int step, int max) {
        if (stop.stop_requested()) return true;
        const int percent = TPGProgressThrottle::Percent(step, max);
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        if (throttle.ShouldReport(
                percent, std::chrono::duration_cast<std::chrono::milliseconds>(now).count()))
            report(stage, percent);
        return false;
    });
    job.OwnIntermediate.reset();
    return result;
}
