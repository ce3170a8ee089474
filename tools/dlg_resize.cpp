#include "dlg_resize.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

constexpr int boxLimit = 9999;

int atLeastOne(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 1, INT_MAX));
}

int pixelsOf(int size, int percent) {
    return atLeastOne(int64_t(size) * percent / 100);
}

int percentOf(int pixels, int size) {
    return atLeastOne(int64_t(pixels) * 100 / std::max(size, 1));
}

} // namespace

TResizeModel::TResizeModel(int width, int height)
    : FWidth(std::max(width, 1)), FHeight(std::max(height, 1)), FWidthPixels(FWidth),
      FHeightPixels(FHeight) {}

void TResizeModel::SetWidthPercent(int percent) {
    FWidthPercent = atLeastOne(percent);
    FWidthPixels = pixelsOf(FWidth, FWidthPercent);
    if (!FMaintainAspect) return;
    FHeightPercent = FWidthPercent;
    FHeightPixels = pixelsOf(FHeight, FWidthPercent);
}

void TResizeModel::SetWidthPixels(int pixels) {
    FWidthPixels = atLeastOne(pixels);
    FWidthPercent = percentOf(FWidthPixels, FWidth);
    if (!FMaintainAspect) return;
    FHeightPercent = FWidthPercent;
    FHeightPixels = pixelsOf(FHeight, FWidthPercent);
}

void TResizeModel::SetHeightPixels(int pixels) {
    FHeightPixels = atLeastOne(pixels);
    FHeightPercent = percentOf(FHeightPixels, FHeight);
    if (!FMaintainAspect) return;
    FWidthPercent = FHeightPercent;
    FWidthPixels = pixelsOf(FWidth, FHeightPercent);
}

void TResizeModel::SetHeightPercent(int percent) {
    FHeightPercent = atLeastOne(percent);
    FHeightPixels = pixelsOf(FHeight, FHeightPercent);
    if (!FMaintainAspect) return;
    FWidthPercent = FHeightPercent;
    FWidthPixels = pixelsOf(FWidth, FHeightPercent);
}

void TResizeModel::SetMaintainAspect(bool on) {
    FMaintainAspect = on;
    SetWidthPercent(FWidthPercent);
}

std::unique_ptr<TPixelGraphic> ResizedCopy(const TPixelGraphic& source, int w, int h,
                                           const TPGProgressEvent& progress) {
    std::unique_ptr<TPixelGraphic> resized = NewImageLike(source, w, h);
    resized->OnProgress = progress;
    resized->StretchCopy(0, 0, source, source.Height(), source.Width(), 0, 0, h, w);
    resized->OnProgress = nullptr;
    return resized;
}

TdlgResize::TdlgResize(const TEditCall& call)
    : TEditDialog(call, 606), FModel(call.EditImage.Width(), call.EditImage.Height()) {
    const TPixelGraphic& editImage = call.EditImage;
    setWindowTitle(QStringLiteral("Image Resize Dialog"));
    lblCurrentWidth = new QLabel(QString::number(editImage.Width()), this);
    lblCurrentHeight = new QLabel(QString::number(editImage.Height()), this);
    auto makeBox = [this](int step) {
        auto* box = new QSpinBox(this);
        box->setSingleStep(step);
        return box;
    };
    spnwidth = makeBox(100), Spnheight = makeBox(100);
    spnwidthperc = makeBox(10), spnheightperc = makeBox(10);
    chkMaintainAspect = new QCheckBox(QStringLiteral("Maintain Aspect Ratio of image"), this);
    chkMaintainAspect->setChecked(FModel.MaintainAspect());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Current width:"), lblCurrentWidth);
    form->addRow(QStringLiteral("Current height:"), lblCurrentHeight);
    form->addRow(QStringLiteral("New width (pixels):"), spnwidth);
    form->addRow(QStringLiteral("New height (pixels):"), Spnheight);
    form->addRow(QStringLiteral("Width (%):"), spnwidthperc);
    form->addRow(QStringLiteral("Height (%):"), spnheightperc);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(chkMaintainAspect);
    layout->addWidget(Buttons);
    showModel();

    onChange(spnwidth, &TResizeModel::SetWidthPixels);
    onChange(Spnheight, &TResizeModel::SetHeightPixels);
    onChange(spnwidthperc, &TResizeModel::SetWidthPercent);
    onChange(spnheightperc, &TResizeModel::SetHeightPercent);
    connect(chkMaintainAspect, &QCheckBox::toggled, this, [this](bool on) {
        FModel.SetMaintainAspect(on);
        showModel();
    });
}

template <class F>
void TdlgResize::onChange(QSpinBox* box, F set) {
    connect(box, &QSpinBox::valueChanged, this, [this, set](int value) {
        (FModel.*set)(value);
        showModel();
    });
}

void TdlgResize::showModel() {
    // While one change is shown, the other boxes' change events are ignored; a box's range
    // grows to hold the true value rather than clamping it.
    auto show = [](QSpinBox* box, int value) {
        const QSignalBlocker blocker(box);
        box->setRange(1, std::max(boxLimit, value));
        if (box->value() != value) box->setValue(value);
    };
    show(spnwidth, FModel.WidthPixels());
    show(Spnheight, FModel.HeightPixels());
    show(spnwidthperc, FModel.WidthPercent());
    show(spnheightperc, FModel.HeightPercent());
}

std::optional<TEditOperation> TdlgResize::Operation() {
    if (!FModel.ResizeWanted() || EditImage().Empty()) return std::nullopt;
    return [w = FModel.WidthPixels(), h = FModel.HeightPixels()](const TPixelGraphic& source,
                                                                 const TPGProgressEvent& progress) {
        return ResizedCopy(source, w, h, progress);
    };
}

bool RunResizeDialog(const TEditCall& call) {
    TdlgResize dialog(call);
    dialog.exec();
    return dialog.Changed();
}
