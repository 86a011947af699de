// The data window on the largest dump the editor reads: building it and showing every page once,
// refreshing the patches page after one patch edit, and undoing and redoing one step. Each is read
// against the first figure, a plain list of 500 rows filled from scratch, so that the ratios hold
// from one machine to the next. Runs on the offscreen platform.
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"
#include "support/FakeShell.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"
#include "views/PropSheetFormView.h"
#include "views/ZIVPropSheet.h"
#include "widgets/EditStep.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <QUndoStack>

namespace {

// The yardstick: a plain QTreeWidget made from scratch, filled with 500 rows of three columns,
// its columns fitted to their contents and painted once. Like the data window it is a new
// window each time, so both pay for a first paint.
void BM_PlainTreeWidgetFill500(benchmark::State& state) {
    for (auto _ : state) {
        QTreeWidget tree;
        tree.setColumnCount(3);
        tree.setUniformRowHeights(true);
        tree.resize(800, 600);
        tree.show();
        QList<QTreeWidgetItem*> items;
        items.reserve(500);
        for (int n = 1; n <= 500; ++n)
            items.push_back(
                new QTreeWidgetItem({QString::asprintf("%03d", n), QStringLiteral("PATCH %1").arg(n),
                                     n % 2 ? QStringLiteral("Pedal 1") : QStringLiteral("none")}));
        tree.addTopLevelItems(items);
        for (int c = 0; c < 3; ++c)
            tree.resizeColumnToContents(c);
        QApplication::processEvents(); // layout and paint
    }
}
BENCHMARK(BM_PlainTreeWidgetFill500)->Unit(benchmark::kMillisecond);

void ShowEveryPage(PropSheetFormView& view) {
    for (int tab = ZIVPropSheet::TabPatches; tab <= ZIVPropSheet::TabSets; ++tab) {
        view.sheet()->setCurrentIndex(tab);
        QApplication::processEvents(); // layout and paint
    }
}

void BM_BuildDataWindowLargestDump(benchmark::State& state) {
    SystemDoc doc;
    doc.ParseDump(testdump::LargestDump());
    doc.SetTitle("largest.syx");
    FakeShell shell;
    for (auto _ : state) {
        PropSheetFormView view(doc, shell);
        view.resize(800, 600);
        view.initialUpdate();
        view.show();
        QApplication::processEvents();
        ShowEveryPage(view);
        benchmark::DoNotOptimize(view.sheet()->patchesPage()->list());
    }
}
BENCHMARK(BM_BuildDataWindowLargestDump)->Unit(benchmark::kMillisecond);

// A shown data window on the largest dump, on its patches page with patch 250 selected and in
// view, so that its edits are painted.
struct LargestWindow {
    LargestWindow() {
        doc.ParseDump(testdump::LargestDump());
        view.resize(800, 600);
        view.initialUpdate();
        view.show();
        ShowEveryPage(view);
        view.sheet()->setCurrentIndex(ZIVPropSheet::TabPatches);
        view.sheet()->patchesPage()->selectPatch(250);
        QApplication::processEvents();
    }
    int rebuilds() const { return view.sheet()->patchesPage()->rebuildCount(); }

    SystemDoc doc;
    FakeShell shell;
    PropSheetFormView view{doc, shell};
};

// The byte of patch 250's name that an edit flips: the last digit ("PATCH 250" becomes
// "PATCH 251", every column keeps its width), or the first letter ("QATCH 250" is the widest
// name, so the name column grows and the columns right of it are painted again).
constexpr int kLastDigit = 21;
constexpr int kFirstLetter = 5;

// One patch renamed and back again, in turns: each edit changes one row of the current page.
void BM_PatchesPageAfterOneEdit(benchmark::State& state, int byte) {
    LargestWindow w;
    RecordSlot patch = w.doc.GetPatch(250);
    for (auto _ : state) {
        patch.Data()[byte] ^= 0x01;
        w.doc.ReplacePatch(250, patch); // hint 1: the current patches page refreshes
        QApplication::processEvents();
    }
    state.counters["refreshes"] = w.rebuilds();
}
BENCHMARK_CAPTURE(BM_PatchesPageAfterOneEdit, widths_stay, kLastDigit)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatchesPageAfterOneEdit, name_column_grows, kFirstLetter)->Unit(benchmark::kMillisecond);

// One undo and one redo of a patch edit, each restoring the whole dump and refreshing the window.
void BM_UndoRedoOneStep(benchmark::State& state, int byte) {
    LargestWindow w;
    RecordSlot patch = w.doc.GetPatch(250);
    patch.Data()[byte] ^= 0x01;
    EditStep step(w.shell, w.doc);
    w.doc.ReplacePatch(250, patch);
    step.commit(QStringLiteral("Edit Patch 250"), HintPatches, 250);
    DocUndoStack& stack = *w.shell.undoStack(w.doc);
    for (auto _ : state) {
        stack.undo();
        QApplication::processEvents();
        stack.redo();
        QApplication::processEvents();
    }
    state.counters["refreshes"] = w.rebuilds();
}
BENCHMARK_CAPTURE(BM_UndoRedoOneStep, widths_stay, kLastDigit)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedoOneStep, name_column_grows, kFirstLetter)->Unit(benchmark::kMillisecond);

} // namespace
