#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The folder that keeps a copy of every dump that came from the device or went to it, one file
// each, the oldest removed beyond a number to keep.
//
// Names carry the time in UTC and the kind: "2026-03-14_191502_download.syx",
// "2026-03-14_191502_upload.syx", and "2026-03-14_191502-2_download.syx" for a second one of the
// same kind in the same second. The kind word is what marks a UTC name. Folders written before
// uploads were kept hold names in local time without a kind ("2026-03-14_201502.syx",
// "2026-03-14_201502-2.syx"): those are downloads, and since a local time can repeat or jump
// (daylight saving, travel) they are ordered by their file time instead.
//
// Only files of those two forms, with a real date, count as backups: anything else in the folder
// is never listed, counted or removed. Pruning after a write never removes the file just written,
// even when the clock was set back and its name is the oldest.
class BackupFolder {
public:
    enum class Kind { Download, Upload };

    struct Backup {
        QString name;
        Kind kind = Kind::Download;
        // UTC: from the name, or the file time for a name in local time.
        QDateTime time;
        // Written before names carried UTC and the kind.
        bool localName = false;
    };

    // "backups" under the application's data location.
    static QString DefaultPath();

    explicit BackupFolder(QString path = DefaultPath());

    const QString& Path() const { return m_path; }

    // Writes `bytes` as a new backup of `kind` taken at `when` (any time zone), creating the
    // folder first, then removes the oldest other backups so that at most `keep` (at least 1)
    // are left, counting both kinds. Returns the path written; on a failure an empty text, with
    // `error` saying why.
    QString Write(const std::vector<uint8_t>& bytes, Kind kind, const QDateTime& when, int keep,
                  QString& error) const;
    // A download backup; kept for callers that do not name the kind yet.
    QString Write(const std::vector<uint8_t>& bytes, const QDateTime& when, int keep, QString& error) const {
        return Write(bytes, Kind::Download, when, keep, error);
    }

    // The backups in the folder, oldest first.
    std::vector<Backup> List() const;
    // The same, as file names.
    QStringList Backups() const;
    // Removes the oldest backups until at most `keep` (at least 1) are left; the file named
    // `spare`, if any, is never removed and counts as one of them.
    void Prune(int keep, const QString& spare = QString()) const;

private:
    QString m_path;
};
