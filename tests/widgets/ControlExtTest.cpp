// The list, tree and header extensions: first columns, column fitting, sort mark, activation,
// the right-click selection, and cells painted as the standard delegate paints them.
#include "widgets/CellTextDelegate.h"
#include "widgets/HdrCtrl.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/SharedHintComboBox.h"
#include "widgets/TreeCtrlExt.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTest>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

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
        // Boxes on one shared list: the same hints and items, each with its own current item.
        SharedHintComboBox shared;
        shared.setSharedItems(items);
        SharedHintComboBox other;
        other.setSharedItems(items);
        EXPECT_EQ(shared.sizeHint(), plain.sizeHint());
        EXPECT_EQ(shared.minimumSizeHint(), plain.minimumSizeHint());
        ASSERT_EQ(other.count(), static_cast<int>(items.size()));
        for (int i = 0; i < other.count(); ++i)
            EXPECT_EQ(other.itemText(i), items.at(i));
        other.setCurrentIndex(other.count() - 1);
        EXPECT_EQ(shared.currentIndex(), items.isEmpty() ? -1 : 0);

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
    // Shared numbers: the items and hints of a box filled with them, also after another list
    // of the same length took their place.
    for (const auto& [first, last] : {std::pair{1, 16}, std::pair{0, 255}}) {
        SCOPED_TRACE(last);
        QComboBox plain;
        QStringList letters;
        for (int n = first; n <= last; ++n) {
            plain.addItem(QString::number(n));
            letters << QString(QLatin1Char('W')).repeated(n % 7 + 1);
        }
        for (int round = 0; round < 2; ++round) {
            SharedHintComboBox numbers;
            numbers.setSharedNumbers(first, last);
            ASSERT_EQ(numbers.count(), plain.count());
            for (int i = 0; i < plain.count(); ++i)
                EXPECT_EQ(numbers.itemText(i), plain.itemText(i));
            EXPECT_EQ(numbers.sizeHint(), plain.sizeHint());
            EXPECT_EQ(numbers.minimumSizeHint(), plain.minimumSizeHint());
        }
        QStandardItemModel other;
        for (const QString& text : letters)
            other.appendRow(new QStandardItem(text));
        SharedHintComboBox replaced;
        replaced.setSharedNumbers(first, last);
        replaced.setModel(&other);
        QComboBox lettersBox;
        lettersBox.addItems(letters);
        EXPECT_EQ(replaced.sizeHint(), lettersBox.sizeHint());
    }
}

TEST(CellTextDelegate, PaintsEveryCellAsTheStandardDelegate) {
    // Texts that fit, one cut short by a narrow column, an empty cell and one that is not plain.
    const QStringList rows[] = {{"001", "PATCH 1", "momentary off"},
                                {"002", "A NAME FAR TOO WIDE FOR ITS COLUMN", "on"},
                                {"003", "", "toggle"},
                                {"004", "TAB\tBED", "Pedal 2"}};
    enum Variant { Plain, FocusedSelection, Disabled, Alternating };
    for (const QString& styleName : {QStringLiteral("Fusion"), QStringLiteral("Windows")}) {
        std::unique_ptr<QStyle> style(QStyleFactory::create(styleName));
        ASSERT_TRUE(style) << styleName.toStdString();
        for (const bool tree : {false, true}) {
            for (const Variant variant : {Plain, FocusedSelection, Disabled, Alternating}) {
                SCOPED_TRACE(QStringLiteral("%1 %2 %3")
                                 .arg(styleName)
                                 .arg(tree ? "tree" : "list")
                                 .arg(variant)
                                 .toStdString());
                std::unique_ptr<QTreeWidget> view;
                if (tree) {
                    auto* t = new TreeCtrlExt;
                    QTreeWidgetItem* root = t->addItem(nullptr, "RIV 10 Banks", 0);
                    for (int r = 0; r < 4; ++r)
                        t->addItem(root, rows[r].at(1).isEmpty() ? QString() : rows[r].at(1), r + 1);
                    t->expandAll();
                    view.reset(t);
                } else {
                    auto* l = new ListCtrlExt;
                    l->setHeaderLabels({"Num", "Name", "Channel Switch"});
                    for (int r = 0; r < 4; ++r)
                        l->addRow(rows[r], r + 1);
                    l->AutoSizeColumns();
                    l->setColumnWidth(1, 90);
                    view.reset(l);
                }
                view->setStyle(style.get());
                view->header()->setStyle(style.get());
                view->resize(320, 160);
                view->setAlternatingRowColors(variant == Alternating);
                view->setEnabled(variant != Disabled);
                view->show();
                if (variant == FocusedSelection) {
                    view->activateWindow();
                    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
                    view->setFocus();
                }
                QTreeWidgetItem* second = tree ? view->topLevelItem(0)->child(1) : view->topLevelItem(1);
                view->setCurrentItem(second);
                if (variant == Plain)
                    view->clearSelection();
                QApplication::processEvents();
                ASSERT_NE(dynamic_cast<CellTextDelegate*>(view->itemDelegate()), nullptr);
                const QImage fast = view->grab().toImage();
                QAbstractItemView* asked = view.get();
                std::vector<int> widths;
                for (int c = 0; c < view->columnCount(); ++c)
                    widths.push_back(asked->sizeHintForColumn(c));
                view->setItemDelegate(new QStyledItemDelegate(view.get()));
                const QImage standard = view->grab().toImage();
                EXPECT_EQ(fast, standard);
                for (int c = 0; c < view->columnCount(); ++c)
                    EXPECT_EQ(widths[static_cast<size_t>(c)], asked->sizeHintForColumn(c)) << c;
                if (!tree) { // the header's labels measure as a plain header's
                    QHeaderView plain(Qt::Horizontal);
                    plain.setStyle(style.get());
                    plain.setModel(view->model());
                    for (const bool marked : {false, true}) {
                        view->header()->setSortIndicatorShown(marked);
                        plain.setSortIndicatorShown(marked);
                        for (int c = 0; c < view->columnCount(); ++c)
                            EXPECT_EQ(view->header()->sectionSizeHint(c), plain.sectionSizeHint(c)) << c;
                    }
                }
            }
        }
    }
}
