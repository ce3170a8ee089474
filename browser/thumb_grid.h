#pragma once
// TlbxThumbGrid: the current file list as a grid of cells, painted row by row as they are
// exposed. The list owns selection and current index; the grid draws, selects and scrolls over
// it. Thumbnails come from the producer: a cell shows what the ring holds, or an empty box
// while its job runs.

#include "thumb_geometry.h"
#include "thumb_producer.h"
#include "thumb_selection.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QList>
#include <QPointer>

#include <functional>
#include <memory>

class TFileListModel;

// The text measures of the grid's font, injected so that tests need no fonts.
struct TThumbTextMetric {
    int TextHeight = 0; // of "Orl"
    std::function<int(const QString&)> Width;
};

// The system colours the cells are drawn in.
struct TThumbGridColours {
    QColor Grid, DarkShadow, Highlight, HighlightText, ButtonFace, ButtonShadow, WindowText;
};

class TlbxThumbGrid : public QAbstractScrollArea {
public:
    explicit TlbxThumbGrid(QWidget* parent = nullptr,
                           TBackgroundWorker& pool = TBackgroundWorker::Shared());
    ~TlbxThumbGrid() override;

    TThumbDisplayType ThumbDisplayType() const { return FCell.Type; }
    void SetThumbDisplayType(TThumbDisplayType type);
    int ThumbnailWidth() const { return FCell.ThumbnailWidth; }
    int ThumbnailHeight() const { return FCell.ThumbnailHeight; }
    // Values outside 1..9999 are ignored.
    void SetThumbnailWidth(int width);
    void SetThumbnailHeight(int height);
    int CellPadding() const { return FCell.CellPadding; }
    void SetCellPadding(int padding);
    int FilenameColumnWidth() const { return FCell.FilenameColumnWidth; }
    void SetFilenameColumnWidth(int width); // negative values ignored
    int IconInfoColumnWidth() const { return FCell.IconInfoColumnWidth; }
    void SetIconInfoColumnWidth(int width); // negative values ignored
    bool ThumbButtons() const { return FCell.ThumbButtons; }
    void SetThumbButtons(bool on);
    int Zoom() const { return FCell.Zoom; }
    void SetZoom(int zoom);
    bool HideFileExtensions() const { return FHideFileExtensions; }
    void SetHideFileExtensions(bool on);
    bool HighlightCurrentCell() const { return FHighlightCurrentCell; }
    void SetHighlightCurrentCell(bool on);
    bool MultipleSelect() const { return FMultipleSelect; }
    void SetMultipleSelect(bool on);
    bool DisableComponentKeyEventHandling() const { return FNoKeys; }
    void SetDisableComponentKeyEventHandling(bool on) { FNoKeys = on; }
    bool JPEGThumbnails() const { return FProducer.Settings().JPEGThumbnails; }
    void SetJPEGThumbnails(bool on);
    bool NoThumbnailExt() const { return FProducer.Settings().NoThumbnailExt; }
    void SetNoThumbnailExt(bool on);
    QString SupportedFormats() const { return FProducer.Settings().SupportedFormats; }
    void SetSupportedFormats(const QString& formats);
    QString ErrorThumb() const { return FProducer.Settings().ErrorThumb; }
    void SetErrorThumb(const QString& file);
    QString NonSupportedFormatThumb() const { return FProducer.Settings().NonSupportedFormatThumb; }
    void SetNonSupportedFormatThumb(const QString& file);
    int MemoryCacheMaxCacheCount() const { return FProducer.Ring().Capacity(); }
    void SetMemoryCacheMaxCacheCount(int count);
    int DiskCacheMaxCacheCount() const { return FProducer.DiskIndex().Limit(); }
    void SetDiskCacheMaxCacheCount(int count);
    QString DiskCacheDirectory() const { return FProducer.DiskIndex().Folder(); }
    void SetDiskCacheDirectory(const QString& folder);
    // The thumbnails other desktop programs share are read from this folder (empty: not used),
    // and written after a decode while WriteSharedThumbnails is on.
    QString SharedThumbnailFolder() const { return FProducer.Settings().SharedRoot; }
    void SetSharedThumbnailFolder(const QString& folder);
    bool WriteSharedThumbnails() const { return FProducer.Settings().WriteSharedThumbnails; }
    void SetWriteSharedThumbnails(bool on);
    bool Colours256() const { return FColours256; }
    void SetColours256(bool on) { FColours256 = on; }
    int BlockDrawing() const { return FBlockDrawing; }

    TFileListModel* AttachedListbox() const { return FList; }
    void SetAttachedListbox(TFileListModel* list);

    void SetTextMetric(TThumbTextMetric metric);
    void SetColours(const TThumbGridColours& colours);
    TThumbProducer& Producer() { return FProducer; }

    // Columns and rows for the list and the grid's size; scrolls the current item into view
    // when asked, and repaints when asked.
    void Rebuild(bool repaint, bool scrollToCurrent = false);
    void BeginUpdate() { ++FBlockDrawing; }
    // Never below zero; at zero repaints when asked (with onlyIfSuppressed, only when a paint
    // was suppressed meanwhile).
    void EndUpdate(bool repaint, bool onlyIfSuppressed = false);
    void SelectAll();
    // Deselects all, selects and makes current the item and scrolls it into view.
    void MoveTo(int index);
    void Invalidate(const QString& path, TCacheKind kind);
    void ScrollToRow(int row);

    TGridShape Shape() const { return FShape; }
    QSize Cell() const { return CellSize(FCell); }
    // The item under a viewport point; -1 for none.
    int ItemAt(QPoint point) const;
    QRect CellRect(int index) const; // in viewport coordinates

    std::function<QString(const QString& path)> OnGetDimensions;
    // A press outside every item.
    std::function<void()> OnNonCellClick;
    // After a release on an item, with the button.
    std::function<void(Qt::MouseButton)> OnItemMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    class TListAccess;

    void settingsChanged();
    void producerSettings(const std::function<void(TThumbSettings&)>& change);
    void paintCell(QPainter& painter, int index, const QRect& cell);
    void paintFrames(QPainter& painter, const QRect& inner, bool selected, bool current);
    void paintCaption(QPainter& painter, const QRect& inner, const QString& path);
    void paintThumb(QPainter& painter, const QRect& inner, const QString& path);
    QString captionOf(const QString& path) const;
    QString dimensionsOf(const QString& path);
    void requestVisible();
    int firstVisibleRow() const;
    int visibleRows() const;
    void scrollIntoView(int index);

    TThumbCellSettings FCell;
    TThumbGridColours FColours;
    TThumbTextMetric FMetric;
    bool FHideFileExtensions = false;
    bool FHighlightCurrentCell = true;
    bool FMultipleSelect = true;
    bool FNoKeys = true;
    bool FColours256 = false;
    int FBlockDrawing = 0;
    bool FSuppressed = false;
    bool FRebuilding = false;
    TGridShape FShape;
    int FScrollDirection = 1;
    uint64_t FGeneration = 0;
    QPointer<TFileListModel> FList;
    QList<QPointer<TFileListModel>> FListened;
    std::unique_ptr<TListAccess> FAccess;
    std::unique_ptr<TThumbMouseModel> FMouse;
    QMetaObject::Connection FReset, FInserted;
    TThumbProducer FProducer;
};

// The toolbar button's cycle of ThumbMode: 0, 1, 2, 0.
int NextThumbMode(int thumbMode);
// Applies ThumbMode to the grid between a begin and an end update.
void ApplyThumbMode(TlbxThumbGrid& grid, int thumbMode);
