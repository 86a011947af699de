#include "views/PedalTile.h"

#include "views/PedalboardDrag.h"
#include "views/PedalboardView.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace {

QFont NumberFont(const QFont& base) {
    QFont font = base;
    font.setBold(true);
    font.setPointSizeF(base.pointSizeF() * 1.35);
    return font;
}

QFont LabelFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

constexpr int kPadding = 5;

} // namespace

PedalTile::PedalTile(PedalboardView& board, int bank, int index, QWidget* parent)
    : QWidget(parent), m_board(board), m_bank(bank), m_index(index) {
    setFocusPolicy(Qt::ClickFocus); // the board lets one cell at a time take Tab
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString PedalTile::accessibleText(int bank, const PedalEntry& entry) {
    const QString label = QString::fromStdString(entry.label);
    return QString::asprintf("Bank %02d ", bank) +
           (label.size() == 1 ? QStringLiteral("Pedal ") + label : label) +
           QString::asprintf(": %03d ", entry.patch) + QString::fromStdString(entry.name);
}

bool PedalTile::setEntry(const PedalEntry& entry) {
    if (entry.label == m_entry.label && entry.patch == m_entry.patch && entry.kind == m_entry.kind &&
        entry.name == m_entry.name && !accessibleName().isEmpty())
        return false;
    m_entry = entry;
    setAccessibleName(accessibleText(m_bank, m_entry));
    update();
    return true;
}

void PedalTile::setPreview(int patch, const QString& name) {
    if (patch == m_preview && name == m_previewName)
        return;
    m_preview = patch;
    m_previewName = name;
    update();
}

QMimeData* PedalTile::dragData() const {
    return PedalboardDrag::encode(m_board.doc(), PedalboardDrag::Source::Pedal, m_entry.patch, m_bank,
                                  m_index);
}

int PedalTile::tileHeight(const QFont& font) {
    const QFontMetrics number(NumberFont(font));
    const QFontMetrics text(font);
    return kPadding * 2 + number.height() + 2 * text.lineSpacing() + 2;
}

QSize PedalTile::sizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")), tileHeight(font())};
}

QSize PedalTile::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("MMMMM")), tileHeight(font())};
}

bool PedalTile::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        PedalboardView::isBoardKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void PedalTile::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    p.fillRect(rect(), m_board.boardColour());

    const bool previewing = m_preview >= 0;
    const EntryKind kind = previewing ? EntryKind::Present : m_entry.kind;
    QColor fill = pal.color(QPalette::Base);
    QColor text = pal.color(QPalette::Text);
    QColor border = pal.color(QPalette::Mid);
    Qt::PenStyle style = Qt::SolidLine;
    switch (kind) {
    case EntryKind::Present:
        break;
    case EntryKind::Unassigned:
        fill = pal.color(QPalette::Window);
        text = pal.color(QPalette::Disabled, QPalette::Text);
        style = Qt::DashLine;
        break;
    case EntryKind::Missing:
        fill = QColor(255, 236, 224);
        text = QColor(160, 40, 0);
        border = text;
        style = Qt::DashLine;
        break;
    case EntryKind::BadNumber:
        fill = QColor(255, 220, 220);
        text = QColor(190, 0, 0);
        border = text;
        break;
    }
    if (previewing) {
        // Where the patch lands: the drop target in the selection colour, showing the patch.
        fill = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
        border = fill.darker(130);
    }
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QPen pen(border, kind == EntryKind::BadNumber ? 2.0 : 1.0, style);
    p.setPen(pen);
    p.setBrush(fill);
    p.drawRoundedRect(box, 5, 5);
    if (hasFocus()) {
        QPen focus(pal.color(QPalette::Highlight), 3);
        if (previewing)
            focus.setColor(pal.color(QPalette::HighlightedText));
        p.setPen(focus);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    }

    const int patch = previewing ? m_preview : m_entry.patch;
    const QString name = previewing ? m_previewName : QString::fromStdString(m_entry.name);
    const QRect inner = rect().adjusted(kPadding + 2, kPadding, -kPadding - 2, -kPadding);
    const QFont numberFont = NumberFont(font());
    const QFontMetrics numberMetrics(numberFont);
    const QRect top(inner.left(), inner.top(), inner.width(), numberMetrics.height());
    p.setPen(text);
    p.setFont(LabelFont(font()));
    p.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(m_entry.label));
    p.setFont(numberFont);
    p.drawText(top, Qt::AlignRight | Qt::AlignVCenter, QString::asprintf("%03d", patch));

    // A name may take two lines; the marks of the other cases are smaller print.
    const bool present = kind == EntryKind::Present;
    QFont nameFont = font();
    nameFont.setBold(present);
    nameFont.setItalic(!present);
    if (!present)
        nameFont.setPointSizeF(font().pointSizeF() * 0.9);
    p.setFont(nameFont);
    const QRect nameBox(inner.left(), top.bottom() + 2, inner.width(), inner.bottom() - top.bottom() - 2);
    const QFontMetrics nameMetrics(nameFont);
    QString shown = name;
    if (!present) {
        // "** deleted patch **" breaks between its words, never before its closing stars.
        const qsizetype first = shown.indexOf(QLatin1Char(' '));
        const qsizetype last = shown.lastIndexOf(QLatin1Char(' '));
        if (first > 0 && last > first) {
            shown[first] = QChar::Nbsp;
            shown[last] = QChar::Nbsp;
        }
    }
    int flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;
    const QRect needed = nameMetrics.boundingRect(nameBox, flags, shown);
    if (needed.height() > nameBox.height() || needed.width() > nameBox.width()) {
        flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
        shown = nameMetrics.elidedText(shown, Qt::ElideRight, nameBox.width());
    }
    p.drawText(nameBox, flags, shown);
}

void PedalTile::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressPos = event->position().toPoint();
    }
}

void PedalTile::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressed = false;
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData());
    drag->setPixmap(grab());
    drag->setHotSpot(m_pressPos);
    // Moving swaps; with Ctrl held the drag copies.
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

void PedalTile::mouseDoubleClickEvent(QMouseEvent* event) {
    m_pressed = false;
    if (event->button() == Qt::LeftButton)
        m_board.openPatch(pedal());
}

void PedalTile::keyPressEvent(QKeyEvent* event) {
    if (!m_board.cellKey(*this, event))
        QWidget::keyPressEvent(event);
}

void PedalTile::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_board.cellFocused(*this);
    update();
}

void PedalTile::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void PedalTile::dragEnterEvent(QDragEnterEvent* event) {
    m_board.dragOverPedal(*this, event);
}

void PedalTile::dragMoveEvent(QDragMoveEvent* event) {
    m_board.dragOverPedal(*this, event);
}

void PedalTile::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    setPreview(-1);
}

void PedalTile::dropEvent(QDropEvent* event) {
    setPreview(-1);
    m_board.dropOnPedal(*this, event);
}
