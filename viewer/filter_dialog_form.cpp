#include "filter_dialog_form.h"

#include "filter_preview.h"
#include "pg_image.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionSlider>

#include <cmath>

namespace {

constexpr int previewDelayMs = 100;
constexpr int msgOK = 42, msgCancel = 43;

QRect scaled(const TFormRect& r, double scale) {
    auto s = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
    return {s(r.Left), s(r.Top), s(r.Width), s(r.Height)};
}

QLabel* label(QWidget* parent, const std::string& text, const TFormRect& r, double scale,
              Qt::Alignment alignment) {
    auto* l = new QLabel(QString::fromStdString(text), parent);
    l->setGeometry(scaled(r, scale));
    l->setAlignment(alignment | Qt::AlignVCenter);
    return l;
}

using TPreviewImage = std::unique_ptr<TPixelGraphic>;

} // namespace

TNeutralSlider::TNeutralSlider(int Neutral, QWidget* Parent)
    : QSlider(Qt::Horizontal, Parent), FNeutral(Neutral) {}

void TNeutralSlider::paintEvent(QPaintEvent* Event) {
    QSlider::paintEvent(Event);
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int x = groove.left() + handle.width() / 2 +
                  QStyle::sliderPositionFromValue(minimum(), maximum(), FNeutral, span);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QPolygon mark(
        {QPoint(x, height() - 5), QPoint(x - 3, height() - 1), QPoint(x + 3, height() - 1)});
    painter.setBrush(palette().color(QPalette::WindowText));
    painter.drawPolygon(mark);
}

TFilterDialogForm::TFilterDialogForm(TFilterDialog& Dialog, const TPixelGraphic* Picture,
                                     QWidget* Parent)
    : QDialog(Parent), FDialog(Dialog), FPicture(Picture) {
    setWindowTitle(QString::fromStdString(Dialog.Controls().Title));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    const double scale = logicalDpiX() / 100.0;
    const bool preview = Dialog.Controls().Preview && Picture && !Picture->Empty();
    const TFilterFormLayout layout = PGFilterFormLayout(Dialog.Controls(), preview);
    build(layout, scale);
    setFixedSize(scaled({0, 0, layout.ClientWidth, layout.ClientHeight}, scale).size());
    if (!Parent && QGuiApplication::primaryScreen())
        move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
    FTimer.setSingleShot(true);
    FTimer.setInterval(previewDelayMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { startFilter(); });
    if (preview) startSource(!dynamic_cast<TPreviewFilterDialog*>(&Dialog));
}

void TFilterDialogForm::build(const TFilterFormLayout& layout, double scale) {
    for (int k = 0; k < 3; ++k)
        if (FDialog.Controls().Sliders[k].Shown) addSlider(k, layout.Sliders[k], scale);
    addChoices(layout, scale);
    if (layout.Preview.Width > 0) {
        FPreview = new TPGImage(this);
        FPreview->setGeometry(scaled(layout.Preview, scale));
        FPreview->SetCenter(true);
        FPreview->SetKeepOldPaintPixelGraphic(true);
        if (auto* p = dynamic_cast<TPreviewFilterDialog*>(&FDialog)) {
            FPreview->SetPalette8BitSys24BitGraphic(p->Palette8BitSys24BitGraphic());
            FPreview->SetPalette8BitSys8BitGraphic(p->Palette8BitSys8BitGraphic());
            FPreview->SetProgressClockVisible(p->ProgressClockVisible());
            if (auto c = p->ProgressClockBkColor())
                FPreview->SetProgressClockBkColor(QColor(PGRed(*c), PGGreen(*c), PGBlue(*c)));
            if (auto c = p->ProgressClockLineColor())
                FPreview->SetProgressClockLineColor(QColor(PGRed(*c), PGGreen(*c), PGBlue(*c)));
        }
    }
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(scaled(layout.Line, scale));
    addButtons(layout, scale);
    refreshLabels();
}

void TFilterDialogForm::addSlider(int index, const TFilterSliderLayout& layout, double scale) {
    const TFilterSlider& s = FDialog.Controls().Sliders[index];
    label(this, s.Caption, layout.Caption, scale, Qt::AlignLeft);
    auto* slider = new TNeutralSlider(s.Neutral, this);
    slider->setGeometry(scaled(layout.Slider, scale));
    slider->setRange(s.Min, s.Max);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(s.TickFrequency);
    slider->setPageStep(s.TickFrequency);
    slider->setValue(s.Position);
    connect(slider, &QSlider::valueChanged, this, [this, index](int value) {
        FDialog.MoveSlider(index, value);
        controlsChanged();
    });
    FSliders[index] = slider;
    const Qt::Alignment alignments[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const std::string* texts[3] = {&s.LabelLeft, &s.LabelMiddle, &s.LabelRight};
    for (int k = 0; k < 3; ++k) label(this, *texts[k], layout.Scale[k], scale, alignments[k]);
    FValueLabels[index] = label(this, "", layout.Value, scale, Qt::AlignRight);
}

void TFilterDialogForm::addChoices(const TFilterFormLayout& layout, double scale) {
    const TFilterDialogControls& c = FDialog.Controls();
    if (c.CheckBox.Shown) {
        FCheckBox = new QCheckBox(QString::fromStdString(c.CheckBox.Caption), this);
        FCheckBox->setGeometry(scaled(layout.CheckBox, scale));
        FCheckBox->setChecked(c.CheckBox.Checked);
        connect(FCheckBox, &QCheckBox::toggled, this, [this](bool on) {
            FDialog.SetChecked(on);
            controlsChanged();
        });
    }
    if (c.Radios.Shown) {
        const std::string* captions[2] = {&c.Radios.Caption1, &c.Radios.Caption2};
        const TFormRect* rects[2] = {&layout.Radio1, &layout.Radio2};
        const bool checked[2] = {c.Radios.Checked1, c.Radios.Checked2};
        for (int k = 0; k < 2; ++k) {
            FRadios[k] = new QRadioButton(QString::fromStdString(*captions[k]), this);
            FRadios[k]->setGeometry(scaled(*rects[k], scale));
            FRadios[k]->setChecked(checked[k]);
            connect(FRadios[k], &QRadioButton::clicked, this, [this, k] {
                FDialog.SelectRadio(k);
                controlsChanged();
            });
        }
    }
    if (!c.ExtraCaption.empty()) label(this, c.ExtraCaption, layout.ExtraCaption, scale, {});
}

void TFilterDialogForm::addButtons(const TFilterFormLayout& layout, double scale) {
    FOK = new QPushButton(QString::fromStdString(PGLangStr(msgOK)), this);
    FOK->setGeometry(scaled(layout.OK, scale));
    FOK->setDefault(true);
    connect(FOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QString::fromStdString(PGLangStr(msgCancel)), this);
    cancel->setGeometry(scaled(layout.Cancel, scale));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFilterDialogForm::refreshLabels() {
    for (int k = 0; k < 3; ++k)
        if (FValueLabels[k])
            FValueLabels[k]->setText(QString::fromStdString(FDialog.ValueLabel(k)));
}

void TFilterDialogForm::controlsChanged() {
    refreshLabels();
    if (FPreview) FTimer.start();
}

void TFilterDialogForm::startSource(bool crop) {
    const int frame = 2 * FPreview->frameWidth();
    const int w = FPreview->width() - frame, h = FPreview->height() - frame;
    FSourceJob = FJobs.Submit([picture = FPicture, w, h, crop](TJobContext&) {
        return PGMakePreviewSource(*picture, w, h, crop);
    });
}

void TFilterDialogForm::startFilter() {
    if (!FSource) return;
    if (FFilterJob) FFilterJob.Cancel();
    FFilterJob = FJobs.Submit(
        [make = FDialog.FilterFactory(), source = FSource.get()](TJobContext& context) {
            auto out = std::make_unique<TPixelGraphic>();
            PGApplyFilter(make, *out, *source, 1,
                          [&](int, int) { return context.StopRequested(); });
            return out;
        },
        {++FGeneration, 1});
}

bool TFilterDialogForm::event(QEvent* Event) {
    if (Event->type() == TJobFinishedEvent::EventType()) {
        finished(static_cast<TJobFinishedEvent&>(*Event));
        return true;
    }
    return QDialog::event(Event);
}

// A failed or cancelled job leaves the preview as it was.
void TFilterDialogForm::finished(TJobFinishedEvent& event) {
    TPreviewImage* image = event.Result<TPreviewImage>();
    if (event.State() != TJobState::Done || !image || !*image) return;
    if (FSourceJob && event.JobId() == FSourceJob.Id()) {
        FSource = std::move(*image);
        FPreview->SetPixelGraphic(FSource.get());
        startFilter();
    } else if (event.Generation() == FGeneration) {
        FShownGeneration = event.Generation();
        FPreview->AdoptPixelGraphic(std::move(*image));
    }
}

bool TFilterDialog::Execute(const TPixelGraphic* Picture, QWidget* Parent) {
    SaveValues();
    SetCaptions();
    bool ok;
    {
        TFilterDialogForm form(*this, Picture, Parent);
        ok = form.exec() == QDialog::Accepted;
    }
    if (!ok) RestoreValues();
    return ok;
}
