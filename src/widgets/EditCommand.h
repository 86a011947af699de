#pragma once

// The edit commands of a data window: the Edit menu, its toolbar buttons and the context menu.
enum class EditCommand { Cut, Copy, Paste, Delete, DeleteReorder, Insert, InsertReorder };

// The record commands split into what they do.
inline bool IsInsertCommand(EditCommand command) {
    return command == EditCommand::Insert || command == EditCommand::InsertReorder;
}
inline bool IsReorderCommand(EditCommand command) {
    return command == EditCommand::DeleteReorder || command == EditCommand::InsertReorder;
}
