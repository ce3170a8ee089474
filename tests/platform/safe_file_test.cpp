#include "safe_file.h"

#include "../graphics/safe_write_checks.h"
#include "platform_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(SafeFile, WritesNewFilesAndReplacesOldOnesKeepingTheirPermissions) {
    TTempHome home;
    const QString target = home.Path() + "list.txt";
    WriteFileAtomically(target, QByteArray("first"));
    EXPECT_EQ(ReadWholeFile(target), "first");

    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    WriteFileAtomically(target, QByteArray("second"));
    EXPECT_EQ(ReadWholeFile(target), "second");
    EXPECT_EQ(FileMode(target), 0640);
}

TEST(SafeFile, WritingThroughALinkKeepsTheLink) {
    TTempHome home;
    const QString target = home.Path() + "real.txt", link = home.Path() + "link.txt";
    WriteWholeFile(target, "old");
    ASSERT_TRUE(QFile::link(target, link));
    WriteFileAtomically(link, QByteArray("new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadWholeFile(target), "new");
}

std::filesystem::path PathOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string Save(const std::filesystem::path& target, const std::string& bytes,
                 const std::function<void()>& during) {
    try {
        WriteFileAtomically(QFile::decodeName(target.c_str()), [&](QIODevice& device) {
            device.write(bytes.data(), static_cast<qint64>(bytes.size()));
            during();
        });
    } catch (const EFileWriteError& e) {
        return e.what();
    }
    return "";
}

TEST(SafeFile, ReplacesTheFileALinkEndsAtAndKeepsTheLinks) {
    TTempHome home;
    safe_write::CheckLinkCases(Save, PathOf(home.Path() + "work"));
}

TEST(SafeFile, KeepsTheModeAndRefusesAFileTheUserMayNotWrite) {
    TTempHome home;
    safe_write::CheckModeCases(Save, PathOf(home.Path() + "work"));
}

TEST(SafeFile, KeepsOwnerAndGroup) {
    TTempHome home;
    safe_write::CheckOwnershipKept(Save, PathOf(home.Path()));
}

// The runtime folder is the private folder a file waits in when its own folder takes no
// temporary file.
TEST(SafeFile, WritesAFileInAReadOnlyFolderThroughTheRuntimeFolder) {
    TTempHome home;
    safe_write::CheckReadOnlyFolder(Save, PathOf(home.Path() + "work"),
                                    PathOf(home.Path() + "runtime"));
}

TEST(SafeFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    TTempHome home;
    const QString folder = home.Path() + "out/";
    QDir().mkpath(folder);
    WriteWholeFile(folder + "page.html", "old page");
    auto failing = [](QIODevice& device) {
        device.write("half a pa");
        throw std::runtime_error("disk gone");
    };
    EXPECT_THROW(WriteFileAtomically(folder + "page.html", failing), std::runtime_error);
    EXPECT_EQ(ReadWholeFile(folder + "page.html"), "old page");
    EXPECT_EQ(Entries(folder), QStringList{"page.html"});

    EXPECT_THROW(WriteFileAtomically(folder + "missing/page.html", QByteArray("x")),
                 EFileWriteError);
    EXPECT_EQ(Entries(folder), QStringList{"page.html"});
}

using TRenameFunction = TRenameResult (*)(const QString&, const QString&);

// Every entry of a folder with what it holds: file bytes, "<folder>", or "-> " and a link's
// target.
std::map<QString, QByteArray> Snapshot(const QString& folder) {
    std::map<QString, QByteArray> entries;
    for (const QString& name : Entries(folder)) {
        const QFileInfo info(folder + name);
        if (info.isSymLink())
            entries[name] = "-> " + info.symLinkTarget().toUtf8();
        else if (info.isDir())
            entries[name] = "<folder>";
        else
            entries[name] = ReadWholeFile(folder + name);
    }
    return entries;
}

struct TRenameCase {
    const char* Why;
    std::function<void(const QString& folder)> Make; // makes "from" and maybe what is in the way
    QString To;
    TRenameResult Expected;
};

class SafeRename : public ::testing::TestWithParam<TRenameFunction> {};

TEST_P(SafeRename, NeverReplacesAnything) {
    auto file = [](const char* name, const char* bytes) {
        return [=](const QString& f) { WriteWholeFile(f + name, bytes); };
    };
    const std::vector<TRenameCase> cases = {
        {"free name", file("from", "a"), "to", TRenameResult::Renamed},
        {"name taken by a file",
         [&](const QString& f) {
             file("from", "a")(f);
             file("to", "b")(f);
         },
         "to", TRenameResult::TargetExists},
        {"name taken by a hard link of the same file",
         [&](const QString& f) {
             file("from", "a")(f);
             ASSERT_EQ(::link(QFile::encodeName(f + "from"), QFile::encodeName(f + "to")), 0);
         },
         "to", TRenameResult::TargetExists},
        {"name taken by a symbolic link to the file",
         [&](const QString& f) {
             file("from", "a")(f);
             QFile::link(f + "from", f + "to");
         },
         "to", TRenameResult::TargetExists},
        {"folder to a free name", [](const QString& f) { QDir().mkpath(f + "from/inner"); }, "to",
         TRenameResult::Renamed},
        {"folder onto an empty folder",
         [](const QString& f) {
             QDir().mkpath(f + "from/inner");
             QDir().mkpath(f + "to");
         },
         "to", TRenameResult::TargetExists},
        {"the same name", file("from", "a"), "from", TRenameResult::Renamed},
        {"missing source", [](const QString&) {}, "to", TRenameResult::Failed},
    };
    for (const TRenameCase& c : cases) {
        SCOPED_TRACE(c.Why);
        TTempHome home;
        const QString folder = home.Path() + "work/";
        QDir().mkpath(folder);
        c.Make(folder);
        std::map<QString, QByteArray> expected = Snapshot(folder);
        if (c.Expected == TRenameResult::Renamed)
            expected[c.To] = expected.extract("from").mapped();
        EXPECT_EQ(GetParam()(folder + "from", folder + c.To), c.Expected);
        EXPECT_EQ(Snapshot(folder), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, SafeRename, ::testing::Values(&RenameNoReplace, &RenameByLink),
                         [](const auto& info) {
                             return std::string(info.param == &RenameNoReplace ? "NoReplace"
                                                                               : "ByLink");
                         });

TEST(SafeFile, RenameAcrossFileSystemsIsReportedForACopy) {
    TTempHome home;
    const QString from = home.Path() + "from";
    WriteWholeFile(from, "a");
    const QString otherFolder = QStringLiteral("/dev/shm/");
    if (!QFileInfo(otherFolder).isWritable() || IsSameFileSystem(from, otherFolder))
        GTEST_SKIP() << "no second file system at " << otherFolder.toStdString();
    const QString to = otherFolder + "glimmet-rename-" + QString::number(::getpid());
    EXPECT_EQ(RenameNoReplace(from, to), TRenameResult::OtherFileSystem);
    EXPECT_TRUE(QFileInfo::exists(from));
    EXPECT_FALSE(QFileInfo::exists(to));
}

TEST(SafeFile, SameFileIsDecidedByDeviceAndInode) {
    TTempHome home;
    const QString h = home.Path();
    QDir().mkpath(h + "dir");
    WriteWholeFile(h + "dir/photo.jpg", "same bytes");
    WriteWholeFile(h + "copy.jpg", "same bytes");
    ::link(QFile::encodeName(h + "dir/photo.jpg"), QFile::encodeName(h + "hard.jpg"));
    QFile::link(h + "dir/photo.jpg", h + "soft.jpg");
    const QString photo = h + "dir/photo.jpg";
    const std::vector<std::pair<QString, bool>> cases = {
        {h + "dir/./photo.jpg", true}, {h + "dir/../dir/photo.jpg", true},
        {h + "hard.jpg", true},        {h + "soft.jpg", true},
        {h + "copy.jpg", false},       {h + "missing.jpg", false},
    };
    for (const auto& [other, same] : cases)
        EXPECT_EQ(IsSameFile(photo, other), same) << other.toStdString();
    EXPECT_TRUE(IsSameFileSystem(photo, h + "copy.jpg"));
    EXPECT_FALSE(IsSameFileSystem(photo, h + "missing.jpg"));
}

} // namespace
