// The main window's menus, toolbars and status bar, built from the command table, and the
// toolbars' docking state.

#include "frm_main.h"

#include "main_commands.h"
#include "toolbar_state.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <map>
#include <tuple>

namespace {

QIcon GlyphIcon(const QString& glyph) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(62, 98, 150));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QFont font;
    font.setBold(true);
    font.setPixelSize(glyph.size() > 2 ? 11 : 15);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
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

// The menu bar on its own line, then the main toolbar, then the slideshow and editing toolbars
// sharing a line (they are never shown together).
std::vector<TToolbarDock> DefaultDocks() {
    const QStringList& names = ToolbarNames();
    return {{names[0], true, TDockSide::Top, TDockSide::Top, 0, 0, 0, 0},
            {names[1], true, TDockSide::Top, TDockSide::Top, 1, 0, 0, 0},
            {names[2], false, TDockSide::Top, TDockSide::Top, 2, 0, 0, 0},
            {names[3], false, TDockSide::Top, TDockSide::Top, 2, 1, 0, 0}};
}

QSize ToolbarIconSize(bool large) {
    return large ? QSize(32, 32) : QSize(20, 20);
}

// The commands the window carries out so far; the others stay disabled.
const QStringList Implemented = {
    "mkExit",      "mkMenu",          "mkmaintoolbar",    "mkSlideshowToolbar", "mkEditingToolbar",
    "mkStatusBar", "mkResetSettings", "mkGettingStarted", "mkTipOfTheDay"};

} // namespace

void TfrmMain::CreateBars() {
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName("mnuMain");
    std::map<QString, QMenu*> menus;
    for (const char* name : MainMenuNames())
        menus[name] = menuBar->addMenu(QString::fromUtf8(MainMenuCaption(name)));
    auto menuFor = [&](const QString& path) {
        if (!menus.contains(path)) {
            const qsizetype slash = path.lastIndexOf(u'/');
            menus[path] = menus.at(path.left(slash))->addMenu(path.mid(slash + 1));
        }
        return menus.at(path);
    };
    std::map<TCommandBar, QToolBar*> bars;
    const QStringList& names = ToolbarNames();
    const TCommandBar kinds[] = {TCommandBar::None, TCommandBar::Main, TCommandBar::Slideshow,
                                 TCommandBar::Editing};
    for (int i = 0; i < names.size(); ++i) {
        auto* bar = new QToolBar(names[i], this);
        bar->setObjectName(names[i]);
        bar->setIconSize(ToolbarIconSize(FState.Settings.LargeToolbarImages));
        bars[kinds[i]] = bar;
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
        action->setEnabled(Implemented.contains(command.Name));
        if (command.Glyph) action->setIcon(GlyphIcon(command.Glyph));
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
    if (auto* button =
            qobject_cast<QToolButton*>(bars.at(TCommandBar::Main)->widgetForAction(sort)))
        button->setPopupMode(QToolButton::InstantPopup);
    FActions.value("mkExternalPrint")->setVisible(false);
    FActions.value("mkWatchdirectory")->setVisible(false);
    ApplyToolbarDocks({});
}

void TfrmMain::CreateStatusBar() {
    FFileLabel = new QLabel(this);
    FFileLabel->setObjectName("lblFile");
    statusBar()->addWidget(FFileLabel, 1);
    auto* zoom = new QLabel("Zoom: 100%", this);
    zoom->setObjectName("lblZoom");
    statusBar()->addPermanentWidget(zoom);
    for (const char* name : {"Shrink", "Stretch", "Fast"}) {
        auto* indicator = new QLabel(name, this);
        indicator->setObjectName(QString("lbl") + name);
        statusBar()->addPermanentWidget(indicator);
        FFitIndicators << indicator;
    }
    FSelectLabel = new QLabel(this);
    FSelectLabel->setObjectName("lblSelect");
    statusBar()->addPermanentWidget(FSelectLabel);
}

void TfrmMain::ConnectActions() {
    connect(FActions.value("mkExit"), &QAction::triggered, this, [this] { close(); });
    connect(FActions.value("mkResetSettings"), &QAction::triggered, this,
            [this] { reseteverything(); });
    connect(FActions.value("mkTipOfTheDay"), &QAction::triggered, this,
            [this] { showTipsOnStart(); });
    connect(FActions.value("mkGettingStarted"), &QAction::triggered, this,
            [this] { Post(TMainMessage::GettingStarted); });
    const std::pair<const char*, bool TSettings::*> toggles[] = {
        {"mkMenu", &TSettings::MenuViz},
        {"mkmaintoolbar", &TSettings::ToolbarViz},
        {"mkSlideshowToolbar", &TSettings::SlideshowViz},
        {"mkEditingToolbar", &TSettings::EditingViz},
        {"mkStatusBar", &TSettings::StatusViz}};
    for (const auto& [name, visible] : toggles) {
        QAction* action = FActions.value(name);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, field = visible] { ToggleBar(field); });
    }
    // The keys work even while the menu bar is hidden.
    for (const auto& [name, key] :
         {std::pair{"mkMenu", "Ctrl+M"}, {"mkmaintoolbar", "Ctrl+T"}, {"mkStatusBar", "Ctrl+B"}}) {
        FActions.value(name)->setShortcut(QKeySequence(key));
        addAction(FActions.value(name));
    }
}

void TfrmMain::ToggleBar(bool TSettings::*visible) {
    FState.Settings.*visible = !(FState.Settings.*visible);
    ApplyBars();
}

QToolBar* TfrmMain::Toolbar(const QString& name) const {
    return findChild<QToolBar*>(name, Qt::FindDirectChildrenOnly);
}

void TfrmMain::ApplyBars() {
    const TSettings& s = FState.Settings;
    const QStringList& names = ToolbarNames();
    // No slideshow runs yet: the slideshow toolbar stays hidden and the editing one may show.
    const bool visible[] = {s.MenuViz, s.ToolbarViz, false, s.EditingViz};
    for (int i = 0; i < names.size(); ++i) {
        QToolBar* bar = Toolbar(names[i]);
        bar->setVisible(visible[i]);
        bar->setIconSize(ToolbarIconSize(s.LargeToolbarImages));
    }
    statusBar()->setVisible(s.StatusViz);
    const std::pair<const char*, bool> checks[] = {{"mkMenu", s.MenuViz},
                                                   {"mkmaintoolbar", s.ToolbarViz},
                                                   {"mkSlideshowToolbar", s.SlideshowViz},
                                                   {"mkEditingToolbar", s.EditingViz},
                                                   {"mkStatusBar", s.StatusViz}};
    for (const auto& [name, checked] : checks) FActions.value(name)->setChecked(checked);
}

QMenu* TfrmMain::createPopupMenu() {
    auto* menu = new QMenu(this);
    for (const char* name :
         {"mkMenu", "mkmaintoolbar", "mkSlideshowToolbar", "mkEditingToolbar", "mkStatusBar"})
        menu->addAction(FActions.value(name));
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
