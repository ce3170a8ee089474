#pragma once
// "Tip of the Day": one tip at a time, with buttons for the previous, next and a random tip.

#include <QDialog>

class QCheckBox;
class QLabel;
class TTipCursor;
class TTipsFile;

class TfrmTips : public QDialog {
public:
    TfrmTips(QWidget* parent, const TTipsFile& tips, TTipCursor& cursor, bool showAtStart);
    bool ShowAtStart() const;

private:
    void ShowTip();

    const TTipsFile& FTips;
    TTipCursor& FCursor;
    QLabel* FCaption;
    QLabel* FText;
    QCheckBox* FShowAtStart;
};
