// The data window as a whole: pages built when first shown, refresh-pending per hint, the tab
// mark, the command routing by focus and clipboard kind, the keys, and the record clipboard.
#include "dump/BankRecord.h"
#include "dump/PatchRecord.h"
#include "support/DataWindowKit.h"
#include "support/DocTestKit.h"
#include "views/BankInfoPane.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"
#include "views/RecordClipboard.h"
#include "views/SetsPage.h"
#include "widgets/HdrCtrl.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QTabBar>

using datawin::ModalLog;
using datawin::SelectRow;
using datawin::Window;
using EC = EditCommand;

namespace {

testdump::Dump RigDump() {
    testdump::Dump d;
    d.sets[0] = {1, 2};
    d.sets[1] = {2};
    for (int b = 1; b <= 3; ++b) {
        testdump::Bank bank;
        bank.number = b;
        bank.name = "BANK " + std::to_string(b);
        bank.slotPatches = {b, 0, 0, 0, 0, 0, 0, 0, 0};
        d.banks.push_back(testdump::MakeBank(bank));
    }
    for (int p = 1; p <= 3; ++p) {
        testdump::Patch patch;
        patch.number = p;
        patch.name = "PATCH " + std::to_string(p);
        patch.a = {0xC0, static_cast<uint8_t>(p)};
        d.patches.push_back(testdump::MakePatch(patch));
    }
    return d;
}

void PutOnClipboard(RecordClipboard::Kind kind, const QByteArray& payload) {
    auto* mime = new QMimeData;
    mime->setData(RecordClipboard::mimeType(kind), payload);
    QApplication::clipboard()->setMimeData(mime);
}

} // namespace

TEST(DataWindow, BuildsPagesWhenFirstShownAndRefreshesPendingPagesOnce) {
    Window w(RigDump());
    ZIVPropSheet& sheet = w.sheet();
    EXPECT_EQ(sheet.currentIndex(), ZIVPropSheet::TabConfig);
    EXPECT_EQ(sheet.tabText(0), "System Configuration");
    EXPECT_EQ(sheet.tabText(1), "Patches");
    EXPECT_EQ(sheet.tabText(2), "Banks");
    EXPECT_EQ(sheet.tabText(3), "Sets");
    EXPECT_FALSE(sheet.tabIcon(0).isNull());
    EXPECT_TRUE(sheet.tabIcon(1).isNull());

    // Changes before a page was ever shown cost it nothing.
    w.doc->DeletePatch(3, false);
    w.doc->DeleteBank(3, false);
    EXPECT_FALSE(sheet.patchesPage()->isBuilt());
    EXPECT_EQ(sheet.patchesPage()->list(), nullptr);
    EXPECT_EQ(sheet.banksPage()->tree(), nullptr);

    for (int tab = 1; tab <= 3; ++tab)
        sheet.setCurrentIndex(tab);
    EXPECT_FALSE(sheet.tabIcon(3).isNull());
    EXPECT_TRUE(sheet.tabIcon(0).isNull());
    sheet.setCurrentIndex(ZIVPropSheet::TabPatches);
    const int patchBuilds = sheet.patchesPage()->rebuildCount();
    const int bankBuilds = sheet.banksPage()->rebuildCount();
    const int setBuilds = sheet.setsPage()->rebuildCount();

    // A bank change: the current patches page ignores it; banks and sets become pending.
    w.doc->InsertBank(5, false);
    EXPECT_EQ(sheet.patchesPage()->rebuildCount(), patchBuilds);
    EXPECT_TRUE(sheet.banksPage()->isRefreshPending());
    EXPECT_TRUE(sheet.setsPage()->isRefreshPending());
    // A patch change: the patches page rebuilds at once; banks show patch names, sets do not.
    w.doc->InsertPatch(9, false);
    EXPECT_EQ(sheet.patchesPage()->rebuildCount(), patchBuilds + 1);
    w.doc->ReplaceSet(1, w.doc->GetSet(2));
    EXPECT_EQ(sheet.patchesPage()->rebuildCount(), patchBuilds + 1);
    EXPECT_EQ(sheet.banksPage()->rebuildCount(), bankBuilds);

    sheet.setCurrentIndex(ZIVPropSheet::TabBanks);
    sheet.setCurrentIndex(ZIVPropSheet::TabPatches);
    sheet.setCurrentIndex(ZIVPropSheet::TabBanks);
    EXPECT_EQ(sheet.banksPage()->rebuildCount(), bankBuilds + 1);
    EXPECT_FALSE(sheet.banksPage()->isRefreshPending());
    sheet.setCurrentIndex(ZIVPropSheet::TabSets);
    EXPECT_EQ(sheet.setsPage()->rebuildCount(), setBuilds + 1);

    // The refresh request after New or a download reaches every built page.
    w.view->requestRefresh();
    EXPECT_EQ(sheet.setsPage()->rebuildCount(), setBuilds + 2);
    EXPECT_TRUE(sheet.patchesPage()->isRefreshPending());
}

TEST(DataWindow, CommandStatesFollowTheFocusAndTheClipboardKind) {
    Window w(RigDump());
    ZIVPropSheet& sheet = w.sheet();
    QApplication::clipboard()->clear();

    auto& patches = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    sheet.tabBar()->setFocus();
    for (EC c : {EC::Copy, EC::Paste, EC::Delete, EC::DeleteReorder, EC::Insert, EC::InsertReorder})
        EXPECT_FALSE(w.view->isCommandEnabled(c));

    ASSERT_TRUE(SelectRow(*patches.list(), 2));
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Copy));
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Delete));
    EXPECT_TRUE(w.view->isCommandEnabled(EC::DeleteReorder));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Insert));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Paste)); // nothing on the clipboard
    ASSERT_TRUE(SelectRow(*patches.list(), 7));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Copy));
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Insert));
    ASSERT_TRUE(SelectRow(*patches.list(), 2));
    w.view->executeCommand(EC::Copy);
    EXPECT_TRUE(RecordClipboard::available(RecordClipboard::Kind::Patch));
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Paste));

    // A patch on the clipboard chooses the patches page, which does not have the focus.
    auto& banks = w.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    ASSERT_TRUE(banks.selectBank(1));
    banks.tree()->setFocus();
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Copy));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Paste));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Insert));
    ASSERT_TRUE(banks.selectBank(0));
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Insert)); // only beeps on the root
    EXPECT_TRUE(w.view->isCommandEnabled(EC::DeleteReorder));
    EXPECT_FALSE(w.view->isCommandEnabled(EC::Delete));

    // A read-only field of the bank pane: Copy copies its text.
    ASSERT_TRUE(banks.selectBank(2));
    QLineEdit* name = banks.pane()->nameEdit();
    name->setFocus();
    name->selectAll();
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Copy));
    w.view->executeCommand(EC::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "BANK 2");

    // The sets page has no delete or insert.
    auto& sets = w.show(ZIVPropSheet::TabSets, &ZIVPropSheet::setsPage);
    ASSERT_TRUE(sets.selectSet(1));
    sets.tree()->setFocus();
    EXPECT_TRUE(w.view->isCommandEnabled(EC::Copy));
    for (EC c : {EC::Delete, EC::DeleteReorder, EC::Insert, EC::InsertReorder})
        EXPECT_FALSE(w.view->isCommandEnabled(c));
}

TEST(DataWindow, CopiesAndPastesRecordsBetweenDocuments) {
    Window a(RigDump());
    Window b(RigDump());
    ModalLog modals;

    // Patch 2 of one document onto the unused number 40 of the other: renumbered 40.
    auto& from = a.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    a.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a.view.get()));
    ASSERT_TRUE(SelectRow(*from.list(), 2));
    a.view->executeCommand(EC::Copy);
    auto& to = b.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    b.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(b.view.get()));
    ASSERT_TRUE(SelectRow(*to.list(), 40));
    b.view->executeCommand(EC::Paste);
    testdump::Bytes expected = kit::RecordBytes(a.doc->PeekPatch(2));
    expected[3] = 40;
    EXPECT_EQ(kit::RecordBytes(b.doc->PeekPatch(40)), expected);
    EXPECT_EQ(b.doc->CheckIntegrity(), DumpOk);
    // The clipboard keeps patch 2's own bytes.
    bool ok = false;
    const RecordSlot held = RecordClipboard::decode(
        RecordClipboard::Kind::Patch,
        QApplication::clipboard()->mimeData()->data(RecordClipboard::mimeType(RecordClipboard::Kind::Patch)),
        &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(kit::RecordBytes(&held), kit::RecordBytes(a.doc->PeekPatch(2)));

    // Set 2 onto set 4, bank 1 onto bank 3.
    auto& sets = b.show(ZIVPropSheet::TabSets, &ZIVPropSheet::setsPage);
    ASSERT_TRUE(sets.selectSet(2));
    sets.tree()->setFocus();
    b.view->executeCommand(EC::Copy);
    ASSERT_TRUE(sets.selectSet(4));
    b.view->executeCommand(EC::Paste);
    EXPECT_EQ(kit::SetEntries(kit::RecordBytes(b.doc->PeekSet(4))), (std::vector<int>{2}));
    auto& banks = b.show(ZIVPropSheet::TabBanks, &ZIVPropSheet::banksPage);
    ASSERT_TRUE(banks.selectBank(1));
    banks.tree()->setFocus();
    b.view->executeCommand(EC::Copy);
    ASSERT_TRUE(banks.selectBank(3));
    b.view->executeCommand(EC::Paste);
    EXPECT_EQ(BankRecord(b.doc->GetBank(3)).Name(), "BANK 1");
    EXPECT_EQ(BankRecord(b.doc->GetBank(3)).Number(), 3);
    EXPECT_EQ(b.doc->CheckIntegrity(), DumpOk);
    EXPECT_TRUE(modals.classes.isEmpty());
}

TEST(DataWindow, RefusesMalformedClipboardPayloads) {
    using K = RecordClipboard::Kind;
    const testdump::Bytes patch = testdump::MakePatch(testdump::Patch());
    const QByteArray good = RecordClipboard::encode(RecordSlot(patch.data(), static_cast<int>(patch.size())));
    bool ok = false;
    EXPECT_TRUE(RecordClipboard::decode(K::Patch, good, &ok).IsPresent());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(RecordClipboard::decode(K::Patch, good + QByteArray(8, 0), &ok)
                    .IsPresent()); // slack after the record

    QByteArray negative = good;
    negative[3] = static_cast<char>(0x80);
    QByteArray tooLong = good;
    tooLong[1] = 0x10;
    QByteArray statusByte = good;
    statusByte[10] = static_cast<char>(0xF7);
    QByteArray wrongLength = good;
    wrongLength[4 + 87] = 5; // string A claims five bytes it does not have
    for (const QByteArray& bad : {negative, tooLong, statusByte, wrongLength, QByteArray("\x01\x00", 2)}) {
        EXPECT_FALSE(RecordClipboard::decode(K::Patch, bad, &ok).IsPresent());
        EXPECT_FALSE(ok);
    }
    EXPECT_FALSE(RecordClipboard::decode(K::Bank, good, &ok).IsPresent()); // a patch is no bank
    EXPECT_FALSE(ok);
    EXPECT_FALSE(RecordClipboard::decode(K::Set, QByteArray("\x04\0\0\0\0\0\0\x02", 8), &ok).IsPresent());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(
        RecordClipboard::decode(K::Set, QByteArray("\x06\0\0\0\0\0\0\x01\0\x05", 10), &ok).IsPresent());

    // Pasting garbage through a page changes nothing.
    Window w(RigDump());
    auto& page = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    ASSERT_TRUE(SelectRow(*page.list(), 2));
    const testdump::Bytes before = w.doc->BuildImage();
    for (const QByteArray& bad : {negative, tooLong, statusByte, wrongLength}) {
        PutOnClipboard(K::Patch, bad);
        w.view->executeCommand(EC::Paste);
    }
    PutOnClipboard(K::Patch, QByteArray(4, '\0')); // no bytes: nothing to do
    w.view->executeCommand(EC::Paste);
    EXPECT_EQ(w.doc->BuildImage(), before);
    EXPECT_FALSE(w.doc->IsModified());
}

TEST(DataWindow, RoutesKeysToTabsListsAndTabCycles) {
    Window w(RigDump());
    ZIVPropSheet& sheet = w.sheet();
    ModalLog modals;
    // The main window's shortcuts must not take the keys the lists handle themselves.
    int shortcutHits = 0;
    auto* del = new QAction(w.view.get());
    del->setShortcuts({QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Insert)});
    QObject::connect(del, &QAction::triggered, [&] { ++shortcutHits; });
    w.view->addAction(del);

    sheet.tabBar()->setFocus();
    QTest::keyClick(sheet.tabBar(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.currentIndex(), ZIVPropSheet::TabPatches);
    ListCtrlExt* list = sheet.patchesPage()->list();
    ASSERT_TRUE(SelectRow(*list, 3));
    QTest::keyClick(list, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(sheet.currentIndex(), ZIVPropSheet::TabBanks);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(sheet.currentIndex(), ZIVPropSheet::TabPatches);

    // Del and Shift+Del on the patches list.
    w.shell.settings().SetDeletePrompt(false);
    ASSERT_TRUE(SelectRow(*list, 3));
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_FALSE(w.doc->HasPatch(3));
    ASSERT_TRUE(SelectRow(*list, 1));
    QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(PatchRecord(w.doc->GetPatch(1)).Name(), "PATCH 2");
    EXPECT_EQ(shortcutHits, 0);

    // Enter on the banks tree opens the editor; Ins creates an unused bank and opens it too.
    sheet.setCurrentIndex(ZIVPropSheet::TabBanks);
    BanksPage& banks = *sheet.banksPage();
    ASSERT_TRUE(banks.selectBank(1));
    banks.tree()->setFocus();
    QTest::keyClick(banks.tree(), Qt::Key_Return);
    ASSERT_TRUE(banks.selectBank(8));
    QTest::keyClick(banks.tree(), Qt::Key_Insert);
    EXPECT_TRUE(w.doc->HasBank(8));
    EXPECT_EQ(modals.classes, (QStringList{"BankEdit", "BankEdit"}));
    EXPECT_EQ(banks.selectedBank(), 8);
    EXPECT_EQ(shortcutHits, 0);

    // Tab: tab strip, tree, number, name, length (the check box is passed over), list, strip.
    w.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    banks.tree()->setFocus();
    BankInfoPane* pane = banks.pane();
    QTest::keyClick(banks.tree(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), pane->numberEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), pane->nameEdit());
    EXPECT_EQ(pane->nameEdit()->selectedText(), "NEW BANK 08");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), pane->sequenceLengthEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), pane->patchList());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), sheet.tabBar());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), pane->patchList());

    // Sets: tab strip, tree, bank list; Enter on the list opens the bank.
    w.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    sheet.setCurrentIndex(ZIVPropSheet::TabSets);
    SetsPage& sets = *sheet.setsPage();
    sheet.tabBar()->setFocus();
    QTest::keyClick(sheet.tabBar(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), sets.tree());
    ASSERT_TRUE(sets.selectSet(1));
    QTest::keyClick(sets.tree(), Qt::Key_Delete); // nothing to delete on this page
    QTest::keyClick(sets.tree(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), sets.bankList());
    ASSERT_TRUE(SelectRow(*sets.bankList(), 2));
    QTest::keyClick(sets.bankList(), Qt::Key_Enter);
    w.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    sets.bankList()->setFocus();
    QTest::keyClick(sets.bankList(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), sheet.tabBar());
    EXPECT_EQ(modals.classes.size(), 3);
    EXPECT_EQ(modals.classes.last(), "BankEdit");
}
