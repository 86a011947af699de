#include "views/PatchesPage.h"

#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/PatchEditDlg.h"
#include "settings/Settings.h"
#include "views/PatchRow.h"
#include "views/RecordClipboard.h"
#include "widgets/ControlKeys.h"
#include "widgets/EditStep.h"
#include "widgets/HdrCtrl.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/ShellServices.h"
#include "widgets/WaitCursor.h"
#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kExistsRole = PatchRow::kExistsRole;
constexpr int kListId = 207;

// Texts made once and shared by the cells that hold them: a full list is 5,500 cells of a few
// dozen distinct texts.
template <size_t N, typename Make> const std::array<QString, N>& Texts(Make make) {
    static const std::array<QString, N> texts = [&make] {
        std::array<QString, N> t;
        for (size_t i = 0; i < N; ++i)
            t[i] = make(static_cast<int>(i));
        return t;
    }();
    return texts;
}

QString NumberText(int n) {
    const auto& texts = Texts<1000>([](int i) { return QString::asprintf("%03d", i); });
    return n >= 0 && n < 1000 ? texts[static_cast<size_t>(n)] : QString::asprintf("%03d", n);
}

QString LocalCCText(const PatchRecord& patch, int cc) {
    const CCAssignment p1 = patch.LocalCC(1, cc);
    const CCAssignment p2 = patch.LocalCC(2, cc);
    const int v = (p1.flags >= 0 && p1.Enabled() ? 1 : 0) + (p2.flags >= 0 && p2.Enabled() ? 2 : 0);
    return Texts<4>(
        [](int i) { return QString::fromStdString(GlobalCCIndexName(i)); })[static_cast<size_t>(v)];
}

QString LengthText(int length) {
    if (length < 0)
        return QString();
    const auto& texts = Texts<100>([](int i) { return QString::asprintf("%2d", i); });
    return length < 100 ? texts[static_cast<size_t>(length)] : QString::asprintf("%2d", length);
}

// The names of the mode fields, by field value.
QString SwitchText(int mode) {
    return Texts<8>([](int i) {
        return QString::fromStdString(ChannelSwitchName(i));
    })[static_cast<size_t>(mode & PatchRecord::kChannelSwitchMask)];
}
QString PedalText(int mode) {
    return Texts<4>([](int i) {
        return QString::fromStdString(PedalTypeName(i * 8));
    })[static_cast<size_t>((mode & PatchRecord::kPedalTypeMask) / 8)];
}
QString GlobalText(int mode) {
    return Texts<4>([](int i) {
        return QString::fromStdString(GlobalCCName(i * 64));
    })[static_cast<size_t>((mode & (PatchRecord::kGlobalCC1Bit | PatchRecord::kGlobalCC2Bit)) / 64)];
}

constexpr int kColumns = 11;

// The cells of a row: a patch that exists, or an unused number with only its number and name.
QStringList RowCells(int n, const RecordSlot* record) {
    QStringList cells;
    cells.reserve(kColumns);
    if (!record) {
        cells << NumberText(n) << QStringLiteral("unused patch");
        while (cells.size() < kColumns)
            cells << QString();
        return cells;
    }
    const PatchRecord patch(*record);
    const int mode = patch.Mode();
    cells << NumberText(patch.Number()) << QString::fromStdString(patch.Name());
    if (mode < 0) {
        cells << QString() << QString() << QString();
    } else {
        cells << SwitchText(mode) << PedalText(mode) << GlobalText(mode);
    }
    cells << LocalCCText(patch, 1) << LocalCCText(patch, 2) << LocalCCText(patch, 3);
    cells << LengthText(patch.StringALength()) << LengthText(patch.StringBLength());
    cells << (mode < 0                                ? QString()
              : (mode & PatchRecord::kStringASentBit) ? QStringLiteral("yes")
                                                      : QStringLiteral("no"));
    return cells;
}

// The record behind number n, or null when the number is unused.
const RecordSlot* PresentPatch(const SystemDoc& doc, int n) {
    const RecordSlot* record = doc.PeekPatch(n);
    return record && record->IsPresent() ? record : nullptr;
}

QTreeWidgetItem* MakeRow(int n, const RecordSlot* record) {
    return new PatchRow(n, record != nullptr, RowCells(n, record));
}

PatchesPage::SortKey KeyOf(const QTreeWidgetItem* item) {
    PatchesPage::SortKey key;
    key.exists = item->data(0, kExistsRole).toBool();
    key.number = NumberText(ListCtrlExt::itemData(item));
    key.name = item->text(1);
    return key;
}

} // namespace

PatchesPage::PatchesPage(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : SheetPage(doc, shell, parent) {
    setObjectName(QStringLiteral("patchesPage"));
}

QString PatchesPage::tabText() const {
    return QStringLiteral("Patches");
}

bool PatchesPage::ignoresHint(int hint) const {
    return hint == HintBanks || hint == HintSets || hint == HintConfig;
}

void PatchesPage::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new ListCtrlExt(this);
    m_list->setObjectName(QStringLiteral("patchList"));
    m_list->setAccessibleName(QStringLiteral("Patches"));
    m_list->setProperty("controlId", kListId);
    QStringList headers{
        QStringLiteral("Num"),          QStringLiteral("Name"),       QStringLiteral("Channel Switch"),
        QStringLiteral("Pedal Action"), QStringLiteral("Global CC"),  QStringLiteral("Local CC 1"),
        QStringLiteral("Local CC 2"),   QStringLiteral("Local CC 3"), QStringLiteral("String A Len"),
        QStringLiteral("String B Len"), QStringLiteral("Str A Sent")};
    m_list->setHeaderLabels(headers);
    m_list->setSortState(0, true);
    layout->addWidget(m_list);
    m_list->show(); // at once: the page may already be visible, and the list takes the focus

    // Made after the list, so the list stays first in the focus chain and takes the focus
    // when the page is shown, as it did before there was a find field.
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("patchFilter"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setPlaceholderText(QStringLiteral("Number or name (Ctrl+F)"));
    m_filter->installEventFilter(this);
    auto* findRow = new QHBoxLayout;
    findRow->setContentsMargins(4, 4, 4, 0);
    QLabel* findLabel = WidgetKit::BuddyLabel(QStringLiteral("Fin&d"), m_filter, this);
    findRow->addWidget(findLabel);
    findRow->addWidget(m_filter, 1);
    layout->insertLayout(0, findRow);
    findLabel->show();
    m_filter->show(); // at once, like the list: Ctrl+F may focus it straight away

    connect(m_list->hdr(), &QHeaderView::sectionClicked, this, &PatchesPage::headerClicked);
    connect(m_list, &ListCtrlExt::dblClickNotify, this, &PatchesPage::openEditor);
    connect(m_list, &ListCtrlExt::keyNotify, this, [this](int key, Qt::KeyboardModifiers mods) {
        if (key == Qt::Key_Delete || key == Qt::Key_Insert)
            dispatch(key == Qt::Key_Insert, (mods & Qt::ShiftModifier) != 0);
        else if (IsEnterKey(key) && (mods & ~Qt::KeypadModifier) == Qt::NoModifier)
            openEditor(); // as a double-click: the keyboard's way to edit a patch
    });
    connect(m_list, &ListCtrlExt::contextMenuNotify, this,
            [this](const QPoint& pos) { shell().showContextMenu(pos, ShellServices::MenuData); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &SheetPage::commandStatesChanged);
    connect(m_filter, &QLineEdit::textChanged, this, &PatchesPage::applyFilter);
}

void PatchesPage::applyFilter() {
    if (!m_list)
        return;
    const QString text = m_filter->text().trimmed();
    // Taken first: the list does not report a hidden row as selected.
    QTreeWidgetItem* selected = m_list->selectedRow();
    QTreeWidgetItem* firstShown = nullptr;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        const bool exists = item->data(0, kExistsRole).toBool();
        const bool shown = text.isEmpty() || item->text(0).contains(text, Qt::CaseInsensitive) ||
                           (exists && item->text(1).contains(text, Qt::CaseInsensitive));
        if (item->isHidden() == shown)
            item->setHidden(!shown);
        if (shown && !firstShown)
            firstShown = item;
    }
    // Commands act on the selected row, so it must be one the user can see.
    if (selected && selected->isHidden()) {
        if (firstShown)
            m_list->setCurrentItem(firstShown);
        else
            m_list->clearSelection();
    }
    if (QTreeWidgetItem* current = m_list->selectedRow())
        m_list->scrollToItem(current);
}

bool PatchesPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && !m_filter->text().isEmpty()) {
            m_filter->clear();
            return true;
        }
        // Down, Enter and Return go on to the narrowed list.
        if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!m_list->selectedRow()) {
                for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
                    if (!m_list->topLevelItem(i)->isHidden()) {
                        m_list->setCurrentItem(m_list->topLevelItem(i));
                        break;
                    }
                }
            }
            m_list->setFocus();
            return true;
        }
    }
    return SheetPage::eventFilter(watched, event);
}

void PatchesPage::focusFilter() {
    if (!m_filter)
        return;
    m_filter->setFocus(Qt::ShortcutFocusReason);
    m_filter->selectAll();
}

bool PatchesPage::selectPatch(int n) {
    if (!m_list || n < 1 || n > SystemDoc::kPatches)
        return false;
    QTreeWidgetItem* item = m_rows[static_cast<size_t>(n)];
    if (!item)
        return false;
    if (item->isHidden())
        m_filter->clear();
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
    m_list->setFocus();
    return true;
}

void PatchesPage::rebuild(int hint) {
    (void)hint;
    if (!m_list) {
        createControls();
        rebuildRows();
    } else if (!updatesInPlace() || shell().settings().HideBlanks() != m_shownHideBlanks) {
        rebuildRows();
    } else {
        updateRows();
    }
    emit commandStatesChanged();
}

void PatchesPage::rebuildRows() {
    WaitCursor wait;
    setUpdatesEnabled(false);

    QTreeWidgetItem* selected = m_list->selectedRow();
    const int selectedIndex = selected ? m_list->indexOfTopLevelItem(selected) : -1;
    const int selectedNumber = selected ? ListCtrlExt::itemData(selected) : -1;
    const int scroll = m_list->verticalScrollBar()->value();
    m_list->clear();
    m_rows.fill(nullptr);

    m_shownHideBlanks = shell().settings().HideBlanks();
    QList<QTreeWidgetItem*> items;
    items.reserve(SystemDoc::kPatches);
    for (int n = 1; n <= SystemDoc::kPatches; ++n) {
        const RecordSlot* record = PresentPatch(doc(), n);
        m_shown[static_cast<size_t>(n)].CopyBytesOf(record);
        if (!record && m_shownHideBlanks)
            continue;
        QTreeWidgetItem* item = MakeRow(n, record);
        m_rows[static_cast<size_t>(n)] = item;
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);
    m_list->AutoSizeColumns();
    m_list->hdr()->setSortMark(m_list->sortColumn(), m_list->sortAscending());
    if (m_list->sortColumn() != 0 || !m_list->sortAscending())
        sortRows(); // made in number order, the rows need no sorting by number

    m_list->doItemsLayout();
    restorePlace(selectedIndex, selectedNumber, scroll);
    if (!m_filter->text().isEmpty())
        applyFilter();
    setUpdatesEnabled(true);
}

void PatchesPage::updateRows() {
    QTreeWidgetItem* selected = m_list->selectedRow();
    const int selectedIndex = selected ? m_list->indexOfTopLevelItem(selected) : -1;
    const int selectedNumber = selected ? ListCtrlExt::itemData(selected) : -1;
    const int scroll = m_list->verticalScrollBar()->value();

    std::vector<QTreeWidgetItem*> unplaced; // new rows, and rows whose sort key changed
    bool changed = false;
    bool rowsGone = false;
    for (int n = 1; n <= SystemDoc::kPatches; ++n) {
        const size_t at = static_cast<size_t>(n);
        const RecordSlot* record = PresentPatch(doc(), n);
        if (m_shown[at].SameBytesAs(record))
            continue;
        changed = true;
        m_shown[at].CopyBytesOf(record);
        QTreeWidgetItem*& item = m_rows[at];
        if (!record && m_shownHideBlanks) {
            delete item;
            item = nullptr;
            rowsGone = true;
            continue;
        }
        if (!item) {
            item = MakeRow(n, record);
            unplaced.push_back(item);
            continue;
        }
        const SortKey before = KeyOf(item);
        const QStringList cells = RowCells(n, record);
        for (int c = 0; c < kColumns; ++c)
            item->setText(c, cells.at(c)); // an unchanged text costs nothing
        item->setData(0, kExistsRole, record != nullptr);
        const SortKey after = KeyOf(item);
        if (after.exists != before.exists || after.name != before.name)
            unplaced.push_back(item);
    }
    // Fitted even when no row changed: the first fill came before the sort mark, which widens
    // the labels.
    if (placeRows(unplaced) || rowsGone)
        m_list->doItemsLayout();
    m_list->AutoSizeColumns();
    if (!changed) {
        restorePlace(selectedIndex, selectedNumber, scroll);
        return;
    }
    restorePlace(selectedIndex, selectedNumber, scroll);
    if (!m_filter->text().isEmpty())
        applyFilter();
}

bool PatchesPage::placeRows(const std::vector<QTreeWidgetItem*>& rows) {
    if (rows.empty())
        return false;
    const int column = m_list->sortColumn();
    const bool ascending = m_list->sortAscending();
    // A row that changed in place and still sorts between its neighbours stays.
    bool inOrder = true;
    for (QTreeWidgetItem* item : rows) {
        const int index = m_list->indexOfTopLevelItem(item);
        if (index < 0) {
            inOrder = false; // a new row
            break;
        }
        const SortKey key = KeyOf(item);
        const QTreeWidgetItem* before = index > 0 ? m_list->topLevelItem(index - 1) : nullptr;
        const QTreeWidgetItem* after = m_list->topLevelItem(index + 1);
        if ((before && compareRows(KeyOf(before), key, column, ascending) > 0) ||
            (after && compareRows(key, KeyOf(after), column, ascending) > 0)) {
            inOrder = false;
            break;
        }
    }
    if (inOrder)
        return false;
    if (rows.size() > 16) {
        for (QTreeWidgetItem* item : rows)
            if (m_list->indexOfTopLevelItem(item) < 0)
                m_list->addTopLevelItem(item);
        sortRows();
        return true;
    }
    // The other rows kept their keys, so they are still in order: put each of these back where
    // it belongs among them.
    for (QTreeWidgetItem* item : rows) {
        const int index = m_list->indexOfTopLevelItem(item);
        if (index >= 0)
            m_list->takeTopLevelItem(index);
    }
    for (QTreeWidgetItem* item : rows) {
        const SortKey key = KeyOf(item);
        int low = 0;
        int high = m_list->topLevelItemCount();
        while (low < high) {
            const int mid = (low + high) / 2;
            if (compareRows(KeyOf(m_list->topLevelItem(mid)), key, column, ascending) < 0)
                low = mid + 1;
            else
                high = mid;
        }
        m_list->insertTopLevelItem(low, item);
    }
    return true;
}

void PatchesPage::restorePlace(int selectedIndex, int selectedNumber, int scroll) {
    m_list->verticalScrollBar()->setValue(scroll);
    QTreeWidgetItem* select = nullptr;
    bool scrollTo = false;
    if (selectedIndex >= 0 && m_filter->text().isEmpty()) {
        select = m_list->topLevelItem(selectedIndex);
        scrollTo = true;
    } else if (selectedNumber >= 0) {
        // Narrowed, row indices mean nothing: the same patch stays selected.
        select =
            selectedNumber <= SystemDoc::kPatches ? m_rows[static_cast<size_t>(selectedNumber)] : nullptr;
    }
    if (!select) {
        if (m_list->currentItem() || m_list->selectedRow())
            m_list->setCurrentItem(nullptr);
        return;
    }
    if (m_list->currentItem() != select || !select->isSelected())
        m_list->setCurrentItem(select);
    if (scrollTo)
        m_list->scrollToItem(select);
}

int PatchesPage::compareRows(const SortKey& a, const SortKey& b, int column, bool ascending) {
    int result = 0;
    if (a.exists && b.exists) {
        const QString& first = column == 0 ? a.number : a.name;
        const QString& firstB = column == 0 ? b.number : b.name;
        result = QString::compare(first, firstB, Qt::CaseInsensitive);
        if (result == 0) {
            const QString& second = column == 0 ? a.name : a.number;
            const QString& secondB = column == 0 ? b.name : b.number;
            result = QString::compare(second, secondB, Qt::CaseInsensitive);
        }
    } else if (column == 1 && (a.exists || b.exists)) {
        result = a.exists ? -1 : 1;
    } else {
        result = QString::compare(a.number, b.number, Qt::CaseInsensitive);
    }
    return ascending ? result : -result;
}

void PatchesPage::sortRows() {
    QTreeWidgetItem* selected = m_list->selectedRow();
    QList<QTreeWidgetItem*> items = m_list->invisibleRootItem()->takeChildren();
    struct Row {
        SortKey key;
        QTreeWidgetItem* item;
    };
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(items.size()));
    for (QTreeWidgetItem* item : items)
        rows.push_back({KeyOf(item), item});
    const int column = m_list->sortColumn();
    const bool ascending = m_list->sortAscending();
    std::stable_sort(rows.begin(), rows.end(), [column, ascending](const Row& a, const Row& b) {
        return compareRows(a.key, b.key, column, ascending) < 0;
    });
    items.clear();
    for (const Row& row : rows)
        items.push_back(row.item);
    m_list->addTopLevelItems(items);
    if (selected) {
        m_list->setCurrentItem(selected);
        m_list->scrollToItem(selected);
    }
    // Rows taken out and put back are shown again.
    if (!m_filter->text().isEmpty())
        applyFilter();
}

void PatchesPage::headerClicked(int column) {
    if (!m_list || (column != 0 && column != 1))
        return;
    WaitCursor wait;
    if (column == m_list->sortColumn())
        m_list->setSortState(column, !m_list->sortAscending());
    else
        m_list->setSortState(column, true);
    m_list->hdr()->setSortMark(m_list->sortColumn(), m_list->sortAscending());
    sortRows();
}

bool PatchesPage::listFocused() const {
    return WidgetKit::HoldsFocus(m_list);
}

void PatchesPage::dispatch(bool insert, bool reorder) {
    const int n = m_list ? m_list->selectedData() : -1;
    if (n < 0) {
        QApplication::beep();
        return;
    }
    if (insert)
        insertPatch(n, reorder);
    else
        deletePatch(n, reorder);
}

void PatchesPage::insertPatch(int n, bool reorder) {
    if (doc().HasPatch(n) && !reorder) {
        QApplication::beep();
        return;
    }
    // Inserting with reorder pushes the last patch off the end, and every reference to it goes.
    if (reorder && doc().HasPatch(SystemDoc::kPatches) && shell().settings().DeletePrompt()) {
        const QString text =
            QStringLiteral("Patch %1: %2 will be removed. Continue?")
                .arg(SystemDoc::kPatches)
                .arg(QString::fromStdString(PatchRecord(doc().GetPatch(SystemDoc::kPatches)).Name()));
        if (!shell().prompter().AskYesNo(text.toStdString(), "Confirm patch delete",
                                         Prompter::Icon::Question))
            return;
    }
    EditStep step(shell(), doc());
    if (!doc().InsertPatch(n, reorder)) {
        QApplication::beep();
        return;
    }
    runEditor(n);
    step.commit(
        (reorder ? QStringLiteral("Insert Patch %1 with Reorder") : QStringLiteral("Insert Patch %1")).arg(n),
        HintPatches, n);
}

void PatchesPage::deletePatch(int n, bool reorder) {
    if (!doc().HasPatch(n)) {
        if (!reorder) {
            QApplication::beep();
            return;
        }
        EditStep step(shell(), doc());
        doc().DeletePatch(n, true);
        step.commit(QStringLiteral("Delete Patch %1 with Reorder").arg(n), HintPatches, n);
        return;
    }
    if (shell().settings().DeletePrompt()) {
        const std::string name = PatchRecord(doc().GetPatch(n)).Name();
        const QString text = QStringLiteral("Are you sure you want to delete patch %1: %2?")
                                 .arg(n)
                                 .arg(QString::fromStdString(name));
        if (!shell().prompter().AskYesNo(text.toStdString(), "Confirm patch delete",
                                         Prompter::Icon::Question))
            return;
    }
    EditStep step(shell(), doc());
    doc().DeletePatch(n, reorder);
    step.commit(
        (reorder ? QStringLiteral("Delete Patch %1 with Reorder") : QStringLiteral("Delete Patch %1")).arg(n),
        HintPatches, n);
}

void PatchesPage::cut() {
    const int n = m_list->selectedData();
    if (n < 0 || !doc().HasPatch(n) ||
        !RecordClipboard::write(RecordClipboard::Kind::Patch, doc().GetPatch(n))) {
        QApplication::beep();
        return;
    }
    EditStep step(shell(), doc());
    doc().DeletePatch(n, false);
    step.commit(QStringLiteral("Cut Patch %1").arg(n), HintPatches, n);
}

void PatchesPage::openEditor() {
    const int n = m_list ? m_list->selectedData() : -1;
    if (n < 0) {
        QApplication::beep();
        return;
    }
    EditStep step(shell(), doc());
    const bool created = !doc().HasPatch(n);
    if (created && !doc().InsertPatch(n, false)) {
        QApplication::beep();
        return;
    }
    runEditor(n);
    step.commit((created ? QStringLiteral("Insert Patch %1") : QStringLiteral("Edit Patch %1")).arg(n),
                HintPatches, n);
}

void PatchesPage::runEditor(int n) {
    PatchEditDlg dialog(doc().GetPatch(n), doc(), shell(), this);
    WidgetKit::ExecModal(dialog);
}

void PatchesPage::copy() {
    const int n = m_list->selectedData();
    if (n < 0 || !doc().HasPatch(n) ||
        !RecordClipboard::write(RecordClipboard::Kind::Patch, doc().GetPatch(n)))
        QApplication::beep();
}

void PatchesPage::paste() {
    const int n = m_list->selectedData();
    if (n < 0) {
        QApplication::beep();
        return;
    }
    RecordSlot record = RecordClipboard::read(RecordClipboard::Kind::Patch);
    if (!record.IsPresent())
        return;
    // A dump the editor could not read back is no place to paste into.
    const RecordSlot* old = doc().PeekPatch(n);
    if (!replacementFits(old, record)) {
        QApplication::beep();
        return;
    }
    WriteWordQuad(record.Data() + PatchRecord::kNumber, n);
    EditStep step(shell(), doc());
    doc().ReplacePatch(n, record);
    step.commit(QStringLiteral("Paste Patch %1").arg(n), HintPatches, n);
}

bool PatchesPage::handleCommand(EditCommand command) {
    if (!listFocused())
        return false;
    if (command == EditCommand::Copy)
        copy();
    else if (command == EditCommand::Cut)
        cut();
    else if (command == EditCommand::Paste)
        paste();
    else
        dispatch(IsInsertCommand(command), IsReorderCommand(command));
    return true;
}

bool PatchesPage::commandState(EditCommand command, bool& enabled) const {
    if (!listFocused())
        return false;
    const int n = m_list->selectedData();
    switch (command) {
    case EditCommand::Cut:
    case EditCommand::Copy:
    case EditCommand::Delete:
        enabled = n >= 0 && doc().HasPatch(n);
        break;
    case EditCommand::Paste:
        enabled = n > 0;
        break;
    case EditCommand::Insert:
        enabled = n < 0 || !doc().HasPatch(n);
        break;
    case EditCommand::DeleteReorder:
    case EditCommand::InsertReorder:
        enabled = n >= 0;
        break;
    }
    return true;
}
