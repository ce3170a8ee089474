#include "companion_windows.h"

#include "frm_getting_started.h"
#include "frm_password_prompt.h"
#include "frm_tips.h"

QString TQtCompanionWindows::AskPassword(QWidget* parent) {
    TfrmPasswordPrompt prompt(parent);
    return prompt.exec() == QDialog::Accepted ? prompt.Password() : QString();
}

bool TQtCompanionWindows::ShowGettingStarted(QWidget* parent, bool showAtStart) {
    TfrmGettingStarted window(parent, showAtStart);
    window.exec();
    return window.ShowAtStart();
}

bool TQtCompanionWindows::ShowTipOfTheDay(QWidget* parent, const TTipsFile& tips,
                                          TTipCursor& cursor, bool showAtStart) {
    TfrmTips window(parent, tips, cursor, showAtStart);
    window.exec();
    return window.ShowAtStart();
}
