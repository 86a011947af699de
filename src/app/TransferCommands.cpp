#include "app/TransferCommands.h"

#include "app/AppSeams.h"
#include "app/DocumentFlows.h"
#include "app/SessionList.h"
#include "app/ToolbarIcons.h"
#include "dump/DumpErrors.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "midi/dialogs/DMidiXmit.h"
#include "settings/Settings.h"
#include "views/DocumentSession.h"

#include <QDateTime>
#include <QLocale>

namespace {
constexpr const char* kAppTitle = "Tolvane";

std::string UploadCheckQuestion(int code) {
    return "The dump failed my data integrity check (" + std::to_string(code) + ": " + DumpErrorText(code) +
           "). Upload it anyway?";
}
} // namespace

TransferCommands::TransferCommands(SessionList& sessions, DocumentFlows& flows, Settings& settings,
                                   Prompter& prompter, AppSeams& seams, QString backupDir, QObject* parent)
    : CommandGroup(parent), m_sessions(sessions), m_flows(flows), m_settings(settings), m_prompter(prompter),
      m_seams(seams), m_backupDir(std::move(backupDir)) {
    add(IdDownload, QStringLiteral("&Download from ZIV10"),
        QStringLiteral("Download data from the ZIV10\nDownload from ZIV10 (Ctrl+D)"),
        &TransferCommands::onDownload, QKeySequence(QStringLiteral("Ctrl+D")))
        ->setIcon(ToolbarIcons::Download());
    add(IdUpload, QStringLiteral("&Upload to ZIV10"),
        QStringLiteral("Upload the active document to the ZIV10\nUpload to ZIV10 (Ctrl+U)"),
        &TransferCommands::onUpload, QKeySequence(QStringLiteral("Ctrl+U")))
        ->setIcon(ToolbarIcons::Upload());
}

DMidiXmit* TransferCommands::ActiveDownload() const {
    return m_download.data();
}

void TransferCommands::updateStates() {
    action(IdDownload)->setEnabled(!m_download);
    action(IdUpload)->setEnabled(m_sessions.active() != nullptr);
}

void TransferCommands::onDownload() {
    if (m_download)
        return;
    DMidiXmit dialog(m_settings.Transfer(), m_prompter, m_seams.dialogParent);
    m_download = &dialog;
    connect(&dialog, &DMidiXmit::dumpArrived, this, &TransferCommands::BackUpDownload);
    // The document is made while the dialog still exists, as soon as the dump is accepted.
    connect(&dialog, &DMidiXmit::dumpReceived, this, [this, &dialog] {
        if (dialog.MakeDocument())
            m_flows.OpenReceived(dialog.ReceivedBytes());
    });
    emit statesNeeded();
    dialog.exec();
    m_download = nullptr;
}

QString TransferCommands::BackUpDownload(const std::vector<uint8_t>& bytes) {
    return BackUp(bytes, BackupFolder::Kind::Download, kBackupFailedText);
}

QString TransferCommands::BackUp(const std::vector<uint8_t>& bytes, BackupFolder::Kind kind,
                                 const char* failedText) {
    // One setting keeps both kinds, so the folder stays a full record of the device.
    if (!m_settings.KeepDownloadBackups())
        return {};
    QString error;
    const QString path =
        BackupFolder(m_backupDir)
            .Write(bytes, kind, QDateTime::currentDateTime(), m_settings.BackupsToKeep(), error);
    if (path.isEmpty())
        m_prompter.Message(failedText + error.toStdString() + ".", kAppTitle, Prompter::Icon::Exclamation);
    return path;
}

void TransferCommands::onUpload() {
    if (DocumentSession* session = m_sessions.active())
        Upload(*session);
}

void TransferCommands::Upload(DocumentSession& session) {
    if (!m_flows.FinishConfigEdits(session))
        return;
    SystemDoc& doc = session.doc();
    // A dump that fails the check would leave the device holding corrupt data.
    const int code = doc.CheckIntegrity();
    if (code != DumpOk &&
        !m_prompter.AskYesNoDefaultNo(UploadCheckQuestion(code), kAppTitle, Prompter::Icon::Exclamation))
        return;
    const std::vector<uint8_t> image = doc.BuildImage();
    DMidiXmit dialog(image, m_settings.Transfer(), m_prompter, m_seams.dialogParent);
    const bool sent = dialog.exec() == QDialog::Accepted;
    if (dialog.ErrorFlag()) {
        m_prompter.Message(kUploadErrorText, kAppTitle, Prompter::Icon::Exclamation);
        return;
    }
    if (!sent) // aborted
        return;
    BackUp(image, BackupFolder::Kind::Upload, kUploadBackupFailedText);
    emit statusMessage(QStringLiteral("Upload complete: %1 bytes")
                           .arg(QLocale(QLocale::English).toString(static_cast<qlonglong>(image.size()))));
}
