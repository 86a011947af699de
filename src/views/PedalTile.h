#pragma once

#include "dump/EntryNames.h"
#include "views/PedalboardEdits.h"

#include <QPoint>
#include <QWidget>

class PedalboardView;
class QMimeData;

// One pedal (or sequence step) of a bank on the pedalboard: its letter or step, the patch number
// and the patch's name, or the mark of a pedal that calls no patch, which looks different at a
// glance (greyed when unassigned, red when the patch is missing or the number is out of range).
//
// A tile is a drag source (the pedal with its patch) and a drop target; what a drop or a key does
// is the board's business, which the tile asks. It keeps its bank and place for its life.
class PedalTile : public QWidget {
    Q_OBJECT
public:
    PedalTile(PedalboardView& board, int bank, int index, QWidget* parent = nullptr);

    PedalboardEdits::Pedal pedal() const { return {m_bank, m_index}; }
    const PedalEntry& entry() const { return m_entry; }

    // Shows what the pedal calls; repaints only when that changed. True when it changed.
    bool setEntry(const PedalEntry& entry);
    // "Bank 05 Pedal C: 012 ACOUSTIC SIM", "Bank 10 Step 3: 000 ** unassigned **".
    static QString accessibleText(int bank, const PedalEntry& entry);

    // While a drag is over the tile: the patch that would land there and its name (patch -1:
    // none, the drop would change nothing here).
    void setPreview(int patch, const QString& name = QString());
    int preview() const { return m_preview; }

    // What a drag of this pedal carries (the caller owns it).
    QMimeData* dragData() const;

    // The height every tile has for the font.
    static int tileHeight(const QFont& font);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    PedalboardView& m_board;
    int m_bank;
    int m_index;
    PedalEntry m_entry;
    int m_preview = -1;
    QString m_previewName;
    QPoint m_pressPos;
    bool m_pressed = false;
};
