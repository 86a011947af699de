// The data window on the largest dump the editor reads: building it and showing every page once,
// rebuilding the patches page after one patch edit, and undoing and redoing one step. Runs on the
// offscreen platform.
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
#include <QUndoStack>

namespace {

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

// A shown data window on the largest dump, on its patches page.
struct LargestWindow {
    LargestWindow() {
        doc.ParseDump(testdump::LargestDump());
        view.resize(800, 600);
        view.initialUpdate();
        view.show();
        ShowEveryPage(view);
        view.sheet()->setCurrentIndex(ZIVPropSheet::TabPatches);
        QApplication::processEvents();
    }
    int rebuilds() const { return view.sheet()->patchesPage()->rebuildCount(); }

    SystemDoc doc;
    FakeShell shell;
    PropSheetFormView view{doc, shell};
};

void BM_RebuildPatchesAfterOneEdit(benchmark::State& state) {
    LargestWindow w;
    const RecordSlot patch = w.doc.GetPatch(250);
    for (auto _ : state) {
        w.doc.ReplacePatch(250, patch); // hint 1: the current patches page rebuilds
        QApplication::processEvents();
    }
    state.counters["rebuilds"] = w.rebuilds();
}
BENCHMARK(BM_RebuildPatchesAfterOneEdit)->Unit(benchmark::kMillisecond);

// One undo and one redo of a patch edit, each restoring the whole dump and refreshing the window.
void BM_UndoRedoOneStep(benchmark::State& state) {
    LargestWindow w;
    RecordSlot patch = w.doc.GetPatch(250);
    patch.Data()[4] ^= 0x01; // the first letter of the name
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
    state.counters["rebuilds"] = w.rebuilds();
}
BENCHMARK(BM_UndoRedoOneStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
