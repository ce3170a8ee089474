#pragma once
// The input window of the Qt prompter, and the memo helpers the description windows share.

#include "prompter.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

// The lines of a memo: an empty memo has none (a QPlainTextEdit still holds one block).
QStringList MemoLines(const QPlainTextEdit& memo);
void SetMemoLines(QPlainTextEdit& memo, const QStringList& lines);
// Keeps the memo's text within the given number of characters as the user types or pastes.
void LimitMemo(QPlainTextEdit& memo, int maxCharacters);

class TdlgInput : public QDialog {
public:
    explicit TdlgInput(const TTextQuestion& question, QWidget* parent = nullptr);

    // The text shown now (comma text for the memo) and the check box's state.
    TTextAnswer Current() const;

private:
    QLineEdit* FEdit = nullptr;
    QPlainTextEdit* FMemo = nullptr;
    QCheckBox* FCheck = nullptr;
};
