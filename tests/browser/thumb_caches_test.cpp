// The memory ring, the disk cache's index and the dimension cache, on files in a temporary
// folder: across runs, least recently used first, the limits, the save points and the faults
// of names that went stale.

#include "platform_test_support.h"
#include "thumb_dimensions.h"
#include "thumb_disk_index.h"
#include "thumb_names.h"
#include "thumb_ring.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TRingThumb filled(QRgb colour) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    return {image};
}

TEST(ThumbRing, WritesAtAWrappingPointerAndSkipsHeldPaths) {
    TThumbRing ring(2);
    ring.Store("/p/a.jpg", filled(0xFF0000));
    ring.Store("/p/a.jpg", filled(0x00FF00)); // held: not written again
    ring.Store("/p/b.jpg", filled(0x0000FF));
    ASSERT_TRUE(ring.Lookup("/p/a.jpg"));
    EXPECT_EQ(ring.Lookup("/p/a.jpg")->Thumb.pixel(0, 0), 0xFFFF0000u);
    EXPECT_FALSE(ring.Lookup("/p/A.jpg")) << "paths are exact";
    ring.Store("/p/c.jpg", filled(0)); // wraps onto a
    EXPECT_FALSE(ring.Lookup("/p/a.jpg"));
    EXPECT_TRUE(ring.Lookup("/p/b.jpg"));
    ring.Invalidate("/p/b.jpg");
    EXPECT_FALSE(ring.Lookup("/p/b.jpg"));
    ring.Store("/p/d.jpg", {QImage(), true});
    ASSERT_TRUE(ring.Lookup("/p/d.jpg")) << "a failure is held, or it is asked for at every paint";
    EXPECT_TRUE(ring.Lookup("/p/d.jpg")->Failed);
}

TEST(ThumbRing, GrowingKeepsTheOldestNextInLine) {
    TThumbRing ring(2);
    ring.Store("/a", filled(1));
    ring.Store("/b", filled(2));
    ring.EnsureCapacity(4);
    ring.Store("/c", filled(3));
    ring.Store("/d", filled(4));
    for (const char* held : {"/a", "/b", "/c", "/d"}) EXPECT_TRUE(ring.Lookup(held)) << held;
    ring.Store("/e", filled(5));
    EXPECT_FALSE(ring.Lookup("/a"));
    EXPECT_TRUE(ring.Lookup("/b"));
    TThumbRing off(0);
    off.Store("/a", filled(1));
    EXPECT_FALSE(off.Lookup("/a"));
}

class ThumbDiskIndexTest : public ::testing::Test {
protected:
    TTempHome Home;
    QString Folder = Home.Path() + "cache/";

    // Writes a thumbnail file the way a job does and records it.
    QString Put(TThumbDiskIndex& index, const QString& path, int64_t mtime = 1704110400) {
        const QString name = ThumbCacheName(path, {90, 75, mtime, true, true});
        WriteWholeFile(index.FilePath(name), "thumb");
        index.Record(path, name);
        return name;
    }
    QStringList CacheFiles() const {
        return QDir(Folder).entryList({"~x*"}, QDir::Files, QDir::Name);
    }
    static QString NameOf(const QString& path, int64_t mtime = 1704110400) {
        return ThumbCacheName(path, {90, 75, mtime, true, true});
    }
};

TEST_F(ThumbDiskIndexTest, IndexSurvivesARunAndKeepsLeastRecentlyUsedFirst) {
    {
        TThumbDiskIndex index;
        index.SetFolder(Folder);
        Put(index, "/p/a.jpg");
        Put(index, "/p/b\tc.jpg"); // a tab inside a path: split at the first tab
        Put(index, "/p/c.jpg");
        EXPECT_TRUE(index.Lookup("/p/a.jpg", NameOf("/p/a.jpg")));
    }
    EXPECT_EQ(ReadWholeFile(Folder + "~cche.idx"),
              (NameOf("/p/b\tc.jpg") + "\t/p/b\tc.jpg\n" + NameOf("/p/c.jpg") + "\t/p/c.jpg\n" +
               NameOf("/p/a.jpg") + "\t/p/a.jpg\n")
                  .toUtf8());
    TThumbDiskIndex again;
    again.SetLimit(2);
    again.SetFolder(Folder);
    EXPECT_EQ(again.Count(), 2) << "a lowered limit evicts until it is reached";
    EXPECT_FALSE(again.Lookup("/p/b\tc.jpg", NameOf("/p/b\tc.jpg")));
    EXPECT_EQ(again.Lookup("/p/c.jpg", NameOf("/p/c.jpg")), Folder + NameOf("/p/c.jpg"));
    EXPECT_EQ(CacheFiles().size(), 2);
}

TEST_F(ThumbDiskIndexTest, LimitEvictsTheOldestFileAndNoLimitKeepsAll) {
    const struct {
        int Limit;
        int Kept;
    } cases[] = {{3, 3}, {TThumbDiskIndex::NoLimit, 5}};
    for (const auto& c : cases) {
        QDir(Folder).removeRecursively();
        TThumbDiskIndex index;
        index.SetLimit(c.Limit);
        index.SetFolder(Folder);
        QStringList names;
        for (int i = 0; i < 5; ++i) names << Put(index, QString("/p/%1.jpg").arg(i));
        EXPECT_EQ(index.Count(), c.Kept);
        EXPECT_EQ(CacheFiles().size(), c.Kept);
        EXPECT_EQ(QFile::exists(Folder + names[0]), c.Kept == 5);
        EXPECT_TRUE(QFile::exists(Folder + names[4]));
    }
}

TEST_F(ThumbDiskIndexTest, ZeroLimitTurnsLookupsOffAndWritesNothing) {
    TThumbDiskIndex index;
    index.SetFolder(Folder);
    Put(index, "/p/a.jpg");
    index.SetLimit(0);
    EXPECT_FALSE(index.Lookup("/p/a.jpg", NameOf("/p/a.jpg")));
    Put(index, "/p/b.jpg");
    EXPECT_TRUE(CacheFiles().isEmpty());
}

TEST_F(ThumbDiskIndexTest, SavesEveryThirtyOneNewEntries) {
    TThumbDiskIndex index;
    index.SetLimit(TThumbDiskIndex::NoLimit);
    index.SetFolder(Folder);
    for (int i = 0; i < 30; ++i) Put(index, QString("/p/%1.jpg").arg(i));
    EXPECT_FALSE(QFile::exists(index.IndexPath()));
    Put(index, "/p/30.jpg");
    EXPECT_EQ(ReadWholeFile(index.IndexPath()).count('\n'), 31);
}

TEST_F(ThumbDiskIndexTest, EditedFileReplacesItsOnlyEntryAndFile) {
    TThumbDiskIndex index;
    index.SetFolder(Folder);
    const QString before = Put(index, "/p/a.jpg", 1704110400);
    const QString after = NameOf("/p/a.jpg", 1704196800);
    // The lookup under today's name finds the stale file, deletes it and misses.
    EXPECT_FALSE(index.Lookup("/p/a.jpg", after));
    EXPECT_FALSE(QFile::exists(Folder + before));
    Put(index, "/p/a.jpg", 1704196800);
    // A store without a lookup in between replaces the older entry too.
    Put(index, "/p/a.jpg", 1704283200);
    EXPECT_EQ(index.Count(), 1);
    EXPECT_EQ(CacheFiles(), QStringList{NameOf("/p/a.jpg", 1704283200)});
    index.Remove("/p/a.jpg");
    EXPECT_TRUE(CacheFiles().isEmpty()) << "invalidation deletes exactly the recorded file";
    index.Save();
    EXPECT_FALSE(QFile::exists(index.IndexPath())) << "an empty index leaves no file";
}

TEST_F(ThumbDiskIndexTest, FilesTheIndexDoesNotNameAreSweptOnLoad) {
    QDir().mkpath(Folder);
    const QString orphan = NameOf("/p/orphan.jpg");
    const QString kept = NameOf("/p/kept.jpg");
    WriteWholeFile(Folder + orphan, "left by a crash");
    WriteWholeFile(Folder + kept, "thumb");
    WriteWholeFile(Folder + "notes.txt", "not ours");
    WriteWholeFile(Folder + "~cche.idx", (kept + "\t/p/kept.jpg\r\nno tab here\n").toUtf8());
    TThumbDiskIndex index;
    index.SetFolder(Folder);
    EXPECT_EQ(index.Count(), 1);
    EXPECT_TRUE(index.Lookup("/p/kept.jpg", kept));
    EXPECT_FALSE(QFile::exists(Folder + orphan));
    EXPECT_TRUE(QFile::exists(Folder + "notes.txt"));
}

TEST_F(ThumbDiskIndexTest, UnreadableIndexStartsEmptyAndKeepsTheFiles) {
    // A folder under the index's name cannot be read as a file, even by root.
    QDir().mkpath(Folder + "~cche.idx");
    const QString name = NameOf("/p/a.jpg");
    WriteWholeFile(Folder + name, "thumb");
    TThumbDiskIndex index;
    index.SetFolder(Folder);
    EXPECT_EQ(index.Count(), 0);
    EXPECT_TRUE(QFile::exists(Folder + name));
}

TEST_F(ThumbDiskIndexTest, AFolderThatCannotBeMadeTurnsTheCacheOff) {
    WriteWholeFile(Home.Path() + "plain", "a file where the folder should be");
    TThumbDiskIndex index;
    index.SetFolder(Home.Path() + "plain/cache/");
    EXPECT_FALSE(index.Enabled());
}

class DimensionCacheTest : public ::testing::Test {
protected:
    TTempHome Home;
    QString Folder = Home.Path() + "cache/";
};

TEST_F(DimensionCacheTest, TextsPersistWithTheirTimeAndMissWhenItChanges) {
    QDir().mkpath(Folder);
    const QString odd = "/p/a=b;[c].jpg"; // a key the profile format would misread
    {
        TCachedDoubleStringList cache;
        cache.SetCacheDirectory(Folder);
        cache.Store(odd, "640x480x24bit", 100);
        cache.Store("/p/gone.jpg", "1x1x1bit", 100);
        cache.Store("/p/gone.jpg", "", 100); // an empty text removes the pair
        EXPECT_EQ(cache.Lookup(odd, 100), "640x480x24bit");
        EXPECT_FALSE(QFile::exists(Folder + "~ImgeDim.che")) << "written behind";
    }
    TCachedDoubleStringList next;
    next.SetCacheDirectory(Folder);
    EXPECT_EQ(next.Lookup(odd, 100), "640x480x24bit");
    EXPECT_FALSE(next.Lookup(odd, 101)) << "the file changed since";
    EXPECT_FALSE(next.Lookup("/p/gone.jpg", 100));
    next.Remove(odd);
    next.Flush();
    TCachedDoubleStringList third;
    third.SetCacheDirectory(Folder);
    EXPECT_FALSE(third.Lookup(odd, 100)) << "invalidation reaches the file";
}

TEST_F(DimensionCacheTest, MemoryKeepsTheNewestThousandAndTheFileTheRest) {
    TCachedDoubleStringList cache; // memory only
    for (int i = 0; i <= TCachedDoubleStringList::MemoryCacheCount; ++i)
        cache.Store(QString("/p/%1").arg(i), "1x1x24bit", 1);
    EXPECT_FALSE(cache.Lookup("/p/0", 1));
    EXPECT_TRUE(cache.Lookup("/p/1", 1));
}

TEST_F(DimensionCacheTest, DimensionsComeFromTheHeaderOfRegularFilesOnly) {
    QDir().mkpath(Folder);
    QImage(7, 5, QImage::Format_RGB888).save(Folder + "seven.bmp", "BMP");
    WriteWholeFile(Folder + "empty.bmp", "");
    ::mkfifo((Folder + "pipe.bmp").toUtf8().constData(), 0600);
    TCachedDoubleStringList cache;
    cache.SetCacheDirectory(Folder);
    EXPECT_EQ(GetImageDimensions(cache, Folder + "seven.bmp", true), "7x5x24bit");
    EXPECT_EQ(GetImageDimensions(cache, Folder + "empty.bmp", true), "");
    EXPECT_EQ(GetImageDimensions(cache, Folder + "pipe.bmp", true), "") << "must not block";
    EXPECT_EQ(GetImageDimensions(cache, Folder + "missing.bmp", true), "");
    // The cached text answers while the file keeps its time.
    struct stat st {};
    ::stat((Folder + "seven.bmp").toUtf8().constData(), &st);
    EXPECT_EQ(cache.Lookup(Folder + "seven.bmp", st.st_mtime), "7x5x24bit");
}

} // namespace
