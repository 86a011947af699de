#pragma once

#include <QTreeWidget>

class HdrCtrl;

// A report list: rows of cells under a header, the first two columns "Num" and "Name", single
// selection across the whole row. Each row keeps its number (patch or bank) as item data.
// The owner fits the columns with AutoSizeColumns() and hears the list through the *Notify
// signals, each sent after the list's own handling of the event.
class ListCtrlExt : public QTreeWidget {
    Q_OBJECT
public:
    explicit ListCtrlExt(QWidget* parent = nullptr);

    HdrCtrl* hdr() const { return m_header; }

    // The owner's sort state (the list shows rows in the order they were added).
    int sortColumn() const { return m_sortColumn; }
    bool sortAscending() const { return m_ascending; }
    void setSortState(int column, bool ascending);

    // Every column as wide as the larger of its widest cell and its label plus 10 pixels; the
    // last column takes the rest of the width.
    virtual void AutoSizeColumns();

    // Appends a row; its item data is `data`.
    QTreeWidgetItem* addRow(const QStringList& cells, int data);
    static int itemData(const QTreeWidgetItem* item);
    // The selected row, or null.
    QTreeWidgetItem* selectedRow() const;
    // The selected row's item data, or -1 when nothing is selected.
    int selectedData() const;

signals:
    // Left double-click or Enter.
    void activateNotify();
    // Double-click with the left or the right button.
    void dblClickNotify();
    // A key press, after the list handled it.
    void keyNotify(int key, Qt::KeyboardModifiers modifiers);
    // Right click (the clicked row is selected first) or the menu key.
    void contextMenuNotify(const QPoint& globalPos);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The width the widest cell of a column asks for.
    int contentWidth(int column) const;

    HdrCtrl* m_header;
    int m_sortColumn = 0;
    bool m_ascending = true;
};
