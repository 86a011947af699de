#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

class RecoveryStore;

// Keeps the recovery entry of one open document: told of each change, it writes the document's
// current image within kDelayMs, so that every change is on disk within two seconds. The first
// change starts the wait and later ones join it: a burst of edits, however long, costs one write
// (at most 65,520 bytes) each kDelayMs. It asks for the image only when it writes, through the
// function it was given, so it needs nothing of the document's owner.
//
// The image is taken on the calling thread (the user-interface thread, where the document lives);
// the store's writer thread writes it, so a slow disk never holds up typing.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    struct Snapshot {
        std::vector<uint8_t> image;
        QString path; // empty for an untitled download
        QString title;
    };
    using Source = std::function<Snapshot()>;

    static constexpr int kDelayMs = 1000;

    // A new entry in `store`, written at the first change.
    RecoveryKeeper(RecoveryStore& store, Source source, QObject* parent = nullptr);
    // The entry `stem` taken over from a crashed instance (RecoveryStore::Adopt); `changed` is
    // the time of its last change.
    RecoveryKeeper(RecoveryStore& store, Source source, const QString& stem, const QDateTime& changed,
                   QObject* parent = nullptr);

    const QString& Stem() const { return m_stem; }
    bool Pending() const { return m_timer.isActive(); }
    // When the last change was, in UTC; invalid before the first.
    const QDateTime& LastChange() const { return m_changed; }
    // For tests: the wait before a write.
    void SetDelay(int ms) { m_timer.setInterval(ms); }

    // The document changed.
    void Changed();
    // Writes a waiting change now.
    void Flush();
    // The document was saved or closed without saving: the entry goes, and a waiting write with
    // it. A later change starts it again.
    void Discard();

signals:
    void written(const QString& imagePath);
    void failed(const QString& error);

private:
    void WriteNow();

    QPointer<RecoveryStore> m_store;
    Source m_source;
    QString m_stem;
    QDateTime m_changed;
    QTimer m_timer;
};
