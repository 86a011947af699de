#pragma once

#include <QIcon>

// The toolbar's pictures, drawn at run time so they look the same on every platform and need
// no icon theme: a desktop theme's icon is used when the theme has one.
class ToolbarIcons {
public:
    static QIcon New();
    static QIcon Open();
    static QIcon Save();
    static QIcon Cut();
    static QIcon Copy();
    static QIcon Paste();
    static QIcon Undo();
    static QIcon Redo();
    static QIcon Download();
    static QIcon Upload();
    static QIcon Preferences();
    static QIcon Print();
    static QIcon About();
    static QIcon Website();
};
