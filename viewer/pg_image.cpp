#include "pg_image.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWindow>

namespace {

// Answers a hint request for `owner`: its hint when it shows hints (none when the hint is
// empty), else nothing, and the request goes on to the parent.
bool answerHint(QWidget& owner, QEvent& event, bool shows) {
    if (!shows) {
        event.ignore();
        return false;
    }
    const auto& help = static_cast<QHelpEvent&>(event);
    if (owner.toolTip().isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help.globalPos(), owner.toolTip(), &owner, {}, owner.toolTipDuration());
    event.accept();
    return true;
}

} // namespace

TPicBox::TPicBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAcceptDrops(true);
}

bool TPicBox::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip)
        return answerHint(*this, *event, HookShowsHint && HookShowsHint());
    return QWidget::event(event);
}

void TPicBox::contextMenuEvent(QContextMenuEvent* event) {
    if (HookContextMenu && HookContextMenu(*event))
        event->accept();
    else
        event->ignore();
}

void TPicBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (HookPaint) HookPaint(painter);
}

void TPicBox::mousePressEvent(QMouseEvent* event) {
    if (HookMouseDown) HookMouseDown(*event);
}

void TPicBox::mouseMoveEvent(QMouseEvent* event) {
    if (HookMouseMove) HookMouseMove(*event);
}

void TPicBox::mouseReleaseEvent(QMouseEvent* event) {
    if (HookMouseUp) HookMouseUp(*event);
}

void TPicBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (HookDoubleClick) HookDoubleClick(*event);
}

void TPicBox::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void TPicBox::dragMoveEvent(QDragMoveEvent* event) {
    event->ignore();
    if (HookDragOver) HookDragOver(*event);
}

void TPicBox::dropEvent(QDropEvent* event) {
    event->ignore();
    if (HookDrop) HookDrop(*event);
}

namespace {

// Restores the cursor on every way out of a load.
class THourGlass {
public:
    explicit THourGlass(bool show) : FShown(show) {
        if (FShown) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~THourGlass() {
        if (FShown) QGuiApplication::restoreOverrideCursor();
    }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;

private:
    bool FShown;
};

} // namespace

TPGImage::TPGImage(QWidget* parent)
    : QAbstractScrollArea(parent), FPicBox(new TPicBox(viewport())) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    FColor = palette().color(QPalette::Window);
    FPicBoxFrameColor = FProgressClockLineColor = palette().color(QPalette::Dark);
    FProgressClockBkColor = palette().color(QPalette::Button);
    FPicBox->setGeometry(0, 0, 0, 0);
    FPicBox->HookMouseDown = [this](QMouseEvent& e) {
        picBoxMouseDown(e);
        if (PicBoxOnMouseDown) PicBoxOnMouseDown(*FPicBox, e);
    };
    FPicBox->HookMouseMove = [this](QMouseEvent& e) {
        picBoxMouseMove(e);
        if (PicBoxOnMouseMove) PicBoxOnMouseMove(*FPicBox, e);
    };
    FPicBox->HookMouseUp = [this](QMouseEvent& e) {
        if (PicBoxOnMouseUp) PicBoxOnMouseUp(*FPicBox, e);
        picBoxMouseUp(e);
    };
    FPicBox->HookDoubleClick = [this](QMouseEvent&) {
        if (PicBoxOnDblClick) PicBoxOnDblClick(*FPicBox);
    };
    FPicBox->HookDragOver = [this](QDragMoveEvent& e) {
        if (PicBoxOnDragOver) PicBoxOnDragOver(*FPicBox, e);
    };
    FPicBox->HookDrop = [this](QDropEvent& e) {
        if (PicBoxOnDragDrop) PicBoxOnDragDrop(*FPicBox, e);
    };
    FPicBox->HookShowsHint = [this] { return PicBoxShowHint(); };
    FPicBox->HookContextMenu = [this](QContextMenuEvent& e) {
        if (!FPicBoxPopupMenu) return false;
        FPicBoxPopupMenu->popup(e.globalPos());
        return true;
    };
    FPicBox->HookPaint = [this](QPainter& painter) {
        paintSelection(painter);
        if (PicBoxOnPaint) PicBoxOnPaint(*FPicBox, painter);
    };
    resize(100, 100);
}

TPGImage::~TPGImage() {
    stopWorker();
}

// ---- image life cycle ----

void TPGImage::hookImage(TPixelGraphic& image, bool withChange) {
    image.OnProgressStart = [this](TPixelGraphic& sender) {
        if (OnPixelGraphicProgressStart) OnPixelGraphicProgressStart(sender);
    };
    image.OnProgress = [this](TPixelGraphic& sender, int step, int max, bool& abort) {
        if (OnPixelGraphicProgress) OnPixelGraphicProgress(sender, step, max, abort);
    };
    image.OnProgressEnd = [this](TPixelGraphic& sender) {
        if (OnPixelGraphicProgressEnd) OnPixelGraphicProgressEnd(sender);
    };
    if (withChange) image.OnChange = [this](TPixelGraphic&) { imageChanged(); };
}

void TPGImage::releaseImage() {
    discardPendingCopy();
    FImage.reset();
    FImageView = {};
    if (FKeepOldPaintPixelGraphic && FUseThread) {
        FPaintOutdated = true;
    } else {
        FPaint.reset();
        FPaintView = {};
    }
}

void TPGImage::replaceImage(std::unique_ptr<TPixelGraphic> image) {
    releaseImage();
    if (image) hookImage(*image, true);
    FImage = std::move(image);
    imageChanged();
}

void TPGImage::LoadFromFile(const std::filesystem::path& FileName, int ImageIndex) {
    FFileName.clear();
    THourGlass hourGlass(FShowHourGlass);
    releaseImage();
    if (!FileName.filename().empty()) {
        auto image = std::make_unique<TPixelGraphic>();
        image->SetReadWarningAction(FReadWarningAction);
        image->SetBackGroundColor(FBackGroundColor);
        hookImage(*image, false);
        try {
            image->LoadFromFile(FileName, ImageIndex);
        } catch (...) {
            imageChanged();
            throw;
        }
        hookImage(*image, true);
        FImage = std::move(image);
    }
    FFileName = FileName;
    imageChanged();
}

void TPGImage::SaveToFile(const std::filesystem::path& FileName) {
    stopWorker();
    if (!FImage) throw EPGEmpty(PGLangStr(msgIsEmpty, "PixelGraphic"));
    FImage->SetSaveColorResWarningAction(FSaveColorResWarningAction);
    FImage->SaveToFile(FileName);
    FFileName = FileName;
}

TPixelGraphic* TPGImage::PixelGraphic() {
    stopWorker();
    return FImage.get();
}

void TPGImage::SetPixelGraphic(const TPixelGraphic* Image) {
    std::unique_ptr<TPixelGraphic> copy;
    if (Image) {
        copy = std::make_unique<TPixelGraphic>();
        copy->Assign(Image);
    }
    replaceImage(std::move(copy));
}

void TPGImage::AdoptPixelGraphic(std::unique_ptr<TPixelGraphic> Image) {
    replaceImage(std::move(Image));
}

void TPGImage::stopWorker() {
    FCopyJob.Cancel();
    FCopyJob.Wait();
    // A copy already done is on its way; a posted event delivers it.
    if (FAwaitingCopy && FCopyJob.Outcome() != TJobState::Done) {
        FAwaitingCopy = false;
        FWorkerCancelled = true;
        viewport()->update(); // the next paint starts it again
    }
}

void TPGImage::discardPendingCopy() {
    stopWorker();
    ++FGeneration;
    FAwaitingCopy = false;
}

void TPGImage::imageChanged() {
    discardPendingCopy();
    FImageWidth = FImage ? FImage->Width() : 0;
    FImageHeight = FImage ? FImage->Height() : 0;
    int w = 0, h = 0;
    PGAutoSize(FImageWidth, FImageHeight, border(), FLimits, ScrollBarSize(), w, h);
    if (OnNewAutoSize) OnNewAutoSize(*this, w, h);
    FPaintOutdated = true;
    if (!FAutoSize || (w == width() && h == height())) {
        arrange(false);
    } else {
        resize(w, h);
        FBox = {};
        arrange(true);
    }
    const TPGRect old = SelectionPicBoxRect();
    if (FSelection) invalidateFrame(old);
    if (OnSelectionChange) OnSelectionChange(*this);
    if (OnPixelGraphicChange) OnPixelGraphicChange(*this);
}

// ---- arrangement ----

TPGScrollBarSize TPGImage::ScrollBarSize() const {
    if (FScrollBarSize) return *FScrollBarSize;
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {extent, extent};
}

void TPGImage::SetScrollBarSize(std::optional<TPGScrollBarSize> size) {
    FScrollBarSize = size;
    arrange(true);
}

void TPGImage::arrange(bool force) {
    TPGArrangeInput in;
    in.ImageWidth = FImageWidth, in.ImageHeight = FImageHeight;
    in.ControlWidth = width(), in.ControlHeight = height(), in.Border = border();
    in.Stretch = FStretch, in.ZoomFactor = FZoomFactor, in.Center = FCenter;
    in.Bars = ScrollBarSize();
    const TPGArrangement a = PGArrange(in);
    FArrangedSize = size();
    // Without a picture there is no scale to report.
    if (FImageWidth > 0 && FImageHeight > 0 && a.Zoom != FActualZoomFactor) {
        FActualZoomFactor = a.Zoom;
        if (OnZoomFactorChange) OnZoomFactorChange(*this);
    }
    if (boxNeedsMove(a, force)) moveBox(a);
    viewport()->update();
}

// The client area once the scroll bars that centring counted are there; Qt shows them only
// after the ranges are set.
QSize TPGImage::centredClient(const TPGArrangement& a) const {
    const TPGScrollBarSize bars = ScrollBarSize();
    return {width() - 2 * border() - (a.VertBar ? bars.VScrollWidth : 0),
            height() - 2 * border() - (a.HorzBar ? bars.HScrollHeight : 0)};
}

bool TPGImage::boxNeedsMove(const TPGArrangement& a, bool force) const {
    if (FBox.Width() != a.Width || FBox.Height() != a.Height) return true;
    if (!FRearrangeAlways && !force) return false;
    const int h = horizontalScrollBar()->value(), v = verticalScrollBar()->value();
    if (FBox.Left - h != a.X || FBox.Top - v != a.Y) return true;
    if (!FCenter) return h != 0 || v != 0;
    const QSize client = centredClient(a);
    return (a.HorzBar && h != (a.Width - client.width()) / 2) ||
           (a.VertBar && v != (a.Height - client.height()) / 2);
}

void TPGImage::moveBox(const TPGArrangement& a) {
    FBox = {a.X, a.Y, a.X + a.Width, a.Y + a.Height};
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    updateScrollRanges(centredClient(a));
    if (FCenter) {
        const QSize client = centredClient(a);
        if (a.HorzBar) horizontalScrollBar()->setValue((a.Width - client.width()) / 2);
        if (a.VertBar) verticalScrollBar()->setValue((a.Height - client.height()) / 2);
    }
    placeBox();
}

void TPGImage::updateScrollRanges(QSize client) {
    horizontalScrollBar()->setRange(0, std::max(0, FBox.Right - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, FBox.Bottom - client.height()));
    horizontalScrollBar()->setPageStep(client.width());
    verticalScrollBar()->setPageStep(client.height());
    placeBox();
}

void TPGImage::placeBox() {
    FPicBox->setGeometry(ToQRect(clientBox()));
}

TPGRect TPGImage::clientBox() const {
    const int h = horizontalScrollBar()->value(), v = verticalScrollBar()->value();
    return {FBox.Left - h, FBox.Top - v, FBox.Right - h, FBox.Bottom - v};
}

bool TPGImage::canScroll() const {
    const QSize client = viewport()->size();
    return (FBox.Width() > client.width() && horizontalScrollBar()->isVisible()) ||
           (FBox.Height() > client.height() && verticalScrollBar()->isVisible());
}

void TPGImage::resizeEvent(QResizeEvent*) {
    if (size() != FArrangedSize) {
        FBox = {};
        arrange(true);
    } else {
        updateScrollRanges(viewport()->size());
    }
}

void TPGImage::scrollContentsBy(int, int) {
    placeBox();
    viewport()->update();
}

void TPGImage::setLimit(int& field, int value) {
    field = value;
    if (FAutoSize) imageChanged();
}

void TPGImage::SetStretch(TStretch v) {
    FStretch = v;
    arrange(true);
}

void TPGImage::SetZoomFactor(long double v) {
    if (v == FZoomFactor) return;
    FZoomFactor = v;
    arrange(true);
}

void TPGImage::SetCenter(bool v) {
    FCenter = v;
    arrange(true);
}

void TPGImage::SetAutoSize(bool v) {
    FAutoSize = v;
    imageChanged();
}

void TPGImage::SetAutoScroll(bool v) {
    FAutoScroll = v;
    const auto policy = v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
}

// ---- display copy ----

int TPGImage::ScreenDepth() const {
    if (FScreenDepth > 0) return FScreenDepth;
    const QScreen* s = screen();
    return s ? s->depth() : 32;
}

void TPGImage::SetScreenDepth(int depth) {
    FScreenDepth = depth;
    FPaintOutdated = true;
    viewport()->update();
}

void TPGImage::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    // A move to a screen of another depth outdates the display copy.
    QWindow* w = window()->windowHandle();
    if (!w || w == FWatchedWindow) return;
    FWatchedWindow = w;
    connect(w, &QWindow::screenChanged, this, [this](QScreen*) {
        FPaintOutdated = true;
        viewport()->update();
    });
}

void TPGImage::SetUseThread(bool v) {
    FUseThread = v;
    stopWorker();
    FPaintOutdated = true;
    viewport()->update();
}

void TPGImage::SetPalette8BitSys24BitGraphic(TPalette8BitSys24BitGraphic v) {
    if (v < pBlackWhite || v > pOptimized252Sys16)
        throw EPixelGraphic(PGLangStr(msgInvalidValue, "Palette8BitSys24BitGraphic"));
    rebuildWith(FSettings.Palette8BitSys24BitGraphic, v);
}

void TPGImage::SetPalette8BitSys8BitGraphic(TPalette8BitSys8BitGraphic v) {
    if (v < pBlackWhite || v > pSource)
        throw EPixelGraphic(PGLangStr(msgInvalidValue, "Palette8BitSys8BitGraphic"));
    rebuildWith(FSettings.Palette8BitSys8BitGraphic, v);
}

const TPGQtView* TPGImage::preparePicture() {
    if (!FImage || FImage->Empty()) return nullptr;
    const int bw = FBox.Width(), bh = FBox.Height();
    FPaintOutdated =
        FPaintOutdated || PGOutdatedBySize(FSettings, bw, bh, FLastCopyWidth, FLastCopyHeight);
    const bool needed =
        PGDisplayCopyNeeded(FImage.get(), FSettings, ScreenDepth(), bw, bh, FPaintOutdated);
    const bool keep = FKeepOldPaintPixelGraphic && FUseThread;
    if (FPaint && (!needed || (FPaintOutdated && !keep))) {
        discardPendingCopy();
        FPaint.reset();
        FPaintView = {};
    }
    if (!needed) {
        if (FAwaitingCopy) discardPendingCopy(); // its copy would be thrown away
        if (!FImageView.Matches(*FImage)) FImageView = TPGQtView(*FImage);
        return &FImageView;
    }
    if (FPaintOutdated || (!FPaint && FWorkerCancelled)) startWorker();
    return FPaint ? &FPaintView : nullptr;
}

void TPGImage::startWorker() {
    discardPendingCopy();
    if (!(FKeepOldPaintPixelGraphic && FUseThread)) FPaint.reset(), FPaintView = {};
    FStage = 1, FPercent = 0;
    FCopyJob = {};
    TPGDisplayJob job;
    try {
        job = PGPrepareDisplayJob(*FImage, FSettings, ScreenDepth(), FBox.Width(), FBox.Height());
    } catch (const std::exception&) {
        return; // painting goes on with what there is
    }
    FLastCopyWidth = job.RequestedWidth, FLastCopyHeight = job.RequestedHeight;
    FPaintOutdated = false;
    FWorkerCancelled = false;
    FAwaitingCopy = true;
    if (!FUseThread) {
        completeCopy(PGRunDisplayJob(job, [](int, int, int) { return false; }));
        return;
    }
    FCopyJob = FJobs.Submit(
        [job = std::move(job)](TJobContext& context) mutable {
            return PGRunDisplayJobOnWorker(job, context.StopToken(), [&](int stage, int percent) {
                context.Progress(stage, percent);
            });
        },
        {.Generation = FGeneration});
}

void TPGImage::completeCopy(std::unique_ptr<TPixelGraphic> copy) {
    FAwaitingCopy = false;
    if (!copy) return;
    FPaint.reset();
    FPaintView = {};
    if (FSettings.ReduceOnLoad) {
        // From now on the picture is kept only in its reduced form.
        stopWorker();
        FImage = std::move(copy);
        FImageView = {};
        hookImage(*FImage, true);
    } else {
        FPaint = std::move(copy);
        FPaintView = TPGQtView(*FPaint);
    }
    viewport()->update();
}

bool TPGImage::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) return answerHint(*this, *event, ShowHint());
    if (event->type() == TJobFinishedEvent::EventType()) {
        auto* e = static_cast<TJobFinishedEvent*>(event);
        if (e->Generation() != FGeneration || !FAwaitingCopy) return true;
        if (auto* copy = e->Result<std::unique_ptr<TPixelGraphic>>()) {
            completeCopy(std::move(*copy));
        } else if (e->State() == TJobState::Failed) {
            // The placeholder stays until something outdates the copy; trying again at once
            // would fail again. A kept copy may be of another picture.
            FAwaitingCopy = false;
            FPaint.reset();
            FPaintView = {};
            viewport()->update();
        }
        return true;
    }
    if (event->type() == TJobProgressEvent::EventType()) {
        auto* e = static_cast<TJobProgressEvent*>(event);
        if (e->Generation() == FGeneration) {
            FStage = e->Stage(), FPercent = e->Percent();
            viewport()->update();
        }
        return true;
    }
    return QAbstractScrollArea::event(event);
}

// ---- picture box properties ----

void TPGImage::SetPicBoxColor(const QColor& c) {
    FPicBoxColor = c;
    FPicBoxParentColor = false;
    viewport()->update();
}

void TPGImage::SetPicBoxParentColor(bool v) {
    FPicBoxParentColor = v;
    viewport()->update();
}

void TPGImage::SetPicBoxCursor(const QCursor& c) {
    FPicBoxCursor = c;
    FPicBox->setCursor(c);
}

void TPGImage::SetPicBoxHint(const QString& hint) {
    FPicBoxHint = hint;
    FPicBox->setToolTip(hint);
}

void TPGImage::SetPicBoxShowHint(bool v) {
    FPicBoxShowHint = v;
    FPicBoxParentShowHint = false;
}

void TPGImage::SetPicBoxPopupMenu(QMenu* menu) {
    FPicBoxPopupMenu = menu;
}

// ---- the control's own hints and pop-up menu ----

bool TPGImage::ShowHint() const {
    if (!FParentShowHint) return FShowHint;
    for (const QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (const QVariant v = w->property("ShowHint"); v.isValid()) return v.toBool();
    return false;
}

void TPGImage::SetShowHint(bool v) {
    FShowHint = v;
    FParentShowHint = false;
}

// A request the picture box did not answer arrives here too: without a menu of its own the
// box offers the control's.
void TPGImage::contextMenuEvent(QContextMenuEvent* event) {
    if (!FPopupMenu) {
        event->ignore();
        return;
    }
    FPopupMenu->popup(event->globalPos());
    event->accept();
}
