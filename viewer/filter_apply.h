#pragma once
// The full-size apply of an effect on the background worker. It filters into a copy, so the
// picture stays as it was until the owner installs the result; Esc in the watched window cancels.
// On 24-bit pictures the rows are split across the pool's cores.

#include "background_worker.h"
#include "pg_filters.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class TFilterApply : public QObject {
public:
    explicit TFilterApply(TBackgroundWorker& Pool = TBackgroundWorker::Shared());
    ~TFilterApply() override;

    // Starts filtering Picture, which must stay unchanged until the apply ends: the owner's
    // editing commands wait meanwhile. Esc in Window (and its children) cancels.
    void Start(TPGFilterFactory Make, const TPixelGraphic& Picture, QWidget* Window = nullptr);
    bool Running() const { return static_cast<bool>(FJob); }
    // Asks the apply to stop; OnCancelled follows.
    void Cancel();
    // Cancels and waits, for an owner that must change the picture now.
    void Stop();

    std::function<void(int Percent)> OnProgress;
    // The filtered picture, to be installed in place of the picture.
    std::function<void(std::unique_ptr<TPixelGraphic> Result)> OnDone;
    std::function<void()> OnCancelled;
    std::function<void(const QString& Message)> OnFailed;

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void finished(TJobFinishedEvent& event);

    int FBands;
    QPointer<QWidget> FWindow;
    TJobOwner FJobs;
    TJobHandle FJob;
    uint64_t FGeneration = 0;
};
