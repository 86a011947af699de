#pragma once

#include "app/CommandGroup.h"
#include "app/CommandIds.h"

#include "dump/SystemDoc.h"

#include <QPointer>
#include <QString>

struct AppSeams;
class DeviceHistoryWindow;
class DocumentFlows;
class FileOps;
class Prompter;
class QMenu;
class SessionList;
class Settings;

// The File menu: New, Open, Open Backup, Device History, Close, Save, Save As, Compare With, the four
// exports, Preferences, the recent files and Exit.
class FileCommands : public CommandGroup, private CommandIds {
    Q_OBJECT
public:
    FileCommands(SessionList& sessions, DocumentFlows& flows, Settings& settings, Prompter& prompter,
                 FileOps& files, AppSeams& seams, QString backupDir, QObject* parent = nullptr);

    void updateStates() override;

    // One entry per recent file ("&1 path"), made for `menu`.
    void addRecentFiles(QMenu* menu);
    // The title a backup opened as a copy carries.
    static QString BackupTitle(const QString& path);

    // The table and XML exports of the active document, with the export settings; the status bar
    // names what was written.
    void Export(ExportKind kind);

    // The device's history, while its window is open.
    DeviceHistoryWindow* HistoryWindow() const;

signals:
    void exitRequested();

private:
    void onNew();
    void onOpen();
    void onOpenBackup();
    void onDeviceHistory();
    void onClose();
    void onSave();
    void onSaveAs();
    void onCompareWith();
    void onExportXml() { Export(ExportKind::Xml); }
    void onExportBankTable() { Export(ExportKind::BankTable); }
    void onExportBankLayout() { Export(ExportKind::BankLayout); }
    void onExportPatchTable() { Export(ExportKind::PatchTable); }
    void onPreferences();
    void onExit() { emit exitRequested(); }
    QString dumpFilter() const;

    SessionList& m_sessions;
    DocumentFlows& m_flows;
    Settings& m_settings;
    Prompter& m_prompter;
    FileOps& m_files;
    AppSeams& m_seams;
    QString m_backupDir;
    QPointer<DeviceHistoryWindow> m_history;
};
