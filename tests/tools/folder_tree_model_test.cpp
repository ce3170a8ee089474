#include "folder_tree_model.h"

#include "path_text.h"
#include "platform_test_support.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QPersistentModelIndex>

#include <gtest/gtest.h>

namespace {

QStringList ChildNames(const QAbstractItemModel& model, const QModelIndex& parent) {
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.index(row, 0, parent).data().toString();
    return names;
}

class FolderTree : public ::testing::Test {
protected:
    // Before the model, which takes only the roots that exist.
    bool MakeTree() const {
        for (const char* folder : {"pics/b", "pics/A", "pics/.hidden", "pics/a", "pics/a/deep",
                                   "pics/my.photos", "home"})
            QDir().mkpath(p + folder);
        WriteWholeFile(p + "pics/file.jpg", "x");
        QFile::link(p + "pics/b", p + "pics/to-b");
        QFile::link(p + "pics/file.jpg", p + "pics/to-file");
        return QFile::link(p + "gone", p + "pics/dangling");
    }

    TTempHome Home;
    const QString p = Home.Path() + "tree/";
    const bool Made = MakeTree();
    TFolderTreeModel Model{std::vector<TFolderRoot>{
        {"Home", p + "home"}, {"Pictures", p + "pics"}, {"Missing", p + "none"}}};
};

TEST_F(FolderTree, TopLevelIsTheRootsThatExist) {
    EXPECT_EQ(ChildNames(Model, {}), (QStringList{"Home", "Pictures"}));
    const QModelIndex pictures = Model.index(1, 0);
    EXPECT_EQ(Model.PathOf(pictures), p + "pics");
    EXPECT_EQ(Model.rowCount(pictures), 0); // not read before it is expanded
    EXPECT_TRUE(Model.hasChildren(pictures));
    EXPECT_FALSE(Model.flags(pictures) & Qt::ItemIsEditable);
}

TEST_F(FolderTree, ExpandingReadsFoldersHiddenOnesAndLinks) {
    const QModelIndex pictures = Model.index(1, 0);
    ASSERT_TRUE(Model.canFetchMore(pictures));
    Model.fetchMore(pictures);
    EXPECT_FALSE(Model.canFetchMore(pictures));
    EXPECT_EQ(ChildNames(Model, pictures),
              (QStringList{".hidden", "A", "a", "b", "my.photos", "to-b"}));
    const QModelIndex link = Model.index(5, 0, pictures);
    EXPECT_TRUE(Model.IsLink(link));
    EXPECT_TRUE(link.data(TFolderTreeModel::LinkRole).toBool());
    EXPECT_EQ(Model.PathOf(link), p + "pics/to-b");
    EXPECT_FALSE(Model.IsLink(Model.index(3, 0, pictures)));
}

TEST_F(FolderTree, APathIsFoundAtOnceUnderTheClosestRoot) {
    const QModelIndex deep = Model.IndexOf(p + "pics/a/deep/");
    ASSERT_TRUE(deep.isValid());
    EXPECT_EQ(Model.PathOf(deep), p + "pics/a/deep");
    EXPECT_EQ(Model.PathOf(deep.parent().parent()), p + "pics"); // under Pictures, not "/"
    EXPECT_TRUE(Model.IndexOf(p + "pics/to-b").isValid());
    EXPECT_FALSE(Model.IndexOf(p + "pics/missing").isValid());
    EXPECT_FALSE(Model.IndexOf(p + "pics/file.jpg").isValid());
    EXPECT_EQ(Model.PathOf(Model.IndexOf(p + "home")), p + "home");
}

TEST_F(FolderTree, RefreshKeepsTheNodesThatStay) {
    const QPersistentModelIndex deep = Model.IndexOf(p + "pics/a/deep");
    const QPersistentModelIndex b = Model.IndexOf(p + "pics/b");
    ASSERT_TRUE(deep.isValid() && b.isValid());
    // It reads the whole tree and checks every change the refresh signals; the model has no
    // root above the temporary folder.
    QAbstractItemModelTester tester(&Model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QDir(p + "pics/a").mkdir("new");
    QDir(p + "pics").mkdir("c");
    QDir(p + "pics").rmdir("b");
    Model.Refresh();
    EXPECT_TRUE(deep.isValid());
    EXPECT_EQ(Model.PathOf(deep), p + "pics/a/deep");
    EXPECT_FALSE(b.isValid());
    EXPECT_EQ(ChildNames(Model, Model.IndexOf(p + "pics/a")), (QStringList{"deep", "new"}));
    EXPECT_EQ(ChildNames(Model, Model.IndexOf(p + "pics")),
              (QStringList{".hidden", "A", "a", "c", "my.photos"}));
}

TEST(FolderTreeRoots, TheDeepestRootHoldsThePath) {
    TTempHome home;
    QDir().mkpath(home.Path() + "pics/a");
    TFolderTreeModel model(
        std::vector<TFolderRoot>{{"/", "/"}, {"Pictures", home.Path() + "pics"}});
    EXPECT_EQ(model.PathOf(model.IndexOf("/")), "/");
    EXPECT_EQ(model.IndexOf(home.Path() + "pics/a").parent(), model.index(1, 0));
    EXPECT_EQ(model.PathOf(model.IndexOf(home.Path())), RemoveSlash(home.Path()));
}

TEST(MountedVolumes, OnlyVolumesTheUserBrowses) {
    const QByteArray table = "/dev/sda1 / ext4 rw 0 0\n"
                             "proc /proc proc rw 0 0\n"
                             "tmpfs /run tmpfs rw 0 0\n"
                             "/dev/sda2 /boot/efi vfat rw 0 0\n"
                             "/dev/sdb1 /media/u/My\\040Disk vfat rw 0 0\n"
                             "/dev/sdc1 /run/media/u/USB ext4 rw 0 0\n"
                             "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
                             "server:/srv /mnt/share nfs4 rw 0 0\n"
                             "/dev/sdb1 /media/u/My\\040Disk vfat rw 0 0\n"
                             "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n";
    EXPECT_EQ(MountedVolumes(table), (std::vector<TFolderRoot>{
                                         {"My Disk", "/media/u/My Disk"},
                                         {"USB", "/run/media/u/USB"},
                                         {"share", "/mnt/share"},
                                     }));
}

} // namespace
