// Pages that refresh in place against pages that fill themselves anew: two data windows on one
// document, one of each kind, set up alike, see the same change; afterwards every page of the two
// must show the same rows, texts, order, selection, scroll position and column widths.
#include "dump/BankRecord.h"
#include "support/DataWindowKit.h"
#include "views/BankInfoPane.h"
#include "views/BanksPage.h"
#include "views/PatchRow.h"
#include "views/PatchesPage.h"
#include "views/SetsPage.h"
#include "widgets/EditStep.h"
#include "widgets/HdrCtrl.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUndoStack>

#include <functional>

namespace {

testdump::Bytes Patch(int number, const std::string& name, int mode = 0) {
    testdump::Patch p;
    p.number = number;
    p.name = name;
    p.mode = mode;
    return testdump::MakePatch(p);
}

testdump::Bytes Bank(int number, const std::string& name, std::array<int, 9> slotList) {
    testdump::Bank b;
    b.number = number;
    b.name = name;
    b.slotPatches = slotList;
    return testdump::MakeBank(b);
}

// Patches with names out of number order and gaps between them, banks that refer to them, sets
// that refer to the banks.
testdump::Dump Rig() {
    testdump::Dump d;
    const char* names[] = {"ZULU", "ALPHA", "MIKE", "alpha", "ECHO", "KILO", "BRAVO"};
    for (int n = 1; n <= 60; ++n)
        if (n % 4 != 3)
            d.patches.push_back(Patch(n, std::string(names[n % 7]) + " " + std::to_string(n), n % 8));
    for (int b = 1; b <= 30; ++b)
        if (b % 5 != 4)
            d.banks.push_back(Bank(b, "BANK " + std::to_string(b), {b, b + 1, b + 2, 0, 0, 0, 0, 0, 0}));
    d.sets[0] = {1, 2, 3};
    d.sets[1] = {2, 4, 6, 150, 0};
    return d;
}

// How the user left the pages before the change.
struct Place {
    const char* name;
    int tab;        // current page when the change comes
    int sortColumn; // 0 number, 1 name
    bool ascending;
    bool hideBlanks;
    const char* filter;
    int patchRow;    // selected row index of the patch list, -1 none
    int patchScroll; // scroll bar value of the patch list
    int bank;        // selected bank, 0 the root
    int set;         // selected set, 0 the root
};

// One change, made straight on the document (as an editor or another window does).
struct Change {
    const char* name;
    std::function<void(SystemDoc&, FakeShell&)> apply;
};

struct DataWindow {
    DataWindow(SystemDoc& doc, FakeShell& shell, bool inPlace) : view(doc, shell) {
        view.resize(420, 300);
        view.initialUpdate();
        view.show();
        for (int tab = ZIVPropSheet::TabPatches; tab <= ZIVPropSheet::TabSets; ++tab) {
            view.sheet()->setCurrentIndex(tab);
            view.sheet()->page(tab)->setUpdatesInPlace(inPlace);
        }
        view.sheet()->configPage()->setUpdatesInPlace(inPlace);
        view.setUpdatesEnabled(false); // nothing here looks at pixels, and painting is slow
    }

    void sortAndNarrow(const Place& s) {
        PatchesPage& patches = *view.sheet()->patchesPage();
        if (s.sortColumn != 0)
            patches.headerClicked(s.sortColumn); // ascending
        if (!s.ascending)
            patches.headerClicked(s.sortColumn);
        patches.filterField()->setText(QString::fromLatin1(s.filter));
    }

    void select(const Place& s) {
        ZIVPropSheet& sheet = *view.sheet();
        ListCtrlExt& list = *sheet.patchesPage()->list();
        if (s.patchRow >= 0)
            list.setCurrentItem(list.topLevelItem(s.patchRow));
        list.verticalScrollBar()->setValue(s.patchScroll);
        sheet.banksPage()->selectBank(s.bank);
        ListCtrlExt& pane = *sheet.banksPage()->pane()->patchList();
        if (pane.topLevelItemCount() > 1)
            pane.setCurrentItem(pane.topLevelItem(1));
        sheet.setsPage()->selectSet(s.set);
        show(s.tab);
    }

    // Brings page `tab` forward in an active window, so that both windows see the same focus
    // changes.
    void show(int tab) {
        view.sheet()->setCurrentIndex(tab);
        view.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
        QApplication::processEvents();
    }

    PropSheetFormView view;
};

QString ListState(const ListCtrlExt& list) {
    QStringList lines;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list.topLevelItem(i);
        lines << QStringLiteral("%1%2%3 ")
                         .arg(ListCtrlExt::itemData(item))
                         .arg(item->isHidden() ? QStringLiteral(" hidden") : QString())
                         .arg(item->isSelected() ? QStringLiteral(" selected") : QString()) +
                     datawin::RowTexts(item).join(QLatin1Char('|'));
    }
    QStringList widths;
    for (int c = 0; c < list.columnCount(); ++c)
        widths << QString::number(list.columnWidth(c));
    lines << QStringLiteral("current %1, scroll %2, widths %3, mark %4 %5")
                 .arg(list.indexOfTopLevelItem(list.currentItem()))
                 .arg(list.verticalScrollBar()->value())
                 .arg(widths.join(QLatin1Char(' ')))
                 .arg(list.hdr()->sortMarkColumn())
                 .arg(list.hdr()->sortMarkAscending());
    return lines.join(QLatin1Char('\n'));
}

QString TreeState(const TreeCtrlExt& tree) {
    QStringList lines;
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    lines << root->text(0) + (root->isExpanded() ? QStringLiteral(" expanded") : QString()) +
                 (root->isSelected() ? QStringLiteral(" selected") : QString());
    for (int i = 0; i < root->childCount(); ++i) {
        const QTreeWidgetItem* item = root->child(i);
        lines << QStringLiteral("%1 %2%3")
                     .arg(TreeCtrlExt::itemData(item))
                     .arg(item->text(0))
                     .arg(item->isSelected() ? QStringLiteral(" selected") : QString());
    }
    const QTreeWidgetItem* current = tree.currentItem();
    lines << QStringLiteral("current %1, scroll %2")
                 .arg(current ? TreeCtrlExt::itemData(current) : -1)
                 .arg(tree.verticalScrollBar()->value());
    return lines.join(QLatin1Char('\n'));
}

QString FieldsState(const QWidget& page) {
    QStringList lines;
    for (const QLineEdit* edit : page.findChildren<QLineEdit*>())
        lines << edit->objectName() + QLatin1Char('=') + edit->text();
    for (const QComboBox* combo : page.findChildren<QComboBox*>())
        lines << combo->objectName() + QLatin1Char('=') + QString::number(combo->currentIndex());
    for (const QCheckBox* box : page.findChildren<QCheckBox*>())
        lines << box->objectName() + QLatin1Char('=') +
                     (box->isChecked() ? QLatin1Char('1') : QLatin1Char('0'));
    return lines.join(QLatin1Char('\n'));
}

// What page `tab` shows, in full.
QString PageState(ZIVPropSheet& sheet, int tab) {
    switch (tab) {
    case ZIVPropSheet::TabPatches:
        return ListState(*sheet.patchesPage()->list());
    case ZIVPropSheet::TabBanks:
        return TreeState(*sheet.banksPage()->tree()) + QLatin1Char('\n') +
               FieldsState(*sheet.banksPage()->pane()) + QLatin1Char('\n') +
               ListState(*sheet.banksPage()->pane()->patchList());
    case ZIVPropSheet::TabSets:
        return TreeState(*sheet.setsPage()->tree()) + QLatin1Char('\n') +
               ListState(*sheet.setsPage()->bankList());
    default:
        return FieldsState(*sheet.configPage());
    }
}

// The first line where two page states part, or nothing when they are the same.
std::string FirstDifference(const QString& updated, const QString& rebuilt) {
    const QStringList a = updated.split(QLatin1Char('\n'));
    const QStringList b = rebuilt.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString left = i < a.size() ? a.at(i) : QStringLiteral("<none>");
        const QString right = i < b.size() ? b.at(i) : QStringLiteral("<none>");
        if (left != right)
            return QStringLiteral("line %1: updated \"%2\", rebuilt \"%3\"")
                .arg(i)
                .arg(left, right)
                .toStdString();
    }
    return {};
}

RecordSlot Slot(const testdump::Bytes& bytes, int number = 0) {
    return RecordSlot(bytes.data(), static_cast<int>(bytes.size()), number);
}

} // namespace

TEST(InPlaceUpdate, PagesLookAsIfFilledAnew) {
    const Place places[] = {
        {"patches by number, row selected and scrolled", ZIVPropSheet::TabPatches, 0, true, false, "", 30, 20,
         2, 2},
        {"patches by name descending, blanks hidden", ZIVPropSheet::TabPatches, 1, false, true, "", 3, 0, 5,
         1},
        {"patches narrowed to a name", ZIVPropSheet::TabPatches, 1, true, false, "alpha", 1, 0, 0, 0},
        {"banks current, blanks hidden", ZIVPropSheet::TabBanks, 0, true, true, "", -1, 0, 7, 2},
        {"sets current, root selected", ZIVPropSheet::TabSets, 0, true, false, "", 10, 5, 4, 0},
        {"configuration current", ZIVPropSheet::TabConfig, 0, true, false, "", 5, 0, 3, 3},
    };
    const Change changes[] = {
        {"rename a patch",
         [](SystemDoc& doc, FakeShell&) { doc.ReplacePatch(2, Slot(Patch(2, "AAA FIRST NOW"))); }},
        {"rename a patch to a longer name",
         [](SystemDoc& doc, FakeShell&) { doc.ReplacePatch(5, Slot(Patch(5, "A MUCH LONGER NAME"))); }},
        {"delete a patch with reorder", [](SystemDoc& doc, FakeShell&) { doc.DeletePatch(2, true); }},
        {"delete a patch", [](SystemDoc& doc, FakeShell&) { doc.DeletePatch(6, false); }},
        {"insert a patch with reorder", [](SystemDoc& doc, FakeShell&) { doc.InsertPatch(4, true); }},
        {"create an unused patch", [](SystemDoc& doc, FakeShell&) { doc.InsertPatch(7, false); }},
        {"rename a bank",
         [](SystemDoc& doc, FakeShell&) {
             doc.ReplaceBank(2, Slot(Bank(2, "RENAMED", {9, 9})));
         }},
        {"delete a bank with reorder", [](SystemDoc& doc, FakeShell&) { doc.DeleteBank(3, true); }},
        {"delete the selected bank", [](SystemDoc& doc, FakeShell&) { doc.DeleteBank(7, false); }},
        {"replace a set",
         [](SystemDoc& doc, FakeShell&) {
             doc.ReplaceSet(2, Slot(testdump::MakeSet({5, 1}), 2));
         }},
        {"change the configuration",
         [](SystemDoc& doc, FakeShell&) {
             doc.SetCurrentPatch(4);
             doc.UpdateAllViews(nullptr, HintConfig);
         }},
        {"undo a delete with reorder",
         [](SystemDoc& doc, FakeShell& shell) {
             EditStep step(shell, doc);
             doc.DeletePatch(1, true);
             step.commit(QStringLiteral("Delete Patch 1 with Reorder"), HintPatches, 1);
             shell.undoStack(doc)->undo();
         }},
        {"new title",
         [](SystemDoc& doc, FakeShell&) {
             doc.SetTitle("renamed.syx");
             doc.UpdateAllViews(nullptr, HintAll);
         }},
        {"nothing changed", [](SystemDoc& doc, FakeShell&) { doc.UpdateAllViews(nullptr, HintAll); }},
    };
    // Each place gets one pair of windows; every change starts from the place's selections.
    for (const Place& setup : places) {
        FakeShell shell;
        shell.settings().SetHideBlanks(setup.hideBlanks);
        std::unique_ptr<SystemDoc> doc = kit::DocFrom(Rig());
        doc->SetTitle("rig.syx");
        DataWindow updated(*doc, shell, true);
        DataWindow rebuilt(*doc, shell, false);
        updated.sortAndNarrow(setup);
        rebuilt.sortAndNarrow(setup);
        for (const Change& change : changes) {
            SCOPED_TRACE(std::string(setup.name) + ": " + change.name);
            updated.select(setup);
            rebuilt.select(setup);
            ASSERT_EQ(FirstDifference(PageState(*updated.view.sheet(), setup.tab),
                                      PageState(*rebuilt.view.sheet(), setup.tab)),
                      "");

            change.apply(*doc, shell);
            QApplication::processEvents();
            // The current page first, as the change left it; then each other page as it catches up.
            for (int step = 0; step < 4; ++step) {
                const int tab = (setup.tab + step) % 4;
                updated.show(tab);
                rebuilt.show(tab);
                EXPECT_EQ(FirstDifference(PageState(*updated.view.sheet(), tab),
                                          PageState(*rebuilt.view.sheet(), tab)),
                          "")
                    << "tab " << tab;
            }
        }
    }
}

// A patches list row holds its cells its own way, but the list hears of each change exactly as
// of a plain item's: the same cell, the same roles, nothing for a text that stays.
TEST(InPlaceUpdate, APatchRowReportsItsChangesAsAPlainItem) {
    const QStringList cells{"007", "PATCH 7", "on", "", "none"};
    QTreeWidget plainList;
    QTreeWidget rowList;
    for (QTreeWidget* list : {&plainList, &rowList})
        list->setColumnCount(static_cast<int>(cells.size()));
    auto* plain = new QTreeWidgetItem(cells);
    plain->setData(0, Qt::UserRole, 7);
    plain->setData(0, PatchRow::kExistsRole, true);
    plainList.addTopLevelItem(plain);
    auto* row = new PatchRow(7, true, cells);
    rowList.addTopLevelItem(row);
    QSignalSpy plainChanges(plainList.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy rowChanges(rowList.model(), &QAbstractItemModel::dataChanged);
    const std::function<void(QTreeWidgetItem*)> edits[] = {
        [](QTreeWidgetItem* item) { item->setText(1, "PATCH 7"); }, // unchanged
        [](QTreeWidgetItem* item) { item->setText(1, "A LONGER NAME"); },
        [](QTreeWidgetItem* item) { item->setText(3, "Pedal 2"); },
        [](QTreeWidgetItem* item) { item->setText(1, "PATCH 7"); }, // and back
        [](QTreeWidgetItem* item) { item->setData(0, PatchRow::kExistsRole, false); },
        [](QTreeWidgetItem* item) { item->setData(0, PatchRow::kExistsRole, false); },
        [](QTreeWidgetItem* item) { item->setData(0, Qt::UserRole, 8); },
        [](QTreeWidgetItem* item) { item->setData(2, Qt::ToolTipRole, "a tip"); },
    };
    for (size_t e = 0; e < std::size(edits); ++e) {
        SCOPED_TRACE(e);
        edits[e](plain);
        edits[e](row);
        ASSERT_EQ(rowChanges.count(), plainChanges.count());
        if (!plainChanges.isEmpty()) {
            const QList<QVariant> expected = plainChanges.takeLast();
            const QList<QVariant> got = rowChanges.takeLast();
            EXPECT_EQ(got.at(0).toModelIndex().column(), expected.at(0).toModelIndex().column());
            EXPECT_EQ(got.at(1).toModelIndex().column(), expected.at(1).toModelIndex().column());
            EXPECT_EQ(got.at(2).value<QList<int>>(), expected.at(2).value<QList<int>>());
        }
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            for (const int role :
                 {int(Qt::DisplayRole), int(Qt::UserRole), PatchRow::kExistsRole, int(Qt::ToolTipRole)})
                EXPECT_EQ(row->data(c, role), plain->data(c, role)) << c << " " << role;
    }
}
