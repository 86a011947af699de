#include "views/PedalboardView.h"

#include "dump/BankRecord.h"
#include "dump/EntryNames.h"
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "editors/BankEdit.h"
#include "editors/PatchEditDlg.h"
#include "views/BankNameCell.h"
#include "views/PatchPalette.h"
#include "views/PedalTile.h"
#include "views/PedalboardDrag.h"
#include "views/PedalboardRow.h"
#include "widgets/ControlKeys.h"
#include "widgets/EditStep.h"
#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

bool IsPasteKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    return event->matches(QKeySequence::Paste) || (mods == Qt::ControlModifier && event->key() == Qt::Key_V);
}

bool IsArrowKey(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

bool Copies(const QDropEvent* event) {
    return (event->modifiers() & Qt::ControlModifier) != 0;
}

} // namespace

PedalboardView::PedalboardView(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_shell(shell), m_edits(doc, shell), m_scroll(new QScrollArea(this)),
      m_board(new QWidget), m_rowsLayout(new QVBoxLayout(m_board)),
      m_noBanks(new QLabel(QStringLiteral("This dump has no banks."), m_board)), m_find(new QLineEdit(this)),
      m_palette(new PatchPalette(*this, this)), m_patchNames(SystemDoc::kPatches + 1),
      m_patchPresent(SystemDoc::kPatches + 1, false) {
    setObjectName(QStringLiteral("pedalboardView"));
    setAccessibleName(QStringLiteral("Pedalboard"));
    setAcceptDrops(true);

    m_board->setObjectName(QStringLiteral("pedalboardBanks"));
    m_board->setAccessibleName(QStringLiteral("Banks"));
    m_rowsLayout->setContentsMargins(4, 0, 4, 4);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addWidget(m_noBanks);
    m_rowsLayout->addStretch(1);
    m_noBanks->setContentsMargins(8, 8, 8, 8);
    m_scroll->setObjectName(QStringLiteral("pedalboardScroll"));
    m_scroll->setWidget(m_board);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setBackgroundRole(QPalette::Window);

    m_find->setObjectName(QStringLiteral("paletteFilter"));
    m_find->setClearButtonEnabled(true);
    m_find->setPlaceholderText(QStringLiteral("Number or name"));
    m_find->installEventFilter(this);
    auto* hint = new QLabel(
        QStringLiteral(
            "Drag a patch onto a pedal to assign it. Drag a pedal onto another to swap them, with Ctrl "
            "to copy."),
        this);
    hint->setWordWrap(true);
    hint->setForegroundRole(QPalette::PlaceholderText);

    auto* side = new QVBoxLayout;
    side->setContentsMargins(0, 0, 0, 0);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(WidgetKit::BuddyLabel(QStringLiteral("Fin&d"), m_find, this));
    findRow->addWidget(m_find, 1);
    side->addLayout(findRow);
    side->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Patches"), m_palette, this));
    side->addWidget(m_palette, 1);
    side->addWidget(hint);
    auto* sidePanel = new QWidget(this);
    sidePanel->setLayout(side);
    sidePanel->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("000 MMMMMMMMMMMMMMM")) + 30);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(sidePanel);

    connect(m_find, &QLineEdit::textChanged, m_palette, &PatchPalette::setFilter);

    sync(HintAll);
    m_doc.AddListener(this);
}

PedalboardView::~PedalboardView() {
    m_doc.RemoveListener(this);
}

QString PedalboardView::titleSuffix() {
    return QStringLiteral(" - Pedalboard");
}

PedalboardRow* PedalboardView::row(int bank) const {
    return bank >= 1 && bank <= SystemDoc::kBanks ? m_rows[static_cast<size_t>(bank)] : nullptr;
}

PedalTile* PedalboardView::tile(int bank, int index) const {
    const PedalboardRow* r = row(bank);
    return r ? r->tile(index) : nullptr;
}

int PedalboardView::rowCount() const {
    int count = 0;
    for (const PedalboardRow* r : m_rows)
        count += r ? 1 : 0;
    return count;
}

QColor PedalboardView::boardColour() const {
    return palette().color(QPalette::Window);
}

void PedalboardView::OnUpdate(ZIVBackupDoc&, DocListener*, int hint) {
    sync(hint);
}

bool PedalboardView::patchesChanged(std::vector<bool>& changed) {
    bool any = false;
    for (int p = 1; p <= SystemDoc::kPatches; ++p) {
        const RecordSlot* patch = m_doc.PeekPatch(p);
        const bool present = patch && patch->IsPresent();
        const QString name = present ? QString::fromStdString(PatchRecord(*patch).Name()) : QString();
        const size_t at = static_cast<size_t>(p);
        if (present == m_patchPresent[at] && name == m_patchNames[at])
            continue;
        m_patchPresent[at] = present;
        m_patchNames[at] = name;
        changed[at] = true;
        any = true;
    }
    return any;
}

void PedalboardView::sync(int hint) {
    if (hint == HintSets || hint == HintConfig)
        return;
    // Where the keyboard focus is, to find it a place if its cell goes.
    const QWidget* focus = QApplication::focusWidget();
    int focusBank = 0;
    int focusIndex = -1;
    if (auto* tile = qobject_cast<const PedalTile*>(focus);
        tile && tile->parentWidget()->parentWidget() == m_board) {
        focusBank = tile->pedal().bank;
        focusIndex = tile->pedal().index;
    } else if (auto* name = qobject_cast<const BankNameCell*>(focus); name && isAncestorOf(name)) {
        focusBank = name->bank();
    }

    // A change of banks touches no patch; anything else may touch both (a patch deleted with
    // reorder renumbers the banks' references).
    std::vector<bool> changed(SystemDoc::kPatches + 1, false);
    const bool patches = hint != HintBanks && patchesChanged(changed);
    if (patches)
        m_palette->sync(m_doc, &changed);
    for (int b = 1; b <= SystemDoc::kBanks; ++b) {
        const RecordSlot* record = m_doc.PeekBank(b);
        PedalboardRow*& r = m_rows[static_cast<size_t>(b)];
        if (!record || !record->IsPresent()) {
            delete r;
            r = nullptr;
        } else if (!r) {
            insertRow(b, *record);
        } else if (!r->shows(*record)) {
            r->setBank(m_doc, *record);
        } else if (patches) {
            r->refreshPatches(m_doc, changed);
        }
    }
    m_noBanks->setVisible(rowCount() == 0);

    if (!m_current)
        if (QWidget* first = firstCell()) {
            first->setFocusPolicy(Qt::StrongFocus);
            m_current = first;
        }
    // The focused cell went (its bank was deleted, or its step): the nearest one takes it.
    if (focusBank > 0 && QApplication::focusWidget() != focus) {
        PedalboardRow* r = row(focusBank);
        if (!r)
            r = nextRow(focusBank, 1) ? nextRow(focusBank, 1) : nextRow(focusBank, -1);
        if (r) {
            QWidget* cell = r->nameCell();
            if (focusIndex >= 0 && r->tileCount() > 0)
                cell = r->tile(std::min(focusIndex, r->tileCount() - 1));
            cell->setFocus(Qt::OtherFocusReason);
        }
    }
}

void PedalboardView::insertRow(int bank, const RecordSlot& record) {
    int position = 0;
    for (int b = 1; b < bank; ++b)
        position += m_rows[static_cast<size_t>(b)] ? 1 : 0;
    auto* r = new PedalboardRow(*this, bank, m_board);
    m_rows[static_cast<size_t>(bank)] = r;
    r->setBank(m_doc, record);
    m_rowsLayout->insertWidget(position, r);
}

QWidget* PedalboardView::firstCell() const {
    for (const PedalboardRow* r : m_rows)
        if (r)
            return r->nameCell();
    return nullptr;
}

PedalboardRow* PedalboardView::nextRow(int bank, int step) const {
    for (int b = bank + step; b >= 1 && b <= SystemDoc::kBanks; b += step)
        if (m_rows[static_cast<size_t>(b)])
            return m_rows[static_cast<size_t>(b)];
    return nullptr;
}

QWidget* PedalboardView::neighbour(QWidget& cell, int key) const {
    const auto* tile = qobject_cast<const PedalTile*>(&cell);
    const auto* name = qobject_cast<const BankNameCell*>(&cell);
    const int bank = tile ? tile->pedal().bank : name ? name->bank() : 0;
    const PedalboardRow* here = row(bank);
    if (!here)
        return nullptr;
    const int perLine = PedalboardRow::kTilesPerLine;
    // The cell of a row at a column of its first or last line: a tile, or its name when it has none.
    const auto at = [perLine](const PedalboardRow* r, int column, bool lastLine) -> QWidget* {
        if (!r)
            return nullptr;
        if (r->tileCount() == 0 || column < 0)
            return r->nameCell();
        const int line = lastLine ? (r->tileCount() - 1) / perLine : 0;
        return r->tile(std::min(line * perLine + column, r->tileCount() - 1));
    };
    if (name) {
        switch (key) {
        case Qt::Key_Left: {
            const PedalboardRow* before = nextRow(bank, -1);
            if (!before)
                return nullptr;
            if (before->tileCount() == 0)
                return before->nameCell();
            return before->tile(before->tileCount() - 1);
        }
        case Qt::Key_Right:
            return here->tileCount() ? here->tile(0) : at(nextRow(bank, 1), -1, false);
        case Qt::Key_Up:
            return at(nextRow(bank, -1), -1, true);
        default:
            return at(nextRow(bank, 1), -1, false);
        }
    }
    const int k = tile->pedal().index;
    const int column = k % perLine;
    switch (key) {
    case Qt::Key_Left:
        if (k == 0)
            return here->nameCell();
        return here->tile(k - 1);
    case Qt::Key_Right:
        return k + 1 < here->tileCount() ? here->tile(k + 1) : at(nextRow(bank, 1), -1, false);
    case Qt::Key_Up:
        return k >= perLine ? here->tile(k - perLine) : at(nextRow(bank, -1), column, true);
    default:
        if (k + perLine < here->tileCount())
            return here->tile(k + perLine);
        if (k / perLine < (here->tileCount() - 1) / perLine)
            return here->tile(here->tileCount() - 1); // onto the shorter last line
        return at(nextRow(bank, 1), column, false);
    }
}

bool PedalboardView::isBoardKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (IsArrowKey(event->key()) || IsEnterKey(event->key()) || event->key() == Qt::Key_Delete)
        return mods == Qt::NoModifier;
    return IsCopyKey(event) || IsPasteKey(event);
}

bool PedalboardView::cellKey(QWidget& cell, QKeyEvent* event) {
    if (!isBoardKey(event))
        return false;
    event->accept();
    const int key = event->key();
    auto* tile = qobject_cast<PedalTile*>(&cell);
    if (IsArrowKey(key)) {
        if (QWidget* next = neighbour(cell, key)) {
            next->setFocus(Qt::OtherFocusReason);
            m_scroll->ensureWidgetVisible(next, 0, 4);
        }
    } else if (IsEnterKey(key)) {
        if (tile)
            openPatch(tile->pedal());
        else if (auto* name = qobject_cast<BankNameCell*>(&cell))
            openBank(name->bank());
    } else if (!tile) {
        // Delete, Ctrl+C and Ctrl+V work on pedals, not on a bank's name.
        refuse();
    } else if (key == Qt::Key_Delete) {
        if (!m_edits.unassign(tile->pedal()))
            refuse();
    } else if (IsCopyKey(event)) {
        copyPatch(m_edits.patchAt(tile->pedal()));
    } else if (m_copied < 0 || !m_edits.assign(tile->pedal(), m_copied)) {
        refuse();
    }
    return true;
}

void PedalboardView::cellFocused(QWidget& cell) {
    if (m_current == &cell)
        return;
    if (m_current)
        m_current->setFocusPolicy(Qt::ClickFocus);
    cell.setFocusPolicy(Qt::StrongFocus);
    m_current = &cell;
    m_scroll->ensureWidgetVisible(&cell, 0, 4);
}

void PedalboardView::copyPatch(int patch) {
    // A reference to no patch is not copied: pasting it would only spread the fault.
    if (patch < 0 || !m_edits.copiable(patch)) {
        refuse();
        return;
    }
    m_copied = patch;
}

void PedalboardView::refuse() {
    QApplication::beep();
    emit refused();
}

void PedalboardView::dragOverPedal(PedalTile& tile, QDragMoveEvent* event) {
    PedalboardDrag::Payload payload;
    if (!PedalboardDrag::decode(event->mimeData(), payload)) {
        event->ignore();
        return;
    }
    const bool fromHere = PedalboardDrag::fromDocument(payload, m_doc);
    const bool fromPalette = payload.source == PedalboardDrag::Source::Palette;
    const PedalboardEdits::Pedal source{payload.bank, payload.index};
    int landing = -1;
    if (fromHere && fromPalette && PatchEntryKind(m_doc, payload.patch) == EntryKind::Present)
        landing = payload.patch;
    else if (fromHere && !fromPalette && source != tile.pedal()) {
        landing = m_edits.patchAt(source);
        if (Copies(event) && !m_edits.copiable(landing))
            landing = -1;
    }
    tile.setPreview(landing,
                    landing < 0 ? QString() : QString::fromStdString(PatchEntryName(m_doc, landing)));
    event->setDropAction(fromPalette || Copies(event) ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void PedalboardView::dropOnPedal(PedalTile& tile, QDropEvent* event) {
    PedalboardDrag::Payload payload;
    if (!PedalboardDrag::decode(event->mimeData(), payload)) {
        event->ignore();
        return;
    }
    bool applied = false;
    const bool copies = payload.source == PedalboardDrag::Source::Palette || Copies(event);
    if (PedalboardDrag::fromDocument(payload, m_doc)) {
        const PedalboardEdits::Pedal source{payload.bank, payload.index};
        if (payload.source == PedalboardDrag::Source::Palette)
            applied = m_edits.assign(tile.pedal(), payload.patch);
        else if (source == tile.pedal())
            applied = true; // back where it started
        else
            applied = copies ? m_edits.copy(source, tile.pedal()) : m_edits.swap(source, tile.pedal());
    }
    event->setDropAction(applied ? (copies ? Qt::CopyAction : Qt::MoveAction) : Qt::IgnoreAction);
    event->accept();
    if (!applied)
        refuse();
}

void PedalboardView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void PedalboardView::dragMoveEvent(QDragMoveEvent* event) {
    // Taken, so that a drop beside the tiles arrives here and beeps.
    PedalboardDrag::Payload payload;
    if (PedalboardDrag::decode(event->mimeData(), payload))
        event->accept();
    else
        event->ignore();
}

void PedalboardView::dropEvent(QDropEvent* event) {
    PedalboardDrag::Payload payload;
    if (!PedalboardDrag::decode(event->mimeData(), payload)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    refuse();
}

bool PedalboardView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_find && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && !m_find->text().isEmpty()) {
            m_find->clear();
            return true;
        }
        // Down and Enter go on to the narrowed palette.
        if (key == Qt::Key_Down || IsEnterKey(key)) {
            if (!m_palette->currentItem() || m_palette->currentItem()->isHidden()) {
                for (int i = 0; i < m_palette->count(); ++i) {
                    if (!m_palette->item(i)->isHidden()) {
                        m_palette->setCurrentItem(m_palette->item(i));
                        break;
                    }
                }
            }
            m_palette->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PedalboardView::openPatch(const PedalboardEdits::Pedal& pedal) {
    const int p = m_edits.patchAt(pedal);
    if (p < 1 || p > SystemDoc::kPatches) {
        refuse(); // unassigned, or a number no patch can have
        return;
    }
    EditStep step(m_shell, m_doc);
    const bool created = !m_doc.HasPatch(p);
    if (created && !m_doc.InsertPatch(p, false)) {
        refuse();
        return;
    }
    PatchEditDlg dialog(m_doc.GetPatch(p), m_doc, m_shell, this);
    WidgetKit::ExecModal(dialog);
    step.commit((created ? QStringLiteral("Insert Patch %1") : QStringLiteral("Edit Patch %1")).arg(p),
                HintPatches, p);
}

void PedalboardView::openBank(int bank) {
    if (!m_doc.HasBank(bank)) {
        refuse();
        return;
    }
    EditStep step(m_shell, m_doc);
    BankEdit dialog(m_doc.GetBank(bank), m_doc, m_shell, this);
    WidgetKit::ExecModal(dialog);
    step.commit(QStringLiteral("Edit Bank %1").arg(bank), HintBanks, bank);
}
