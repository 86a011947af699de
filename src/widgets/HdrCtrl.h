#pragma once

#include <QHeaderView>

// The header of a ListCtrlExt. It shows the sort mark its owner sets and nothing else: a click
// on a section does not move the mark by itself, the owner decides (only some columns sort).
// No mark is shown until the owner sets one.
class HdrCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit HdrCtrl(QWidget* parent = nullptr);

    // Shows the mark on `column`; returns the previous sort column (-1 when there was none).
    int setSortMark(int column, bool ascending);
    int sortMarkColumn() const { return m_sortColumn; }
    bool sortMarkAscending() const { return m_ascending; }

protected:
    // QHeaderView's answer, worked out once for each label, font and style and shared by every
    // header: a window's lists would otherwise measure their labels again each time one is made.
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void changeEvent(QEvent* event) override;

private:
    void reassertMark();

    // What the label sizes depend on besides the label: font, style and orientation. Made when
    // first needed; a font's key takes longer to make than a label to look up.
    mutable QString m_sizeKey;
    int m_sortColumn = -1;
    bool m_ascending = true;
};
