#pragma once

#include <QKeyEvent>
#include <QKeySequence>

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

// Ctrl+C or Ctrl+Insert. In the data window's lists and trees Copy is the main window's
// command, which copies records; Qt's item views would otherwise copy a cell's text.
inline bool IsCopyKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    return event->matches(QKeySequence::Copy) ||
           (mods == Qt::ControlModifier && (event->key() == Qt::Key_C || event->key() == Qt::Key_Insert));
}

inline bool IsEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
