// Every change made in a data window is one step on the document's undo stack: undo puts the dump
// back byte for byte (a reorder's renumbered references included) and clears the modified mark at
// the state the document started from, redo makes the change again, and both bring the record
// forward.
#include "dump/BankRecord.h"
#include "dump/PatchRecord.h"
#include "editors/ConfigPage.h"
#include "support/DataWindowKit.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"
#include "views/SetsPage.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUndoStack>

#include <functional>

using datawin::SelectRow;
using datawin::Window;
using EC = EditCommand;

namespace {

// Patches 1-12 named P01...; bank 1 holds patches 5 and 9 in its slots and, in sequence mode, steps
// through 9 and 12 (the steps are then the list a reorder renumbers);
// banks 2-4; set 1 holds banks 1, 3 and 4.
testdump::Dump Rig() {
    testdump::Dump d;
    d.patches = testdump::NumberedPatches(12);
    for (int n = 1; n <= 4; ++n) {
        testdump::Bank bank;
        bank.number = n;
        bank.name = "B0" + std::to_string(n);
        if (n == 1) {
            bank.slotPatches = {5, 9};
            bank.seqMode = 1;
            bank.steps = {9, 12};
        }
        d.banks.push_back(testdump::MakeBank(bank));
    }
    d.sets[0] = {1, 3, 4};
    return d;
}

// Runs `edit` on the first modal dialog that opens, then clicks its OK button.
class ModalOk {
public:
    explicit ModalOk(std::function<void(QDialog&)> edit) : m_edit(std::move(edit)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            m_edit(*dialog);
            auto* box = dialog->findChild<QDialogButtonBox*>();
            QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        m_timer.start();
    }

private:
    std::function<void(QDialog&)> m_edit;
    QTimer m_timer;
};

template <class Field> void Retype(QDialog& dialog, const char* name, const QString& text) {
    auto* field = dialog.findChild<Field*>(QString::fromLatin1(name));
    ASSERT_NE(field, nullptr) << name;
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

void OnPatch(Window& w, int n) {
    ASSERT_TRUE(SelectRow(*w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage).list(), n));
}

void OnBank(Window& w, int n) {
    BanksPage& page = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    ASSERT_TRUE(page.selectBank(n));
    datawin::Focus(*page.tree());
}

// The banks the sets page lists for set n.
std::vector<int> SetBanks(Window& w, int n) {
    SetsPage& page = w.show(ZIVPropSheet::TabSets, &ZIVPropSheet::setsPage);
    std::vector<int> banks;
    if (!page.selectSet(n))
        return banks;
    const ListCtrlExt& list = *page.bankList();
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        banks.push_back(ListCtrlExt::itemData(list.topLevelItem(i)));
    return banks;
}

QWidget& FocusWidget() {
    return *QApplication::focusWidget();
}

} // namespace

TEST(UndoSteps, EveryKindOfStepUndoesAndRedoesExactly) {
    struct Row {
        const char* text; // the step's name
        int hint;
        int number;
        std::function<void(Window&)> change;
    };
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [k, modifiers](Window&) { QTest::keyClick(&FocusWidget(), k, modifiers); };
    };
    const Row rows[] = {
        {"Delete Patch 5", HintPatches, 5,
         [&](Window& w) {
             OnPatch(w, 5);
             key(Qt::Key_Delete)(w);
         }},
        {"Delete Patch 5 with Reorder", HintPatches, 5,
         [&](Window& w) {
             OnPatch(w, 5);
             key(Qt::Key_Delete, Qt::ShiftModifier)(w);
         }},
        {"Insert Patch 5 with Reorder", HintPatches, 5,
         [&](Window& w) {
             OnPatch(w, 5);
             datawin::ModalLog cancel;
             key(Qt::Key_Insert, Qt::ShiftModifier)(w);
         }},
        {"Insert Patch 20", HintPatches, 20,
         [&](Window& w) {
             OnPatch(w, 20);
             ModalOk ok([](QDialog& d) { Retype<QLineEdit>(d, "name", QStringLiteral("LEAD")); });
             key(Qt::Key_Insert)(w);
         }},
        {"Edit Patch 9", HintPatches, 9,
         [&](Window& w) {
             OnPatch(w, 9);
             ModalOk ok([](QDialog& d) { Retype<QLineEdit>(d, "name", QStringLiteral("CLEAN")); });
             key(Qt::Key_Return)(w);
         }},
        {"Cut Patch 9", HintPatches, 9,
         [&](Window& w) {
             OnPatch(w, 9);
             w.view->executeCommand(EC::Cut);
         }},
        {"Paste Patch 11", HintPatches, 11,
         [&](Window& w) {
             OnPatch(w, 2);
             w.view->executeCommand(EC::Copy);
             OnPatch(w, 11);
             w.view->executeCommand(EC::Paste);
         }},
        {"Delete Bank 3 with Reorder", HintBanks, 3,
         [&](Window& w) {
             OnBank(w, 3);
             key(Qt::Key_Delete, Qt::ShiftModifier)(w);
         }},
        {"Edit Bank 1", HintBanks, 1,
         [&](Window& w) {
             OnBank(w, 1);
             ModalOk ok([](QDialog& d) { Retype<QLineEdit>(d, "name", QStringLiteral("VERSE")); });
             key(Qt::Key_Return)(w);
         }},
        {"Edit Set 1", HintSets, 1,
         [&](Window& w) {
             SetsPage& page = w.show(ZIVPropSheet::TabSets, &ZIVPropSheet::setsPage);
             ASSERT_TRUE(page.selectSet(1));
             datawin::Focus(*page.tree());
             ModalOk ok([](QDialog& d) {
                 d.findChild<QPlainTextEdit*>(QStringLiteral("setList"))
                     ->setPlainText(QStringLiteral("4\n1"));
             });
             key(Qt::Key_Return)(w);
         }},
        {"Edit Configuration", HintConfig, 0,
         [&](Window& w) {
             auto& page = static_cast<ConfigPage&>(*w.sheet().configPage());
             w.sheet().setCurrentIndex(ZIVPropSheet::TabConfig);
             w.shell.settings().SetConfigEditPrompt(false);
             auto* edit = page.findChild<QPushButton*>(QStringLiteral("edit"));
             QTest::mouseClick(edit, Qt::LeftButton);
             auto* field = page.findChild<QLineEdit*>(QStringLiteral("currentPatch"));
             field->setFocus();
             field->selectAll();
             QTest::keyClicks(field, QStringLiteral("7"));
             QTest::mouseClick(edit, Qt::LeftButton);
         }},
        {"Edit MIDI Filters", HintConfig, 0,
         [&](Window& w) {
             auto& page = *w.sheet().configPage();
             w.sheet().setCurrentIndex(ZIVPropSheet::TabConfig);
             ModalOk ok([](QDialog& d) {
                 auto* hex = d.findChild<QPlainTextEdit*>(QStringLiteral("hexText"));
                 QString text = hex->toPlainText();
                 text.replace(0, 2,
                              text.startsWith(QLatin1String("01")) ? QStringLiteral("02")
                                                                   : QStringLiteral("01"));
                 hex->setPlainText(text);
             });
             QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("filters")), Qt::LeftButton);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        Window w(Rig());
        w.shell.settings().SetDeletePrompt(false);
        const testdump::Bytes before = w.doc->BuildImage();
        row.change(w);
        DocUndoStack& stack = *w.shell.undoStack(*w.doc);
        ASSERT_EQ(stack.count(), 1);
        EXPECT_EQ(stack.undoText(), QString::fromLatin1(row.text));
        const testdump::Bytes after = w.doc->BuildImage();
        ASSERT_NE(after, before);
        EXPECT_TRUE(stack.isModified());

        stack.undo();
        EXPECT_EQ(w.doc->BuildImage(), before);
        EXPECT_FALSE(stack.isModified());
        ASSERT_FALSE(w.shell.revealed.empty());
        EXPECT_EQ(w.shell.revealed.back(), (FakeShell::Revealed{row.hint, row.number}));

        stack.redo();
        EXPECT_EQ(w.doc->BuildImage(), after);
        EXPECT_TRUE(stack.isModified());
        EXPECT_EQ(w.doc->CheckIntegrity(), DumpOk);
    }
}

// A reorder renumbers references across the dump; its undo brings every one of them back.
TEST(UndoSteps, UndoOfAReorderRestoresEveryReference) {
    Window w(Rig());
    w.shell.settings().SetDeletePrompt(false);
    OnPatch(w, 5);
    QTest::keyClick(&FocusWidget(), Qt::Key_Delete, Qt::ShiftModifier);
    OnBank(w, 2);
    QTest::keyClick(&FocusWidget(), Qt::Key_Delete, Qt::ShiftModifier);
    const RecordSlot moved = w.doc->GetBank(1);
    const BankRecord bank(moved);
    ASSERT_EQ(bank.Step(0), 8) << "the sequence follows patch 9 down";
    ASSERT_EQ(bank.Step(1), 11);
    ASSERT_EQ(SetBanks(w, 1), (std::vector<int>{1, 2, 3}));

    DocUndoStack& stack = *w.shell.undoStack(*w.doc);
    ASSERT_EQ(stack.count(), 2);
    stack.undo();
    stack.undo();
    const RecordSlot back = w.doc->GetBank(1);
    const BankRecord restored(back);
    EXPECT_EQ(restored.SlotPatch(0), 5);
    EXPECT_EQ(restored.SlotPatch(1), 9);
    EXPECT_EQ(restored.Step(0), 9);
    EXPECT_EQ(restored.Step(1), 12);
    EXPECT_EQ(SetBanks(w, 1), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(w.doc->BuildImage(), Rig().Build());
    // The page shows the patch that came back.
    PatchesPage& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ASSERT_TRUE(patches.selectPatch(5));
    EXPECT_EQ(patches.list()->currentItem()->text(1), "P05");
}

// A record created by opening its editor stays when the editor is cancelled, as one step that
// takes it back.
TEST(UndoSteps, ACancelledCreationIsOneStepBack) {
    Window w(Rig());
    OnPatch(w, 30);
    {
        datawin::ModalLog cancel;
        QTest::keyClick(&FocusWidget(), Qt::Key_Return);
    }
    ASSERT_TRUE(w.doc->HasPatch(30));
    DocUndoStack& stack = *w.shell.undoStack(*w.doc);
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), "Insert Patch 30");
    stack.undo();
    EXPECT_FALSE(w.doc->HasPatch(30));
    EXPECT_EQ(w.doc->BuildImage(), Rig().Build());
    EXPECT_FALSE(stack.isModified());

    // Opening an existing record and cancelling leaves nothing to undo.
    stack.clear();
    OnPatch(w, 3);
    {
        datawin::ModalLog cancel;
        QTest::keyClick(&FocusWidget(), Qt::Key_Return);
    }
    EXPECT_EQ(stack.count(), 0);
}
