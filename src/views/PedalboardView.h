#pragma once

#include "dump/DocListener.h"
#include "views/PedalboardEdits.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <vector>

class PatchPalette;
class PedalTile;
class PedalboardRow;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;
class RecordSlot;
class ShellServices;
class SystemDoc;

// The pedalboard: the rig as the player stands on it. Each existing bank is a row of its pedals
// A-I (or its sequence steps) as tiles; beside the banks, a palette of every patch with a find
// field. Patches are arranged by drag and drop (a palette patch onto a pedal assigns it, a pedal
// onto another swaps the two, with Ctrl copies) or from the keyboard (arrows move, Enter edits
// the patch, Ctrl+C and Ctrl+V copy an assignment, Delete unassigns). Every change is one step on
// the document's undo stack.
//
// It follows the document's change notifications, whichever window made the change, and
// refreshes in place only the rows and palette entries the change touched.
// User-interface thread only; the document and the shell outlive the view.
class PedalboardView : public QWidget, public DocListener {
    Q_OBJECT
public:
    PedalboardView(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);
    ~PedalboardView() override;

    // Appended to the document's title for the window's title.
    static QString titleSuffix();

    SystemDoc& doc() const { return m_doc; }
    ShellServices& shell() const { return m_shell; }
    PedalboardEdits& edits() { return m_edits; }

    // The row of bank n, or null when the bank does not exist.
    PedalboardRow* row(int bank) const;
    // Null when there is no such pedal.
    PedalTile* tile(int bank, int index) const;
    int rowCount() const;
    PatchPalette* patchPalette() const { return m_palette; }
    QLineEdit* findField() const { return m_find; }
    QScrollArea* scrollArea() const { return m_scroll; }

    // The patch Ctrl+C copied (from a pedal or the palette); -1 before any.
    int copiedPatch() const { return m_copied; }

    void OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) override;

    // --- what the tiles, the bank names and the palette ask of the board ------------------
    // The keys a cell of the board takes before any window shortcut: the arrows, Enter, Delete,
    // Ctrl+C and Ctrl+V.
    static bool isBoardKey(const QKeyEvent* event);
    // A key on a tile or a bank name; false when it is none of the board's.
    bool cellKey(QWidget& cell, QKeyEvent* event);
    // A tile or a bank name took the focus: it becomes the board's one Tab stop.
    void cellFocused(QWidget& cell);
    // A drag entered or moves over a tile: accepted when it is a pedalboard drag (so that a drop
    // that cannot apply still arrives, and beeps), and the tile shows what would land.
    void dragOverPedal(PedalTile& tile, QDragMoveEvent* event);
    void dropOnPedal(PedalTile& tile, QDropEvent* event);
    // Opens the patch editor on what the pedal calls, creating a deleted patch anew.
    void openPatch(const PedalboardEdits::Pedal& pedal);
    void openBank(int bank);
    // Ctrl+C: remembers a patch for Ctrl+V on a pedal.
    void copyPatch(int patch);
    // An action that cannot apply: a beep, and the refused signal.
    void refuse();

    // The colour behind the tiles.
    QColor boardColour() const;

signals:
    // A drop, a key or an action was refused (the board beeped).
    void refused();

protected:
    // Drops outside a tile.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Refreshes what a change of that hint can have touched.
    void sync(int hint);
    // Which patches changed since the last look, marked by number; true when any did.
    bool patchesChanged(std::vector<bool>& changed);
    void insertRow(int bank, const RecordSlot& record);
    // The neighbouring cell of a tile or bank name for an arrow key; null at the board's edge.
    QWidget* neighbour(QWidget& cell, int key) const;
    // The row after or before bank n (null when there is none).
    PedalboardRow* nextRow(int bank, int step) const;
    QWidget* firstCell() const;

    SystemDoc& m_doc;
    ShellServices& m_shell;
    PedalboardEdits m_edits;
    QScrollArea* m_scroll;
    QWidget* m_board;
    QVBoxLayout* m_rowsLayout;
    QLabel* m_noBanks;
    QLineEdit* m_find;
    PatchPalette* m_palette;
    std::array<PedalboardRow*, 100> m_rows{};
    // The patch names last shown (empty and absent for a missing patch), to tell what changed.
    std::vector<QString> m_patchNames;
    std::vector<bool> m_patchPresent;
    QPointer<QWidget> m_current; // the board's Tab stop
    int m_copied = -1;
};
