#include "widgets/HdrCtrl.h"

HdrCtrl::HdrCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // QHeaderView flips its indicator on a click before it reports the click; put ours back
    // first, so the owner sees (and changes) only its own state.
    connect(this, &QHeaderView::sectionClicked, this, &HdrCtrl::reassertMark);
}

int HdrCtrl::setSortMark(int column, bool ascending) {
    const int previous = m_sortColumn;
    m_sortColumn = column;
    m_ascending = ascending;
    reassertMark();
    return previous;
}

void HdrCtrl::reassertMark() {
    if (m_sortColumn < 0) {
        setSortIndicatorShown(false);
        return;
    }
    setSortIndicatorShown(true);
    setSortIndicator(m_sortColumn, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}
