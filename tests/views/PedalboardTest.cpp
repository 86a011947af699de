// The pedalboard window: what it shows of each bank and patch, every kind of drop and key with its
// undo step, the drops it refuses, and that it follows edits made elsewhere (refreshing only the
// rows they touched) as the other windows follow its own.
#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "support/DataWindowKit.h"
#include "views/BankInfoPane.h"
#include "views/BankNameCell.h"
#include "views/BanksPage.h"
#include "views/PatchPalette.h"
#include "views/PedalTile.h"
#include "views/PedalboardDrag.h"
#include "views/PedalboardRow.h"
#include "views/PedalboardView.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUndoStack>

#include <functional>
#include <memory>

namespace {

using Pedal = PedalboardEdits::Pedal;

// Patches 1-12 (P01 ...) and 40; bank 5 calls 1, 2, 12, nothing, the deleted patch 30 and the
// out-of-range 612; bank 7 calls 3-11; bank 10 steps through 4, nothing and 5.
testdump::Dump Board() {
    testdump::Dump d;
    d.patches = testdump::NumberedPatches(12);
    testdump::Patch acoustic;
    acoustic.number = 40;
    acoustic.name = "ACOUSTIC SIM";
    d.patches.push_back(testdump::MakePatch(acoustic));
    testdump::Bank clean;
    clean.number = 5;
    clean.name = "CLEAN";
    clean.slotPatches = {1, 2, 12, 0, 30, 612, 0, 0, 0};
    testdump::Bank lead;
    lead.number = 7;
    lead.name = "LEAD";
    lead.slotPatches = {3, 4, 5, 6, 7, 8, 9, 10, 11};
    testdump::Bank song;
    song.number = 10;
    song.name = "SONG";
    song.seqMode = 1;
    song.steps = {4, 0, 5};
    d.banks = {testdump::MakeBank(clean), testdump::MakeBank(lead), testdump::MakeBank(song)};
    d.sets[0] = {5, 7};
    return d;
}

// A shown, active pedalboard on a built dump.
struct BoardWindow {
    explicit BoardWindow(const testdump::Bytes& image = Board().Build()) : doc(kit::DocFromImage(image)) {
        doc->SetTitle("rig.syx");
        view = std::make_unique<PedalboardView>(*doc, shell);
        view->resize(1340, 620); // what a maximised window leaves of a 1366 x 768 screen
        view->show();
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }
    PedalTile& tile(int bank, int index) const {
        PedalTile* t = view->tile(bank, index);
        EXPECT_NE(t, nullptr) << bank << "/" << index;
        return *t;
    }
    int patchAt(int bank, int index) const { return view->edits().patchAt({bank, index}); }
    DocUndoStack& stack() { return *shell.undoStack(*doc); }

    FakeShell shell;
    std::unique_ptr<SystemDoc> doc;
    std::unique_ptr<PedalboardView> view;
};

struct DropOutcome {
    bool accepted = false;
    int preview = -1; // what the tile showed while the drag was over it
};

// A drag over `target` and a drop on it, with the data a drag of that kind carries.
DropOutcome DragAndDrop(QWidget& target, QMimeData* data, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const std::unique_ptr<QMimeData> owned(data);
    const QPoint at = target.rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(&target, &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(&target, &move);
    DropOutcome outcome;
    if (auto* tile = qobject_cast<PedalTile*>(&target))
        outcome.preview = tile->preview();
    QDropEvent drop(QPointF(at), actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(&target, &drop);
    outcome.accepted = drop.isAccepted();
    return outcome;
}

QMimeData* FromPalette(const BoardWindow& w, int patch) {
    return w.view->patchPalette()->dragData(w.view->patchPalette()->itemOf(patch));
}

QWidget* Focused() {
    return QApplication::focusWidget();
}

} // namespace

TEST(Pedalboard, ShowsEachBankAsTilesAndEveryPatchInThePalette) {
    BoardWindow w;
    EXPECT_EQ(PedalboardView::titleSuffix(), QStringLiteral(" - Pedalboard"));
    EXPECT_EQ(w.view->rowCount(), 3);
    ASSERT_NE(w.view->row(10), nullptr);
    EXPECT_EQ(w.view->row(10)->tileCount(), 3);
    EXPECT_EQ(w.view->row(5)->accessibleName(), QStringLiteral("Bank 05: CLEAN"));
    EXPECT_EQ(w.view->row(5)->nameCell()->accessibleName(), QStringLiteral("Bank 05: CLEAN"));
    const struct {
        int bank, index;
        const char* name;
    } tiles[] = {
        {5, 2, "Bank 05 Pedal C: 012 P12"},
        {5, 3, "Bank 05 Pedal D: 000 ** unassigned **"},
        {5, 4, "Bank 05 Pedal E: 030 ** deleted patch **"},
        {5, 5, "Bank 05 Pedal F: 612 **** Bad Patch Number ****"},
        {7, 8, "Bank 07 Pedal I: 011 P11"},
        {10, 1, "Bank 10 Step 2: 000 ** unassigned **"},
    };
    for (const auto& t : tiles)
        EXPECT_EQ(w.tile(t.bank, t.index).accessibleName(), QString::fromLatin1(t.name));

    PatchPalette& palette = *w.view->patchPalette();
    ASSERT_EQ(palette.count(), 13);
    EXPECT_EQ(palette.item(12)->text(), QStringLiteral("040 ACOUSTIC SIM"));
    EXPECT_EQ(palette.item(12)->data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Patch 040 ACOUSTIC SIM"));
    const struct {
        const char* text;
        std::vector<int> shown;
    } finds[] = {
        {"acou", {40}},
        {"01", {1, 10, 11, 12}}, // numbers 001, 010-012; the name P01
        {"P1", {10, 11, 12}},
        {"zz", {}},
    };
    for (const auto& find : finds) {
        w.view->findField()->setText(QString::fromLatin1(find.text));
        std::vector<int> shown;
        for (int i = 0; i < palette.count(); ++i)
            if (!palette.item(i)->isHidden())
                shown.push_back(PatchPalette::patchOf(palette.item(i)));
        EXPECT_EQ(shown, find.shown) << find.text;
    }
}

TEST(Pedalboard, FitsALaptopScreenAndScrollsThroughAllBanks) {
    BoardWindow w(testdump::LargestDump());
    EXPECT_EQ(w.view->rowCount(), 99);
    QScrollArea& scroll = *w.view->scrollArea();
    EXPECT_EQ(scroll.horizontalScrollBar()->maximum(), 0) << "no horizontal scrolling";
    EXPECT_GT(scroll.verticalScrollBar()->maximum(), 0);
    PedalTile& last = w.tile(99, 8);
    last.setFocus();
    EXPECT_GT(scroll.verticalScrollBar()->value(), 0) << "the focused tile is scrolled into view";
    EXPECT_FALSE(last.visibleRegion().isEmpty());
}

TEST(Pedalboard, EveryKindOfDropIsOneStepThatUndoesAndRedoes) {
    struct Row {
        const char* step;
        std::function<QMimeData*(BoardWindow&)> data;
        Pedal target;
        Qt::KeyboardModifiers mods;
        int preview;
        std::vector<std::pair<Pedal, int>> after;
    };
    const auto fromPedal = [](int bank, int index) {
        return [bank, index](BoardWindow& w) { return w.tile(bank, index).dragData(); };
    };
    const Row rows[] = {
        {"Assign Patch 40 to Bank 5 Pedal D",
         [](BoardWindow& w) { return FromPalette(w, 40); },
         {5, 3},
         Qt::NoModifier,
         40,
         {{{5, 3}, 40}}},
        {"Assign Patch 4 to Bank 10 Step 2",
         [](BoardWindow& w) { return FromPalette(w, 4); },
         {10, 1},
         Qt::NoModifier,
         4,
         {{{10, 1}, 4}}},
        {"Swap Bank 5 Pedal A with Bank 5 Pedal B",
         fromPedal(5, 0),
         {5, 1},
         Qt::NoModifier,
         1,
         {{{5, 0}, 2}, {{5, 1}, 1}}},
        {"Swap Bank 5 Pedal C with Bank 7 Pedal A",
         fromPedal(5, 2),
         {7, 0},
         Qt::NoModifier,
         12,
         {{{5, 2}, 3}, {{7, 0}, 12}}},
        // A reference to no patch moves with a swap.
        {"Swap Bank 5 Pedal F with Bank 10 Step 3",
         fromPedal(5, 5),
         {10, 2},
         Qt::NoModifier,
         612,
         {{{5, 5}, 5}, {{10, 2}, 612}}},
        {"Copy Bank 5 Pedal C to Bank 10 Step 1",
         fromPedal(5, 2),
         {10, 0},
         Qt::ControlModifier,
         12,
         {{{5, 2}, 12}, {{10, 0}, 12}}},
        {"Copy Bank 5 Pedal D to Bank 7 Pedal I",
         fromPedal(5, 3),
         {7, 8},
         Qt::ControlModifier,
         0,
         {{{7, 8}, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step);
        BoardWindow w;
        QSignalSpy refused(w.view.get(), &PedalboardView::refused);
        const testdump::Bytes before = w.doc->BuildImage();
        const DropOutcome outcome =
            DragAndDrop(w.tile(row.target.bank, row.target.index), row.data(w), row.mods);
        EXPECT_TRUE(outcome.accepted);
        EXPECT_EQ(outcome.preview, row.preview) << "the tile shows what lands there";
        EXPECT_EQ(w.tile(row.target.bank, row.target.index).preview(), -1) << "and stops once it landed";
        EXPECT_EQ(refused.count(), 0);
        ASSERT_EQ(w.stack().count(), 1);
        EXPECT_EQ(w.stack().text(0), QString::fromLatin1(row.step));
        const testdump::Bytes after = w.doc->BuildImage();
        for (const auto& [pedal, patch] : row.after) {
            EXPECT_EQ(w.patchAt(pedal.bank, pedal.index), patch);
            EXPECT_EQ(w.tile(pedal.bank, pedal.index).entry().patch, patch) << "the tile follows";
        }
        w.stack().undo();
        EXPECT_EQ(w.doc->BuildImage(), before);
        EXPECT_EQ(w.tile(row.target.bank, row.target.index).entry().patch,
                  BankRecord(*w.doc->PeekBank(row.target.bank)).ActiveEntry(row.target.index));
        EXPECT_FALSE(w.stack().isModified());
        w.stack().redo();
        EXPECT_EQ(w.doc->BuildImage(), after);
    }
}

TEST(Pedalboard, DropsThatCannotApplyChangeNothingAndBeep) {
    SystemDoc other;
    struct Row {
        const char* what;
        std::function<QMimeData*(BoardWindow&)> data;
        std::function<QWidget&(BoardWindow&)> target;
        Qt::KeyboardModifiers mods;
        bool beeps;
    };
    const auto onTile = [](BoardWindow& w) -> QWidget& { return w.tile(7, 0); };
    const Row rows[] = {
        {"a palette patch beside the tiles", [](BoardWindow& w) { return FromPalette(w, 40); },
         [](BoardWindow& w) -> QWidget& { return *w.view; }, Qt::NoModifier, true},
        {"a pedal beside the tiles", [](BoardWindow& w) { return w.tile(5, 0).dragData(); },
         [](BoardWindow& w) -> QWidget& { return *w.view; }, Qt::NoModifier, true},
        {"a patch from another document",
         [&other](BoardWindow&) { return PedalboardDrag::encode(other, PedalboardDrag::Source::Palette, 1); },
         onTile, Qt::NoModifier, true},
        {"a pedal from another document",
         [&other](BoardWindow&) {
             return PedalboardDrag::encode(other, PedalboardDrag::Source::Pedal, 1, 5, 0);
         },
         onTile, Qt::NoModifier, true},
        {"a copy of a deleted patch", [](BoardWindow& w) { return w.tile(5, 4).dragData(); }, onTile,
         Qt::ControlModifier, true},
        {"a copy of a bad number", [](BoardWindow& w) { return w.tile(5, 5).dragData(); }, onTile,
         Qt::ControlModifier, true},
        {"a pedal that is no longer there",
         [](BoardWindow& w) {
             return PedalboardDrag::encode(*w.doc, PedalboardDrag::Source::Pedal, 1, 6, 0);
         },
         onTile, Qt::NoModifier, true},
        {"text from another program",
         [](BoardWindow&) {
             auto* data = new QMimeData;
             data->setText(QStringLiteral("012 LEAD"));
             return data;
         },
         onTile, Qt::NoModifier, false},
        {"a cut-short payload",
         [](BoardWindow&) {
             auto* data = new QMimeData;
             data->setData(PedalboardDrag::mimeType(), QByteArray(12, '\0'));
             return data;
         },
         onTile, Qt::NoModifier, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        BoardWindow w;
        QSignalSpy refused(w.view.get(), &PedalboardView::refused);
        const testdump::Bytes before = w.doc->BuildImage();
        const DropOutcome outcome = DragAndDrop(row.target(w), row.data(w), row.mods);
        EXPECT_EQ(w.doc->BuildImage(), before);
        EXPECT_EQ(w.stack().count(), 0);
        EXPECT_EQ(refused.count(), row.beeps ? 1 : 0);
        EXPECT_EQ(outcome.accepted, row.beeps) << "only a pedalboard drag is taken";
        EXPECT_EQ(outcome.preview, -1) << "nothing would land";
    }
}

TEST(Pedalboard, TheKeyboardDoesWhatTheMouseDoes) {
    BoardWindow w;
    // The main window's shortcuts for the same keys must not fire while a tile has the focus.
    int shortcuts = 0;
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Delete), QKeySequence(QKeySequence::Copy), QKeySequence(QKeySequence::Paste),
          QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Right)}) {
        auto* action = new QAction(w.view.get());
        action->setShortcut(keys);
        QObject::connect(action, &QAction::triggered, [&shortcuts] { ++shortcuts; });
        w.view->addAction(action);
    }
    datawin::ModalLog modals;
    QSignalSpy refused(w.view.get(), &PedalboardView::refused);
    w.tile(5, 0).setFocus();

    struct Step {
        QWidget* (*where)(BoardWindow&); // where the key goes; null: the focus widget
        int key;
        Qt::KeyboardModifiers mods;
        QWidget* (*focusAfter)(BoardWindow&);
        const char* undoStep; // the newest step afterwards, or null for none
    };
    using W = BoardWindow;
    const Step steps[] = {
        {nullptr, Qt::Key_Right, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(5, 1); }, nullptr},
        {nullptr, Qt::Key_Down, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(7, 1); }, nullptr},
        {nullptr, Qt::Key_Right, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(7, 2); }, nullptr},
        {nullptr, Qt::Key_Up, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(5, 2); }, nullptr},
        {nullptr, Qt::Key_C, Qt::ControlModifier, [](W& w) -> QWidget* { return &w.tile(5, 2); }, nullptr},
        {nullptr, Qt::Key_Down, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(7, 2); }, nullptr},
        {nullptr, Qt::Key_V, Qt::ControlModifier, nullptr, "Assign Patch 12 to Bank 7 Pedal C"},
        {nullptr, Qt::Key_Delete, Qt::NoModifier, nullptr, "Unassign Bank 7 Pedal C"},
        // Down from column C lands on the last of bank 10's three steps.
        {nullptr, Qt::Key_Right, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(7, 3); }, nullptr},
        {nullptr, Qt::Key_Down, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(10, 2); }, nullptr},
        {nullptr, Qt::Key_Down, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(10, 2); }, nullptr},
        // A patch copied from the palette lands on a pedal as a drag from the palette does.
        {[](W& w) -> QWidget* {
             w.view->patchPalette()->setCurrentItem(w.view->patchPalette()->itemOf(40));
             return w.view->patchPalette();
         },
         Qt::Key_C, Qt::ControlModifier, nullptr, nullptr},
        {[](W& w) -> QWidget* { return &w.tile(10, 0); }, Qt::Key_V, Qt::ControlModifier, nullptr,
         "Assign Patch 40 to Bank 10 Step 1"},
        {nullptr, Qt::Key_Left, Qt::NoModifier, [](W& w) -> QWidget* { return w.view->row(10)->nameCell(); },
         nullptr},
        {nullptr, Qt::Key_Up, Qt::NoModifier, [](W& w) -> QWidget* { return w.view->row(7)->nameCell(); },
         nullptr},
        {nullptr, Qt::Key_Left, Qt::NoModifier, [](W& w) -> QWidget* { return &w.tile(5, 8); }, nullptr},
    };
    for (const Step& step : steps) {
        QWidget* target = step.where ? step.where(w) : Focused();
        ASSERT_NE(target, nullptr);
        if (step.where)
            datawin::Focus(*target);
        QTest::keyClick(target, static_cast<Qt::Key>(step.key), step.mods);
        if (step.focusAfter) {
            EXPECT_EQ(Focused(), step.focusAfter(w)) << "key " << step.key;
        }
        if (step.undoStep) {
            EXPECT_EQ(w.stack().text(w.stack().count() - 1), QString::fromLatin1(step.undoStep));
        }
    }
    EXPECT_EQ(w.stack().count(), 3);
    EXPECT_EQ(w.patchAt(7, 2), 0);
    EXPECT_EQ(w.patchAt(10, 0), 40);
    EXPECT_EQ(refused.count(), 0);

    // Enter edits what the cell stands for; Delete on a bank's name and Ctrl+V of a deleted
    // patch are refused.
    QTest::keyClick(&w.tile(5, 0), Qt::Key_Return);
    QTest::keyClick(w.view->row(5)->nameCell(), Qt::Key_Return);
    EXPECT_EQ(modals.classes, QStringList({QStringLiteral("PatchEditDlg"), QStringLiteral("BankEdit")}));
    datawin::Focus(*w.view->row(5)->nameCell());
    QTest::keyClick(w.view->row(5)->nameCell(), Qt::Key_Delete);
    QTest::keyClick(&w.tile(5, 4), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(refused.count(), 2);
    EXPECT_EQ(shortcuts, 0);

    // The board is one Tab stop: the last cell that had the focus.
    EXPECT_EQ(w.view->row(5)->nameCell()->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(w.tile(5, 8).focusPolicy(), Qt::ClickFocus);

    const testdump::Bytes start = Board().Build();
    while (w.stack().canUndo())
        w.stack().undo();
    EXPECT_EQ(w.doc->BuildImage(), SystemDoc(start.data(), start.size()).BuildImage());
    EXPECT_EQ(w.tile(7, 2).entry().patch, 5);
}

TEST(Pedalboard, DoubleClicksOpenTheEditors) {
    struct Row {
        const char* what;
        std::function<QWidget&(BoardWindow&)> cell;
        QStringList dialogs;
        const char* undoStep;
    };
    const auto tileAt = [](int bank, int index) {
        return [bank, index](BoardWindow& w) -> QWidget& { return w.tile(bank, index); };
    };
    const Row rows[] = {
        {"a patch", tileAt(5, 0), {QStringLiteral("PatchEditDlg")}, nullptr},
        {"a deleted patch is made anew", tileAt(5, 4), {QStringLiteral("PatchEditDlg")}, "Insert Patch 30"},
        {"an unassigned pedal", tileAt(5, 3), {}, nullptr},
        {"a bad number", tileAt(5, 5), {}, nullptr},
        {"a bank's name",
         [](BoardWindow& w) -> QWidget& { return *w.view->row(7)->nameCell(); },
         {QStringLiteral("BankEdit")},
         nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        BoardWindow w;
        datawin::ModalLog modals;
        QSignalSpy refused(w.view.get(), &PedalboardView::refused);
        QTest::mouseDClick(&row.cell(w), Qt::LeftButton);
        EXPECT_EQ(modals.classes, row.dialogs);
        EXPECT_EQ(refused.count(), row.dialogs.isEmpty() ? 1 : 0);
        ASSERT_EQ(w.stack().count(), row.undoStep ? 1 : 0);
        if (row.undoStep) {
            EXPECT_EQ(w.stack().text(0), QString::fromLatin1(row.undoStep));
            EXPECT_EQ(w.tile(5, 4).accessibleName(), QStringLiteral("Bank 05 Pedal E: 030 NEW PATCH 030"));
        }
    }
}

TEST(Pedalboard, FollowsEditsMadeElsewhereAndTheBanksPageFollowsIt) {
    datawin::Window data(Board());
    datawin::ModalLog modals;
    PedalboardView board(*data.doc, data.shell);
    SystemDoc& doc = *data.doc;
    const auto refreshes = [&board] {
        std::vector<int> counts;
        for (int b : {5, 7, 10})
            counts.push_back(board.row(b) ? board.row(b)->refreshCount() : -1);
        return counts;
    };
    const std::vector<int> opened = refreshes();

    // A patch renamed elsewhere: the tiles that call it and its palette entry, no row rebuilt.
    RecordSlot patch = doc.GetPatch(12);
    doc.EncodeName(patch.Data() + 4, "TWELVE", 30, false);
    doc.ReplacePatch(12, patch);
    EXPECT_EQ(board.tile(5, 2)->accessibleName(), QStringLiteral("Bank 05 Pedal C: 012 TWELVE"));
    EXPECT_EQ(board.patchPalette()->itemOf(12)->text(), QStringLiteral("012 TWELVE"));
    EXPECT_EQ(refreshes(), opened);

    // A bank pasted and one deleted on the banks page: only those rows change.
    BanksPage& page = data.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    RecordSlot lead = doc.GetBank(7);
    WriteWordQuad(lead.Data() + BankRecord::kSlots, 40);
    doc.ReplaceBank(7, lead);
    EXPECT_EQ(board.tile(7, 0)->entry().name, "ACOUSTIC SIM");
    EXPECT_EQ(refreshes(), std::vector<int>({opened[0], opened[1] + 1, opened[2]}));
    data.shell.settings().SetDeletePrompt(false);
    ASSERT_TRUE(page.selectBank(10));
    page.dispatch(false, false);
    EXPECT_EQ(board.row(10), nullptr);
    EXPECT_EQ(board.rowCount(), 2);
    ASSERT_TRUE(page.selectBank(8));
    page.dispatch(true, false); // a new bank, in the bank editor the modal log cancels
    ASSERT_NE(board.row(8), nullptr);
    EXPECT_EQ(board.row(8)->nameCell()->name(), QStringLiteral("NEW BANK 08"));
    EXPECT_EQ(refreshes(), std::vector<int>({opened[0], opened[1] + 1, -1}));

    // The reverse: a drop on the board shows in the banks page's pane.
    ASSERT_TRUE(page.selectBank(5));
    DragAndDrop(*board.tile(5, 3), board.patchPalette()->dragData(board.patchPalette()->itemOf(40)));
    const ListCtrlExt& list = *page.pane()->patchList();
    ASSERT_GE(list.topLevelItemCount(), 4);
    EXPECT_EQ(datawin::RowTexts(list.topLevelItem(3)),
              QStringList({QStringLiteral("D"), QStringLiteral("040"), QStringLiteral("ACOUSTIC SIM")}));
    EXPECT_EQ(data.shell.undoStack(doc)->text(data.shell.undoStack(doc)->count() - 1),
              QStringLiteral("Assign Patch 40 to Bank 5 Pedal D"));
}
