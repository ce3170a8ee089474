// Shared desktop thumbnails: the size class, what is written after a decode (keys, modes, no
// temporary file left), the folders never written for, a thumbnail left by Pillow read back,
// and the desktop's own judgement of ours through gio (label conformance).

#include "pg_stream.h"
#include "pixel_graphic.h"
#include "platform_test_support.h"
#include "png_format.h"
#include "thumb_maker.h"
#include "thumb_shared.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

TEST(SharedThumbClass, SmallestClassCoveringTheBox) {
    const struct {
        QSize Box;
        const char* Folder;
    } cases[] = {{{90, 75}, "normal"},  {{128, 128}, "normal"}, {{129, 10}, "large"},
                 {{200, 256}, "large"}, {{300, 20}, "x-large"}, {{900, 900}, "x-large"}};
    for (const auto& c : cases)
        EXPECT_STREQ(SharedThumbClassFor(c.Box).Folder, c.Folder) << c.Box.width();
}

QString sourceDir() {
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath();
}

class SharedThumbTest : public ::testing::Test {
protected:
    SharedThumbTest() {
        QDir().mkpath(Pictures);
        TPixelGraphic image;
        image.SetSizeAndFormat(400, 300, pf24Bit);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) image.SetPixelColor(x, y, PGColor(0, 90, 200));
        image.SaveToFile(Picture.toStdString());
    }

    TThumbRequest Request(const QString& path) const {
        TThumbRequest request;
        request.Path = path;
        request.SharedRoot = Root;
        request.WriteShared = true;
        return request;
    }
    QString Written(const QString& path) const {
        return Root + "/normal/" + DesktopThumbName(path);
    }
    static TFileStamp StampOf(const QString& path) {
        struct stat st {};
        ::stat(path.toUtf8().constData(), &st);
        return {st.st_mtime, st.st_size};
    }
    static bool Never() { return false; }

    TTempHome Home;
    QString Root = SharedThumbRoot();
    QString Pictures = Home.Path() + "Pictures/";
    QString Picture = Pictures + "a b;\xC3\xA9.bmp";
};

TEST_F(SharedThumbTest, DecodeWritesTheClassWithItsKeysForTheUserAlone) {
    ASSERT_TRUE(Root.startsWith(Home.Path()));
    MakeThumbnail(Request(Picture), Never);
    const QString file = Written(Picture);
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(FileMode(file), 0600);
    EXPECT_EQ(FileMode(Root), 0700);
    EXPECT_EQ(FileMode(Root + "/normal"), 0700);
    EXPECT_EQ(QDir(Root + "/normal").entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file stays";

    const QByteArray bytes = ReadWholeFile(file);
    TMemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    const TFileStamp stamp = StampOf(Picture);
    const TPNGTexts expected = {{"Thumb::URI", DesktopThumbUri(Picture).toStdString()},
                                {"Thumb::MTime", std::to_string(stamp.MTime)},
                                {"Thumb::Size", std::to_string(stamp.Size)},
                                {"Software", "Glimmet"}};
    EXPECT_EQ(ReadPNGTexts(stream), expected);
    stream.Seek(0, TSeekOrigin::Begin);
    TPGImageInfo info;
    TPNGFileFormatReader().GetInfo(stream, 0, info);
    EXPECT_EQ(QSize(info.Width, info.Height), QSize(128, 96));
    EXPECT_EQ(info.SubFormat, "RGB, alpha");

    const std::optional<QImage> read = ReadSharedThumb(Root, Picture, stamp, {90, 75});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), QSize(90, 67));
    EXPECT_FALSE(ReadSharedThumb(Root, Picture, {stamp.MTime + 1, stamp.Size}, {90, 75}));
    EXPECT_FALSE(ReadSharedThumb(Root, Picture, {stamp.MTime, stamp.Size + 1}, {90, 75}));
}

TEST_F(SharedThumbTest, NothingIsWrittenForThumbnailFoldersOrWhenTurnedOff) {
    const QString cache = Home.Path() + "cache/";
    QDir().mkpath(cache);
    QDir().mkpath(Root + "/large");
    const QString inCache = cache + "copy.bmp", inRoot = Root + "/large/copy.bmp";
    QFile::copy(Picture, inCache);
    QFile::copy(Picture, inRoot);
    TThumbRequest cached = Request(inCache);
    cached.CacheFolder = cache;
    MakeThumbnail(cached, Never);
    MakeThumbnail(Request(inRoot), Never);
    TThumbRequest off = Request(Picture);
    off.WriteShared = false;
    MakeThumbnail(off, Never);
    for (const QString& path : {inCache, inRoot, Picture})
        EXPECT_FALSE(QFile::exists(Written(path))) << path.toStdString();
}

TEST_F(SharedThumbTest, ThumbnailLeftByPillowIsReadFromALargerClass) {
    const QString path = QString::fromUtf8("/home/user/Pictures/a b;\xC3\xA9.jpg");
    QDir().mkpath(Root + "/large");
    ASSERT_TRUE(QFile::copy(sourceDir() + "/../data/thumbs/" + DesktopThumbName(path),
                            Root + "/large/" + DesktopThumbName(path)));
    const std::optional<QImage> read = ReadSharedThumb(Root, path, {1704110400, 12345}, {90, 75});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), QSize(90, 67));
    EXPECT_EQ(read->pixelColor(45, 33), QColor(255, 128, 0));
    EXPECT_FALSE(ReadSharedThumb(Root, path, {1704110400, 12346}, {90, 75}));
}

// What the desktop's own library answers for the file's thumbnail.
QString gioValidity(const QString& path) {
    QProcess gio;
    gio.start("gio", {"info", "-a", "thumbnail::is-valid", path});
    if (!gio.waitForFinished(20000)) return "no answer";
    const QString out = QString::fromUtf8(gio.readAllStandardOutput());
    const qsizetype at = out.indexOf("thumbnail::is-valid: ");
    return at < 0 ? QString("no attribute") : out.mid(at + 21).section('\n', 0, 0).trimmed();
}

TEST_F(SharedThumbTest, ConformanceGioJudgesOurThumbnailValidUntilTheFileChanges) {
    if (QStandardPaths::findExecutable("gio").isEmpty()) GTEST_SKIP() << "gio is not installed";
    MakeThumbnail(Request(Picture), Never);
    ASSERT_TRUE(QFile::exists(Written(Picture)));
    EXPECT_EQ(gioValidity(Picture), "TRUE");
    const TFileStamp stamp = StampOf(Picture);
    const struct utimbuf later { stamp.MTime + 60, stamp.MTime + 60 };
    ::utime(Picture.toUtf8().constData(), &later);
    EXPECT_EQ(gioValidity(Picture), "FALSE");
}

} // namespace
