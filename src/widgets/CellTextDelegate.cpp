#include "widgets/CellTextDelegate.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QStaticText>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

#include <map>
#include <memory>

namespace {

// A text laid out as the style lays out a cell's text: its natural width, the height the style
// centres, and the glyphs ready to paint.
struct LaidOutText {
    QStaticText glyphs;
    qreal width = 0;
    int height = 0;
};
using Layouts = QHash<QString, LaidOutText>;

// Cleared now and then, so that the layouts cannot grow without end.
constexpr int kLayoutLimit = 20000;

// What is kept for each text, one table for each font and style, for the life of the program: a
// dump's names are laid out and measured once, whichever window shows them.
template <typename Value> QHash<QString, Value>& TableFor(const QFont& font, const QStyle* style) {
    static std::map<QString, std::unique_ptr<QHash<QString, Value>>> tables;
    // A font's key takes longer to make than a cell to paint: the last table asked for is kept.
    static QFont lastFont;
    static QString lastStyle;
    static QHash<QString, Value>* last = nullptr;
    if (last && font == lastFont && style->name() == lastStyle)
        return *last;
    std::unique_ptr<QHash<QString, Value>>& table = tables[font.key() + QLatin1Char('|') + style->name()];
    if (!table)
        table = std::make_unique<QHash<QString, Value>>();
    lastFont = font;
    lastStyle = style->name();
    last = table.get();
    return *table;
}

const LaidOutText& LayoutOf(const QString& text, const QFont& font, const QStyle* style) {
    Layouts& layouts = TableFor<LaidOutText>(font, style);
    auto it = layouts.constFind(text);
    if (it != layouts.constEnd())
        return it.value();
    if (layouts.size() >= kLayoutLimit)
        layouts.clear();
    LaidOutText laid;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e6);
    layout.endLayout();
    laid.width = line.isValid() ? line.naturalTextWidth() : 0;
    laid.height = layout.boundingRect().size().toSize().height();
    laid.glyphs = QStaticText(text);
    laid.glyphs.setTextFormat(Qt::PlainText);
    laid.glyphs.prepare(QTransform(), font);
    return layouts.insert(text, std::move(laid)).value();
}

// One line of text the static layout draws as the style would: nothing that breaks a line,
// moves to a tab stop or changes direction.
bool IsOneLine(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator || c.direction() == QChar::DirR || c.direction() == QChar::DirAL)
            return false;
    }
    return true;
}

// The styles whose item painting this delegate follows; any other paints the cell itself.
bool IsFollowedStyle(const QStyle* style) {
    const QString name = style->name();
    return name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

// A cell of one line of text and nothing else, under a style whose item painting this delegate
// follows.
bool IsPlain(const QStyleOptionViewItem& opt, const QStyle* style) {
    return (opt.features & ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::Alternate)) ==
               QStyleOptionViewItem::None &&
           IsFollowedStyle(style) && IsOneLine(opt.text);
}

} // namespace

QSize CellTextDelegate::textCellSize(const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    QHash<QString, QSize>& sizes = TableFor<QSize>(option.font, style);
    auto it = sizes.constFind(option.text);
    if (it != sizes.constEnd())
        return it.value();
    if (sizes.size() >= kLayoutLimit)
        sizes.clear();
    return sizes
        .insert(option.text,
                style->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), option.widget))
        .value();
}

QSize CellTextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    if (!IsPlain(opt, style) || index.data(Qt::SizeHintRole).isValid())
        return QStyledItemDelegate::sizeHint(option, index);
    return textCellSize(opt);
}

void CellTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    if (!IsPlain(opt, style) || !(opt.state & QStyle::State_Selected ? opt.showDecorationSelected : true) ||
        (opt.state & (QStyle::State_HasFocus | QStyle::State_Editing)) || opt.text.isEmpty() ||
        opt.direction != Qt::LeftToRight ||
        !((opt.displayAlignment & Qt::AlignHorizontal_Mask) == Qt::AlignLeft ||
          (opt.displayAlignment & Qt::AlignHorizontal_Mask) == Qt::AlignLeading) ||
        (opt.displayAlignment & Qt::AlignVertical_Mask) != Qt::AlignVCenter) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    const LaidOutText& laid = LayoutOf(opt.text, opt.font, style);
    if (laid.width > textRect.width()) { // elided
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->setClipRect(opt.rect);
    // The panel of a cell neither selected, nor hovered, nor with a background of its own is
    // empty: the row's background is painted before the cells.
    if ((opt.state & (QStyle::State_Selected | QStyle::State_MouseOver)) ||
        opt.backgroundBrush.style() != Qt::NoBrush)
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    QPalette::ColorGroup group = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    painter->setFont(opt.font);
    const int top = textRect.y() + (textRect.height() - laid.height) / 2;
    painter->drawStaticText(QPointF(textRect.x(), top), laid.glyphs);
    painter->restore();
}
