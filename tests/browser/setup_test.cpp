#include "browser_test_support.h"

#include "autoplay.h"
#include "password.h"
#include "settings_store.h"

#include <QFile>

namespace {

using SetupTest = TFrameFixture;

qsizetype IndexOf(const QStringList& calls, const QString& name) {
    for (qsizetype i = 0; i < calls.size(); ++i)
        if (calls[i].startsWith(name + u'(')) return i;
    return -1;
}

TEST_F(SetupTest, EmptyStoreStartsWithTheDefaults) {
    RunSetup();
    EXPECT_TRUE(Prompter.Shown().empty()) << Prompter.ShownTexts().join(u'|').toStdString();
    EXPECT_EQ(Host.CallsOf("ApplyLayout"), QStringList{"ApplyLayout(1)"});
    EXPECT_EQ(Host.CallsOf("ApplyBackground"), QStringList{"ApplyBackground(0)"});
    EXPECT_EQ(Host.CallsOf("RestoreWindow"), QStringList{"RestoreWindow(20,14 624x460)"});
    EXPECT_EQ(Host.CallsOf("ApplyPanelSizes"), QStringList{"ApplyPanelSizes(346,220)"});
    EXPECT_EQ(Host.CallsOf("SelectModePage"), QStringList{"SelectModePage(3)"});
    EXPECT_EQ(Host.CallsOf("ApplyThumbMode"), QStringList{"ApplyThumbMode(2)"});
    EXPECT_FALSE(Host.Called("AskPassword"));
    EXPECT_LT(IndexOf(Host.Calls, "RestoreWindow"), IndexOf(Host.Calls, "ApplyPanelSizes"));
    EXPECT_LT(IndexOf(Host.Calls, "HideSplash"), IndexOf(Host.Calls, "SelectModePage"));

    EXPECT_FALSE(State.StartupInProgress);
    EXPECT_TRUE(State.SetupFinished);
    EXPECT_TRUE(State.PendingDisplay);
    EXPECT_TRUE(State.NewVersion);
    EXPECT_EQ(State.Settings.Version, ProductVersionText());
    EXPECT_EQ(State.Options, TOptions());
    EXPECT_EQ(State.BrowseMode, BrowseFolders);
    EXPECT_EQ(State.Settings.LastDir, Home.Path() + "Pictures/");
    EXPECT_EQ(State.CacheFolder, Home.Path() + "cache/Corvane/Common/Cache/");
    EXPECT_TRUE(QFileInfo(State.CacheFolder).isDir());
    EXPECT_EQ(State.DescriptionsFile, Data + "descrip.dat");
    EXPECT_EQ(ReadWholeFile(Data + "descrip.dat"), "[Descriptions]\r\n");
    EXPECT_TRUE(QFile::exists(AutoPlayEntryPath())); // registered for a new version
}

TEST_F(SetupTest, StoredValuesAreApplied) {
    QDir().mkpath(Home.Path() + "photos");
    Store("Version", ProductVersionText());
    Store("GMXLayout", "4");
    Store("OverrideBGColor", "True");
    Store("BGColor", "clRed");
    Store("ExternalPrintApp", "/usr/local/bin/sheetprint.sh");
    Store("WPMax", "TRUE");
    Store("WPLeft", "100");
    Store("LastDir", Home.Path() + "photos/");
    Store("CurrentBookmark", "Holiday");
    Store("Options", "111114210101020010001119");
    RunSetup();
    EXPECT_TRUE(Prompter.Shown().empty()) << Prompter.ShownTexts().join(u'|').toStdString();
    EXPECT_EQ(Host.CallsOf("ApplyLayout"), QStringList{"ApplyLayout(4)"});
    EXPECT_EQ(Host.CallsOf("ApplyBackground"), QStringList{"ApplyBackground(ff)"});
    EXPECT_EQ(Host.CallsOf("SetExternalPrintCaption"),
              QStringList{"SetExternalPrintCaption(Print Images with sheetprint...)"});
    EXPECT_EQ(Host.CallsOf("RestoreWindow"), QStringList{"RestoreWindow(100,14 624x460 max)"});
    EXPECT_EQ(Host.CallsOf("SetTreeFolder"),
              QStringList{"SetTreeFolder(" + Home.Path() + "photos/)"});
    EXPECT_EQ(Host.CallsOf("FillFavoritesLists"), QStringList{"FillFavoritesLists(Holiday)"});
    EXPECT_EQ(Host.CallsOf("SelectModePage"), QStringList{"SelectModePage(4)"});
    EXPECT_FALSE(State.NewVersion);
    EXPECT_FALSE(QFile::exists(AutoPlayEntryPath()));
}

TEST_F(SetupTest, FolderIsListedWheneverNoStartFileIsPending) {
    const QString image = Home.Path() + "a.jpg";
    WriteWholeFile(image, "x");
    struct TCase {
        QStringList Arguments;
        bool Listed;
    };
    const TCase cases[] = {{{}, true},
                           {{"/RESET"}, true},
                           {{"/CAM:/media/u/CAM"}, true},
                           {{Home.Path() + "missing.jpg"}, true},
                           {{image}, false},
                           {{Home.Path()}, false}};
    for (const TCase& c : cases) {
        Host = TFakeFrameHost();
        State = TMainState();
        RunSetup(c.Arguments);
        EXPECT_EQ(Host.Called("SelectModePage"), c.Listed) << c.Arguments.join(u' ').toStdString();
        EXPECT_EQ(State.PendingStartFile, c.Listed ? QString() : c.Arguments.front());
    }
    EXPECT_EQ(State.PendingCameraSource, std::nullopt);
    State = TMainState();
    RunSetup({"/cam:/media/u/CAM"});
    EXPECT_EQ(State.PendingCameraSource, "/media/u/CAM");
}

TEST_F(SetupTest, StoredPanelSizesAreBroughtIntoTheirRanges) {
    struct TCase {
        const char* Layout;
        const char* FileGridWidth;
        const char* FileGridTop;
        const char* Mode3Height;
        const char* Mode4Height;
        QString Applied;
        int Mode4HeightAfter;
    };
    // The fake window's client area is 600 x 400; the screen 1280 x 1024.
    const TCase cases[] = {
        {"1", "50", "", "30", "9000", "ApplyPanelSizes(100,50)", 400},
        {"3", "2000", "10", "", "", "ApplyPanelSizes(1280,80)", 130},
        {"3", "300", "290", "", "", "ApplyPanelSizes(300,270)", 130},
        {"4", "20", "", "300", "-5", "ApplyPanelSizes(100,100)", 50},
    };
    for (const TCase& c : cases) {
        Host = TFakeFrameHost();
        State = TMainState();
        Registry.DeleteKey(TRegHive::CurrentUser, SettingsKeys::Main);
        Store("GMXLayout", c.Layout);
        Store("FileGridWidth", c.FileGridWidth);
        Store("FileGridTop", c.FileGridTop);
        Store("Mode3Height", c.Mode3Height);
        Store("Mode4Height", c.Mode4Height);
        RunSetup();
        EXPECT_EQ(Host.CallsOf("ApplyPanelSizes"), QStringList{c.Applied}) << c.Applied;
        EXPECT_EQ(State.Settings.Mode4Height, c.Mode4HeightAfter) << c.Applied;
    }
}

struct TFailureCase {
    QStringList Failing;
    QString Message; // empty: none
    QStringList StillCalled;
};

void PrintTo(const TFailureCase& c, std::ostream* out) {
    *out << c.Failing.join(" and ").toStdString() << " failing";
}

class SetupFailure : public TFrameFixture, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(SetupFailure, CostsOnlyItsStep) {
    QDir().mkpath(Home.Path() + "Pictures");
    for (const QString& name : GetParam().Failing) Host.Failing.insert(name);
    RunSetup();
    const QStringList expected =
        GetParam().Message.isEmpty() ? QStringList() : QStringList{GetParam().Message};
    EXPECT_EQ(Prompter.ShownTexts(), expected);
    for (const QString& name : GetParam().StillCalled) EXPECT_TRUE(Host.Called(name)) << name;
    EXPECT_FALSE(State.StartupInProgress);
    EXPECT_TRUE(State.SetupFinished);
}

INSTANTIATE_TEST_SUITE_P(
    InjectedFailures, SetupFailure,
    ::testing::Values(
        TFailureCase{{"PrepareWindow"}, SetupMessages::SettingOptions, {"RestoreWindow"}},
        TFailureCase{{"ApplyToolbarDocks"}, SetupMessages::SettingOptions, {"ApplyLayout"}},
        TFailureCase{{"ApplyLayout", "ApplyBars"},
                     SetupMessages::SettingOptions,
                     {"ApplyBackground", "SelectModePage"}},
        TFailureCase{{"SetTreeFolder"}, SetupMessages::Preferences, {"RestoreWindow"}},
        TFailureCase{{"RestoreWindow"},
                     SetupMessages::Preferences,
                     {"ApplyPanelSizes", "UpdateFitIndicators", "FillFavoritesLists"}},
        TFailureCase{{"RestoreWindow", "FillFavoritesLists"},
                     SetupMessages::Preferences,
                     {"ApplyPanelSizes", "SelectModePage"}},
        TFailureCase{{"HideSplash"}, {}, {"SelectModePage", "ApplyThumbMode"}},
        TFailureCase{{"SelectModePage"}, SetupMessages::StartUp, {"ApplyThumbMode"}},
        TFailureCase{{"ApplyThumbMode"}, SetupMessages::SettingOptions, {}}));

TEST_F(SetupTest, CorruptedOptionsAreReportedOnlyForOurVersion) {
    struct TCase {
        const char* Version;
        const char* Options;
        QString Message; // empty: none
        int BrowseMode;
    };
    const TCase cases[] = {
        {"Glimmet 0.0", "111114210101020010001177", {}, BrowseFavorites},
        {"current", "111114210101020010001177", SetupMessages::Corrupted, BrowseFolders},
        // A non-digit: the defaults, and the preferences could not be loaded.
        {"current", "11111x210101020010001119", SetupMessages::Preferences, BrowseFolders},
        {"Glimmet 0.0", "11111x210101020010001119", SetupMessages::Preferences, BrowseFolders},
    };
    for (const TCase& c : cases) {
        Host = TFakeFrameHost();
        State = TMainState();
        Prompter = TScriptedPrompter();
        Store("Version", QString(c.Version) == "current" ? ProductVersionText() : c.Version);
        Store("Options", c.Options);
        RunSetup();
        EXPECT_EQ(Prompter.ShownTexts(),
                  c.Message.isEmpty() ? QStringList() : QStringList{c.Message})
            << c.Options;
        EXPECT_EQ(State.BrowseMode, c.BrowseMode) << c.Options;
    }
}

TEST_F(SetupTest, ValueOfAnotherTypeStopsTheReading) {
    Store("GMXLayout", "4");
    Store("TwainHandle", QString::number(calcaccesspw("secret")));
    Registry.WriteBinary(TRegHive::CurrentUser, SettingsKeys::Main, "Version", "x");
    Store("LastDir", Home.Path());
    Store("WPLeft", "100");
    Registry.WriteString(TRegHive::CurrentUser, SettingsKeys::Warning, "WarningMinimize", "False");
    Registry.WriteInteger(TRegHive::CurrentUser, SettingsKeys::Warning, "WarningGIFAnim", 0);
    Registry.WriteString(TRegHive::CurrentUser, SettingsKeys::Warning, "WarningColour", "False");
    Host.Passwords = QStringList{"secret"};
    RunSetup();
    EXPECT_EQ(Prompter.ShownTexts().last(), SetupMessages::Loading);
    EXPECT_EQ(Prompter.ShownTexts().count(SetupMessages::Loading), 1);
    // Read before the failing value.
    EXPECT_EQ(State.Settings.GMXLayout, 4);
    EXPECT_EQ(State.Settings.TwainHandle, calcaccesspw("secret"));
    // After it: the defaults.
    EXPECT_EQ(State.Settings.LastDir, Home.Path() + "Pictures/");
    EXPECT_EQ(State.Settings.WPLeft, 20);
    EXPECT_TRUE(State.NewVersion);
    EXPECT_FALSE(State.Warnings.WarningMinimize);
    EXPECT_TRUE(State.Warnings.WarningColour);
}

TEST_F(SetupTest, PasswordPromptComesBeforeAnyOtherModalWindow) {
    Screen.Depth = 8; // asks for the colour-depth hint
    Registry.WriteInteger(TRegHive::CurrentUser, SettingsKeys::Main, "ThumbMode", 1);
    Store("TwainHandle", QString::number(calcaccesspw("secret")));
    Host.Passwords = QStringList{"guess", "secret"};
    qsizetype shownBeforeFirstPrompt = -1;
    Host.OnAskPassword = [&] {
        if (shownBeforeFirstPrompt < 0) shownBeforeFirstPrompt = Prompter.Shown().size();
    };
    Prompter.QueueHintAnswer(false);
    RunSetup();
    EXPECT_EQ(shownBeforeFirstPrompt, 0);
    EXPECT_LT(IndexOf(Host.Calls, "HideSplash"), IndexOf(Host.Calls, "AskPassword"));
    EXPECT_EQ(Prompter.ShownTexts(),
              QStringList({"The password you entered was incorrect please try again!",
                           SetupMessages::Loading, "Windows Color Depth"}));
    EXPECT_FALSE(State.Warnings.WarningColour);
    EXPECT_TRUE(State.SetupFinished);
}

TEST_F(SetupTest, RefusedPasswordEndsSetupWithoutShowingTheWaitingMessages) {
    Registry.WriteInteger(TRegHive::CurrentUser, SettingsKeys::Main, "ThumbMode", 1);
    Store("TwainHandle", QString::number(calcaccesspw("secret")));
    Store("AfterPWApp", "/usr/bin/true");
    RunSetup();
    EXPECT_EQ(Host.CallsOf("AskPassword").size(), 3);
    EXPECT_EQ(Prompter.ShownTexts().size(), 3);
    EXPECT_EQ(Prompter.ShownTexts().last(),
              "You failed to enter the correct password.  Glimmet cannot be opened!");
    EXPECT_TRUE(State.CloseRequest);
    EXPECT_TRUE(State.StartupInProgress);
    EXPECT_FALSE(Host.Called("SelectModePage"));
    EXPECT_FALSE(Host.Called("RestoreWindow"));
    EXPECT_FALSE(Host.Called("LaunchProgram"));
}

TEST_F(SetupTest, ProgramAfterTheAcceptedPassword) {
    Store("TwainHandle", QString::number(calcaccesspw("secret")));
    Store("AfterPWApp", "/usr/local/bin/after");
    Host.Passwords = QStringList{"secret"};
    Host.LaunchSucceeds = false;
    RunSetup();
    EXPECT_EQ(Host.CallsOf("LaunchProgram"), QStringList{"LaunchProgram(/usr/local/bin/after)"});
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{SetupMessages::PostPassword});
}

TEST_F(SetupTest, ResetRequestEmptiesTheStore) {
    for (const char* how : {"DoReset", "/reset"}) {
        State = TMainState();
        Store("GMXLayout", "3");
        Registry.WriteString(TRegHive::CurrentUser, SettingsKeys::Warning, "WarningColour",
                             "False");
        Registry.WriteString(TRegHive::CurrentUser, SettingsKeys::Toolbars + "\\MainToolbar", "Rev",
                             "1");
        QStringList arguments;
        if (QString(how) == "DoReset")
            Store("DoReset", "true");
        else
            arguments << how;
        RunSetup(arguments);
        EXPECT_EQ(State.Settings.GMXLayout, 1) << how;
        EXPECT_TRUE(State.Warnings.WarningColour) << how;
        TRegistry saved(RegistryPath());
        EXPECT_EQ(Stored(saved, "DoReset"), "False") << how;
        EXPECT_EQ(Stored(saved, "GMXLayout"), "<missing>") << how;
        EXPECT_FALSE(saved.KeyExists(TRegHive::CurrentUser, SettingsKeys::Toolbars)) << how;
    }
}

TEST_F(SetupTest, ResetThatCannotBeSavedIsReportedAndNotRepeated) {
    Store("DoReset", "TRUE");
    Store("GMXLayout", "3");
    Registry.Save();
    TRegistry loaded(RegistryPath());
    // The store's folder gives way to a file: nothing can be saved.
    const QString folder = Home.Path() + "config/Corvane";
    ASSERT_TRUE(QDir().rename(folder, folder + ".away"));
    WriteWholeFile(folder, "x");
    ::Setup(State, loaded, Host, Prompter, Context());
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{SetupMessages::Resetting});
    EXPECT_EQ(State.Settings.GMXLayout, 1);
    EXPECT_EQ(Stored(loaded, "DoReset"), "False");

    // Once the store can be written again, the program's exit leaves DoReset off.
    QFile::remove(folder);
    ASSERT_TRUE(QDir().rename(folder + ".away", folder));
    FormClose(State, loaded, Host, Prompter, StoreContext());
    TRegistry saved(RegistryPath());
    EXPECT_EQ(Stored(saved, "DoReset"), "False");
    EXPECT_EQ(Stored(saved, "GMXLayout"), "1");
}

TEST_F(SetupTest, UnreadableStoreIsReportedAndTheDefaultsUsed) {
    QDir().mkpath(Home.Path() + "config/Corvane");
    WriteWholeFile(RegistryPath(), "not a registry file");
    TRegistry unreadable(RegistryPath());
    ::Setup(State, unreadable, Host, Prompter, Context());
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{SetupMessages::Opening});
    EXPECT_EQ(State.Settings.GMXLayout, 1);
    EXPECT_TRUE(State.SetupFinished);
}

TEST_F(SetupTest, ListsAreLoadedBesideTheSettings) {
    WriteWholeFile(Data + "favdir.txt", "/srv/b\r\n/srv/A\r\n\r\n/srv/c\n");
    WriteWholeFile(Data + "dirs.lst", "/x/2\r\n/x/1\r\n");
    WriteWholeFile(Data + "invalid.res", "x");
    RunSetup();
    EXPECT_EQ(State.FavoriteFolders, QStringList({"/srv/A", "/srv/b", "/srv/c"}));
    EXPECT_EQ(State.RecentFolders, QStringList({"/x/2", "/x/1"}));
    EXPECT_EQ(State.SheetInvalidPicture, Data + "invalid.res");
}

TEST_F(SetupTest, CacheFallsBackToTheTemporaryFolder) {
    WriteWholeFile(Home.Path() + "cache/Corvane", "a file where the folder should be");
    RunSetup();
    EXPECT_EQ(State.CacheFolder, Home.Path() + "tmp/private/");
}

} // namespace
