#pragma once
// The resize dialog: the new size in pixels and in percent of the edit image, each of the four
// boxes feeding the others, with the aspect kept on request.

#include "edit_image.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;

// The four sizes without widgets. Sizes are computed in integers and kept at least 1; they are
// never clamped to what a box can show, so OK applies exactly what the model holds.
class TResizeModel {
public:
    TResizeModel(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int WidthPixels() const { return FWidthPixels; }
    int HeightPixels() const { return FHeightPixels; }
    int WidthPercent() const { return FWidthPercent; }
    int HeightPercent() const { return FHeightPercent; }
    bool MaintainAspect() const { return FMaintainAspect; }

    void SetWidthPercent(int percent);
    void SetWidthPixels(int pixels);
    void SetHeightPixels(int pixels);
    void SetHeightPercent(int percent);
    // Recomputes as a change of the width percentage does.
    void SetMaintainAspect(bool on);
    // OK resamples only when a percentage differs from 100.
    bool ResizeWanted() const { return FWidthPercent != 100 || FHeightPercent != 100; }

private:
    int FWidth, FHeight;
    int FWidthPixels, FHeightPixels;
    int FWidthPercent = 100, FHeightPercent = 100;
    bool FMaintainAspect = true;
};

// A resampled copy of source at w x h. Raises the library's error for a size beyond its cap.
std::unique_ptr<TPixelGraphic> ResizedCopy(const TPixelGraphic& source, int w, int h,
                                           const TPGProgressEvent& progress);

class TdlgResize : public TEditDialog {
public:
    explicit TdlgResize(const TEditCall& call);

    const TResizeModel& Model() const { return FModel; }

    QLabel* lblCurrentWidth;
    QLabel* lblCurrentHeight;
    QSpinBox* spnwidth;
    QSpinBox* Spnheight;
    QSpinBox* spnwidthperc;
    QSpinBox* spnheightperc;
    QCheckBox* chkMaintainAspect;

protected:
    std::optional<TEditOperation> Operation() override;

private:
    void showModel();
    template <class F>
    void onChange(QSpinBox* box, F set);

    TResizeModel FModel;
};

// Opens the dialog on the edit image; OK resizes it as a job with the gauge showing the
// progress. Answers whether the image changed; a failure is told through the prompter.
bool RunResizeDialog(const TEditCall& call);
