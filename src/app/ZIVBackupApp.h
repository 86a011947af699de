#pragma once

#include "app/DocTemplate.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CChildFrame;
class CMainFrame;
class DOptions;
class DocUndoStack;
class DMidiXmit;
class FileOps;
class Prompter;
class Settings;
class SystemDoc;
class UpdateCheck;

// The editor's application object: starts the MIDI port layer, holds the settings (through the
// preferences dialog that owns them), the two document templates and every open document, makes
// the main window, decides what opens at start-up, and carries out the application's commands:
// new, open, save, close, download, upload, preferences, help, website, about, update check.
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
    };

    static constexpr const char* kAppTitle = "Tolvane";
    static constexpr const char* kUploadErrorText = "An error occurred during the upload.";
    static constexpr const char* kOpenFailedText = "Failed to open document.";
    static constexpr const char* kSaveFailedText = "Failed to save document.";
    static constexpr const char* kHelpFailedText = "Not able to launch the help file.";
    static constexpr const char* kHelpFileName = "Tolvane.htm";
    static constexpr const char* kApplyConfigText = "Apply the changes to the system configuration?";
    static constexpr const char* kBackupFailedText = "The download could not be backed up: ";

    using FileChooser = std::function<QString(QWidget* parent, const QString& title, const QString& startPath,
                                              const QString& filter)>;
    using UrlOpener = std::function<bool(const QUrl&)>;
    // "Save changes to ...?": Yes, No or Cancel.
    using SaveChangesAsker = std::function<QMessageBox::StandardButton(const QString& text)>;
    using DialogRunner = std::function<void()>;

    ZIVBackupApp();
    explicit ZIVBackupApp(Options options);
    ~ZIVBackupApp() override;

    // Start-up, in order: MIDI layer, settings, templates, main window, the document to open
    // (command line, else the last file), background picture, show, first-run preferences.
    // False when the program cannot run; the reason has been shown.
    bool InitInstance(const QStringList& arguments);
    // Stops the MIDI layer; the settings are written when the object goes.
    int ExitInstance();

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    DOptions& Preferences() const { return *m_options; }
    Settings& AppSettings() const;
    Prompter& AppPrompter() const { return *m_prompter; }
    FileOps& Files() const { return *m_files; }
    const QString& ProgramDir() const { return m_programDir; }
    DocTemplate& SystemDumpTemplate() const { return *m_systemTemplate; }
    DocTemplate& HexDumpTemplate() const { return *m_hexTemplate; }

    // Open documents, oldest first.
    std::vector<SystemDoc*> Documents() const;
    bool IsOpen(const SystemDoc* doc) const;

    // New: an untitled empty dump in a new data window, refreshed.
    SystemDoc* OnFileNew();
    // Open: the file dialog, then OpenDocumentFile.
    void OnFileOpen();
    // Opens a file as a document (or brings forward the one already showing it). Messages go
    // through the prompter; null when nothing opened.
    SystemDoc* OpenDocumentFile(const QString& path);
    // Save (saveAs false; an untitled document asks for a name) and Save As. True when written.
    bool SaveDocument(SystemDoc& doc, bool saveAs);
    // Offers to save a modified document: false when the user cancels or the save fails.
    bool SaveModified(SystemDoc& doc);
    // Closes every window of the document; with `ask`, a modified one is offered for saving first.
    bool CloseDocument(SystemDoc& doc, bool ask);
    // Close all: every document; with `ask`, each modified one is offered for saving.
    bool CloseAllDocuments(bool ask);
    // A new window on the document from the given template.
    CChildFrame* OpenWindow(SystemDoc& doc, DocTemplate::Kind kind);

    // Download (from the device into a new, modified document) and upload of a document.
    void OnDownload();
    void OnUpload(SystemDoc& doc);
    // A received dump becomes a new, modified, untitled document.
    SystemDoc* OpenReceivedDump(const std::vector<uint8_t>& bytes);
    // Writes a download's bytes to the backup folder when the settings ask for it; a failure is
    // a warning that names the reason. The path written, or empty.
    QString BackUpDownload(const std::vector<uint8_t>& bytes);
    QString BackupDir() const;
    // Open Backup: the file dialog in the backup folder, then OpenDocumentFile.
    void OnOpenBackup();
    // Compare With: chooses a dump file and shows what differs from the document in a
    // Differences window beside its data window.
    void OnCompareWith(SystemDoc& doc);
    // The table and XML exports of a document, with the export settings.
    void OnExport(SystemDoc& doc, int command);

    void OnPreferences();
    void OnHelp();
    void OnWebsite();
    void OnAbout();
    void OnCheckForUpdate();
    UpdateCheck* UpdateChecker() const { return m_updateCheck.get(); }

    // After OK or Apply in the preferences: the background picture, the data windows.
    void ApplySettings();
    // Loads (or clears) the background; false when a set picture could not be loaded.
    bool LoadBackground();

    // Seams: tests replace the platform dialogs and the desktop.
    void SetFileChooser(FileChooser open, FileChooser save);
    void SetUrlOpener(UrlOpener opener);
    void SetSaveChangesAsker(SaveChangesAsker asker) { m_askSaveChanges = std::move(asker); }
    // "Apply the changes to the system configuration?": Yes, No or Cancel.
    void SetApplyConfigAsker(SaveChangesAsker asker) { m_askApplyConfig = std::move(asker); }
    // How the preferences and the about box are run (modally by default).
    void SetPreferencesRunner(DialogRunner runner) { m_runPreferences = std::move(runner); }
    void SetAboutRunner(DialogRunner runner) { m_runAbout = std::move(runner); }

    // True when start-up tried to reopen the most recent file.
    bool ReloadAttempted() const { return m_reloadAttempted; }
    // The transfer dialog while a download runs.
    DMidiXmit* ActiveDownload() const;

    // The document's undo stack; null for a document this program does not hold.
    DocUndoStack* UndoStack(const SystemDoc& doc) const;

signals:
    // A document was opened, created, closed or renamed (the recent list may have changed).
    void documentsChanged();

private:
    bool StartMidi();
    void RegisterTemplates();
    bool CreateMainFrame();
    // Step 7-8 of start-up: false when the program must end.
    bool ProcessCommandLine(const QStringList& arguments);
    SystemDoc* AddDocument(std::unique_ptr<SystemDoc> doc);
    void AddToRecentFiles(const QString& path);
    void ReapClosedDocuments();
    CChildFrame* FirstFrameOf(const SystemDoc& doc) const;
    bool CanCloseFrame(CChildFrame& frame);
    // A configuration page of the frame still in edit mode is asked about: Yes applies it (false
    // when its checks fail), No discards it, Cancel stops the command (false).
    bool FinishConfigEdit(CChildFrame& frame);
    // The same for every window of the document.
    bool FinishConfigEdits(const SystemDoc& doc);
    void RefreshDataViews();
    // The repair of the transmit length at open becomes a step that undo takes back to the
    // file as it is on disk.
    void RecordOpenRepair(SystemDoc& doc, const QString& path);

    Options m_optionsIn;
    QString m_programDir;
    std::unique_ptr<Prompter> m_ownPrompter;
    Prompter* m_prompter = nullptr;
    std::unique_ptr<FileOps> m_files;
    std::unique_ptr<DOptions> m_options;
    std::unique_ptr<DocTemplate> m_systemTemplate;
    std::unique_ptr<DocTemplate> m_hexTemplate;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::vector<std::unique_ptr<SystemDoc>> m_documents;
    std::map<const SystemDoc*, std::unique_ptr<DocUndoStack>> m_undoStacks;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    QPointer<DMidiXmit> m_download;
    FileChooser m_chooseOpen;
    FileChooser m_chooseSave;
    UrlOpener m_openUrl;
    SaveChangesAsker m_askSaveChanges;
    SaveChangesAsker m_askApplyConfig;
    DialogRunner m_runPreferences;
    DialogRunner m_runAbout;
    int m_untitledCount = 0;
    bool m_midiStarted = false;
    bool m_reloadAttempted = false;
    bool m_reapQueued = false;
};
