#include "dlg_rotate.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int lowestAngle = -359, highestAngle = 359, angleStep = 90;

std::unique_ptr<TPixelGraphic> flippedCopy(const TPixelGraphic& source, bool horizontal,
                                           const TPGProgressEvent& progress) {
    std::unique_ptr<TPixelGraphic> flipped = NewImageLike(source, 1, 1);
    flipped->Assign(&source);
    flipped->OnProgress = progress;
    horizontal ? flipped->FlipHorizontal() : flipped->FlipVertical();
    flipped->OnProgress = nullptr;
    return flipped;
}

} // namespace

std::optional<int> RotateAngleOf(const QString& text) {
    bool number = false;
    const int angle = text.trimmed().toInt(&number);
    if (!number || angle < lowestAngle || angle > highestAngle) return std::nullopt;
    return angle;
}

std::optional<int> SteppedRotateAngle(const QString& text, int steps) {
    const std::optional<int> angle = RotateAngleOf(text);
    if (!angle) return std::nullopt;
    return static_cast<int>(
        std::clamp<int64_t>(*angle + int64_t(steps) * angleStep, lowestAngle, highestAngle));
}

std::unique_ptr<TPixelGraphic> RotatedCopy(const TPixelGraphic& source, int angle,
                                           const TPGProgressEvent& progress) {
    if (angle < 0) angle += 360;
    std::unique_ptr<TPixelGraphic> rotated = NewImageLike(source, 1, 1);
    rotated->SetRotateInterpolate(false);
    rotated->OnProgress = progress;
    rotated->Rotate(true, source, angle);
    rotated->OnProgress = nullptr;
    return rotated;
}

bool dorotate(TEditJob& job, int angle) {
    return job.Start([angle](const TPixelGraphic& source, const TPGProgressEvent& progress) {
        return RotatedCopy(source, angle, progress);
    });
}

std::optional<TEditOperation> TransformOperation(TTransformChoice choice,
                                                 std::optional<int> angle) {
    switch (choice) {
    case TTransformChoice::Rotate:
        if (!angle) return std::nullopt;
        return [angle = *angle](const TPixelGraphic& source, const TPGProgressEvent& progress) {
            return RotatedCopy(source, angle, progress);
        };
    case TTransformChoice::FlipHorizontal:
    case TTransformChoice::FlipVertical:
        return [horizontal = choice == TTransformChoice::FlipHorizontal](
                   const TPixelGraphic& source, const TPGProgressEvent& progress) {
            return flippedCopy(source, horizontal, progress);
        };
    }
    return std::nullopt;
}

TRotateSpin::TRotateSpin(QWidget* parent) : QAbstractSpinBox(parent) {
    lineEdit()->setMaxLength(4);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        update(); // the arrows follow the angle
        if (OnChange) OnChange();
    });
}

void TRotateSpin::SetText(const QString& text) {
    lineEdit()->setText(text);
}

void TRotateSpin::stepBy(int steps) {
    if (const std::optional<int> angle = SteppedRotateAngle(text(), steps))
        SetText(QString::number(*angle));
}

QAbstractSpinBox::StepEnabled TRotateSpin::stepEnabled() const {
    const std::optional<int> angle = RotateAngleOf(text());
    StepEnabled enabled = StepNone;
    if (angle && *angle < highestAngle) enabled |= StepUpEnabled;
    if (angle && *angle > lowestAngle) enabled |= StepDownEnabled;
    return enabled;
}

Tdlgrotate::Tdlgrotate(const TEditCall& call) : TEditDialog(call, 605) {
    setWindowTitle(QStringLiteral("Transform Image"));
    rdbrotate = new QRadioButton(QStringLiteral("Rotate it"), this);
    rdbrotate->setChecked(true);
    edtrotate = new TRotateSpin(this);
    edtrotate->SetText(QStringLiteral("90"));
    lbldegrees = new QLabel(QStringLiteral("degrees clockwise"), this);
    lbldegrees->installEventFilter(this);
    rdbFlipHorz = new QRadioButton(QStringLiteral("Flip it horizontally"), this);
    rdbFlipVert = new QRadioButton(QStringLiteral("Flip it vertically"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(rdbrotate, 0, 0);
    grid->addWidget(edtrotate, 0, 1);
    grid->addWidget(lbldegrees, 0, 2);
    grid->addWidget(rdbFlipHorz, 1, 0, 1, 3);
    grid->addWidget(rdbFlipVert, 2, 0, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Buttons);

    edtrotate->OnChange = [this] { updateOK(); };
    connect(rdbrotate, &QRadioButton::toggled, this, [this] { updateOK(); });
}

bool Tdlgrotate::eventFilter(QObject* watched, QEvent* event) {
    if (watched != lbldegrees || event->type() != QEvent::MouseButtonRelease) return false;
    // The label belongs to "Rotate it": a click chooses it (one of the three is always chosen,
    // so it is never turned off) and puts the angle up for typing.
    rdbrotate->setChecked(true);
    edtrotate->setFocus();
    edtrotate->selectAll();
    return true;
}

TTransformChoice Tdlgrotate::Choice() const {
    if (rdbFlipHorz->isChecked()) return TTransformChoice::FlipHorizontal;
    if (rdbFlipVert->isChecked()) return TTransformChoice::FlipVertical;
    return TTransformChoice::Rotate;
}

std::optional<int> Tdlgrotate::Angle() const {
    return RotateAngleOf(edtrotate->text());
}

std::optional<TEditOperation> Tdlgrotate::Operation() {
    return TransformOperation(Choice(), Angle());
}

void Tdlgrotate::updateOK() {
    // A rotation needs an angle; a flip needs none.
    btnOK->setEnabled(Choice() != TTransformChoice::Rotate || Angle().has_value());
}

bool RunRotateDialog(const TEditCall& call) {
    Tdlgrotate dialog(call);
    dialog.exec();
    return dialog.Changed();
}
