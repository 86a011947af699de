#pragma once

#include <QTreeWidget>

// A tree of numbered items (banks or sets) under one root. Item data is the number, 0 for the
// root. Right-click selects the item whose label was hit, then asks for the context menu. The
// owner hears the tree through the *Notify signals, each sent after the tree's own handling.
class TreeCtrlExt : public QTreeWidget {
    Q_OBJECT
public:
    explicit TreeCtrlExt(QWidget* parent = nullptr);

    QTreeWidgetItem* addItem(QTreeWidgetItem* parent, const QString& text, int data);
    static int itemData(const QTreeWidgetItem* item);
    // The selected item, or null.
    QTreeWidgetItem* selectedItem() const;
    // The selected item's data: 0 for the root and when nothing is selected.
    int selectedData() const;

signals:
    // The selection changed; `data` is the newly selected item's data (0 when none).
    void selectionNotify(int data);
    void dblClickNotify();
    void keyNotify(int key, Qt::KeyboardModifiers modifiers);
    void contextMenuNotify(const QPoint& globalPos);

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The item whose icon or label lies under `pos` (viewport coordinates); null elsewhere.
    QTreeWidgetItem* labelAt(const QPoint& pos) const;
};
