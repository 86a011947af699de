#include "sheets/BankSheets.h"

#include "dump/BankRecord.h"
#include "dump/EntryNames.h"
#include "dump/SystemDoc.h"

#include <QDate>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

// The type sizes, in points. The patch number is what a player reads from standing height.
constexpr double kTitleSize = 14;
constexpr double kDateSize = 11;
constexpr double kFooterSize = 9;
constexpr double kBankSize = 13;
constexpr double kLabelSize = 9;
constexpr double kNumberSize = 18;
constexpr double kNameLargest = 12;
constexpr double kOneLineSmallest = 10;
constexpr double kNameSmallest = 7;
constexpr double kSetSize = 10;

QFont SheetFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QString Number(const char* format, int value) {
    return QString::asprintf(format, value);
}

// Draws in device units what the layout gives in points.
class SheetPainter {
public:
    SheetPainter(QPainter& painter) : m_p(painter), m_scale(painter.device()->logicalDpiY() / 72.0) {}

    QRectF device(const QRectF& points) const {
        return {points.x() * m_scale, points.y() * m_scale, points.width() * m_scale,
                points.height() * m_scale};
    }
    double device(double points) const { return points * m_scale; }

    void text(const QRectF& points, int flags, const QString& text, const QFont& font, const QColor& colour) {
        m_p.setFont(font);
        m_p.setPen(colour);
        m_p.drawText(device(points), flags, text);
    }

    // The largest type from `largest` down that fits the box: one line down to `oneLineSmallest`,
    // then two lines broken at blanks, then one line again down to kNameSmallest; cut short only
    // when nothing fits. Larger type on two lines reads better from a distance than small type
    // on one.
    void fitted(const QRectF& points, int flags, const QString& text, QFont font, double largest,
                double oneLineSmallest, const QColor& colour) {
        const QRectF box = device(points);
        const auto oneLine = [&](double size) {
            font.setPointSizeF(size);
            return QFontMetricsF(font, m_p.device()).horizontalAdvance(text) <= box.width();
        };
        const auto twoLines = [&](double size) {
            font.setPointSizeF(size);
            const QFontMetricsF metrics(font, m_p.device());
            const QRectF needed = metrics.boundingRect(box, flags | Qt::TextWordWrap, text);
            return needed.width() <= box.width() && needed.height() <= box.height() &&
                   needed.height() < metrics.lineSpacing() * 2.5;
        };
        for (double size = largest; size >= std::min(largest, oneLineSmallest); size -= 0.5)
            if (oneLine(size))
                return this->text(points, flags | Qt::TextSingleLine, text, font, colour);
        for (double size = largest; size >= kNameSmallest + 1; size -= 0.5)
            if (twoLines(size))
                return this->text(points, flags | Qt::TextWordWrap, text, font, colour);
        for (double size = oneLineSmallest; size >= kNameSmallest; size -= 0.5)
            if (oneLine(size))
                return this->text(points, flags | Qt::TextSingleLine, text, font, colour);
        font.setPointSizeF(kNameSmallest);
        const QString shown = QFontMetricsF(font, m_p.device()).elidedText(text, Qt::ElideRight, box.width());
        this->text(points, flags | Qt::TextSingleLine, shown, font, colour);
    }

    // The largest size from `largest` down to `smallest` at which `text` is no wider than `width`
    // points.
    double fittingSize(const QString& text, QFont font, double largest, double smallest, double width) const {
        for (double size = largest; size > smallest; size -= 0.5) {
            font.setPointSizeF(size);
            if (QFontMetricsF(font, m_p.device()).horizontalAdvance(text) <= device(width))
                return size;
        }
        return smallest;
    }

    double width(const QString& text, const QFont& font) const {
        return QFontMetricsF(font, m_p.device()).horizontalAdvance(text) / m_scale;
    }

    void frame(const QRectF& points, const QColor& colour, double width, Qt::PenStyle style) {
        QPen pen(colour);
        pen.setWidthF(device(width));
        pen.setStyle(style);
        m_p.setPen(pen);
        m_p.setBrush(Qt::NoBrush);
        const double radius = device(4);
        m_p.drawRoundedRect(device(points), radius, radius);
    }

    void line(const QPointF& from, const QPointF& to, const QColor& colour, double width) {
        QPen pen(colour);
        pen.setWidthF(device(width));
        m_p.setPen(pen);
        m_p.drawLine(QPointF(from.x() * m_scale, from.y() * m_scale),
                     QPointF(to.x() * m_scale, to.y() * m_scale));
    }

private:
    QPainter& m_p;
    double m_scale;
};

struct Look {
    QColor text;
    QColor frame;
    double width;
    Qt::PenStyle style;
};

// Unassigned pedals fade, references to no patch stand out in red, so they show at a glance
// even on a black-and-white printer (by their dashed or heavier frames).
Look LookOf(EntryKind kind) {
    switch (kind) {
    case EntryKind::Present:
        return {Qt::black, QColor(60, 60, 60), 1.0, Qt::SolidLine};
    case EntryKind::Unassigned:
        return {QColor(130, 130, 130), QColor(170, 170, 170), 0.8, Qt::DashLine};
    case EntryKind::Missing:
        return {QColor(170, 40, 0), QColor(170, 40, 0), 1.0, Qt::DashLine};
    case EntryKind::BadNumber:
        break;
    }
    return {QColor(200, 0, 0), QColor(200, 0, 0), 2.0, Qt::SolidLine};
}

void PaintTile(SheetPainter& sp, const QRectF& tile, const PedalEntry& pedal) {
    const Look look = LookOf(pedal.kind);
    sp.frame(tile, look.frame, look.width, look.style);
    const QRectF inner = tile.adjusted(5, 3, -5, -3);
    const QRectF top(inner.left(), inner.top(), inner.width(), 24);
    const QString label = QString::fromStdString(pedal.label);
    const QFont labelFont = SheetFont(kLabelSize);
    sp.text(top, Qt::AlignLeft | Qt::AlignTop, label, labelFont, look.text);
    // A step's label is wider than a pedal's letter: the number gives way rather than touch it.
    QFont numberFont = SheetFont(kNumberSize, true);
    const QString number = Number("%03d", pedal.patch);
    numberFont.setPointSizeF(
        sp.fittingSize(number, numberFont, kNumberSize, 10, inner.width() - sp.width(label, labelFont) - 5));
    sp.text(top, Qt::AlignRight | Qt::AlignTop, number, numberFont, look.text);
    const QRectF name(inner.left(), top.bottom(), inner.width(), inner.bottom() - top.bottom());
    QFont font = SheetFont(kNameLargest, pedal.kind == EntryKind::Present);
    font.setItalic(pedal.kind != EntryKind::Present);
    // The marks of the other cases are small print on one line; a name is what is read.
    const bool present = pedal.kind == EntryKind::Present;
    sp.fitted(name, Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdString(pedal.name), font,
              present ? kNameLargest : 9, present ? kOneLineSmallest : kNameSmallest, look.text);
}

void PaintBank(SheetPainter& sp, const SheetLayout::Plan& plan, const SheetLayout::Block& block,
               const SystemDoc& doc) {
    const RecordSlot* record = doc.PeekBank(block.number);
    if (!record)
        return;
    const BankRecord bank(*record);
    const QRectF heading(0, plan.bodyTop + block.top, plan.area.width(), SheetLayout::kBankHeading);
    QString title = Number("%02d", block.number) + QStringLiteral("  ") + QString::fromStdString(bank.Name());
    if (block.continued)
        title += QStringLiteral(" (continued)");
    sp.text(heading, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title, SheetFont(kBankSize, true),
            Qt::black);
    const std::vector<PedalEntry> pedals = BankPedals(doc, *record);
    if (bank.SequenceMode() != 0) {
        const QString steps = pedals.size() == 1 ? QStringLiteral("sequence of 1 step")
                                                 : QStringLiteral("sequence of %1 steps").arg(pedals.size());
        sp.text(heading, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, steps, SheetFont(kLabelSize),
                QColor(90, 90, 90));
    }
    if (pedals.empty()) {
        const QRectF line(0, heading.bottom(), plan.area.width(), SheetLayout::kTileHeight);
        sp.text(line, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("no steps"), SheetFont(kDateSize),
                QColor(130, 130, 130));
        return;
    }
    const int first = block.firstLine * SheetLayout::kTilesPerLine;
    const int end = std::min<int>(static_cast<int>(pedals.size()),
                                  (block.firstLine + block.lines) * SheetLayout::kTilesPerLine);
    for (int k = first; k < end; ++k)
        PaintTile(sp, SheetLayout::TileRect(plan, block, k), pedals[static_cast<size_t>(k)]);
}

void PaintSet(SheetPainter& sp, const SheetLayout::Plan& plan, const SheetLayout::Block& block,
              const SystemDoc& doc) {
    double top = plan.bodyTop + block.top;
    if (block.setsTitle) {
        sp.text(QRectF(0, top, plan.area.width(), SheetLayout::kSetsTitle), Qt::AlignLeft | Qt::AlignVCenter,
                QStringLiteral("Sets"), SheetFont(kBankSize, true), Qt::black);
        top += SheetLayout::kSetsTitle;
    }
    QString heading = QStringLiteral("Set %1").arg(block.number);
    if (block.continued)
        heading += QStringLiteral(" (continued)");
    const QRectF headingRect(0, top, plan.area.width(), SheetLayout::kSetHeading);
    sp.text(headingRect, Qt::AlignLeft | Qt::AlignVCenter, heading, SheetFont(kDateSize, true), Qt::black);
    sp.line(QPointF(0, headingRect.bottom() - 2), QPointF(plan.area.width(), headingRect.bottom() - 2),
            QColor(190, 190, 190), 0.5);
    const RecordSlot* record = doc.PeekSet(block.number);
    const std::vector<int> entries = record ? SetEntries(*record) : std::vector<int>();
    if (entries.empty()) {
        sp.text(SheetLayout::SetEntryRect(plan, block, 0), Qt::AlignLeft | Qt::AlignVCenter,
                QStringLiteral("Empty Set"), SheetFont(kSetSize), QColor(130, 130, 130));
        return;
    }
    const int first = block.firstLine * SheetLayout::kSetColumns;
    const int end = std::min<int>(static_cast<int>(entries.size()),
                                  (block.firstLine + block.lines) * SheetLayout::kSetColumns);
    for (int k = first; k < end; ++k) {
        const int b = entries[static_cast<size_t>(k)];
        const EntryKind kind = BankEntryKind(doc, b);
        const QString text =
            Number("%02d", b) + QLatin1Char(' ') + QString::fromStdString(BankEntryName(doc, b));
        const QRectF cell = SheetLayout::SetEntryRect(plan, block, k).adjusted(0, 0, -6, 0);
        QFont font = SheetFont(kSetSize, kind == EntryKind::Present);
        font.setItalic(kind != EntryKind::Present);
        sp.fitted(cell, Qt::AlignLeft | Qt::AlignVCenter, text, font, kSetSize, kNameSmallest,
                  LookOf(kind).text);
    }
}

void PaintFrame(SheetPainter& sp, const SheetLayout::Plan& plan, int page, const QString& title,
                const QString& date) {
    const double width = plan.area.width();
    const QRectF header(0, 0, width, SheetLayout::kHeaderHeight - 10);
    sp.text(header, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title, SheetFont(kTitleSize, true),
            Qt::black);
    sp.text(header, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, date, SheetFont(kDateSize),
            Qt::black);
    sp.line(QPointF(0, header.bottom() + 2), QPointF(width, header.bottom() + 2), Qt::black, 0.8);
    const QRectF footer(0, plan.area.height() - SheetLayout::kFooterHeight + 6, width,
                        SheetLayout::kFooterHeight - 6);
    sp.text(footer, Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine,
            BankSheets::PageFooter(page + 1, plan.pageCount), SheetFont(kFooterSize), QColor(60, 60, 60));
}

} // namespace

QPageLayout BankSheets::PageLayout(QPageSize::PageSizeId paper) {
    return QPageLayout(QPageSize(paper), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

SheetLayout::Plan BankSheets::Plan(const SystemDoc& doc, const QSizeF& area) {
    std::vector<SheetLayout::BankSize> banks;
    for (int b = 1; b <= SystemDoc::kBanks; ++b) {
        const RecordSlot* record = doc.PeekBank(b);
        if (record && record->IsPresent())
            banks.push_back({b, static_cast<int>(BankPedals(doc, *record).size())});
    }
    std::vector<int> sets;
    for (int s = 1; s <= SystemDoc::kSets; ++s) {
        const RecordSlot* record = doc.PeekSet(s);
        sets.push_back(record ? static_cast<int>(SetEntries(*record).size()) : 0);
    }
    return SheetLayout::Make(area, banks, sets);
}

QString BankSheets::PageFooter(int page, int count) {
    return QStringLiteral("page %1 of %2").arg(page).arg(count);
}

void BankSheets::Paint(QPainter& painter, QPagedPaintDevice& device, const SystemDoc& doc,
                       const QString& title, const QDate& date) {
    const SheetLayout::Plan plan = Plan(doc, device.pageLayout().paintRectPoints().size());
    const QString dateText = QLocale().toString(date, QLocale::LongFormat);
    SheetPainter sp(painter);
    for (int page = 0; page < plan.pageCount; ++page) {
        if (page > 0)
            device.newPage();
        PaintFrame(sp, plan, page, title, dateText);
        for (const SheetLayout::Block& block : plan.banks)
            if (block.page == page)
                PaintBank(sp, plan, block, doc);
        for (const SheetLayout::Block& block : plan.sets)
            if (block.page == page)
                PaintSet(sp, plan, block, doc);
    }
}

bool BankSheets::Paint(QPagedPaintDevice& device, const SystemDoc& doc, const QString& title,
                       const QDate& date) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    Paint(painter, device, doc, title, date);
    return painter.end();
}

bool BankSheets::WritePdf(const SystemDoc& doc, const QString& path, QPageSize::PageSizeId paper,
                          const QString& title, const QDate& date, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Tolvane"));
        writer.setResolution(600);
        writer.setPageLayout(PageLayout(paper));
        if (!Paint(writer, doc, title, date)) {
            file.cancelWriting();
            error = QStringLiteral("the PDF could not be drawn");
            return false;
        }
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
