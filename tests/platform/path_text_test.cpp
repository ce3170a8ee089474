#include "path_text.h"

#include "platform_test_support.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

struct TTextCase {
    QString Input;
    QString Expected;
};

TEST(PathText, SlashesKeepBlanksAndTheRoot) {
    for (const TTextCase& c :
         {TTextCase{"/a/b", "/a/b/"}, TTextCase{"/a/b/", "/a/b/"}, TTextCase{"", ""},
          TTextCase{" trip ", " trip /"}, TTextCase{"a\\", "a\\/"}})
        EXPECT_EQ(AddSlash(c.Input), c.Expected) << c.Input.toStdString();
    for (const TTextCase& c :
         {TTextCase{"/a/b/", "/a/b"}, TTextCase{"/a/b", "/a/b"}, TTextCase{"/", "/"},
          TTextCase{"/a//", "/a/"}, TTextCase{" x /", " x "}, TTextCase{"", ""}})
        EXPECT_EQ(RemoveSlash(c.Input), c.Expected) << c.Input.toStdString();
}

TEST(PathText, OnlyTheLastComponentHasAnExtension) {
    struct TCase {
        QString Path, Extension, Name, Changed; // Changed: with ".jpg"
    };
    for (const TCase& c : {
             TCase{"/home/u/my.photos/readme", "", "readme", "/home/u/my.photos/readme.jpg"},
             TCase{"/home/u/a.tar.gz", ".gz", "a.tar", "/home/u/a.tar.jpg"},
             TCase{"/home/u/.hidden", "", ".hidden", "/home/u/.hidden.jpg"},
             TCase{"/home/u/.hidden.png", ".png", ".hidden", "/home/u/.hidden.jpg"},
             TCase{"/home/u/name.", ".", "name", "/home/u/name.jpg"},
             TCase{"/home/u/dir.d/", "", "", "/home/u/dir.d/.jpg"},
             TCase{"a\\b.c\\d", ".c\\d", "a\\b", "a\\b.jpg"}, // a backslash is no separator
             TCase{" b .JPG", ".JPG", " b ", " b .jpg"},
         }) {
        EXPECT_EQ(FileExtension(c.Path), c.Extension) << c.Path.toStdString();
        EXPECT_EQ(JustName(c.Path), c.Name) << c.Path.toStdString();
        EXPECT_EQ(changeextension(c.Path, ".jpg"), c.Changed) << c.Path.toStdString();
    }
    EXPECT_EQ(ExtractFinalPath("/home/u/my.photos/"), "my.photos");
    EXPECT_EQ(ExtractFinalPath("/home/u/my.photos"), "my.photos");
}

TEST(PathText, MasksAreComparedWhole) {
    struct TCase {
        QString File, Masks;
        bool Passes;
    };
    const QString jpeg = "*.JPG; *.JPE;*.JPEG";
    for (const TCase& c : {
             TCase{"/p/a.jpg", jpeg, true},
             TCase{"/p/a.JpE", jpeg, true},
             TCase{"/p/x.pg", "*.JPG;", false},   // not a part of ".JPG;"
             TCase{"/p/a.peg", "*.JPEG;", false}, // nor of ".JPEG;"
             TCase{"/p/a.jpeg", " *.jpeg ", true},
             TCase{"/p/readme", "*.GIF;*.NOTHING", true},
             TCase{"/p/readme.", "*.NOTHING;", true},
             TCase{"/p/.bashrc", "*.NOTHING", true},
             TCase{"/p/.bashrc", "*.BASHRC", false},
             TCase{"/p/readme", "*.GIF", false},
             TCase{"/p/my.d/readme", "*.D", false},
             TCase{"/p/a.gif", "*.*", true},
             TCase{"/p/readme", "*.*;", true},
             TCase{"/p/a.gif", "*.JPG;*.*", false},
             TCase{"/p/a.gif", "", false},
         })
        EXPECT_EQ(ExtInList(c.File, c.Masks), c.Passes)
            << c.File.toStdString() << " in " << c.Masks.toStdString();
}

TEST(PathText, BytesAsText) {
    struct TCase {
        int64_t Count;
        bool Short;
        QString Text;
    };
    for (const TCase& c :
         {TCase{999, false, "999 bytes"}, TCase{123456, false, "123,456 bytes"},
          TCase{1234567, false, "1,206 Kb"}, TCase{4096, true, "4 Kb"},
          TCase{1000000, false, "977 Kb"}, TCase{1000, false, "1,000 bytes"},
          TCase{1000, true, "1 Kb"}, TCase{999, true, "999 bytes"}, TCase{0, false, "0 bytes"}})
        EXPECT_EQ(bytestostr(c.Count, c.Short), c.Text) << c.Count;
}

TEST(PathText, PathsShortenFromTheLeft) {
    const QString path = "/home/u/Images/photo.jpg";
    const auto length = [](const QString& text) { return static_cast<int>(text.size()); };
    struct TCase {
        int Width;
        QString Shown;
    };
    for (const TCase& c :
         {TCase{100, path}, TCase{24, path}, TCase{23, "/.../u/Images/photo.jpg"},
          TCase{21, "/.../Images/photo.jpg"}, TCase{20, "/.../photo.jpg"},
          TCase{13, ".../photo.jpg"}, TCase{12, "photo.jpg"}, TCase{3, "photo.jpg"}})
        EXPECT_EQ(MinimizePathName(path, c.Width, length), c.Shown) << c.Width;
    EXPECT_EQ(MinimizePathName("/photo.jpg", 9, length), "photo.jpg");
    EXPECT_EQ(MinimizePathName("a/b/c.jpg", 8, length), "c.jpg");
}

TEST(PathText, WindowWidthLessTheMarginLimitsThePath) {
    QLabel label;
    label.resize(label.fontMetrics().horizontalAdvance("/.../Images/photo.jpg") + 10, 20);
    EXPECT_EQ(MinimizePathName(label, "/home/u/Images/photo.jpg", 10), "/.../Images/photo.jpg");
}

QString DigitsOf(const QString& text) {
    QString digits;
    for (QChar c : text)
        if (c.isDigit()) digits += c;
    return digits;
}

TEST(PathText, DateTimeTextsLeaveNoSeparatorsAndKeepEveryDigit) {
    const QDateTime moment(QDate(2024, 3, 5), QTime(14, 7));
    const QString shown = QLocale::system().toString(moment, QLocale::ShortFormat);
    const QString replaced = DateTimeFileText(moment, false);
    const QString removed = DateTimeFileText(moment, true);
    for (const QString& text : {replaced, removed}) {
        EXPECT_FALSE(text.contains(u':') || text.contains(u'/') || text.contains(u' '))
            << text.toStdString();
        EXPECT_EQ(DigitsOf(text), DigitsOf(shown)) << text.toStdString();
    }
    EXPECT_EQ(replaced.size(), shown.size());
    EXPECT_EQ(removed.size(),
              shown.size() - shown.count(u':') - shown.count(u'/') - shown.count(u' '));
}

} // namespace
