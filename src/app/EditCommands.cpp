#include "app/EditCommands.h"

#include "app/SessionList.h"
#include "app/ToolbarIcons.h"
#include "views/HexView.h"
#include "views/PropSheetFormView.h"

#include <QTextDocument>

namespace {

// The data window's edit commands by command number.
constexpr struct {
    int id;
    EditCommand command;
} kEditCommands[] = {
    {CommandIds::IdEditCut, EditCommand::Cut},
    {CommandIds::IdEditCopy, EditCommand::Copy},
    {CommandIds::IdEditPaste, EditCommand::Paste},
    {CommandIds::IdDelete, EditCommand::Delete},
    {CommandIds::IdDeleteReorder, EditCommand::DeleteReorder},
    {CommandIds::IdInsert, EditCommand::Insert},
    {CommandIds::IdInsertReorder, EditCommand::InsertReorder},
};

} // namespace

EditCommands::EditCommands(SessionList& sessions, QObject* parent)
    : CommandGroup(parent), m_sessions(sessions) {
    QAction* undo = adopt(sessions.undoGroup().createUndoAction(this, QStringLiteral("&Undo")), IdEditUndo,
                          QStringLiteral("Undo the last action\nUndo (Ctrl+Z)"));
    undo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
    undo->setIcon(ToolbarIcons::Undo());
    QAction* redo = adopt(sessions.undoGroup().createRedoAction(this, QStringLiteral("R&edo")), IdEditRedo,
                          QStringLiteral("Redo the previously undone action\nRedo (Ctrl+Y)"));
    redo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    redo->setIcon(ToolbarIcons::Redo());
    // The stack changes the document, so the other commands' states may change with it.
    connect(&sessions.undoGroup(), &QUndoGroup::indexChanged, this, &CommandGroup::statesNeeded);

    add(IdEditCut, QStringLiteral("Cu&t"),
        QStringLiteral("Cut the selection and put it on the Clipboard\nCut (Ctrl+X)"), &EditCommands::onCut,
        QKeySequence(QStringLiteral("Ctrl+X")))
        ->setIcon(ToolbarIcons::Cut());
    add(IdEditCopy, QStringLiteral("&Copy"),
        QStringLiteral("Copy the selection and put it on the Clipboard\nCopy (Ctrl+C)"),
        &EditCommands::onCopy, QKeySequence(QStringLiteral("Ctrl+C")))
        ->setIcon(ToolbarIcons::Copy());
    add(IdEditPaste, QStringLiteral("&Paste"), QStringLiteral("Insert Clipboard contents\nPaste (Ctrl+V)"),
        &EditCommands::onPaste, QKeySequence(QStringLiteral("Ctrl+V")))
        ->setIcon(ToolbarIcons::Paste());
    // Del and Ins belong to the focused list; the menu only names them.
    add(IdDelete, QStringLiteral("&Delete\tDel"), QStringLiteral("Delete the selected record\nDelete (Del)"),
        &EditCommands::onDelete);
    add(IdDeleteReorder, QStringLiteral("Delete &with reorder"),
        QStringLiteral("Delete the selected record and renumber the ones after it\nDelete with reorder "
                       "(Shift+Del)"),
        &EditCommands::onDeleteReorder, QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    add(IdInsert, QStringLiteral("&Insert\tIns"), QStringLiteral("Insert an empty record\nInsert (Ins)"),
        &EditCommands::onInsert);
    add(IdInsertReorder, QStringLiteral("Insert with &reorder"),
        QStringLiteral("Insert an empty record and renumber the ones after it\nInsert with reorder "
                       "(Shift+Ins)"),
        &EditCommands::onInsertReorder, QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    add(IdEditSelectAll, QStringLiteral("&Select All"),
        QStringLiteral("Select the entire document\nSelect All"), &EditCommands::onSelectAll);
}

void EditCommands::updateStates() {
    PropSheetFormView* data = m_sessions.activeDataView();
    HexView* hex = m_sessions.activeHexView();
    if (hex)
        hex->updateActionStates();
    for (const auto& entry : kEditCommands) {
        bool enabled = false;
        if (data)
            enabled = data->isCommandEnabled(entry.command);
        else if (hex && entry.id == IdEditCopy)
            enabled = hex->copyAction()->isEnabled();
        action(entry.id)->setEnabled(enabled);
    }
    action(IdEditSelectAll)->setEnabled(!data && hex && !hex->document()->isEmpty());
}

void EditCommands::run(EditCommand command) {
    if (PropSheetFormView* data = m_sessions.activeDataView())
        data->executeCommand(command);
    else if (HexView* hex = m_sessions.activeHexView(); hex && command == EditCommand::Copy)
        hex->copy();
}

void EditCommands::onSelectAll() {
    if (HexView* hex = m_sessions.activeHexView())
        hex->selectAll();
}
