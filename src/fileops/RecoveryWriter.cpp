#include "fileops/RecoveryWriter.h"

#include <QFile>
#include <QSaveFile>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct RecoveryWriter::State {
    struct Job {
        QString key;
        bool removal = false;
        std::vector<File> files;
        QStringList paths;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Job> jobs;
    bool busy = false;
    bool stop = false;
    Done done;
    std::thread thread;
};

namespace {
RecoveryWriter::Result Run(const QString& key, bool removal, const std::vector<RecoveryWriter::File>& files,
                           const QStringList& paths) {
    RecoveryWriter::Result result;
    result.key = key;
    result.removal = removal;
    if (removal) {
        for (const QString& path : paths) {
            QFile file(path);
            if (file.exists() && !file.remove() && result.ok) {
                result.ok = false;
                result.error = file.errorString();
            }
        }
        return result;
    }
    for (const RecoveryWriter::File& f : files) {
        QSaveFile file(f.path);
        if (!file.open(QIODevice::WriteOnly) || file.write(f.bytes) != f.bytes.size() || !file.commit()) {
            result.ok = false;
            result.error = file.errorString();
            file.cancelWriting();
            break;
        }
    }
    return result;
}
} // namespace

void RecoveryWriter::Loop(const std::shared_ptr<State>& state) {
    std::unique_lock<std::mutex> lock(state->mutex);
    for (;;) {
        state->wake.wait(lock, [&] { return state->stop || !state->jobs.empty(); });
        if (state->jobs.empty())
            return; // stopping, and nothing left to do
        State::Job job = std::move(state->jobs.front());
        state->jobs.pop_front();
        state->busy = true;
        lock.unlock();
        const Result result = Run(job.key, job.removal, job.files, job.paths);
        lock.lock();
        state->busy = false;
        if (state->done)
            state->done(result);
        if (state->jobs.empty())
            state->idle.notify_all();
    }
}

RecoveryWriter::RecoveryWriter(Done done) : m_state(std::make_shared<State>()) {
    m_state->done = std::move(done);
    m_state->thread = std::thread(Loop, m_state);
}

RecoveryWriter::~RecoveryWriter() {
    const bool finished = WaitIdle(kStopWaitMs);
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->stop = true;
        m_state->done = nullptr;
        if (!finished)
            m_state->jobs.clear();
    }
    m_state->wake.notify_all();
    if (finished)
        m_state->thread.join();
    else
        m_state->thread.detach(); // it holds the state it needs and ends with its last file
}

void RecoveryWriter::Write(const QString& key, std::vector<File> files) {
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        auto& jobs = m_state->jobs;
        for (auto it = jobs.rbegin(); it != jobs.rend(); ++it) {
            if (it->key != key)
                continue;
            if (!it->removal) {
                it->files = std::move(files);
                return;
            }
            break;
        }
        State::Job job;
        job.key = key;
        job.files = std::move(files);
        jobs.push_back(std::move(job));
    }
    m_state->wake.notify_one();
}

void RecoveryWriter::Remove(const QString& key, QStringList paths) {
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        auto& jobs = m_state->jobs;
        for (auto it = jobs.begin(); it != jobs.end();)
            it = it->key == key && !it->removal ? jobs.erase(it) : it + 1;
        State::Job job;
        job.key = key;
        job.removal = true;
        job.paths = std::move(paths);
        jobs.push_back(std::move(job));
    }
    m_state->wake.notify_one();
}

bool RecoveryWriter::WaitIdle(int ms) const {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    return m_state->idle.wait_for(lock, std::chrono::milliseconds(ms),
                                  [&] { return m_state->jobs.empty() && !m_state->busy; });
}
