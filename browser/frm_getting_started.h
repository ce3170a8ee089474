#pragma once
// "Getting Started": what the program does and where to begin, with the check box that decides
// whether the window opens at every start.

#include <QDialog>

class QCheckBox;

class TfrmGettingStarted : public QDialog {
public:
    TfrmGettingStarted(QWidget* parent, bool showAtStart);
    bool ShowAtStart() const;

private:
    QCheckBox* FShowAtStart;
};
