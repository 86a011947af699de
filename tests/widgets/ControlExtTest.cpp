// The list, tree and header extensions: first columns, column fitting, sort mark, activation
// and the right-click selection.
#include "widgets/HdrCtrl.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/SharedHintComboBox.h"
#include "widgets/TreeCtrlExt.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {
// Exposes the view's own per-column measure for comparison.
struct ProbeList : ListCtrlExt {
    using QTreeView::sizeHintForColumn;
};

void RightClick(QWidget* viewport, const QPoint& pos) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QApplication::sendEvent(viewport, &event);
}
} // namespace

TEST(ListCtrlExt, FitsColumnsAndReportsActivation) {
    ProbeList list;
    EXPECT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.headerItem()->text(0), "Num");
    EXPECT_EQ(list.headerItem()->text(1), "Name");
    EXPECT_FALSE(list.hdr()->isSortIndicatorShown());

    list.setHeaderLabels({"Num", "Name", "Channel Switch"});
    list.addRow({"001", "A RATHER LONG NAME", "on"}, 1);
    list.addRow({"002", "B", "inactive"}, 2);
    list.addRow({"012345", "", ""}, 3);
    list.resize(600, 300);
    list.AutoSizeColumns();
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(list.columnWidth(c),
                  std::max(list.sizeHintForColumn(c), list.hdr()->sectionSizeHint(c) + 10))
            << c;

    EXPECT_EQ(list.hdr()->setSortMark(1, false), -1);
    EXPECT_TRUE(list.hdr()->isSortIndicatorShown());
    EXPECT_EQ(list.hdr()->sortIndicatorSection(), 1);
    EXPECT_EQ(list.hdr()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(list.hdr()->setSortMark(0, true), 1);

    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy activate(&list, &ListCtrlExt::activateNotify);
    QSignalSpy dblClick(&list, &ListCtrlExt::dblClickNotify);
    QSignalSpy menu(&list, &ListCtrlExt::contextMenuNotify);
    list.setCurrentItem(list.topLevelItem(0));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(activate.count(), 1);
    const QPoint second = list.visualItemRect(list.topLevelItem(1)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, second);
    EXPECT_EQ(activate.count(), 2);
    EXPECT_EQ(dblClick.count(), 1);
    RightClick(list.viewport(), list.visualItemRect(list.topLevelItem(2)).center());
    EXPECT_EQ(list.selectedData(), 3);
    EXPECT_EQ(menu.count(), 1);
}

TEST(TreeCtrlExt, RightClickSelectsOnlyOnALabel) {
    TreeCtrlExt tree;
    QTreeWidgetItem* root = tree.addItem(nullptr, "rig.syx RIV 10 Banks", 0);
    tree.addItem(root, "ONE", 1);
    QTreeWidgetItem* two = tree.addItem(root, "TWO", 2);
    root->setExpanded(true);
    tree.resize(300, 200);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    QSignalSpy selection(&tree, &TreeCtrlExt::selectionNotify);
    QSignalSpy menu(&tree, &TreeCtrlExt::contextMenuNotify);

    const QRect rect = tree.visualItemRect(two);
    RightClick(tree.viewport(), rect.topLeft() + QPoint(3, rect.height() / 2));
    EXPECT_EQ(tree.selectedData(), 2);
    ASSERT_EQ(selection.count(), 1);
    EXPECT_EQ(selection.takeFirst().at(0).toInt(), 2);
    RightClick(tree.viewport(),
               QPoint(tree.viewport()->width() - 2, rect.center().y() - rect.height())); // right of "ONE"
    RightClick(tree.viewport(), QPoint(5, tree.viewport()->height() - 3));               // below every item
    EXPECT_EQ(tree.selectedData(), 2);
    EXPECT_EQ(menu.count(), 3);
}

TEST(SharedHintComboBox, GivesTheHintsOfAPlainBoxWithTheSameItems) {
    const QStringList lists[] = {{}, {"1", "2", "16"}, {"none", "a rather long item"}, {"0x00", "0x1c"}};
    for (const QStringList& items : lists) {
        SCOPED_TRACE(items.join(',').toStdString());
        QComboBox plain;
        plain.addItems(items);
        SharedHintComboBox first;
        first.addItems(items);
        SharedHintComboBox second; // shares what the first worked out
        second.addItems(items);
        for (const QComboBox* box : {static_cast<QComboBox*>(&first), static_cast<QComboBox*>(&second)}) {
            EXPECT_EQ(box->sizeHint(), plain.sizeHint());
            EXPECT_EQ(box->minimumSizeHint(), plain.minimumSizeHint());
        }
        // Items added once the hints are known change them no more than a plain box's.
        plain.addItem("an item added later, longer than the rest");
        second.addItem("an item added later, longer than the rest");
        EXPECT_EQ(second.sizeHint(), plain.sizeHint());
        SharedHintComboBox late; // filled before it is asked: its own items count
        late.addItems(items);
        late.addItem("an item added later, longer than the rest");
        QComboBox lateBox;
        lateBox.addItems(items);
        lateBox.addItem("an item added later, longer than the rest");
        EXPECT_EQ(late.sizeHint(), lateBox.sizeHint());
    }
}
