// The data window driven from the keyboard and the mouse where a slip would lose an edit or mislead:
// the configuration page keeps up with edits elsewhere, a disabled Copy copies nothing, a right
// click beside a tree label leaves the selection, the patch list keeps its place, Enter edits a
// patch and the focus comes back, read-only fields look it, and pushing a record off the end asks.
#include "support/DataWindowKit.h"
#include "views/BankInfoPane.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QScrollBar>

using datawin::ModalLog;
using datawin::SelectRow;
using datawin::Window;

namespace {

// Patches 1-3 and "LAST ONE" at 500, banks 1-3 and "LAST BANK" at 99.
testdump::Dump FullEnds() {
    testdump::Dump d;
    d.sets[0] = {1, 2};
    for (int b : {1, 2, 3, 99}) {
        testdump::Bank bank;
        bank.number = b;
        bank.name = b == 99 ? "LAST BANK" : "BANK " + std::to_string(b);
        bank.slotPatches = {b == 99 ? 500 : b, 0, 0, 0, 0, 0, 0, 0, 0};
        d.banks.push_back(testdump::MakeBank(bank));
    }
    for (int p : {1, 2, 3, 500}) {
        testdump::Patch patch;
        patch.number = p;
        patch.name = p == 500 ? "LAST ONE" : "PATCH " + std::to_string(p);
        d.patches.push_back(testdump::MakePatch(patch));
    }
    return d;
}

QString Field(const Window& w, const char* name) {
    auto* field = w.view->findChild<QLineEdit*>(QString::fromLatin1(name));
    return field ? field->text() : QStringLiteral("<none>");
}

// A right click as the platform delivers it: the press and release, then the context menu event.
void RightClick(QAbstractItemView& view, const QPoint& pos) {
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier, pos);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, view.viewport()->mapToGlobal(pos));
    QApplication::sendEvent(view.viewport(), &menu);
}

int TopRow(const ListCtrlExt& list) {
    return list.indexOfTopLevelItem(list.itemAt(2, 2));
}

} // namespace

TEST(DataWindowGuards, ConfigurationPageFollowsEditsMadeOnOtherTabs) {
    Window w(FullEnds());
    EXPECT_EQ(Field(w, "totalPatches"), "4");
    auto& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ASSERT_TRUE(SelectRow(*patches.list(), 1));
    w.shell.script().Answer(true); // delete patch 1
    QTest::keyClick(patches.list(), Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_FALSE(w.doc->HasPatch(500));
    QTest::keyClick(patches.list(), Qt::Key_PageUp, Qt::ControlModifier);
    ASSERT_EQ(w.sheet().currentIndex(), ZIVPropSheet::TabConfig);
    EXPECT_EQ(Field(w, "totalPatches"), "3");
    EXPECT_EQ(Field(w, "currentPatch"), "0");
}

TEST(DataWindowGuards, DisabledCopyLeavesTheClipboardAlone) {
    Window w(FullEnds());
    auto& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ASSERT_TRUE(SelectRow(*patches.list(), 7)); // unused: nothing to copy
    ASSERT_FALSE(w.view->isCommandEnabled(EditCommand::Copy));
    for (Qt::Key key : {Qt::Key_C, Qt::Key_Insert}) {
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        QTest::keyClick(patches.list(), key, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    }
    auto& banks = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    ASSERT_TRUE(banks.selectBank(0)); // the root: no record to copy
    banks.tree()->setFocus();
    ASSERT_FALSE(w.view->isCommandEnabled(EditCommand::Copy));
    QTest::keyClick(banks.tree(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
}

TEST(DataWindowGuards, RightClickSelectsATreeItemOnlyOnItsLabel) {
    Window w(FullEnds());
    auto& banks = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    ASSERT_TRUE(banks.selectBank(1));
    TreeCtrlExt& tree = *banks.tree();
    QTreeWidgetItem* second = nullptr;
    for (QTreeWidgetItemIterator it(&tree); *it && !second; ++it)
        if (TreeCtrlExt::itemData(*it) == 2)
            second = *it;
    ASSERT_NE(second, nullptr);
    const QRect row = tree.visualItemRect(second);
    RightClick(tree, QPoint(tree.viewport()->width() - 4, row.center().y()));
    EXPECT_EQ(banks.selectedBank(), 1) << "beside the label";
    RightClick(tree, QPoint(row.left() + 4, row.center().y()));
    EXPECT_EQ(banks.selectedBank(), 2) << "on the label";
    EXPECT_EQ(w.shell.contextMenus.size(), 2u) << "the menu opens either way";
}

TEST(DataWindowGuards, PatchListKeepsItsPlaceAcrossARebuild) {
    Window w(FullEnds());
    auto& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ListCtrlExt& list = *patches.list();
    ASSERT_TRUE(SelectRow(list, 1));
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(&list, Qt::Key_PageDown);
    const int selected = list.indexOfTopLevelItem(list.currentItem());
    const int top = TopRow(list);
    ASSERT_GT(top, 20);
    QTest::keyClick(&list, Qt::Key_Delete, Qt::ShiftModifier); // an unused number: renumbers, no question
    EXPECT_EQ(TopRow(list), top);
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), selected);

    // Without a selection, scrolled by the scroll bar.
    list.clearSelection();
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum() / 2);
    const int middle = TopRow(list);
    w.doc->InsertPatch(4, false);
    EXPECT_EQ(TopRow(list), middle);
}

TEST(DataWindowGuards, EnterEditsAPatchAndTheFocusComesBack) {
    Window w(FullEnds());
    ModalLog modals;
    auto& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ASSERT_TRUE(SelectRow(*patches.list(), 2));
    QTest::keyClick(patches.list(), Qt::Key_Return);
    QTest::keyClick(patches.list(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(modals.classes, (QStringList{QStringLiteral("PatchEditDlg"), QStringLiteral("PatchEditDlg")}));
    QApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    EXPECT_EQ(QApplication::focusWidget(), patches.list());
    EXPECT_TRUE(w.view->isCommandEnabled(EditCommand::Copy));
}

TEST(DataWindowGuards, ReadOnlyFieldsLookReadOnly) {
    Window w(FullEnds());
    const QColor white = QLineEdit().palette().color(QPalette::Active, QPalette::Base);
    for (const char* name : {"totalBanks", "totalPatches"}) {
        auto* field = w.view->findChild<QLineEdit*>(QString::fromLatin1(name));
        ASSERT_NE(field, nullptr) << name;
        EXPECT_NE(field->palette().color(QPalette::Active, QPalette::Base), white) << name;
    }
    auto& banks = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    for (QLineEdit* field : {banks.pane()->numberEdit(), banks.pane()->nameEdit()}) {
        EXPECT_TRUE(field->isReadOnly());
        EXPECT_NE(field->palette().color(QPalette::Active, QPalette::Base), white)
            << field->objectName().toStdString();
    }
}

TEST(DataWindowGuards, InsertWithReorderAsksBeforePushingTheLastRecordOff) {
    Window w(FullEnds());
    ModalLog modals;
    auto& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ASSERT_TRUE(SelectRow(*patches.list(), 2));
    const testdump::Bytes before = w.doc->BuildImage();
    QTest::keyClick(patches.list(), Qt::Key_Insert, Qt::ShiftModifier); // answered No
    ASSERT_EQ(w.shell.script().Messages().size(), 1u);
    EXPECT_EQ(w.shell.script().Messages()[0].text, "Patch 500: LAST ONE will be removed. Continue?");
    EXPECT_EQ(w.doc->BuildImage(), before);
    EXPECT_TRUE(modals.classes.isEmpty());

    auto& banks = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    ASSERT_TRUE(banks.selectBank(2));
    datawin::Focus(*banks.tree());
    w.shell.script().Clear();
    QTest::keyClick(banks.tree(), Qt::Key_Insert, Qt::ShiftModifier);
    ASSERT_EQ(w.shell.script().Messages().size(), 1u);
    EXPECT_EQ(w.shell.script().Messages()[0].text, "Bank 99: LAST BANK will be removed. Continue?");
    EXPECT_EQ(w.doc->BuildImage(), before);

    // With delete prompts off the record goes without a word.
    w.shell.settings().SetDeletePrompt(false);
    w.shell.script().Clear();
    QTest::keyClick(banks.tree(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_TRUE(w.shell.script().Messages().empty());
    EXPECT_EQ(modals.classes, QStringList{QStringLiteral("BankEdit")});
}
