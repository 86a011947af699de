#include "views/PedalboardRow.h"

#include "dump/BankRecord.h"
#include "dump/EntryNames.h"
#include "dump/SystemDoc.h"
#include "views/BankNameCell.h"
#include "views/PedalTile.h"
#include "views/PedalboardView.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {
constexpr int kGap = 4;
} // namespace

PedalboardRow::PedalboardRow(PedalboardView& board, int bank, QWidget* parent)
    : QWidget(parent), m_board(board), m_bank(bank), m_name(new BankNameCell(board, bank, this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

PedalTile* PedalboardRow::tile(int index) const {
    return index >= 0 && index < tileCount() ? m_tiles[static_cast<size_t>(index)] : nullptr;
}

bool PedalboardRow::shows(const RecordSlot& record) const {
    return record.Length() == m_record.Length() &&
           (record.Length() == 0 ||
            std::memcmp(record.Data(), m_record.Data(), static_cast<size_t>(record.Length())) == 0);
}

void PedalboardRow::setBank(const SystemDoc& doc, const RecordSlot& record) {
    ++m_refreshes;
    m_record = record;
    const BankRecord bank(record);
    m_name->setName(QString::fromStdString(bank.Name()));
    setAccessibleName(m_name->accessibleName());
    const std::vector<PedalEntry> pedals = BankPedals(doc, record);
    m_name->setSequence(bank.SequenceMode() != 0, static_cast<int>(pedals.size()));
    const int oldLines = tileLines();
    const size_t count = pedals.size();
    while (m_tiles.size() > count) {
        delete m_tiles.back();
        m_tiles.pop_back();
    }
    for (size_t k = 0; k < count; ++k) {
        if (k == m_tiles.size()) {
            auto* tile = new PedalTile(m_board, m_bank, static_cast<int>(k), this);
            m_tiles.push_back(tile);
            tile->setEntry(pedals[k]);
            tile->show();
        } else {
            m_tiles[k]->setEntry(pedals[k]);
        }
    }
    if (tileLines() != oldLines || m_refreshes == 1) {
        setFixedHeight(rowHeight());
        updateGeometry();
    }
    placeCells();
}

bool PedalboardRow::refreshPatches(const SystemDoc& doc, const std::vector<bool>& changed) {
    bool any = false;
    for (PedalTile* tile : m_tiles) {
        const int patch = tile->entry().patch;
        if (patch < 0 || patch >= static_cast<int>(changed.size()) || !changed[static_cast<size_t>(patch)])
            continue;
        PedalEntry entry = tile->entry();
        entry.kind = PatchEntryKind(doc, patch);
        entry.name = PatchEntryName(doc, patch);
        any = tile->setEntry(entry) || any;
    }
    return any;
}

int PedalboardRow::tileLines() const {
    return std::max<int>(1, (tileCount() + kTilesPerLine - 1) / kTilesPerLine);
}

int PedalboardRow::rowHeight() const {
    return kGap + tileLines() * (PedalTile::tileHeight(font()) + kGap);
}

QSize PedalboardRow::minimumSizeHint() const {
    const int tileWidth = fontMetrics().horizontalAdvance(QStringLiteral("MMMMM"));
    return {m_name->sizeHint().width() + kGap + kTilesPerLine * (tileWidth + kGap), rowHeight()};
}

QSize PedalboardRow::sizeHint() const {
    return minimumSizeHint();
}

void PedalboardRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCells();
}

void PedalboardRow::placeCells() {
    const int nameWidth = m_name->sizeHint().width();
    const int tileHeight = PedalTile::tileHeight(font());
    m_name->setGeometry(0, kGap, nameWidth, tileHeight);
    const int left = nameWidth + kGap;
    const int available = width() - left - kGap;
    const int tileWidth = std::max(1, (available - (kTilesPerLine - 1) * kGap) / kTilesPerLine);
    for (size_t k = 0; k < m_tiles.size(); ++k) {
        const int line = static_cast<int>(k) / kTilesPerLine;
        const int column = static_cast<int>(k) % kTilesPerLine;
        m_tiles[k]->setGeometry(left + column * (tileWidth + kGap), kGap + line * (tileHeight + kGap),
                                tileWidth, tileHeight);
    }
}

void PedalboardRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_board.boardColour());
    // A hairline between banks, so a row reads as one bank.
    p.setPen(palette().color(QPalette::Midlight));
    p.drawLine(0, height() - 1, width(), height() - 1);
    if (m_tiles.empty()) {
        // A bank in sequence mode with no steps.
        p.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        const int left = m_name->sizeHint().width() + kGap;
        p.drawText(QRect(left, kGap, width() - left, PedalTile::tileHeight(font())),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("no steps"));
    }
}
