// The tree's folder commands with scripted answers, on folders in a temporary home.

#include "folder_commands.h"
#include "path_text.h"
#include "platform_test_support.h"
#include "scripted_prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class FolderCommands : public ::testing::Test {
protected:
    FolderCommands() {
        QDir().mkpath(Root + "photo/inner");
        QDir().mkpath(Root + "photos2");
    }
    TTempHome Home;
    const QString Root = Home.Path() + "a/";
    TScriptedPrompter Prompter;
};

TEST_F(FolderCommands, CreateTakesOneNewComponentOrNothing) {
    struct TCase {
        std::optional<QString> Typed; // nothing: Cancel
        TFolderOutcome Outcome;
    };
    const TCase cases[] = {
        {std::nullopt, TFolderOutcome::Cancelled},
        {"", TFolderOutcome::Cancelled},
        {"  ", TFolderOutcome::Cancelled},
        {"a/b", TFolderOutcome::Failed},
        {"..", TFolderOutcome::Failed},
        {".", TFolderOutcome::Failed},
        {"inner", TFolderOutcome::Failed},
        {"new one", TFolderOutcome::Done},
    };
    for (const TCase& c : cases) {
        const std::string name = c.Typed.value_or("<Cancel>").toStdString();
        Prompter.QueueTextAnswer(c.Typed);
        const size_t before = Prompter.Shown().size();
        const TFolderResult result = createnewdir(Root + "photo/", Prompter);
        EXPECT_EQ(result.Outcome, c.Outcome) << name;
        const QStringList shown = Prompter.ShownTexts().mid(static_cast<qsizetype>(before));
        if (c.Outcome == TFolderOutcome::Failed)
            EXPECT_EQ(shown.value(1), "Error encountered creating the folder, " + Root + "photo/" +
                                          c.Typed.value_or(""))
                << name;
        else
            EXPECT_EQ(shown.size(), 1) << name; // the question only
    }
    EXPECT_TRUE(QFileInfo(Root + "photo/new one").isDir());
    // Nothing was made outside the folder or beside it.
    EXPECT_FALSE(QFileInfo::exists(Root + "photo/a"));
    EXPECT_EQ(QDir(Root).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"photo", "photos2"}));
    EXPECT_EQ(QDir(Root + "photo").entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"inner", "new one"}));
}

TEST_F(FolderCommands, RenameNeverReplacesAndMovesOnlyTheTreeInside) {
    Prompter.QueueTextAnswer("photos2"); // exists
    EXPECT_EQ(renamedirectory(Root + "photo/", Prompter).Outcome, TFolderOutcome::Failed);
    EXPECT_EQ(Prompter.ShownTexts().last(),
              "Glimmet encountered an error renaming the folder, " + Root + "photo/");
    EXPECT_TRUE(QFileInfo(Root + "photo/inner").isDir());
    EXPECT_TRUE(QFileInfo(Root + "photos2").isDir());

    Prompter.QueueTextAnswer(std::nullopt);
    EXPECT_EQ(renamedirectory(Root + "photo/", Prompter).Outcome, TFolderOutcome::Cancelled);
    const auto& question = std::get<TTextQuestion>(Prompter.Shown().back());
    EXPECT_EQ(question.Initial, "photo");
    EXPECT_EQ(question.Limit, 100);

    Prompter.QueueTextAnswer("../escape");
    EXPECT_EQ(renamedirectory(Root + "photo/", Prompter).Outcome, TFolderOutcome::Failed);
    EXPECT_FALSE(QFileInfo::exists(Home.Path() + "escape"));

    Prompter.QueueTextAnswer("pictures");
    const TFolderResult renamed = renamedirectory(Root + "photo/", Prompter);
    ASSERT_EQ(renamed.Outcome, TFolderOutcome::Done);
    EXPECT_EQ(renamed.Path, Root + "pictures");
    EXPECT_TRUE(QFileInfo(Root + "pictures/inner").isDir());

    struct TCase {
        QString Tree, After;
    };
    const TCase cases[] = {{Root + "photo/", Root + "pictures/"},
                           {Root + "photo/inner/", Root + "pictures/inner/"},
                           {Root + "photo", Root + "pictures"},
                           {Root + "photos2/", Root + "photos2/"}, // beside, same first letters
                           {Root + "PHOTO/", Root + "PHOTO/"},     // another folder by case
                           {Root, Root}};
    for (const TCase& c : cases)
        EXPECT_EQ(PathAfterRename(c.Tree, Root + "photo/", renamed.Path), c.After)
            << c.Tree.toStdString();
}

TEST_F(FolderCommands, DeleteLeavesWhatALinkInsidePointsTo) {
    const QString outside = Home.Path() + "outside/";
    QDir().mkpath(outside);
    WriteWholeFile(outside + "keep.jpg", "x");
    WriteWholeFile(Root + "photo/inner/gone.jpg", "x");
    ASSERT_EQ(symlink(QFile::encodeName(RemoveSlash(outside)).constData(),
                      QFile::encodeName(Root + "photo/inner/link").constData()),
              0);

    Prompter.QueueAnswer(TPromptAnswer::Cancel);
    EXPECT_EQ(dodeletedir(Root + "photo/", Prompter, false), TFolderOutcome::Cancelled);
    EXPECT_EQ(Prompter.ShownTexts().last(),
              "DIRECTORY DELETION!\n\nAre you sure you want to remove the folder, " + Root +
                  "photo/?");
    EXPECT_TRUE(QFileInfo(Root + "photo").isDir());

    Prompter.QueueAnswer(TPromptAnswer::OK);
    EXPECT_EQ(dodeletedir(Root + "photo/", Prompter, false), TFolderOutcome::Done);
    EXPECT_FALSE(QFileInfo::exists(Root + "photo"));
    EXPECT_TRUE(QFileInfo(outside + "keep.jpg").isFile());
    EXPECT_TRUE(QFileInfo(Root + "photos2").isDir());
}

TEST_F(FolderCommands, AFailedTrashKeepsTheFolder) {
    QStringList trashed;
    auto failing = [&](const QString& folder) {
        trashed << folder;
        return false;
    };
    Prompter.QueueAnswer(TPromptAnswer::OK);
    EXPECT_EQ(dodeletedir(Root + "photo/", Prompter, true, failing), TFolderOutcome::Failed);
    EXPECT_EQ(trashed, QStringList{Root + "photo/"});
    EXPECT_EQ(Prompter.ShownTexts().last(),
              "Cannot remove folder, it may be not be empty or it may be marked read-only.");
    EXPECT_TRUE(QFileInfo(Root + "photo/inner").isDir());

    auto working = [&](const QString& folder) { return QDir(folder).removeRecursively(); };
    Prompter.QueueAnswer(TPromptAnswer::OK);
    EXPECT_EQ(dodeletedir(Root + "photos2/", Prompter, true, working), TFolderOutcome::Done);
    EXPECT_FALSE(QFileInfo::exists(Root + "photos2"));
}

TEST_F(FolderCommands, NothingIsOfferedForARootOrAMountPoint) {
    EXPECT_FALSE(FolderCommandsOffered("/"));
    EXPECT_FALSE(FolderCommandsOffered(""));
    EXPECT_FALSE(FolderCommandsOffered(Root + "missing/"));
    EXPECT_TRUE(FolderCommandsOffered(Root + "photo/"));
    // /proc is a file system of its own wherever the tests run.
    if (QFileInfo("/proc").isDir()) {
        EXPECT_FALSE(FolderCommandsOffered("/proc/"));
    }
    EXPECT_EQ(dodeletedir("/", Prompter, false), TFolderOutcome::Cancelled);
    EXPECT_TRUE(Prompter.Shown().empty());
}

} // namespace
