#pragma once
// "Password Dialog": the start-up password prompt, one edit showing "*" for each character.

#include <QDialog>

class QLineEdit;

class TfrmPasswordPrompt : public QDialog {
public:
    explicit TfrmPasswordPrompt(QWidget* parent);
    QString Password() const;

private:
    QLineEdit* FEdit;
};
