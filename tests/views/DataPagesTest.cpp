// The patches, banks and sets pages: rows and texts, sorting, insert and delete with and without
// reorder, the delete questions, and records whose contents are out of range.
#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "support/DataWindowKit.h"
#include "views/BankInfoPane.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"
#include "views/SetsPage.h"
#include "widgets/HdrCtrl.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>

using datawin::ModalLog;
using datawin::RowTexts;
using datawin::SelectRow;
using datawin::Window;
using EC = EditCommand;

namespace {

testdump::Bytes Patch(int number, const std::string& name, int mode = 0) {
    testdump::Patch p;
    p.number = number;
    p.name = name;
    p.mode = mode;
    return testdump::MakePatch(p);
}

testdump::Bytes Bank(int number, const std::string& name, std::array<int, 9> slotList = {}, int seqMode = 0,
                     std::vector<int> steps = {}) {
    testdump::Bank b;
    b.number = number;
    b.name = name;
    b.slotPatches = slotList;
    b.seqMode = seqMode;
    b.steps = std::move(steps);
    return testdump::MakeBank(b);
}

// Patches 1-10 named P01..P10, banks 1-10 named B01..B10; bank 1 holds patches 5 and 6, set 1
// banks 5 and 6.
testdump::Dump Numbered() {
    testdump::Dump d;
    char name[8];
    for (int n = 1; n <= 10; ++n) {
        std::snprintf(name, sizeof name, "P%02d", n);
        d.patches.push_back(Patch(n, name));
        std::snprintf(name, sizeof name, "B%02d", n);
        d.banks.push_back(Bank(n, name, n == 1 ? std::array<int, 9>{5, 6} : std::array<int, 9>{}));
    }
    d.sets[0] = {5, 6};
    return d;
}

QStringList Column(const QTreeWidget& list, int column) {
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts << list.topLevelItem(i)->text(column);
    return texts;
}

QStringList TreeTexts(const TreeCtrlExt& tree) {
    QStringList texts;
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i)
        texts << root->child(i)->text(0);
    return texts;
}

} // namespace

TEST(PatchesPage, ShowsEveryColumnAndHidesBlanksOnRequest) {
    testdump::Dump d;
    testdump::Patch p;
    p.number = 12;
    p.name = "LEAD";
    p.mode = 0x02 | 0x08 | 0x20 | 0x80; // channel switch 2, momentary, string A sent, pedal 2 global CC
    p.ccs[1].flags = 0x40;              // pedal 1 local CC 2
    p.ccs[4].flags = 0x40;              // pedal 2 local CC 2
    p.ccs[5].flags = 0x40;              // pedal 2 local CC 3
    p.a = {0xC0, 0x05};
    p.b = std::vector<uint8_t>(12, 0x10);
    d.patches.push_back(testdump::MakePatch(p));
    Window w(d);
    PatchesPage& page = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ListCtrlExt& list = *page.list();
    ASSERT_EQ(list.topLevelItemCount(), 500);
    EXPECT_EQ(list.headerItem()->text(10), "Str A Sent");
    EXPECT_EQ(RowTexts(list.topLevelItem(0)),
              (QStringList{"001", "unused patch", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(RowTexts(list.topLevelItem(11)),
              (QStringList{"012", "LEAD", QString::fromStdString(ChannelSwitchName(2)),
                           QString::fromStdString(PedalTypeName(8)), "Pedal 2", "none", "Pedal 1 & 2",
                           "Pedal 2", " 2", "12", "yes"}));
    EXPECT_EQ(list.topLevelItem(499)->text(0), "500");
    EXPECT_EQ(page.list()->hdr()->sortMarkColumn(), 0);

    w.shell.settings().SetHideBlanks(true);
    w.view->requestRefresh();
    ASSERT_EQ(list.topLevelItemCount(), 1);
    list.setFocus();
    list.clearSelection();
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Insert)); // nothing selected: Insert only beeps
    w.view->executeCommand(EC::Insert);
    EXPECT_EQ(w.doc->GetPatchCount(), 1);
}

TEST(PatchesPage, SortsByNumberOrNameWithUnusedRowsLast) {
    using Key = PatchesPage::SortKey;
    const Key lead{true, "002", "LEAD"}, leadLower{true, "007", "lead"}, amb{true, "009", "AMB"},
        unused{false, "001", "unused patch"}, unused2{false, "003", "unused patch"};
    EXPECT_LT(PatchesPage::compareRows(amb, lead, 1, true), 0);
    EXPECT_LT(PatchesPage::compareRows(lead, leadLower, 1, true), 0); // names equal but for case: by number
    EXPECT_GT(PatchesPage::compareRows(lead, leadLower, 1, false), 0);
    EXPECT_LT(PatchesPage::compareRows(lead, unused, 1, true), 0); // unused after every patch
    EXPECT_GT(PatchesPage::compareRows(lead, unused, 1, false), 0);
    EXPECT_LT(PatchesPage::compareRows(unused, unused2, 1, true), 0);
    EXPECT_LT(PatchesPage::compareRows(unused, lead, 0, true), 0);
    EXPECT_GT(PatchesPage::compareRows(unused, lead, 0, false), 0);

    testdump::Dump d;
    d.patches = {Patch(2, "ZED"), Patch(4, "ALPHA"), Patch(6, "ab")}; // "ab" is outside the device set
    Window w(d);
    w.shell.settings().SetHideBlanks(true);
    PatchesPage& page = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    HdrCtrl& header = *page.list()->hdr();
    const auto click = [&header](int section) {
        const QPoint at(header.sectionViewportPosition(section) + header.sectionSize(section) / 2,
                        header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };
    click(1);
    EXPECT_EQ(Column(*page.list(), 1), (QStringList{"** BAD DATA **", "ALPHA", "ZED"}));
    EXPECT_EQ(header.sortIndicatorSection(), 1);
    click(1);
    EXPECT_EQ(Column(*page.list(), 0), (QStringList{"002", "004", "006"}));
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);
    click(3); // "Pedal Action" does not sort
    EXPECT_EQ(header.sortIndicatorSection(), 1);
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(Column(*page.list(), 0), (QStringList{"002", "004", "006"}));
    w.doc->InsertPatch(8, false); // the sort state survives a rebuild
    EXPECT_EQ(Column(*page.list(), 1).first(), "ZED");
}

TEST(PatchesPage, DeletesAndInsertsWithAndWithoutReorder) {
    Window w(Numbered());
    ModalLog modals;
    PatchesPage& page = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ListCtrlExt& list = *page.list();
    auto& script = w.shell.script();

    // The question, answered No then Yes.
    ASSERT_TRUE(SelectRow(list, 5));
    w.view->executeCommand(EC::Delete);
    EXPECT_TRUE(w.doc->HasPatch(5));
    ASSERT_EQ(script.Messages().size(), 1u);
    EXPECT_EQ(script.Messages()[0].text, "Are you sure you want to delete patch 5: P05?");
    EXPECT_EQ(script.Messages()[0].caption, "Confirm patch delete");
    EXPECT_EQ(script.Messages()[0].icon, Prompter::Icon::Question);
    script.Answer(true);
    w.view->executeCommand(EC::DeleteReorder);
    EXPECT_EQ(PatchRecord(w.doc->GetPatch(5)).Name(), "P06");
    EXPECT_EQ(BankRecord(w.doc->GetBank(1)).SlotPatch(0), 0);   // the reference to the deleted patch
    EXPECT_EQ(BankRecord(w.doc->GetBank(1)).SlotPatch(1), 5);   // follows P06 to its new number
    EXPECT_EQ(list.indexOfTopLevelItem(list.selectedRow()), 4); // same row, next patch
    EXPECT_EQ(list.selectedRow()->text(1), "P06");

    // Without the question; an unused row: Delete is refused, Delete with reorder closes the gap.
    w.shell.settings().SetDeletePrompt(false);
    script.Clear();
    w.view->executeCommand(EC::Delete);
    EXPECT_FALSE(w.doc->HasPatch(5));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Delete));
    EXPECT_TRUE(w.view->isCommandEnabled(EC::DeleteReorder));
    w.view->executeCommand(EC::DeleteReorder);
    EXPECT_EQ(PatchRecord(w.doc->GetPatch(5)).Name(), "P07");
    EXPECT_TRUE(script.Messages().empty());

    // The rows in view stay in view.
    list.scrollToItem(list.topLevelItem(200), QAbstractItemView::PositionAtTop);
    ASSERT_TRUE(SelectRow(list, 205));
    w.view->executeCommand(EC::DeleteReorder);
    EXPECT_EQ(list.indexOfTopLevelItem(list.itemAt(0, 0)), 200);
    EXPECT_EQ(list.indexOfTopLevelItem(list.selectedRow()), 204);
    ASSERT_TRUE(SelectRow(list, 5));

    // Insert with reorder moves the patches up and opens the new one; Insert on an unused row.
    w.view->executeCommand(EC::InsertReorder);
    EXPECT_EQ(PatchRecord(w.doc->GetPatch(5)).Name(), "NEW PATCH 005");
    EXPECT_EQ(PatchRecord(w.doc->GetPatch(6)).Name(), "P07");
    ASSERT_TRUE(SelectRow(list, 20));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Copy));
    w.view->executeCommand(EC::Insert);
    EXPECT_EQ(PatchRecord(w.doc->GetPatch(20)).Name(), "NEW PATCH 020");
    // Opening an unused row creates the patch, which stays when the editor is cancelled.
    ASSERT_TRUE(SelectRow(list, 30));
    page.openEditor();
    EXPECT_TRUE(w.doc->HasPatch(30));
    EXPECT_EQ(modals.classes, (QStringList{"PatchEditDlg", "PatchEditDlg", "PatchEditDlg"}));
    EXPECT_EQ(w.doc->CheckIntegrity(), DumpOk);
}

TEST(BanksPage, ShowsTheTreeAndThePaneAndEditsBanks) {
    Window w(Numbered());
    ModalLog modals;
    BanksPage& page = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    TreeCtrlExt& tree = *page.tree();
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "rig.syx RIV 10 Banks");
    const QStringList items = TreeTexts(tree);
    ASSERT_EQ(items.size(), 99);
    EXPECT_EQ(items[0], "B01");
    EXPECT_EQ(items[10], "unused bank (11)");

    ASSERT_TRUE(page.selectBank(1));
    BankInfoPane& pane = *page.pane();
    EXPECT_EQ(pane.numberEdit()->text(), "1");
    EXPECT_EQ(pane.nameEdit()->text(), "B01");
    EXPECT_EQ(pane.sequenceLengthEdit()->text(), "0");
    EXPECT_FALSE(pane.sequenceModeCheck()->isChecked());
    ListCtrlExt& patches = *pane.patchList();
    ASSERT_EQ(patches.topLevelItemCount(), 9);
    EXPECT_EQ(RowTexts(patches.topLevelItem(0)), (QStringList{"A", "005", "P05"}));
    EXPECT_EQ(RowTexts(patches.topLevelItem(8)), (QStringList{"I", "000", "** unassigned **"}));

    // Delete asks; Yes removes the bank, the pane empties, the set entry becomes 0.
    tree.setFocus();
    ASSERT_TRUE(page.selectBank(5));
    w.shell.script().Answer(true);
    w.view->executeCommand(EC::Delete);
    EXPECT_EQ(w.shell.script().Messages().back().text, "Are you sure you want to delete bank 5: B05?");
    EXPECT_EQ(w.shell.script().Messages().back().caption, "Confirm bank delete");
    EXPECT_FALSE(w.doc->HasBank(5));
    EXPECT_EQ(page.selectedBank(), 0);
    EXPECT_EQ(pane.nameEdit()->text(), "");
    EXPECT_EQ(kit::SetEntries(kit::RecordBytes(w.doc->PeekSet(1))), (std::vector<int>{0, 6}));

    // Delete with reorder on the now unused number asks nothing and moves 6-10 down.
    ASSERT_TRUE(page.selectBank(5));
    w.view->executeCommand(EC::DeleteReorder);
    EXPECT_EQ(BankRecord(w.doc->GetBank(5)).Name(), "B06");
    EXPECT_EQ(kit::SetEntries(kit::RecordBytes(w.doc->PeekSet(1))), (std::vector<int>{0, 5}));
    // The root: Delete with reorder changes nothing.
    ASSERT_TRUE(page.selectBank(0));
    const testdump::Bytes before = w.doc->BuildImage();
    w.view->executeCommand(EC::DeleteReorder);
    EXPECT_EQ(w.doc->BuildImage(), before);

    // Insert with reorder at bank 2 and opening an unused bank create banks that stay selected.
    ASSERT_TRUE(page.selectBank(2));
    w.view->executeCommand(EC::InsertReorder);
    EXPECT_EQ(BankRecord(w.doc->GetBank(2)).Name(), "NEW BANK 02");
    EXPECT_EQ(BankRecord(w.doc->GetBank(3)).Name(), "B02");
    ASSERT_TRUE(page.selectBank(40));
    page.openEditor();
    EXPECT_TRUE(w.doc->HasBank(40));
    EXPECT_EQ(page.selectedBank(), 40);
    EXPECT_EQ(pane.nameEdit()->text(), "NEW BANK 40");
    EXPECT_EQ(modals.classes, (QStringList{"BankEdit", "BankEdit"}));
    EXPECT_EQ(w.doc->CheckIntegrity(), DumpOk);

    // With HideBlanks only existing banks are listed.
    w.shell.settings().SetHideBlanks(true);
    w.view->requestRefresh();
    EXPECT_EQ(TreeTexts(tree).size(), w.doc->GetBankCount());
}

TEST(SetsPage, ListsTheBanksOfTheSelectedSet) {
    testdump::Dump d = Numbered();
    d.sets[1] = {3, 0, 150, 12};
    d.banks.push_back(Bank(12, "TWELVE"));
    Window w(d);
    ModalLog modals;
    // Deleting bank 12 clears set 2's reference to it; put the reference back.
    w.doc->DeleteBank(12, false);
    w.doc->ReplaceSet(2, RecordSlot(testdump::MakeSet({3, 0, 150, 12}).data(), 12, 2));
    SetsPage& page = w.show(ZIVPropSheet::TabSets, &ZIVPropSheet::setsPage);
    EXPECT_EQ(page.tree()->topLevelItem(0)->text(0), "rig.syx RIV 10 Sets");
    EXPECT_EQ(TreeTexts(*page.tree()), (QStringList{"Set 1", "Set 2", "Set 3", "Set 4", "Set 5"}));
    ASSERT_TRUE(page.selectSet(2));
    ListCtrlExt& list = *page.bankList();
    ASSERT_EQ(list.topLevelItemCount(), 4);
    EXPECT_EQ(RowTexts(list.topLevelItem(0)), (QStringList{"03", "B03"}));
    EXPECT_EQ(RowTexts(list.topLevelItem(1)), (QStringList{"00", "unassigned"}));
    EXPECT_EQ(RowTexts(list.topLevelItem(2)), (QStringList{"150", "**** Bad Bank Number ****"}));
    EXPECT_EQ(RowTexts(list.topLevelItem(3)), (QStringList{"12", "** deleted bank **"}));
    ASSERT_TRUE(page.selectSet(3));
    ASSERT_EQ(list.topLevelItemCount(), 1);
    EXPECT_EQ(RowTexts(list.topLevelItem(0)), (QStringList{" ", "Empty Set"}));

    // Opening the deleted bank's row makes it anew; the rebuild (hint 2) keeps set 2 selected.
    ASSERT_TRUE(page.selectSet(2));
    const int builds = page.rebuildCount();
    ASSERT_TRUE(SelectRow(list, 12));
    page.openBank();
    EXPECT_TRUE(w.doc->HasBank(12));
    EXPECT_EQ(page.rebuildCount(), builds + 1);
    EXPECT_EQ(page.selectedSet(), 2);
    EXPECT_EQ(list.topLevelItem(3)->text(1), "NEW BANK 12");
    // Rows that cannot be opened, and the root, only beep.
    ASSERT_TRUE(SelectRow(list, 150));
    page.openBank();
    ASSERT_TRUE(page.selectSet(0));
    page.openSet();
    ASSERT_TRUE(page.selectSet(4));
    page.openSet();
    w.doc->InsertPatch(40, false); // a patch change does not rebuild this page
    EXPECT_EQ(page.rebuildCount(), builds + 1);
    EXPECT_EQ(modals.classes, (QStringList{"BankEdit", "SetEditDlg"}));
}

TEST(DataPages, ShowOutOfRangeContentsWithoutReadingPastRecords) {
    testdump::Dump d;
    d.patches.push_back(Patch(35, "GONE"));
    d.patches.push_back(Patch(7, "ODD", 0x1FF)); // a malformed mode pair reads above 255
    d.banks.push_back(Bank(1, "ODD", {0, 612, 35, 7}));
    d.banks.push_back(Bank(2, "SEQ", {}, 1, {}));
    d.sets[0] = {1, 150, 2};
    Window w(d);
    w.doc->DeletePatch(35, false);
    // A bank whose sequence length promises more steps than the record holds.
    testdump::Bytes shortBank = Bank(3, "SHORT", {}, 1, {7, 7});
    shortBank[73] = 40;
    w.doc->ReplaceBank(3, RecordSlot(shortBank.data(), static_cast<int>(shortBank.size())));

    PatchesPage& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    EXPECT_EQ(patches.list()->topLevelItem(6)->text(1), "ODD");
    BanksPage& banks = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    ASSERT_TRUE(banks.selectBank(1));
    ListCtrlExt& list = *banks.pane()->patchList();
    EXPECT_EQ(RowTexts(list.topLevelItem(0)), (QStringList{"A", "000", "** unassigned **"}));
    EXPECT_EQ(RowTexts(list.topLevelItem(1)), (QStringList{"B", "612", "**** Bad Patch Number ****"}));
    EXPECT_EQ(RowTexts(list.topLevelItem(2)),
              (QStringList{"C", "000", "** unassigned **"})); // 35 was cleared
    EXPECT_EQ(RowTexts(list.topLevelItem(3)), (QStringList{"D", "007", "ODD"}));
    ASSERT_TRUE(banks.selectBank(2));
    EXPECT_TRUE(banks.pane()->sequenceModeCheck()->isChecked());
    EXPECT_EQ(banks.pane()->sequenceLengthEdit()->text(), "0");
    EXPECT_EQ(list.topLevelItemCount(), 0);
    ASSERT_TRUE(banks.selectBank(3));
    EXPECT_EQ(banks.pane()->sequenceLengthEdit()->text(), "40");
    EXPECT_EQ(Column(list, 0), (QStringList{"Step 1", "Step 2"}));
    EXPECT_EQ(BankInfoPane::PatchEntryName(*w.doc, 35), "** deleted patch **");
    // A double-click on the bad number beeps and creates nothing.
    ASSERT_TRUE(banks.selectBank(1));
    ASSERT_TRUE(SelectRow(list, 612));
    banks.pane()->openPatch();
    EXPECT_EQ(w.doc->GetPatchCount(), 1);

    SetsPage& sets = w.show(ZIVPropSheet::TabSets, &ZIVPropSheet::setsPage);
    ASSERT_TRUE(sets.selectSet(1));
    EXPECT_EQ(Column(*sets.bankList(), 1), (QStringList{"ODD", "**** Bad Bank Number ****", "SEQ"}));
}
