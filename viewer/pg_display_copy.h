#pragma once
// The display copy: a picture resampled to the displayed size and reduced to the screen's colour
// depth. Deciding whether one is needed, preparing its job and running it on a worker thread;
// no widgets here.

#include "pg_image_types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>

// The control's properties that steer the display copy.
struct TPGDisplaySettings {
    TStretchMode StretchMode = smFast;
    bool ReduceOnLoad = false;
    bool Allow24BitStretch = false;
    TPalette8BitSys24BitGraphic Palette8BitSys24BitGraphic = pOptimized252Sys16;
    TPalette8BitSys8BitGraphic Palette8BitSys8BitGraphic = pOptimized252Sys16;
    bool Dither = true;
    uint8_t DitherErrorLimit = 32;
    bool DitherErrorLimitAuto = true;
    bool DitherErrorLimitSoft = true;
    bool RGBWeighting = true;
};

// A quality stretch to a box size other than the one the last copy was made for outdates it.
bool PGOutdatedBySize(const TPGDisplaySettings& s, int boxW, int boxH, int lastW, int lastH);
// Whether the image must be painted from a display copy on a screen of the given depth.
bool PGDisplayCopyNeeded(const TPixelGraphic* image, const TPGDisplaySettings& s, int depth,
                         int boxW, int boxH, bool paintOutdated);

// What a worker does: optionally fill a 24-bit intermediate at the displayed size, optionally
// build an optimal palette, then convert into the destination.
struct TPGDisplayJob {
    const TPixelGraphic* Source = nullptr;
    std::unique_ptr<TPixelGraphic> OwnIntermediate; // set when the 24-bit stretch comes first
    std::unique_ptr<TPixelGraphic> Destination;
    bool OptimalPalette = false;
    // The size the copy was asked for; a 1 x 1 fallback still counts as this size.
    int RequestedWidth = 0, RequestedHeight = 0;
    const TPixelGraphic& Intermediate() const {
        return OwnIntermediate ? *OwnIntermediate : *Source;
    }
};
TPGDisplayJob PGPrepareDisplayJob(const TPixelGraphic& image, const TPGDisplaySettings& s,
                                  int depth, int boxW, int boxH);

// Runs the job; progress(stage, step, max) answers true to stop. Answers the destination, or
// nothing when stopped.
using TPGJobProgress = std::function<bool(int stage, int step, int max)>;
std::unique_ptr<TPixelGraphic> PGRunDisplayJob(TPGDisplayJob& job, const TPGJobProgress& progress);

// Percent of a step; at most one report per 50 ms bucket, and only when the percent changed.
class TPGProgressThrottle {
public:
    static int Percent(int step, int max) { return max == 0 ? 100 : step * 100 / max; }
    bool ShouldReport(int percent, int64_t tickMs);

private:
    int FLastPercent = -1;
    int64_t FLastBucket = -1;
};

// Runs the job on a worker thread: it stops once `stop` is requested, reports (stage, percent)
// as often as TPGProgressThrottle lets it, and frees the intermediate before it answers.
using TPGReport = std::function<void(int stage, int percent)>;
std::unique_ptr<TPixelGraphic> PGRunDisplayJobOnWorker(TPGDisplayJob& job, std::stop_token stop,
                                                       const TPGReport& report);
