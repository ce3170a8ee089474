#include "filter_effects.h"

TFilterEffects::TFilterEffects(TFilterEffectHost& Host, TBackgroundWorker& Pool)
    : FHost(Host), FDialogs{std::make_unique<TGrayScaleFilterDialog>(),
                            std::make_unique<TRGBFilterDialog>(),
                            std::make_unique<THSVFilterDialog>(),
                            std::make_unique<TBCGFilterDialog>(),
                            std::make_unique<TSharpenFilterDialog>(),
                            std::make_unique<TSmoothFilterDialog>(),
                            std::make_unique<TContourFilterDialog>()},
      FApply(Pool) {
    FApply.OnProgress = [this](int percent) { FHost.ShowApplyProgress(percent); };
    FApply.OnDone = [this](std::unique_ptr<TPixelGraphic> picture) {
        finish();
        FHost.InstallFiltered(std::move(picture));
    };
    FApply.OnCancelled = [this] { finish(); };
    FApply.OnFailed = [this](const QString& message) {
        finish();
        FHost.ApplyFailed(message);
    };
}

bool TFilterEffects::Run(TFilterEffect Effect, const TPixelGraphic& Picture, QWidget* Window) {
    if (FApply.Running()) return false;
    TFilterDialog& dialog = Dialog(Effect);
    if (!dialog.Execute(&Picture, Window)) return false;
    FHost.ApplyRunning(true);
    FHost.ShowApplyProgress(0);
    FApply.Start(dialog.FilterFactory(), Picture, Window);
    return true;
}

void TFilterEffects::finish() {
    FHost.ShowApplyProgress(-1);
    FHost.ApplyRunning(false);
}
