#pragma once

class QPoint;
class DocUndoStack;
class Prompter;
class Settings;
class SystemDoc;

// What the document windows, their pages and the editor dialogs ask of the editor program. The
// main window implements it; widget tests supply a fake.
class ShellServices {
public:
    // The submenus of the context menu: 0 leaves the choice to the main window.
    enum ContextMenu { MenuChoose = 0, MenuData = 1, MenuHex = 2, MenuConfig = 3 };

    virtual ~ShellServices() = default;

    // The one settings object of the run.
    virtual Settings& settings() = 0;
    // Message boxes.
    virtual Prompter& prompter() = 0;
    // Shows one of the context menus at a global position; the chosen command goes to the
    // active document window.
    virtual void showContextMenu(const QPoint& globalPos, int submenu) = 0;
    // Opens a hex window on the document ("Command failed." when there is none).
    virtual void openHexView(SystemDoc* doc) = 0;
    // The MIDI Calc button: brings the calculator forward or starts it.
    virtual void launchCalculator() = 0;
    // The MIDI Help buttons.
    virtual bool launchMidiHelp() = 0;
    // The document's undo stack, shared by all its windows; null keeps no steps.
    virtual DocUndoStack* undoStack(SystemDoc& doc) = 0;
};
