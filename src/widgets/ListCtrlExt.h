#pragma once

#include <QHash>
#include <QTreeWidget>
#include <QVector>

class HdrCtrl;

// A report list: rows of cells under a header, the first two columns "Num" and "Name", single
// selection across the whole row. Each row keeps its number (patch or bank) as item data.
// The owner fits the columns with AutoSizeColumns() and hears the list through the *Notify
// signals, each sent after the list's own handling of the event.
//
// Fitting measures a text once: widths are kept per distinct text (by the cell delegate, for
// every list with the same font and style) and per row, and a row is looked at again only when one of its
// texts changed, so refitting after a change to a few rows costs next to nothing.
class ListCtrlExt : public QTreeWidget {
    Q_OBJECT
public:
    explicit ListCtrlExt(QWidget* parent = nullptr);
    // Quiet: the rows go after this list's own members.
    ~ListCtrlExt() override;

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
    // Makes the list hold exactly these rows (cells and item data), leaving it as clearing it and
    // adding them would: nothing selected, the scroll position kept. Rows already there are
    // kept and only the cells that differ are rewritten.
    void setRows(const QList<QStringList>& cells, const QList<int>& data);
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
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class CellMeasure;
    // The cell widths of a row, measured when first asked for.
    const QVector<int>& rowWidths(const QTreeWidgetItem* item, CellMeasure& measure);
    // Rows leave the list, or a cell's text changed: their widths go.
    void forgetRows(const QModelIndex& parent, int first, int last);
    void forgetCells(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    void forgetAll();

    HdrCtrl* m_header;
    QHash<const QTreeWidgetItem*, QVector<int>> m_rowWidths;
    // Header label widths (with the label as key, and whether a sort mark is shown).
    QHash<QString, int> m_labelWidths;
    int m_requestedLast = -1;
    int m_sortColumn = 0;
    bool m_ascending = true;
};
