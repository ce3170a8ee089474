#pragma once
// What the edit dialogs share: the main window's progress gauge, new images that keep the edit
// image's format and settings, the Help button, and the job that makes the edited picture on the
// background worker while the dialog stays responsive.

#include "background_worker.h"
#include "pixel_graphic.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QDialogButtonBox;
class QPushButton;
class TPrompter;

// The main window's gauge: Show with a percentage while an operation runs, Hide after it.
struct TProgressGauge {
    std::function<void(int Percent)> Show;
    std::function<void()> Hide;
};

// Opens a topic of the help file by number.
using THelpTopic = std::function<void(int Topic)>;

// Adds "Help" to buttons; it opens topic and is enabled only when there is help to open.
QPushButton* AddHelpButton(QDialogButtonBox& buttons, int topic, const THelpTopic& help);

// A new w x h image with the format, palette and settings of source, so that the edit image can
// take it over by Assign without losing any of its own. Raises the library's error when the size
// is beyond its cap.
std::unique_ptr<TPixelGraphic> NewImageLike(const TPixelGraphic& source, int w, int h);

// Makes the edited picture from the edit image, which it only reads; progress is reported to the
// event, whose Abort answers a request to stop.
using TEditOperation = std::function<std::unique_ptr<TPixelGraphic>(
    const TPixelGraphic& Source, const TPGProgressEvent& Progress)>;

// Runs one operation at a time on the background worker. The edit image must stay unchanged
// while it runs; it takes the result over only when the operation is done, so a failure or a
// stop leaves it as it was. The gauge shows the progress and is hidden at the end.
class TEditJob : public QObject {
public:
    TEditJob(TPixelGraphic& editImage, TProgressGauge gauge,
             TBackgroundWorker& pool = TBackgroundWorker::Shared());

    // False while another operation runs.
    bool Start(TEditOperation operation);
    bool Running() const { return static_cast<bool>(FJob); }
    // Asks the operation to stop; OnCancelled follows.
    void Cancel();

    std::function<void()> OnDone; // the edit image holds the result
    std::function<void(const QString& Message)> OnFailed;
    std::function<void()> OnCancelled;

protected:
    bool event(QEvent* event) override;

private:
    void finished(TJobFinishedEvent& event);

    TPixelGraphic& FEditImage;
    TProgressGauge FGauge;
    TJobOwner FJobs;
    TJobHandle FJob;
    uint64_t FGeneration = 0;
};

// What the caller hands an edit dialog.
struct TEditCall {
    TPixelGraphic& EditImage;
    TPrompter& Prompter;
    TProgressGauge Gauge;
    THelpTopic Help;
    QWidget* Parent = nullptr;
};

// A dialog whose OK edits the picture: the operation runs as a job while the dialog stays open
// with its controls held, and the dialog closes with OK once the edit image holds the result.
// Cancel, Esc or the close box during the job stop it and keep the dialog open; a failure is
// told through the prompter and closes the dialog with the picture as it was.
class TEditDialog : public QDialog {
public:
    // Whether the dialog changed the edit image.
    bool Changed() const { return FChanged; }
    bool Working() const { return FJob.Running(); }
    void accept() override;
    void reject() override;

    QDialogButtonBox* Buttons;
    QPushButton* btnOK;
    QPushButton* btnHelp;

protected:
    TEditDialog(const TEditCall& call, int helpTopic);
    // The work OK asks for; nothing when there is none to do.
    virtual std::optional<TEditOperation> Operation() = 0;
    const TPixelGraphic& EditImage() const { return FEditImage; }

private:
    void setWorking(bool on);

    const TPixelGraphic& FEditImage;
    TPrompter& FPrompter;
    bool FHasHelp;
    TEditJob FJob;
    bool FChanged = false;
};
