#pragma once

#include "app/CommandGroup.h"
#include "app/CommandIds.h"
#include "fileops/BackupFolder.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <vector>

struct AppSeams;
class DMidiXmit;
class DocumentFlows;
class DocumentSession;
class Prompter;
class SessionList;
class Settings;

// The MIDI Transfer menu: Download (from the device into a new document) and Upload (of the
// active document), with a backup of every download and of every completed upload.
class TransferCommands : public CommandGroup, private CommandIds {
    Q_OBJECT
public:
    static constexpr const char* kUploadErrorText = "An error occurred during the upload.";
    static constexpr const char* kBackupFailedText = "The download could not be backed up: ";
    static constexpr const char* kUploadBackupFailedText = "The upload could not be backed up: ";

    TransferCommands(SessionList& sessions, DocumentFlows& flows, Settings& settings, Prompter& prompter,
                     AppSeams& seams, QString backupDir, QObject* parent = nullptr);

    void updateStates() override;

    // The transfer dialog while a download runs.
    DMidiXmit* ActiveDownload() const;
    // Writes a download's bytes to the backup folder when the settings ask for it; a failure is
    // a warning that names the reason. The path written, or empty.
    QString BackUpDownload(const std::vector<uint8_t>& bytes);
    // Sends the active document; once the device has it all, the image sent is backed up the
    // same way.
    void Upload(DocumentSession& session);

private:
    QString BackUp(const std::vector<uint8_t>& bytes, BackupFolder::Kind kind, const char* failedText);
    void onDownload();
    void onUpload();

    SessionList& m_sessions;
    DocumentFlows& m_flows;
    Settings& m_settings;
    Prompter& m_prompter;
    AppSeams& m_seams;
    QString m_backupDir;
    QPointer<DMidiXmit> m_download;
};
