// One recovery write of the largest dump: what the window's thread pays when a keeper writes
// (taking the image and queueing it), and the write itself on the writer thread (the image and
// its description through QSaveFile, each synced before its rename). The files go to a folder
// under the current directory, so that the disk measured is a real one rather than a tmpfs.
#include "dump/SystemDoc.h"
#include "fileops/RecoveryKeeper.h"
#include "fileops/RecoveryStore.h"
#include "support/DumpBuilder.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {

struct Bench {
    Bench() : doc(testdump::LargestDump().data(), testdump::LargestDump().size()), store(dir.path()) {
        QString error;
        if (!store.Open(error))
            qFatal("%s", qPrintable(error));
    }
    RecoveryKeeper::Snapshot Snapshot() const {
        return {doc.BuildImage(), QStringLiteral("/home/me/rig.syx"), "rig.syx"};
    }

    QTemporaryDir dir{QDir::current().filePath(QStringLiteral("recovery-bench-XXXXXX"))};
    SystemDoc doc;
    RecoveryStore store;
};

// The window's share: the image of the document and the hand-over to the writer.
void BM_KeeperWriteOnTheWindowThread(benchmark::State& state) {
    Bench b;
    RecoveryKeeper keeper(b.store, [&b] { return b.Snapshot(); });
    for (auto _ : state) {
        keeper.Changed();
        keeper.Flush();
        state.PauseTiming();
        b.store.WaitForWrites();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SystemDoc::kMaxFileBytes);
}
BENCHMARK(BM_KeeperWriteOnTheWindowThread)->Unit(benchmark::kMicrosecond);

// The whole write, queued and waited for: the time until the image is on disk.
void BM_RecoveryWriteToDisk(benchmark::State& state) {
    Bench b;
    const RecoveryKeeper::Snapshot snapshot = b.Snapshot();
    const QString stem = b.store.NewStem();
    for (auto _ : state) {
        b.store.Write(stem, snapshot.image, {snapshot.path, snapshot.title, QDateTime::currentDateTimeUtc()});
        b.store.WaitForWrites();
        QCoreApplication::processEvents();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SystemDoc::kMaxFileBytes);
}
BENCHMARK(BM_RecoveryWriteToDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
