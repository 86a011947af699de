#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The one thread that writes and removes recovery files, so that a slow disk (QSaveFile syncs
// every file before its rename) never holds up the window. Jobs run one at a time in the order
// they were queued. A write still waiting when a newer write of the same key comes is replaced
// by it, and a removal drops the writes of its key still waiting, so a slow disk costs no more
// than one write per key.
//
// Threads: every member is called on one thread (the user-interface thread); `done` is called on
// the writer's own thread after each job and must only hand the result over (a queued call).
class RecoveryWriter {
public:
    struct File {
        QString path;
        QByteArray bytes;
    };
    struct Result {
        QString key;
        bool removal = false;
        bool ok = true;
        QString error;
    };
    using Done = std::function<void(const Result&)>;

    explicit RecoveryWriter(Done done);
    // Finishes the queue within `kStopWaitMs`; a disk that takes longer is left to finish on its
    // own, without calling `done` again.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    static constexpr int kStopWaitMs = 5000;

    // Writes each file through QSaveFile, in order; the job stops at the first failure.
    void Write(const QString& key, std::vector<File> files);
    // Removes the files; a file that is not there counts as removed.
    void Remove(const QString& key, QStringList paths);
    // Waits until every job queued so far has run; false when `ms` passed first.
    bool WaitIdle(int ms) const;

private:
    struct State;
    static void Loop(const std::shared_ptr<State>& state);
    std::shared_ptr<State> m_state;
};
