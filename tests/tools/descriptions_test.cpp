#include "descriptions.h"

#include "comma_text.h"
#include "platform_test_support.h"
#include "safe_file.h"
#include "scripted_prompter.h"

#include <gtest/gtest.h>

namespace {

class Descriptions : public ::testing::Test {
protected:
    Descriptions() { WriteWholeFile(Path, "[Descriptions]\r\n"); }
    QString File() const { return QString::fromUtf8(ReadWholeFile(Path)); }

    TTempHome Home;
    const QString Path = Home.Path() + "descrip.dat";
    TScriptedPrompter Prompter;
    int Writes = 0;
    bool FailWrites = false;
    TDescriptionStore Store{Path, Prompter, [this](const QString& path, const QByteArray& bytes) {
                                ++Writes;
                                if (FailWrites) throw EFileWriteError("Cannot create file");
                                WriteFileAtomically(path, bytes);
                            }};
};

TEST_F(Descriptions, StoresTheCommaTextUnderTheExactPath) {
    EXPECT_TRUE(Store.assigninidescription("/home/u/a.jpg", ToCommaText({"Beach at dusk"})));
    EXPECT_EQ(File(), "[Descriptions]\r\n/home/u/a.jpg=>\"Beach at dusk\"<\r\n");
    EXPECT_EQ(FromCommaText(Store.ReadDescription("/home/u/a.jpg")), QStringList{"Beach at dusk"});
    EXPECT_EQ(commatexttostring(Store.ReadDescription("/home/u/a.jpg")), "Beach at dusk");

    Store.assigninidescription("/home/u/Photo.jpg", ToCommaText({"first", "second line"}));
    Store.assigninidescription("/home/u/photo.jpg", "lower");
    EXPECT_TRUE(File().contains("/home/u/Photo.jpg=>first,\"second line\"<\r\n"));
    EXPECT_EQ(Store.ReadDescription("/home/u/Photo.jpg"), "first,\"second line\"");
    EXPECT_EQ(Store.ReadDescription("/home/u/photo.jpg"), "lower");
    EXPECT_EQ(Store.ReadDescription("/home/u/PHOTO.jpg"), "");

    Store.assigninidescription("/home/u/a.jpg", "");
    EXPECT_FALSE(File().contains("/home/u/a.jpg"));
    const int before = Writes;
    EXPECT_TRUE(Store.assigninidescription("/home/u/a.jpg", "")); // nothing to delete
    EXPECT_EQ(Writes, before);
    EXPECT_TRUE(Prompter.Shown().empty());
}

TEST_F(Descriptions, MovesCarryReplaceAndDelete) {
    Store.assigninidescription("/mnt/c/a.jpg", "one");
    Store.assigninidescription("/mnt/d/b.jpg", "two");
    Store.assigninidescription("/mnt/d/c.jpg", "three");
    EXPECT_TRUE(Store.moveinidescription("/mnt/c/a.jpg", "/mnt/d/b.jpg"));
    EXPECT_EQ(Store.ReadDescription("/mnt/c/a.jpg"), "");
    EXPECT_EQ(Store.ReadDescription("/mnt/d/b.jpg"), "one");
    EXPECT_FALSE(File().contains("/mnt/c/a.jpg"));

    EXPECT_TRUE(Store.moveinidescription("/mnt/none.jpg", "/mnt/d/c.jpg"));
    EXPECT_EQ(Store.ReadDescription("/mnt/d/c.jpg"), "three");
    EXPECT_TRUE(Store.moveinidescription("/mnt/d/c.jpg", ""));
    EXPECT_EQ(Store.ReadDescription("/mnt/d/c.jpg"), "");
}

TEST_F(Descriptions, LongTextsMoveWhole) {
    const QString text = ToCommaText({QString(2000, u'w')});
    Store.assigninidescription("/p/long.jpg", text);
    Store.moveinidescription("/p/long.jpg", "/q/long.jpg");
    EXPECT_EQ(Store.ReadDescription("/q/long.jpg"), text);
    TDescriptionStore again(Path, Prompter);
    EXPECT_EQ(again.ReadDescription("/q/long.jpg").size(), 2000);
}

TEST_F(Descriptions, AwkwardPathsAndTextsSurviveTheFile) {
    const QStringList paths = {"/p/a=b.jpg",     ";p/comment.jpg",     "[p]/section.jpg",
                               "/p/50%.jpg",     "/p/line\nbreak.jpg", "/p/cr\r.jpg",
                               "/p/ünï cödé.jpg"};
    const QString text = ToCommaText({"100% sure", "x"}) + "\r\ninjected=1";
    for (const QString& path : paths) Store.assigninidescription(path, text);
    Store.assigninidescription("/p/plain.jpg", "plain");
    TDescriptionStore fresh(Path, Prompter);
    for (const QString& path : paths) {
        EXPECT_EQ(fresh.ReadDescription(path), text) << path.toStdString();
        EXPECT_EQ(DecodeDescriptionKey(EncodeDescriptionKey(path)), path);
    }
    EXPECT_EQ(fresh.ReadDescription("/p/plain.jpg"), "plain");
    EXPECT_EQ(File().count("\r\n"), paths.size() + 2); // one line a key, and the header
    EXPECT_TRUE(File().contains("\r\n%3Bp/comment.jpg=>"));
    EXPECT_TRUE(File().contains("\r\n/p/a%3Db.jpg=>"));
    EXPECT_EQ(EncodeDescriptionKey("/p/a;[b].jpg"), "/p/a;[b].jpg");
}

TEST_F(Descriptions, AFailedWriteWarnsKeepsTheFileAndStillAnswersTrue) {
    Store.assigninidescription("/p/a.jpg", "old");
    FailWrites = true;
    EXPECT_TRUE(Store.assigninidescription("/p/a.jpg", "new"));
    EXPECT_TRUE(Store.moveinidescription("/p/a.jpg", "/p/b.jpg"));
    EXPECT_EQ(Prompter.ShownTexts(),
              (QStringList{DescriptionTexts::SaveFailed, DescriptionTexts::SaveFailed}));
    EXPECT_EQ(Store.ReadDescription("/p/a.jpg"), "old");
    EXPECT_EQ(File(), "[Descriptions]\r\n/p/a.jpg=>old<\r\n");
}

TEST_F(Descriptions, AnotherWriterIsSeen) {
    Store.assigninidescription("/p/a.jpg", "ours");
    WriteWholeFile(Path, "[Descriptions]\r\n/p/a.jpg=>theirs, longer<\r\n");
    EXPECT_EQ(Store.ReadDescription("/p/a.jpg"), "theirs, longer");
}

TEST_F(Descriptions, ABatchWritesOnceAndWarnsOnce) {
    {
        TDescriptionBatch batch(Store);
        for (const char* name : {"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"})
            Store.assigninidescription(name, "same");
        EXPECT_EQ(Writes, 0);
    }
    EXPECT_EQ(Writes, 1);
    EXPECT_EQ(TDescriptionStore(Path, Prompter).ReadDescription("/p/3.jpg"), "same");
    FailWrites = true;
    {
        TDescriptionBatch batch(Store);
        for (const char* name : {"/p/1.jpg", "/p/2.jpg"}) Store.moveinidescription(name, "");
    }
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{DescriptionTexts::SaveFailed});
    EXPECT_EQ(Store.ReadDescription("/p/1.jpg"), "same");
}

TEST(DescriptionsOff, EveryChangeWarnsAndNothingIsRead) {
    TScriptedPrompter prompter;
    TDescriptionStore store("", prompter);
    EXPECT_FALSE(store.IsOn());
    EXPECT_FALSE(store.assigninidescription("/p/a.jpg", "x"));
    EXPECT_FALSE(store.moveinidescription("/p/a.jpg", "/p/b.jpg"));
    EXPECT_EQ(store.ReadDescription("/p/a.jpg"), "");
    EXPECT_EQ(prompter.ShownTexts(), (QStringList{DescriptionTexts::Off, DescriptionTexts::Off}));
    {
        TDescriptionBatch batch(store);
        store.moveinidescription("/p/a.jpg", "");
        store.moveinidescription("/p/b.jpg", "");
    }
    EXPECT_EQ(prompter.Shown().size(), 3u);
}

// The first lookup in a file reads the key line alone; the second parses the file. Both must
// answer as the profile format reads it.
TEST_F(Descriptions, AFirstLookupAgreesWithTheParse) {
    struct TCase {
        const char* Name;
        QByteArray File;
        QString Key, Expected;
    };
    const TCase cases[] = {
        {"line feeds", "[Descriptions]\n/p/a.jpg=>one<\n", "/p/a.jpg", "one"},
        {"last line", "[Descriptions]\r\n/p/a.jpg=>one<", "/p/a.jpg", "one"},
        {"longer key first", "[Descriptions]\r\n/p/a.jpg.bak=>bak<\r\n/p/a.jpg=>one<\r\n",
         "/p/a.jpg", "one"},
        {"first of two", "[Descriptions]\r\n/p/a.jpg=>one<\r\n/p/a.jpg=>two<\r\n", "/p/a.jpg",
         "one"},
        {"comment", "; /p/a.jpg=>no<\r\n[DESCRIPTIONS]\r\n;/p/a.jpg=>no<\r\n/p/a.jpg=>one<\r\n",
         "/p/a.jpg", "one"},
        {"escaped key", "[Descriptions]\r\n/p/a%3Db.jpg=>one<\r\n", "/p/a=b.jpg", "one"},
        {"other section", "[Other]\r\n/p/a.jpg=>no<\r\n", "/p/a.jpg", ""},
        {"two sections", "[Descriptions]\r\n/p/a.jpg=>one<\r\n[Other]\r\n/p/a.jpg=>no<\r\n",
         "/p/a.jpg", "one"},
        {"no section", "", "/p/a.jpg", ""},
        {"missing key", "[Descriptions]\r\n/p/b.jpg=>one<\r\n", "/p/a.jpg", ""},
    };
    for (const TCase& c : cases) {
        WriteWholeFile(Path, c.File);
        TDescriptionStore fresh(Path, Prompter);
        EXPECT_EQ(fresh.ReadDescription(c.Key), c.Expected) << c.Name << ", scanned";
        EXPECT_EQ(fresh.ReadDescription(c.Key), c.Expected) << c.Name << ", parsed";
    }
}

TEST(DescriptionValues, QuotesComeOffOnce) {
    EXPECT_EQ(addquotes(">a,b<"), "a,b");
    EXPECT_EQ(addquotes(">><<"), "><");
    EXPECT_EQ(addquotes("plain"), "plain");
    EXPECT_EQ(addquotes(""), "");
}

} // namespace
