#include "dlg_file_info.h"

#include "comma_text.h"
#include "descriptions.h"
#include "dlg_input.h"
#include "format_registry.h"
#include "path_text.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int MemoLimit = 255;

QLabel* AddRow(QFormLayout* form, const QString& caption, const char* name) {
    auto* value = new QLabel;
    value->setObjectName(name);
    value->setTextFormat(Qt::PlainText);
    form->addRow(caption, value);
    return value;
}

} // namespace

void setcommatext(QPlainTextEdit& memo, const QString& commaText) {
    SetMemoLines(memo, FromCommaText(commaText));
}

QString readcommatext(const QPlainTextEdit& memo) {
    return ToCommaText(MemoLines(memo));
}

TFileInfoTexts FileInfoTexts(const QString& file) {
    TFileInfoTexts texts;
    texts.Image = FileNameOf(file);
    texts.Folder = FolderOf(file);
    TPGImageInfo info;
    if (GetImageInfo(QFile::encodeName(file).toStdString(), 0, info)) {
        texts.Type = QString::fromStdString(info.FormatName + ", " + info.SubFormat);
        texts.Options =
            info.Options.empty() ? QStringLiteral("None") : QString::fromStdString(info.Options);
        texts.Dimensions = QStringLiteral("%1 (w) x %2 (h)").arg(info.Width).arg(info.Height);
        texts.Colors = QStringLiteral("%1 (%2 bits/pixel)")
                           .arg(QString::fromStdString(info.Colors))
                           .arg(info.BitCount);
        texts.Images = QString::number(info.ImageCount);
    }
    const QFileInfo facts(file);
    if (facts.exists()) {
        texts.Size = bytestostr(facts.size(), false);
        const QDateTime modified = facts.lastModified();
        if (modified.isValid())
            texts.Date = QLocale::system().toString(modified, QLocale::ShortFormat);
    }
    return texts;
}

TdlgFileInfo::TdlgFileInfo(const QString& file, TDescriptionStore& store, bool& focusDescription,
                           QWidget* parent)
    : QDialog(parent), FFile(file), FStore(store), FFocusDescription(focusDescription) {
    setWindowTitle("Image Information");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    lblImage = AddRow(form, "Image:", "lblImage");
    lblLocation = AddRow(form, "Location: ", "lblLocation");
    // The shortened path must not widen the window it is fitted to.
    lblLocation->setMinimumWidth(1);
    lblLocation->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblType = AddRow(form, "Type:", "lblType");
    lblOptions = AddRow(form, "Options:", "lblOptions");
    lblDimensions = AddRow(form, "Dimensions:", "lblDimensions");
    lblColors = AddRow(form, "No. of Colors:", "lblColors");
    lblImages = AddRow(form, "No. of Images:", "lblImages");
    lblSize = AddRow(form, "File Size:", "lblSize");
    lblDate = AddRow(form, "File Date:", "lblDate");
    txtDescription = new QPlainTextEdit;
    txtDescription->setObjectName("txtDescription");
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDescription->setTabChangesFocus(true);
    form->addRow("Description:", txtDescription);
    chkdescrchanged = new QCheckBox(this);
    chkdescrchanged->setObjectName("chkdescrchanged");
    chkdescrchanged->hide();
    connect(txtDescription, &QPlainTextEdit::textChanged, this,
            [this] { chkdescrchanged->setChecked(true); });
    auto* buttons = new QDialogButtonBox;
    btnok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    btncancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    btnhelp = buttons->addButton("Help", QDialogButtonBox::HelpRole);
    btnhelp->setEnabled(false); // no help file is installed
    btnok->setDefault(true);
    connect(btnok, &QPushButton::clicked, this, &TdlgFileInfo::btnokClick);
    connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(380, sizeHint().height());
}

void TdlgFileInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FShown) return;
    FShown = true;
    FormShow();
}

void TdlgFileInfo::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FitLocation();
}

void TdlgFileInfo::FormShow() {
    const TFileInfoTexts texts = FileInfoTexts(FFile);
    lblImage->setText(texts.Image);
    FFolder = texts.Folder;
    lblLocation->setToolTip(FFolder);
    FitLocation();
    lblType->setText(texts.Type);
    lblOptions->setText(texts.Options);
    lblDimensions->setText(texts.Dimensions);
    lblColors->setText(texts.Colors);
    lblImages->setText(texts.Images);
    lblSize->setText(texts.Size);
    lblDate->setText(texts.Date);
    const QString description = FStore.ReadDescription(FFile);
    setcommatext(*txtDescription, description);
    // A stored text longer than the memo takes is shown whole, and may only shrink.
    LimitMemo(*txtDescription,
              std::max<int>(MemoLimit, static_cast<int>(txtDescription->toPlainText().size())));
    chkdescrchanged->setChecked(false);
    if (FFocusDescription)
        txtDescription->setFocus();
    else
        btnok->setFocus();
    FFocusDescription = false;
}

void TdlgFileInfo::FitLocation() {
    lblLocation->setText(MinimizePathName(*lblLocation, FFolder, 0));
}

void TdlgFileInfo::btnokClick() {
    if (chkdescrchanged->isChecked()) {
        FFocusDescription = true;
        FStore.assigninidescription(FFile, readcommatext(*txtDescription));
    }
    accept();
}
