#include "file_routines.h"

#include "platform_test_support.h"
#include "scripted_prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using A = TPromptAnswer;

void Touch(const QString& path) {
    WriteWholeFile(path, "x");
}

TEST(FileRoutines, UniqueNamesStepPastEveryTakenEntry) {
    TTempHome home;
    const QString p = home.Path();
    QDir(p).mkdir("my.photos");
    ASSERT_TRUE(QFile::link(p + "gone", p + "a.jpg")); // dangling: still taken
    Touch(p + "a_2.jpg");
    Touch(p + ".hidden");
    Touch(p + "my.photos/readme");
    Touch(p + "b.jpg");
    struct TCase {
        QString Wanted, Separator, Expected;
    };
    for (const TCase& c :
         {TCase{"a.jpg", "_", "a_3.jpg"}, TCase{"c.jpg", "_", "c.jpg"},
          TCase{".hidden", "_", ".hidden_2"}, TCase{"my.photos/readme", "_", "my.photos/readme_2"},
          TCase{"b.jpg", " ", "b 2.jpg"}})
        EXPECT_EQ(UniqueFileName(p + c.Wanted, c.Separator), p + c.Expected)
            << c.Wanted.toStdString();

    EXPECT_EQ(UniqueFolderName(p + "my.photos/"), p + "my.photos_2");
    EXPECT_EQ(UniqueFolderName(p + "b.jpg", "-"), p + "b.jpg-2"); // a file takes the name too
    EXPECT_EQ(UniqueFolderName(p + "free/"), p + "free/");
}

TEST(FileRoutines, TemporaryNamesStayInThePrivateFolder) {
    TTempHome home;
    const QString own = home.Path() + "runtime/";
    ASSERT_TRUE(QFile::link(own + "elsewhere", own + "view.jpg"));
    EXPECT_EQ(TempFileFor(own, "view.jpg"), own + "view_2.jpg");
    EXPECT_EQ(TempFileFor(own, "new.jpg"), own + "new.jpg");
    EXPECT_EQ(TempFileFor("", "new.jpg"), "");
    EXPECT_EQ(TempFileFor(home.Path() + "missing/", "new.jpg"), "");
}

// Whether the kernel's own table lists the folder as a mount point.
bool IsListedMountPoint(const QByteArray& folder) {
    QFile table("/proc/self/mountinfo");
    if (!table.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && fields[4] == folder) return true;
    }
    return false;
}

TEST(FileRoutines, DriveRootsAreTheRootAndMountPoints) {
    TTempHome home;
    EXPECT_TRUE(IsDriveRoot("/"));
    EXPECT_TRUE(IsDriveRoot("/../"));
    EXPECT_FALSE(IsDriveRoot(home.Path()));
    EXPECT_FALSE(IsDriveRoot(home.Path() + "missing"));
    EXPECT_FALSE(IsDriveRoot(""));
    if (!IsListedMountPoint("/proc")) GTEST_SKIP() << "no /proc mounted";
    EXPECT_TRUE(IsDriveRoot("/proc"));
    EXPECT_TRUE(IsDriveRoot("/proc/"));
    EXPECT_FALSE(IsDriveRoot("/proc/self/fd"));
}

class FolderChain : public ::testing::Test {
protected:
    FolderChain() { QDir(p).mkdir("a"); }
    bool Exists(const QString& name) const { return QFileInfo(p + name).isDir(); }

    TTempHome home;
    const QString p = home.Path();
    TScriptedPrompter Prompter;
};

TEST_F(FolderChain, MakesEveryMissingFolderBelowTheRoot) {
    EXPECT_EQ(MissingFolders(p + "a/b/c/"), (QStringList{p + "a/b", p + "a/b/c"}));
    QStringList made;
    Prompter.QueueAnswer(A::OK);
    EXPECT_TRUE(ForceFolder(p + "a/b/c", &Prompter, true, true, [&](const QString& folder) {
        made << folder;
        return MakeOneFolder(folder);
    }));
    EXPECT_EQ(made, (QStringList{p + "a/b", p + "a/b/c"}));
    EXPECT_EQ(
        Prompter.ShownTexts(),
        QStringList{"The folder, " + p + "a/b/c, does not exist.  Would you like to create it?"});
    EXPECT_TRUE(ForceFolder(p + "a/b/c", &Prompter, true, true)); // exists: no question
    EXPECT_EQ(Prompter.Shown().size(), 1u);
}

TEST_F(FolderChain, CancelMakesNothingAndAFailureLeavesNothingMade) {
    Prompter.QueueAnswer(A::Cancel);
    EXPECT_FALSE(ForceFolder(p + "a/b/c", &Prompter, true, true));
    EXPECT_FALSE(Exists("a/b"));

    const auto failAtC = [&](const QString& folder) {
        return !folder.endsWith("/c") && MakeOneFolder(folder);
    };
    EXPECT_FALSE(ForceFolder(p + "a/b/c/d", &Prompter, false, true, failAtC));
    EXPECT_FALSE(Exists("a/b"));
    EXPECT_TRUE(Exists("a"));
    EXPECT_EQ(Prompter.ShownTexts().last(),
              "An error was encountered whilst trying to create the folder, " + p + "a/b/c/d.");
    EXPECT_FALSE(ForceFolder(p + "a/b/c", nullptr, true, true, failAtC)); // silent
}

TEST_F(FolderChain, TheFirstFolderBelowTheRootIsMadeToo) {
    // The old rule skipped three characters, so "/x" of "/x/y" was never made.
    EXPECT_EQ(MissingFolders("/glimmet-surely-missing/y"),
              (QStringList{"/glimmet-surely-missing", "/glimmet-surely-missing/y"}));
    EXPECT_TRUE(MissingFolders("/").isEmpty());
    const auto fileInTheWay = p + "a/file";
    Touch(fileInTheWay);
    EXPECT_FALSE(CreateFolderChain(fileInTheWay + "/sub"));
}

TEST(FileRoutines, CopiesReplaceOnlyWithACompleteCopy) {
    TTempHome home;
    const QString p = home.Path();
    WriteWholeFile(p + "from.jpg", "new picture");
    WriteWholeFile(p + "to.jpg", "old");
    ::chmod(QFile::encodeName(p + "to.jpg").constData(), 0640);
    ASSERT_TRUE(QFile::link(p + "to.jpg", p + "link.jpg"));

    CopyFileTo(p + "from.jpg", p + "link.jpg", true, true);
    EXPECT_EQ(ReadWholeFile(p + "to.jpg"), "new picture");
    EXPECT_TRUE(QFileInfo(p + "link.jpg").isSymLink());
    EXPECT_EQ(FileMode(p + "to.jpg"), 0640);

    WriteWholeFile(p + "to.jpg", "old");
    EXPECT_THROW(CopyFileTo(p + "from.jpg", p + "to.jpg", false), EQFileError);
    EXPECT_THROW(CopyFileTo(p + "missing.jpg", p + "to.jpg"), EQFileError);
    EXPECT_EQ(ReadWholeFile(p + "to.jpg"), "old");
    // One file under two spellings is never copied onto itself.
    EXPECT_THROW(CopyFileTo(p + "link.jpg", p + "to.jpg"), EQFileError);
    EXPECT_THROW(CopyFileTo(p + "to.jpg", p + "./to.jpg"), EQFileError);
    EXPECT_EQ(ReadWholeFile(p + "to.jpg"), "old");

    CopyFileTo(p + "from.jpg", p + "fresh.jpg", false);
    EXPECT_EQ(ReadWholeFile(p + "fresh.jpg"), "new picture");
    EXPECT_EQ(QDir(p).entryList(QDir::Files | QDir::Hidden).size(), 4); // no temporary left
}

class Listing : public ::testing::Test {
protected:
    Listing() {
        QDir(p).mkdir("Holiday.jpg");
        Touch(p + "a.jpg");
        Touch(p + "B.GIF");
        Touch(p + "readme");
        Touch(p + ".hidden.jpg");
        QFile::link(p + "a.jpg", p + "linked.jpg");
        QFile::link(p + "gone.jpg", p + "dangling.jpg");
        QFile::link(p + "Holiday.jpg", p + "folderlink.jpg");
    }
    QStringList Sorted(std::optional<QStringList> names) {
        EXPECT_TRUE(names.has_value());
        QStringList list = names.value_or(QStringList());
        list.sort();
        return list;
    }

    TTempHome home;
    const QString p = home.Path() + "tmp/";
};

TEST_F(Listing, OnlyRegularFilesLinksFollowed) {
    EXPECT_EQ(Sorted(FileNamesIn(p)),
              (QStringList{".hidden.jpg", "B.GIF", "a.jpg", "linked.jpg", "readme"}));
    EXPECT_EQ(Sorted(ListFiles(p, "*.JPG;*.gif", TListForm::Names)),
              (QStringList{".hidden.jpg", "B.GIF", "a.jpg", "linked.jpg"}));
    EXPECT_EQ(Sorted(ListFiles(p, "*.NOTHING", TListForm::FullPaths)), QStringList{p + "readme"});
    EXPECT_EQ(Sorted(ListFiles(p, "*.GIF", TListForm::NamesWithoutExtension)), QStringList{"B"});
}

TEST_F(Listing, AMissingFolderFailsAndSaysSoWhenAsked) {
    TScriptedPrompter prompter;
    EXPECT_FALSE(ListFiles(p + "missing/", "*.*", TListForm::Names));
    EXPECT_FALSE(ListFiles(p + "missing/", "*.*", TListForm::Names, &prompter));
    EXPECT_EQ(prompter.ShownTexts(),
              QStringList{"Unable to change to the folder, " + p + "missing/."});
}

TEST_F(Listing, DeletesTheMatchingFilesOnly) {
    EXPECT_THROW(DeleteFilesByMask("", "*.jpg"), EError);
    EXPECT_THROW(DeleteFilesByMask(p, ""), EError);
    EXPECT_TRUE(DeleteFilesByMask(p, "*.jpg"));
    EXPECT_EQ(Sorted(FileNamesIn(p)), (QStringList{"B.GIF", "readme"}));
    EXPECT_TRUE(QFileInfo(p + "Holiday.jpg").isDir());
    EXPECT_TRUE(QFileInfo(p + "dangling.jpg").isSymLink());
}

TEST(FileRoutines, ShellFoldersComeFromTheUserFolders) {
    TTempHome home;
    WriteWholeFile(home.Path() + "config/user-dirs.dirs",
                   "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_PICTURES_DIR=\"$HOME/Pics\"\n");
    EXPECT_EQ(ShellFolder("Personal"), home.Path() + "Docs/");
    EXPECT_EQ(ShellFolder("MY PICTURES"), home.Path() + "Pics/");
    EXPECT_EQ(ShellFolder("LOCAL APPDATA"), home.Path() + "data/");
    EXPECT_EQ(ShellFolder("SENDTO"), home.Path() + "data/applications/");
    EXPECT_EQ(ShellFolder("NO SUCH"), "");
}

TEST(FileRoutines, LongNamesAreAbsoluteAndLeaveLinksAlone) {
    TTempHome home;
    const QString p = home.Path();
    QDir(p).mkdir("real");
    ASSERT_TRUE(QFile::link(p + "real", p + "link"));
    QDir::setCurrent(p + "real");
    struct TCase {
        QString Path, Long;
    };
    for (const TCase& c : {TCase{p + "link/", p + "link"}, TCase{"../link", p + "link"},
                           TCase{"/", "/"}, TCase{p + "real/../missing/x", ""}, TCase{"", ""}})
        EXPECT_EQ(longPathName(c.Path), c.Long) << c.Path.toStdString();
    EXPECT_EQ(ShortPathName("../link/x.jpg"), p + "link/x.jpg");
    QDir::setCurrent("/");
}

} // namespace
