#pragma once

#include "dump/RecordSlot.h"

#include <QWidget>

#include <vector>

class BankNameCell;
class PedalTile;
class PedalboardView;
class SystemDoc;

// One bank on the pedalboard: its number and name, then its nine pedals A-I as tiles, or its
// sequence steps nine to a line. It keeps a copy of the record it shows, so the board can tell
// which rows an edit touched and refresh only those.
class PedalboardRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTilesPerLine = 9;

    PedalboardRow(PedalboardView& board, int bank, QWidget* parent = nullptr);

    int bank() const { return m_bank; }
    BankNameCell* nameCell() const { return m_name; }
    int tileCount() const { return static_cast<int>(m_tiles.size()); }
    // Null outside 0 ... tileCount() - 1.
    PedalTile* tile(int index) const;

    // Whether the row shows exactly this record.
    bool shows(const RecordSlot& record) const;
    // Shows the bank, keeping the tiles it already has where it can.
    void setBank(const SystemDoc& doc, const RecordSlot& record);
    // Reads the patch names again for the pedals that call a patch marked in `changed` (indexed
    // by patch number, 0-500); true when a tile changed.
    bool refreshPatches(const SystemDoc& doc, const std::vector<bool>& changed);
    // How many times the row read its bank (for the tests of in-place updates).
    int refreshCount() const { return m_refreshes; }

    // Lines of tiles: one at least.
    int tileLines() const;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void placeCells();
    int rowHeight() const;

    PedalboardView& m_board;
    int m_bank;
    RecordSlot m_record;
    BankNameCell* m_name;
    std::vector<PedalTile*> m_tiles;
    int m_refreshes = 0;
};
