#include "fileops/RecoveryKeeper.h"

#include "fileops/RecoveryStore.h"

#include <utility>

RecoveryKeeper::RecoveryKeeper(RecoveryStore& store, Source source, QObject* parent)
    : RecoveryKeeper(store, std::move(source), store.NewStem(), QDateTime(), parent) {}

RecoveryKeeper::RecoveryKeeper(RecoveryStore& store, Source source, const QString& stem,
                               const QDateTime& changed, QObject* parent)
    : QObject(parent), m_store(&store), m_source(std::move(source)), m_stem(stem), m_changed(changed) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::WriteNow);
    connect(&store, &RecoveryStore::written, this, [this](const QString& stem, const QString& path) {
        if (stem == m_stem)
            emit written(path);
    });
    connect(&store, &RecoveryStore::failed, this, [this](const QString& stem, const QString& error) {
        if (stem == m_stem)
            emit failed(error);
    });
}

void RecoveryKeeper::Changed() {
    m_changed = QDateTime::currentDateTimeUtc();
    // The wait runs from the first change of a burst; later changes ride along.
    if (!m_timer.isActive())
        m_timer.start();
}

void RecoveryKeeper::Flush() {
    if (m_timer.isActive())
        WriteNow();
}

void RecoveryKeeper::Discard() {
    m_timer.stop();
    if (m_store)
        m_store->Remove(m_stem);
}

void RecoveryKeeper::WriteNow() {
    m_timer.stop();
    if (!m_store || !m_source)
        return;
    Snapshot snapshot = m_source();
    m_store->Write(m_stem, snapshot.image, {snapshot.path, snapshot.title, m_changed});
}
