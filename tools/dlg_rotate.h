#pragma once
// The rotate and flip dialog, and the rotation that also serves the quick rotate buttons.

#include "edit_image.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;
class QRadioButton;
class TPrompter;

// The angle in the box: a whole number of degrees in -359..359, nothing otherwise.
std::optional<int> RotateAngleOf(const QString& text);

// Rotates the edit image clockwise about its centre into the bounding box of the rotated
// picture; a negative angle has 360 added. Quarter turns are exact. The image is replaced only
// when the rotation is complete, so a failure leaves it as it was and raises.
bool dorotate(TPixelGraphic& editImage, int angle, const TProgressGauge& gauge = {});

enum class TTransformChoice { Rotate, FlipHorizontal, FlipVertical };

// The choice carried out on the edit image; answers whether it was (the angle is needed for a
// rotation only).
bool ApplyTransform(TPixelGraphic& editImage, TTransformChoice choice, std::optional<int> angle,
                    const TProgressGauge& gauge);

class Tdlgrotate : public QDialog {
public:
    explicit Tdlgrotate(QWidget* parent = nullptr);

    TTransformChoice Choice() const;
    std::optional<int> Angle() const;

    QRadioButton* rdbrotate;
    QLineEdit* edtrotate;
    QRadioButton* rdbFlipHorz;
    QRadioButton* rdbFlipVert;
    QPushButton* lbldegrees; // "degrees clockwise": a click chooses "Rotate it"
    QPushButton* btnOK;

private:
    void updateOK();
};

// Opens the dialog; on OK transforms the edit image. Answers whether the image changed; a
// failure is told through the prompter.
bool RunRotateDialog(TPixelGraphic& editImage, TPrompter& prompter, const TProgressGauge& gauge,
                     QWidget* parent);
