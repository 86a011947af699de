#include "widgets/HdrCtrl.h"

#include <QEvent>
#include <QHash>
#include <QStyle>

namespace {
// Cleared now and then, so that it cannot grow without end.
constexpr int kSizeLimit = 2000;
} // namespace

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

QSize HdrCtrl::sectionSizeFromContents(int logicalIndex) const {
    QAbstractItemModel* labels = model();
    if (!labels)
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    // A label with a size, font or icon of its own is measured as QHeaderView measures it.
    for (const int role : {Qt::SizeHintRole, Qt::FontRole, Qt::DecorationRole}) {
        if (labels->headerData(logicalIndex, orientation(), role).isValid())
            return QHeaderView::sectionSizeFromContents(logicalIndex);
    }
    ensurePolished();
    static QHash<QString, QSize> sizes;
    if (m_sizeKey.isEmpty())
        m_sizeKey = font().key() + QLatin1Char('|') + style()->name() + QLatin1Char('|') +
                    QString::number(orientation());
    const QString key = m_sizeKey + (isSortIndicatorShown() ? QLatin1Char('s') : QLatin1Char('-')) +
                        labels->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    auto it = sizes.constFind(key);
    if (it != sizes.constEnd())
        return it.value();
    if (sizes.size() >= kSizeLimit)
        sizes.clear();
    return sizes.insert(key, QHeaderView::sectionSizeFromContents(logicalIndex)).value();
}

void HdrCtrl::changeEvent(QEvent* event) {
    QHeaderView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_sizeKey.clear();
}
