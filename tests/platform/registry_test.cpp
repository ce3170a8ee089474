#include "registry.h"

#include "platform_test_support.h"
#include "user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString MainKey = QStringLiteral("SOFTWARE\\Corvane\\Glimmet");
constexpr TRegHive User = TRegHive::CurrentUser;

TEST(Registry, KeyPathsAndValueNamesCompareWithoutCase) {
    TTempHome home;
    TRegistry registry;
    registry.WriteString(User, MainKey, "GMXLayout", "3");
    registry.WriteString(User, "software\\CORVANE\\glimmet", "GMXLAYOUT", "4");

    EXPECT_EQ(registry.ReadString(User, "\\Software\\Corvane\\Glimmet\\", "gmxlayout"), "4");
    EXPECT_EQ(registry.ValueNames(User, MainKey), QStringList{"GMXLayout"});
    EXPECT_EQ(registry.SubKeyNames(User, "SOFTWARE"), QStringList{"Corvane"});
    EXPECT_FALSE(registry.KeyExists(TRegHive::LocalMachine, MainKey));
    EXPECT_FALSE(registry.ReadString(User, MainKey + "\\Warning", "GMXLayout").has_value());
}

TEST(Registry, TypedReadsRefuseAnotherType) {
    TTempHome home;
    TRegistry registry;
    registry.WriteInteger(User, MainKey, "DockPos", -5);
    registry.WriteBinary(User, MainKey, "Undo", QByteArray("\x00\x01", 2));
    registry.WriteString(User, MainKey, "Fast", "True");

    EXPECT_EQ(registry.ReadInteger(User, MainKey, "DockPos"), -5);
    EXPECT_EQ(registry.Value(User, MainKey, "DockPos"), TRegValue::DWord(0xFFFFFFFBu));
    EXPECT_EQ(registry.ReadBinary(User, MainKey, "Undo"), QByteArray("\x00\x01", 2));
    EXPECT_THROW(registry.ReadString(User, MainKey, "DockPos"), ERegistryError);
    EXPECT_THROW(registry.ReadInteger(User, MainKey, "Fast"), ERegistryError);
    EXPECT_THROW(registry.ReadBinary(User, MainKey, "Fast"), ERegistryError);
    EXPECT_FALSE(registry.ReadString(User, MainKey, "Missing").has_value());
}

TEST(Registry, DeletesKeysWithTheirSubkeysAndSingleValues) {
    TTempHome home;
    TRegistry registry;
    registry.WriteString(User, MainKey + "\\Warning", "WarningGIFAnim", "False");
    registry.WriteString(User, MainKey + "\\Toolbars\\Main", "Visible", "1");
    registry.WriteString(User, MainKey, "A", "1");
    registry.WriteString(User, MainKey, "B", "2");

    EXPECT_TRUE(registry.DeleteValue(User, MainKey, "a"));
    EXPECT_FALSE(registry.DeleteValue(User, MainKey, "a"));
    EXPECT_EQ(registry.ValueNames(User, MainKey), QStringList{"B"});
    EXPECT_TRUE(registry.DeleteKey(User, "Software\\corvane"));
    EXPECT_FALSE(registry.KeyExists(User, MainKey + "\\Toolbars\\Main"));
    EXPECT_TRUE(registry.KeyExists(User, "SOFTWARE"));
    EXPECT_FALSE(registry.DeleteKey(User, MainKey));
    EXPECT_FALSE(registry.DeleteKey(User, ""));
}

TEST(Registry, RefusesNamesTheFileCannotHold) {
    TTempHome home;
    TRegistry registry;
    EXPECT_THROW(registry.CreateKey(User, "SOFTWARE\\bad\nname"), ERegistryError);
    EXPECT_THROW(registry.WriteString(User, MainKey, "bad\rname", "x"), ERegistryError);
    EXPECT_FALSE(registry.KeyExists(User, "SOFTWARE\\bad\nname"));
    EXPECT_TRUE(registry.ValueNames(User, MainKey).isEmpty());
}

TEST(Registry, SavesIntoThePrivateConfigFolderAndReadsItBack) {
    TTempHome home;
    EXPECT_EQ(TRegistry::UserFilePath(), home.Path() + "config/Corvane/registry.reg");
    {
        TRegistry registry;
        EXPECT_EQ(registry.LoadState(), TRegLoadState::NoFile);
        EXPECT_FALSE(registry.Modified());
        registry.WriteString(User, MainKey, "LastDir", "/home/u/Pictures/");
        registry.WriteInteger(User, MainKey + "\\Toolbars\\Main", "DockRow", 2);
        registry.CreateKey(User, MainKey + "\\Warning");
        EXPECT_TRUE(registry.Modified());
        registry.Save();
        EXPECT_FALSE(registry.Modified());
    }
    EXPECT_EQ(FileMode(home.Path() + "config/Corvane"), 0700);
    EXPECT_TRUE(QDir(home.Path() + "config/Corvane").entryList(QDir::Files) ==
                QStringList{"registry.reg"});

    TRegistry reloaded;
    EXPECT_EQ(reloaded.LoadState(), TRegLoadState::Loaded);
    EXPECT_EQ(reloaded.ReadString(User, MainKey, "LastDir"), "/home/u/Pictures/");
    EXPECT_EQ(reloaded.ReadInteger(User, MainKey + "\\Toolbars\\Main", "DockRow"), 2);
    EXPECT_TRUE(reloaded.KeyExists(User, MainKey + "\\Warning"));
    reloaded.WriteString(User, MainKey, "LastDir", "/home/u/Pictures/");
    EXPECT_FALSE(reloaded.Modified()); // the same value again changes nothing
}

struct TBadFileCase {
    const char* Why;
    std::function<void(const QString& path)> Make;
    std::function<void(const QString& backup)> CheckBackup;
};

TEST(Registry, KeepsABadFileAsBackupAndStartsEmpty) {
    const QByteArray malformed = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_NOWHERE]\r\n";
    const std::vector<TBadFileCase> cases = {
        {"malformed", [&](const QString& path) { WriteWholeFile(path, malformed); },
         [&](const QString& backup) { EXPECT_EQ(ReadWholeFile(backup), malformed); }},
        {"unreadable", [](const QString& path) { QDir().mkpath(path + "/inside"); },
         [](const QString& backup) { EXPECT_TRUE(QFileInfo(backup + "/inside").isDir()); }},
    };
    for (const TBadFileCase& c : cases) {
        SCOPED_TRACE(c.Why);
        TTempHome home;
        QDir().mkpath(home.Path() + "config/Corvane");
        const QString path = TRegistry::UserFilePath();
        c.Make(path);

        TRegistry registry;
        EXPECT_EQ(registry.LoadState(), TRegLoadState::KeptAsBackup);
        EXPECT_FALSE(registry.LoadError().isEmpty());
        EXPECT_TRUE(registry.SubKeyNames(User, "").isEmpty());
        EXPECT_FALSE(QFileInfo::exists(path));
        registry.WriteString(User, MainKey, "GMXLayout", "2");
        registry.Save();

        EXPECT_EQ(TRegistry().ReadString(User, MainKey, "GMXLayout"), "2");
        c.CheckBackup(registry.BackupPath());
    }
}

TEST(Registry, NeverOverwritesABadFileItCouldNotMoveAside) {
    TTempHome home;
    const QString path = TRegistry::UserFilePath();
    QDir().mkpath(path + ".bak/occupied");
    const QByteArray malformed = "not a registry file";
    WriteWholeFile(path, malformed);

    TRegistry registry;
    EXPECT_EQ(registry.LoadState(), TRegLoadState::Unusable);
    registry.WriteString(User, MainKey, "GMXLayout", "2");
    EXPECT_THROW(registry.Save(), ERegistryError);
    EXPECT_EQ(ReadWholeFile(path), malformed);
}

} // namespace
