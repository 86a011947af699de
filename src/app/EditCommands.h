#pragma once

#include "app/CommandGroup.h"
#include "app/CommandIds.h"

#include "widgets/EditCommand.h"

class SessionList;

// The Edit menu: Undo and Redo (from the undo group, so their texts and states follow the active
// window's stack by themselves), Cut, Copy, Paste, Delete and Insert with and without reorder,
// handed to the active data window, and Copy and Select All of a hex window.
class EditCommands : public CommandGroup, private CommandIds {
    Q_OBJECT
public:
    explicit EditCommands(SessionList& sessions, QObject* parent = nullptr);

    void updateStates() override;

private:
    void run(EditCommand command);
    void onCut() { run(EditCommand::Cut); }
    void onCopy() { run(EditCommand::Copy); }
    void onPaste() { run(EditCommand::Paste); }
    void onDelete() { run(EditCommand::Delete); }
    void onDeleteReorder() { run(EditCommand::DeleteReorder); }
    void onInsert() { run(EditCommand::Insert); }
    void onInsertReorder() { run(EditCommand::InsertReorder); }
    void onSelectAll();

    SessionList& m_sessions;
};
