#pragma once

#include <QKeyEvent>

// The keys the data window's lists and trees take for themselves before any window shortcut:
// Enter, Insert and Delete, with or without Shift.
inline bool IsOwnControlKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

inline bool IsEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
