#include "direct_show.h"

#include "fake_frame_host.h"
#include "platform_test_support.h"
#include "scripted_prompter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DirectShow : public ::testing::Test {
protected:
    QString Dir() const { return FDir.path() + u'/'; }
    void Show(const QString& path) { directshow(path, State, Host, Prompter); }

    QTemporaryDir FDir;
    TMainState State;
    TFakeFrameHost Host;
    TScriptedPrompter Prompter;
};

TEST_F(DirectShow, ImageIsShownInItsFolderInFoldersMode) {
    State.BrowseMode = BrowseFavorites;
    Host.Tree = "/elsewhere/";
    State.Settings.CurrentFilter = "*.GIF";
    Show(Dir() + "a.jpg");
    EXPECT_EQ(Host.Calls,
              QStringList({"SelectModePage(3,handed)", "SetTreeFolder(" + Dir() + ")",
                           "RefreshFileList()", "SelectAndShowFile(" + Dir() + "a.jpg)"}));
    EXPECT_EQ(State.Settings.CurrentFilter, "");
    EXPECT_EQ(State.CurrentFile, Dir() + "a.jpg");
}

TEST_F(DirectShow, SameFolderAndCoveringFilterStay) {
    Host.Tree = Dir();
    State.Settings.CurrentFilter = "*.JPG; *.JPE;*.JPEG";
    Show(Dir() + "a.JPEG");
    EXPECT_EQ(Host.Calls, QStringList{"RefreshFileList()"}); // not an image the host supports
    EXPECT_EQ(State.Settings.CurrentFilter, "*.JPG; *.JPE;*.JPEG");
}

TEST_F(DirectShow, FolderIsListedInFoldersMode) {
    State.BrowseMode = BrowseFavorites;
    Show(FDir.path());
    EXPECT_EQ(Host.Calls, QStringList({"SelectModePage(3,handed)", "SetTreeFolder(" + Dir() + ")",
                                       "RefreshFileList()"}));
}

TEST_F(DirectShow, FavoritesListOpensInFavoritesMode) {
    Show(Dir() + "Holiday.FVT");
    EXPECT_EQ(Host.Calls, QStringList({"LoadBookmarkFile(" + Dir() + "Holiday.FVT)",
                                       "SelectModePage(4,handed)"}));
}

TEST_F(DirectShow, NothingWhileAModalWindowIsOpenAndFailuresAreReported) {
    Host.Modal = true;
    Show(Dir() + "a.jpg");
    EXPECT_TRUE(Host.Calls.isEmpty());
    Host.Modal = false;
    Host.Failing.insert("RefreshFileList");
    Show(Dir() + "a.jpg");
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{DisplayMessages::Processing});
}

TEST_F(DirectShow, HandOverOfALaterStart) {
    const QString image = Dir() + "b.png";
    WriteWholeFile(image, "x");
    HandOver({image, "/CAM:/ignored"}, State, Prompter);
    EXPECT_EQ(State.PendingStartFile, image);
    HandOver({"/CAM:/media/u/CAM"}, State, Prompter);
    EXPECT_EQ(State.PendingCameraSource, "/media/u/CAM");
    HandOver({}, State, Prompter);
    EXPECT_TRUE(Prompter.Shown().empty());
}

TEST_F(DirectShow, HandedOverSwitchesAreNotFiles) {
    struct TCase {
        QString Argument;
        bool Reported;
    };
    const TCase cases[] = {
        {"", false},           {"/RESET", false},
        {"/reset", false},     {"/UNINSTALL", false},
        {"/uninstall", false}, {"--new-window", false},
        {"-x", false},         {Dir() + "missing.png", true},
        {"/RESETS", true},
    };
    for (const TCase& c : cases) {
        TScriptedPrompter prompter;
        TMainState state;
        HandOver({c.Argument}, state, prompter);
        EXPECT_EQ(prompter.ShownTexts(),
                  c.Reported ? QStringList{DisplayMessages::Launched} : QStringList())
            << c.Argument.toStdString();
        EXPECT_EQ(state.PendingStartFile, "") << c.Argument.toStdString();
        EXPECT_EQ(state.PendingCameraSource, std::nullopt) << c.Argument.toStdString();
    }
}

} // namespace
