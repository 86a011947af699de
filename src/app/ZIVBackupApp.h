#pragma once

#include "app/AppSeams.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CMDIClientWnd;
class CMainFrame;
class DOptions;
class DocumentFlows;
class DocumentSession;
class EditCommands;
class FileCommands;
class FileOps;
class HelpCommands;
class HexSettingsAdapter;
class PrintCommands;
class Prompter;
class SessionList;
class SessionRecovery;
class Settings;
class SystemDoc;
class TransferCommands;
class WindowCommands;

// The editor's application object: starts the MIDI port layer, holds the settings (through the
// preferences dialog that owns them), the open documents (SessionList) and the groups of
// commands, makes the main window from them, and decides what opens at start-up.
//
// User-interface thread only. One instance per run.
class ZIVBackupApp : public QObject {
    Q_OBJECT
public:
    struct Options {
        // Empty: the user's own settings store; otherwise an INI file (tests, portable use).
        QString iniPath;
        // Where the help page, the calculator and the default MIDI help file are looked for;
        // empty: the executable's directory.
        QString programDir;
        // Message boxes; null: real ones, parented to the main window.
        Prompter* prompter = nullptr;
        // False when the caller has started the MIDI port layer itself and stops it.
        bool startMidi = true;
        // Where downloads are backed up; empty: "backups" under the application's data folder.
        QString backupDir;
        // Where the unsaved changes are kept; empty: "recovery" under the application's data
        // folder.
        QString recoveryDir;
    };

    static constexpr const char* kAppTitle = "Tolvane";

    using FileChooser = AppSeams::FileChooser;
    using UrlOpener = AppSeams::UrlOpener;
    using SaveChangesAsker = AppSeams::Asker;
    using DialogRunner = AppSeams::DialogRunner;
    using RecoveryRunner = AppSeams::RecoveryRunner;

    ZIVBackupApp();
    explicit ZIVBackupApp(Options options);
    ~ZIVBackupApp() override;

    // Start-up, in order: MIDI layer, settings, templates, main window, the unsaved changes left by
    // an editor that did not close, the document to open (command line, else the last file),
    // background picture, show, first-run preferences.
    // False when the program cannot run; the reason has been shown.
    bool InitInstance(const QStringList& arguments);
    // Stops the MIDI layer; the settings are written when the object goes, and the recovery files
    // removed if the start had succeeded (otherwise they stay for the next start).
    int ExitInstance();

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    DOptions& Preferences() const { return *m_options; }
    Settings& AppSettings() const;
    Prompter& AppPrompter() const { return *m_prompter; }
    const QString& ProgramDir() const { return m_programDir; }
    QString BackupDir() const;
    QString RecoveryDir() const;

    SessionList& Sessions() const { return *m_sessions; }
    DocumentFlows& Flows() const { return *m_flows; }
    FileCommands& FileCommandGroup() const { return *m_fileCommands; }
    TransferCommands& TransferCommandGroup() const { return *m_transferCommands; }
    HelpCommands& HelpCommandGroup() const { return *m_helpCommands; }
    SessionRecovery& Recovery() const { return *m_recovery; }

    // The open documents, oldest first.
    std::vector<SystemDoc*> Documents() const;
    bool IsOpen(const SystemDoc* doc) const;
    // The documents' life, as the commands run it.
    SystemDoc* OnFileNew();
    SystemDoc* OpenDocumentFile(const QString& path);
    bool SaveDocument(SystemDoc& doc, bool saveAs);
    bool CloseDocument(SystemDoc& doc, bool ask);

    // After OK or Apply in the preferences: the background picture, the data windows.
    void ApplySettings();
    // Loads (or clears) the background; false when a set picture could not be loaded.
    bool LoadBackground();

    // Seams: tests replace the platform dialogs and the desktop.
    void SetFileChooser(FileChooser open, FileChooser save);
    void SetUrlOpener(UrlOpener opener) { m_seams.openUrl = std::move(opener); }
    void SetSaveChangesAsker(SaveChangesAsker asker) { m_seams.askSaveChanges = std::move(asker); }
    // "Apply the changes to the system configuration?": Yes, No or Cancel.
    void SetApplyConfigAsker(SaveChangesAsker asker) { m_seams.askApplyConfig = std::move(asker); }
    // How the preferences and the about box are run (modally by default).
    void SetPreferencesRunner(DialogRunner runner) { m_seams.runPreferences = std::move(runner); }
    void SetAboutRunner(DialogRunner runner) { m_seams.runAbout = std::move(runner); }
    // How the print dialog and the print preview are run (exec() by default).
    void SetDialogRunner(std::function<int(QDialog&)> runner) { m_seams.execDialog = std::move(runner); }
    // How the question about unsaved changes at start is run (modally by default).
    void SetRecoveryRunner(RecoveryRunner runner) { m_seams.runRecovery = std::move(runner); }

    // True when start-up tried to reopen the most recent file.
    bool ReloadAttempted() const { return m_reloadAttempted; }

private:
    bool StartMidi();
    void CreateCommands();
    void RegisterTemplates();
    // Asks about the unsaved changes an editor that did not close left, and reopens them.
    void RecoverUnsaved();
    // Step 7-8 of start-up: false when the program must end.
    bool ProcessCommandLine(const QStringList& arguments);
    DocumentSession* SessionOf(const SystemDoc& doc) const;

    Options m_optionsIn;
    QString m_programDir;
    AppSeams m_seams;
    std::unique_ptr<Prompter> m_ownPrompter;
    Prompter* m_prompter = nullptr;
    std::unique_ptr<FileOps> m_files;
    std::unique_ptr<DOptions> m_options;
    std::unique_ptr<HexSettingsAdapter> m_hexSettings;
    CMDIClientWnd* m_client = nullptr; // owned by the main window
    std::unique_ptr<SessionList> m_sessions;
    std::unique_ptr<SessionRecovery> m_recovery;
    std::unique_ptr<DocumentFlows> m_flows;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<TransferCommands> m_transferCommands;
    std::unique_ptr<WindowCommands> m_windowCommands;
    std::unique_ptr<PrintCommands> m_printCommands;
    std::unique_ptr<HelpCommands> m_helpCommands;
    std::unique_ptr<CMainFrame> m_mainFrame;
    bool m_midiStarted = false;
    bool m_reloadAttempted = false;
    // InitInstance succeeded: the end is a normal exit.
    bool m_started = false;
};
