#include "widgets/ListCtrlExt.h"

#include "widgets/CellTextDelegate.h"
#include "widgets/ControlKeys.h"
#include "widgets/HdrCtrl.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <optional>
#include <utility>

ListCtrlExt::ListCtrlExt(QWidget* parent) : QTreeWidget(parent), m_header(new HdrCtrl(this)) {
    setHeader(m_header);
    setItemDelegate(new CellTextDelegate(this));
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
    QAbstractItemModel* rows = model();
    connect(rows, &QAbstractItemModel::rowsAboutToBeRemoved, this, &ListCtrlExt::forgetRows);
    connect(rows, &QAbstractItemModel::dataChanged, this, &ListCtrlExt::forgetCells);
    connect(rows, &QAbstractItemModel::modelAboutToBeReset, this, &ListCtrlExt::forgetAll);
    connect(rows, &QAbstractItemModel::columnsInserted, this, &ListCtrlExt::forgetAll);
    connect(rows, &QAbstractItemModel::columnsRemoved, this, &ListCtrlExt::forgetAll);
    connect(rows, &QAbstractItemModel::headerDataChanged, this, [this] { m_labelWidths.clear(); });
    setHeaderLabels({QStringLiteral("Num"), QStringLiteral("Name")});
    AutoSizeColumns();
}

void ListCtrlExt::setSortState(int column, bool ascending) {
    m_sortColumn = column;
    m_ascending = ascending;
}

ListCtrlExt::~ListCtrlExt() {
    disconnect(model(), nullptr, this, nullptr);
}

// Measures the cells of one fitting pass. The option is made on the first cell, as making it
// costs more than looking a text up; a text equal to the one above it in its column is not
// looked up again (many columns repeat a few texts all the way down).
class ListCtrlExt::CellMeasure {
public:
    explicit CellMeasure(const ListCtrlExt& list) : m_list(list) {}

    int width(int column, const QString& text) {
        if (!m_option) {
            m_option.emplace();
            m_list.initViewItemOption(&*m_option);
            m_option->features |= QStyleOptionViewItem::HasDisplay;
        }
        if (column >= m_above.size())
            m_above.resize(column + 1, {QString(), -1});
        auto& [aboveText, aboveWidth] = m_above[column];
        if (aboveWidth < 0 || text != aboveText) {
            m_option->text = text;
            aboveText = text;
            aboveWidth = CellTextDelegate::textCellSize(*m_option).width();
        }
        return aboveWidth;
    }

private:
    const ListCtrlExt& m_list;
    // What the delegate asks of the style for a cell that holds nothing but its text.
    std::optional<QStyleOptionViewItem> m_option;
    // Per column, the text last measured and its width (-1: none yet).
    QVector<std::pair<QString, int>> m_above;
};

const QVector<int>& ListCtrlExt::rowWidths(const QTreeWidgetItem* item, CellMeasure& measure) {
    auto it = m_rowWidths.find(item);
    const int columns = columnCount();
    if (it == m_rowWidths.end() || it->size() != columns) {
        QVector<int> widths(columns);
        for (int c = 0; c < columns; ++c)
            widths[c] = measure.width(c, item->text(c));
        it = m_rowWidths.insert(item, std::move(widths));
    }
    return it.value();
}

void ListCtrlExt::forgetRows(const QModelIndex& parent, int first, int last) {
    if (parent.isValid())
        return;
    for (int r = first; r <= last; ++r)
        m_rowWidths.remove(topLevelItem(r));
}

void ListCtrlExt::forgetCells(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                              const QList<int>& roles) {
    if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole))
        return;
    if (topLeft.parent().isValid())
        return;
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r)
        m_rowWidths.remove(topLevelItem(r));
}

void ListCtrlExt::forgetAll() {
    m_rowWidths.clear();
}

void ListCtrlExt::AutoSizeColumns() {
    const int columns = columnCount();
    QVector<int> content(columns, 0);
    const int rows = topLevelItemCount();
    CellMeasure measure(*this);
    for (int r = 0; r < rows; ++r) {
        const QVector<int>& widths = rowWidths(topLevelItem(r), measure);
        for (int c = 0; c < columns; ++c)
            content[c] = std::max(content[c], widths[c]);
    }
    const bool marked = m_header->isSortIndicatorShown();
    for (int i = 0; i < columns; ++i) {
        const QChar mark = !marked                                 ? QLatin1Char('-')
                           : i == m_header->sortIndicatorSection() ? QLatin1Char('s')
                                                                   : QLatin1Char('m');
        const QString key = mark + headerItem()->text(i);
        auto label = m_labelWidths.constFind(key);
        if (label == m_labelWidths.constEnd())
            label = m_labelWidths.insert(key, m_header->sectionSizeHint(i) + 10);
        const int width = std::max(content[i], label.value());
        // The stretched last column is never as wide as asked, and asking again repaints the
        // whole list: ask only when the width it is to keep in reserve changes.
        if (i == columns - 1 && m_header->stretchLastSection() && m_requestedLast == width)
            continue;
        if (i == columns - 1)
            m_requestedLast = width;
        setColumnWidth(i, width);
    }
}

void ListCtrlExt::focusInEvent(QFocusEvent* event) {
    // Keyboard focus on a list without a current row makes the first row current (not
    // selected), however the list came to have none, so arrow keys start from the top.
    if (!currentIndex().isValid() && event->reason() != Qt::MouseFocusReason) {
        const QModelIndex first = moveCursor(MoveNext, Qt::NoModifier);
        if (first.isValid())
            selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    }
    QTreeWidget::focusInEvent(event);
}

void ListCtrlExt::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        forgetAll();
        m_labelWidths.clear();
    }
}

QTreeWidgetItem* ListCtrlExt::addRow(const QStringList& cells, int data) {
    auto* item = new QTreeWidgetItem(cells);
    item->setData(0, Qt::UserRole, data);
    addTopLevelItem(item);
    return item;
}

void ListCtrlExt::setRows(const QList<QStringList>& cells, const QList<int>& data) {
    const int count = static_cast<int>(std::min(cells.size(), data.size()));
    if (currentItem() || selectedRow())
        setCurrentItem(nullptr);
    while (topLevelItemCount() > count)
        delete takeTopLevelItem(topLevelItemCount() - 1);
    QList<QTreeWidgetItem*> added;
    for (int r = 0; r < count; ++r) {
        QTreeWidgetItem* item = r < topLevelItemCount() ? topLevelItem(r) : nullptr;
        if (!item) {
            item = new QTreeWidgetItem(cells.at(r));
            item->setData(0, Qt::UserRole, data.at(r));
            added.push_back(item);
            continue;
        }
        const QStringList& row = cells.at(r);
        for (int c = 0; c < row.size(); ++c)
            item->setText(c, row.at(c)); // an unchanged text costs nothing
        item->setData(0, Qt::UserRole, data.at(r));
    }
    addTopLevelItems(added);
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
