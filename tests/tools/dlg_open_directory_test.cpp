#include "dlg_open_directory.h"

#include "platform_test_support.h"
#include "scripted_prompter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using A = TPromptAnswer;

TEST(FolderChooser, PromptHeightAndTop) {
    EXPECT_EQ(ChooserPrompt("/home/u/left/over/"), "Please select a folder");
    EXPECT_EQ(ChooserPrompt(""), "Please select a folder");
    EXPECT_EQ(ChooserPrompt("Where would you like to move the folder, /a"),
              "Where would you like to move the folder, /a");
    struct TCase {
        int Stored, Screen, Height;
    };
    for (const TCase& c : {TCase{200, 768, 400}, TCase{769, 768, 400}, TCase{275, 768, 400},
                           TCase{276, 768, 276}, TCase{768, 768, 768}, TCase{500, 1024, 500}})
        EXPECT_EQ(ChooserHeight(c.Stored, c.Screen), c.Height) << c.Stored << " " << c.Screen;
    EXPECT_EQ(ChooserTop(400, 0, 768), 184);
    EXPECT_EQ(ChooserTop(900, 0, 768), 30);
    EXPECT_EQ(ChooserTop(400, 100, 768), 284);
}

class CreateFolder : public ::testing::Test {
protected:
    CreateFolder() { QDir().mkpath(p + "a"); }
    bool Exists(const QString& name) const { return QFileInfo(p + name).isDir(); }
    QString Question() const {
        return "The directory, " + p + "a/b/c does not exist.  Would you like to create it?";
    }

    TTempHome Home;
    const QString p = Home.Path();
    TScriptedPrompter Prompter;
};

TEST_F(CreateFolder, AsksOnceAndMakesEachMissingFolderInTurn) {
    QStringList made;
    Prompter.QueueAnswer(A::OK);
    EXPECT_TRUE(createnewdirectory(p + "a/b/c", Prompter, [&](const QString& folder) {
        made << folder;
        return MakeOneFolder(folder);
    }));
    EXPECT_EQ(made, (QStringList{p + "a/b", p + "a/b/c"}));
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{Question()});
}

TEST_F(CreateFolder, CancelOrAFailureLeavesNothingMade) {
    Prompter.QueueAnswer(A::Cancel);
    EXPECT_FALSE(createnewdirectory(p + "a/b/c", Prompter));
    EXPECT_FALSE(Exists("a/b"));
    Prompter.QueueAnswer(A::OK);
    EXPECT_FALSE(createnewdirectory(p + "a/b/c", Prompter, [](const QString& folder) {
        return !folder.endsWith("/c") && MakeOneFolder(folder);
    }));
    EXPECT_FALSE(Exists("a/b"));
    EXPECT_EQ(Prompter.ShownTexts().last(),
              "An error was encountered whilst trying to create the folder, " + p + "a/b/c");
    EXPECT_FALSE(createnewdirectory("/", Prompter));
    EXPECT_EQ(Prompter.Shown().size(), 3u);
}

// Runs the action once the chooser is shown modally.
void WhenChooserShows(std::function<void(TdlgOpenDirectory&)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto* dialog = dynamic_cast<TdlgOpenDirectory*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        action(*dialog);
    });
    poll->start(10);
}

class Chooser : public ::testing::Test {
protected:
    TTempHome Home;
    TScriptedPrompter Prompter;
    int Height = 200;
    TQtFolderChooser Folders{Prompter, Height};
};

TEST_F(Chooser, ALeftoverPathIsNoPromptAndAStrayHeightGives400) {
    const int screen = QGuiApplication::primaryScreen()->availableGeometry().height();
    for (const int stored : {200, screen + 1}) {
        Height = stored;
        QString label;
        int shownHeight = 0;
        WhenChooserShows([&](TdlgOpenDirectory& dialog) {
            label = dialog.lbldlgopen->text();
            shownHeight = dialog.height();
            dialog.reject();
        });
        EXPECT_EQ(Folders.Choose(Home.Path() + "left/over/"), std::nullopt);
        EXPECT_EQ(label, "Please select a folder");
        EXPECT_EQ(shownHeight, 400) << stored;
        EXPECT_EQ(Height, 400); // stored when it closes
    }
}

TEST_F(Chooser, AnEmptyChoiceIsRefusedAndATypedFolderIsOfferedForCreation) {
    const QString wanted = Home.Path() + "new/sub";
    bool stayedOpen = false;
    WhenChooserShows([&](TdlgOpenDirectory& dialog) {
        dialog.directoryedit->clear();
        dialog.OKbtnClick();
        stayedOpen = dialog.isVisible();
        dialog.directoryedit->setText(wanted);
        dialog.OKbtnClick();
    });
    Prompter.QueueAnswer(A::OK);
    EXPECT_EQ(Folders.Choose("Pick one"), wanted);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(QFileInfo(wanted).isDir());
    EXPECT_EQ(Prompter.ShownTexts(),
              (QStringList{"Please select a folder.",
                           "The directory, " + wanted +
                               " does not exist.  Would you like to create it?"}));
}

TEST_F(Chooser, GoingToAnUnavailableFolderWarns) {
    QDir().mkpath(Home.Path() + "fav");
    TdlgOpenDirectory& window = Folders.Window();
    window.GoTo(Home.Path() + "fav/");
    EXPECT_EQ(window.directoryedit->text(), Home.Path() + "fav/");
    EXPECT_TRUE(Prompter.Shown().empty());
    window.GoTo(Home.Path() + "unplugged/");
    EXPECT_EQ(window.directoryedit->text(), Home.Path() + "fav/");
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{"Error encountered changing to the selected "
                                                 "folder, it may be on a drive which is "
                                                 "unavailable!"});
}

} // namespace
