#include "row_sink.h"

#include "format_registry.h"
#include "pixel_rows.h"

#include <algorithm>
#include <cstring>

TPGReduction PGPlanReduction(const TPGCallOptions& options, int w, int h) {
    TPGReduction plan;
    PGFitToHint(options, w, h, plan.FitW, plan.FitH);
    plan.Reduces = w > 0 && h > 0 && w >= 2 * int64_t(plan.FitW) && h >= 2 * int64_t(plan.FitH);
    // Beyond four times the box the picture is sampled first: the cost follows the box, where
    // averaging a hostile row of fifty million pixels would take minutes.
    plan.SampleW = static_cast<int>(std::min<int64_t>(w, 4 * int64_t(plan.FitW)));
    plan.SampleH = static_cast<int>(std::min<int64_t>(h, 4 * int64_t(plan.FitH)));
    return plan;
}

void PGAverageSample(TPixelGraphic& image, int fitW, int fitH) {
    ApplyGammaCorrection(image);
    TPixelGraphic reduced;
    reduced.SetCallOptions(image.CallOptions());
    reduced.SetStretchMode(smPrecise);
    reduced.SetSizeAndFormat(fitW, fitH, pf24Bit);
    reduced.StretchCopy(0, 0, image, image.Height(), image.Width(), 0, 0, fitH, fitW);
    image.SetSizeAndFormat(fitW, fitH, pf24Bit);
    std::copy_n(reduced.Bits(), reduced.ImageSize(), image.Bits());
    image.SetPaletteIdent(pTrueColor);
}

namespace {

std::vector<int> picks(int n, int size) {
    std::vector<int> at(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) at[static_cast<size_t>(i)] = PGSamplePick(i, n, size);
    return at;
}

// The full picture is refused by the same rules as SetSizeAndFormat, though it is never made.
void checkFullSize(const TPixelGraphic& image, int w, int h, uint8_t format) {
    if (w < 0) throw EPGInvalidSize(PGLangStr(msgNegativeWidth));
    if (h < 0) throw EPGInvalidSize(PGLangStr(msgNegativeHeight));
    const int64_t rowBytes = BytesPerRowOf(BitCountOfPixelFormat(format), w);
    const int64_t limit = image.CallOptions().PixelLimit;
    if ((h > 0 && rowBytes > PGMaxImageBytes / h) || (limit > 0 && int64_t(w) * h > limit))
        throw EPixelGraphic(PGLangStr(msgFailed, "CreateDIBSection"));
}

} // namespace

TPGRowSink::TPGRowSink(TPixelGraphic& image, int width, int height, uint8_t pixelFormat,
                       bool reducible)
    : FImage(image), FWidth(width), FHeight(height), FFormat(pixelFormat),
      FPlan(PGPlanReduction(image.CallOptions(), width, height)) {
    if (!FPlan.Reduces || !reducible) {
        FPlan.Reduces = false;
        image.SetSizeAndFormat(width, height, pixelFormat);
        return;
    }
    checkFullSize(image, width, height, pixelFormat);
    image.SetSizeAndFormat(FPlan.SampleW, FPlan.SampleH, pixelFormat);
    FRowPicks = picks(FPlan.SampleH, height);
    FColumnPicks = picks(FPlan.SampleW, width);
    FScratch.resize(static_cast<size_t>(BytesPerRowOf(BitCountOfPixelFormat(pixelFormat), width)));
}

uint8_t* TPGRowSink::Row(int y) {
    if (!FPlan.Reduces) return FImage.ScanLine(y);
    keepPending();
    std::fill(FScratch.begin(), FScratch.end(), uint8_t(0));
    FPending = y;
    return FScratch.data();
}

void TPGRowSink::keepPending() {
    const int y = FPending;
    FPending = -1;
    const auto at = std::lower_bound(FRowPicks.begin(), FRowPicks.end(), y);
    if (y < 0 || at == FRowPicks.end() || *at != y) return;
    uint8_t* out = FImage.ScanLine(static_cast<int>(at - FRowPicks.begin()));
    if (FPlan.SampleW == FWidth) {
        std::memcpy(out, FScratch.data(), static_cast<size_t>(FImage.BytesPerRow()));
        return;
    }
    const uint8_t* in = FScratch.data();
    for (int x = 0; x < FPlan.SampleW; ++x) {
        const int from = FColumnPicks[static_cast<size_t>(x)];
        if (FFormat == pf24Bit)
            std::memcpy(out + 3 * int64_t(x), in + 3 * int64_t(from), 3);
        else
            PGSetRowIndex(out, FFormat, x, PGRowIndex(in, FFormat, from));
    }
}

void TPGRowSink::Finish() {
    if (FFinished || !FPlan.Reduces) return;
    FFinished = true;
    keepPending();
    if (!FImage.Empty()) PGAverageSample(FImage, FPlan.FitW, FPlan.FitH);
}
