#pragma once
// The JPEG quality dialog: an edit box and a track bar kept in step, and the choice to use the
// quality from now on without asking. It has no Cancel: closing it in any way counts as OK.

#include "edit_image.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// The quality box and the track bar, without widgets. The track keeps 1..100; the box holds
// what was typed.
class TJPEGQualityModel {
public:
    static constexpr int NotANumber = 75; // where a box without a number puts the track

    explicit TJPEGQualityModel(int position);
    int Position() const { return FPosition; }
    const QString& Text() const { return FText; }

    void TrackMoved(int position);
    void TextChanged(const QString& text);
    // Enter: the track takes the box's value, and the box then shows the track's position, so
    // what is shown is what will be used.
    void EnterPressed();

private:
    int FPosition;
    QString FText;
};

struct TJPEGQuestion {
    QString Prompt; // empty: the dialog's own
    int Position = 80;
    bool OfferDefault = true; // shows "Do not prompt me..."
};

struct TJPEGChoice {
    int Quality = 80;
    bool SetAsDefault = false;

    bool operator==(const TJPEGChoice&) const = default;
};

class TdlgJPEG : public QDialog {
public:
    TdlgJPEG(const TJPEGQuestion& question, QWidget* parent = nullptr, const THelpTopic& help = {});

    TJPEGChoice Choice() const;
    const TJPEGQualityModel& Model() const { return FModel; }
    // Esc and the close box end the dialog as OK does.
    void reject() override { accept(); }

    QLabel* PromptLabel;
    QLineEdit* QualityEdit;
    QSlider* QualityTrack;
    QCheckBox* Chksetasdefault;
    QPushButton* btnHelp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showModel();

    TJPEGQualityModel FModel;
    bool FOfferDefault;
};

// Opens the dialog modally and answers the choice made.
TJPEGChoice RunJPEGDialog(const TJPEGQuestion& question, QWidget* parent,
                          const THelpTopic& help = {});
