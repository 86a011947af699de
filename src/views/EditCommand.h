#pragma once

// The edit commands of a data window: the Edit menu, its toolbar buttons and the context menu.
enum class EditCommand { Copy, Paste, Delete, DeleteReorder, Insert, InsertReorder };
