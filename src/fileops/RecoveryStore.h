#pragma once

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class QLockFile;
class RecoveryWriter;

// The recovery folder: for each document with unsaved changes, its current dump image and beside
// it what brings it back, written while the document is open so that a crash or a power cut
// does not take the changes with it.
//
// Each running Tolvane owns its files through a lock of its own, "<instance>.lock", held by a
// QLockFile for as long as the store lives (the instance is a new UUID each start). An entry is
// two files named after the instance and a number: "<instance>_<n>.syx", the image, and
// "<instance>_<n>.json", its description: {"path": the file or null for an untitled download,
// "title": ..., "changed": the UTC time of the last change}. At start, the entries whose lock no
// running Tolvane holds (a lock left by a dead process is stale, and taking it over tells so) are
// claimed and offered; the lock stays taken while they are handled, so two instances starting
// together never both take them. An entry that does not read is renamed "damaged-<name>" and
// named, never deleted.
//
// Threads: create and call on the user-interface thread. Writes and removals are queued to a
// writer thread of the store's own (see RecoveryWriter); their results come back as signals on
// the store's thread. The start-up calls (Open, ClaimOrphans and the calls after it) read and
// rename on the calling thread: they run once, before any document is open.
class RecoveryStore : public QObject {
    Q_OBJECT
public:
    struct Description {
        QString path; // empty for an untitled download
        QString title;
        QDateTime changed; // UTC
    };
    struct Entry {
        QString stem; // "<instance>_<n>"
        Description description;
        std::vector<uint8_t> image;
    };
    // An entry that does not read, renamed where it lies.
    struct SetAside {
        QStringList keptAs; // the paths it now has
        QString reason;
    };
    struct Orphans {
        std::vector<Entry> entries; // by the time of their last change, oldest first
        std::vector<SetAside> setAside;
    };

    // "recovery" under the application's data location.
    static QString DefaultPath();

    explicit RecoveryStore(QString folder = DefaultPath(), QObject* parent = nullptr);
    // Waits a bounded time for the writes still queued and lets go of the locks. The files stay:
    // call RemoveAll first at a normal exit.
    ~RecoveryStore() override;

    const QString& Folder() const { return m_folder; }
    const QString& Instance() const { return m_instance; }

    // Makes the folder and takes this instance's lock; false with the reason in `error`.
    bool Open(QString& error);
    bool IsOpen() const;

    // --- while documents are open -------------------------------------------------------------
    // A new entry of this instance; nothing is written yet.
    QString NewStem();
    // Queues the image, then its description. `written` or `failed` follows.
    void Write(const QString& stem, const std::vector<uint8_t>& image, const Description& description);
    // Queues the removal of one entry of this instance (the document was saved, or closed
    // without saving).
    void Remove(const QString& stem);
    // Queues the removal of every entry of this instance (a normal exit).
    void RemoveAll();
    // Waits until the queued writes and removals have run; false when `ms` passed first.
    bool WaitForWrites(int ms = 5000) const;

    QString ImagePath(const QString& stem) const;
    QString DescriptionPath(const QString& stem) const;

    // --- at start ------------------------------------------------------------------------------
    // Claims the entries that no running Tolvane owns, reading each; sets aside those that do
    // not read. Removes the stale locks of dead instances that left nothing.
    Orphans ClaimOrphans();
    // Makes a claimed entry one of this instance (the document is open again and still unsaved):
    // queues its files under a new stem, then the removal of the old ones, so that a crash at
    // any point leaves it once or twice, never half. Returns the new stem, for its keeper.
    QString Adopt(const Entry& entry);
    // Deletes the claimed entries not adopted (the user chose to discard them), then releases.
    void DiscardClaimed();
    // Lets go of the claimed locks, keeping the files for the next start.
    void ReleaseClaims();

signals:
    void written(const QString& stem, const QString& imagePath);
    void failed(const QString& stem, const QString& error);

private:
    QString LockPath(const QString& instance) const;
    bool ReadEntry(const QString& stem, Entry& entry, QString& reason) const;
    SetAside PutAside(const QString& stem, const QString& reason) const;

    QString m_folder;
    QString m_instance;
    int m_lastNumber = 0;
    std::unique_ptr<QLockFile> m_lock;
    QSet<QString> m_stems; // this instance's entries
    std::vector<std::unique_ptr<QLockFile>> m_claims;
    QStringList m_claimedStems;
    std::unique_ptr<RecoveryWriter> m_writer;
};
