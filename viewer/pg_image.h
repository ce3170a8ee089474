#pragma once
// TPGImage: the scrollable picture control. It owns one image and shows it on a child picture
// box (TPicBox) whose size is the displayed size; sizing, coordinates, the selection state
// machine and the display-copy decisions live in widget-free code beside it.

#include "background_worker.h"
#include "pg_display_copy.h"
#include "pg_image_layout.h"
#include "pg_image_types.h"
#include "pg_mouse.h"
#include "pg_qt_view.h"

#include <QAbstractScrollArea>
#include <QBrush>
#include <QCursor>
#include <QDrag>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class TPGImage;

// The displayed picture's box: paints nothing of its own but the selection frame; its mouse
// and paint hooks are filled in by the owning control.
class TPicBox : public QWidget {
public:
    explicit TPicBox(QWidget* parent);

    std::function<void(QMouseEvent&)> HookMouseDown, HookMouseMove, HookMouseUp, HookDoubleClick;
    std::function<void(QPainter&)> HookPaint;
    std::function<void(QDragMoveEvent&)> HookDragOver;
    std::function<void(QDropEvent&)> HookDrop;
    // True when the box showed a pop-up menu; otherwise the request goes on to the control.
    std::function<bool(QContextMenuEvent&)> HookContextMenu;
    // Whether the box shows its hint; when it does not, the control under it may show its own.
    std::function<bool()> HookShowsHint;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// How a drag and drop started by the control ended: the accepted action (IgnoreAction when
// refused or cancelled) and the object that took the drop, if it belongs to this program.
struct TPGDragOutcome {
    Qt::DropAction Action = Qt::IgnoreAction;
    QObject* Target = nullptr;
};

class TPGImage : public QAbstractScrollArea {
public:
    using TNotify = std::function<void(TPGImage& Sender)>;
    using TMouse = std::function<void(TPGImage& Sender, QMouseEvent& Event)>;
    using TPicBoxNotify = std::function<void(TPicBox& Sender)>;
    using TPicBoxMouse = std::function<void(TPicBox& Sender, QMouseEvent& Event)>;
    // Before a drag starts: fill the drag's mime data and choose the offered actions (copy
    // unless changed).
    template <class TSender>
    using TStartDrag =
        std::function<void(TSender& Sender, QDrag& Drag, Qt::DropActions& SupportedActions)>;
    template <class TSender>
    using TEndDrag = std::function<void(TSender& Sender, QObject* Target, Qt::DropAction Action)>;
    // Carries out a started drag; QDrag::exec unless replaced.
    using TDragRunner =
        std::function<TPGDragOutcome(QDrag& Drag, Qt::DropActions SupportedActions)>;

    explicit TPGImage(QWidget* parent = nullptr);
    ~TPGImage() override;

    // The image.
    void LoadFromFile(const std::filesystem::path& FileName, int ImageIndex = 0);
    void SaveToFile(const std::filesystem::path& FileName);
    // Stops the worker first; callers that change the image must get it here.
    TPixelGraphic* PixelGraphic();
    // Copies the given image (nullptr leaves the control without an image).
    void SetPixelGraphic(const TPixelGraphic* Image);
    void AdoptPixelGraphic(std::unique_ptr<TPixelGraphic> Image);
    // The display copy in use, if any.
    const TPixelGraphic* PaintPixelGraphic() const { return FPaint.get(); }
    bool PaintOutdated() const { return FPaintOutdated; }
    const std::filesystem::path& FileName() const { return FFileName; }
    void SetFileName(const std::filesystem::path& FileName) { LoadFromFile(FileName, 0); }

    // Arrangement and coordinates.
    void Rearrange() { arrange(true); }
    long double ActualZoomFactor() const { return FActualZoomFactor; }
    int ImageToPicBoxX(int x) const { return PGMapCoordinate(x, FBox.Width(), FImageWidth); }
    int ImageToPicBoxY(int y) const { return PGMapCoordinate(y, FBox.Height(), FImageHeight); }
    int PicBoxToImageX(int x) const { return PGMapCoordinate(x, FImageWidth, FBox.Width()); }
    int PicBoxToImageY(int y) const { return PGMapCoordinate(y, FImageHeight, FBox.Height()); }
    TPicBox& PicBox() { return *FPicBox; }

    // Selection; the rectangles handed out are clipped to the picture.
    bool Selection() const { return FSelection; }
    void SetSelection(bool value);
    TPGRect SelectionRect() const;
    TPGRect SelectionPicBoxRect() const;
    void SetSelectionBounds(int Left, int Top, int Width, int Height);
    int SelectionLeft() const { return FSel.Left; }
    int SelectionTop() const { return FSel.Top; }
    int SelectionWidth() const { return FSel.Width; }
    int SelectionHeight() const { return FSel.Height; }
    void SetSelectionLeft(int v) { SetSelectionBounds(v, FSel.Top, FSel.Width, FSel.Height); }
    void SetSelectionTop(int v) { SetSelectionBounds(FSel.Left, v, FSel.Width, FSel.Height); }
    void SetSelectionWidth(int v) { SetSelectionBounds(FSel.Left, FSel.Top, v, FSel.Height); }
    void SetSelectionHeight(int v) { SetSelectionBounds(FSel.Left, FSel.Top, FSel.Width, v); }
    QColor SelectionColor1() const { return FSelectionColor1; }
    QColor SelectionColor2() const { return FSelectionColor2; }
    void SetSelectionColor1(const QColor& c);
    void SetSelectionColor2(const QColor& c);
    TDragState DragState() const { return FMouse.State(); }

    // Sizing.
    TStretch Stretch() const { return FStretch; }
    void SetStretch(TStretch v);
    long double ZoomFactor() const { return FZoomFactor; }
    void SetZoomFactor(long double v);
    bool Center() const { return FCenter; }
    void SetCenter(bool v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    int AutoSizeMaxWidth() const { return FLimits.MaxWidth; }
    int AutoSizeMaxHeight() const { return FLimits.MaxHeight; }
    int AutoSizeMinWidth() const { return FLimits.MinWidth; }
    int AutoSizeMinHeight() const { return FLimits.MinHeight; }
    void SetAutoSizeMaxWidth(int v) { setLimit(FLimits.MaxWidth, v); }
    void SetAutoSizeMaxHeight(int v) { setLimit(FLimits.MaxHeight, v); }
    void SetAutoSizeMinWidth(int v) { setLimit(FLimits.MinWidth, v); }
    void SetAutoSizeMinHeight(int v) { setLimit(FLimits.MinHeight, v); }
    bool RearrangeAlways() const { return FRearrangeAlways; }
    void SetRearrangeAlways(bool v) { FRearrangeAlways = v; }
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool v);

    // The display copy.
    TStretchMode StretchMode() const { return FSettings.StretchMode; }
    void SetStretchMode(TStretchMode v) { rebuildWith(FSettings.StretchMode, v); }
    bool Allow24BitStretch() const { return FSettings.Allow24BitStretch; }
    void SetAllow24BitStretch(bool v) { rebuildWith(FSettings.Allow24BitStretch, v); }
    bool Dither() const { return FSettings.Dither; }
    void SetDither(bool v) { rebuildWith(FSettings.Dither, v); }
    uint8_t DitherErrorLimit() const { return FSettings.DitherErrorLimit; }
    void SetDitherErrorLimit(uint8_t v) { ditherSetting(FSettings.DitherErrorLimit, v); }
    bool DitherErrorLimitAuto() const { return FSettings.DitherErrorLimitAuto; }
    void SetDitherErrorLimitAuto(bool v) { ditherSetting(FSettings.DitherErrorLimitAuto, v); }
    bool DitherErrorLimitSoft() const { return FSettings.DitherErrorLimitSoft; }
    void SetDitherErrorLimitSoft(bool v) { ditherSetting(FSettings.DitherErrorLimitSoft, v); }
    bool RGBWeighting() const { return FSettings.RGBWeighting; }
    void SetRGBWeighting(bool v) { rebuildWith(FSettings.RGBWeighting, v); }
    TPalette8BitSys24BitGraphic Palette8BitSys24BitGraphic() const {
        return FSettings.Palette8BitSys24BitGraphic;
    }
    void SetPalette8BitSys24BitGraphic(TPalette8BitSys24BitGraphic v);
    TPalette8BitSys8BitGraphic Palette8BitSys8BitGraphic() const {
        return FSettings.Palette8BitSys8BitGraphic;
    }
    void SetPalette8BitSys8BitGraphic(TPalette8BitSys8BitGraphic v);
    bool ReduceOnLoad() const { return FSettings.ReduceOnLoad; }
    void SetReduceOnLoad(bool v) { FSettings.ReduceOnLoad = v; }
    bool KeepOldPaintPixelGraphic() const { return FKeepOldPaintPixelGraphic; }
    void SetKeepOldPaintPixelGraphic(bool v) { FKeepOldPaintPixelGraphic = v; }
    bool UseThread() const { return FUseThread; }
    void SetUseThread(bool v);
    // Screen colour depth and scroll-bar size as Qt reports them unless overridden (0 / nullopt).
    int ScreenDepth() const;
    void SetScreenDepth(int depth);
    TPGScrollBarSize ScrollBarSize() const;
    void SetScrollBarSize(std::optional<TPGScrollBarSize> size);

    // Display.
    TActionMode ActionMode() const { return FActionMode; }
    void SetActionMode(TActionMode v);
    TTiling Tiling() const { return FTiling; }
    void SetTiling(TTiling v) { repaintWith(FTiling, v); }
    bool FlipHorizontal() const { return FFlipHorizontal; }
    void SetFlipHorizontal(bool v) { repaintWith(FFlipHorizontal, v); }
    bool FlipVertical() const { return FFlipVertical; }
    void SetFlipVertical(bool v) { repaintWith(FFlipVertical, v); }
    QColor Color() const { return FColor; }
    void SetColor(const QColor& c) { repaintWith(FColor, c); }
    uint32_t BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(uint32_t v) { FBackGroundColor = v; }
    QColor PicBoxFrameColor() const { return FPicBoxFrameColor; }
    void SetPicBoxFrameColor(const QColor& c) { FPicBoxFrameColor = c; }
    bool Progress5Clocks() const { return FProgress5Clocks; }
    void SetProgress5Clocks(bool v) { FProgress5Clocks = v; }
    QColor ProgressClockBkColor() const { return FProgressClockBkColor; }
    void SetProgressClockBkColor(const QColor& c) { FProgressClockBkColor = c; }
    QColor ProgressClockLineColor() const { return FProgressClockLineColor; }
    void SetProgressClockLineColor(const QColor& c) { FProgressClockLineColor = c; }
    bool ProgressClockVisible() const { return FProgressClockVisible; }
    void SetProgressClockVisible(bool v) { FProgressClockVisible = v; }
    bool ShowHourGlass() const { return FShowHourGlass; }
    void SetShowHourGlass(bool v) { FShowHourGlass = v; }
    TPGWarningAction ReadWarningAction() const { return FReadWarningAction; }
    void SetReadWarningAction(TPGWarningAction v) { FReadWarningAction = v; }
    TPGWarningAction SaveColorResWarningAction() const { return FSaveColorResWarningAction; }
    void SetSaveColorResWarningAction(TPGWarningAction v) { FSaveColorResWarningAction = v; }

    // The picture box's own properties.
    QColor PicBoxColor() const { return FPicBoxParentColor ? FColor : FPicBoxColor; }
    void SetPicBoxColor(const QColor& c);
    bool PicBoxParentColor() const { return FPicBoxParentColor; }
    void SetPicBoxParentColor(bool v);
    QCursor PicBoxCursor() const { return FPicBoxCursor; }
    void SetPicBoxCursor(const QCursor& c);
    QString PicBoxHint() const { return FPicBoxHint; }
    void SetPicBoxHint(const QString& hint);
    bool PicBoxShowHint() const { return FPicBoxParentShowHint ? ShowHint() : FPicBoxShowHint; }
    void SetPicBoxShowHint(bool v);
    QMenu* PicBoxPopupMenu() const { return FPicBoxPopupMenu; }
    void SetPicBoxPopupMenu(QMenu* menu);
    intptr_t PicBoxTag() const { return FPicBoxTag; }
    void SetPicBoxTag(intptr_t tag) { FPicBoxTag = tag; }
    // With ParentShowHint on, the box shows its hint exactly when the control shows hints;
    // setting PicBoxShowHint turns ParentShowHint off.
    bool PicBoxParentShowHint() const { return FPicBoxParentShowHint; }
    void SetPicBoxParentShowHint(bool v) { FPicBoxParentShowHint = v; }
    TDragMode PicBoxDragMode() const { return FPicBoxDragMode; }
    void SetPicBoxDragMode(TDragMode v);
    // Shown during the drag over targets that accept it; a standard shape leaves the desktop's
    // own drag cursors.
    QCursor PicBoxDragCursor() const { return FPicBoxDragCursor; }
    void SetPicBoxDragCursor(const QCursor& c) { FPicBoxDragCursor = c; }

    // The control's own hints (its tool tip), pop-up menu and dragging, for the area around the
    // picture box. With ParentShowHint on, the control shows hints when the nearest enclosing
    // widget with a ShowHint dynamic property has it set (none: no hints); setting ShowHint
    // turns ParentShowHint off.
    bool ShowHint() const;
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v) { FParentShowHint = v; }
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode v);
    QCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(const QCursor& c) { FDragCursor = c; }

    // Events.
    std::function<void(TPGImage& Sender, int PGImageWidth, int PGImageHeight)> OnNewAutoSize;
    TNotify OnPaint, OnPainting, OnPixelGraphicChange, OnSelectionChange, OnSelectionMade,
        OnZoomFactorChange;
    TPGNotifyEvent OnPixelGraphicProgressStart, OnPixelGraphicProgressEnd;
    TPGProgressEvent OnPixelGraphicProgress;
    std::function<void(TPGImage& Sender, QCursor& Cursor)> OnSetCursor;
    TPicBoxNotify PicBoxOnClick, PicBoxOnDblClick;
    TPicBoxMouse PicBoxOnMouseDown, PicBoxOnMouseMove, PicBoxOnMouseUp;
    std::function<void(TPicBox& Sender, QPainter& Painter)> PicBoxOnPaint;
    std::function<void(TPicBox& Sender, QCursor& Cursor)> PicBoxOnSetCursor;
    // A drag over the picture box is refused unless the handler accepts the event.
    std::function<void(TPicBox& Sender, QDragMoveEvent& Event)> PicBoxOnDragOver;
    std::function<void(TPicBox& Sender, QDropEvent& Event)> PicBoxOnDragDrop;
    TStartDrag<TPicBox> PicBoxOnStartDrag;
    TEndDrag<TPicBox> PicBoxOnEndDrag;
    // The control's own mouse, click and drag events, for the area outside the picture box.
    TMouse OnMouseDown, OnMouseMove, OnMouseUp;
    TNotify OnClick, OnDblClick;
    std::function<void(TPGImage& Sender, QDragMoveEvent& Event)> OnDragOver;
    std::function<void(TPGImage& Sender, QDropEvent& Event)> OnDragDrop;
    TStartDrag<TPGImage> OnStartDrag;
    TEndDrag<TPGImage> OnEndDrag;

    // Test seams: the desktop's drag loop and the two timers cannot be driven from a test.
    void SetDragRunner(TDragRunner runner) { FDragRunner = std::move(runner); }
    QTimer* AntsTimer() const { return FAntsTimer.get(); }
    QTimer* AutoScrollTimer() const { return FAutoScrollTimer.get(); }
    uint8_t AntsPhase() const { return FAntsPhase; }

    // Identifies the display copy being prepared; results of other numbers are dropped.
    uint64_t DisplayGeneration() const { return FGeneration; }

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Image life cycle.
    void hookImage(TPixelGraphic& image, bool withChange);
    void replaceImage(std::unique_ptr<TPixelGraphic> image);
    void releaseImage();
    void imageChanged();
    void stopWorker();
    void discardPendingCopy();

    // Arrangement.
    int border() const { return frameWidth(); }
    void arrange(bool force);
    bool boxNeedsMove(const TPGArrangement& a, bool force) const;
    void moveBox(const TPGArrangement& a);
    QSize centredClient(const TPGArrangement& a) const;
    void updateScrollRanges(QSize client);
    void placeBox();
    TPGRect clientBox() const;
    bool canScroll() const;

    // Display copy.
    const TPGQtView* preparePicture();
    void startWorker();
    void completeCopy(std::unique_ptr<TPixelGraphic> copy);

    // Painting.
    void paintViewport(QPainter& painter, const QRect& clip);
    void fillMargins(QPainter& painter, const TPGRect& box);
    void drawTiles(QPainter& painter, const TPGQtView& view, const TPGRect& box, const QRect& clip);
    void drawPlaceholder(QPainter& painter, const TPGRect& box);
    void drawClocks(QPainter& painter, const TPGRect& box);
    void paintSelection(QPainter& painter);
    const QBrush& antsBrush(int k);
    void invalidateFrame(const TPGRect& selection);

    static QRect ToQRect(const TPGRect& r) { return {r.Left, r.Top, r.Width(), r.Height()}; }

    // Mouse and cursor.
    TPGMouseContext mouseContext() const;
    void picBoxMouseDown(QMouseEvent& e);
    void picBoxMouseMove(QMouseEvent& e);
    void picBoxMouseUp(QMouseEvent& e);
    void applySelectionResult(const TPGMouseResult& r);
    void scrollBy(int x, int y, int dx, int dy);
    void autoScrollTick();
    void updatePicBoxCursor(int x, int y);
    void updateViewportCursor();
    QCursor cursorOf(TPGCursorKind kind) const;
    void marginMouse(QMouseEvent& e);
    template <class TSender>
    void runDrag(TSender& source, const QCursor& cursor, const TStartDrag<TSender>& onStart,
                 const TEndDrag<TSender>& onEnd);

    // Property helpers.
    template <class T>
    void rebuildWith(T& field, T value) {
        field = value;
        imageChanged();
    }
    template <class T>
    void ditherSetting(T& field, T value) {
        field = value;
        if (FSettings.Dither) imageChanged();
    }
    template <class T>
    void repaintWith(T& field, T value) {
        field = value;
        viewport()->update();
    }
    void setLimit(int& field, int value);

    TPicBox* FPicBox;
    std::unique_ptr<TPixelGraphic> FImage;
    std::unique_ptr<TPixelGraphic> FPaint;
    TPGQtView FImageView, FPaintView;
    std::filesystem::path FFileName;
    int FImageWidth = 0, FImageHeight = 0;
    TPGRect FBox; // picture box in content coordinates (scroll position 0)
    QSize FArrangedSize;
    bool FPaintOutdated = false;
    int FLastCopyWidth = 0, FLastCopyHeight = 0;

    // Declared after the image, which the display-copy job reads: destroyed first.
    TJobOwner FJobs{*this};
    TJobHandle FCopyJob;
    uint64_t FGeneration = 0;
    bool FAwaitingCopy = false, FWorkerCancelled = false;
    int FStage = 1, FPercent = 0;

    TPGDisplaySettings FSettings;
    long double FZoomFactor = 1.0L, FActualZoomFactor = 1.0L;
    TStretch FStretch = sNeverKAR;
    bool FCenter = false, FAutoSize = false, FRearrangeAlways = false, FAutoScroll = true;
    TPGAutoSizeLimits FLimits;
    bool FKeepOldPaintPixelGraphic = false, FUseThread = true;
    int FScreenDepth = 0;
    std::optional<TPGScrollBarSize> FScrollBarSize;
    QPointer<QWindow> FWatchedWindow;

    TActionMode FActionMode = amMoveImage;
    TTiling FTiling = tNone;
    bool FFlipHorizontal = false, FFlipVertical = false;
    QColor FColor, FPicBoxFrameColor, FProgressClockBkColor, FProgressClockLineColor;
    QColor FPicBoxColor;
    bool FPicBoxParentColor = true;
    uint32_t FBackGroundColor = 0;
    bool FProgress5Clocks = true, FProgressClockVisible = true, FShowHourGlass = true;
    TPGWarningAction FReadWarningAction = pgwaOKCancelBox;
    TPGWarningAction FSaveColorResWarningAction = pgwaOKCancelBox;
    QCursor FPicBoxCursor;
    QString FPicBoxHint;
    bool FPicBoxShowHint = false, FPicBoxParentShowHint = true;
    QPointer<QMenu> FPicBoxPopupMenu;
    intptr_t FPicBoxTag = 0;
    TDragMode FPicBoxDragMode = dmManual;
    QCursor FPicBoxDragCursor{Qt::DragCopyCursor};
    bool FShowHint = false, FParentShowHint = true;
    QPointer<QMenu> FPopupMenu;
    TDragMode FDragMode = dmManual;
    QCursor FDragCursor{Qt::DragCopyCursor};
    TPGAutoDrag FPicBoxDrag, FMarginDrag;
    bool FMarginPressed = false;
    TDragRunner FDragRunner;

    bool FSelection = false;
    TPGSelection FSel;
    QColor FSelectionColor1{255, 255, 255}, FSelectionColor2{255, 0, 0};
    uint8_t FAntsPhase = 0;
    std::array<std::optional<QBrush>, 8> FAntsBrushes;
    std::unique_ptr<QTimer> FAntsTimer, FAutoScrollTimer;
    TPGMouseMachine FMouse;
    bool FPressed = false;
};
