// The device's history of 200 backups of the largest dump, each differing from the one before in
// one patch: reading the folder, and opening the window on it (offscreen).
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "fileops/BackupFolder.h"
#include "fileops/DeviceHistory.h"
#include "support/DumpBuilder.h"
#include "views/DeviceHistoryWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTreeWidget>

namespace {

constexpr int kBackups = 200;

// 200 backups, downloads and uploads in turn, a minute apart.
struct Folder {
    Folder() {
        const std::vector<uint8_t> largest = testdump::LargestDump();
        SystemDoc doc(largest.data(), largest.size());
        const QDateTime start(QDate(2026, 3, 14), QTime(12, 0), QTimeZone::utc());
        const BackupFolder folder(dir.path());
        for (int i = 0; i < kBackups; ++i) {
            RecordSlot patch = doc.GetPatch(1 + i % SystemDoc::kPatches);
            patch.Data()[PatchRecord::kName + 1] ^= 1;
            doc.ReplacePatch(1 + i % SystemDoc::kPatches, patch);
            QString error;
            const auto kind = i % 2 ? BackupFolder::Kind::Upload : BackupFolder::Kind::Download;
            if (folder.Write(doc.BuildImage(), kind, start.addSecs(60 * i), kBackups, error).isEmpty())
                qFatal("%s", qPrintable(error));
        }
    }
    QTemporaryDir dir;
};

const Folder& Backups() {
    static const Folder folder;
    return folder;
}

void BM_ReadHistoryOf200Backups(benchmark::State& state) {
    const BackupFolder folder(Backups().dir.path());
    for (auto _ : state) {
        const DeviceHistory history(folder);
        if (history.Entries().size() != kBackups)
            state.SkipWithError("not every backup was listed");
    }
}
BENCHMARK(BM_ReadHistoryOf200Backups)->Unit(benchmark::kMillisecond);

// From nothing to the window shown with its lines laid out.
void BM_OpenHistoryWindowOf200Backups(benchmark::State& state) {
    for (auto _ : state) {
        DeviceHistoryWindow window(Backups().dir.path());
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.list()->topLevelItemCount());
    }
}
BENCHMARK(BM_OpenHistoryWindowOf200Backups)->Unit(benchmark::kMillisecond);

} // namespace
