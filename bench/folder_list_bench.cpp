// Listing a folder of 10,000 files (a tenth of them no images, sub-folders and a FIFO beside
// them, varied sizes and dates): read, filtered and sorted by each field, against find piped
// into a byte sort that does the same, and the re-sort of the kept rows alone.

#include "folder_reader.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Files = 10'000;

// Made once for the run; removed with the process's temporary folder.
const QString& BenchFolder() {
    static QTemporaryDir dir;
    static const QString folder = [] {
        const QString path = dir.path() + "/list/";
        const QByteArray base = QFile::encodeName(path);
        mkdir(base.constData(), 0700);
        const char* const extensions[] = {".jpg", ".png", ".gif", ".bmp", ".tif", ".JPEG"};
        for (int i = 0; i < Files; ++i) {
            const bool image = i % 10 != 0;
            const QByteArray name = base + "file" + QByteArray::number(i * 7919 % Files) +
                                    (image ? extensions[i % 6] : ".txt");
            const int fd = open(name.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
            if (fd < 0) continue;
            if (ftruncate(fd, (i * 104729) % 5'000'000) != 0) perror("ftruncate");
            const timespec times[2] = {{0, UTIME_OMIT},
                                       {1'000'000'000 + i * 86'400L % 900'000'000, 0}};
            futimens(fd, times);
            close(fd);
        }
        for (int i = 0; i < 20; ++i) mkdir(base + "folder" + QByteArray::number(i) + ".jpg", 0700);
        mkfifo(base + "pipe.jpg", 0600);
        return path;
    }();
    return folder;
}

void BM_ListFolder(benchmark::State& state) {
    const QString& folder = BenchFolder();
    const auto field = static_cast<TSortField>(state.range(0));
    size_t rows = 0;
    for (auto _ : state) {
        std::vector<TFolderRow> all;
        ReadFolder({folder, {}, false}, EnumerateFolder, {}, [&](TRowBatch batch) {
            all.insert(all.end(), std::make_move_iterator(batch.begin()),
                       std::make_move_iterator(batch.end()));
        });
        SortRows(all, field, false);
        benchmark::DoNotOptimize(PathsOf(all));
        rows = all.size();
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ListFolder)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peer: every regular file with size and time, sorted as bytes.
void BM_FindAndSort(benchmark::State& state) {
    const QByteArray command = "find '" + QFile::encodeName(BenchFolder()) +
                               "' -maxdepth 1 -type f -printf '%s %T@ %p\\n' | LC_ALL=C sort";
    size_t lines = 0;
    for (auto _ : state) {
        const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.constData(), "r"), pclose);
        char buffer[4096];
        lines = 0;
        while (fgets(buffer, sizeof buffer, pipe.get())) ++lines;
    }
    state.counters["rows"] = static_cast<double>(lines);
}
BENCHMARK(BM_FindAndSort)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResortKeptRows(benchmark::State& state) {
    std::vector<TFolderRow> kept;
    ReadFolder({BenchFolder(), {}, false}, EnumerateFolder, {},
               [&](TRowBatch batch) { kept.insert(kept.end(), batch.begin(), batch.end()); });
    const auto field = static_cast<TSortField>(state.range(0));
    bool descending = false;
    for (auto _ : state) {
        descending = !descending;
        SortRows(kept, field, descending);
        benchmark::DoNotOptimize(PathsOf(kept));
    }
}
BENCHMARK(BM_ResortKeptRows)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
