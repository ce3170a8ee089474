#include "pg_display_copy.h"

#include "background_worker.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

namespace {

std::unique_ptr<TPixelGraphic> image(int w, int h, uint8_t format, TPaletteIdent ident) {
    auto p = std::make_unique<TPixelGraphic>();
    p->SetSizeAndFormat(w, h, format);
    if (format != pf24Bit) p->SetPaletteIdent(ident);
    return p;
}

// Two columns, red and blue, one row.
std::unique_ptr<TPixelGraphic> redBlue() {
    auto p = image(2, 1, pf24Bit, pTrueColor);
    p->SetPixel(0, 0, PGColor(255, 0, 0));
    p->SetPixel(1, 0, PGColor(0, 0, 255));
    return p;
}

} // namespace

TEST(DisplayCopy, WhenACopyIsNeeded) {
    const auto tc = image(10, 8, pf24Bit, pTrueColor);
    const auto gray = image(10, 8, pf8Bit, pGray256);
    const auto sys16 = image(10, 8, pf4Bit, pSys16);
    const auto gray16 = image(10, 8, pf4Bit, pGray16);
    const auto bw = image(10, 8, pf1Bit, pBlackWhite);
    struct Case {
        const char* Name;
        const TPixelGraphic* Image;
        int Depth;
        TStretchMode Mode;
        int BoxW, BoxH;
        TPaletteIdent Palette8;
        bool ReduceOnLoad, Outdated;
        bool Needed;
    } cases[] = {
        {"no image", nullptr, 8, smPrecise, 20, 20, pOptimized252Sys16, false, true, false},
        {"true colour as it is", tc.get(), 32, smFast, 10, 8, pOptimized252Sys16, false, true,
         false},
        {"fast stretching is left to drawing", tc.get(), 32, smFast, 20, 16, pOptimized252Sys16,
         false, true, false},
        {"quality stretching", tc.get(), 32, smPrecise, 20, 16, pOptimized252Sys16, false, false,
         true},
        {"quality without a stretch", tc.get(), 32, smMedium, 10, 8, pOptimized252Sys16, false,
         true, false},
        {"true colour on 256 colours", tc.get(), 8, smFast, 10, 8, pOptimized252Sys16, false, false,
         true},
        {"true colour on 16 bits", tc.get(), 16, smFast, 10, 8, pOptimized252Sys16, false, true,
         false},
        {"grey picture, other screen palette", gray.get(), 8, smFast, 10, 8, pOptimized252Sys16,
         false, false, true},
        {"grey picture, reduced on load", gray.get(), 8, smFast, 10, 8, pOptimized252Sys16, true,
         false, false},
        {"grey picture, reduced on load but outdated", gray.get(), 8, smFast, 10, 8,
         pOptimized252Sys16, true, true, true},
        {"grey picture, its own palette", gray.get(), 8, smFast, 10, 8, pSource, false, true,
         false},
        {"grey picture, the screen palette", gray.get(), 8, smFast, 10, 8, pGray256, false, true,
         false},
        {"system colours on 16 colours", sys16.get(), 4, smFast, 10, 8, pOptimized252Sys16, false,
         true, false},
        {"grey 16 on 16 colours", gray16.get(), 4, smFast, 10, 8, pSource, false, false, true},
        {"256 colours on 16 colours", gray.get(), 4, smFast, 10, 8, pSource, false, false, true},
        {"black and white, the screen palette", bw.get(), 8, smFast, 10, 8, pBlackWhite, false,
         true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPGDisplaySettings s;
        s.StretchMode = c.Mode, s.Palette8BitSys8BitGraphic = c.Palette8;
        s.ReduceOnLoad = c.ReduceOnLoad;
        EXPECT_EQ(PGDisplayCopyNeeded(c.Image, s, c.Depth, c.BoxW, c.BoxH, c.Outdated), c.Needed);
    }
}

TEST(DisplayCopy, OutdatedBySizeOnlyForQualityStretching) {
    TPGDisplaySettings s;
    EXPECT_FALSE(PGOutdatedBySize(s, 20, 20, 10, 10));
    s.StretchMode = smPrecise;
    EXPECT_TRUE(PGOutdatedBySize(s, 20, 20, 10, 10));
    EXPECT_FALSE(PGOutdatedBySize(s, 10, 10, 10, 10));
    s.ReduceOnLoad = true;
    EXPECT_FALSE(PGOutdatedBySize(s, 20, 20, 10, 10));
}

TEST(DisplayCopy, JobFollowsDepthAndPalettes) {
    const auto tc = image(10, 8, pf24Bit, pTrueColor);
    auto palette = image(10, 8, pf8Bit, pUnknown);
    palette->SetPaletteCount(3);
    palette->SetPaletteEntry(1, PGColor(10, 20, 30));
    struct Case {
        const char* Name;
        const TPixelGraphic* Image;
        int Depth;
        TStretchMode Mode;
        TPaletteIdent Palette24, Palette8;
        uint8_t Format;
        int W, H;
        bool Optimal;
        TPaletteIdent Ident;
    } cases[] = {
        {"true colour screen, quality stretch", tc.get(), 32, smPrecise, pOptimized252Sys16,
         pOptimized252Sys16, pf24Bit, 20, 16, false, pTrueColor},
        {"256 colours, optimal palette", tc.get(), 8, smFast, pOptimized252Sys16,
         pOptimized252Sys16, pf8Bit, 10, 8, true, pNone},
        {"256 colours, fixed palette", tc.get(), 8, smFast, pGray256, pOptimized252Sys16, pf8Bit,
         10, 8, false, pGray256},
        {"palette picture, fixed palette", palette.get(), 8, smMedium, pGray256, pSpecial216,
         pf8Bit, 20, 16, false, pSpecial216},
        {"palette picture, optimal palette", palette.get(), 8, smFast, pGray256, pOptimized252Sys16,
         pf8Bit, 10, 8, true, pNone},
        {"palette picture, its own palette", palette.get(), 8, smFast, pGray256, pSource, pf8Bit,
         10, 8, false, pUnknown},
        {"16 colours", tc.get(), 4, smFast, pGray256, pSource, pf4Bit, 10, 8, false, pSys16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPGDisplaySettings s;
        s.StretchMode = c.Mode, s.Palette8BitSys24BitGraphic = c.Palette24;
        s.Palette8BitSys8BitGraphic = c.Palette8, s.Dither = false, s.RGBWeighting = false;
        const TPGDisplayJob job = PGPrepareDisplayJob(*c.Image, s, c.Depth, 20, 16);
        const TPixelGraphic& d = *job.Destination;
        EXPECT_EQ(d.PixelFormat(), c.Format);
        EXPECT_EQ(d.Width(), c.W);
        EXPECT_EQ(d.Height(), c.H);
        EXPECT_EQ(job.OptimalPalette, c.Optimal);
        EXPECT_EQ(d.PaletteIdent(), c.Ident);
        EXPECT_FALSE(job.OwnIntermediate);
        EXPECT_EQ(d.StretchMode(), c.Mode);
        EXPECT_FALSE(d.Dither());
        EXPECT_FALSE(d.RGBWeighting());
    }
    TPGDisplaySettings s;
    s.Palette8BitSys8BitGraphic = pSource;
    const TPGDisplayJob copied = PGPrepareDisplayJob(*palette, s, 8, 10, 8);
    EXPECT_EQ(copied.Destination->Palette(), palette->Palette());
}

TEST(DisplayCopy, TrueColourStretchBeforeAnOptimalPalette) {
    const auto tc = image(10, 8, pf24Bit, pTrueColor);
    TPGDisplaySettings s;
    s.StretchMode = smMedium, s.Allow24BitStretch = true;
    TPGDisplayJob job = PGPrepareDisplayJob(*tc, s, 8, 30, 24);
    ASSERT_TRUE(job.OwnIntermediate);
    EXPECT_EQ(job.OwnIntermediate->PixelFormat(), pf24Bit);
    EXPECT_EQ(job.OwnIntermediate->Width(), 30);
    EXPECT_EQ(job.OwnIntermediate->StretchMode(), smMedium);
    EXPECT_TRUE(job.OptimalPalette);
    // Not on a true-colour screen, and not without a stretch.
    EXPECT_FALSE(PGPrepareDisplayJob(*tc, s, 32, 30, 24).OwnIntermediate);
    EXPECT_FALSE(PGPrepareDisplayJob(*tc, s, 8, 10, 8).OwnIntermediate);
}

TEST(DisplayCopy, UnallocatableSizeFallsBackToOnePixelButRemembersTheRequest) {
    const auto tc = image(10, 8, pf24Bit, pTrueColor);
    TPGDisplaySettings s;
    s.StretchMode = smPrecise;
    const TPGDisplayJob job = PGPrepareDisplayJob(*tc, s, 32, 40000, 30000);
    EXPECT_EQ(job.Destination->Width(), 1);
    EXPECT_EQ(job.Destination->Height(), 1);
    EXPECT_EQ(job.RequestedWidth, 40000);
    EXPECT_EQ(job.RequestedHeight, 30000);
    EXPECT_FALSE(PGOutdatedBySize(s, 40000, 30000, job.RequestedWidth, job.RequestedHeight));
}

TEST(DisplayCopy, RunResamplesAndReduces) {
    const auto source = redBlue();
    TPGDisplaySettings s;
    s.StretchMode = smPrecise;
    TPGDisplayJob job = PGPrepareDisplayJob(*source, s, 32, 4, 2);
    int reports = 0;
    auto copy = PGRunDisplayJob(job, [&](int stage, int, int) {
        EXPECT_EQ(stage, 1);
        ++reports;
        return false;
    });
    ASSERT_TRUE(copy);
    TPixelGraphic expected;
    expected.SetSizeAndFormat(4, 2, pf24Bit);
    expected.CopyFrom(*source);
    EXPECT_EQ(std::vector<uint8_t>(copy->Bits(), copy->Bits() + copy->ImageSize()),
              std::vector<uint8_t>(expected.Bits(), expected.Bits() + expected.ImageSize()));
    EXPECT_GT(reports, 0);

    s.StretchMode = smFast;
    TPGDisplayJob sixteen = PGPrepareDisplayJob(*source, s, 4, 2, 1);
    auto reduced = PGRunDisplayJob(sixteen, [](int, int, int) { return false; });
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->GetPixel(0, 0), 9u);  // system red
    EXPECT_EQ(reduced->GetPixel(1, 0), 12u); // system blue
}

TEST(DisplayCopy, OptimalPaletteKeepsThePicturesColoursAndTheSystemColours) {
    auto source = image(3, 2, pf24Bit, pTrueColor);
    const uint32_t colors[6] = {PGColor(200, 10, 10), PGColor(10, 200, 10), PGColor(10, 10, 200),
                                PGColor(90, 90, 90),  PGColor(250, 250, 5), PGColor(5, 250, 250)};
    for (int i = 0; i < 6; ++i) source->SetPixel(i % 3, i / 3, colors[i]);
    TPGDisplaySettings s;
    TPGDisplayJob job = PGPrepareDisplayJob(*source, s, 8, 3, 2);
    ASSERT_TRUE(job.OptimalPalette);
    std::vector<int> stages;
    auto copy = PGRunDisplayJob(job, [&](int stage, int, int) {
        if (stages.empty() || stages.back() != stage) stages.push_back(stage);
        return false;
    });
    ASSERT_TRUE(copy);
    EXPECT_EQ(stages, (std::vector<int>{1, 2})); // palette, then conversion
    ASSERT_LE(copy->PaletteCount(), 252);
    ASSERT_GE(copy->PaletteCount(), 16);
    const auto& sys16 = PredefinedPalette(pSys16);
    EXPECT_TRUE(std::equal(sys16.begin(), sys16.end(), copy->Palette().end() - 16));
    // The histogram of a true-colour picture is coarser than 8 bits per channel.
    for (int i = 0; i < 6; ++i) {
        const uint32_t c = copy->GetPixelColor(i % 3, i / 3);
        EXPECT_NEAR(PGRed(c), PGRed(colors[i]), 8) << i;
        EXPECT_NEAR(PGGreen(c), PGGreen(colors[i]), 8) << i;
        EXPECT_NEAR(PGBlue(c), PGBlue(colors[i]), 8) << i;
    }
}

TEST(DisplayCopy, PalettePictureOfTheSameSizeIsMappedThroughATable) {
    auto source = image(4, 3, pf8Bit, pUnknown);
    source->SetPaletteCount(3);
    source->SetPaletteEntry(0, PGColor(1, 2, 3));
    source->SetPaletteEntry(1, PGColor(120, 30, 200));
    source->SetPaletteEntry(2, PGColor(250, 240, 10));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) source->SetPixel(x, y, (x + y) % 3);
    TPGDisplaySettings s;
    TPGDisplayJob job = PGPrepareDisplayJob(*source, s, 8, 4, 3);
    ASSERT_TRUE(job.OptimalPalette);
    std::vector<int> rowSteps;
    auto copy = PGRunDisplayJob(job, [&](int stage, int step, int max) {
        if (stage == 2) rowSteps.push_back(step * 10 + max);
        return false;
    });
    ASSERT_TRUE(copy);
    EXPECT_EQ(rowSteps, (std::vector<int>{2, 12, 22})); // one report per row, max = height - 1
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(copy->GetPixelColor(x, y), source->GetPixelColor(x, y));
}

TEST(DisplayCopy, StoppedRunDeliversNothing) {
    const auto source = image(40, 30, pf24Bit, pTrueColor);
    TPGDisplaySettings s;
    s.StretchMode = smPrecise;
    TPGDisplayJob job = PGPrepareDisplayJob(*source, s, 32, 80, 60);
    int calls = 0;
    EXPECT_FALSE(PGRunDisplayJob(job, [&](int, int, int) { return ++calls == 3; }));
    EXPECT_EQ(calls, 3);
}

TEST(DisplayCopy, ProgressThrottle) {
    EXPECT_EQ(TPGProgressThrottle::Percent(5, 10), 50);
    EXPECT_EQ(TPGProgressThrottle::Percent(0, 0), 100);
    TPGProgressThrottle t;
    EXPECT_TRUE(t.ShouldReport(10, 1000));
    EXPECT_FALSE(t.ShouldReport(10, 1100)); // same percent
    EXPECT_FALSE(t.ShouldReport(20, 1040)); // same 50 ms bucket
    EXPECT_TRUE(t.ShouldReport(20, 1050));
}

TEST(DisplayCopyOnWorker, ComesBackInTheFinalEventFromAWorkerThread) {
    // Keeps the copy of the final event.
    class TReceiver : public QObject {
    public:
        std::optional<TJobState> State;
        std::unique_ptr<TPixelGraphic> Copy;

    protected:
        bool event(QEvent* e) override {
            if (e->type() != TJobFinishedEvent::EventType()) return QObject::event(e);
            auto* f = static_cast<TJobFinishedEvent*>(e);
            State = f->State();
            if (auto* copy = f->Result<std::unique_ptr<TPixelGraphic>>()) Copy = std::move(*copy);
            return true;
        }
    };
    const auto source = redBlue();
    TPGDisplaySettings s;
    s.StretchMode = smPrecise;
    std::atomic<std::thread::id> ranOn;
    TBackgroundWorker pool(1);
    TReceiver receiver;
    TJobOwner jobs(receiver, pool);
    jobs.Submit([&, job = PGPrepareDisplayJob(*source, s, 32, 6, 3)](TJobContext& c) mutable {
        ranOn = std::this_thread::get_id();
        return PGRunDisplayJobOnWorker(job, c.StopToken(), [](int, int) {});
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return receiver.State.has_value(); }, 30000));
    EXPECT_EQ(receiver.State, TJobState::Done);
    EXPECT_NE(ranOn.load(), std::this_thread::get_id());
    ASSERT_TRUE(receiver.Copy);
    EXPECT_EQ(receiver.Copy->Width(), 6);
    EXPECT_EQ(receiver.Copy->GetPixelColor(0, 0), PGColor(255, 0, 0));
}

TEST(DisplayCopyOnWorker, StopRequestedDuringTheRunAnswersNothing) {
    // A 24-bit stretch first, then an optimal palette: the stop comes in the first stage.
    const auto source = image(60, 40, pf24Bit, pTrueColor);
    TPGDisplaySettings s;
    s.StretchMode = smPrecise;
    s.Allow24BitStretch = true;
    TPGDisplayJob job = PGPrepareDisplayJob(*source, s, 8, 120, 80);
    ASSERT_TRUE(job.OwnIntermediate);
    std::stop_source stop;
    std::vector<int> stages;
    EXPECT_FALSE(PGRunDisplayJobOnWorker(job, stop.get_token(), [&](int stage, int) {
        stages.push_back(stage);
        stop.request_stop();
    }));
    EXPECT_EQ(stages, std::vector<int>{1}); // nothing reported once asked to stop
    EXPECT_FALSE(job.OwnIntermediate);      // freed on the worker
}
