#include "ini_file.h"

#include "platform_test_support.h"
#include "safe_file.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QByteArray Sample = "; kept comment\n"
                          "[Other]\n"
                          "x=1\n"
                          "[descriptions]\n"
                          "/p/Photo.jpg=>a<\n"
                          "; inside\n"
                          "/p/b.jpg=>first<\n"
                          "/p/b.jpg=>second<\n"
                          " /p/c.jpg = >blank<\n";

TEST(IniFile, SectionsWithoutCaseKeysExactNothingTrimmed) {
    const TIniFile ini(Sample);
    EXPECT_EQ(ini.ReadString("DESCRIPTIONS", "/p/Photo.jpg"), ">a<");
    EXPECT_EQ(ini.ReadString("Descriptions", "/p/photo.jpg"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Descriptions", "/p/b.jpg"), ">first<");
    EXPECT_EQ(ini.ReadString("Descriptions", " /p/c.jpg "), " >blank<");
    EXPECT_EQ(ini.ReadString("Descriptions", "/p/c.jpg"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Descriptions", "x"), std::nullopt);
    EXPECT_EQ(ini.ReadString("other", "x"), "1");
    EXPECT_EQ(ini.ReadString("Descriptions", "; inside"), std::nullopt);
    EXPECT_EQ(TIniFile("[S]\r\nk=a=b\r\n").ReadString("s", "k"), "a=b");
}

TEST(IniFile, WritesInPlaceDroppingLaterDuplicatesAndKeepsTheRest) {
    TIniFile ini(Sample);
    EXPECT_FALSE(ini.Modified());
    ini.WriteString("Descriptions", "/p/b.jpg", ">new<");
    ini.WriteString("Descriptions", "/p/d.jpg", ">added<");
    ini.WriteString("Fresh", "k", "v");
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ini.Content(), "; kept comment\r\n"
                             "[Other]\r\n"
                             "x=1\r\n"
                             "[descriptions]\r\n"
                             "/p/Photo.jpg=>a<\r\n"
                             "; inside\r\n"
                             "/p/b.jpg=>new<\r\n"
                             " /p/c.jpg = >blank<\r\n"
                             "/p/d.jpg=>added<\r\n"
                             "[Fresh]\r\n"
                             "k=v\r\n");
}

TEST(IniFile, DeletingRemovesEveryLineOfTheKeyAndAnAbsentKeyChangesNothing) {
    TIniFile ini(Sample);
    EXPECT_FALSE(ini.DeleteKey("Descriptions", "/p/photo.jpg"));
    EXPECT_FALSE(ini.DeleteKey("Missing", "/p/b.jpg"));
    EXPECT_FALSE(ini.Modified());
    EXPECT_TRUE(ini.DeleteKey("Descriptions", "/p/b.jpg"));
    EXPECT_EQ(ini.ReadString("Descriptions", "/p/b.jpg"), std::nullopt);
    EXPECT_FALSE(ini.Content().contains("/p/b.jpg"));
    ini.WriteString("Descriptions", "/p/b.jpg", ">back<");
    EXPECT_EQ(ini.ReadString("Descriptions", "/p/b.jpg"), ">back<");
    EXPECT_EQ(ini.Content().count("/p/b.jpg"), 1);
}

TEST(IniFile, Utf8AndLongValuesRoundTripThroughTheFile) {
    TTempHome home;
    const QString path = home.Path() + "descrip.dat";
    const QString longText = QString(2000, u'é') + "ß";
    TIniFile ini;
    ini.WriteString("Descriptions", "/p/Ünïcode.jpg", longText);
    ini.Save(path);
    EXPECT_FALSE(ini.Modified());
    const std::optional<TIniFile> read = TIniFile::Load(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->ReadString("descriptions", "/p/Ünïcode.jpg"), longText);
    EXPECT_TRUE(TIniFile::Load(home.Path() + "missing.dat").has_value());
}

TEST(IniFile, AFailedSaveKeepsTheOldFile) {
    TTempHome home;
    const QString folder = home.Path() + "ro/";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "descrip.dat";
    WriteWholeFile(path, "[Descriptions]\r\n/a=>old<\r\n");
    TIniFile ini(ReadWholeFile(path));
    ini.WriteString("Descriptions", "/a", ">new<");
    // A folder in place of the file: no write can replace it, whoever runs the test.
    const QString blocked = folder + "blocked.dat";
    ASSERT_TRUE(QDir().mkdir(blocked));
    EXPECT_THROW(ini.Save(blocked), EFileWriteError);
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ReadWholeFile(path), "[Descriptions]\r\n/a=>old<\r\n");
}

} // namespace
