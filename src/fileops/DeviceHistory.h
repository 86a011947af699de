#pragma once

#include "fileops/BackupFolder.h"

#include <QDateTime>
#include <QString>

#include <vector>

// What the backups folder tells of the device: every backup, newest first, with its kind, what it
// holds and how many records changed since the backup before it. The changes come from the same
// comparison as the command-line diff, counted once per record; they are counted against the
// nearest earlier backup that reads, so one damaged file does not hide what changed across it.
//
// Reads the whole folder once, when constructed, holding at most two dumps at a time. A file that
// does not read as a dump is listed as such. Never throws; Qt Core only, any one thread at a time.
class DeviceHistory {
public:
    struct Entry {
        QString path;
        QString name;
        BackupFolder::Kind kind = BackupFolder::Kind::Download;
        QDateTime time; // UTC
        bool readable = false;
        QString problem; // why it does not read
        int patches = 0;
        int banks = 0;
        // The index in Entries() of the backup the changes are counted against; -1 for none.
        int previous = -1;
        int changedPatches = 0;
        int changedBanks = 0;
        int changedSets = 0;
        bool configurationChanged = false;
        bool headerChanged = false;

        // "2026-03-14 20:15:02", in local time.
        QString TimeText() const;
        // "Download" or "Upload".
        QString KindText() const;
        // "120 patches, 30 banks", or "does not read as a dump: " and the reason.
        QString ContentsText() const;
        // "3 patches, 1 bank changed", "no changes", "no backup before it", or nothing for a
        // backup that does not read.
        QString ChangesText() const;
    };

    explicit DeviceHistory(const BackupFolder& folder);

    const QString& Path() const { return m_path; }
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    QString m_path;
    std::vector<Entry> m_entries;
};
