#pragma once

#include <Qt>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QString;
class QWidget;

// Small pieces every dialog of the program builds the same way.
namespace WidgetKit {

// A label whose mnemonic moves the focus to its control; the control takes the label's text
// (without the mnemonic mark) as its accessible name.
QLabel* BuddyLabel(const QString& caption, QWidget* buddy, QWidget* parent);

// "OK" (the default button, objectName "ok") and "Cancel" ("cancel"), wired to the dialog's
// accept() and reject().
QDialogButtonBox* OkCancelButtons(QDialog* dialog, Qt::Orientation orientation = Qt::Horizontal);

// A field that shows a value the user cannot change: read-only, on the window's colour rather
// than the white of an edit field.
void MakeReadOnly(QLineEdit* field);

// Runs a modal dialog, then gives the keyboard focus back to the control that had it (the list
// an editor was opened from), so its commands apply at once. Returns the dialog's result.
int ExecModal(QDialog& dialog);

// True when `widget` is the focus widget of its window: also while a menu of that window is open
// (the menu holds the keyboard then), while the window's menu bar holds it (a menu opened with
// Alt and its letter; see SetFocusBeforeMenu) and while another window is active.
bool HoldsFocus(const QWidget* widget);
// The window's menu bar took the keyboard from `widget` and gives it back when its menu closes;
// null when the bar let go.
void SetFocusBeforeMenu(QWidget* window, QWidget* widget);

} // namespace WidgetKit
