#include "qt_prompter.h"

#include "dlg_input.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>

#include <utility>

namespace {

QMessageBox::Icon Icon(TPromptKind kind) {
    switch (kind) {
    case TPromptKind::Information:
        return QMessageBox::Information;
    case TPromptKind::Warning:
        return QMessageBox::Warning;
    case TPromptKind::Error:
        return QMessageBox::Critical;
    case TPromptKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole Role(TPromptAnswer answer) {
    switch (answer) {
    case TPromptAnswer::OK:
        return QMessageBox::AcceptRole;
    case TPromptAnswer::Cancel:
        return QMessageBox::RejectRole;
    case TPromptAnswer::Yes:
    case TPromptAnswer::All:
        return QMessageBox::YesRole;
    case TPromptAnswer::No:
        return QMessageBox::NoRole;
    }
    return QMessageBox::InvalidRole;
}

} // namespace

TPromptAnswer TQtPrompter::Present(const TPrompt& prompt) {
    QMessageBox box(Icon(prompt.Kind), prompt.Caption, prompt.Text, QMessageBox::NoButton,
                    FParentWindow);
    box.setTextFormat(Qt::PlainText);
    std::vector<std::pair<QAbstractButton*, TPromptAnswer>> buttons;
    const TPromptAnswer escape = EscapeAnswer(prompt);
    for (TPromptAnswer answer : prompt.Buttons) {
        QPushButton* button = box.addButton(AnswerText(answer), Role(answer));
        buttons.emplace_back(button, answer);
        if (answer == prompt.Default) box.setDefaultButton(button);
        if (answer == escape) box.setEscapeButton(button);
    }
    box.exec();
    for (const auto& [button, answer] : buttons)
        if (button == box.clickedButton()) return answer;
    return escape;
}

bool TQtPrompter::PresentHint(const THint& hint) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), QString(),
                    QMessageBox::NoButton, FParentWindow);
    box.setTextFormat(Qt::RichText);
    box.setText("<p><b>" + hint.Heading.toHtmlEscaped() + "</b></p>" +
                Qt::convertFromPlainText(hint.Text, Qt::WhiteSpaceNormal));
    QPushButton* close = box.addButton(QStringLiteral("Close"), QMessageBox::AcceptRole);
    box.setDefaultButton(close);
    box.setEscapeButton(close);
    QCheckBox* remind = nullptr;
    if (hint.OfferRemind) {
        remind = new QCheckBox(QStringLiteral("Always remind me about this matter")); // box owns it
        remind->setChecked(true);
        box.setCheckBox(remind);
    }
    box.exec();
    return !remind || remind->isChecked();
}

TTextAnswer TQtPrompter::PresentText(const TTextQuestion& question) {
    TdlgInput dialog(question, FParentWindow);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    TTextAnswer answer = dialog.Current();
    if (!accepted) answer.Text = question.Fallback;
    return answer;
}

std::optional<QString> TQtPrompter::PresentFile(const TFileQuestion& question) {
    const QString file = QFileDialog::getOpenFileName(FParentWindow, question.Caption,
                                                      question.Folder, question.Filter);
    if (file.isEmpty()) return std::nullopt;
    return file;
}
