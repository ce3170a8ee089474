#include "dlg_zoom.h"

#include <QDialogButtonBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int lowestPercent = 1, highestPercent = 10000;
constexpr int lowestTrack = 1, highestTrack = 200;

} // namespace

int ZoomTrackOf(int percent) {
    const int track = percent <= 100 ? percent : (percent - 100) / 5 + 100;
    return std::clamp(track, lowestTrack, highestTrack);
}

int ZoomPercentOf(int track) {
    return track <= 100 ? track : 5 * track - 400;
}

TZoomModel::TZoomModel(int percent)
    : FPercent(std::clamp(percent, lowestPercent, highestPercent)), FTrack(ZoomTrackOf(FPercent)) {}

void TZoomModel::SpinChanged(int percent) {
    FPercent = std::clamp(percent, lowestPercent, highestPercent);
    FTrack = ZoomTrackOf(FPercent);
}

void TZoomModel::TrackMoved(int track) {
    FTrack = std::clamp(track, lowestTrack, highestTrack);
    FPercent = ZoomPercentOf(FTrack);
}

TdlgZoom::TdlgZoom(int percent, QWidget* parent) : QDialog(parent), FModel(percent) {
    setWindowTitle(QStringLiteral("Custom Zoom"));
    spnzoom = new QSpinBox(this);
    spnzoom->setRange(lowestPercent, highestPercent);
    spnzoom->setSingleStep(10);
    spnzoom->setSuffix(QStringLiteral(" %"));
    tbrZoom = new QSlider(Qt::Horizontal, this);
    tbrZoom->setRange(lowestTrack, highestTrack);
    tbrZoom->setPageStep(10);
    tbrZoom->setTickInterval(25);
    tbrZoom->setTickPosition(QSlider::TicksBelow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(spnzoom);
    layout->addWidget(tbrZoom);
    layout->addWidget(buttons);
    showModel();

    connect(spnzoom, &QSpinBox::valueChanged, this, [this](int value) {
        FModel.SpinChanged(value);
        showModel();
    });
    connect(tbrZoom, &QSlider::valueChanged, this, [this](int value) {
        FModel.TrackMoved(value);
        showModel();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TdlgZoom::showModel() {
    const QSignalBlocker spinBlocker(spnzoom), trackBlocker(tbrZoom);
    if (spnzoom->value() != FModel.Percent()) spnzoom->setValue(FModel.Percent());
    tbrZoom->setValue(FModel.Track());
}

int AskCustomZoom(int percent, QWidget* window) {
    TdlgZoom dialog(percent, window);
    return dialog.exec() == QDialog::Accepted ? dialog.Percent() : -1;
}
