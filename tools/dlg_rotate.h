#pragma once
// The rotate and flip dialog, and the rotation that also serves the quick rotate buttons.

#include "edit_image.h"

#include <QAbstractSpinBox>

#include <optional>

class QLabel;
class QRadioButton;

// The angle in the box: a whole number of degrees in -359..359, nothing otherwise.
std::optional<int> RotateAngleOf(const QString& text);
// The box after steps of its up and down arrows: 90 degrees each, held within -359..359. A box
// without an angle does not step.
std::optional<int> SteppedRotateAngle(const QString& text, int steps);

// source rotated clockwise about its centre into the bounding box of the rotated picture; a
// negative angle has 360 added. Quarter turns are exact.
std::unique_ptr<TPixelGraphic> RotatedCopy(const TPixelGraphic& source, int angle,
                                           const TPGProgressEvent& progress = {});

// Starts rotating the edit image by angle as the job; answers whether it started. The edit image
// is replaced when the job is done.
bool dorotate(TEditJob& job, int angle);

enum class TTransformChoice { Rotate, FlipHorizontal, FlipVertical };

// The work of a choice; nothing for a rotation without an angle.
std::optional<TEditOperation> TransformOperation(TTransformChoice choice, std::optional<int> angle);

// The angle box: free text of up to 4 characters, stepped by its arrows.
class TRotateSpin : public QAbstractSpinBox {
public:
    explicit TRotateSpin(QWidget* parent = nullptr);
    void SetText(const QString& text);
    void stepBy(int steps) override;
    std::function<void()> OnChange;

protected:
    StepEnabled stepEnabled() const override;
};

class Tdlgrotate : public TEditDialog {
public:
    explicit Tdlgrotate(const TEditCall& call);

    TTransformChoice Choice() const;
    std::optional<int> Angle() const;

    QRadioButton* rdbrotate;
    TRotateSpin* edtrotate;
    QRadioButton* rdbFlipHorz;
    QRadioButton* rdbFlipVert;
    QLabel* lbldegrees; // "degrees clockwise"

protected:
    std::optional<TEditOperation> Operation() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateOK();
};

// Opens the dialog; OK transforms the edit image as a job. Answers whether the image changed; a
// failure is told through the prompter.
bool RunRotateDialog(const TEditCall& call);
