// Making thumbnails on pictures written in the test: the JPEG reduction, the fitted size, the
// cache file and its name, the fallback pictures, and a stop that leaves nothing on disk.

#include "pixel_graphic.h"
#include "platform_test_support.h"
#include "thumb_maker.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

void writePicture(const QString& path, int w, int h, uint32_t colour) {
    TPixelGraphic image;
    image.SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.SetPixelColor(x, y, colour);
    image.SaveToFile(path.toStdString());
}

// Within a few levels of JPEG's rounding.
bool near(QRgb pixel, int r, int g, int b) {
    return std::abs(qRed(pixel) - r) < 8 && std::abs(qGreen(pixel) - g) < 8 &&
           std::abs(qBlue(pixel) - b) < 8;
}

class ThumbMakerTest : public ::testing::Test {
protected:
    ThumbMakerTest() {
        QDir().mkpath(Pictures);
        writePicture(Pictures + "photo.jpg", 360, 300, 0x0000C0); // red
        writePicture(Pictures + "wide.bmp", 400, 100, 0x00C000);  // green
        writePicture(Pictures + "error.bmp", 20, 20, 0xC00000);   // blue
        writePicture(Pictures + "other.bmp", 30, 30, 0x808080);
    }

    TThumbRequest Request(const QString& name) const {
        TThumbRequest request;
        request.Path = Pictures + name;
        request.CacheFolder = Cache;
        request.Naming = {90, 75, std::nullopt, true, true};
        request.ErrorThumb = Pictures + "error.bmp";
        request.NonSupportedFormatThumb = Pictures + "other.bmp";
        return request;
    }
    QStringList CacheFiles() const { return QDir(Cache).entryList(QDir::Files | QDir::Hidden); }

    static bool Never() { return false; }

    TTempHome Home;
    QString Pictures = Home.Path() + "Pictures/";
    QString Cache = Home.Path() + "cache/";
};

TEST_F(ThumbMakerTest, JpegIsReducedFittedAndWrittenUnderItsName) {
    QDir().mkpath(Cache);
    const TThumbResult result = MakeThumbnail(Request("photo.jpg"), Never);
    ASSERT_EQ(result.Kind, TThumbKind::Picture);
    EXPECT_EQ(result.Thumb.size(), QSize(90, 75));
    EXPECT_EQ(result.Thumb.format(), QImage::Format_RGB32);
    EXPECT_TRUE(near(result.Thumb.pixel(45, 37), 0xC0, 0, 0));
    EXPECT_EQ(result.Dimensions, "360x300x24bit");
    struct stat st {};
    ::stat((Pictures + "photo.jpg").toUtf8().constData(), &st);
    ASSERT_EQ(result.MTime, st.st_mtime);
    const QString expected = ThumbCacheName(Pictures + "photo.jpg", {90, 75, st.st_mtime, true});
    EXPECT_EQ(result.WrittenName, expected);
    EXPECT_EQ(CacheFiles(), QStringList{expected}) << "no temporary file stays";

    // Read back from the cache file as written, with no decode of the source.
    TThumbRequest again = Request("photo.jpg");
    again.CachedFile = Cache + expected;
    again.CacheFolder.clear();
    const TThumbResult cached = MakeThumbnail(again, Never);
    EXPECT_EQ(cached.Thumb.size(), QSize(90, 75));
    EXPECT_TRUE(cached.WrittenName.isEmpty());
    EXPECT_TRUE(near(cached.Thumb.pixel(10, 10), 0xC0, 0, 0));
}

TEST_F(ThumbMakerTest, OtherFormatsAreFittedAndWrittenAsBitmaps) {
    TThumbRequest request = Request("wide.bmp");
    request.Naming.Jpeg = false;
    const TThumbResult result = MakeThumbnail(request, Never);
    EXPECT_EQ(result.Thumb.size(), QSize(90, 22));
    EXPECT_TRUE(near(result.Thumb.pixel(45, 11), 0, 0xC0, 0));
    ASSERT_TRUE(result.WrittenName.endsWith('b'));
    EXPECT_EQ(ReadWholeFile(Cache + result.WrittenName).left(2), "BM");
}

TEST_F(ThumbMakerTest, FallbackPicturesNeverReachTheDisk) {
    WriteWholeFile(Pictures + "broken.jpg", "not a picture at all");
    WriteWholeFile(Pictures + "notes.txt", "text");
    ::mkfifo((Pictures + "pipe.jpg").toUtf8().constData(), 0600);
    const struct {
        const char* Name;
        bool Supported;
        bool WithOtherPicture;
        TThumbKind Kind;
        QRgb Colour;
    } cases[] = {
        {"notes.txt", false, true, TThumbKind::NotSupported, qRgb(0x80, 0x80, 0x80)},
        {"notes.txt", false, false, TThumbKind::Error, qRgb(0, 0, 0xC0)},
        {"broken.jpg", true, true, TThumbKind::Error, qRgb(0, 0, 0xC0)},
        {"missing.jpg", true, true, TThumbKind::Error, qRgb(0, 0, 0xC0)},
        {"pipe.jpg", true, true, TThumbKind::Error, qRgb(0, 0, 0xC0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TThumbRequest request = Request(c.Name);
        request.Supported = c.Supported;
        if (!c.WithOtherPicture) request.NonSupportedFormatThumb.clear();
        const TThumbResult result = MakeThumbnail(request, Never);
        EXPECT_EQ(result.Kind, c.Kind);
        ASSERT_FALSE(result.Thumb.isNull());
        EXPECT_TRUE(
            near(result.Thumb.pixel(0, 0), qRed(c.Colour), qGreen(c.Colour), qBlue(c.Colour)));
        EXPECT_TRUE(result.WrittenName.isEmpty());
    }
    EXPECT_TRUE(CacheFiles().isEmpty());
    TThumbRequest bare = Request("missing.jpg");
    bare.ErrorThumb.clear();
    EXPECT_TRUE(MakeThumbnail(bare, Never).Thumb.isNull());
}

TEST_F(ThumbMakerTest, TruncatedJpegShowsWhatIsThere) {
    const QByteArray whole = ReadWholeFile(Pictures + "photo.jpg");
    WriteWholeFile(Pictures + "cut.jpg", whole.left(whole.size() * 2 / 3));
    const TThumbResult result = MakeThumbnail(Request("cut.jpg"), Never);
    EXPECT_EQ(result.Kind, TThumbKind::Picture);
    EXPECT_EQ(result.Thumb.size(), QSize(90, 75));
}

TEST_F(ThumbMakerTest, StoppedJobLeavesNothingWritten) {
    int asked = 0;
    // Stops at once, and after the decode, right before the write.
    for (int stopAt : {1, 3}) {
        asked = 0;
        const TThumbResult result =
            MakeThumbnail(Request("photo.jpg"), [&] { return ++asked >= stopAt; });
        EXPECT_TRUE(result.WrittenName.isEmpty()) << stopAt;
        EXPECT_TRUE(CacheFiles().isEmpty()) << stopAt;
    }
}

} // namespace
