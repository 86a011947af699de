#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The folder that keeps a copy of every download: one file per download, named after the local
// time it arrived ("2026-03-14_201502.syx", then "2026-03-14_201502-2.syx" for a second one in
// the same second), the oldest removed beyond a number to keep. Files of other names in the
// folder are never touched.
class BackupFolder {
public:
    // "backups" under the application's data location.
    static QString DefaultPath();

    explicit BackupFolder(QString path = DefaultPath());

    const QString& Path() const { return m_path; }

    // Writes `bytes` as a new backup taken at `when`, creating the folder first, then removes
    // the oldest backups beyond `keep` (at least 1). Returns the path written; on a failure
    // an empty text, with `error` saying why.
    QString Write(const std::vector<uint8_t>& bytes, const QDateTime& when, int keep, QString& error) const;

    // The backups in the folder, oldest first, as file names.
    QStringList Backups() const;
    // Removes the oldest backups until at most `keep` are left.
    void Prune(int keep) const;

private:
    QString m_path;
};
