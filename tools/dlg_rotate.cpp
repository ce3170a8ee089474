#include "dlg_rotate.h"

#include "prompter.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <exception>

std::optional<int> RotateAngleOf(const QString& text) {
    bool number = false;
    const int angle = text.trimmed().toInt(&number);
    if (!number || angle < -359 || angle > 359) return std::nullopt;
    return angle;
}

bool dorotate(TPixelGraphic& editImage, int angle, const TProgressGauge& gauge) {
    if (angle < 0) angle += 360;
    TPixelGraphic rotated;
    rotated.Assign(&editImage);
    rotated.SetRotateInterpolate(false);
    {
        const TGaugeScope progress(rotated, gauge);
        rotated.Rotate(true, editImage, angle);
    }
    editImage.Assign(&rotated);
    return true;
}

bool ApplyTransform(TPixelGraphic& editImage, TTransformChoice choice, std::optional<int> angle,
                    const TProgressGauge& gauge) {
    switch (choice) {
    case TTransformChoice::Rotate:
        return angle && dorotate(editImage, *angle, gauge);
    case TTransformChoice::FlipHorizontal: {
        const TGaugeScope progress(editImage, gauge);
        editImage.FlipHorizontal();
        return true;
    }
    case TTransformChoice::FlipVertical: {
        const TGaugeScope progress(editImage, gauge);
        editImage.FlipVertical();
        return true;
    }
    }
    return false;
}

Tdlgrotate::Tdlgrotate(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Transform Image"));
    rdbrotate = new QRadioButton(QStringLiteral("Rotate it"), this);
    rdbrotate->setChecked(true);
    edtrotate = new QLineEdit(QStringLiteral("90"), this);
    edtrotate->setMaxLength(4);
    lbldegrees = new QPushButton(QStringLiteral("degrees clockwise"), this);
    lbldegrees->setFlat(true);
    lbldegrees->setAutoDefault(false);
    rdbFlipHorz = new QRadioButton(QStringLiteral("Flip it horizontally"), this);
    rdbFlipVert = new QRadioButton(QStringLiteral("Flip it vertically"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnOK = buttons->button(QDialogButtonBox::Ok);

    auto* grid = new QGridLayout;
    grid->addWidget(rdbrotate, 0, 0);
    grid->addWidget(edtrotate, 0, 1);
    grid->addWidget(lbldegrees, 0, 2);
    grid->addWidget(rdbFlipHorz, 1, 0, 1, 3);
    grid->addWidget(rdbFlipVert, 2, 0, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(lbldegrees, &QPushButton::clicked, this, [this] { rdbrotate->setChecked(true); });
    connect(edtrotate, &QLineEdit::textChanged, this, [this] { updateOK(); });
    connect(rdbrotate, &QRadioButton::toggled, this, [this] { updateOK(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TTransformChoice Tdlgrotate::Choice() const {
    if (rdbFlipHorz->isChecked()) return TTransformChoice::FlipHorizontal;
    if (rdbFlipVert->isChecked()) return TTransformChoice::FlipVertical;
    return TTransformChoice::Rotate;
}

std::optional<int> Tdlgrotate::Angle() const {
    return RotateAngleOf(edtrotate->text());
}

void Tdlgrotate::updateOK() {
    // A rotation needs an angle; a flip needs none.
    btnOK->setEnabled(Choice() != TTransformChoice::Rotate || Angle().has_value());
}

bool RunRotateDialog(TPixelGraphic& editImage, TPrompter& prompter, const TProgressGauge& gauge,
                     QWidget* parent) {
    Tdlgrotate dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    try {
        return ApplyTransform(editImage, dialog.Choice(), dialog.Angle(), gauge);
    } catch (const std::exception& e) {
        prompter.Message(TPromptKind::Error, QString::fromStdString(e.what()));
        return false;
    }
}
