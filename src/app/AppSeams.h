#pragma once

#include <QMessageBox>
#include <QString>
#include <QUrl>

#include <functional>

class QDialog;
class QWidget;
class RecoveryDialog;

// The platform dialogs and the desktop as the commands reach them: file dialogs, the browser,
// the three-way questions and the dialogs the application runs. The application fills them
// with the real ones; tests replace them.
struct AppSeams {
    using FileChooser = std::function<QString(QWidget* parent, const QString& title, const QString& startPath,
                                              const QString& filter)>;
    using UrlOpener = std::function<bool(const QUrl&)>;
    // A question answered Yes, No or Cancel.
    using Asker = std::function<QMessageBox::StandardButton(const QString& text)>;
    using DialogRunner = std::function<void()>;
    using RecoveryRunner = std::function<void(RecoveryDialog&)>;

    FileChooser chooseOpen;
    FileChooser chooseSave;
    UrlOpener openUrl;
    // "Save changes to ...?"
    Asker askSaveChanges;
    // "Apply the changes to the system configuration?"
    Asker askApplyConfig;
    DialogRunner runPreferences;
    DialogRunner runAbout;
    // Runs a modal dialog of the platform (the print dialog, the print preview) and returns its
    // result; exec() by default.
    std::function<int(QDialog&)> execDialog;
    // The question at start about the unsaved changes an editor that did not close left.
    RecoveryRunner runRecovery;
    // What the dialogs are parented to (the main window), null before it exists.
    QWidget* dialogParent = nullptr;
};
