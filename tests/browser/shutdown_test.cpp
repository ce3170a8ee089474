#include "browser_test_support.h"

#include "options_string.h"
#include "toolbar_state.h"

#include <QFile>

namespace {

constexpr TRegHive User = TRegHive::CurrentUser;

class ShutdownTest : public TFrameFixture {
protected:
    // A window that has started normally.
    void Start() {
        RunSetup();
        Host = TFakeFrameHost();
        Prompter = TScriptedPrompter();
    }
    void Close() { FormClose(State, Registry, Host, Prompter, StoreContext()); }
};

TEST_F(ShutdownTest, NothingIsWrittenWhileStartupIsInProgress) {
    Close();
    EXPECT_TRUE(Host.Calls.isEmpty());
    EXPECT_FALSE(QFile::exists(RegistryPath()));
}

TEST_F(ShutdownTest, SettingsAtExitComeFromTheWindow) {
    Start();
    Host.Tree = Home.Path() + "photos/";
    Host.Placement = {QRect(30, 40, 700, 500), false};
    Host.Panels = {QSize(300, 480), QSize(300, 200)};
    Host.Docks = {{"MainToolbar", true, TDockSide::Left, TDockSide::Left, 1, 20, 0, 0}};
    State.BrowseMode = BrowseFavorites;
    Close();
    EXPECT_TRUE(Prompter.Shown().empty());
    TRegistry saved(RegistryPath());
    EXPECT_EQ(Stored(saved, "WPLeft"), "30");
    EXPECT_EQ(Stored(saved, "WPTop"), "40");
    EXPECT_EQ(Stored(saved, "WPWidth"), "700");
    EXPECT_EQ(Stored(saved, "WPHeight"), "500");
    EXPECT_EQ(Stored(saved, "WPMax"), "False");
    EXPECT_EQ(Stored(saved, "FileGridWidth"), "300");
    EXPECT_EQ(Stored(saved, "Mode4Height"), "200");
    EXPECT_EQ(Stored(saved, "LastDir"), Home.Path() + "photos/");
    EXPECT_EQ(Stored(saved, "ExePath"), "/opt/glimmet/bin/glimmet");
    EXPECT_EQ(Stored(saved, "Version"), ProductVersionText());
    const TOptionsDecode options = DecodeOptions(Stored(saved, "Options"), true);
    EXPECT_FALSE(options.Corrupted);
    EXPECT_EQ(options.Options.Value(TOptionField::BrowseMode), BrowseFavorites);
    EXPECT_EQ(saved.ReadString(User, SettingsKeys::Common, "Glimmet_Path"), "/opt/glimmet/bin/");
    EXPECT_EQ(saved.ValueNames(User, SettingsKeys::Warning).size(), 17);
    EXPECT_EQ(ReadToolbarDocks(saved), Host.Docks);
    EXPECT_TRUE(Host.Called("StopActivity"));
}

TEST_F(ShutdownTest, MaximisedWindowKeepsItsNormalPlacement) {
    Store("WPLeft", "111");
    Start();
    Host.Placement = {QRect(0, 0, 1280, 1000), true};
    Close();
    TRegistry saved(RegistryPath());
    EXPECT_EQ(Stored(saved, "WPMax"), "True");
    EXPECT_EQ(Stored(saved, "WPLeft"), "111");
    EXPECT_EQ(Stored(saved, "WPWidth"), "624");
}

TEST_F(ShutdownTest, FullScreenAndResetHintsWriteLess) {
    Start();
    Host.Full = true;
    resetregistry(Registry, true);
    State.HintsReset = true;
    Close();
    TRegistry saved(RegistryPath());
    EXPECT_EQ(Stored(saved, "FileGridWidth"), "<missing>");
    EXPECT_EQ(Stored(saved, "WPLeft"), "20");
    EXPECT_FALSE(saved.KeyExists(User, SettingsKeys::Warning));
}

TEST_F(ShutdownTest, FailuresOfTheWindowCostOnlyTheirValues) {
    struct TCase {
        QStringList Failing;
        QStringList Shown;
        const char* WPWidth;
        const char* FileGridWidth;
    };
    const TCase cases[] = {
        {{"StopActivity", "WindowPlacement"}, {}, "624", "300"},
        {{"PanelGeometry"}, {ShutdownMessages::Writing}, "700", "-1"},
        {{"ToolbarDocks"}, {ShutdownMessages::Writing}, "700", "300"},
    };
    for (const TCase& c : cases) {
        QFile::remove(RegistryPath());
        Registry = TRegistry(RegistryPath());
        State = TMainState();
        Start();
        Host.Placement = {QRect(30, 40, 700, 500), false};
        for (const QString& name : c.Failing) Host.Failing.insert(name);
        Close();
        EXPECT_EQ(Prompter.ShownTexts(), c.Shown) << c.Failing.join(u' ').toStdString();
        TRegistry saved(RegistryPath());
        EXPECT_EQ(Stored(saved, "WPWidth"), c.WPWidth);
        EXPECT_EQ(Stored(saved, "FileGridWidth"), c.FileGridWidth);
    }
}

TEST_F(ShutdownTest, UnusableStoreIsNeverOverwritten) {
    QDir().mkpath(Home.Path() + "config/Corvane/registry.reg.bak");
    QDir().mkpath(Home.Path() + "config/Corvane");
    WriteWholeFile(RegistryPath(), "garbage");
    // The backup name is taken by a folder: the file cannot be moved aside.
    WriteWholeFile(Home.Path() + "config/Corvane/registry.reg.bak/keep", "x");
    Registry = TRegistry(RegistryPath());
    ASSERT_EQ(Registry.LoadState(), TRegLoadState::Unusable);
    Start();
    Close();
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{ShutdownMessages::MainKey});
    EXPECT_EQ(ReadWholeFile(RegistryPath()), "garbage");
}

TEST_F(ShutdownTest, FolderListsAreSavedUnlessTheUserIsEditingThem) {
    Start();
    State.FavoriteFolders = QStringList{"/srv/a", "/srv/b"};
    State.RecentFolders = QStringList{"/x"};
    Close();
    EXPECT_EQ(ReadWholeFile(Data + "favdir.txt"), "/srv/a\r\n/srv/b\r\n");
    EXPECT_EQ(ReadWholeFile(Data + "dirs.lst"), "/x\r\n");
    EXPECT_TRUE(State.FavoriteFolders.isEmpty());

    WriteWholeFile(Data + "favdir.txt", "/edited\r\n");
    State.FavoriteFolders = QStringList{"/srv/a"};
    State.FavoriteFoldersReloadPending = true;
    Close();
    EXPECT_EQ(ReadWholeFile(Data + "favdir.txt"), "/edited\r\n");
}

TEST_F(ShutdownTest, FolderListFailureIsReportedAndTheSettingsStillWritten) {
    Start();
    QDir(Data).removeRecursively();
    WriteWholeFile(Data.chopped(1), "a file where the data folder should be");
    State.FavoriteFolders = QStringList{"/srv/a"};
    Close();
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{ShutdownMessages::FolderLists});
    EXPECT_TRUE(QFile::exists(RegistryPath()));
}

TEST_F(ShutdownTest, OldFilesThatCannotBeDeletedStayListed) {
    const QString file = Home.Path() + "tmp/a.bmp";
    const QString folder = Home.Path() + "tmp/busy";
    WriteWholeFile(file, "x");
    QDir().mkpath(folder + "/inside");
    QStringList files{file, folder, Home.Path() + "tmp/gone.bmp"};
    deleteoldfiles(files);
    EXPECT_EQ(files, QStringList{folder});
    EXPECT_FALSE(QFile::exists(file));
}

} // namespace
