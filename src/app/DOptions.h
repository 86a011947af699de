#pragma once

#include "settings/Settings.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class Prompter;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QUrl;

// The preferences dialog, and for the whole run the holder of the settings: one instance is made
// at start-up and kept until exit, whether or not the dialog is ever shown. Destroying it writes
// the settings back, so the Prompter must outlive it.
//
// Showing the dialog (Run(), exec(), open() or show()) fills the controls from the settings and
// the device lists of the MIDI port layer, which the caller has started. OK and Apply read the
// controls back, write the settings and emit SettingsApplied(); Cancel writes nothing.
//
// parent is the main window, which centres the dialog and then owns it; a holder made before the
// main window can be given to it later with setParent(mainWindow, Qt::Dialog).
class DOptions : public QDialog {
    Q_OBJECT

public:
    // (parent, title, start path, name filter, default suffix) -> chosen path or empty.
    using FileChooser =
        std::function<QString(QWidget*, const QString&, const QString&, const QString&, const QString&)>;
    using UrlOpener = std::function<bool(const QUrl&)>;

    static constexpr const char* kCaption = "Preferences/Options/Settings/Coffee, Tea or Milk?";
    static constexpr const char* kInitializeHelpCaption = "Initialize Help";
    static QString InitializeHelpText();

    // settings null: the user's own store.
    explicit DOptions(Prompter& prompter, std::unique_ptr<Settings> settings = nullptr,
                      QWidget* parent = nullptr);
    ~DOptions() override;

    Settings& Values() { return *m_settings; }
    const Settings& Values() const { return *m_settings; }

    // The Preferences command: the dialog, modally.
    int Run();
    // The MIDI help buttons: opens MIDIHelpFile, at MIDIHelpKeyword when one is set. Asked from
    // outside the dialog with no help file set, first offers the preferences. A file that cannot
    // be opened is forgotten. True when the file was handed to the desktop.
    bool LaunchMidiHelp();

    // Seams for the platform dialogs, so tests never open one.
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void SetUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    // The folder the "open backup folder" button shows in the desktop's file manager.
    void SetBackupFolder(const QString& path) { m_backupFolder = path; }
    // What LaunchMidiHelp runs when the user says there is a help file; Run() by default.
    void SetPreferencesRunner(std::function<void()> runner) { m_runPreferences = std::move(runner); }

    void setVisible(bool visible) override;

public slots:
    void accept() override;
    void reject() override;
    // The Apply button: as OK, but the dialog stays open.
    void Apply();

signals:
    // The settings were written after OK or Apply: reload the background picture and refresh
    // the tabbed dump views, so HideBlanks takes effect at once.
    void SettingsApplied();

private:
    void BuildControls();
    void FillControls();
    void ReadControls();
    void Commit();
    void BrowseBackground();
    void BrowseHelpFile();
    void TestHelp();
    void OpenBackupFolder();

    Prompter& m_prompter;
    std::unique_ptr<Settings> m_settings;
    FileChooser m_chooseFile;
    UrlOpener m_openUrl;
    std::function<void()> m_runPreferences;

    QCheckBox* m_promptBeforeDownload = nullptr;
    QCheckBox* m_deletePrompt = nullptr;
    QCheckBox* m_configEditPrompt = nullptr;
    QComboBox* m_midiInput = nullptr;
    QComboBox* m_midiOutput = nullptr;
    QComboBox* m_bufferSize = nullptr;
    QComboBox* m_delay = nullptr;
    QCheckBox* m_hideBlanks = nullptr;
    QCheckBox* m_recycleFiles = nullptr;
    QCheckBox* m_displayComments = nullptr;
    QCheckBox* m_reloadLastFile = nullptr;
    QComboBox* m_background = nullptr;
    QPushButton* m_browseBackground = nullptr;
    QCheckBox* m_exportTabDelimited = nullptr;
    QCheckBox* m_exportMixedCase = nullptr;
    QLineEdit* m_helpFile = nullptr;
    QPushButton* m_browseHelpFile = nullptr;
    QLineEdit* m_helpKeyword = nullptr;
    QPushButton* m_testHelp = nullptr;
    QCheckBox* m_keepBackups = nullptr;
    QSpinBox* m_backupsToKeep = nullptr;
    QPushButton* m_openBackupFolder = nullptr;
    QString m_backupFolder;
};
