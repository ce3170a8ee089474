// Reading a folder: which entries become rows, and the listing on the worker that shows rows as
// they come, drops a left folder's batches and re-sorts without reading.

#include "file_list_model.h"
#include "file_routines.h"
#include "folder_reader.h"
#include "platform_test_support.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool RunUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

QStringList NamesRead(const QString& folder, const QString& filter, bool falseExt = false) {
    QStringList names;
    ReadFolder({folder, filter, falseExt}, EnumerateFolder, {}, [&](TRowBatch batch) {
        for (const TFolderRow& row : batch) {
            names << row.Name;
            EXPECT_EQ(row.Path, folder + row.Name);
            // Never a path that reaches another file or none.
            EXPECT_TRUE(QFileInfo(row.Path).isFile()) << row.Path.toStdString();
        }
    });
    names.sort();
    return names;
}

class FolderReader : public ::testing::Test {
protected:
    FolderReader() {
        QDir().mkpath(Folder);
        for (const char* name : {"a.jpg", "A.JPEG", "a.peg", "noext", "b.gif", "c.glm"})
            WriteWholeFile(Folder + name, "x");
        QDir().mkpath(Folder + "Holiday.jpg");
        const QByteArray folder = QFile::encodeName(Folder);
        EXPECT_EQ(mkfifo(folder + "fifo.jpg", 0600), 0);
        EXPECT_EQ(symlink(folder + "a.jpg", folder + "link.jpg"), 0);
        EXPECT_EQ(symlink(folder + "gone.jpg", folder + "dangling.jpg"), 0);
        EXPECT_EQ(symlink(folder + "Holiday.jpg", folder + "folderlink.jpg"), 0);
        // Bytes that are no UTF-8: left out rather than listed under a path to nothing.
        const QByteArray invalid = folder + "bad\xff.jpg";
        FILE* file = fopen(invalid.constData(), "w");
        EXPECT_NE(file, nullptr);
        if (file) fclose(file);
        Socket = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = folder + "s.jpg";
        if (socketPath.size() < static_cast<qsizetype>(sizeof(address.sun_path))) {
            memcpy(address.sun_path, socketPath.constData(), socketPath.size());
            EXPECT_EQ(bind(Socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        }
    }
    ~FolderReader() override { close(Socket); }

    TTempHome Home;
    const QString Folder = Home.Path() + "pics/";
    int Socket = -1;
};

TEST_F(FolderReader, OnlyRegularFilesThatPassTheFilter) {
    struct TCase {
        const char* Filter;
        bool FalseExt;
        QStringList Names;
    };
    const TCase cases[] = {
        {"", false, {"A.JPEG", "a.jpg", "b.gif", "link.jpg"}},
        {"", true, {"A.JPEG", "a.jpg", "b.gif", "c.glm", "link.jpg"}},
        {"*.GIF", true, {"b.gif"}},
        {"*.*", false, {"A.JPEG", "a.jpg", "a.peg", "b.gif", "c.glm", "link.jpg", "noext"}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(NamesRead(Folder, c.Filter, c.FalseExt), c.Names) << c.Filter;
}

TEST_F(FolderReader, AMissingFolderRaises) {
    EXPECT_THROW(NamesRead(Folder + "gone/", ""), EError);
}

// Hands out the names given, each after a pause, counting the reads.
struct TSlowEnumerator {
    QStringList Names;
    int PauseMs = 0;
    std::shared_ptr<std::atomic<int>> Reads = std::make_shared<std::atomic<int>>(0);

    bool operator()(const QString&, const TNameFilter& wanted, const TEntryVisitor& visit) const {
        ++*Reads;
        int64_t size = 0;
        for (const QString& name : Names) {
            std::this_thread::sleep_for(std::chrono::milliseconds(PauseMs));
            if (wanted(name) && !visit({name, ++size, std::nullopt})) return true;
        }
        return true;
    }
};

TEST(FolderListing, RowsShowWhileASlowFolderIsReadAndALeftFolderIsDropped) {
    TFileListModel list;
    QStringList slowNames;
    for (int i = 0; i < 40; ++i) slowNames << QString("slow%1.jpg").arg(i, 2, 10, QChar(u'0'));
    TSlowEnumerator slow{slowNames, 15};
    TFolderListing listing(list, slow);
    int finished = 0;
    listing.OnFinished = [&](bool listed) {
        EXPECT_TRUE(listed);
        ++finished;
    };
    listing.Read({"/slow/", "", false}, TSortField::Name, true);
    // The event loop runs and some rows show before the last.
    ASSERT_TRUE(RunUntil([&] { return list.Count() > 0; }));
    EXPECT_TRUE(listing.Reading());
    EXPECT_LT(list.Count(), 40);
    EXPECT_EQ(finished, 0);

    // Another folder: nothing more of the first comes in.
    listing.Read({"/fast/", "", false}, TSortField::Name, false);
    EXPECT_EQ(list.Count(), 0);
    ASSERT_TRUE(RunUntil([&] { return finished == 1; }));
    EXPECT_EQ(list.Count(), 40); // the same names, read again from the other folder
    EXPECT_EQ(list.PathAt(0), "/fast/slow00.jpg");
    // Let the first job's leftovers arrive: they change nothing.
    RunUntil([] { return false; }, 300);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(list.Paths().filter("/slow/").size(), 0);
}

TEST(FolderListing, ASortChangeReSortsTheKeptRowsWithoutReading) {
    TFileListModel list;
    TSlowEnumerator enumerator{{"b.jpg", "c.png", "a.gif", "notes.txt"}, 0};
    TFolderListing listing(list, enumerator);
    bool done = false;
    listing.OnFinished = [&](bool) { done = true; };
    listing.Read({"/p/", "", false}, TSortField::Name, false);
    ASSERT_TRUE(RunUntil([&] { return done; }));
    EXPECT_EQ(list.Paths(), QStringList({"/p/a.gif", "/p/b.jpg", "/p/c.png"}));
    listing.Resort(TSortField::Size, true); // sizes 1, 2, 3 in the order handed out
    EXPECT_EQ(list.Paths(), QStringList({"/p/a.gif", "/p/c.png", "/p/b.jpg"}));
    listing.Resort(TSortField::Type, false);
    EXPECT_EQ(list.Paths(), QStringList({"/p/a.gif", "/p/b.jpg", "/p/c.png"}));
    EXPECT_EQ(*enumerator.Reads, 1);
}

TEST(FolderListing, AFailedReadLeavesTheListEmpty) {
    TFileListModel list;
    list.SetPaths({"/old/a.jpg"});
    TFolderListing listing(list);
    std::optional<bool> listed;
    listing.OnFinished = [&](bool ok) { listed = ok; };
    listing.Read({"/no/such/folder/", "", false}, TSortField::Name, false);
    ASSERT_TRUE(RunUntil([&] { return listed.has_value(); }));
    EXPECT_FALSE(*listed);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(listing.Rows().empty());
}

TEST(FolderListing, ARefreshAppliesTheDifferenceOnceNewFilesHoldStill) {
    TTempHome home;
    const QString folder = home.Path() + "watched/";
    QDir().mkpath(folder);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WriteWholeFile(folder + name, "x");
    TFileListModel list;
    TFolderListing listing(list);
    bool done = false;
    int refreshes = 0;
    listing.OnFinished = [&](bool) { done = true; };
    listing.OnRefreshed = [&] { ++refreshes; };
    listing.Read({folder, "", false}, TSortField::Name, false);
    ASSERT_TRUE(RunUntil([&] { return done; }));
    list.SelectOnly({1, 2});
    list.SetCurrentIndex(2);
    auto refresh = [&] {
        const int before = refreshes;
        listing.Refresh();
        return RunUntil([&] { return refreshes == before + 1; });
    };

    QFile::remove(folder + "a.jpg");
    WriteWholeFile(folder + "d.jpg", "1");
    ASSERT_TRUE(refresh());
    // The new file waits for its size to hold still; the one that went has gone.
    EXPECT_EQ(list.Paths(), QStringList({folder + "b.jpg", folder + "c.jpg"}));
    EXPECT_TRUE(listing.HasUnsettledFiles());
    EXPECT_EQ(list.CurrentPath(), folder + "c.jpg");
    EXPECT_EQ(list.SelectedIndexes(), (std::vector{0, 1}));

    WriteWholeFile(folder + "d.jpg", "12"); // still growing
    ASSERT_TRUE(refresh());
    EXPECT_EQ(list.Count(), 2);
    ASSERT_TRUE(refresh());
    EXPECT_EQ(list.Paths(), QStringList({folder + "b.jpg", folder + "c.jpg", folder + "d.jpg"}));
    EXPECT_FALSE(listing.HasUnsettledFiles());
    EXPECT_EQ(list.CurrentPath(), folder + "c.jpg");
    EXPECT_EQ(list.SelectedIndexes(), (std::vector{0, 1}));
}

} // namespace
