#include "dlg_crop.h"

#include "pg_image.h"
#include "pg_image_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int gap = 5; // pixels kept between opposite typed margins

int64_t roundedRatio(int64_t value, int64_t numerator, int64_t denominator) {
    return std::max<int64_t>(1, (value * numerator + denominator / 2) / denominator);
}

// Pixels of a frame drawn as the 1-pixel outline of r.
QRegion outline(const QRect& r) {
    return QRegion(r) - QRegion(r.adjusted(1, 1, -1, -1));
}

QRect toQRect(const TPGRect& r) {
    return {r.Left, r.Top, r.Width(), r.Height()};
}

} // namespace

std::optional<TAspectDrag> AspectDragOf(TDragState state, const TPGSelection& s, int anchorX,
                                        int anchorY) {
    switch (state) {
    case dsResizeLeft:
        return TAspectDrag{true, false, false, true};
    case dsResizeRight:
        return TAspectDrag{true, false, true, true};
    case dsResizeTop:
        return TAspectDrag{false, true, true, false};
    case dsResizeBottom:
        return TAspectDrag{false, true, true, true};
    case dsResizeTopLeft:
        return TAspectDrag{true, true, false, false};
    case dsResizeTopRight:
        return TAspectDrag{true, true, true, false};
    case dsResizeBottomLeft:
        return TAspectDrag{true, true, false, true};
    case dsResizeBottomRight:
        return TAspectDrag{true, true, true, true};
    case dsCreateSelection:
        return TAspectDrag{true, true, s.Left == anchorX, s.Top == anchorY};
    default:
        return std::nullopt;
    }
}

TCropModel::TCropModel(int width, int height)
    : FWidth(std::max(width, 1)),
      FHeight(std::max(height, 1)), FMargins{FHeight / 10, FWidth / 10, FWidth / 10, FHeight / 10} {
}

int TCropModel::MaxTopBottom() const {
    return std::max(0, FHeight - gap);
}

int TCropModel::MaxLeftRight() const {
    return std::max(0, FWidth - gap);
}

void TCropModel::SetTop(int value) {
    FMargins.Top = std::clamp(value, 0, MaxTopBottom());
    FMargins.Bottom = std::clamp(FMargins.Bottom, 0, std::max(0, FHeight - FMargins.Top - gap));
    lockTyped({false, true, true, false});
}

void TCropModel::SetBottom(int value) {
    FMargins.Bottom = std::clamp(value, 0, MaxTopBottom());
    FMargins.Top = std::clamp(FMargins.Top, 0, std::max(0, FHeight - FMargins.Bottom - gap));
    lockTyped({false, true, true, true});
}

void TCropModel::SetLeft(int value) {
    FMargins.Left = std::clamp(value, 0, MaxLeftRight());
    FMargins.Right = std::clamp(FMargins.Right, 0, std::max(0, FWidth - FMargins.Left - gap));
    lockTyped({true, false, false, true});
}

void TCropModel::SetRight(int value) {
    FMargins.Right = std::clamp(value, 0, MaxLeftRight());
    FMargins.Left = std::clamp(FMargins.Left, 0, std::max(0, FWidth - FMargins.Right - gap));
    lockTyped({true, false, true, true});
}

TPGSelection TCropModel::Selection() const {
    return {FMargins.Left, FMargins.Top, std::max(1, FWidth - FMargins.Right - FMargins.Left),
            std::max(1, FHeight - FMargins.Bottom - FMargins.Top)};
}

void TCropModel::TakeSelection(const TPGRect& r) {
    const int left = std::clamp(r.Left, 0, FWidth), right = std::clamp(r.Right, 0, FWidth);
    const int top = std::clamp(r.Top, 0, FHeight), bottom = std::clamp(r.Bottom, 0, FHeight);
    if (right <= left || bottom <= top) return;
    FMargins = {top, left, FWidth - right, FHeight - bottom};
}

void TCropModel::SetAspect(TCropAspect aspect, bool upright) {
    struct TRatio {
        int W, H;
    };
    TRatio ratio{0, 0};
    switch (aspect) {
    case TCropAspect::Free:
        break;
    case TCropAspect::Picture:
        ratio = {FWidth, FHeight};
        break;
    case TCropAspect::Square:
        ratio = {1, 1};
        break;
    case TCropAspect::FourThree:
        ratio = {4, 3};
        break;
    case TCropAspect::ThreeTwo:
        ratio = {3, 2};
        break;
    case TCropAspect::SixteenNine:
        ratio = {16, 9};
        break;
    }
    if (upright) std::swap(ratio.W, ratio.H);
    FRatioW = ratio.W, FRatioH = ratio.H;
    lockTyped({true, false, true, true});
}

TPGSelection TCropModel::Locked(TPGSelection s, const TAspectDrag& drag) const {
    if (!AspectLocked()) return s;
    const int64_t right = s.Left + int64_t(s.Width), bottom = s.Top + int64_t(s.Height);
    const int64_t roomW = std::max<int64_t>(1, drag.AnchorLeft ? FWidth - s.Left : right);
    const int64_t roomH = std::max<int64_t>(1, drag.AnchorTop ? FHeight - s.Top : bottom);
    int64_t w = std::clamp<int64_t>(s.Width, 1, roomW), h = std::clamp<int64_t>(s.Height, 1, roomH);
    const bool widthDrives = drag.WidthDrives && (!drag.HeightDrives || w * FRatioH >= h * FRatioW);
    if (widthDrives) {
        h = roundedRatio(w, FRatioH, FRatioW);
        if (h > roomH) h = roomH, w = std::min(roomW, roundedRatio(h, FRatioW, FRatioH));
    } else {
        w = roundedRatio(h, FRatioW, FRatioH);
        if (w > roomW) w = roomW, h = std::min(roomH, roundedRatio(w, FRatioH, FRatioW));
    }
    s.Left = static_cast<int>(drag.AnchorLeft ? s.Left : right - w);
    s.Top = static_cast<int>(drag.AnchorTop ? s.Top : bottom - h);
    s.Width = static_cast<int>(w), s.Height = static_cast<int>(h);
    return s;
}

void TCropModel::lockTyped(const TAspectDrag& drag) {
    if (!AspectLocked()) return;
    const TPGSelection s = Locked(Selection(), drag);
    TakeSelection({s.Left, s.Top, s.Left + s.Width, s.Top + s.Height});
}

QRegion CropShadeRegion(const QSize& box, const TPGRect& selection, bool withHandles) {
    const QRect inner = toQRect(selection);
    QRegion shaded = QRegion(QRect(QPoint(0, 0), box)) - QRegion(inner);
    shaded -= outline(inner.adjusted(-1, -1, 1, 1));
    if (withHandles)
        for (const TPGRect& handle : PGHandleRects(selection)) shaded -= outline(toQRect(handle));
    return shaded;
}

bool& CropShowFullSize() {
    static bool showFullSize = false;
    return showFullSize;
}

std::unique_ptr<TPixelGraphic> CroppedCopy(const TPixelGraphic& source, const TCropMargins& m,
                                           const TPGProgressEvent& progress) {
    const int w = source.Width() - m.Left - m.Right, h = source.Height() - m.Top - m.Bottom;
    if (source.Empty() || std::min({m.Top, m.Left, m.Right, m.Bottom}) < 0 || w < 1 || h < 1)
        return nullptr;
    std::unique_ptr<TPixelGraphic> cropped = NewImageLike(source, w, h);
    cropped->OnProgress = progress;
    cropped->CopyRect(0, 0, source, m.Top, m.Left, h, w);
    cropped->OnProgress = nullptr;
    return cropped;
}

Tdlgcrop::Tdlgcrop(const TEditCall& call, TCropPurpose purpose)
    : TEditDialog(call, 607), FModel(call.EditImage.Width(), call.EditImage.Height()),
      FShading(purpose == TCropPurpose::Crop) {
    const bool redEye = purpose == TCropPurpose::RedEye;
    setWindowTitle(redEye ? QStringLiteral("Remove Red Eye") : QStringLiteral("Crop Image"));
    lblHint = new QLabel(
        redEye ? QStringLiteral("Drag the selection rectangle tightly over the red eye(s):")
               : QStringLiteral("Drag the selection rectangle over the part of "
                                "the image you want to keep:"),
        this);
    tmrShade = new QTimer(this);
    tmrShade->setSingleShot(true);
    tmrShade->setInterval(4);
    buildViewer(call.EditImage);
    buildMargins();
    buildAspect();
    chkshowfullsize = new QCheckBox(QStringLiteral("Show image full size"), this);
    chkshowfullsize->setChecked(CropShowFullSize());

    auto* margins = new QFormLayout;
    margins->addRow(QStringLiteral("Top:"), SpnCroptop);
    margins->addRow(QStringLiteral("Left:"), SpnCropleft);
    margins->addRow(QStringLiteral("Right:"), SpnCropright);
    margins->addRow(QStringLiteral("Bottom:"), SpnCropbottom);
    margins->addRow(QStringLiteral("Aspect:"), cbxAspect);
    margins->addRow(QString(), chkUpright);
    auto* side = new QVBoxLayout;
    side->addLayout(margins);
    side->addStretch(1);
    side->addWidget(chkshowfullsize);
    auto* body = new QHBoxLayout;
    body->addWidget(PGImage1, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHint);
    layout->addLayout(body, 1);
    layout->addWidget(Buttons);
    resize(640, 480);

    showFullSize(CropShowFullSize());
    showMargins();
    showSelection();
    connect(chkshowfullsize, &QCheckBox::toggled, this, [this](bool on) { showFullSize(on); });
    connect(tmrShade, &QTimer::timeout, this, [this] { PGImage1->PicBox().update(); });
}

Tdlgcrop::~Tdlgcrop() {
    // The viewer's events call back into this dialog: none may run while it is taken down.
    PGImage1->OnSelectionChange = nullptr;
    PGImage1->PicBoxOnPaint = nullptr;
}

void Tdlgcrop::buildViewer(const TPixelGraphic& editImage) {
    PGImage1 = new TPGImage(this);
    PGImage1->SetColor(Qt::black);
    PGImage1->SetCenter(true);
    PGImage1->SetActionMode(amMoveResizeCreateSelection);
    PGImage1->SetPixelGraphic(&editImage);
    PGImage1->SetSelection(true);
    PGImage1->OnSelectionChange = [this](TPGImage&) { selectionChanged(); };
    PGImage1->PicBoxOnMouseDown = [this](TPicBox&, QMouseEvent& e) {
        pressed(e.position().toPoint().x(), e.position().toPoint().y());
    };
    PGImage1->PicBoxOnMouseUp = [this](TPicBox&, QMouseEvent&) { released(); };
    PGImage1->PicBoxOnPaint = [this](TPicBox&, QPainter& painter) { paintShading(painter); };
}

void Tdlgcrop::buildMargins() {
    auto makeBox = [this](void (TCropModel::*set)(int)) {
        auto* box = new QSpinBox(this);
        box->setSingleStep(10);
        connect(box, &QSpinBox::valueChanged, this,
                [this, set](int value) { marginChanged(set, value); });
        return box;
    };
    SpnCroptop = makeBox(&TCropModel::SetTop);
    SpnCropleft = makeBox(&TCropModel::SetLeft);
    SpnCropright = makeBox(&TCropModel::SetRight);
    SpnCropbottom = makeBox(&TCropModel::SetBottom);
}

void Tdlgcrop::buildAspect() {
    cbxAspect = new QComboBox(this);
    cbxAspect->addItem(QStringLiteral("Free"), int(TCropAspect::Free));
    cbxAspect->addItem(QStringLiteral("As the picture"), int(TCropAspect::Picture));
    cbxAspect->addItem(QStringLiteral("1:1"), int(TCropAspect::Square));
    cbxAspect->addItem(QStringLiteral("4:3"), int(TCropAspect::FourThree));
    cbxAspect->addItem(QStringLiteral("3:2"), int(TCropAspect::ThreeTwo));
    cbxAspect->addItem(QStringLiteral("16:9"), int(TCropAspect::SixteenNine));
    chkUpright = new QCheckBox(QStringLiteral("Upright"), this);
    auto apply = [this] {
        FModel.SetAspect(static_cast<TCropAspect>(cbxAspect->currentData().toInt()),
                         chkUpright->isChecked());
        showMargins();
        showSelection();
    };
    connect(cbxAspect, &QComboBox::currentIndexChanged, this, apply);
    connect(chkUpright, &QCheckBox::toggled, this, apply);
}

void Tdlgcrop::marginChanged(void (TCropModel::*set)(int), int value) {
    (FModel.*set)(value);
    showMargins();
    showSelection();
}

void Tdlgcrop::selectionChanged() {
    if (FWritingSelection) return;
    TPGRect r = PGImage1->SelectionRect();
    const TPGSelection drawn{r.Left, r.Top, r.Width(), r.Height()};
    const std::optional<TAspectDrag> drag =
        AspectDragOf(PGImage1->DragState(), drawn, FAnchorX, FAnchorY);
    if (FModel.AspectLocked() && drag && r.Width() > 0 && r.Height() > 0) {
        const TPGSelection held = FModel.Locked(drawn, *drag);
        r = {held.Left, held.Top, held.Left + held.Width, held.Top + held.Height};
        if (!(held == drawn)) {
            FWritingSelection = true;
            PGImage1->SetSelectionBounds(held.Left, held.Top, held.Width, held.Height);
            FWritingSelection = false;
        }
    }
    FBeforeChange = FModel.Margins();
    FModel.TakeSelection(r);
    showMargins();
    tmrShade->start();
}

void Tdlgcrop::pressed(int x, int y) {
    FCreating = PGImage1->DragState() == dsCreateSelection;
    FAnchorX = PGImage1->PicBoxToImageX(x), FAnchorY = PGImage1->PicBoxToImageY(y);
    // The press already made the new selection's first pixel: what it replaced is wanted back
    // if the press turns out to be a click.
    if (FCreating) FPressMargins = FBeforeChange;
}

void Tdlgcrop::released() {
    const TPGRect r = PGImage1->SelectionRect();
    if (FCreating && r.Width() <= 1 && r.Height() <= 1) {
        FModel.SetMargins(FPressMargins);
        showMargins();
        showSelection();
    }
    FCreating = false;
}

void Tdlgcrop::showMargins() {
    // The margin handler is off while the boxes show the model; a box's range holds what a
    // drawn selection leaves even past the typed maxima.
    auto show = [](QSpinBox* box, int value, int max) {
        const QSignalBlocker blocker(box);
        box->setRange(0, std::max(max, value));
        box->setValue(value);
    };
    const TCropMargins& m = FModel.Margins();
    show(SpnCroptop, m.Top, FModel.MaxTopBottom());
    show(SpnCropbottom, m.Bottom, FModel.MaxTopBottom());
    show(SpnCropleft, m.Left, FModel.MaxLeftRight());
    show(SpnCropright, m.Right, FModel.MaxLeftRight());
}

void Tdlgcrop::showSelection() {
    const TPGSelection s = FModel.Selection();
    FWritingSelection = true;
    PGImage1->SetSelectionBounds(s.Left, s.Top, s.Width, s.Height);
    FWritingSelection = false;
    tmrShade->start();
}

void Tdlgcrop::showFullSize(bool on) {
    PGImage1->SetStretch(on ? sNeverKAR : sShrinkKAR);
    tmrShade->start();
}

void Tdlgcrop::paintShading(QPainter& painter) {
    if (!FShading) return;
    const QRegion shaded =
        CropShadeRegion(PGImage1->PicBox().size(), PGImage1->SelectionPicBoxRect(), true);
    for (const QRect& r : shaded) painter.fillRect(r, CropShadeColor);
}

TPGRect Tdlgcrop::SelectionRect() const {
    return PGImage1->SelectionRect();
}

void Tdlgcrop::accept() {
    if (!Working()) CropShowFullSize() = chkshowfullsize->isChecked();
    TEditDialog::accept();
}

std::optional<TEditOperation> Tdlgcrop::Operation() {
    const TCropMargins& m = FModel.Margins();
    if (!FShading || EditImage().Empty() || EditImage().Width() - m.Left - m.Right < 1 ||
        EditImage().Height() - m.Top - m.Bottom < 1)
        return std::nullopt;
    return [m](const TPixelGraphic& source, const TPGProgressEvent& progress) {
        return CroppedCopy(source, m, progress);
    };
}

bool RunCropDialog(const TEditCall& call) {
    Tdlgcrop dialog(call, TCropPurpose::Crop);
    dialog.exec();
    return dialog.Changed();
}

std::optional<TPGRect> PickRedEyeArea(const TEditCall& call) {
    Tdlgcrop dialog(call, TCropPurpose::RedEye);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.SelectionRect();
}
