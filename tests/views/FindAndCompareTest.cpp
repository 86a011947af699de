// The patch finder of the patches page and the Differences window.
#include "dump/DumpComparison.h"
#include "support/DataWindowKit.h"
#include "views/BanksPage.h"
#include "views/DifferencesWindow.h"
#include "views/PatchesPage.h"
#include "views/SetsPage.h"
#include "widgets/HdrCtrl.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>

using datawin::Focus;
using datawin::ModalLog;
using datawin::Window;

namespace {

testdump::Bytes Patch(int number, const std::string& name) {
    testdump::Patch p;
    p.number = number;
    p.name = name;
    return testdump::MakePatch(p);
}

testdump::Dump Rig() {
    testdump::Dump d;
    d.patches = {Patch(3, "LEAD"), Patch(12, "LEAD TWO"), Patch(40, "CLEAN")};
    testdump::Bank bank;
    bank.number = 5;
    bank.slotPatches = {3, 12};
    d.banks = {testdump::MakeBank(bank)};
    d.sets[1] = {5};
    return d;
}

std::vector<int> ShownRows(const ListCtrlExt& list) {
    std::vector<int> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        if (!list.topLevelItem(i)->isHidden())
            rows.push_back(ListCtrlExt::itemData(list.topLevelItem(i)));
    return rows;
}

TEST(PatchFinder, NarrowsByNumberOrNameAndLeavesCommandsOnTheSelectedRow) {
    Window w(Rig());
    w.shell.settings().SetHideBlanks(true);
    w.view->requestRefresh();
    // Ctrl+F from the configuration page brings up the patches page with the field focused.
    Focus(*w.sheet().tabBar());
    QTest::keyClick(w.sheet().tabBar(), Qt::Key_F, Qt::ControlModifier);
    PatchesPage& page = *w.sheet().patchesPage();
    ASSERT_EQ(w.sheet().currentIndex(), ZIVPropSheet::TabPatches);
    QLineEdit& field = *page.filterField();
    ListCtrlExt& list = *page.list();
    ASSERT_TRUE(field.hasFocus());

    // A selected row the text hides gives way to the first row shown.
    list.setCurrentItem(list.topLevelItem(0));
    const struct {
        const char* text;
        std::vector<int> rows;
        int selected;
    } rows[] = {
        {"lead", {3, 12}, 3}, {"EAD T", {12}, 12}, {"04", {40}, 40}, {"0", {3, 12, 40}, 40}, {"x", {}, -1}};
    for (const auto& row : rows) {
        field.clear();
        QTest::keyClicks(&field, QString::fromLatin1(row.text));
        EXPECT_EQ(ShownRows(list), row.rows) << row.text;
        EXPECT_EQ(list.selectedData(), row.selected) << row.text;
    }

    // Sorting keeps the narrowing: a second click on "Num" turns the order round.
    field.clear();
    QTest::keyClicks(&field, QStringLiteral("lead"));
    HdrCtrl& header = *list.hdr();
    QTest::mouseClick(
        header.viewport(), Qt::LeftButton, {},
        QPoint(header.sectionViewportPosition(0) + header.sectionSize(0) / 2, header.height() / 2));
    EXPECT_EQ(ShownRows(list), (std::vector<int>{12, 3}));

    // Down goes on to the list; Delete acts on the row found.
    field.clear();
    QTest::keyClicks(&field, QStringLiteral("clean"));
    QTest::keyClick(&field, Qt::Key_Down);
    ASSERT_TRUE(list.hasFocus());
    w.shell.script().Answer(true);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_FALSE(w.doc->HasPatch(40));
    EXPECT_TRUE(w.doc->HasPatch(3));
    // A rebuild keeps the narrowing.
    EXPECT_EQ(ShownRows(list), std::vector<int>());

    // Escape clears the field and every row comes back.
    Focus(field);
    QTest::keyClick(&field, Qt::Key_Escape);
    EXPECT_EQ(field.text(), QString());
    EXPECT_EQ(ShownRows(list), (std::vector<int>{12, 3}));
}

TEST(PatchFinder, ListKeepsTheFocusWhenThePageIsShown) {
    Window w(Rig());
    PatchesPage& page = w.show(ZIVPropSheet::TabPatches, &ZIVPropSheet::patchesPage);
    Focus(*page.list());
    w.sheet().setCurrentIndex(ZIVPropSheet::TabBanks);
    w.sheet().setCurrentIndex(ZIVPropSheet::TabPatches);
    EXPECT_TRUE(page.list()->hasFocus());
    EXPECT_EQ(page.filterField()->accessibleName(), QStringLiteral("Find"));
}

TEST(DifferencesWindow, LinesBringUpTheirRecordsAndEditors) {
    Window w(Rig());
    testdump::Dump other = Rig();
    other.patches = {Patch(3, "LEAD"), Patch(12, "LEAD 2"), Patch(41, "NEW"), Patch(40, "CLEAN")};
    other.sets[1] = {5, 6};
    other.config[95] = 1;
    SystemDoc second;
    ASSERT_EQ(second.ParseDump(other.Build()), DumpOk);
    const DumpComparison comparison(*w.doc, second);
    auto* window =
        new DifferencesWindow(*w.view, comparison, QStringLiteral("First: rig.syx, second: b.syx"));
    window->show();
    QListWidget& list = *window->list();
    ASSERT_EQ(list.count(), static_cast<int>(comparison.Lines().size()));
    QStringList expected;
    for (const std::string& line : comparison.Lines())
        expected << QString::fromStdString(line);
    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown << list.item(i)->text();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Differences"));

    const auto rowOf = [&](const QString& start) {
        for (int i = 0; i < list.count(); ++i)
            if (list.item(i)->text().startsWith(start))
                return i;
        ADD_FAILURE() << start.toStdString();
        return 0;
    };
    ModalLog modals;
    const auto enter = [&](const QString& start) {
        list.setCurrentRow(rowOf(start));
        window->activateWindow();
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Return);
    };

    enter(QStringLiteral("patch 012"));
    EXPECT_EQ(w.sheet().currentIndex(), ZIVPropSheet::TabPatches);
    EXPECT_EQ(w.sheet().patchesPage()->list()->selectedData(), 12);
    enter(QStringLiteral("set 2"));
    EXPECT_EQ(w.sheet().currentIndex(), ZIVPropSheet::TabSets);
    EXPECT_EQ(w.sheet().setsPage()->selectedSet(), 2);
    enter(QStringLiteral("configuration"));
    EXPECT_EQ(w.sheet().currentIndex(), ZIVPropSheet::TabConfig);
    // A patch only in the other dump is selected, not created.
    enter(QStringLiteral("patch 041"));
    EXPECT_EQ(w.sheet().patchesPage()->list()->selectedData(), 41);
    EXPECT_FALSE(w.doc->HasPatch(41));
    EXPECT_EQ(modals.classes, (QStringList{"PatchEditDlg", "SetEditDlg"}));

    // A double click works as Enter.
    const int row = rowOf(QStringLiteral("patch 012"));
    const QPoint at = list.visualItemRect(list.item(row)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(modals.classes.size(), 3);
    window->close();
}

TEST(DifferencesWindow, SameDumpsSayNoDifferences) {
    Window w(Rig());
    auto* window = new DifferencesWindow(*w.view, DumpComparison(*w.doc, *w.doc), QStringLiteral("x"));
    window->show();
    ASSERT_EQ(window->list()->count(), 1);
    EXPECT_EQ(window->list()->item(0)->text(), QStringLiteral("No differences."));
    EXPECT_FALSE(window->showRow(0));
    window->close();
}

} // namespace
