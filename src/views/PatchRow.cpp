#include "views/PatchRow.h"

PatchRow::PatchRow(int number, bool exists, const QStringList& cells)
    : QTreeWidgetItem(UserType), m_cells(cells), m_number(number), m_exists(exists) {}

QVariant PatchRow::data(int column, int role) const {
    if ((role == Qt::DisplayRole || role == Qt::EditRole) && column >= 0 && column < m_cells.size())
        return m_cells.at(column);
    if (column == 0 && role == Qt::UserRole)
        return m_number;
    if (column == 0 && role == kExistsRole)
        return m_exists;
    return QTreeWidgetItem::data(column, role);
}

void PatchRow::setData(int column, int role, const QVariant& value) {
    if ((role == Qt::DisplayRole || role == Qt::EditRole) && column >= 0 && column < m_cells.size()) {
        const QString text = value.toString();
        if (text == m_cells.at(column))
            return;
        m_cells[column] = text;
    } else if (column == 0 && role == Qt::UserRole) {
        if (value.toInt() == m_number)
            return;
        m_number = value.toInt();
    } else if (column == 0 && role == kExistsRole) {
        if (value.toBool() == m_exists)
            return;
        m_exists = value.toBool();
    }
    // A change goes on as a plain item's does, so that the list hears of that one cell and role.
    // The item keeps a copy only of what changed.
    QTreeWidgetItem::setData(column, role, value);
}
