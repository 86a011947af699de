#include "views/BankNameCell.h"

#include "views/PedalboardView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

BankNameCell::BankNameCell(PedalboardView& board, int bank, QWidget* parent)
    : QWidget(parent), m_board(board), m_bank(bank) {
    setFocusPolicy(Qt::ClickFocus); // the board lets one cell at a time take Tab
    setAccessibleName(accessibleText(m_bank, m_name));
    setAccessibleDescription(QStringLiteral("Double-click or press Enter to edit the bank"));
}

QString BankNameCell::accessibleText(int bank, const QString& name) {
    return QString::asprintf("Bank %02d: ", bank) + name;
}

void BankNameCell::setName(const QString& name) {
    if (name == m_name)
        return;
    m_name = name;
    setAccessibleName(accessibleText(m_bank, m_name));
    update();
}

void BankNameCell::setSequence(bool sequence, int steps) {
    const QString text = !sequence    ? QString()
                         : steps == 1 ? QStringLiteral("1 step")
                                      : QStringLiteral("%1 steps").arg(steps);
    if (text == m_sequence)
        return;
    m_sequence = text;
    setAccessibleDescription(m_sequence.isEmpty()
                                 ? QStringLiteral("Double-click or press Enter to edit the bank")
                                 : QStringLiteral("Sequence of ") + m_sequence +
                                       QStringLiteral(". Double-click or press Enter to edit the "
                                                      "bank"));
    update();
}

QSize BankNameCell::sizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMM")), fontMetrics().height() * 3};
}

bool BankNameCell::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        PedalboardView::isBoardKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void BankNameCell::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect inner = rect().adjusted(6, 4, -4, -4);
    QFont numberFont = font();
    numberFont.setBold(true);
    numberFont.setPointSizeF(font().pointSizeF() * 1.35);
    const QFontMetrics numberMetrics(numberFont);
    p.setPen(pal.color(QPalette::WindowText));
    p.setFont(numberFont);
    const QRect numberBox(inner.left(), inner.top(), inner.width(), numberMetrics.height());
    p.drawText(numberBox, Qt::AlignLeft | Qt::AlignVCenter, QString::asprintf("%02d", m_bank));
    QFont nameFont = font();
    nameFont.setBold(true);
    p.setFont(nameFont);
    const QRect nameBox(inner.left(), numberBox.bottom() + 2, inner.width(),
                        inner.bottom() - numberBox.bottom() - 2);
    p.drawText(nameBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_name);
    if (!m_sequence.isEmpty()) {
        QFont small = font();
        small.setPointSizeF(font().pointSizeF() * 0.85);
        p.setFont(small);
        p.setPen(pal.color(QPalette::PlaceholderText));
        p.drawText(inner, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, m_sequence);
    }
    if (hasFocus()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(pal.color(QPalette::Highlight), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 4, 4);
    }
}

void BankNameCell::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_board.openBank(m_bank);
}

void BankNameCell::keyPressEvent(QKeyEvent* event) {
    if (!m_board.cellKey(*this, event))
        QWidget::keyPressEvent(event);
}

void BankNameCell::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_board.cellFocused(*this);
    update();
}

void BankNameCell::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
