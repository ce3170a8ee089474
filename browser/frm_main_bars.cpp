// The main window's menus, toolbars and status bar, built from the command table, and the
// toolbars' docking state.

#include "frm_main.h"

#include "main_commands.h"
#include "toolbar_state.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// The desktop theme's picture when it has one, ours otherwise.
QIcon Picture(const char* name) {
    const QString icon = QString::fromLatin1(name);
    return QIcon::fromTheme(icon, QIcon(":/icons/" + icon + ".svg"));
}

TDockSide SideOf(Qt::ToolBarArea area) {
    switch (area) {
    case Qt::BottomToolBarArea:
        return TDockSide::Bottom;
    case Qt::LeftToolBarArea:
        return TDockSide::Left;
    case Qt::RightToolBarArea:
        return TDockSide::Right;
    default:
        return TDockSide::Top;
    }
}

Qt::ToolBarArea AreaOf(TDockSide side) {
    switch (side) {
    case TDockSide::Bottom:
        return Qt::BottomToolBarArea;
    case TDockSide::Left:
        return Qt::LeftToolBarArea;
    case TDockSide::Right:
        return Qt::RightToolBarArea;
    default:
        return Qt::TopToolBarArea;
    }
}

bool Horizontal(TDockSide side) {
    return side == TDockSide::Top || side == TDockSide::Bottom;
}

std::vector<TToolbarDock> DefaultDocks() {
    std::vector<TToolbarDock> docks;
    for (const TToolbar& bar : MainToolbars())
        docks.push_back({bar.Name, bar.VisibleByDefault, TDockSide::Top, TDockSide::Top,
                         bar.DefaultRow, bar.DefaultPos, 0, 0});
    return docks;
}

QSize ToolbarIconSize(bool large) {
    return large ? QSize(32, 32) : QSize(20, 20);
}

} // namespace

void TfrmMain::CreateBars() {
    // The linker keeps the resources of a static library only when they are named.
    Q_INIT_RESOURCE(toolbar_icons);
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName("mnuMain");
    std::map<QString, QMenu*> menus;
    for (const TMenu& menu : MainMenus())
        menus[menu.Name] = menuBar->addMenu(QString::fromUtf8(menu.Caption));
    auto menuFor = [&](const QString& path) {
        if (!menus.contains(path)) {
            const qsizetype slash = path.lastIndexOf(u'/');
            menus[path] = menus.at(path.left(slash))->addMenu(path.mid(slash + 1));
        }
        return menus.at(path);
    };
    std::map<TCommandBar, QToolBar*> bars;
    for (const TToolbar& toolbar : MainToolbars()) {
        auto* bar = new QToolBar(toolbar.Name, this);
        bar->setObjectName(toolbar.Name);
        bar->setIconSize(ToolbarIconSize(FState.Settings.LargeToolbarImages));
        bars[toolbar.Commands] = bar;
    }
    bars.at(TCommandBar::None)->addWidget(menuBar);
    for (const TCommand& command : MainCommands()) {
        if (QString(command.Caption) == "-") {
            menuFor(command.Menu)->addSeparator();
            continue;
        }
        auto* action = new QAction(command.Caption, this);
        action->setObjectName(command.Name);
        action->setToolTip(command.Hint[0] ? command.Hint : command.Caption);
        action->setEnabled(command.Handler != nullptr);
        action->setVisible(!command.Hidden);
        action->setCheckable(command.Shows != nullptr);
        if (command.Picture) action->setIcon(Picture(command.Picture));
        if (command.Handler)
            connect(action, &QAction::triggered, this,
                    [this, &command] { (this->*command.Handler)(command); });
        // The keys work even while the menu bar is hidden.
        if (command.Shortcut) {
            action->setShortcut(QKeySequence(command.Shortcut));
            addAction(action);
        }
        if (command.Menu) menuFor(command.Menu)->addAction(action);
        if (command.Bar != TCommandBar::None) bars.at(command.Bar)->addAction(action);
        FActions.insert(command.Name, action);
    }
    // The sort button only opens a menu of the sorting commands (a menu of its own: an action
    // takes over the menu it is given).
    QAction* sort = FActions.value("btnsort");
    auto* sortMenu = new QMenu(this);
    sortMenu->addActions(menus.at("Thumbnails/File Sorting")->actions());
    sort->setMenu(sortMenu);
    // The ticks and the false-extension item follow the settings whenever a menu opens.
    for (QMenu* menu : {menus.at("Thumbnails"), sortMenu})
        connect(menu, &QMenu::aboutToShow, this, [this] { TickThumbnailsMenu(); });
    if (auto* button =
            qobject_cast<QToolButton*>(bars.at(TCommandBar::Main)->widgetForAction(sort)))
        button->setPopupMode(QToolButton::InstantPopup);
    ApplyToolbarDocks({});
    TickThumbnailsMenu();
}

void TfrmMain::CreateStatusBar() {
    FFileLabel = new QLabel(this);
    FFileLabel->setObjectName("lblFile");
    statusBar()->addWidget(FFileLabel, 1);
    auto* zoom = new QLabel("Zoom: 100%", this);
    zoom->setObjectName("lblZoom");
    statusBar()->addPermanentWidget(zoom);
    auto indicator = [this](const char* name) {
        auto* label = new QLabel(name, this);
        label->setObjectName(QString("lbl") + name);
        statusBar()->addPermanentWidget(label);
        return label;
    };
    FShrinkLabel = indicator("Shrink");
    FStretchLabel = indicator("Stretch");
    FFastLabel = indicator("Fast");
    FSelectLabel = new QLabel(this);
    FSelectLabel->setObjectName("lblSelect");
    statusBar()->addPermanentWidget(FSelectLabel);
}

void TfrmMain::mkExitClick(const TCommand&) {
    close();
}

void TfrmMain::mkResetSettingsClick(const TCommand&) {
    reseteverything();
}

void TfrmMain::mkGettingStartedClick(const TCommand&) {
    Post(TMainMessage::GettingStarted);
}

void TfrmMain::mkTipOfTheDayClick(const TCommand&) {
    showTipsOnStart();
}

void TfrmMain::ToggleBar(const TCommand& sender) {
    bool& shown = FState.Settings.*sender.Shows;
    shown = !shown;
    ApplyBars();
}

QToolBar* TfrmMain::Toolbar(const QString& name) const {
    return findChild<QToolBar*>(name, Qt::FindDirectChildrenOnly);
}

void TfrmMain::ApplyBars() {
    const TSettings& s = FState.Settings;
    // No slideshow runs yet: the slideshow toolbar stays hidden and the editing one may show.
    for (const TToolbar& toolbar : MainToolbars()) {
        QToolBar* bar = Toolbar(toolbar.Name);
        bar->setVisible(toolbar.Shows && s.*toolbar.Shows);
        bar->setIconSize(ToolbarIconSize(s.LargeToolbarImages));
    }
    statusBar()->setVisible(s.StatusViz);
    for (const TCommand& command : MainCommands())
        if (command.Shows) FActions.value(command.Name)->setChecked(s.*command.Shows);
}

QMenu* TfrmMain::createPopupMenu() {
    auto* menu = new QMenu(this);
    for (const TCommand& command : MainCommands())
        if (command.Shows) menu->addAction(FActions.value(command.Name));
    return menu;
}

void TfrmMain::ApplyToolbarDocks(const std::vector<TToolbarDock>& docks) {
    std::vector<TToolbarDock> all = DefaultDocks();
    for (TToolbarDock& dock : all)
        for (const TToolbarDock& stored : docks)
            if (stored.Name == dock.Name) dock = stored;
    // Qt cannot float a toolbar by itself: a floating one docks where it last was.
    for (TToolbarDock& dock : all)
        if (dock.DockedTo == TDockSide::Floating) dock.DockedTo = dock.LastDock;
    std::stable_sort(all.begin(), all.end(), [](const TToolbarDock& a, const TToolbarDock& b) {
        return std::tie(a.DockedTo, a.DockRow, a.DockPos) <
               std::tie(b.DockedTo, b.DockRow, b.DockPos);
    });
    for (const TToolbarDock& dock : all) removeToolBar(Toolbar(dock.Name));
    for (size_t i = 0; i < all.size(); ++i) {
        const TToolbarDock& dock = all[i];
        const bool newLine =
            i > 0 && all[i - 1].DockedTo == dock.DockedTo && all[i - 1].DockRow != dock.DockRow;
        if (newLine) addToolBarBreak(AreaOf(dock.DockedTo));
        QToolBar* bar = Toolbar(dock.Name);
        addToolBar(AreaOf(dock.DockedTo), bar);
        bar->setVisible(dock.Visible);
    }
}

std::vector<TToolbarDock> TfrmMain::ToolbarDocks() const {
    std::vector<TToolbarDock> docks;
    for (const QString& name : ToolbarNames()) {
        const QToolBar* bar = Toolbar(name);
        TToolbarDock dock;
        dock.Name = name;
        dock.Visible = !bar->isHidden();
        dock.LastDock = SideOf(toolBarArea(bar));
        dock.DockedTo = bar->isFloating() ? TDockSide::Floating : dock.LastDock;
        dock.DockPos = Horizontal(dock.LastDock) ? bar->x() : bar->y();
        if (bar->isFloating()) {
            dock.FloatLeft = bar->x();
            dock.FloatTop = bar->y();
        }
        docks.push_back(dock);
    }
    // A line is a distinct offset across the side; lines are numbered in the order of it.
    for (TToolbarDock& dock : docks) {
        const QToolBar* bar = Toolbar(dock.Name);
        const int across = Horizontal(dock.LastDock) ? bar->y() : bar->x();
        std::vector<int> lines;
        for (const TToolbarDock& other : docks) {
            const QToolBar* otherBar = Toolbar(other.Name);
            if (other.LastDock != dock.LastDock || otherBar->isHidden()) continue;
            lines.push_back(Horizontal(other.LastDock) ? otherBar->y() : otherBar->x());
        }
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        dock.DockRow =
            static_cast<int>(std::lower_bound(lines.begin(), lines.end(), across) - lines.begin());
    }
    return docks;
}
