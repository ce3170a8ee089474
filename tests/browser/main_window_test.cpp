// The main window started offscreen in a temporary home: its layout, its commands and toolbar
// pictures, its idle work and the settings it writes when it closes.

#include "frm_main.h"

#include "companion_windows.h"
#include "folder_list.h"
#include "folder_tree_model.h"
#include "format_registry.h"
#include "main_commands.h"
#include "password.h"
#include "path_text.h"
#include "pg_image.h"
#include "platform_test_support.h"
#include "registry.h"
#include "scripted_prompter.h"
#include "settings_store.h"
#include "thumb_grid.h"
#include "thumb_shared.h"
#include "tips.h"
#include "user_folders.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidgetAction>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr TRegHive User = TRegHive::CurrentUser;

class TFakeCompanions : public TCompanionWindows {
public:
    QStringList Shown;
    QStringList Passwords;
    std::function<void(QWidget* parent)> DuringGettingStarted; // while the window is open

    QString AskPassword(QWidget*) override {
        Shown << "Password Dialog";
        return Passwords.isEmpty() ? QString() : Passwords.takeFirst();
    }
    bool ShowGettingStarted(QWidget* parent, bool) override {
        Shown << "Getting Started";
        if (DuringGettingStarted) DuringGettingStarted(parent);
        return false; // the user unticks "show at start-up"
    }
    bool ShowTipOfTheDay(QWidget*, const TTipsFile& tips, TTipCursor& cursor, bool) override {
        Shown << cursor.Caption() + ": " + tips.Tip(cursor.Number());
        return true;
    }
};

// Runs the event loop, blocking between events as the program does, until the condition holds.
bool RunUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// The icon theme for one test.
class TIconTheme {
public:
    explicit TIconTheme(const QString& name, const QStringList& searchPaths = {})
        : FName(QIcon::themeName()), FSearchPaths(QIcon::themeSearchPaths()) {
        if (!searchPaths.isEmpty()) QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(name);
    }
    ~TIconTheme() {
        QIcon::setThemeSearchPaths(FSearchPaths);
        QIcon::setThemeName(FName);
    }
    TIconTheme(const TIconTheme&) = delete;
    TIconTheme& operator=(const TIconTheme&) = delete;

private:
    QString FName;
    QStringList FSearchPaths;
};

// The strongest colour of a picture, 0 for one all grey or transparent.
int MaxSaturation(const QImage& image) {
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.alpha() > 0) most = std::max(most, colour.hsvSaturation());
        }
    return most;
}

bool Drawn(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 0) return true;
    return false;
}

// A left click on a cell of the grid, as the mouse gives it.
void ClickCell(TlbxThumbGrid& grid, int index) {
    const QPointF at = grid.CellRect(index).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(grid.viewport(), &press);
    QCoreApplication::sendEvent(grid.viewport(), &release);
}

// Counts the paints a widget gets.
class TPaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

// The file names the file box shows, in order.
QStringList Listed(const TlbxThumbGrid* files) {
    QStringList names;
    const TFileListModel* list = files->AttachedListbox();
    for (int row = 0; list && row < list->Count(); ++row)
        names << QFileInfo(list->PathAt(row)).fileName();
    return names;
}

class MainWindow : public ::testing::Test {
protected:
    MainWindow() {
        QDir().mkpath(Data);
        QDir().mkpath(Resources);
    }
    void Store(const QString& name, const QString& text) {
        TRegistry registry;
        registry.WriteString(User, SettingsKeys::Main, name, text);
        registry.Save();
    }
    // The one-time hints of modes three and four, as after the user has seen them.
    void SilenceModeHints() {
        TRegistry registry;
        for (const char* hint : {"WarningModeThree", "WarningModeFour"})
            registry.WriteString(User, SettingsKeys::Warning, hint, "False");
        registry.Save();
    }
    QString Stored(const QString& name) const {
        return TRegistry().ReadString(User, SettingsKeys::Main, name).value_or("<missing>");
    }
    void Open(const QStringList& arguments = {}) {
        Registry = std::make_unique<TRegistry>();
        TFolders folders = UserFolders(Data, Temporary.Path());
        folders.Resources = Resources;
        Window = std::make_unique<TfrmMain>(
            TMainWindowContext{*Registry, Prompter, Companions, arguments, folders,
                               "/opt/glimmet/bin/glimmet", TScreenMetrics{1280, 1024, 96, 24}});
        Window->show();
    }
    void Start(const QStringList& arguments = {}) {
        Open(arguments);
        ASSERT_TRUE(RunUntil([&] { return Window->State().SetupFinished; }));
    }
    void Close() {
        Window->close();
        Window.reset();
    }
    template <class T>
    T* Child(const char* name) const {
        return Window->findChild<T*>(name);
    }
    // The buttons of the four toolbars.
    QList<QAction*> ToolbarButtons() const {
        QList<QAction*> buttons;
        for (const QString& name : ToolbarNames())
            for (QAction* action : Window->findChild<QToolBar*>(name)->actions())
                if (!action->isSeparator() && !qobject_cast<QWidgetAction*>(action))
                    buttons << action;
        return buttons;
    }
    int ImageWidth() const {
        const TPixelGraphic* image = Child<TPGImage>("PGImage")->PixelGraphic();
        return image ? image->Width() : 0;
    }
    QString WriteImage(const QString& name, int width) {
        TPixelGraphic image;
        image.SetSizeAndFormat(width, 10, pf24Bit);
        const QString path = Home.Path() + "pics/" + name;
        QDir().mkpath(Home.Path() + "pics");
        image.SaveToFile(QFile::encodeName(path).toStdString());
        return path;
    }

    TTempHome Home;
    const QString Data = Home.Path() + "data/Corvane/Glimmet/";
    const QString Resources = Home.Path() + "share/glimmet/";
    TPrivateTempFolder Temporary;
    TScriptedPrompter Prompter;
    TFakeCompanions Companions;
    std::unique_ptr<TRegistry> Registry;
    std::unique_ptr<TfrmMain> Window;
};

class MainWindowLayout : public MainWindow, public ::testing::WithParamInterface<int> {};

TEST_P(MainWindowLayout, ArrangesThePanelsAndWritesTheSettingsAtShutdown) {
    const int layout = GetParam();
    Store("GMXLayout", QString::number(layout));
    Start();
    const TLayoutArrangement arrangement = LayoutArrangement(layout);
    auto* outer = Child<QSplitter>("splMain");
    auto* left = Child<QSplitter>("pnlLeft");
    EXPECT_EQ(outer->orientation(), arrangement.LeftAboveImage ? Qt::Vertical : Qt::Horizontal);
    EXPECT_EQ(left->orientation(), arrangement.ModeBesideGrid ? Qt::Horizontal : Qt::Vertical);
    EXPECT_EQ(outer->widget(0), left);
    EXPECT_EQ(left->widget(0)->objectName(), "pgcModes");
    const QString gridHolds = arrangement.ImageAndGridSwapped ? "PGImage" : "FileBox";
    EXPECT_EQ(Child<QWidget>("pnlFileGrid")
                  ->findChild<QWidget*>(gridHolds, Qt::FindDirectChildrenOnly)
                  ->objectName(),
              gridHolds);
    EXPECT_EQ(Window->size(), QSize(624, 460));
    EXPECT_EQ(Window->pos(), QPoint(20, 14));
    if (!arrangement.LeftAboveImage) {
        EXPECT_EQ(left->width(), 346);
    }

    for (const char* bar : {"MenuBar", "MainToolbar"})
        EXPECT_TRUE(Child<QToolBar>(bar)->isVisible()) << bar;
    for (const char* bar : {"SlideshowToolbar", "EditingToolbar"})
        EXPECT_FALSE(Child<QToolBar>(bar)->isVisible()) << bar;
    EXPECT_TRUE(Window->statusBar()->isVisible());
    QStringList menus;
    for (QAction* menu : Child<QMenuBar>("mnuMain")->actions()) menus << menu->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&Thumbnails", "&View", "&Window", "&Help"}));
    EXPECT_TRUE(Child<QAction>("mkExit")->isEnabled());
    EXPECT_FALSE(Child<QAction>("mkOptions")->isEnabled());

    ASSERT_TRUE(RunUntil([&] { return Companions.Shown.contains("Getting Started"); }));
    const int leftSize = arrangement.LeftAboveImage ? left->height() : left->width();
    Close();
    EXPECT_TRUE(Prompter.Shown().empty()) << Prompter.ShownTexts().join(u'|').toStdString();
    EXPECT_EQ(Stored("GMXLayout"), QString::number(layout));
    EXPECT_EQ(Stored("WPWidth"), "624");
    EXPECT_EQ(Stored("WPLeft"), "20");
    EXPECT_EQ(Stored("FileGridWidth"), QString::number(leftSize));
    EXPECT_EQ(Stored("GetStarted"), "False");
    EXPECT_EQ(Stored("Version"), ProductVersionText());
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, MainWindowLayout, ::testing::Range(1, LayoutCount + 1));

TEST_F(MainWindow, ListsTheLastFolderAndShowsItsFirstImage) {
    const QString b = WriteImage("b.bmp", 30);
    const QString a = WriteImage("A.bmp", 20);
    WriteWholeFile(Home.Path() + "pics/notes.txt", "not an image");
    Store("LastDir", Home.Path() + "pics/");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    auto* files = Child<TlbxThumbGrid>("FileBox");
    ASSERT_TRUE(RunUntil([&] { return Child<TPGImage>("PGImage")->PixelGraphic() != nullptr; }));
    EXPECT_EQ(Listed(files), QStringList({"A.bmp", "b.bmp"}));
    EXPECT_EQ(Child<TPGImage>("PGImage")->PixelGraphic()->Width(), 20);

    // A later start of the program hands over the other image.
    Window->InstanceStarted({b});
    ASSERT_TRUE(
        RunUntil([&] { return Child<TPGImage>("PGImage")->PixelGraphic()->Width() == 30; }));
    EXPECT_EQ(Window->State().CurrentFile, b);
    EXPECT_EQ(files->AttachedListbox()->CurrentPath(), b);
    Close();
    EXPECT_EQ(Stored("LastDir"), Home.Path() + "pics/");
    EXPECT_TRUE(Companions.Shown.isEmpty());
    EXPECT_EQ(a, Home.Path() + "pics/A.bmp");
}

TEST_F(MainWindow, StartFileIsShownInItsFolder) {
    const QString image = WriteImage("c.bmp", 12);
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start({image});
    ASSERT_TRUE(RunUntil([&] { return Child<TPGImage>("PGImage")->PixelGraphic() != nullptr; }));
    EXPECT_EQ(Window->State().CurrentFile, image);
    EXPECT_EQ(Listed(Child<TlbxThumbGrid>("FileBox")), QStringList{"c.bmp"});
    EXPECT_EQ(Window->windowTitle(), "Glimmet - c.bmp");
}

TEST_F(MainWindow, RefusedPasswordClosesWithoutWritingTheStore) {
    Store("TwainHandle", QString::number(calcaccesspw("secret")));
    const QByteArray before = ReadWholeFile(TRegistry::UserFilePath());
    Companions.Passwords = QStringList{"a", "b", "c"};
    Open();
    ASSERT_TRUE(RunUntil([&] { return !Window->isVisible(); }));
    EXPECT_EQ(Companions.Shown, QStringList(3, "Password Dialog"));
    EXPECT_EQ(Prompter.ShownTexts().last(), "Glimmet will now close.");
    Window.reset();
    EXPECT_EQ(ReadWholeFile(TRegistry::UserFilePath()), before);
}

TEST_F(MainWindow, TipOfTheDayAtTheFirstIdle) {
    WriteWholeFile(Resources + "gmtips.ini", "[Tips]\nNumber=2\nTip_1=Only tip\n");
    Store("GetStarted", "False");
    Start();
    ASSERT_TRUE(RunUntil([&] { return !Companions.Shown.isEmpty(); }));
    EXPECT_EQ(Companions.Shown, QStringList{"Tip of the Day #1: Only tip"});
    Close();

    QFile::remove(Resources + "gmtips.ini");
    Start();
    ASSERT_TRUE(RunUntil([&] { return !Prompter.Shown().empty(); }));
    EXPECT_EQ(Prompter.ShownTexts(),
              QStringList{"Glimmet cannot locate the 'Tip of the Day' file, gmtips.ini in your "
                          "Glimmet program folder"});
    Close();
    EXPECT_EQ(Stored("TipsOnStart"), "False");
}

TEST_F(MainWindow, ResetSettingsBringsTheBarsBack) {
    Store("MenuViz", "False");
    Store("StatusViz", "False");
    Store("EditingViz", "True");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    EXPECT_FALSE(Child<QToolBar>("MenuBar")->isVisible());
    EXPECT_TRUE(Child<QToolBar>("EditingToolbar")->isVisible());
    EXPECT_FALSE(Window->statusBar()->isVisible());
    Child<QAction>("mkResetSettings")->trigger();
    EXPECT_TRUE(Child<QToolBar>("MenuBar")->isVisible());
    EXPECT_FALSE(Child<QToolBar>("EditingToolbar")->isVisible());
    EXPECT_TRUE(Window->statusBar()->isVisible());
    EXPECT_EQ(Window->State().Options.Digits().mid(1, 4), "1111");
    Child<QAction>("mkStatusBar")->trigger();
    EXPECT_FALSE(Window->statusBar()->isVisible());
    // The slideshow toolbar shows only while a slideshow runs; its setting is toggled all the same.
    QAction* slideshowBar = Child<QAction>("mkSlideshowToolbar");
    EXPECT_TRUE(slideshowBar->isEnabled());
    EXPECT_TRUE(slideshowBar->isChecked());
    slideshowBar->trigger();
    EXPECT_FALSE(slideshowBar->isChecked());
    EXPECT_FALSE(Child<QToolBar>("SlideshowToolbar")->isVisible());
    Close();
    EXPECT_EQ(Stored("MenuViz"), "True");
    EXPECT_EQ(Stored("StatusViz"), "False");
    EXPECT_EQ(Stored("SlideshowViz"), "False");
}

TEST_F(MainWindow, HintsShowAfterThreeQuartersOfASecondForSevenAndAHalf) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 750);
    auto* bar = Child<QToolBar>("MainToolbar");
    for (const char* name : {"btnfirst", "mkSave"})
        EXPECT_EQ(bar->widgetForAction(Child<QAction>(name))->toolTipDuration(), 7500) << name;
    EXPECT_EQ(Child<TlbxThumbGrid>("FileBox")->toolTipDuration(), 7500);
    Close();
    // A second window keeps the same style.
    QStyle* style = QApplication::style();
    Start();
    EXPECT_EQ(QApplication::style(), style);
    Close();
}

TEST_F(MainWindow, FileListButtonsOfTheMainToolbarWaitForTheirCommands) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    auto* bar = Child<QToolBar>("MainToolbar");
    for (const char* name : {"btnthumbmode", "btnsort", "btnrandom"}) {
        QAction* action = Child<QAction>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_TRUE(bar->actions().contains(action)) << name;
        // Sorting is the folder list's: enabled in Folders mode. The file display is the grid's.
        EXPECT_EQ(action->isEnabled(), QString(name) != "btnrandom") << name;
    }
    // The button drops down the sorting menu of its action.
    QAction* sort = Child<QAction>("btnsort");
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(sort));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->popupMode(), QToolButton::InstantPopup);
    ASSERT_NE(sort->menu(), nullptr);
    for (const char* name :
         {"mkSortName", "mkSortType", "mkSortSize", "mkSortDate", "mkSortDescending"})
        EXPECT_TRUE(sort->menu()->actions().contains(Child<QAction>(name))) << name;
    QStringList thumbnails;
    for (QAction* item : Child<QMenuBar>("mnuMain")->actions().at(2)->menu()->actions())
        thumbnails << item->text();
    EXPECT_TRUE(thumbnails.contains("File Sorting")) << thumbnails.join(u'|').toStdString();
    Close();
}

TEST_F(MainWindow, BackgroundOfTheImageArea) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Store("OverrideBGColor", "True");
    Store("BGColor", "$8000000F");
    Start();
    auto* image = Child<TPGImage>("PGImage");
    EXPECT_EQ(image->Color(), QApplication::palette().color(QPalette::Button));
    TFrameHost& host = *Window;
    const std::pair<uint32_t, QColor> cases[] = {
        {0x0000FF, QColor(255, 0, 0)},
        {0x80000005, QApplication::palette().color(QPalette::Base)},
        {0x80000018, QApplication::palette().color(QPalette::ToolTipBase)},
        {0x0200FF00, QColor(0, 255, 0)}};
    for (const auto& [colour, expected] : cases) {
        host.ApplyBackground(colour);
        EXPECT_EQ(image->Color(), expected) << std::hex << colour;
    }
    Close();
    EXPECT_EQ(Stored("BGColor"), "$8000000F");
}

TEST_F(MainWindow, ResetSettingsGivesTheModePanelHalfTheLeftPanelInLayoutsFiveAndSix) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    for (const char* layout : {"5", "6"}) {
        Store("GMXLayout", layout);
        Start();
        // A toolbar at the side makes the left panel narrower than the window.
        auto* main = Child<QToolBar>("MainToolbar");
        Window->addToolBar(Qt::LeftToolBarArea, main);
        main->show();
        Child<QAction>("mkResetSettings")->trigger();
        auto* left = Child<QSplitter>("pnlLeft");
        ASSERT_LT(left->width(), Window->width()) << layout;
        EXPECT_EQ(left->sizes().value(0), left->width() / 2) << layout;
        Close();
    }
}

TEST_F(MainWindow, FavoritesListsAreFoundWhateverTheCaseOfTheirExtension) {
    const QString image = WriteImage("d.bmp", 14);
    WriteWholeFile(Data + "Trip.FVT", (image + "\r\n").toUtf8());
    WriteWholeFile(Data + "home.fvt", "");
    WriteWholeFile(Data + "notes.txt", "");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Store("CurrentBookmark", "Trip");
    Store("Options", "111114210101020010001119"); // Favorites mode
    Start();
    auto* lists = Child<QListWidget>("lbxBookmarks");
    QStringList names;
    for (int row = 0; row < lists->count(); ++row) names << lists->item(row)->text();
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, QStringList({"home", "Trip"}));
    ASSERT_NE(lists->currentItem(), nullptr);
    EXPECT_EQ(lists->currentItem()->text(), "Trip");
    ASSERT_TRUE(RunUntil([&] { return Window->State().CurrentFile == image; }));
    Close();
}

TEST_F(MainWindow, ToolbarButtonSizeIsReadWhenTheWindowIsCreated) {
    Store("LargeToolbarImages", "False"); // large by default on this screen
    Open({"/RESET"});
    EXPECT_EQ(Child<QToolBar>("MainToolbar")->iconSize(), QSize(20, 20));
    // The reset in set-up comes after it: the size read stays for this run.
    ASSERT_TRUE(RunUntil([&] { return Window->State().SetupFinished; }));
    EXPECT_EQ(Child<QToolBar>("MainToolbar")->iconSize(), QSize(20, 20));
    Close();
    EXPECT_EQ(Stored("LargeToolbarImages"), "False");
    EXPECT_EQ(Stored("DoReset"), "False");

    Open();
    EXPECT_EQ(Child<QToolBar>("EditingToolbar")->iconSize(), QSize(20, 20));
    Close();
}

TEST_F(MainWindow, ToolbarPlacesSurviveARestart) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    auto* main = Child<QToolBar>("MainToolbar");
    Window->addToolBar(Qt::LeftToolBarArea, main);
    main->show();
    Close();
    Start();
    EXPECT_EQ(Window->toolBarArea(Child<QToolBar>("MainToolbar")), Qt::LeftToolBarArea);
    EXPECT_EQ(Window->toolBarArea(Child<QToolBar>("MenuBar")), Qt::TopToolBarArea);
}

TEST_F(MainWindow, CommandsAreEnabledExactlyWhenTheyHaveAHandler) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    for (const TCommand& command : MainCommands()) {
        if (!command.Name[0]) continue; // a separator
        const QAction* action = Child<QAction>(command.Name);
        ASSERT_NE(action, nullptr) << command.Name;
        // The folder is empty: of the commands that follow the list, only sorting is allowed.
        // The false-extension filter is hidden, so disabled, while they are not supported.
        const bool allowed = (!StatusGoverns(command.Name) || QString(command.Name) == "btnsort") &&
                             QString(command.Name) != "mkFilterFalse";
        EXPECT_EQ(action->isEnabled(), command.Handler != nullptr && allowed) << command.Name;
        EXPECT_EQ(action->text(), command.Caption) << command.Name;
        EXPECT_EQ(action->shortcut(), QKeySequence(command.Shortcut ? command.Shortcut : ""))
            << command.Name;
    }
    // Each bar command toggles the setting it shows, and its tick follows.
    for (const TCommand& command : MainCommands()) {
        if (!command.Shows) continue;
        QAction* action = Child<QAction>(command.Name);
        const bool before = Window->State().Settings.*command.Shows;
        action->trigger();
        EXPECT_EQ(Window->State().Settings.*command.Shows, !before) << command.Name;
        EXPECT_EQ(action->isChecked(), !before) << command.Name;
    }
    Close();
}

TEST_F(MainWindow, ToolbarPicturesWithoutAnIconThemeInBothSizes) {
    const TIconTheme theme("glimmet-no-such-theme");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    for (const bool large : {true, false}) {
        Store("LargeToolbarImages", large ? "True" : "False");
        Start();
        const QSize size = large ? QSize(32, 32) : QSize(20, 20);
        for (const QString& bar : ToolbarNames())
            EXPECT_EQ(Child<QToolBar>(bar.toLatin1())->iconSize(), size) << bar.toStdString();
        for (const QAction* button : ToolbarButtons()) {
            const std::string name = button->objectName().toStdString();
            ASSERT_FALSE(button->icon().isNull()) << name;
            const QImage normal = button->icon().pixmap(size).toImage();
            EXPECT_EQ(normal.size(), size) << name;
            EXPECT_TRUE(Drawn(normal)) << name;
            EXPECT_NE(button->icon().pixmap(size, QIcon::Disabled).toImage(), normal) << name;
        }
        Close();
    }
}

TEST_F(MainWindow, ThemePictureWinsOverOurs) {
    QTemporaryDir themes;
    const QString folder = themes.path() + "/glimmet-test/";
    QDir().mkpath(folder + "16x16/actions");
    WriteWholeFile(folder + "index.theme", "[Icon Theme]\nName=glimmet-test\n"
                                           "Directories=16x16/actions\n\n"
                                           "[16x16/actions]\nSize=16\nType=Fixed\n");
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(folder + "16x16/actions/go-next.png"));
    const TIconTheme theme("glimmet-test", {themes.path()});
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    const QImage next = Child<QAction>("btnnext")->icon().pixmap(QSize(16, 16)).toImage();
    EXPECT_EQ(next.pixelColor(8, 8), QColor(Qt::red));
    // The theme lacks the others: they keep ours.
    const QImage previous = Child<QAction>("btnprevious")->icon().pixmap(QSize(16, 16)).toImage();
    EXPECT_TRUE(Drawn(previous));
    EXPECT_NE(previous.pixelColor(8, 8), QColor(Qt::red));
    Close();
}

TEST_F(MainWindow, DisabledToolbarButtonsAreDrawnGreyed) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    QAction* waiting = nullptr; // a button whose command has no handler yet
    for (const TCommand& command : MainCommands())
        if (!waiting && command.Bar == TCommandBar::Main && !command.Handler)
            waiting = Child<QAction>(command.Name);
    ASSERT_NE(waiting, nullptr);
    QWidget* button = Child<QToolBar>("MainToolbar")->widgetForAction(waiting);
    const QImage disabled = button->grab().toImage();
    waiting->setEnabled(true);
    const QImage enabled = button->grab().toImage();
    EXPECT_GT(MaxSaturation(enabled), 0) << waiting->objectName().toStdString();
    EXPECT_LT(MaxSaturation(disabled), MaxSaturation(enabled))
        << waiting->objectName().toStdString();
    Close();
}

TEST_F(MainWindow, IdleWorkGoesOnBehindAModalWindowButAHandedOverFileWaits) {
    WriteImage("a.bmp", 20);
    WriteImage("b.bmp", 30);
    const QString c = WriteImage("c.bmp", 40);
    Store("LastDir", Home.Path() + "pics/");
    Store("TipsOnStart", "False");
    bool shownBehind = false;
    bool selectionShown = false;
    QString pendingMeanwhile;
    Companions.DuringGettingStarted = [&](QWidget* parent) {
        QDialog dialog(parent);
        dialog.setModal(true);
        dialog.show();
        // The folder's first image, shown after the first idle posted Getting Started.
        shownBehind = RunUntil([&] { return ImageWidth() == 20; });
        Window->InstanceStarted({c});
        ClickCell(*Child<TlbxThumbGrid>("FileBox"), 1);
        selectionShown = RunUntil([&] { return ImageWidth() == 30; });
        pendingMeanwhile = Window->State().PendingStartFile;
    };
    Start();
    ASSERT_TRUE(RunUntil([&] { return Companions.Shown.contains("Getting Started"); }));
    EXPECT_TRUE(shownBehind);
    EXPECT_TRUE(selectionShown);
    EXPECT_EQ(pendingMeanwhile, c);
    // Once the modal windows are closed, the handed-over file is shown.
    ASSERT_TRUE(RunUntil([&] { return ImageWidth() == 40; }));
    EXPECT_EQ(Window->State().CurrentFile, c);
    Close();
}

TEST_F(MainWindow, ReaderWarningsAskThroughThePrompterWhileTheWindowLives) {
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    Prompter.QueueAnswer(TPromptAnswer::Cancel);
    EXPECT_FALSE(PGShowWarningBox("PNG Warning", "Bad CRC", true));
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{"Bad CRC"});
    Close();
    // Without the window no box is shown and the library goes on.
    EXPECT_TRUE(PGShowWarningBox("PNG Warning", "Bad CRC", true));
    EXPECT_EQ(Prompter.Shown().size(), 1u);
}

TEST_F(MainWindow, ATreeClickListsTheFolderAndTheMenusSortAndFilterIt) {
    WriteImage("b.bmp", 30);
    WriteImage("A.bmp", 20);
    const QString other = Home.Path() + "other/";
    QDir().mkpath(other);
    WriteWholeFile(other + "small.png", "1");
    WriteWholeFile(other + "large.gif", "12345");
    WriteWholeFile(other + "middle.jpg", "123");
    WriteWholeFile(other + "notes.txt", "1234567");
    Store("LastDir", Home.Path() + "pics/");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    auto* files = Child<TlbxThumbGrid>("FileBox");
    auto* tree = Child<QTreeView>("directorylist");
    ASSERT_TRUE(RunUntil([&] { return Listed(files) == QStringList({"A.bmp", "b.bmp"}); }));
    EXPECT_EQ(Child<QLabel>("lblSelect")->text(), "Selected: 1 of 2");
    // Opening the menu ticks the stored filter and sort field.
    QMenu* thumbnails = Child<QMenuBar>("mnuMain")->actions().at(2)->menu();
    emit thumbnails->aboutToShow();
    EXPECT_TRUE(Child<QAction>("mkFilterAll")->isChecked());
    EXPECT_TRUE(Child<QAction>("mkSortName")->isChecked());
    EXPECT_FALSE(Child<QAction>("mkSortDescending")->isChecked());
    EXPECT_FALSE(Child<QAction>("mkFilterFalse")->isVisible());

    // Moving the tree's node alone lists nothing; the click does.
    TFolderTreeModel* model = static_cast<TFolderTreeModel*>(tree->model());
    tree->setCurrentIndex(model->IndexOf(RemoveSlash(other)));
    RunUntil([] { return false; }, 100);
    EXPECT_EQ(Listed(files), QStringList({"A.bmp", "b.bmp"}));
    Window->DirBoxClick();
    ASSERT_TRUE(RunUntil([&] {
        return Listed(files) == QStringList({"large.gif", "middle.jpg", "small.png"});
    }));
    EXPECT_EQ(Child<QLabel>("lblSelect")->text(), "Selected: 1 of 3");

    Child<QAction>("mkSortSize")->trigger();
    EXPECT_EQ(Listed(files), QStringList({"small.png", "middle.jpg", "large.gif"}));
    Child<QAction>("mkSortDescending")->trigger();
    EXPECT_EQ(Listed(files), QStringList({"large.gif", "middle.jpg", "small.png"}));
    EXPECT_TRUE(Child<QAction>("mkSortDescending")->isChecked());
    EXPECT_TRUE(Child<QAction>("mkSortSize")->isChecked());
    EXPECT_FALSE(Child<QAction>("mkSortName")->isChecked());

    Child<QAction>("mkFilterGIF")->trigger();
    ASSERT_TRUE(RunUntil([&] { return Listed(files) == QStringList({"large.gif"}); }));
    EXPECT_TRUE(Child<QAction>("mkFilterGIF")->isChecked());
    EXPECT_FALSE(Child<QAction>("mkFilterAll")->isChecked());
    EXPECT_FALSE(Child<QAction>("mkFilterFalse")->isVisible());
    Child<QAction>("mkFilterFiles")->trigger();
    ASSERT_TRUE(RunUntil([&] { return Listed(files).size() == 4; }));
    EXPECT_EQ(Listed(files).first(), "notes.txt");
    EXPECT_EQ(Child<QLabel>("lblSelect")->text(), "Selected: 1 of 4");

    // Nothing selected: the caption names the folder.
    Window->FolderList().ClearSelection();
    EXPECT_EQ(Window->windowTitle(), "Glimmet - Folder: " + other);
    EXPECT_EQ(Child<QLabel>("lblSelect")->text(), "Selected: 0 of 4");
    Close();
    EXPECT_EQ(Stored("CurrentFilter"), "*.*");
}

TEST_F(MainWindow, FavoritesModeTakesItsListDisablesSortingAndShowsItsHintOnce) {
    const QString image = WriteImage("d.bmp", 14);
    WriteWholeFile(Data + "Trip.fvt", (image + "\r\n").toUtf8());
    Store("LastDir", Home.Path() + "pics/");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Store("CurrentBookmark", "Trip");
    Start();
    auto* modes = Child<QTabWidget>("pgcModes");
    Prompter.QueueHintAnswer(false);
    modes->setCurrentIndex(1);
    EXPECT_EQ(Window->State().BrowseMode, BrowseFavorites);
    EXPECT_FALSE(Window->State().Warnings.WarningModeFour);
    ASSERT_FALSE(Prompter.Shown().empty());
    const THint hint = std::get<THint>(Prompter.Shown().back());
    EXPECT_EQ(hint.Heading, "Favorites Mode");
    EXPECT_TRUE(hint.Text.endsWith("click \"File|Add To Favorites\"")) << hint.Text.toStdString();
    EXPECT_FALSE(Child<QAction>("btnsort")->isEnabled());
    EXPECT_FALSE(Child<QAction>("mkSortName")->isEnabled());
    EXPECT_FALSE(Child<QAction>("mkFilterGIF")->isEnabled());
    EXPECT_EQ(Window->FavoritesList().Paths(), QStringList{image});
    EXPECT_EQ(Window->GetModeHeading(), "All images in \"Trip\"");

    Prompter.QueueHintAnswer(false);
    modes->setCurrentIndex(0);
    EXPECT_EQ(std::get<THint>(Prompter.Shown().back()).Heading, "Folders Mode");
    const size_t shown = Prompter.Shown().size();
    // Both hints were answered "not again".
    modes->setCurrentIndex(1);
    modes->setCurrentIndex(0);
    EXPECT_EQ(Prompter.Shown().size(), shown);
    EXPECT_TRUE(Child<QAction>("mkSortName")->isEnabled());
    EXPECT_EQ(Window->GetModeHeading(), "All images in \"pics\"");
    Close();
}

TEST_F(MainWindow, EachModeKeepsItsPanelHeightWhereThePanelIsAboveTheGrid) {
    Store("GMXLayout", "1");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    SilenceModeHints();
    Start();
    auto* left = Child<QSplitter>("pnlLeft");
    auto* modes = Child<QTabWidget>("pgcModes");
    left->setSizes({150, left->height() - 150 - left->handleWidth()});
    const int folders = left->sizes().value(0);
    modes->setCurrentIndex(1);
    EXPECT_EQ(Window->State().Settings.Mode3Height, folders);
    left->setSizes({90, left->height() - 90 - left->handleWidth()});
    const int favorites = left->sizes().value(0);
    modes->setCurrentIndex(0);
    EXPECT_EQ(Window->State().Settings.Mode4Height, favorites);
    EXPECT_EQ(left->sizes().value(0), folders);
    EXPECT_TRUE(Prompter.Shown().empty());
    Close();
}

TEST_F(MainWindow, TreeMenuCreatesAFolderAndOffersNothingForTheRoot) {
    WriteImage("a.bmp", 10);
    Store("LastDir", Home.Path() + "pics/");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    QStringList enabled;
    Window->OnDirPopup = [&](QMenu& menu) {
        enabled.clear();
        for (QAction* action : menu.actions())
            if (action->isEnabled() && !action->isSeparator()) enabled << action->objectName();
        if (Prompter.Pending() == 0) return;
        for (QAction* action : menu.actions())
            if (action->objectName() == "puCreateSubDir") action->trigger();
    };
    Prompter.QueueTextAnswer("made");
    Window->PopDirPopup({});
    EXPECT_EQ(enabled,
              QStringList({"puCreateSubDir", "RenameDirectory1", "puDeleteDir", "Refresh1"}));
    EXPECT_TRUE(QFileInfo(Home.Path() + "pics/made").isDir());
    TFrameHost& host = *Window;
    EXPECT_EQ(host.TreeFolder(), Home.Path() + "pics/");
    auto* tree = Child<QTreeView>("directorylist");
    const QModelIndex made =
        static_cast<TFolderTreeModel*>(tree->model())->IndexOf(Home.Path() + "pics/made");
    EXPECT_TRUE(made.isValid());

    host.SetTreeFolder("/");
    Window->PopDirPopup({});
    EXPECT_EQ(enabled, QStringList({"puCreateSubDir", "Refresh1"}));
    Close();
}

TEST_F(MainWindow, TheFileBoxIsTheThumbnailGridOfTheListedFolder) {
    const QString a = WriteImage("a.bmp", 20);
    const QString b = WriteImage("b.bmp", 30);
    for (const char* picture : {"missing.res", "invalid.res"})
        WriteWholeFile(Resources + picture, "picture");
    Store("LastDir", Home.Path() + "pics/");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Store("WriteSharedThumbnails", "False");
    Start();
    auto* grid = Child<TlbxThumbGrid>("FileBox");
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(RunUntil([&] { return ImageWidth() == 20; }));
    EXPECT_EQ(grid->AttachedListbox(), &Window->FolderList());
    EXPECT_EQ(grid->ThumbDisplayType(), tdtLargeIcon);
    EXPECT_EQ(grid->SharedThumbnailFolder(), SharedThumbRoot());
    EXPECT_FALSE(grid->WriteSharedThumbnails());
    EXPECT_EQ(grid->ErrorThumb(), Resources + "missing.res");
    EXPECT_EQ(grid->NonSupportedFormatThumb(), Resources + "invalid.res");
    EXPECT_EQ(QDir(grid->DiskCacheDirectory()), QDir(Window->State().CacheFolder));
    // Painted cells ask for their thumbnails, which the ring then holds.
    for (const QString& path : {a, b}) {
        ASSERT_TRUE(RunUntil([&] { return grid->Producer().Thumb(path).has_value(); }))
            << path.toStdString();
        EXPECT_FALSE(grid->Producer().Thumb(path)->Failed) << path.toStdString();
    }
    EXPECT_EQ(grid->ItemAt(grid->CellRect(1).center()), 1);

    ClickCell(*grid, 1);
    EXPECT_EQ(Window->State().CurrentFile, b);
    EXPECT_EQ(Window->FolderList().SelectedIndexes(), std::vector<int>{1});
    ASSERT_TRUE(RunUntil([&] { return ImageWidth() == 30; }));
    // A click on the shown file's cell loads nothing again.
    ClickCell(*grid, 1);
    EXPECT_FALSE(Window->State().PendingDisplay);
    ClickCell(*grid, 0);
    EXPECT_TRUE(Window->State().PendingDisplay);
    ASSERT_TRUE(RunUntil([&] { return ImageWidth() == 20; }));
    Close();
}

TEST_F(MainWindow, OnlyTheShownListRepaintsTheFileBox) {
    WriteImage("a.bmp", 20);
    Store("LastDir", Home.Path() + "pics/");
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    SilenceModeHints();
    Start();
    Window->FavoritesList().SetPaths({Home.Path() + "pics/a.bmp", Home.Path() + "pics/b.bmp"});
    auto* modes = Child<QTabWidget>("pgcModes");
    for (int index : {1, 0, 1, 0}) modes->setCurrentIndex(index);
    auto* grid = Child<TlbxThumbGrid>("FileBox");
    ASSERT_EQ(grid->AttachedListbox(), &Window->FolderList());
    TPaintCounter counter;
    grid->viewport()->installEventFilter(&counter);
    const auto paintsAfter = [&](const std::function<void()>& change) {
        RunUntil([] { return false; }, 50);
        counter.Paints = 0;
        change();
        RunUntil([] { return false; }, 50);
        return counter.Paints;
    };
    EXPECT_EQ(paintsAfter([&] { Window->FavoritesList().SetCurrentIndex(1); }), 0);
    EXPECT_GT(paintsAfter([&] { Window->FolderList().ClearSelection(); }), 0);
    Close();
}

struct TThumbModeCase {
    const char* Command;
    int StoredBefore;
    int Mode;
    TThumbDisplayType Type;
};

class MainWindowThumbMode : public MainWindow,
                            public ::testing::WithParamInterface<TThumbModeCase> {};

TEST_P(MainWindowThumbMode, CommandsChooseTheGridsDisplayAndTickIt) {
    const TThumbModeCase c = GetParam();
    Store("ThumbMode", QString::number(c.StoredBefore));
    Store("GetStarted", "False");
    Store("TipsOnStart", "False");
    Start();
    QAction* command = Child<QAction>(c.Command);
    ASSERT_NE(command, nullptr);
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    EXPECT_EQ(Child<TlbxThumbGrid>("FileBox")->ThumbDisplayType(), c.Type);
    const char* items[] = {"pukFilenames", "pukSmallThumbs", "pukThumbnails"};
    for (int mode = 0; mode < 3; ++mode)
        EXPECT_EQ(Child<QAction>(items[mode])->isChecked(), mode == c.Mode) << items[mode];
    Close();
    EXPECT_EQ(Stored("ThumbMode"), QString::number(c.Mode));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MainWindowThumbMode,
    ::testing::Values(TThumbModeCase{"pukFilenames", 2, 0, tdtFilename},
                      TThumbModeCase{"pukSmallThumbs", 0, 1, tdtIconInfo},
                      TThumbModeCase{"pukThumbnails", 0, 2, tdtLargeIcon},
                      // The button cycles, from the last mode back to the first.
                      TThumbModeCase{"btnthumbmode", 0, 1, tdtIconInfo},
                      TThumbModeCase{"btnthumbmode", 2, 0, tdtFilename}));

} // namespace
