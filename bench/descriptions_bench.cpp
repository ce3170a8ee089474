// The descriptions store at 100,000 descriptions: a cold lookup (the file read and parsed for
// one key), one assignment on a fresh store, and a batch giving 1,000 files one description.
// Goals: the cold lookup within 3x `grep -F -m1` of its key line, the batch within 2x one
// assignment, since it parses and writes once.
//
//   descriptions_bench --make-store PATH   writes the store the benchmarks and the peer read
//   descriptions_bench [benchmark flags]   the store is GLIMMET_BENCH_STORE, made when missing

#include "descriptions.h"
#include "safe_file.h"
#include "scripted_prompter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int Descriptions = 100'000;
constexpr int BatchFiles = 1'000;

QString PicturePath(int n) {
    return QStringLiteral("/home/user/Pictures/album %1/img_%2.jpg")
        .arg(n / 500, 3, 10, QChar(u'0'))
        .arg(n, 6, 10, QChar(u'0'));
}

void MakeStore(const QString& path) {
    QByteArray content = "[Descriptions]\r\n";
    for (int n = 0; n < Descriptions; ++n)
        content += PicturePath(n).toUtf8() + "=>\"Beach at dusk, picture " + QByteArray::number(n) +
                   "\",second line<\r\n";
    WriteFileAtomically(path, content);
}

QString& StorePath() {
    static QString path;
    return path;
}

// A copy of the store that a benchmark may change, made outside the timing.
class TScratchStore {
public:
    TScratchStore() : FPath(FDir.path() + "/descrip.dat") { QFile::copy(StorePath(), FPath); }
    const QString& Path() const { return FPath; }

private:
    QTemporaryDir FDir;
    QString FPath;
};

void coldLookup(benchmark::State& state) {
    TScriptedPrompter prompter;
    const QString last = PicturePath(Descriptions - 1);
    for (auto _ : state) {
        TDescriptionStore store(StorePath(), prompter);
        benchmark::DoNotOptimize(store.ReadDescription(last));
    }
}

void oneAssignment(benchmark::State& state) {
    TScriptedPrompter prompter;
    for (auto _ : state) {
        state.PauseTiming();
        const TScratchStore scratch;
        state.ResumeTiming();
        TDescriptionStore store(scratch.Path(), prompter);
        store.assigninidescription(PicturePath(Descriptions / 2), "\"A new description\"");
    }
}

void batch(benchmark::State& state) {
    TScriptedPrompter prompter;
    for (auto _ : state) {
        state.PauseTiming();
        const TScratchStore scratch;
        state.ResumeTiming();
        TDescriptionStore store(scratch.Path(), prompter);
        const TDescriptionBatch together(store);
        for (int n = 0; n < BatchFiles; ++n)
            store.assigninidescription(PicturePath(n * (Descriptions / BatchFiles)),
                                       "\"A new description\"");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--make-store") == 0) {
        MakeStore(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    QTemporaryDir made;
    StorePath() = qEnvironmentVariable("GLIMMET_BENCH_STORE");
    if (StorePath().isEmpty()) StorePath() = made.path() + "/descrip.dat";
    if (!QFile::exists(StorePath())) MakeStore(StorePath());
    benchmark::RegisterBenchmark("descriptions/cold-lookup-100000", coldLookup)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("descriptions/one-assignment-100000", oneAssignment)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("descriptions/batch-1000-of-100000", batch)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
