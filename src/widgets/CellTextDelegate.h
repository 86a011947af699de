#pragma once

#include <QStyledItemDelegate>

// Paints a cell that holds nothing but one line of plain text exactly as QStyledItemDelegate
// does, from a text laid out once and kept (QStaticText) instead of laying it out three times
// on every paint. A list of 500 patches shows a few dozen distinct texts, painted again on each
// scroll and each change; the layouts are shared by every view with the same font. Any other
// cell (an icon, a check box, focus, text that does not fit, more than one line) is left to
// QStyledItemDelegate.
class CellTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The size the style gives a cell that holds nothing but `option.text`, worked out once for
    // each text, font and style and shared by every view.
    static QSize textCellSize(const QStyleOptionViewItem& option);

    // A plain cell's size is the style's, as textCellSize() gives it.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
