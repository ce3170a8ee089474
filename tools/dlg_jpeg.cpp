#include "dlg_jpeg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int lowest = 1, highest = 100;

int onTrack(int value) {
    return std::clamp(value, lowest, highest);
}

} // namespace

TJPEGQualityModel::TJPEGQualityModel(int position)
    : FPosition(onTrack(position)), FText(QString::number(FPosition)) {}

void TJPEGQualityModel::TrackMoved(int position) {
    FPosition = onTrack(position);
    FText = QString::number(FPosition);
}

void TJPEGQualityModel::TextChanged(const QString& text) {
    FText = text;
    bool number = false;
    const int value = text.toInt(&number);
    FPosition = number ? onTrack(value) : NotANumber;
}

void TJPEGQualityModel::EnterPressed() {
    TextChanged(FText);
    FText = QString::number(FPosition);
}

TdlgJPEG::TdlgJPEG(const TJPEGQuestion& question, QWidget* parent, const THelpTopic& help)
    : QDialog(parent), FModel(question.Position), FOfferDefault(question.OfferDefault) {
    setWindowTitle(QStringLiteral("JPEG Compression Setting"));
    PromptLabel = new QLabel(
        question.Prompt.isEmpty()
            ? QStringLiteral("What compression setting would you like to use for this image?")
            : question.Prompt,
        this);
    PromptLabel->setWordWrap(true);
    QualityEdit = new QLineEdit(this);
    QualityEdit->setMaxLength(3);
    QualityTrack = new QSlider(Qt::Horizontal, this);
    QualityTrack->setRange(lowest, highest);
    QualityTrack->setTickInterval(1);
    QualityTrack->setTickPosition(QSlider::TicksBelow);
    Chksetasdefault = new QCheckBox(
        QStringLiteral("Do not prompt me.  Always use this setting when saving JPEGs"), this);
    Chksetasdefault->setVisible(FOfferDefault);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    btnHelp = AddHelpButton(*buttons, 603, help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PromptLabel);
    auto* row = new QHBoxLayout;
    row->addWidget(QualityEdit);
    row->addWidget(QualityTrack, 1);
    layout->addLayout(row);
    layout->addWidget(Chksetasdefault);
    layout->addWidget(buttons);
    showModel();

    connect(QualityTrack, &QSlider::valueChanged, this, [this](int position) {
        FModel.TrackMoved(position);
        showModel();
    });
    connect(QualityEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        FModel.TextChanged(text);
        showModel();
    });
    QualityEdit->installEventFilter(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

bool TdlgJPEG::eventFilter(QObject* watched, QEvent* event) {
    if (watched != QualityEdit || event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    // Enter belongs to the box: it must not press OK as well.
    FModel.EnterPressed();
    showModel();
    return true;
}

void TdlgJPEG::showModel() {
    const QSignalBlocker trackBlocker(QualityTrack);
    QualityTrack->setValue(FModel.Position());
    if (QualityEdit->text() != FModel.Text()) QualityEdit->setText(FModel.Text());
}

TJPEGChoice TdlgJPEG::Choice() const {
    return {FModel.Position(), FOfferDefault && Chksetasdefault->isChecked()};
}

TJPEGChoice RunJPEGDialog(const TJPEGQuestion& question, QWidget* parent, const THelpTopic& help) {
    TdlgJPEG dialog(question, parent, help);
    dialog.exec();
    return dialog.Choice();
}
