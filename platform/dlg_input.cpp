#include "dlg_input.h"

#include "comma_text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int MemoLimit = 255;

} // namespace

QStringList MemoLines(const QPlainTextEdit& memo) {
    const QString text = memo.toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void SetMemoLines(QPlainTextEdit& memo, const QStringList& lines) {
    memo.setPlainText(lines.join(u'\n'));
}

void LimitMemo(QPlainTextEdit& memo, int maxCharacters) {
    QObject::connect(&memo, &QPlainTextEdit::textChanged, &memo, [&memo, maxCharacters] {
        const QString text = memo.toPlainText();
        if (text.size() <= maxCharacters) return;
        memo.setPlainText(text.left(maxCharacters));
        memo.moveCursor(QTextCursor::End);
    });
}

TdlgInput::TdlgInput(const TTextQuestion& question, QWidget* parent) : QDialog(parent) {
    setWindowTitle(question.Caption);
    auto* layout = new QVBoxLayout(this);
    auto* message = new QLabel(question.Message);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    layout->addWidget(message);
    if (question.Limit == -1) {
        FMemo = new QPlainTextEdit;
        LimitMemo(*FMemo, MemoLimit);
        SetMemoLines(*FMemo, FromCommaText(question.Initial));
        FMemo->selectAll();
        layout->addWidget(FMemo);
    } else {
        FEdit = new QLineEdit(question.Initial);
        if (question.Limit > 0) FEdit->setMaxLength(question.Limit);
        FEdit->selectAll();
        layout->addWidget(FEdit);
    }
    if (!question.CheckCaption.isEmpty()) {
        FCheck = new QCheckBox(question.CheckCaption);
        FCheck->setChecked(question.Checked);
        layout->addWidget(FCheck);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

TTextAnswer TdlgInput::Current() const {
    const QString text = FMemo ? ToCommaText(MemoLines(*FMemo)) : FEdit->text();
    return {text, FCheck && FCheck->isChecked()};
}
