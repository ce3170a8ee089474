#pragma once
// The effects as the main window's editing commands run them: one dialog per effect, kept with
// its values for the program's life, and the full-size apply on the worker. The window reaches
// them through Run and answers through TFilterEffectHost.

#include "filter_apply.h"
#include "filter_dialog.h"

#include <QString>

#include <array>
#include <memory>

enum TFilterEffect : uint8_t { feGrayScale, feRGB, feHSV, feBCG, feSharpen, feSmooth, feContour };

// What the effects need of the window's editing concern.
class TFilterEffectHost {
public:
    virtual ~TFilterEffectHost() = default;
    // Replaces the edit image with the filtered one and sets the image-changed flag.
    virtual void InstallFiltered(std::unique_ptr<TPixelGraphic> Picture) = 0;
    // The status-bar gauge; -1 hides it.
    virtual void ShowApplyProgress(int Percent) = 0;
    // While true the other editing commands wait and the edit image must stay unchanged.
    virtual void ApplyRunning(bool Running) = 0;
    virtual void ApplyFailed(const QString& Message) = 0;
};

class TFilterEffects {
public:
    explicit TFilterEffects(TFilterEffectHost& Host,
                            TBackgroundWorker& Pool = TBackgroundWorker::Shared());
    TFilterDialog& Dialog(TFilterEffect Effect) { return *FDialogs.at(Effect); }
    // Runs the effect's dialog on Picture and, on OK, starts applying it: Esc in Window cancels
    // and leaves the picture as it was. Answers whether OK was pressed. Refused (false) while an
    // apply runs.
    bool Run(TFilterEffect Effect, const TPixelGraphic& Picture, QWidget* Window);
    TFilterApply& Apply() { return FApply; }

private:
    void finish();
    TFilterEffectHost& FHost;
    std::array<std::unique_ptr<TFilterDialog>, 7> FDialogs;
    TFilterApply FApply;
};
