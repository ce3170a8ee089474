#pragma once
// The form of an effect dialog, made afresh for each Execute: the description's controls laid
// out and scaled, and a live preview filtered on the background worker 100 ms after the last
// change.

#include "background_worker.h"
#include "filter_dialog.h"
#include "filter_form_layout.h"

#include <QDialog>
#include <QSlider>
#include <QTimer>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TPGImage;

// A slider that marks its neutral position under the ticks.
class TNeutralSlider : public QSlider {
public:
    TNeutralSlider(int Neutral, QWidget* Parent);
    int Neutral() const { return FNeutral; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    int FNeutral;
};

class TFilterDialogForm : public QDialog {
public:
    // Picture: shown in the preview (only read, and it must outlive the form); nullptr for none.
    TFilterDialogForm(TFilterDialog& Dialog, const TPixelGraphic* Picture, QWidget* Parent);

    // For tests: the controls, the preview and its state.
    TNeutralSlider* Slider(int Index) const { return FSliders.at(Index); }
    QLabel* ValueLabel(int Index) const { return FValueLabels.at(Index); }
    QCheckBox* CheckBox() const { return FCheckBox; }
    QRadioButton* Radio(int Index) const { return FRadios.at(Index); }
    QPushButton* OKButton() const { return FOK; }
    TPGImage* Preview() const { return FPreview; }
    const TPixelGraphic* PreviewSource() const { return FSource.get(); }
    // Generation of the last filtered preview shown; 0 while only the source is shown.
    uint64_t ShownGeneration() const { return FShownGeneration; }
    const QTimer& PreviewTimer() const { return FTimer; }

protected:
    bool event(QEvent* Event) override;

private:
    void build(const TFilterFormLayout& layout, double scale);
    void addSlider(int index, const TFilterSliderLayout& layout, double scale);
    void addChoices(const TFilterFormLayout& layout, double scale);
    void addButtons(const TFilterFormLayout& layout, double scale);
    void refreshLabels();
    void controlsChanged();
    void startSource(bool crop);
    void startFilter();
    void finished(TJobFinishedEvent& event);

    TFilterDialog& FDialog;
    const TPixelGraphic* FPicture;
    std::array<TNeutralSlider*, 3> FSliders{};
    std::array<QLabel*, 3> FValueLabels{};
    QCheckBox* FCheckBox = nullptr;
    std::array<QRadioButton*, 2> FRadios{};
    QPushButton* FOK = nullptr;
    TPGImage* FPreview = nullptr;
    QTimer FTimer;
    std::unique_ptr<TPixelGraphic> FSource;
    // Declared after the source, which the filter jobs read: destroyed first.
    TJobOwner FJobs{*this};
    TJobHandle FSourceJob, FFilterJob;
    uint64_t FGeneration = 0, FShownGeneration = 0;
};
