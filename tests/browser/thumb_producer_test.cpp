// The producer on a pool of its own: the visible cells first, cells that left the range
// dropped, results entering the caches across runs, and deletethumb forgetting a file
// everywhere.

#include "pixel_graphic.h"
#include "platform_test_support.h"
#include "thumb_producer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>

#include <gtest/gtest.h>

#include <latch>
#include <utime.h>

namespace {

void writePicture(const QString& path, uint32_t colour) {
    TPixelGraphic image;
    image.SetSizeAndFormat(40, 30, pf24Bit);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) image.SetPixelColor(x, y, colour);
    image.SaveToFile(path.toStdString());
}

TEST(ThumbFormatSupported, ExtensionsCompareWithoutCaseAndWholly) {
    const struct {
        const char* Masks;
        const char* Path;
        bool Supported;
    } cases[] = {
        {"*.jpg;*.bmp;*.jpeg;", "/p/A.JPG", true},
        {"*.jpg;*.bmp;*.jpeg;", "/p/a.jp", false}, // a part of an extension is no match
        {"*.jpg;*.bmp;*.jpeg;", "/p/a.png", false},
        {"*.jpg;*.bmp;*.jpeg;", "/p/jpg", false},
        {"", "/p/a.xyz", true},
        {"*.*;", "/p/a.xyz", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThumbFormatSupported(c.Masks, c.Path), c.Supported) << c.Masks << " " << c.Path;
}

class ThumbProducerTest : public ::testing::Test {
protected:
    ThumbProducerTest() {
        QDir().mkpath(Pictures);
        for (int i = 0; i < 6; ++i) writePicture(PathOf(i), PGColor(30 * (i + 1), 0, 0));
    }
    QString PathOf(int i) const { return Pictures + QString("%1.bmp").arg(i); }

    // Holds the pool's only thread until released, so the queue's order decides.
    void BlockPool(TJobOwner& owner) {
        owner.Submit([this](TJobContext&) { Gate.wait(); });
    }

    static void WaitIdle(TThumbProducer& producer) {
        const QDeadlineTimer deadline(10000);
        while (producer.Pending() > 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(producer.Pending(), 0);
    }

    TTempHome Home;
    QString Pictures = Home.Path() + "Pictures/";
    QString Cache = Home.Path() + "cache/";
    TBackgroundWorker Pool{1};
    std::latch Gate{1};
};

TEST_F(ThumbProducerTest, AskedCellsArriveInOrderAndDroppedOnesNever) {
    QObject blocker;
    TJobOwner blockerJobs(blocker, Pool);
    BlockPool(blockerJobs);
    TThumbProducer producer(Pool);
    QStringList arrived;
    producer.OnThumbReady = [&](const QString& path, uint64_t) { arrived << path; };
    producer.Request({PathOf(0), PathOf(1), PathOf(2), PathOf(3)}, 1);
    // Scrolled on: 3 and 4 are in view, 2 a screen ahead; 0 and 1 left the range.
    producer.Request({PathOf(4), PathOf(3), PathOf(2)}, 1);
    Gate.count_down();
    WaitIdle(producer);
    EXPECT_EQ(arrived, QStringList({PathOf(4), PathOf(3), PathOf(2)}));
    EXPECT_FALSE(producer.Thumb(PathOf(0)));
    ASSERT_TRUE(producer.Thumb(PathOf(4)));
    EXPECT_EQ(producer.Thumb(PathOf(4))->Thumb.size(), QSize(90, 67));
}

TEST_F(ThumbProducerTest, CachesCarryThumbnailsIntoTheNextRunUntilDeleted) {
    const QString path = PathOf(5);
    {
        TThumbProducer producer(Pool);
        producer.DiskIndex().SetFolder(Cache);
        producer.Dimensions().SetCacheDirectory(Cache);
        producer.Request({path}, 1);
        WaitIdle(producer);
        EXPECT_EQ(producer.DiskIndex().Count(), 1);
    }
    // New pixels under the old time: a thumbnail read from the cache still shows the old ones.
    struct stat st {};
    ::stat(path.toUtf8().constData(), &st);
    writePicture(path, 0xFFFFFF);
    const struct utimbuf times { st.st_atime, st.st_mtime };
    ::utime(path.toUtf8().constData(), &times);

    TThumbProducer next(Pool);
    next.DiskIndex().SetFolder(Cache);
    next.Dimensions().SetCacheDirectory(Cache);
    EXPECT_EQ(next.Dimensions().Lookup(path, st.st_mtime), "40x30x24bit");
    next.Request({path}, 2);
    WaitIdle(next);
    ASSERT_TRUE(next.Thumb(path));
    EXPECT_NEAR(qRed(next.Thumb(path)->Thumb.pixel(5, 5)), 180, 8) << "made anew";

    next.deletethumb(path);
    EXPECT_FALSE(next.Thumb(path));
    EXPECT_EQ(next.DiskIndex().Count(), 0);
    EXPECT_FALSE(next.Dimensions().Lookup(path, st.st_mtime));
    EXPECT_TRUE(QDir(Cache).entryList({"~x*"}, QDir::Files).isEmpty());
}

} // namespace
