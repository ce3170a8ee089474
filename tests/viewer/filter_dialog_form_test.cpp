#include "filter_dialog_form.h"
#include "filter_effects.h"
#include "pg_image.h"

#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Processes events until the condition holds or the deadline passes.
bool waitFor(const std::function<bool()>& condition, int deadlineMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < deadlineMs) QTest::qWait(5);
    return condition();
}

std::vector<uint32_t> pixelsOf(const TPixelGraphic& image) {
    std::vector<uint32_t> out;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) out.push_back(image.GetPixelColor(x, y));
    return out;
}

std::vector<uint32_t> filteredBy(const TFilterDialog& dialog, const TPixelGraphic& source) {
    TPixelGraphic out;
    PGApplyFilter(dialog.FilterFactory(), out, source, 1);
    return pixelsOf(out);
}

std::unique_ptr<TPixelGraphic> photo() {
    auto p = std::make_unique<TPixelGraphic>();
    p->LoadFromFile(TestData("viewer/photo.bmp"));
    return p;
}

// A picture big enough that filtering it takes a while.
std::unique_ptr<TPixelGraphic> large(int w, int h) {
    auto p = std::make_unique<TPixelGraphic>();
    p->SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = p->ScanLine(y);
        for (int x = 0; x < 3 * w; ++x) row[x] = static_cast<uint8_t>(x * 7 + y * 13);
    }
    return p;
}

// Runs action on the modal form as soon as it is shown, looking again every 5 ms. Each look
// schedules the next by value: a function that owned itself would never be freed.
void onModalForm(std::function<void(TFilterDialogForm&)> action, int delayMs = 0) {
    QTimer::singleShot(delayMs, [action] {
        if (auto* form = dynamic_cast<TFilterDialogForm*>(QApplication::activeModalWidget()))
            action(*form);
        else
            onModalForm(action, 5);
    });
}

struct TFakeHost : TFilterEffectHost {
    std::unique_ptr<TPixelGraphic> Installed;
    std::vector<int> Progress;
    std::vector<bool> Running;
    QString Failure;
    void InstallFiltered(std::unique_ptr<TPixelGraphic> Picture) override {
        Installed = std::move(Picture);
    }
    void ShowApplyProgress(int Percent) override { Progress.push_back(Percent); }
    void ApplyRunning(bool Running_) override { Running.push_back(Running_); }
    void ApplyFailed(const QString& Message) override { Failure = Message; }
};

} // namespace

TEST(FilterDialogForm, SliderMoveBringsTheFilteredPreviewAfterTheDelay) {
    const auto picture = photo();
    TBCGFilterDialog dialog;
    TFilterDialogForm form(dialog, picture.get(), nullptr);
    form.show();
    ASSERT_TRUE(form.Preview());
    // The arriving source is filtered at once with the current values.
    ASSERT_TRUE(waitFor([&] { return form.ShownGeneration() == 1; }));
    ASSERT_TRUE(form.PreviewSource());
    EXPECT_EQ(form.PreviewSource()->Width(), picture->Width()); // 48 x 32 fits as it is

    form.Slider(0)->setValue(10);
    form.Slider(0)->setValue(30);
    form.Slider(0)->setValue(60);
    EXPECT_EQ(form.ValueLabel(0)->text(), "+60%");
    EXPECT_TRUE(form.PreviewTimer().isActive());
    EXPECT_EQ(dialog.Brightness(), 60);
    // Three moves within the delay make one job, for the last values.
    ASSERT_TRUE(waitFor([&] { return form.ShownGeneration() == 2; }));
    QTest::qWait(150);
    EXPECT_EQ(form.ShownGeneration(), 2u);
    EXPECT_EQ(pixelsOf(*form.Preview()->PixelGraphic()), filteredBy(dialog, *form.PreviewSource()));
    EXPECT_NE(pixelsOf(*form.Preview()->PixelGraphic()), pixelsOf(*form.PreviewSource()));
}

TEST(FilterDialogForm, KernelPreviewIsACentreCropAndAThinPictureStillPreviews) {
    const auto picture = large(400, 300);
    TSharpenFilterDialog sharpen;
    TFilterDialogForm form(sharpen, picture.get(), nullptr);
    ASSERT_TRUE(waitFor([&] { return form.ShownGeneration() == 1; }));
    const TPixelGraphic& crop = *form.PreviewSource();
    EXPECT_EQ(crop.Width(), form.Preview()->width() - 2 * form.Preview()->frameWidth());
    const int left = (400 - crop.Width()) / 2, top = (300 - crop.Height()) / 2;
    EXPECT_EQ(crop.GetPixelColor(3, 5), picture->GetPixelColor(left + 3, top + 5));

    const auto thin = large(10000, 1);
    TGrayScaleFilterDialog grey;
    TFilterDialogForm thinForm(grey, thin.get(), nullptr);
    ASSERT_TRUE(waitFor([&] { return thinForm.ShownGeneration() == 1; }));
    EXPECT_EQ(thinForm.PreviewSource()->Height(), 1);
}

TEST(FilterDialogForm, OKKeepsTheValuesAndCancelOrEscRestoresThem) {
    const auto picture = photo();
    TRGBFilterDialog dialog;
    dialog.SetRed(20);
    onModalForm([](TFilterDialogForm& form) {
        form.Slider(0)->setValue(-50);
        form.OKButton()->click();
    });
    EXPECT_TRUE(dialog.Execute(picture.get()));
    EXPECT_EQ(dialog.Red(), -50);

    for (bool escape : {false, true}) {
        onModalForm([escape](TFilterDialogForm& form) {
            form.Slider(1)->setValue(70);
            if (escape)
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                form.reject();
        });
        EXPECT_FALSE(dialog.Execute(picture.get())) << escape;
        EXPECT_EQ(dialog.Green(), 0) << escape;
        EXPECT_EQ(dialog.Red(), -50) << escape;
        EXPECT_EQ(dialog.Filter().FilterColor(PGColor(200, 200, 0)), PGColor(73, 200, 0));
    }
}

TEST(FilterEffects, OKAppliesOnTheWorkerAndCancelLeavesThePicture) {
    const auto picture = photo();
    const std::vector<uint32_t> before = pixelsOf(*picture);
    TFakeHost host;
    TFilterEffects effects(host);

    onModalForm([](TFilterDialogForm& form) { form.reject(); });
    EXPECT_FALSE(effects.Run(feBCG, *picture, nullptr));
    EXPECT_TRUE(host.Running.empty());

    onModalForm([](TFilterDialogForm& form) {
        form.Slider(0)->setValue(40);
        form.OKButton()->click();
    });
    EXPECT_TRUE(effects.Run(feBCG, *picture, nullptr));
    ASSERT_TRUE(waitFor([&] { return host.Installed != nullptr; }));
    EXPECT_EQ(pixelsOf(*host.Installed), filteredBy(effects.Dialog(feBCG), *picture));
    EXPECT_EQ(pixelsOf(*picture), before);
    EXPECT_EQ(host.Running, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.Progress.back(), -1);

    // A convolution makes a new 24-bit picture, also from a palette one.
    TPixelGraphic palette;
    palette.LoadFromFile(TestData("viewer/photo-8.bmp"));
    host.Installed.reset();
    onModalForm([](TFilterDialogForm& form) { form.OKButton()->click(); });
    EXPECT_TRUE(effects.Run(feSmooth, palette, nullptr));
    ASSERT_TRUE(waitFor([&] { return host.Installed != nullptr; }));
    EXPECT_EQ(host.Installed->PixelFormat(), pf24Bit);
    EXPECT_EQ(pixelsOf(*host.Installed), filteredBy(effects.Dialog(feSmooth), palette));
}

TEST(FilterApply, EscCancelsARunningApplyAndLeavesThePicture) {
    const auto picture = large(3000, 2000);
    const std::vector<uint8_t> before(picture->Bits(), picture->Bits() + picture->ImageSize());
    QWidget window;
    window.show();
    TFilterApply apply;
    bool cancelled = false, done = false;
    int reports = 0;
    apply.OnProgress = [&](int) { ++reports; };
    apply.OnCancelled = [&] { cancelled = true; };
    apply.OnDone = [&](std::unique_ptr<TPixelGraphic>) { done = true; };
    THSVFilterDialog hsv;
    hsv.SetH(90);
    apply.Start(hsv.FilterFactory(), *picture, &window);
    ASSERT_TRUE(waitFor([&] { return reports > 0 || done; }));
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return cancelled || done; }));
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(done);
    EXPECT_FALSE(apply.Running());
    EXPECT_EQ(std::vector<uint8_t>(picture->Bits(), picture->Bits() + picture->ImageSize()),
              before);
}

// The picture pane's display-copy worker and the preview source read the same picture at once.
TEST(FilterDialogForm, PreviewReadsThePictureBesideThePanesDisplayCopy) {
    TPGImage pane;
    pane.resize(400, 300);
    pane.SetStretch(sAlwaysKAR);
    pane.SetStretchMode(smPrecise);
    pane.AdoptPixelGraphic(large(1200, 900));
    pane.show();
    const TPixelGraphic* picture = pane.PixelGraphic();
    pane.resize(390, 290); // a new display copy from the same picture
    THSVFilterDialog hsv;
    hsv.SetH(45);
    TFilterDialogForm form(hsv, picture, nullptr);
    ASSERT_TRUE(waitFor([&] { return form.ShownGeneration() == 1 && !pane.PaintOutdated(); }));
    EXPECT_EQ(pixelsOf(*form.Preview()->PixelGraphic()), filteredBy(hsv, *form.PreviewSource()));
}
