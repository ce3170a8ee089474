#include "edit_image.h"

#include "prompter.h"

#include <QDialogButtonBox>
#include <QPushButton>

QPushButton* AddHelpButton(QDialogButtonBox& buttons, int topic, const THelpTopic& help) {
    QPushButton* button = buttons.addButton(QDialogButtonBox::Help);
    button->setText(QStringLiteral("Help"));
    button->setEnabled(static_cast<bool>(help));
    QObject::connect(button, &QPushButton::clicked, button, [help, topic] {
        if (help) help(topic);
    });
    return button;
}

std::unique_ptr<TPixelGraphic> NewImageLike(const TPixelGraphic& source, int w, int h) {
    auto image = std::make_unique<TPixelGraphic>();
    image->SetBackGroundColor(source.BackGroundColor());
    image->SetDither(source.Dither());
    image->SetDitherErrorLimit(source.DitherErrorLimit());
    image->SetDitherErrorLimitAuto(source.DitherErrorLimitAuto());
    image->SetDitherErrorLimitSoft(source.DitherErrorLimitSoft());
    image->SetUseColorCache(source.UseColorCache());
    image->SetGamma(source.Gamma());
    image->SetRGBWeighting(source.RGBWeighting());
    image->SetRotateInterpolate(source.RotateInterpolate());
    image->SetStretchMode(source.StretchMode());
    image->SetReadWarningAction(source.ReadWarningAction());
    image->SetTransparent(source.Transparent());
    image->SetTransparentColor(source.TransparentColor());
    image->SetSaveColorResWarningAction(source.SaveColorResWarningAction());
    image->SetSizeAndFormat(w, h, source.PixelFormat());
    if (source.PixelFormat() != pf24Bit) {
        image->SetPaletteCount(source.PaletteCount());
        for (int i = 0; i < source.PaletteCount(); ++i)
            image->SetPaletteEntry(i, source.GetPaletteEntry(i));
        image->SetPaletteIdent(source.PaletteIdent());
    }
    return image;
}

namespace {

using TEditResult = std::unique_ptr<TPixelGraphic>;

} // namespace

TEditJob::TEditJob(TPixelGraphic& editImage, TProgressGauge gauge, TBackgroundWorker& pool)
    : FEditImage(editImage), FGauge(std::move(gauge)), FJobs(*this, pool) {}

bool TEditJob::Start(TEditOperation operation) {
    if (Running()) return false;
    FJob = FJobs.Submit(
        [operation = std::move(operation), source = &FEditImage](TJobContext& context) {
            int last = -1;
            const TPGProgressEvent progress = [&](TPixelGraphic&, int step, int max, bool& abort) {
                const int percent = max > 0 ? static_cast<int>(int64_t(step) * 100 / max) : 100;
                if (percent != last) context.Progress(0, last = percent);
                abort = context.StopRequested();
            };
            return operation(*source, progress);
        },
        {.Generation = ++FGeneration, .Priority = 2});
    if (FGauge.Show) FGauge.Show(0);
    return true;
}

void TEditJob::Cancel() {
    if (FJob) FJob.Cancel();
}

bool TEditJob::event(QEvent* event) {
    if (event->type() == TJobProgressEvent::EventType()) {
        const auto& progress = static_cast<TJobProgressEvent&>(*event);
        if (progress.Generation() == FGeneration && FGauge.Show) FGauge.Show(progress.Percent());
        return true;
    }
    if (event->type() == TJobFinishedEvent::EventType()) {
        finished(static_cast<TJobFinishedEvent&>(*event));
        return true;
    }
    return QObject::event(event);
}

void TEditJob::finished(TJobFinishedEvent& event) {
    if (event.Generation() != FGeneration) return;
    FJob = {};
    if (FGauge.Hide) FGauge.Hide();
    TEditResult* result = event.Result<TEditResult>();
    if (event.State() == TJobState::Done && result && *result) {
        FEditImage.Assign(result->get());
        if (OnDone) OnDone();
    } else if (event.State() == TJobState::Cancelled) {
        if (OnCancelled) OnCancelled();
    } else if (OnFailed) {
        OnFailed(event.Error());
    }
}

TEditDialog::TEditDialog(const TEditCall& call, int helpTopic)
    : QDialog(call.Parent), FEditImage(call.EditImage), FPrompter(call.Prompter),
      FHasHelp(static_cast<bool>(call.Help)), FJob(call.EditImage, call.Gauge) {
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnOK = Buttons->button(QDialogButtonBox::Ok);
    btnHelp = AddHelpButton(*Buttons, helpTopic, call.Help);
    connect(Buttons, &QDialogButtonBox::accepted, this, &TEditDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &TEditDialog::reject);
    FJob.OnDone = [this] {
        FChanged = true;
        QDialog::accept();
    };
    FJob.OnCancelled = [this] { setWorking(false); };
    FJob.OnFailed = [this](const QString& message) {
        FPrompter.Message(TPromptKind::Error, message);
        QDialog::accept();
    };
}

void TEditDialog::accept() {
    if (Working()) return;
    std::optional<TEditOperation> operation = Operation();
    if (!operation) {
        QDialog::accept();
        return;
    }
    setWorking(true);
    FJob.Start(std::move(*operation));
}

void TEditDialog::reject() {
    if (Working()) {
        FJob.Cancel();
        return;
    }
    QDialog::reject();
}

void TEditDialog::setWorking(bool on) {
    // Only Cancel answers while the picture is being made.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != Buttons) child->setEnabled(!on);
    for (QAbstractButton* button : Buttons->buttons())
        if (Buttons->buttonRole(button) != QDialogButtonBox::RejectRole)
            button->setEnabled(!on && (button != btnHelp || FHasHelp));
}
