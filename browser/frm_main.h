#pragma once
// TfrmMain: the main window. It maps its widgets to the start-up, layout, idle and shutdown
// logic beside it (setup.h, shutdown.h, idle_dispatch.h, direct_show.h, window_layout.h).

#include "descriptions.h"
#include "file_list_model.h"
#include "file_popup.h"
#include "folder_list.h"
#include "folders.h"
#include "frame_host.h"
#include "main_state.h"
#include "main_window_services.h"

#include <QEvent>
#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QFileSystemWatcher;
class QPushButton;
class QTimer;
class QSplitter;
class QTabWidget;
class QToolBar;
class QTreeView;
class TCompanionWindows;
class TFolderListing;
class TFolderTreeModel;
class TPGImage;
class TlbxThumbGrid;
class TPrompter;
class TRegistry;
struct TCommand;

struct TMainWindowContext {
    TRegistry& Registry;
    TPrompter& Prompter;
    TCompanionWindows& Companions;
    QStringList Arguments; // without the program name
    TFolders Folders;
    QString Executable;
    TScreenMetrics Screen;
};

// A window message the main window posts to itself.
class TMainMessageEvent : public QEvent {
public:
    static Type EventType();
    explicit TMainMessageEvent(TMainMessage message) : QEvent(EventType()), Message(message) {}
    TMainMessage Message;
};

class TfrmMain : public QMainWindow, public TFrameHost, public TMainWindowServices {
public:
    explicit TfrmMain(TMainWindowContext context);
    ~TfrmMain() override;

    // The handlers of the command table (main_commands.cpp).
    void mkExitClick(const TCommand& sender);
    void mkResetSettingsClick(const TCommand& sender);
    void mkGettingStartedClick(const TCommand& sender);
    void mkTipOfTheDayClick(const TCommand& sender);
    // The five bar commands: toggles the setting the sender shows.
    void ToggleBar(const TCommand& sender);
    // File Information and File Description (frm_main_files.cpp).
    void mkFileInfoClick(const TCommand& sender);
    void mkFileDescriptionClick(const TCommand& sender);
    // File Filter and File Sorting (frm_main_browse.cpp).
    void mkeffalseClick(const TCommand& sender);
    void mkSortClick(const TCommand& sender);
    // The file display button cycles the modes; the Thumbnails menu's items choose one.
    void SetThumbModeFromCommand(const TCommand& sender);
    void popFileSortPopup(const TCommand& sender);

    // The folder list (frm_main_browse.cpp).
    void SetDirectory(const QString& path, bool reread, bool showFirst);
    void updatedirectory(bool showFirst) { SetDirectory({}, true, showFirst); }
    void directorylistChange();
    void DirBoxClick();
    void DirBoxKeyUp();
    void DirBoxChange();
    void UpdateThumbGrid();
    void doselectstatus();
    // The mode's list: the folder list in Folders mode, else the favorites list.
    TFileListModel& CurrentList();
    TFileListModel& FolderList() { return FFolderList; }
    TFileListModel& FavoritesList() { return FFavoritesList; }
    bool checkifhasitems(bool selected) const;
    void storeposition(bool bySelection);
    void readposition();
    QString GetModeHeading() const;
    QString GetFolderDisplayName(const QString& path) const;
    QString getcurrfile() const { return FState.CurrentFile; }
    void setcurrfile(const QString& file);
    void clearcurrfile();

    // The tree's folder commands (frm_main_folders.cpp).
    void PopDirPopup(const QPoint& at);
    // Tests take the menu instead of it being shown.
    std::function<void(QMenu& menu)> OnDirPopup;
    void puCreateSubDirClick();
    void RenameDirectory1Click();
    void puDeleteDirClick();
    void Refresh1Click();

    const TMainState& State() const { return FState; }
    // Shown until set-up hides it; the window takes it over.
    void SetSplash(QWidget* splash) { FSplash = splash; }
    // The command line of a later start of the program.
    void InstanceStarted(const QStringList& arguments);

    void SetGMXLayout(int layout, bool resetSizes);
    void reseteverything();
    void showTipsOnStart();
    // The idle dispatcher, whenever the event queue runs empty outside set-up, modal windows
    // included.
    void RunIdle();

    // TMainWindowServices.
    TSettings& Settings() override { return FState.Settings; }
    TWarningFlags& Warnings() override { return FState.Warnings; }
    TPrompter& Prompter() override { return FPrompter; }
    QString GetFolder(TFolderKind kind) const override { return FFolders.GetFolder(kind); }
    std::optional<QString> FixPath(const QString& path, bool trailingSeparator) const override;
    void writereg() override;
    bool showwarning(const QString& heading, const QString& text, bool offer) override;
    void directshow(const QString& path) override;
    void resetregistry(bool keepMainKey) override;
    int SelectedCount() const override;
    void RunForSelection(const std::function<QString(const QString& file)>& progress,
                         const std::function<void(const QString& file)>& step) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void customEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    // TFrameHost.
    void PrepareWindow() override;
    void ApplyToolbarDocks(const std::vector<TToolbarDock>& docks) override;
    void ApplyLayout(int layout) override { SetGMXLayout(layout, false); }
    void ApplyBackground(uint32_t colour) override;
    void SetExternalPrintCaption(const QString& caption) override;
    void ApplyBars() override;
    void SetTreeFolder(const QString& folder) override;
    void RestoreWindow(const TWindowPlacement& placement) override;
    QSize ClientSize() const override;
    void ApplyPanelSizes(const TPanelSizes& sizes) override;
    void UpdateFitIndicators() override;
    void FillFavoritesLists(const QString& currentBookmark) override;
    void HideSplash() override;
    void SelectModePage(int browseMode, bool handedOver) override;
    QString AskPassword() override;
    bool LaunchProgram(const QString& path) override;
    void ApplyThumbMode(int mode) override;
    bool ModalWindowOpen() const override;
    QString TreeFolder() const override;
    void RefreshFileList() override;
    void RepaintGrid() override;
    void Post(TMainMessage message) override;
    void ShowImage() override;
    bool IsSupportedImage(const QString& path) const override;
    void SelectAndShowFile(const QString& path) override;
    void LoadBookmarkFile(const QString& path) override;
    void CloseProgram() override { close(); }
    void StopActivity() override;
    bool FullScreen() const override { return false; }
    TWindowPlacement WindowPlacement() const override;
    std::vector<TToolbarDock> ToolbarDocks() const override;
    TPanelGeometry PanelGeometry() const override;
    bool BookmarkSelected() const override;

    // Construction (frm_main_bars.cpp builds the menus, toolbars and status bar).
    void CreatePanels();
    void CreateBars();
    void CreateStatusBar();
    void ConnectCommands();
    QToolBar* Toolbar(const QString& name) const;
    void ArrangeLayout(int layout);
    void SetModePanelSize(int size);
    void pgcModesChange(int browseMode, bool userChanged, bool handedOver);
    void ShowModeHint(int browseMode);
    void ConnectLists();
    void ShowListInView();
    void ApplyGridSettings();
    void ListingFinished(bool listed);
    void ApplyStatus(const TStatusTexts& texts);
    void TickThumbnailsMenu();
    void CreateTreeButtons(QWidget* page);
    void LayoutTreeButtons();
    void StartTreeDrag();
    void WatchListedFolder(const QString& folder);
    void FolderChangedOnDisk();
    void RunSetup();
    void ShowFitOfImage();

    TRegistry& FRegistry;
    TPrompter& FPrompter;
    TCompanionWindows& FCompanions;
    const QStringList FArguments;
    const TFolders FFolders;
    const QString FExecutable;
    const TScreenMetrics FScreen;
    TMainState FState;
    int FLayout = 0;
    bool FIdleInstalled = false;
    bool FInIdle = false;
    bool FInSetup = false;
    QString FLastListed;
    QString FCurrentBookmark = QStringLiteral("<default>");
    // Waiting for the last batch of a read: the first image to show, a file to select.
    bool FShowFirstWhenListed = false;
    QString FSelectWhenListed;
    std::optional<int> FStoredPosition;
    QString FShownFile; // the last file ShowImage was asked for
    QPoint FTreePress;
    bool FTreeDragPending = false;
    TFileListModel FFolderList;
    TFileListModel FFavoritesList;
    std::unique_ptr<TFolderListing> FListing;
    // The listed folder follows what other programs do to it.
    QFileSystemWatcher* FWatcher = nullptr;
    QTimer* FWatchTimer = nullptr;
    int FWatchScroll = 0;
    QPointer<QWidget> FSplash;

    QSplitter* FOuter = nullptr; // left panel and image area
    QSplitter* FLeft = nullptr;  // mode panel and file grid area
    QTabWidget* FModes = nullptr;
    QWidget* FGridArea = nullptr;
    QWidget* FImageArea = nullptr;
    QTreeView* FTree = nullptr;
    TFolderTreeModel* FTreeModel = nullptr;
    QPushButton* FFavoriteFoldersButton = nullptr;
    QPushButton* FCreateFolderButton = nullptr;
    QListWidget* FBookmarks = nullptr;
    TlbxThumbGrid* FFileBox = nullptr;
    TPGImage* FImage = nullptr;
    QLabel* FFileLabel = nullptr;
    QLabel* FSelectLabel = nullptr;
    QLabel* FShrinkLabel = nullptr;
    QLabel* FStretchLabel = nullptr;
    QLabel* FFastLabel = nullptr;
    QHash<QString, QAction*> FActions;

    // The descriptions store, made on first use once set-up has fixed its path.
    TDescriptionStore& Descriptions();
    std::unique_ptr<TDescriptionStore> FDescriptions;
    bool FFocusDescription = false;
    TFilePopup FFilePopup{*this, [this] { return !FState.CurrentFile.isEmpty(); }};
};
