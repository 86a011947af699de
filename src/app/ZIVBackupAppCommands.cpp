// The application's commands beyond the documents themselves: transfers, exports, help,
// website, about box and the update check.

#include "app/ZIVBackupApp.h"

#include "app/CMainFrame.h"
#include "app/DOptions.h"
#include "app/UpdateCheck.h"
#include "dump/DumpComparison.h"
#include "dump/DumpFileFlow.h"
#include "dump/FileOps.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "fileops/BackupFolder.h"
#include "midi/dialogs/DMidiXmit.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/DifferencesWindow.h"
#include "views/PropSheetFormView.h"
#include "widgets/DocUndoStack.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {
std::string UploadCheckQuestion(int code) {
    return "The dump failed my data integrity check (" + std::to_string(code) + ": " + DumpErrorText(code) +
           "). Upload it anyway?";
}
} // namespace

DMidiXmit* ZIVBackupApp::ActiveDownload() const {
    return m_download.data();
}

void ZIVBackupApp::OnDownload() {
    if (m_download)
        return;
    DMidiXmit dialog(AppSettings().Transfer(), *m_prompter, m_mainFrame.get());
    m_download = &dialog;
    connect(&dialog, &DMidiXmit::dumpArrived, this, &ZIVBackupApp::BackUpDownload);
    // The document is made while the dialog still exists, as soon as the dump is accepted.
    connect(&dialog, &DMidiXmit::dumpReceived, this, [this, &dialog] {
        if (dialog.MakeDocument())
            OpenReceivedDump(dialog.ReceivedBytes());
    });
    dialog.exec();
    m_download = nullptr;
}

SystemDoc* ZIVBackupApp::OpenReceivedDump(const std::vector<uint8_t>& bytes) {
    auto created = std::make_unique<SystemDoc>(AppSettings().MidiChannel());
    SystemDoc* doc = AddDocument(std::move(created));
    doc->OnNewDocument();
    doc->SetTitle(m_systemTemplate->untitledTitle(++m_untitledCount).toStdString());
    doc->ParseDump(bytes);
    doc->SetModifiedFlag(true);
    // Nothing on the stack matches a file until the dump is saved.
    if (DocUndoStack* stack = UndoStack(*doc))
        stack->markUnsaved();
    CChildFrame* frame = OpenWindow(*doc, DocTemplate::Kind::SystemDump);
    if (auto* view = qobject_cast<PropSheetFormView*>(frame->widget()))
        view->requestRefresh();
    return doc;
}

QString ZIVBackupApp::BackupDir() const {
    return m_optionsIn.backupDir.isEmpty() ? BackupFolder::DefaultPath() : m_optionsIn.backupDir;
}

QString ZIVBackupApp::BackUpDownload(const std::vector<uint8_t>& bytes) {
    const Settings& settings = AppSettings();
    if (!settings.KeepDownloadBackups())
        return {};
    QString error;
    const QString path =
        BackupFolder(BackupDir()).Write(bytes, QDateTime::currentDateTime(), settings.BackupsToKeep(), error);
    if (path.isEmpty())
        m_prompter->Message(kBackupFailedText + error.toStdString() + ".", kAppTitle,
                            Prompter::Icon::Exclamation);
    return path;
}

void ZIVBackupApp::OnOpenBackup() {
    const QString path = m_chooseOpen(m_mainFrame.get(), QStringLiteral("Open Backup"), BackupDir(),
                                      m_systemTemplate->fileFilter() + QStringLiteral(";;All Files (*)"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void ZIVBackupApp::OnCompareWith(SystemDoc& doc) {
    CChildFrame* frame = m_mainFrame->ActiveFrame();
    auto* view = frame ? qobject_cast<PropSheetFormView*>(frame->widget()) : nullptr;
    if (!view)
        return;
    const QString path = m_chooseOpen(m_mainFrame.get(), QStringLiteral("Compare With"), QString(),
                                      m_systemTemplate->fileFilter() + QStringLiteral(";;All Files (*)"));
    if (path.isEmpty())
        return;
    // The other dump as it reads, without questions: a damaged one is worth comparing too.
    SystemDoc other;
    std::string error;
    if (OpenDumpFile(other, QDir::toNativeSeparators(path).toStdString(), *m_files, *m_prompter, false,
                     nullptr, &error) != OpenResult::Opened) {
        std::string text = kOpenFailedText;
        if (!error.empty())
            text += "\n" + error;
        m_prompter->Message(text, kAppTitle, Prompter::Icon::Exclamation);
        return;
    }
    QString description = QStringLiteral("First: %1, second: %2")
                              .arg(QString::fromStdString(doc.GetTitle()), QFileInfo(path).fileName());
    description.replace(QLatin1Char('&'), QStringLiteral("&&"));
    auto* window = new DifferencesWindow(*view, DumpComparison(doc, other), description, m_mainFrame.get());
    window->show();
    window->raise();
    window->activateWindow();
}

void ZIVBackupApp::OnUpload(SystemDoc& doc) {
    if (!FinishConfigEdits(doc))
        return;
    // A dump that fails the check would leave the device holding corrupt data.
    const int code = doc.CheckIntegrity();
    if (code != DumpOk &&
        !m_prompter->AskYesNoDefaultNo(UploadCheckQuestion(code), kAppTitle, Prompter::Icon::Exclamation))
        return;
    DMidiXmit dialog(doc.BuildImage(), AppSettings().Transfer(), *m_prompter, m_mainFrame.get());
    dialog.exec();
    if (dialog.ErrorFlag())
        m_prompter->Message(kUploadErrorText, kAppTitle, Prompter::Icon::Exclamation);
}

void ZIVBackupApp::OnExport(SystemDoc& doc, int command) {
    if (!FinishConfigEdits(doc))
        return;
    const Settings& settings = AppSettings();
    ExportOptions options;
    options.tabDelimited = settings.ExportTabDelimited();
    options.mixedCase = settings.ExportMixedCase();
    options.outputDevice = settings.MidiOutputDevice();
    switch (command) {
    case CMainFrame::IdExportPatchTable:
        doc.ExportPatchTable(options);
        break;
    case CMainFrame::IdExportBankTable:
        doc.ExportBankTable(options);
        break;
    case CMainFrame::IdExportBankLayout:
        doc.ExportBankLayout(options);
        break;
    case CMainFrame::IdExportXml:
        doc.ExportXml(options);
        break;
    default:
        break;
    }
}

void ZIVBackupApp::OnHelp() {
    // Beside the program first (a build tree, a portable copy), then where an installation puts it.
    const QDir programDir(m_programDir);
    QString path = programDir.filePath(QString::fromLatin1(kHelpFileName));
    if (!QFileInfo(path).isFile())
        path = QDir::cleanPath(programDir.filePath(QString::fromUtf8(TOLVANE_HELP_FOLDER_FROM_PROGRAM) +
                                                   QLatin1Char('/') + QString::fromLatin1(kHelpFileName)));
    if (!QFileInfo(path).isFile() || !m_openUrl(QUrl::fromLocalFile(path)))
        m_prompter->Message(kHelpFailedText, kAppTitle, Prompter::Icon::Exclamation);
}

void ZIVBackupApp::OnWebsite() {
    // No message when the browser cannot be started.
    QString address = AppSettings().WebsiteAddress();
    if (!address.contains(QStringLiteral("://")))
        address.prepend(QStringLiteral("http://"));
    m_openUrl(QUrl(address));
}

void ZIVBackupApp::OnAbout() {
    m_runAbout();
}

void ZIVBackupApp::OnCheckForUpdate() {
    if (!m_updateCheck) {
        m_updateCheck = std::make_unique<UpdateCheck>(*m_prompter);
        m_updateCheck->SetUrlOpener([this](const QUrl& url) { return m_openUrl(url); });
    }
    const Settings& settings = AppSettings();
    UpdateCheck::Server server;
    server.hostname = settings.Hostname();
    server.versionFile = settings.VersionFile();
    server.downloadUrl = settings.DownloadUrl();
    m_updateCheck->Start(server);
}
