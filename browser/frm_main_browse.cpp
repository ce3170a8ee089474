// The main window's folder tree, folder list, favorites list and image area: reading folders
// into the list, the mode switch, the status texts and the filter and sort commands.

#include "frm_main.h"

#include "file_masks.h"
#include "file_routines.h"
#include "folder_reader.h"
#include "folder_tree_model.h"
#include "list_files.h"
#include "main_commands.h"
#include "options_string.h"
#include "path_text.h"
#include "pg_image.h"
#include "prompter.h"
#include "thumb_grid.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

namespace {

const QString FoldersModeText = QStringLiteral(
    "This mode allows you to view images on your system by browsing through your folders.  "
    "Select a folder in the left pane to see a list of all the images it contains.");
const QString FavoritesModeText = QStringLiteral(
    "This mode displays images that you have added to favorites while in folders mode for "
    "later viewing.  To add an image to favorites select it and click \"File|Add To "
    "Favorites\"");

bool InMenu(const TCommand& command, const char* menu) {
    return command.Menu && QString(command.Menu) == menu;
}

} // namespace

void TfrmMain::SetTreeFolder(const QString& folder) {
    const QModelIndex index = FTreeModel->IndexOf(RemoveSlash(QDir::cleanPath(folder)));
    if (!index.isValid()) return;
    FTree->setCurrentIndex(index);
    FTree->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QString TfrmMain::TreeFolder() const {
    const QModelIndex index = FTree->currentIndex();
    return index.isValid() ? AddSlash(FTreeModel->PathOf(index)) : QString();
}

void TfrmMain::ConnectLists() {
    connect(FTree, &QTreeView::clicked, this, [this] { DirBoxClick(); });
    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { DirBoxChange(); });
    connect(FTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopDirPopup(at); });
    FTree->installEventFilter(this);
    FTree->viewport()->installEventFilter(this);
    for (TFileListModel* list : {&FFolderList, &FFavoritesList})
        list->Listen(this, [this, list](TListChange change) {
            if (list != &CurrentList()) return;
            if (change == TListChange::Current) setcurrfile(list->CurrentPath());
            ShowListInView();
            doselectstatus();
        });
    FListing->OnFinished = [this](bool listed) { ListingFinished(listed); };
    FWatcher = new QFileSystemWatcher(this);
    FWatchTimer = new QTimer(this);
    FWatchTimer->setSingleShot(true);
    FWatchTimer->setInterval(300);
    connect(FWatcher, &QFileSystemWatcher::directoryChanged, FWatchTimer,
            qOverload<>(&QTimer::start));
    connect(FWatchTimer, &QTimer::timeout, this, [this] { FolderChangedOnDisk(); });
    FListing->OnRefreshed = [this] {
        ShowListInView();
        FFileBox->verticalScrollBar()->setValue(FWatchScroll);
        doselectstatus();
        if (FListing->HasUnsettledFiles()) FWatchTimer->start();
    };
    // A click on a cell shows its file, unless it is the one shown.
    FFileBox->OnItemMouseUp = [this](Qt::MouseButton) {
        const TFileListModel& list = CurrentList();
        if (list.CurrentIndex() >= 0 && list.CurrentPath() != FShownFile)
            FState.PendingDisplay = true;
    };
    ShowListInView();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FTree && watched != FTree->viewport())
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyRelease:
        DirBoxKeyUp();
        break;
    case QEvent::MouseButtonPress:
        FTreePress = static_cast<QMouseEvent*>(event)->position().toPoint();
        FTreeDragPending = true;
        break;
    case QEvent::MouseButtonRelease:
        FTreeDragPending = false;
        break;
    case QEvent::MouseMove: {
        const QPoint moved = static_cast<QMouseEvent*>(event)->position().toPoint() - FTreePress;
        if (FTreeDragPending && (std::abs(moved.x()) >= 10 || std::abs(moved.y()) >= 10)) {
            FTreeDragPending = false;
            StartTreeDrag();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The grid shows the mode's list, which owns the selection and the current file.
void TfrmMain::ShowListInView() {
    TFileListModel& list = CurrentList();
    if (FFileBox->AttachedListbox() != &list) FFileBox->SetAttachedListbox(&list);
    FFileBox->Rebuild(true, true);
}

TFileListModel& TfrmMain::CurrentList() {
    return FState.BrowseMode == BrowseFolders ? FFolderList : FFavoritesList;
}

void TfrmMain::SetDirectory(const QString& path, bool reread, bool showFirst) {
    FState.FolderListRefresh = false;
    clearcurrfile();
    if (!path.isEmpty()) SetTreeFolder(path);
    FShowFirstWhenListed = showFirst;
    const TSettings& s = FState.Settings;
    const auto field = static_cast<TSortField>(s.iCurrentSortField);
    if (!reread) {
        FListing->Resort(field, s.bReverseSort);
        if (!FListing->Reading()) ListingFinished(true);
        return;
    }
    const QString folder = TreeFolder();
    if (folder.isEmpty()) {
        FListing->Clear();
        ListingFinished(true);
        return;
    }
    FListing->Read({folder, s.CurrentFilter, s.SupportFalseExt}, field, s.bReverseSort);
    // Rows show in the grid as they come.
    if (FState.BrowseMode == BrowseFolders) ShowListInView();
}

void TfrmMain::ListingFinished(bool listed) {
    if (!listed)
        FPrompter.Message(TPromptKind::Error, "An error was encountered changing to the folder, " +
                                                  TreeFolder() +
                                                  ".  It may no longer be available!");
    if (FState.BrowseMode == BrowseFolders) UpdateThumbGrid();
    if (!FSelectWhenListed.isEmpty()) {
        const QString file = std::exchange(FSelectWhenListed, QString());
        const int index = FFolderList.IndexOf(file);
        if (index >= 0) SetCurrentPosition(FFolderList, index);
        FState.CurrentFile = file;
        ShowImage();
        FState.PendingDisplay = false;
    } else if (FStoredPosition) {
        readposition();
    } else if (FShowFirstWhenListed && FFolderList.Count() > 0) {
        FState.PendingDisplay = true;
    }
    FShowFirstWhenListed = false;
    WatchListedFolder(listed && FState.BrowseMode == BrowseFolders ? TreeFolder() : QString());
    doselectstatus();
    RepaintGrid();
}

void TfrmMain::WatchListedFolder(const QString& folder) {
    FWatchTimer->stop();
    if (!FWatcher->directories().isEmpty()) FWatcher->removePaths(FWatcher->directories());
    if (!folder.isEmpty()) FWatcher->addPath(folder);
}

// 300 ms after the last change; not while a modal window is open or the list is being read.
void TfrmMain::FolderChangedOnDisk() {
    if (ModalWindowOpen() || FListing->Reading()) return FWatchTimer->start();
    FWatchScroll = FFileBox->verticalScrollBar()->value();
    FListing->Refresh();
}

void TfrmMain::directorylistChange() {
    FState.FolderListRefresh = false;
    SetDirectory({}, true, true);
    FLastListed = TreeFolder();
    doselectstatus();
}

void TfrmMain::DirBoxClick() {
    if (FTreeDragPending) return;
    if (TreeFolder() != FLastListed) FState.FolderListRefresh = true;
}

void TfrmMain::DirBoxKeyUp() {
    if (TreeFolder() != FLastListed) FState.FolderListRefresh = true;
}

void TfrmMain::DirBoxChange() {
    doselectstatus();
}

void TfrmMain::RefreshFileList() {
    if (FState.BrowseMode == BrowseFolders) return directorylistChange();
    UpdateThumbGrid();
    doselectstatus();
}

void TfrmMain::UpdateThumbGrid() {
    TFileListModel& list = CurrentList();
    ShowListInView();
    if (list.Count() > 0 && list.CurrentIndex() < 0) list.SetCurrentIndex(0);
    if (list.Count() > 0 && list.SelectedCount() == 0) list.SetSelected(0, true);
    setcurrfile(list.CurrentPath());
    RepaintGrid();
}

void TfrmMain::SelectModePage(int browseMode, bool handedOver) {
    const QSignalBlocker block(FModes);
    FModes->setCurrentIndex(browseMode == BrowseFavorites ? 1 : 0);
    pgcModesChange(browseMode, false, handedOver);
}

void TfrmMain::pgcModesChange(int browseMode, bool userChanged, bool handedOver) {
    // Saving an edited picture and the drop targets of the grid come with the editing and file
    // commands; nothing here has unsaved changes or takes drops yet.
    clearcurrfile();
    const bool panelAbove = !LayoutArrangement(FLayout).ModeBesideGrid;
    if (panelAbove && FState.SetupFinished && userChanged)
        (FState.BrowseMode == BrowseFavorites ? FState.Settings.Mode4Height
                                              : FState.Settings.Mode3Height) =
            FLeft->sizes().value(0);
    if (browseMode == BrowseFolders) {
        FState.BrowseMode = BrowseFolders;
        if (panelAbove) SetModePanelSize(ModePanelHeight(FState.Settings, browseMode));
        doselectstatus();
        updatedirectory(true);
    } else {
        if (panelAbove) SetModePanelSize(ModePanelHeight(FState.Settings, browseMode));
        FState.BrowseMode = BrowseFavorites;
        FListing->Clear(); // a folder read still running has nothing to show here
        WatchListedFolder({});
        FFavoritesList.ClearSelection();
    }
    FLeft->refresh();
    doselectstatus();
    RepaintGrid();
    // Only a page the user chose: a reset of the settings keeps the mode it had.
    if (!ModalWindowOpen() && FState.SetupFinished && userChanged && !handedOver)
        ShowModeHint(browseMode);
    if (FState.SetupFinished || browseMode == BrowseFavorites) UpdateThumbGrid();
}

void TfrmMain::ShowModeHint(int browseMode) {
    const bool folders = browseMode == BrowseFolders;
    bool& pending = folders ? FState.Warnings.WarningModeThree : FState.Warnings.WarningModeFour;
    if (pending)
        pending = showwarning(folders ? "Folders Mode" : "Favorites Mode",
                              folders ? FoldersModeText : FavoritesModeText, true);
}

bool TfrmMain::checkifhasitems(bool selected) const {
    return ::checkifhasitems(const_cast<TfrmMain*>(this)->CurrentList(), selected);
}

void TfrmMain::storeposition(bool bySelection) {
    FStoredPosition = ::storeposition(CurrentList(), bySelection);
}

void TfrmMain::readposition() {
    if (FStoredPosition) ::readposition(CurrentList(), *std::exchange(FStoredPosition, {}));
}

QString TfrmMain::GetModeHeading() const {
    return ::GetModeHeading(FState.BrowseMode, TreeFolder(), FCurrentBookmark);
}

QString TfrmMain::GetFolderDisplayName(const QString& path) const {
    return ::GetFolderDisplayName(path, ShellFolder("MY PICTURES"), ShellFolder("PERSONAL"));
}

void TfrmMain::setcurrfile(const QString& file) {
    FState.CurrentFile = file;
}

void TfrmMain::clearcurrfile() {
    FState.CurrentFile.clear();
    FFileLabel->clear();
    FFileLabel->setToolTip("No Image");
    doselectstatus();
}

void TfrmMain::doselectstatus() {
    const TFileListModel& list = CurrentList();
    TListStatus status;
    status.BrowseMode = FState.BrowseMode;
    status.CurrentIndex = list.CurrentIndex();
    status.SelectedCount = list.SelectedCount();
    status.Total = list.Count();
    status.ImageShown = !FState.CurrentFile.isEmpty() && FImage->PixelGraphic();
    status.TreePath = TreeFolder();
    status.ListName = FCurrentBookmark;
    ApplyStatus(::doselectstatus(status));
}

void TfrmMain::ApplyStatus(const TStatusTexts& texts) {
    FSelectLabel->setText(texts.SelectLabel);
    if (!texts.Caption.isEmpty()) {
        FFileLabel->clear();
        FFileLabel->setToolTip("No Image");
        setWindowTitle(texts.Caption);
    }
    const bool folders = FState.BrowseMode == BrowseFolders;
    for (const TCommand& command : MainCommands()) {
        QAction* action = FActions.value(command.Name);
        if (!action) continue;
        if (StatusGoverns(command.Name))
            action->setEnabled(command.Handler && texts.Enabled.contains(command.Name));
        if (InMenu(command, "Thumbnails/File Filter") || InMenu(command, "Thumbnails/File Sorting"))
            action->setEnabled(command.Handler && folders);
    }
    for (const char* modal : {"btnbookmark", "mkAddtoFavorites", "btnRemoveBookmark"})
        if (QAction* action = FActions.value(modal))
            action->setVisible(texts.Shown.contains(modal));
}

void TfrmMain::TickThumbnailsMenu() {
    const TSettings& s = FState.Settings;
    const QString ticked = TickedFilterCommand(s.CurrentFilter);
    for (const TFilterCommand& filter : FilterCommands()) {
        QAction* action = FActions.value(filter.Name);
        action->setCheckable(true);
        action->setChecked(ticked == filter.Name);
    }
    FActions.value("mkFilterFalse")->setVisible(s.SupportFalseExt);
    const char* sorts[] = {"mkSortName", "mkSortType", "mkSortSize", "mkSortDate"};
    for (int field = 0; field < 4; ++field) {
        QAction* action = FActions.value(sorts[field]);
        action->setCheckable(true);
        action->setChecked(s.iCurrentSortField == field);
    }
    FActions.value("mkSortDescending")->setCheckable(true);
    FActions.value("mkSortDescending")->setChecked(s.bReverseSort);
    const char* modes[] = {"pukFilenames", "pukSmallThumbs", "pukThumbnails"};
    for (int mode = 0; mode < 3; ++mode) {
        QAction* action = FActions.value(modes[mode]);
        action->setCheckable(true);
        action->setChecked(s.ThumbMode == mode);
    }
}

void TfrmMain::mkeffalseClick(const TCommand& sender) {
    FState.Settings.CurrentFilter = FilterOfCommand(sender.Name).value_or(QString());
    TickThumbnailsMenu();
    updatedirectory(true);
}

void TfrmMain::mkSortClick(const TCommand& sender) {
    TSettings& s = FState.Settings;
    const QString name = sender.Name;
    const QStringList fields{"mkSortName", "mkSortType", "mkSortSize", "mkSortDate"};
    if (name == "mkSortDescending")
        s.bReverseSort = !s.bReverseSort;
    else
        s.iCurrentSortField = static_cast<int>(fields.indexOf(name));
    TickThumbnailsMenu();
    SetDirectory({}, false, true);
}

void TfrmMain::popFileSortPopup(const TCommand&) {
    TickThumbnailsMenu();
    FActions.value("btnsort")->menu()->popup(QCursor::pos());
}

void TfrmMain::UpdateFitIndicators() {
    FShrinkLabel->setEnabled(FState.Options.Flag(TOptionField::Shrink));
    FStretchLabel->setEnabled(FState.Options.Flag(TOptionField::Stretch));
    FFastLabel->setEnabled(FState.Settings.Fast);
    ShowFitOfImage();
}

void TfrmMain::ShowFitOfImage() {
    const bool shrink = FState.Options.Flag(TOptionField::Shrink);
    const bool stretch = FState.Options.Flag(TOptionField::Stretch);
    FImage->SetStretch(shrink && stretch ? sAlwaysKAR
                       : shrink          ? sShrinkKAR
                       : stretch         ? sEnlargeKAR
                                         : sNeverKAR);
}

void TfrmMain::FillFavoritesLists(const QString& currentBookmark) {
    FCurrentBookmark = currentBookmark.isEmpty() ? QStringLiteral("<default>") : currentBookmark;
    FBookmarks->clear();
    const QDir data(FFolders.whereisdata());
    // Without QDir::CaseSensitive the filter matches "Trip.FVT" too, as directshow does.
    for (const QFileInfo& list : data.entryInfoList({"*.fvt"}, QDir::Files, QDir::Name)) {
        auto* item = new QListWidgetItem(list.completeBaseName(), FBookmarks);
        item->setData(Qt::UserRole, list.absoluteFilePath());
        if (currentBookmark == item->text() && currentBookmark != "<default>") {
            FBookmarks->setCurrentItem(item);
            LoadBookmarkFile(list.absoluteFilePath());
        }
    }
}

void TfrmMain::ApplyThumbMode(int mode) {
    ApplyGridSettings();
    ::ApplyThumbMode(*FFileBox, mode);
}

// The settings the grid takes from the window, read again whenever the mode is applied.
void TfrmMain::ApplyGridSettings() {
    const TSettings& s = FState.Settings;
    FFileBox->BeginUpdate();
    FFileBox->SetErrorThumb(FState.GridMissingPicture);
    FFileBox->SetNonSupportedFormatThumb(FState.GridUnsupportedPicture);
    FFileBox->SetSupportedFormats(s.SupportFalseExt ? FileMasks::AllImagesWithFalseExtensions
                                                    : FileMasks::AllImages);
    // Changing the folder saves and reloads the index.
    if (QDir(FFileBox->DiskCacheDirectory()) != QDir(FState.CacheFolder))
        FFileBox->SetDiskCacheDirectory(FState.CacheFolder);
    FFileBox->SetDiskCacheMaxCacheCount(s.DiskCacheMaxCount);
    FFileBox->SetJPEGThumbnails(s.JPEGThumbnails);
    FFileBox->SetHideFileExtensions(s.HideFileExt);
    FFileBox->SetThumbButtons(s.ThumbnailButtons);
    // -1 keeps the grid's own sizes; it ignores what it does not accept.
    FFileBox->SetThumbnailWidth(s.ThumbnailWidth);
    FFileBox->SetThumbnailHeight(s.ThumbnailHeight);
    FFileBox->SetIconInfoColumnWidth(s.IconInfoColumnWidth);
    FFileBox->SetFilenameColumnWidth(s.FilenameColumnWidth);
    FFileBox->SetWriteSharedThumbnails(s.WriteSharedThumbnails);
    FFileBox->EndUpdate(false);
}

void TfrmMain::SetThumbModeFromCommand(const TCommand& sender) {
    const QString name = sender.Name;
    const int mode = name == "pukFilenames"     ? 0
                     : name == "pukSmallThumbs" ? 1
                     : name == "pukThumbnails"  ? 2
                                                : NextThumbMode(FState.Settings.ThumbMode);
    FState.Settings.ThumbMode = mode;
    TickThumbnailsMenu();
    ApplyThumbMode(mode);
}

void TfrmMain::RepaintGrid() {
    FFileBox->viewport()->update();
}

void TfrmMain::ShowImage() {
    const QString file = FState.CurrentFile;
    FShownFile = file;
    if (file.isEmpty()) {
        FImage->SetPixelGraphic(nullptr);
        FFileLabel->clear();
        setWindowTitle("Glimmet");
        return;
    }
    try {
        ShowFitOfImage();
        FImage->LoadFromFile(QFile::encodeName(file).toStdString());
        FFileLabel->setText(QFileInfo(file).fileName());
        setWindowTitle("Glimmet - " + QFileInfo(file).fileName());
    } catch (const std::exception& e) {
        FImage->SetPixelGraphic(nullptr);
        FPrompter.Message(TPromptKind::Error, QString::fromUtf8(e.what()));
    }
}

bool TfrmMain::IsSupportedImage(const QString& path) const {
    return PassesFilter(path, QString(), FState.Settings.SupportFalseExt);
}

// Once the folder's last batch has come when it is still being read.
void TfrmMain::SelectAndShowFile(const QString& path) {
    if (FListing->Reading()) {
        FSelectWhenListed = path;
        FShowFirstWhenListed = false;
        return;
    }
    const int index = CurrentList().IndexOf(path);
    if (index >= 0) SetCurrentPosition(CurrentList(), index);
    FState.CurrentFile = path;
    ShowImage();
    FState.PendingDisplay = false;
}

void TfrmMain::LoadBookmarkFile(const QString& path) {
    std::optional<QStringList> entries = ReadListFile(path);
    if (!entries) throw std::runtime_error("Cannot read the favorites list");
    FFavoritesList.SetPaths(*entries);
}
