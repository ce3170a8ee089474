#include "frm_main.h"

#include "companion_windows.h"
#include "direct_show.h"
#include "folder_reader.h"
#include "folder_tree_model.h"
#include "idle_dispatch.h"
#include "pg_image.h"
#include "pg_qt_view.h"
#include "prompter.h"
#include "settings_store.h"
#include "setup.h"
#include "shutdown.h"
#include "thumb_grid.h"
#include "thumb_shared.h"
#include "tips.h"
#include "warning_box.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPalette>
#include <QProcess>
#include <QProxyStyle>
#include <QRandomGenerator>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QWidget* Area(const char* name, QWidget* parent) {
    auto* area = new QWidget(parent);
    area->setObjectName(name);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    return area;
}

// Drawing stays locked and the hourglass shows while the panels are re-arranged.
class TRearrangeScope {
public:
    explicit TRearrangeScope(QWidget& window) : FWindow(window) {
        FWindow.setUpdatesEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TRearrangeScope() {
        QApplication::restoreOverrideCursor();
        FWindow.setUpdatesEnabled(true);
    }
    TRearrangeScope(const TRearrangeScope&) = delete;
    TRearrangeScope& operator=(const TRearrangeScope&) = delete;

private:
    QWidget& FWindow;
};

// The program's hint timing: a hint shows 750 ms after the pointer comes to rest and stays 7.5 s.
class THintStyle : public QProxyStyle {
public:
    using QProxyStyle::polish;
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 750;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
    // Every widget is polished by the application's style when it is first shown.
    void polish(QWidget* widget) override {
        QProxyStyle::polish(widget);
        if (widget->toolTipDuration() < 0) widget->setToolTipDuration(7500);
    }
};

// Once per program, over the style in use.
void InstallHintTiming() {
    QStyle* current = QApplication::style();
    if (dynamic_cast<THintStyle*>(current)) return;
    QApplication::setStyle(new THintStyle(QStyleFactory::create(current->name())));
}

// A stored colour as drawn: a system colour (high byte 0x80) takes the matching colour of the
// desktop's palette; any other high byte is dropped.
QColor DisplayColour(uint32_t colour) {
    if (colour >> 24 != 0x80) return QColor::fromRgb(PGToQRgb(colour & 0xFFFFFF));
    struct TSystemColour {
        uint32_t Number;
        QPalette::ColorRole Role;
    };
    static constexpr TSystemColour SystemColours[] = {{4, QPalette::Window},
                                                      {5, QPalette::Base},
                                                      {7, QPalette::WindowText},
                                                      {8, QPalette::Text},
                                                      {12, QPalette::Dark},
                                                      {13, QPalette::Highlight},
                                                      {14, QPalette::HighlightedText},
                                                      {15, QPalette::Button},
                                                      {16, QPalette::Dark},
                                                      {18, QPalette::ButtonText},
                                                      {20, QPalette::Light},
                                                      {21, QPalette::Shadow},
                                                      {22, QPalette::Midlight},
                                                      {23, QPalette::ToolTipText},
                                                      {24, QPalette::ToolTipBase}};
    QPalette::ColorRole role = QPalette::Window;
    for (const TSystemColour& system : SystemColours)
        if (system.Number == (colour & 0xFF)) role = system.Role;
    return QApplication::palette().color(role);
}

} // namespace

QEvent::Type TMainMessageEvent::EventType() {
    static const Type type = static_cast<Type>(registerEventType());
    return type;
}

TfrmMain::TfrmMain(TMainWindowContext context)
    : FRegistry(context.Registry), FPrompter(context.Prompter), FCompanions(context.Companions),
      FArguments(context.Arguments), FFolders(context.Folders), FExecutable(context.Executable),
      FScreen(context.Screen) {
    FListing = std::make_unique<TFolderListing>(FFolderList);
    setObjectName("frmMain");
    setWindowTitle("Glimmet");
    FState.Settings = DefaultSettings(FScreen);
    FState.Settings.LargeToolbarImages = ReadLargeToolbarImages(FRegistry, FScreen);
    // Reader warnings ask the user through this window's prompter while the window lives.
    SetPGWarningBox(PrompterWarningBox(FPrompter));
    CreatePanels();
    CreateBars();
    CreateStatusBar();
    ConnectCommands();
    SetGMXLayout(FState.Settings.GMXLayout, false);
    resize(FState.Settings.WPWidth, FState.Settings.WPHeight);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] { RunIdle(); });
}

TfrmMain::~TfrmMain() {
    FListing.reset(); // its jobs stop before the lists they fill go
    SetPGWarningBox(nullptr);
    HideSplash();
}

void TfrmMain::CreatePanels() {
    FOuter = new QSplitter(this);
    FOuter->setObjectName("splMain");
    FOuter->setChildrenCollapsible(false);
    FLeft = new QSplitter(FOuter);
    FLeft->setObjectName("pnlLeft");
    FLeft->setChildrenCollapsible(false);
    FModes = new QTabWidget(FLeft);
    FModes->setObjectName("pgcModes");
    auto* treePage = new QWidget(FModes);
    treePage->setObjectName("tsFolders");
    FTree = new QTreeView(treePage);
    FTree->setObjectName("directorylist");
    FTreeModel = new TFolderTreeModel(StandardRoots(), FTree);
    FTree->setModel(FTreeModel);
    FTree->header()->hide();
    FTree->setContextMenuPolicy(Qt::CustomContextMenu);
    CreateTreeButtons(treePage);
    FModes->addTab(treePage, "Folders");
    FBookmarks = new QListWidget(FModes);
    FBookmarks->setObjectName("lbxBookmarks");
    FModes->addTab(FBookmarks, "Favorites");
    FGridArea = Area("pnlFileGrid", FLeft);
    FLeft->addWidget(FModes);
    FLeft->addWidget(FGridArea);
    FLeft->setStretchFactor(1, 1);
    FImageArea = Area("pnlImage", FOuter);
    FOuter->addWidget(FLeft);
    FOuter->addWidget(FImageArea);
    FOuter->setStretchFactor(1, 1);
    FFileBox = new TlbxThumbGrid(FGridArea);
    FFileBox->setObjectName("FileBox");
    FFileBox->SetSharedThumbnailFolder(SharedThumbRoot());
    FImage = new TPGImage(FImageArea);
    FImage->setObjectName("PGImage");
    FImage->SetCenter(true);
    setCentralWidget(FOuter);
}

void TfrmMain::ConnectCommands() {
    connect(FModes, &QTabWidget::currentChanged, this, [this](int index) {
        pgcModesChange(index == 1 ? BrowseFavorites : BrowseFolders, true, false);
    });
    ConnectLists();
    connect(FBookmarks, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        try {
            LoadBookmarkFile(item->data(Qt::UserRole).toString());
            FCurrentBookmark = item->text();
            RefreshFileList();
        } catch (const std::exception&) {
            FPrompter.Message(TPromptKind::Error, DisplayMessages::Processing);
        }
    });
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FState.FirstShow) return;
    FState.FirstShow = false;
    // After the window has been painted once, as the splash has.
    QTimer::singleShot(0, this, [this] { RunSetup(); });
}

void TfrmMain::RunSetup() {
    if (!isVisible()) return; // closed before set-up could run
    const TSetupContext context{ClassifyCommandLine(FArguments), FFolders, FExecutable, FScreen};
    FInSetup = true;
    ::Setup(FState, FRegistry, *this, FPrompter, context);
    FInSetup = false;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    FIdleInstalled = false; // a closed window dispatches nothing more
    FormClose(FState, FRegistry, *this, FPrompter, {FFolders, FExecutable});
    QApplication::restoreOverrideCursor();
    event->accept();
}

void TfrmMain::RunIdle() {
    // Modal windows do not stop it: the picture behind Getting Started is shown all the same.
    // What must wait for them waits on its own (directshow).
    if (!FIdleInstalled || FInIdle || FInSetup) return;
    FInIdle = true;
    doidle(FState, *this, FPrompter);
    FInIdle = false;
}

void TfrmMain::customEvent(QEvent* event) {
    if (event->type() != TMainMessageEvent::EventType()) return QMainWindow::customEvent(event);
    switch (static_cast<TMainMessageEvent*>(event)->Message) {
    case TMainMessage::CameraSource:
        // The acquisition wizard that takes the source over is not part of the program yet.
        TakeCameraSource(FState);
        break;
    case TMainMessage::GettingStarted:
        FState.Settings.GetStarted =
            FCompanions.ShowGettingStarted(this, FState.Settings.GetStarted);
        break;
    case TMainMessage::TipOfTheDay:
        showTipsOnStart();
        break;
    case TMainMessage::NewImageWindow:
        // Posted only at the request of the image windows, which come with their own commands.
        break;
    }
}

void TfrmMain::InstanceStarted(const QStringList& arguments) {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    HandOver(arguments, FState, FPrompter);
}

void TfrmMain::showTipsOnStart() {
    const std::optional<TTipsFile> tips = TTipsFile::Load(FFolders.Resources + "gmtips.ini");
    if (!tips) {
        FPrompter.Message(TPromptKind::Warning,
                          "Glimmet cannot locate the 'Tip of the Day' file, gmtips.ini in your "
                          "Glimmet program folder");
        FState.Settings.TipsOnStart = false;
        return;
    }
    TTipCursor cursor(tips->Count(), FState.PreviousTipCount,
                      [](int bound) { return QRandomGenerator::global()->bounded(bound); });
    FState.PreviousTipCount = cursor.Count();
    FState.Settings.TipsOnStart =
        FCompanions.ShowTipOfTheDay(this, *tips, cursor, FState.Settings.TipsOnStart);
}

void TfrmMain::SetGMXLayout(int layout, bool resetSizes) {
    if (layout == FLayout) return;
    const TRearrangeScope scope(*this);
    ArrangeLayout(layout);
    FLayout = layout;
    FState.Settings.GMXLayout = layout;
    if (resetSizes)
        ApplyPanelSizes(
            ResetLayoutSizes(FState.Settings, layout, FState.BrowseMode, FScreen, size()));
    RepaintGrid();
}

void TfrmMain::ArrangeLayout(int layout) {
    const TLayoutArrangement arrangement = LayoutArrangement(layout);
    FOuter->setOrientation(arrangement.LeftAboveImage ? Qt::Vertical : Qt::Horizontal);
    FLeft->setOrientation(arrangement.ModeBesideGrid ? Qt::Horizontal : Qt::Vertical);
    QWidget* inGrid = arrangement.ImageAndGridSwapped ? static_cast<QWidget*>(FImage) : FFileBox;
    QWidget* inImage = arrangement.ImageAndGridSwapped ? static_cast<QWidget*>(FFileBox) : FImage;
    for (QWidget* widget : {static_cast<QWidget*>(FImage), static_cast<QWidget*>(FFileBox)}) {
        FGridArea->layout()->removeWidget(widget);
        FImageArea->layout()->removeWidget(widget);
    }
    FGridArea->layout()->addWidget(inGrid);
    FImageArea->layout()->addWidget(inImage);
}

void TfrmMain::ApplyPanelSizes(const TPanelSizes& sizes) {
    layout()->activate();
    auto apply = [](QSplitter* splitter, int first) {
        const int total =
            splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        splitter->setSizes({first, std::max(total - first - splitter->handleWidth(), 1)});
    };
    apply(FOuter, sizes.LeftPanel);
    apply(FLeft, sizes.ModePanel);
}

void TfrmMain::SetModePanelSize(int size) {
    if (size <= 0) return;
    const int total = FLeft->height();
    FLeft->setSizes({size, std::max(total - size - FLeft->handleWidth(), 1)});
}

void TfrmMain::reseteverything() {
    FState.Options.ResetLeadingPositions();
    TSettings& s = FState.Settings;
    s.MenuViz = s.ToolbarViz = s.SlideshowViz = s.StatusViz = true;
    s.EditingViz = false;
    ApplyBars();
    resize(ResetWindowSize(size()));
    layout()->activate();
    const TResetSizes sizes =
        ResetEverythingSizes(s, FLayout, FState.BrowseMode, FScreen, size(), FLeft->width());
    ApplyPanelSizes({sizes.LeftPanel, sizes.ModePanel.value_or(FLeft->sizes().value(0))});
    pgcModesChange(FState.BrowseMode, false, false);
}

void TfrmMain::PrepareWindow() {
    FIdleInstalled = true;
    InstallHintTiming();
}

void TfrmMain::ApplyBackground(uint32_t colour) {
    FImage->SetColor(DisplayColour(colour));
}

void TfrmMain::SetExternalPrintCaption(const QString& caption) {
    FActions.value("mkExternalPrint")->setText(caption);
}

void TfrmMain::RestoreWindow(const TWindowPlacement& placement) {
    move(placement.Geometry.topLeft());
    resize(placement.Geometry.size());
    if (placement.Maximised) setWindowState(windowState() | Qt::WindowMaximized);
}

QSize TfrmMain::ClientSize() const {
    const_cast<TfrmMain*>(this)->layout()->activate();
    return FOuter->size();
}

void TfrmMain::HideSplash() {
    if (FSplash) FSplash->close();
}

QString TfrmMain::AskPassword() {
    return FCompanions.AskPassword(this);
}

// A program is started, any other file opened with the desktop's choice for it.
bool TfrmMain::LaunchProgram(const QString& path) {
    if (QFileInfo(path).isExecutable()) return QProcess::startDetached(path, {});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool TfrmMain::ModalWindowOpen() const {
    return QApplication::activeModalWidget() != nullptr;
}

void TfrmMain::Post(TMainMessage message) {
    QCoreApplication::postEvent(this, new TMainMessageEvent(message));
}

void TfrmMain::StopActivity() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWindowPlacement TfrmMain::WindowPlacement() const {
    return {QRect(pos(), size()), isMaximized()};
}

TPanelGeometry TfrmMain::PanelGeometry() const {
    return {FLeft->size(), FModes->size()};
}

bool TfrmMain::BookmarkSelected() const {
    return FBookmarks->currentItem() && FBookmarks->currentItem()->isSelected();
}

std::optional<QString> TfrmMain::FixPath(const QString& path, bool trailingSeparator) const {
    std::optional<QString> fixed = fixpath(path, trailingSeparator, FFolders.Program);
    if (!fixed) FPrompter.Message(TPromptKind::Error, "Dir Error");
    return fixed;
}

void TfrmMain::writereg() {
    ::writereg(FState, FRegistry, *this, FPrompter, {FFolders, FExecutable});
}

bool TfrmMain::showwarning(const QString& heading, const QString& text, bool offer) {
    return FPrompter.ShowHint({heading, text, offer});
}

void TfrmMain::directshow(const QString& path) {
    ::directshow(path, FState, *this, FPrompter);
}

void TfrmMain::resetregistry(bool keepMainKey) {
    ::resetregistry(FRegistry, keepMainKey);
    if (keepMainKey) FState.HintsReset = true;
}
