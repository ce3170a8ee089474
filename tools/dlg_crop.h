#pragma once
// The crop dialog: the edit image with a selection that can be moved, resized or drawn anew,
// the four margins it leaves, and the picture outside it shaded. The same dialog picks the area
// of a red-eye removal, without shading.

#include "edit_image.h"
#include "pg_image_types.h"

#include <QDialog>
#include <QRegion>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTimer;
class TPGImage;

struct TCropMargins {
    int Top = 0, Left = 0, Right = 0, Bottom = 0;
    bool operator==(const TCropMargins&) const = default;
};

// The ratios the selection can be held to; each but Free can also be turned upright.
enum class TCropAspect { Free, Picture, Square, FourThree, ThreeTwo, SixteenNine };

// Which sides of the selection stay while it is drawn or resized under an aspect lock, and
// which of its sizes decides the other: with both, the larger one, so that the selection covers
// the pointer in both directions.
struct TAspectDrag {
    bool WidthDrives = true, HeightDrives = false;
    bool AnchorLeft = true, AnchorTop = true;
};

// What a drag in the given state keeps; nothing for drags that do not change the size. A new
// selection keeps the corner at the press point (anchorX, anchorY), in image pixels.
std::optional<TAspectDrag> AspectDragOf(TDragState state, const TPGSelection& selection,
                                        int anchorX, int anchorY);

// The margins and the selection of a W x H picture, without widgets. Margins and their maxima
// are never negative, and what is left of the picture is at least 1 x 1.
class TCropModel {
public:
    TCropModel(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    const TCropMargins& Margins() const { return FMargins; }
    int MaxTopBottom() const; // a typed top or bottom margin
    int MaxLeftRight() const;

    // A typed margin keeps at least 5 pixels between itself and the opposite one (fewer only
    // when the picture has fewer), then the aspect lock.
    void SetTop(int value);
    void SetBottom(int value);
    void SetLeft(int value);
    void SetRight(int value);
    void SetMargins(const TCropMargins& margins) { FMargins = margins; }

    TPGSelection Selection() const;
    // The margins a selection leaves; an empty selection leaves them as they were.
    void TakeSelection(const TPGRect& selection);

    void SetAspect(TCropAspect aspect, bool upright);
    bool AspectLocked() const { return FRatioW > 0; }
    // The selection held to the aspect inside the picture, keeping what the drag keeps.
    TPGSelection Locked(TPGSelection selection, const TAspectDrag& drag) const;

private:
    void lockTyped(const TAspectDrag& drag);

    int FWidth, FHeight;
    TCropMargins FMargins;
    int FRatioW = 0, FRatioH = 0; // 0: free
};

// The part of a picture box that the shading paints around a selection shown at box
// rectangle selection: everything outside it except the pixels of the selection's frame and
// handles, which are drawn over the picture. Painting it in the shade colour looks the same as
// showing a copy of the picture shaded outside the selection.
QRegion CropShadeRegion(const QSize& box, const TPGRect& selection, bool withHandles);
inline const QColor CropShadeColor{192, 192, 192};

// "Show image full size", remembered for the program run.
bool& CropShowFullSize();

enum class TCropPurpose { Crop, RedEye };

class Tdlgcrop : public TEditDialog {
public:
    Tdlgcrop(const TEditCall& call, TCropPurpose purpose);
    ~Tdlgcrop() override;

    const TCropModel& Model() const { return FModel; }
    TPGRect SelectionRect() const;
    void accept() override;

    TPGImage* PGImage1;
    QLabel* lblHint;
    QSpinBox* SpnCroptop;
    QSpinBox* SpnCropleft;
    QSpinBox* SpnCropright;
    QSpinBox* SpnCropbottom;
    QCheckBox* chkshowfullsize;
    QComboBox* cbxAspect;
    QCheckBox* chkUpright;
    QTimer* tmrShade; // one shot, 4 ms after a selection change

protected:
    // Cropping: the rectangle the margins leave; the red-eye picker changes nothing.
    std::optional<TEditOperation> Operation() override;

private:
    void buildViewer(const TPixelGraphic& editImage);
    void buildMargins();
    void buildAspect();
    void marginChanged(void (TCropModel::*set)(int), int value);
    void selectionChanged();
    void pressed(int x, int y);
    void released();
    void showMargins();
    void showSelection();
    void showFullSize(bool on);
    void paintShading(class QPainter& painter);

    TCropModel FModel;
    bool FShading;
    bool FWritingSelection = false;
    bool FCreating = false;
    TCropMargins FBeforeChange, FPressMargins;
    int FAnchorX = 0, FAnchorY = 0;
};

// What the margins leave of source; nothing when they leave no pixel. Raises the library's error
// when the copy cannot be made.
std::unique_ptr<TPixelGraphic> CroppedCopy(const TPixelGraphic& source, const TCropMargins& margins,
                                           const TPGProgressEvent& progress = {});

// Opens the crop dialog; OK crops the edit image as a job. Answers whether the image changed; a
// failure is told through the prompter.
bool RunCropDialog(const TEditCall& call);
// Opens the dialog as the red-eye picker; the area chosen, nothing after Cancel.
std::optional<TPGRect> PickRedEyeArea(const TEditCall& call);
