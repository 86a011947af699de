#include "widgets/TreeCtrlExt.h"

#include "widgets/CellTextDelegate.h"
#include "widgets/ControlKeys.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

TreeCtrlExt::TreeCtrlExt(QWidget* parent) : QTreeWidget(parent) {
    setItemDelegate(new CellTextDelegate(this));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    setFocusPolicy(Qt::StrongFocus);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { emit selectionNotify(selectedData()); });
}

QTreeWidgetItem* TreeCtrlExt::addItem(QTreeWidgetItem* parent, const QString& text, int data) {
    auto* item = parent ? new QTreeWidgetItem(parent, {text}) : new QTreeWidgetItem(this, {text});
    item->setData(0, Qt::UserRole, data);
    return item;
}

int TreeCtrlExt::itemData(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

QTreeWidgetItem* TreeCtrlExt::selectedItem() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

int TreeCtrlExt::selectedData() const {
    return itemData(selectedItem());
}

bool TreeCtrlExt::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && IsOwnControlKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTreeWidget::event(event);
}

void TreeCtrlExt::focusInEvent(QFocusEvent* event) {
    // Keyboard focus on a tree without a current item makes the first item current (not
    // selected), however the tree came to have none.
    if (!currentIndex().isValid() && event->reason() != Qt::MouseFocusReason) {
        const QModelIndex first = moveCursor(MoveNext, Qt::NoModifier);
        if (first.isValid())
            selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    }
    QTreeWidget::focusInEvent(event);
}

void TreeCtrlExt::keyPressEvent(QKeyEvent* event) {
    if (IsCopyKey(event)) {
        event->accept(); // reaches the tree only while the Copy command is disabled
        return;
    }
    QTreeWidget::keyPressEvent(event);
    if (IsOwnControlKey(event))
        event->accept();
    emit keyNotify(event->key(), event->modifiers());
}

void TreeCtrlExt::mousePressEvent(QMouseEvent* event) {
    // A right click selects an item only on its label; elsewhere the selection stays, and the
    // context menu opens either way.
    if (event->button() == Qt::RightButton) {
        if (QTreeWidgetItem* item = labelAt(event->position().toPoint()))
            setCurrentItem(item);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TreeCtrlExt::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept(); // the press has decided
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void TreeCtrlExt::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit dblClickNotify();
}

QTreeWidgetItem* TreeCtrlExt::labelAt(const QPoint& pos) const {
    QTreeWidgetItem* item = itemAt(pos);
    if (!item)
        return nullptr;
    const QRect rect = visualItemRect(item);
    const int labelRight = rect.left() + fontMetrics().horizontalAdvance(item->text(0)) + 8;
    return pos.x() >= rect.left() && pos.x() <= labelRight ? item : nullptr;
}

void TreeCtrlExt::contextMenuEvent(QContextMenuEvent* event) {
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (QTreeWidgetItem* item = labelAt(event->pos()))
            setCurrentItem(item);
    } else if (QTreeWidgetItem* item = selectedItem()) {
        global = viewport()->mapToGlobal(visualItemRect(item).center());
    }
    event->accept();
    emit contextMenuNotify(global);
}
