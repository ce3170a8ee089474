#include "filter_apply.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

using TResult = std::unique_ptr<TPixelGraphic>;

} // namespace

TFilterApply::TFilterApply(TBackgroundWorker& Pool)
    : FBands(Pool.ThreadCount()), FJobs(*this, Pool) {}

TFilterApply::~TFilterApply() {
    if (FWindow) qApp->removeEventFilter(this);
}

void TFilterApply::Start(TPGFilterFactory Make, const TPixelGraphic& Picture, QWidget* Window) {
    Stop();
    FWindow = Window;
    if (FWindow) qApp->installEventFilter(this);
    FJob = FJobs.Submit(
        [make = std::move(Make), picture = &Picture, bands = FBands](TJobContext& context) {
            int last = -1;
            return PGFilteredCopy(make, *picture, bands, [&](int done, int rows) {
                const int percent = rows == 0 ? 100 : done * 100 / rows;
                if (percent != last) context.Progress(0, last = percent);
                return context.StopRequested();
            });
        },
        {++FGeneration, 2});
}

void TFilterApply::Cancel() {
    if (FJob) FJob.Cancel();
}

void TFilterApply::Stop() {
    if (!FJob) return;
    FJob.Cancel();
    FJob.Wait();
}

bool TFilterApply::event(QEvent* Event) {
    if (Event->type() == TJobProgressEvent::EventType()) {
        auto& progress = static_cast<TJobProgressEvent&>(*Event);
        if (progress.Generation() == FGeneration && OnProgress) OnProgress(progress.Percent());
        return true;
    }
    if (Event->type() == TJobFinishedEvent::EventType()) {
        finished(static_cast<TJobFinishedEvent&>(*Event));
        return true;
    }
    return QObject::event(Event);
}

void TFilterApply::finished(TJobFinishedEvent& event) {
    if (event.Generation() != FGeneration) return;
    FJob = {};
    if (FWindow) qApp->removeEventFilter(this);
    FWindow = nullptr;
    TResult* result = event.Result<TResult>();
    if (event.State() == TJobState::Done && result && *result) {
        if (OnDone) OnDone(std::move(*result));
    } else if (event.State() == TJobState::Failed) {
        if (OnFailed) OnFailed(event.Error());
    } else if (OnCancelled) {
        OnCancelled();
    }
}

bool TFilterApply::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() != QEvent::KeyPress || !FJob || !FWindow) return false;
    auto* widget = qobject_cast<QWidget*>(Watched);
    if (!widget || (widget != FWindow && !FWindow->isAncestorOf(widget))) return false;
    if (static_cast<QKeyEvent*>(Event)->key() != Qt::Key_Escape) return false;
    Cancel();
    return true;
}
