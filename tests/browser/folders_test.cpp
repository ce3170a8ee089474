#include "folders.h"

#include "platform_test_support.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

struct TFixCase {
    const char* Path;
    bool Trailing;
    std::optional<QString> Fixed;
};

void PrintTo(const TFixCase& c, std::ostream* out) {
    *out << '"' << c.Path << (c.Trailing ? "\" with separator" : "\" without separator");
}

class FixPath : public ::testing::TestWithParam<TFixCase> {};

TEST_P(FixPath, Normalises) {
    EXPECT_EQ(fixpath(GetParam().Path, GetParam().Trailing, "/opt/glimmet/bin/"), GetParam().Fixed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixPath,
    ::testing::Values(TFixCase{"  /home/u/Pictures  ", true, "/home/u/Pictures/"},
                      TFixCase{"/home/u/Pictures/", false, "/home/u/Pictures"},
                      TFixCase{"/home/u/Pictures//", false, "/home/u/Pictures"},
                      TFixCase{"/home/u/Pictures/", true, "/home/u/Pictures/"},
                      TFixCase{"   ", true, ""}, TFixCase{"/", false, "/"},
                      TFixCase{"!Holiday!/srv/photos/2003", true, "/srv/photos/2003/"},
                      TFixCase{"!Holiday! /srv/a!b ", false, "/srv/a!b"},
                      TFixCase{"!Holiday!", true, ""}, TFixCase{"!Holiday/srv", true, std::nullopt},
                      TFixCase{"$/tips", false, "/opt/glimmet/bin/tips"},
                      TFixCase{"$", true, "/opt/glimmet/bin/"}, TFixCase{"/a$b", false, "/a$b"}));

TEST(Folders, KindsAndTheirFallbacks) {
    TFolders folders{"/opt/g/bin/", "/d/", "/c/", "/p/", "/t/", "/opt/g/share/glimmet/"};
    EXPECT_EQ(folders.GetFolder(TFolderKind::Program), "/opt/g/bin/");
    EXPECT_EQ(folders.GetFolder(TFolderKind::Cache), "/c/");
    EXPECT_EQ(folders.whereisdata(), "/d/");
    EXPECT_EQ(folders.GetFolder(TFolderKind::Temporary), "/t/");
    EXPECT_EQ(folders.GetFolder(TFolderKind::Pictures), "/p/");
    EXPECT_EQ(folders.GetFolder(TFolderKind::Current), QDir::currentPath() + u'/');
    folders.Cache.clear();
    folders.Pictures.clear();
    EXPECT_EQ(folders.GetFolder(TFolderKind::Cache), "/t/");
    EXPECT_EQ(folders.GetFolder(TFolderKind::Pictures), "/d/");
    EXPECT_EQ(ResourceFolderOf("/usr/local/bin/"), "/usr/local/share/glimmet/");
}

TEST(Folders, UserFoldersFollowTheXdgVariables) {
    TTempHome home;
    const TFolders folders = UserFolders(home.Path() + "data/x/", home.Path() + "tmp/y/");
    EXPECT_EQ(folders.Cache, home.Path() + "cache/Corvane/Common/Cache/");
    EXPECT_EQ(folders.Pictures, home.Path() + "Pictures/");
    EXPECT_EQ(folders.whereisdata(), home.Path() + "data/x/");
    EXPECT_TRUE(folders.Program.endsWith(u'/'));
}

} // namespace
