#pragma once
// The display copy: a picture resampled to the displayed size and reduced to the screen's colour
// depth. Deciding whether one is needed, preparing its job and running it on a worker thread;
// no widgets here.

#include "pg_image_types.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

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

// One display-copy job on its own thread. The result goes to Deliver and progress to Report,
// both called on the worker thread, so they may only post; a job stopped before it finished
// delivers nothing. Destruction stops the thread and waits for it.
class TCreatePaintPGThread {
public:
    using TDeliver = std::function<void(std::unique_ptr<TPixelGraphic>)>;
    using TReport = std::function<void(int stage, int percent)>;

    TCreatePaintPGThread(TPGDisplayJob job, TDeliver deliver, TReport report);
    ~TCreatePaintPGThread() { Stop(); }
    TCreatePaintPGThread(const TCreatePaintPGThread&) = delete;
    TCreatePaintPGThread& operator=(const TCreatePaintPGThread&) = delete;

    // Request, then join.
    void Stop();
    // The job finished and its result was handed to Deliver.
    bool Delivered() const { return FDelivered; }

private:
    void Execute(std::stop_token stop);

    TPGDisplayJob FJob;
    TDeliver FDeliver;
    TReport FReport;
    TPGProgressThrottle FThrottle;
    std::atomic<bool> FDelivered = false;
    std::jthread FThread;
};
