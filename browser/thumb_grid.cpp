#include "thumb_grid.h"

#include "file_list_model.h"
#include "thumb_files.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

class TlbxThumbGrid::TListAccess : public TThumbGridList {
public:
    explicit TListAccess(TFileListModel& list) : FList(list) {}
    int Count() const override { return FList.Count(); }
    bool Selected(int index) const override { return FList.IsSelected(index); }
    void SetSelected(int index, bool selected) override { FList.SetSelected(index, selected); }
    void ClearSelection() override { FList.ClearSelection(); }
    int Current() const override { return FList.CurrentIndex(); }
    void SetCurrent(int index) override { FList.SetCurrentIndex(index); }

private:
    TFileListModel& FList;
};

namespace {
TThumbGridColours systemColours(const QPalette& palette) {
    return {palette.color(QPalette::Base),      palette.color(QPalette::Shadow),
            palette.color(QPalette::Highlight), palette.color(QPalette::HighlightedText),
            palette.color(QPalette::Button),    palette.color(QPalette::Dark),
            palette.color(QPalette::Text)};
}

bool validBoxSide(int side) {
    return side >= 1 && side <= 9999;
}
} // namespace

TlbxThumbGrid::TlbxThumbGrid(QWidget* parent, TBackgroundWorker& pool)
    : QAbstractScrollArea(parent), FColours(systemColours(palette())), FProducer(pool) {
    const QFontMetrics metrics(font());
    SetTextMetric({metrics.height(),
                   [metrics](const QString& text) { return metrics.horizontalAdvance(text); }});
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FProducer.OnThumbReady = [this](const QString&, uint64_t) { viewport()->update(); };
}

TlbxThumbGrid::~TlbxThumbGrid() = default;

void TlbxThumbGrid::SetTextMetric(TThumbTextMetric metric) {
    FMetric = std::move(metric);
    FCell.TextHeight = FMetric.TextHeight;
    settingsChanged();
}

void TlbxThumbGrid::SetColours(const TThumbGridColours& colours) {
    FColours = colours;
    viewport()->update();
}

void TlbxThumbGrid::settingsChanged() {
    Rebuild(true);
}

void TlbxThumbGrid::producerSettings(const std::function<void(TThumbSettings&)>& change) {
    TThumbSettings settings = FProducer.Settings();
    change(settings);
    FProducer.SetSettings(settings);
    viewport()->update();
}

void TlbxThumbGrid::SetThumbDisplayType(TThumbDisplayType type) {
    FCell.Type = type;
    settingsChanged();
}

void TlbxThumbGrid::SetThumbnailWidth(int width) {
    if (!validBoxSide(width)) return;
    FCell.ThumbnailWidth = width;
    producerSettings([&](TThumbSettings& s) { s.Box.setWidth(width); });
    settingsChanged();
}

void TlbxThumbGrid::SetThumbnailHeight(int height) {
    if (!validBoxSide(height)) return;
    FCell.ThumbnailHeight = height;
    producerSettings([&](TThumbSettings& s) { s.Box.setHeight(height); });
    settingsChanged();
}

void TlbxThumbGrid::SetCellPadding(int padding) {
    FCell.CellPadding = std::max(padding, 0);
    settingsChanged();
}

void TlbxThumbGrid::SetFilenameColumnWidth(int width) {
    if (width < 0) return;
    FCell.FilenameColumnWidth = width;
    settingsChanged();
}

void TlbxThumbGrid::SetIconInfoColumnWidth(int width) {
    if (width < 0) return;
    FCell.IconInfoColumnWidth = width;
    settingsChanged();
}

void TlbxThumbGrid::SetThumbButtons(bool on) {
    FCell.ThumbButtons = on;
    settingsChanged();
}

void TlbxThumbGrid::SetZoom(int zoom) {
    FCell.Zoom = std::max(zoom, 1);
    settingsChanged();
}

void TlbxThumbGrid::SetHideFileExtensions(bool on) {
    FHideFileExtensions = on;
    viewport()->update();
}

void TlbxThumbGrid::SetHighlightCurrentCell(bool on) {
    FHighlightCurrentCell = on;
    viewport()->update();
}

void TlbxThumbGrid::SetMultipleSelect(bool on) {
    FMultipleSelect = on;
    if (FMouse) FMouse->SetMultipleSelect(on);
}

void TlbxThumbGrid::SetJPEGThumbnails(bool on) {
    producerSettings([&](TThumbSettings& s) { s.JPEGThumbnails = on; });
}

void TlbxThumbGrid::SetNoThumbnailExt(bool on) {
    producerSettings([&](TThumbSettings& s) { s.NoThumbnailExt = on; });
}

void TlbxThumbGrid::SetSupportedFormats(const QString& formats) {
    producerSettings([&](TThumbSettings& s) { s.SupportedFormats = formats; });
}

void TlbxThumbGrid::SetErrorThumb(const QString& file) {
    producerSettings([&](TThumbSettings& s) { s.ErrorThumb = file; });
}

void TlbxThumbGrid::SetNonSupportedFormatThumb(const QString& file) {
    producerSettings([&](TThumbSettings& s) { s.NonSupportedFormatThumb = file; });
}

void TlbxThumbGrid::SetSharedThumbnailFolder(const QString& folder) {
    producerSettings([&](TThumbSettings& s) { s.SharedRoot = folder; });
}

void TlbxThumbGrid::SetWriteSharedThumbnails(bool on) {
    producerSettings([&](TThumbSettings& s) { s.WriteSharedThumbnails = on; });
}

void TlbxThumbGrid::SetMemoryCacheMaxCacheCount(int count) {
    FProducer.Ring().SetCapacity(count);
    Rebuild(true);
}

void TlbxThumbGrid::SetDiskCacheMaxCacheCount(int count) {
    FProducer.DiskIndex().SetLimit(count);
}

void TlbxThumbGrid::SetDiskCacheDirectory(const QString& folder) {
    FProducer.DiskIndex().SetFolder(folder);
    FProducer.Dimensions().SetCacheDirectory(folder);
}

void TlbxThumbGrid::SetAttachedListbox(TFileListModel* list) {
    disconnect(FReset);
    disconnect(FInserted);
    FMouse.reset();
    FAccess.reset();
    FList = list;
    ++FGeneration;
    if (list) {
        FAccess = std::make_unique<TListAccess>(*list);
        FMouse = std::make_unique<TThumbMouseModel>(*FAccess);
        FMouse->SetMultipleSelect(FMultipleSelect);
        FReset = connect(list, &QAbstractItemModel::modelReset, this, [this] {
            ++FGeneration;
            Rebuild(true);
        });
        FInserted =
            connect(list, &QAbstractItemModel::rowsInserted, this, [this] { Rebuild(true); });
        // Once per list: the window attaches its two lists in turn, again and again.
        if (!FListened.contains(list)) {
            FListened << list;
            list->Listen(this, [this, list](TListChange) {
                if (FList == list) viewport()->update();
            });
        }
    }
    Rebuild(true);
}

void TlbxThumbGrid::Rebuild(bool repaint, bool scrollToCurrent) {
    FRebuilding = true;
    const int items = FList ? FList->Count() : 0;
    FShape = GridShape(items, size(), Cell());
    const int cellHeight = std::max(1, Cell().height());
    const int content = ((items + FShape.Columns - 1) / FShape.Columns) * cellHeight;
    verticalScrollBar()->setRange(0, std::max(0, content - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(cellHeight);
    // Twice the visible cells, or cells pushed out before they are painted ask again for ever.
    if (FProducer.Ring().Capacity() > 0)
        FProducer.Ring().EnsureCapacity(2 * FShape.Columns * (visibleRows() + 1));
    FRebuilding = false;
    if (items == 0) verticalScrollBar()->setValue(0);
    if (scrollToCurrent && FList) scrollIntoView(FList->CurrentIndex());
    if (repaint) viewport()->update();
}

void TlbxThumbGrid::EndUpdate(bool repaint, bool onlyIfSuppressed) {
    FBlockDrawing = std::max(FBlockDrawing - 1, 0);
    if (FBlockDrawing > 0 || !repaint) return;
    if (!onlyIfSuppressed || FSuppressed) viewport()->update();
    FSuppressed = false;
}

void TlbxThumbGrid::SelectAll() {
    if (!FList || FList->Count() == 0) return;
    std::vector<int> all(static_cast<size_t>(FList->Count()));
    for (int i = 0; i < FList->Count(); ++i) all[static_cast<size_t>(i)] = i;
    FList->SelectOnly(all);
    FList->SetCurrentIndex(-1);
    viewport()->update();
}

void TlbxThumbGrid::MoveTo(int index) {
    if (!FList || index < 0 || index >= FList->Count()) return;
    FList->SelectOnly({index});
    FList->SetCurrentIndex(index);
    scrollIntoView(index);
    viewport()->update();
}

void TlbxThumbGrid::Invalidate(const QString& path, TCacheKind kind) {
    FProducer.Invalidate(path, kind);
    viewport()->update();
}

void TlbxThumbGrid::ScrollToRow(int row) {
    verticalScrollBar()->setValue(row * Cell().height());
}

void TlbxThumbGrid::scrollIntoView(int index) {
    if (index < 0) return;
    const int top = (index / FShape.Columns) * Cell().height();
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value())
        bar->setValue(top);
    else if (top + Cell().height() > bar->value() + viewport()->height())
        bar->setValue(top + Cell().height() - viewport()->height());
}

int TlbxThumbGrid::firstVisibleRow() const {
    return verticalScrollBar()->value() / std::max(1, Cell().height());
}

int TlbxThumbGrid::visibleRows() const {
    return viewport()->height() / std::max(1, Cell().height()) + 1;
}

QRect TlbxThumbGrid::CellRect(int index) const {
    const QSize cell = Cell();
    const int column = index % FShape.Columns, row = index / FShape.Columns;
    return {column * cell.width(), row * cell.height() - verticalScrollBar()->value(), cell.width(),
            cell.height()};
}

int TlbxThumbGrid::ItemAt(QPoint point) const {
    const QSize cell = Cell();
    if (!FList || point.x() < 0 || point.y() < 0 || cell.isEmpty()) return -1;
    const int column = point.x() / cell.width();
    const int row = (point.y() + verticalScrollBar()->value()) / cell.height();
    const int index = column + row * FShape.Columns;
    return column < FShape.Columns && index < FList->Count() ? index : -1;
}

void TlbxThumbGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Rebuild(true);
}

void TlbxThumbGrid::scrollContentsBy(int, int dy) {
    if (dy != 0) FScrollDirection = dy < 0 ? 1 : -1;
    viewport()->update();
}

void TlbxThumbGrid::paintEvent(QPaintEvent* event) {
    if (FBlockDrawing > 0) {
        FSuppressed = true;
        return;
    }
    QPainter painter(viewport());
    painter.fillRect(event->rect(), FColours.Grid);
    if (!FList || FRebuilding) return;
    const QSize cell = Cell();
    const int first = (event->rect().top() + verticalScrollBar()->value()) / cell.height();
    const int last = (event->rect().bottom() + verticalScrollBar()->value()) / cell.height();
    for (int row = first; row <= last; ++row)
        for (int column = 0; column < FShape.Columns; ++column) {
            const int index = column + row * FShape.Columns;
            if (index >= FList->Count()) break;
            paintCell(painter, index, CellRect(index));
        }
    requestVisible();
}

void TlbxThumbGrid::requestVisible() {
    if (FCell.Type == tdtFilename || !FList) return;
    const int perScreen = FShape.Columns * visibleRows();
    const int first = firstVisibleRow() * FShape.Columns;
    QStringList paths;
    const auto add = [&](int from, int to) {
        for (int i = std::max(from, 0); i < std::min(to, FList->Count()); ++i)
            paths << FList->PathAt(i);
    };
    add(first, first + perScreen);
    // A screenful ahead in the direction of the last scroll.
    if (FScrollDirection > 0)
        add(first + perScreen, first + 2 * perScreen);
    else
        for (int i = first - 1; i >= std::max(first - perScreen, 0); --i) paths << FList->PathAt(i);
    FProducer.Request(paths, FGeneration);
}

void TlbxThumbGrid::paintCell(QPainter& painter, int index, const QRect& cell) {
    const int p = CellMargin(FCell);
    const QRect inner = cell.adjusted(p, p, -p, -p);
    const bool current = FList->CurrentIndex() == index;
    const bool selected = FList->IsSelected(index);
    painter.fillRect(cell, FColours.Grid);
    paintFrames(painter, inner, selected, current);
    const QString path = FList->PathAt(index);
    painter.setPen(selected ? FColours.HighlightText : FColours.WindowText);
    paintCaption(painter, inner, path);
    if (FCell.Type != tdtFilename) paintThumb(painter, inner, path);
}

void TlbxThumbGrid::paintFrames(QPainter& painter, const QRect& inner, bool selected,
                                bool current) {
    const bool large = FCell.Type == tdtLargeIcon;
    const bool buttons =
        FCell.Type == tdtIconInfo || (FCell.ThumbButtons && FCell.Type != tdtFilename);
    const auto resetCorners = [&](const QRect& r) {
        if (!large) return;
        painter.setPen(FColours.Grid);
        for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            painter.drawPoint(corner);
    };
    if (current && FHighlightCurrentCell) {
        const QRect outside = inner.adjusted(-1, -1, 1, 1);
        painter.setPen(FColours.DarkShadow);
        painter.drawRect(outside.adjusted(0, 0, -1, -1));
        resetCorners(outside);
    }
    painter.fillRect(inner, selected ? (buttons ? FColours.ButtonShadow : FColours.Highlight)
                                     : (buttons ? FColours.ButtonFace : FColours.Grid));
    if ((!selected && !buttons) || current) return;
    painter.setPen(selected ? QColor(Qt::black) : QColor(239, 239, 239));
    painter.drawLine(inner.bottomLeft(), inner.topLeft());
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.setPen(selected ? QColor(222, 222, 222) : QColor(153, 153, 153));
    painter.drawLine(inner.topRight(), inner.bottomRight());
    painter.drawLine(inner.bottomRight(), inner.bottomLeft());
    resetCorners(inner);
}

QString TlbxThumbGrid::captionOf(const QString& path) const {
    const QFileInfo file(path);
    return FHideFileExtensions ? file.completeBaseName() : file.fileName();
}

QString TlbxThumbGrid::dimensionsOf(const QString& path) {
    if (OnGetDimensions) return OnGetDimensions(path);
    // Without a handler, only what the jobs found: the paint never reads a header.
    const std::optional<TFileStamp> stamp = RegularFileStamp(path);
    if (!stamp) return {};
    return FProducer.Dimensions().Lookup(path, stamp->MTime).value_or(QString());
}

void TlbxThumbGrid::paintCaption(QPainter& painter, const QRect& inner, const QString& path) {
    const int t = FMetric.TextHeight;
    const int limit = CaptionWidthLimit(FCell);
    const auto text = [&](const QString& s) { return ShortenCaption(s, limit, FMetric.Width); };
    const auto draw = [&](int x, int y, const QString& s) {
        painter.drawText(QRect(x, y, FMetric.Width(s) + 1, t), Qt::AlignLeft | Qt::AlignTop, s);
    };
    const int right = inner.left() + inner.width() - 3;
    const auto rightAligned = [&](int y, const QString& s) {
        draw(std::max(right - FMetric.Width(s), inner.left() + 3), y, s);
    };
    switch (FCell.Type) {
    case tdtLargeIcon: {
        const QString s = text(captionOf(path));
        const int x = inner.left() + (inner.width() - FMetric.Width(s)) / 2;
        draw(std::max(x, inner.left() + 3), inner.top() + inner.height() - t - 3, s);
        break;
    }
    case tdtIconInfo: {
        const std::optional<TFileStamp> stamp = RegularFileStamp(path);
        rightAligned(inner.top() + 3, text(captionOf(path)));
        rightAligned(inner.top() + t + 6, text(dimensionsOf(path)));
        rightAligned(inner.top() + 2 * t + 9, stamp ? FileSizeText(stamp->Size) : QString());
        break;
    }
    case tdtFilename:
        draw(inner.left() + 2, inner.top() + 2, text(captionOf(path)));
        break;
    case tdtSmallIcon:
        break;
    }
}

void TlbxThumbGrid::paintThumb(QPainter& painter, const QRect& inner, const QString& path) {
    const bool large = FCell.Type == tdtLargeIcon;
    const QSize box = large ? QSize(FCell.ThumbnailWidth, FCell.ThumbnailHeight)
                            : QSize(FCell.ThumbnailWidth / 2, FCell.ThumbnailHeight / 2);
    const QPoint origin =
        large ? inner.topLeft() + QPoint(2, 2)
              : QPoint(inner.left() + 3, inner.top() + (inner.height() - box.height()) / 2);
    const std::optional<TRingThumb> thumb = FProducer.Thumb(path);
    if (!thumb || thumb->Thumb.isNull()) return; // an empty box until the job answers
    const QSize fitted = FitIntoBox(thumb->Thumb.size(), box);
    const QRect target(
        origin + QPoint(FitOffset(fitted, box).width(), FitOffset(fitted, box).height()), fitted);
    painter.drawImage(target, thumb->Thumb);
    if (thumb->Failed) return;
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    for (int k = 1; k <= 2; ++k) {
        const int below = target.bottom() + k, beside = target.right() + k;
        painter.drawLine(target.left() + 2, below, beside, below);
        painter.drawLine(beside, target.top() + 2, beside, below);
    }
}

namespace {
TThumbButton buttonOf(const QMouseEvent& event) {
    switch (event.button()) {
    case Qt::RightButton:
        return TThumbButton::Right;
    case Qt::MiddleButton:
        return TThumbButton::Middle;
    default:
        return TThumbButton::Left;
    }
}

TThumbModifiers keysOf(const QMouseEvent& event) {
    TThumbModifiers keys;
    if (event.modifiers() & Qt::ShiftModifier) keys |= TThumbModifier::Shift;
    if (event.modifiers() & Qt::ControlModifier) keys |= TThumbModifier::Ctrl;
    return keys;
}
} // namespace

void TlbxThumbGrid::mousePressEvent(QMouseEvent* event) {
    if (!FMouse) return;
    const int index = ItemAt(event->position().toPoint());
    if (!FMouse->Press(index, buttonOf(*event), keysOf(*event))) {
        if (OnNonCellClick) OnNonCellClick();
        return;
    }
    viewport()->update();
}

void TlbxThumbGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (!FMouse) return;
    const std::optional<int> item = FMouse->Release(buttonOf(*event), keysOf(*event));
    if (!item) return;
    scrollIntoView(*item);
    viewport()->update();
    if (OnItemMouseUp) OnItemMouseUp(event->button());
}

int NextThumbMode(int thumbMode) {
    return (thumbMode + 1) % 3;
}

void ApplyThumbMode(TlbxThumbGrid& grid, int thumbMode) {
    grid.BeginUpdate();
    grid.SetThumbDisplayType(DisplayTypeForThumbMode(thumbMode));
    grid.EndUpdate(true);
}
