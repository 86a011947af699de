// The pedalboard on the largest dump (99 banks, 500 patches): opening it, and refreshing it after
// one assignment, which should cost no more than a quarter of opening. Runs on the offscreen
// platform.
#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"
#include "support/FakeShell.h"
#include "views/PedalTile.h"
#include "views/PedalboardView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollArea>

namespace {

// What a maximised window leaves of a 1366 x 768 screen.
constexpr int kWidth = 1340;
constexpr int kHeight = 620;

// The tile that changes is in view, so the refresh paints it.
void ShowBank50(PedalboardView& view) {
    view.resize(kWidth, kHeight);
    view.show();
    QApplication::processEvents();
    view.scrollArea()->ensureWidgetVisible(view.tile(50, 2));
    QApplication::processEvents();
}

struct Largest {
    Largest() {
        doc.ParseDump(testdump::LargestDump());
        doc.SetTitle("largest.syx");
    }
    SystemDoc doc;
    FakeShell shell;
};

// Built, shown, laid out and painted once.
void BM_OpenPedalboard(benchmark::State& state) {
    Largest rig;
    for (auto _ : state) {
        PedalboardView view(rig.doc, rig.shell);
        view.resize(kWidth, kHeight);
        view.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(view.rowCount());
    }
}
BENCHMARK(BM_OpenPedalboard)->Unit(benchmark::kMillisecond);

// An open pedalboard: bank 50's pedal C changes between two patches, through the model as any
// window changes it, and the board repaints what changed.
void BM_RefreshAfterOneAssignment(benchmark::State& state) {
    Largest rig;
    PedalboardView view(rig.doc, rig.shell);
    ShowBank50(view);
    RecordSlot bank = rig.doc.GetBank(50);
    const int offset = BankRecord(bank).ActiveOffset(2);
    int patch = 1;
    for (auto _ : state) {
        patch = patch == 1 ? 2 : 1;
        WriteWordQuad(bank.Data() + offset, patch);
        rig.doc.ReplaceBank(50, bank);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshAfterOneAssignment)->Unit(benchmark::kMillisecond);

// The same assignment as a drop makes it: with its undo step, which keeps the dump before and
// after.
void BM_AssignWithUndoStep(benchmark::State& state) {
    Largest rig;
    PedalboardView view(rig.doc, rig.shell);
    ShowBank50(view);
    int patch = 1;
    for (auto _ : state) {
        patch = patch == 1 ? 2 : 1;
        view.edits().assign({50, 2}, patch);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_AssignWithUndoStep)->Unit(benchmark::kMillisecond);

} // namespace
