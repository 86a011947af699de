#include "views/PatchPalette.h"

#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "views/PedalboardDrag.h"
#include "views/PedalboardView.h"
#include "widgets/ControlKeys.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>

namespace {
constexpr int kPatchRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;
} // namespace

PatchPalette::PatchPalette(PedalboardView& board, QWidget* parent) : QListWidget(parent), m_board(board) {
    setObjectName(QStringLiteral("patchPalette"));
    setAccessibleName(QStringLiteral("Patches"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDragEnabled(true);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
}

int PatchPalette::patchOf(const QListWidgetItem* item) {
    return item ? item->data(kPatchRole).toInt() : -1;
}

QListWidgetItem* PatchPalette::itemOf(int patch) const {
    // The entries stand in number order.
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (patchOf(item(middle)) < patch)
            low = middle + 1;
        else
            high = middle;
    }
    return low < count() && patchOf(item(low)) == patch ? item(low) : nullptr;
}

void PatchPalette::setEntry(QListWidgetItem* entry, int patch, const QString& name) {
    const QString number = QString::asprintf("%03d", patch);
    entry->setText(number + QLatin1Char(' ') + name);
    entry->setData(kPatchRole, patch);
    entry->setData(kNameRole, name);
    entry->setData(Qt::AccessibleTextRole, QStringLiteral("Patch ") + number + QLatin1Char(' ') + name);
    entry->setHidden(!matches(entry));
}

void PatchPalette::sync(const SystemDoc& doc, const std::vector<bool>* changed) {
    int row = 0; // the entries before patch p, as p counts up
    for (int p = 1; p <= SystemDoc::kPatches; ++p) {
        QListWidgetItem* entry = row < count() && patchOf(item(row)) == p ? item(row) : nullptr;
        if (changed && !(*changed)[static_cast<size_t>(p)]) {
            row += entry ? 1 : 0;
            continue;
        }
        const RecordSlot* patch = doc.PeekPatch(p);
        if (!patch || !patch->IsPresent()) {
            delete entry;
            continue;
        }
        const QString name = QString::fromStdString(PatchRecord(*patch).Name());
        if (!entry) {
            entry = new QListWidgetItem;
            insertItem(row, entry);
            setEntry(entry, p, name);
        } else if (entry->data(kNameRole).toString() != name) {
            setEntry(entry, p, name);
        }
        ++row;
    }
}

bool PatchPalette::matches(const QListWidgetItem* entry) const {
    if (m_filter.isEmpty())
        return true;
    return QString::asprintf("%03d", patchOf(entry)).contains(m_filter, Qt::CaseInsensitive) ||
           entry->data(kNameRole).toString().contains(m_filter, Qt::CaseInsensitive);
}

void PatchPalette::setFilter(const QString& text) {
    m_filter = text.trimmed();
    QListWidgetItem* firstShown = nullptr;
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* entry = item(i);
        entry->setHidden(!matches(entry));
        if (!firstShown && !entry->isHidden())
            firstShown = entry;
    }
    // Ctrl+C copies the current entry, so it must be one the user can see.
    if (currentItem() && currentItem()->isHidden()) {
        if (firstShown)
            setCurrentItem(firstShown);
        else
            clearSelection();
    }
    if (currentItem() && !currentItem()->isHidden())
        scrollToItem(currentItem());
}

QMimeData* PatchPalette::dragData(const QListWidgetItem* entry) const {
    return PedalboardDrag::encode(m_board.doc(), PedalboardDrag::Source::Palette, patchOf(entry));
}

bool PatchPalette::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && IsCopyKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QListWidget::event(event);
}

void PatchPalette::keyPressEvent(QKeyEvent* event) {
    if (IsCopyKey(event)) {
        if (QListWidgetItem* entry = currentItem(); entry && !entry->isHidden())
            m_board.copyPatch(patchOf(entry));
        else
            m_board.refuse();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void PatchPalette::startDrag(Qt::DropActions) {
    QListWidgetItem* entry = currentItem();
    if (!entry)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData(entry));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

QStringList PatchPalette::mimeTypes() const {
    return {PedalboardDrag::mimeType()};
}

QMimeData* PatchPalette::mimeData(const QList<QListWidgetItem*>& items) const {
    return items.isEmpty() ? nullptr : dragData(items.front());
}
