#include "user_folders.h"

#include "platform_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(UserFolders, FollowTheXdgVariables) {
    TTempHome home;
    const QString h = home.Path();
    EXPECT_EQ(HomeFolder(), h);
    EXPECT_EQ(ConfigFolder(), h + "config/Corvane/");
    EXPECT_EQ(DataFolder(), h + "data/Corvane/Glimmet/");
    EXPECT_EQ(CacheFolder(), h + "cache/Corvane/Common/Cache/");
    EXPECT_EQ(RuntimeFolder(), h + "runtime/");
    EXPECT_EQ(PicturesFolder(), h + "Pictures/");
}

TEST(UserFolders, UnsetOrRelativeVariablesFallBackToTheHome) {
    for (const std::optional<QString>& value :
         {std::optional<QString>(), std::optional<QString>("relative/dir")}) {
        SCOPED_TRACE(value.value_or("unset").toStdString());
        TTempHome home;
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            home.SetVariable(name, value);
        const QString h = home.Path();
        EXPECT_EQ(ConfigFolder(), h + ".config/Corvane/");
        EXPECT_EQ(DataFolder(), h + ".local/share/Corvane/Glimmet/");
        EXPECT_EQ(CacheFolder(), h + ".cache/Corvane/Common/Cache/");
    }
}

TEST(UserFolders, PicturesComeFromTheUserDirsFile) {
    struct TCase {
        const char* Line;
        QString Expected; // below the home when relative
    };
    const std::vector<TCase> cases = {
        {"XDG_PICTURES_DIR=\"$HOME/Bilder\"", "Bilder/"},
        {"  XDG_PICTURES_DIR=\"$HOME/My \\\"Shots\\\"/\"", "My \"Shots\"/"},
        {"XDG_PICTURES_DIR=\"/srv/photos\"", "/srv/photos/"},
        {"XDG_PICTURES_DIR=\"$HOME\"", ""},
        {"XDG_PICTURES_DIR=Bilder", "Pictures/"},
        {"XDG_PICTURES_DIR=\"relative\"", "Pictures/"},
        {"# XDG_PICTURES_DIR=\"$HOME/commented\"", "Pictures/"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Line);
        TTempHome home;
        WriteWholeFile(home.Path() + "config/user-dirs.dirs",
                       QByteArray("XDG_MUSIC_DIR=\"$HOME/Music\"\n") + c.Line + "\n");
        const QString expected = c.Expected.startsWith('/') ? c.Expected : home.Path() + c.Expected;
        EXPECT_EQ(PicturesFolder(), expected);
    }
}

TEST(UserFolders, RuntimeFolderMustBeOursAlone) {
    const std::vector<std::pair<const char*, std::function<void(TTempHome&)>>> cases = {
        {"unset", [](TTempHome& home) { home.SetVariable("XDG_RUNTIME_DIR", std::nullopt); }},
        {"open to others",
         [](TTempHome& home) {
             QFile::setPermissions(home.Path() + "runtime", QFile::ReadOwner | QFile::WriteOwner |
                                                                QFile::ExeOwner | QFile::ReadOther |
                                                                QFile::ExeOther);
         }},
        {"a link",
         [](TTempHome& home) {
             QFile::link(home.Path() + "runtime", home.Path() + "runtime-link");
             home.SetVariable("XDG_RUNTIME_DIR", home.Path() + "runtime-link");
         }},
        {"missing",
         [](TTempHome& home) { home.SetVariable("XDG_RUNTIME_DIR", home.Path() + "nowhere"); }},
    };
    for (const auto& [why, make] : cases) {
        SCOPED_TRACE(why);
        TTempHome home;
        make(home);
        const QString fallback =
            home.Path() + "cache/Corvane/Runtime-" + QSysInfo::machineHostName() + "/";
        EXPECT_EQ(RuntimeFolder(), fallback);
        EXPECT_EQ(FileMode(fallback), 0700);
    }
}

TEST(UserFolders, RuntimeFallbackOfOursIsClosedAgain) {
    TTempHome home;
    home.SetVariable("XDG_RUNTIME_DIR", std::nullopt);
    const QString fallback =
        home.Path() + "cache/Corvane/Runtime-" + QSysInfo::machineHostName() + "/";
    QDir().mkpath(fallback);
    QFile::setPermissions(fallback, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
    EXPECT_EQ(RuntimeFolder(), fallback);
    EXPECT_EQ(FileMode(fallback), 0700);
}

TEST(UserFolders, EnsurePrivateFolderCreatesEachMissingPart) {
    TTempHome home;
    const QString h = home.Path();
    EXPECT_TRUE(EnsurePrivateFolder(h + "a/b/c/"));
    for (const char* part : {"a", "a/b", "a/b/c"}) EXPECT_EQ(FileMode(h + part), 0700) << part;
    EXPECT_TRUE(EnsurePrivateFolder(h + "a/b"));
    WriteWholeFile(h + "file", "x");
    EXPECT_FALSE(EnsurePrivateFolder(h + "file"));
    EXPECT_FALSE(EnsurePrivateFolder(h + "file/sub"));
    EXPECT_FALSE(EnsurePrivateFolder("relative/folder"));
}

TEST(UserFolders, PrivateTempFolderIsFreshClosedAndRemovedWithItsContent) {
    TTempHome home;
    const QString outside = home.Path() + "outside/";
    QDir().mkpath(outside);
    WriteWholeFile(outside + "keep.txt", "precious");
    QString first;
    {
        TPrivateTempFolder folder;
        TPrivateTempFolder other;
        first = folder.Path();
        ASSERT_FALSE(first.isEmpty());
        EXPECT_TRUE(first.startsWith(home.Path() + "tmp/glimmet-")) << first.toStdString();
        EXPECT_TRUE(first.endsWith('/'));
        EXPECT_NE(first, other.Path());
        EXPECT_EQ(FileMode(first), 0700);
        QDir().mkpath(first + "sub");
        WriteWholeFile(first + "sub/page.html", "x");
        QFile::link(outside, first + "sub/link");
    }
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_EQ(ReadWholeFile(outside + "keep.txt"), "precious");
}

TEST(UserFolders, ProgramFolderHoldsTheRunningExecutable) {
    const QString folder = ProgramFolder();
    ASSERT_TRUE(folder.endsWith('/'));
    EXPECT_TRUE(QFileInfo(folder + "platform_tests").isExecutable()) << folder.toStdString();
}

} // namespace
