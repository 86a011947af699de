#include "widgets/ListCtrlExt.h"

#include "widgets/ControlKeys.h"
#include "widgets/HdrCtrl.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

ListCtrlExt::ListCtrlExt(QWidget* parent) : QTreeWidget(parent), m_header(new HdrCtrl(this)) {
    setHeader(m_header);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // the owner sorts; this also made the header unclickable
    m_header->setSectionsClickable(true);
    setFocusPolicy(Qt::StrongFocus);
    m_header->setSectionsMovable(true);
    m_header->setStretchLastSection(true);
    setHeaderLabels({QStringLiteral("Num"), QStringLiteral("Name")});
    AutoSizeColumns();
}

void ListCtrlExt::setSortState(int column, bool ascending) {
    m_sortColumn = column;
    m_ascending = ascending;
}

int ListCtrlExt::contentWidth(int column) const {
    // Asking the delegate for every cell lays each text out again and again (a full patch list
    // is 5,500 cells of a few dozen distinct texts): measure each distinct text once and add the
    // padding the delegate puts around a text, taken from one cell.
    const QFontMetrics metrics(font());
    QHash<QString, int> advances;
    int widest = -1;
    const QTreeWidgetItem* widestItem = nullptr;
    const int rows = topLevelItemCount();
    for (int r = 0; r < rows; ++r) {
        const QTreeWidgetItem* item = topLevelItem(r);
        const QString text = item->text(column);
        auto it = advances.constFind(text);
        if (it == advances.constEnd())
            it = advances.insert(text, metrics.horizontalAdvance(text));
        if (it.value() > widest) {
            widest = it.value();
            widestItem = item;
        }
    }
    if (!widestItem)
        return 0;
    const QModelIndex index = indexFromItem(widestItem, column);
    return std::max(sizeHintForIndex(index).width(), widest);
}

void ListCtrlExt::AutoSizeColumns() {
    const int columns = columnCount();
    for (int i = 0; i < columns; ++i) {
        const int content = contentWidth(i);
        const int label = m_header->sectionSizeHint(i) + 10;
        setColumnWidth(i, std::max(content, label));
    }
}

QTreeWidgetItem* ListCtrlExt::addRow(const QStringList& cells, int data) {
    auto* item = new QTreeWidgetItem(cells);
    item->setData(0, Qt::UserRole, data);
    addTopLevelItem(item);
    return item;
}

int ListCtrlExt::itemData(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

QTreeWidgetItem* ListCtrlExt::selectedRow() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

int ListCtrlExt::selectedData() const {
    return itemData(selectedRow());
}

bool ListCtrlExt::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && IsOwnControlKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTreeWidget::event(event);
}

void ListCtrlExt::keyPressEvent(QKeyEvent* event) {
    if (IsCopyKey(event)) {
        event->accept(); // reaches the list only while the Copy command is disabled
        return;
    }
    QTreeWidget::keyPressEvent(event);
    const int key = event->key();
    if (IsOwnControlKey(event))
        event->accept(); // never on to a default button or a parent
    emit keyNotify(key, event->modifiers());
    if (IsEnterKey(key) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
        emit activateNotify();
}

void ListCtrlExt::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    const Qt::MouseButton button = event->button();
    if (button == Qt::LeftButton || button == Qt::RightButton)
        emit dblClickNotify();
    if (button == Qt::LeftButton)
        emit activateNotify();
}

void ListCtrlExt::contextMenuEvent(QContextMenuEvent* event) {
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (QTreeWidgetItem* item = itemAt(event->pos()))
            setCurrentItem(item);
    } else if (QTreeWidgetItem* item = selectedRow()) {
        global = viewport()->mapToGlobal(visualItemRect(item).center());
    }
    event->accept();
    emit contextMenuNotify(global);
}
