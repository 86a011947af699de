#pragma once

#include <QStringList>
#include <QTreeWidgetItem>

// A row of the patches list. It keeps its cells as one list of texts, most of them shared with
// every other row that shows the same text, instead of a variant for each cell: the list makes
// and frees 500 rows at a time. To the list and its readers it is a row like any other: text(),
// setText() and the roles below behave as a plain item's.
class PatchRow : public QTreeWidgetItem {
public:
    // Column 0 also carries the patch number (Qt::UserRole) and whether it exists (kExistsRole).
    static constexpr int kExistsRole = Qt::UserRole + 1;

    PatchRow(int number, bool exists, const QStringList& cells);

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant& value) override;

private:
    QStringList m_cells;
    int m_number;
    bool m_exists;
};
