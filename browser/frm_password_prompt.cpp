#include "frm_password_prompt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TfrmPasswordPrompt::TfrmPasswordPrompt(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Password Dialog");
    setObjectName("dlgPassword");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Please enter your password:", this));
    FEdit = new QLineEdit(this);
    FEdit->setEchoMode(QLineEdit::Password);
    layout->addWidget(FEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString TfrmPasswordPrompt::Password() const {
    return FEdit->text();
}
