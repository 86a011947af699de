#include "app/FileCommands.h"

#include "app/AppSeams.h"
#include "app/CMDIClientWnd.h"
#include "app/DocumentFlows.h"
#include "app/SessionList.h"
#include "app/ToolbarIcons.h"
#include "dump/DumpComparison.h"
#include "dump/DumpFileFlow.h"
#include "dump/Prompter.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/DeviceHistoryWindow.h"
#include "views/DifferencesWindow.h"
#include "views/DocumentSession.h"
#include "views/PropSheetFormView.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

FileCommands::FileCommands(SessionList& sessions, DocumentFlows& flows, Settings& settings,
                           Prompter& prompter, FileOps& files, AppSeams& seams, QString backupDir,
                           QObject* parent)
    : CommandGroup(parent), m_sessions(sessions), m_flows(flows), m_settings(settings), m_prompter(prompter),
      m_files(files), m_seams(seams), m_backupDir(std::move(backupDir)) {
    add(IdFileNew, QStringLiteral("&New"), QStringLiteral("Create a new document\nNew (Ctrl+N)"),
        &FileCommands::onNew, QKeySequence(QStringLiteral("Ctrl+N")))
        ->setIcon(ToolbarIcons::New());
    add(IdFileOpen, QStringLiteral("&Open..."), QStringLiteral("Open an existing document\nOpen (Ctrl+O)"),
        &FileCommands::onOpen, QKeySequence(QStringLiteral("Ctrl+O")))
        ->setIcon(ToolbarIcons::Open());
    add(IdFileClose, QStringLiteral("&Close"), QStringLiteral("Close the active document\nClose"),
        &FileCommands::onClose);
    add(IdFileSave, QStringLiteral("&Save"), QStringLiteral("Save the active document\nSave (Ctrl+S)"),
        &FileCommands::onSave, QKeySequence(QStringLiteral("Ctrl+S")))
        ->setIcon(ToolbarIcons::Save());
    add(IdFileSaveAs, QStringLiteral("Save &As..."),
        QStringLiteral("Save the active document with a new name\nSave As (Ctrl+A)"), &FileCommands::onSaveAs,
        QKeySequence(QStringLiteral("Ctrl+A")));
    add(IdExportXml, QStringLiteral("Export to X&ML"),
        QStringLiteral("Write the patches and banks as an XML settings file\nExport to XML"),
        &FileCommands::onExportXml);
    add(IdExportBankTable, QStringLiteral("Export &Bank Table"),
        QStringLiteral("Write a table of the banks beside the document\nExport Bank Table"),
        &FileCommands::onExportBankTable);
    add(IdExportBankLayout, QStringLiteral("Export Bank &Layout"),
        QStringLiteral("Write the banks in the foot switch layout beside the document\nExport Bank Layout"),
        &FileCommands::onExportBankLayout);
    add(IdExportPatchTable, QStringLiteral("&Export Patch Table"),
        QStringLiteral("Write a table of the patches beside the document\nExport Patch Table"),
        &FileCommands::onExportPatchTable);
    add(IdCompareWith, QStringLiteral("Compare &With..."),
        QStringLiteral("List what differs between the active document and a dump file\nCompare With"),
        &FileCommands::onCompareWith);
    add(IdOpenBackup, QStringLiteral("Open Bac&kup..."),
        QStringLiteral("Open one of the copies kept of every download\nOpen Backup"),
        &FileCommands::onOpenBackup);
    add(IdDeviceHistory, QStringLiteral("Device &History..."),
        QStringLiteral("List every download and upload kept in the backups, newest first\nDevice History"),
        &FileCommands::onDeviceHistory);
    add(IdPreferences, QStringLiteral("&Preferences"),
        QStringLiteral("Change the MIDI ports and the program's settings\nPreferences"),
        &FileCommands::onPreferences)
        ->setIcon(ToolbarIcons::Preferences());
    add(IdAppExit, QStringLiteral("E&xit"),
        QStringLiteral("Quit the application; prompts to save documents\nExit"), &FileCommands::onExit)
        ->setMenuRole(QAction::QuitRole);
}

void FileCommands::updateStates() {
    const bool document = m_sessions.active() != nullptr;
    for (int id : {IdFileClose, IdFileSave, IdFileSaveAs, IdExportXml, IdExportBankTable, IdExportBankLayout,
                   IdExportPatchTable})
        action(id)->setEnabled(document);
    action(IdCompareWith)->setEnabled(m_sessions.activeDataView() != nullptr);
}

QString FileCommands::dumpFilter() const {
    return m_sessions.docTemplate(DocTemplate::Kind::SystemDump).fileFilter() +
           QStringLiteral(";;All Files (*)");
}

void FileCommands::addRecentFiles(QMenu* menu) {
    const QStringList recent = m_settings.RecentFiles().Entries();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent.at(i);
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        item->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
        item->setStatusTip(QStringLiteral("Open this document"));
        connect(item, &QAction::triggered, this, [this, path] {
            // An entry that does not open any more leaves the list.
            if (!m_flows.Open(path) && m_settings.RecentFiles().Remove(path))
                m_settings.SaveRecentFiles();
            emit statesNeeded();
        });
    }
}

void FileCommands::onNew() {
    m_flows.New();
}

void FileCommands::onOpen() {
    const QString path = m_seams.chooseOpen(m_seams.dialogParent, QStringLiteral("Open"),
                                            m_settings.LastFolder(), dumpFilter());
    if (!path.isEmpty())
        m_flows.Open(path);
}

QString FileCommands::BackupTitle(const QString& path) {
    return QStringLiteral("Backup ") + QFileInfo(path).completeBaseName();
}

void FileCommands::onOpenBackup() {
    // As a copy: saving it asks for a place, so nothing is ever written into the backups.
    const QString path =
        m_seams.chooseOpen(m_seams.dialogParent, QStringLiteral("Open Backup"), m_backupDir, dumpFilter());
    if (!path.isEmpty())
        m_flows.OpenCopy(path, BackupTitle(path));
}

DeviceHistoryWindow* FileCommands::HistoryWindow() const {
    return m_history.data();
}

void FileCommands::onDeviceHistory() {
    if (m_history) {
        m_history->reload();
    } else {
        m_history = new DeviceHistoryWindow(m_backupDir, m_seams.dialogParent);
        // The main window's current document, also while the history window has the focus.
        m_history->setActiveView([this]() -> PropSheetFormView* {
            auto* frame = qobject_cast<CChildFrame*>(m_sessions.area().currentSubWindow());
            return frame ? qobject_cast<PropSheetFormView*>(frame->widget()) : nullptr;
        });
        // As a copy, so that saving it never writes into the backups.
        connect(m_history.data(), &DeviceHistoryWindow::openRequested, this, [this](const QString& path) {
            if (m_flows.OpenCopy(path, BackupTitle(path)) && m_seams.dialogParent)
                m_seams.dialogParent->activateWindow();
        });
    }
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void FileCommands::onClose() {
    if (DocumentSession* session = m_sessions.active())
        m_flows.Close(*session, true);
}

void FileCommands::onSave() {
    if (DocumentSession* session = m_sessions.active())
        m_flows.Save(*session, false);
}

void FileCommands::onSaveAs() {
    if (DocumentSession* session = m_sessions.active())
        m_flows.Save(*session, true);
}

void FileCommands::onPreferences() {
    m_seams.runPreferences();
}

void FileCommands::Export(ExportKind kind) {
    DocumentSession* session = m_sessions.active();
    if (!session || !m_flows.FinishConfigEdits(*session))
        return;
    ExportOptions options;
    options.tabDelimited = m_settings.ExportTabDelimited();
    options.mixedCase = m_settings.ExportMixedCase();
    options.outputDevice = m_settings.MidiOutputDevice();
    std::string error;
    const std::string written = session->doc().Export(kind, options, m_files, &error);
    if (!written.empty())
        emit statusMessage(
            QStringLiteral("Wrote %1").arg(QDir::toNativeSeparators(QString::fromStdString(written))));
    else
        emit statusMessage(
            QStringLiteral("Could not write %1: %2")
                .arg(QDir::toNativeSeparators(QString::fromStdString(session->doc().ExportPath(kind))),
                     QString::fromStdString(error)));
}

void FileCommands::onCompareWith() {
    DocumentSession* session = m_sessions.active();
    PropSheetFormView* view = m_sessions.activeDataView();
    if (!session || !view)
        return;
    const QString path =
        m_seams.chooseOpen(m_seams.dialogParent, QStringLiteral("Compare With"), QString(), dumpFilter());
    if (path.isEmpty())
        return;
    // The other dump as it reads, without questions: a damaged one is worth comparing too.
    SystemDoc other;
    std::string error;
    if (OpenDumpFile(other, QDir::toNativeSeparators(path).toStdString(), m_files, m_prompter, false, nullptr,
                     &error) != OpenResult::Opened) {
        std::string text = DocumentFlows::kOpenFailedText;
        if (!error.empty())
            text += "\n" + error;
        m_prompter.Message(text, "Tolvane", Prompter::Icon::Exclamation);
        return;
    }
    QString description =
        QStringLiteral("First: %1, second: %2").arg(session->title(), QFileInfo(path).fileName());
    description.replace(QLatin1Char('&'), QStringLiteral("&&"));
    auto* window = new DifferencesWindow(*view, DumpComparison(session->doc(), other), description,
                                         m_seams.dialogParent);
    window->show();
    window->raise();
    window->activateWindow();
}
