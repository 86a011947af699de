#include "fileops/RecoveryStore.h"

#include "dump/SystemDoc.h"
#include "fileops/DumpImageFile.h"
#include "fileops/RecoveryWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <utility>

namespace {
// "<instance>_<n>.syx", "<instance>_<n>.json" and "<instance>.lock"; nothing else is ours.
const QRegularExpression& OwnName() {
    static const QRegularExpression name(
        QStringLiteral("^([0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12})(?:(_\\d{1,9})\\.(?:"
                       "syx|json)|\\.lock)$"));
    return name;
}

constexpr qint64 kMaxDescriptionBytes = 64 * 1024;
// A lock that names no owner (cut short by a power failure) and is older than this is stale; a
// live instance writes its name into the lock as it creates it.
constexpr qint64 kUnnamedLockSeconds = 60;

QByteArray DescriptionBytes(const RecoveryStore::Description& d) {
    QJsonObject object;
    object.insert(QStringLiteral("path"),
                  d.path.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(d.path));
    object.insert(QStringLiteral("title"), d.title);
    object.insert(QStringLiteral("changed"), d.changed.toUTC().toString(Qt::ISODateWithMs));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool ParseDescription(const QByteArray& bytes, RecoveryStore::Description& d) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    const QJsonValue path = object.value(QStringLiteral("path"));
    const QJsonValue title = object.value(QStringLiteral("title"));
    const QJsonValue changed = object.value(QStringLiteral("changed"));
    if (!(path.isNull() || path.isString()) || !title.isString() || !changed.isString())
        return false;
    d.path = path.toString();
    d.title = title.toString();
    d.changed = QDateTime::fromString(changed.toString(), Qt::ISODateWithMs).toUTC();
    return d.changed.isValid();
}

// Takes the lock of `instance` when no running Tolvane holds it.
std::unique_ptr<QLockFile> TakeLock(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path);
    // Only a dead owner makes a lock stale, never its age: an instance may run for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock->error() == QLockFile::LockFailedError && !lock->getLockInfo(&pid, &host, &application) &&
        QFileInfo(path).lastModified().secsTo(QDateTime::currentDateTime()) > kUnnamedLockSeconds &&
        QFile::remove(path) && lock->tryLock(0))
        return lock;
    return nullptr;
}
} // namespace

QString RecoveryStore::DefaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

RecoveryStore::RecoveryStore(QString folder, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)),
      m_instance(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    m_writer = std::make_unique<RecoveryWriter>([this](const RecoveryWriter::Result& result) {
        // On the writer's thread: hand the result over to ours.
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                if (!result.ok)
                    emit failed(result.key, result.error);
                else if (!result.removal)
                    emit written(result.key, ImagePath(result.key));
            },
            Qt::QueuedConnection);
    });
}

RecoveryStore::~RecoveryStore() {
    m_writer.reset();
    m_claims.clear();
    m_lock.reset();
}

bool RecoveryStore::Open(QString& error) {
    if (IsOpen())
        return true;
    if (!QDir().mkpath(m_folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    m_lock = TakeLock(LockPath(m_instance));
    if (!m_lock) {
        error = QStringLiteral("cannot lock %1").arg(QDir::toNativeSeparators(LockPath(m_instance)));
        return false;
    }
    return true;
}

bool RecoveryStore::IsOpen() const {
    return m_lock && m_lock->isLocked();
}

QString RecoveryStore::NewStem() {
    const QString stem = QStringLiteral("%1_%2").arg(m_instance).arg(++m_lastNumber);
    m_stems.insert(stem);
    return stem;
}

void RecoveryStore::Write(const QString& stem, const std::vector<uint8_t>& image,
                          const Description& description) {
    m_stems.insert(stem);
    std::vector<RecoveryWriter::File> files;
    files.push_back({ImagePath(stem), QByteArray(reinterpret_cast<const char*>(image.data()),
                                                 static_cast<qsizetype>(image.size()))});
    files.push_back({DescriptionPath(stem), DescriptionBytes(description)});
    m_writer->Write(stem, std::move(files));
}

void RecoveryStore::Remove(const QString& stem) {
    m_stems.remove(stem);
    m_writer->Remove(stem, {ImagePath(stem), DescriptionPath(stem)});
}

void RecoveryStore::RemoveAll() {
    const QSet<QString> stems = m_stems;
    for (const QString& stem : stems)
        Remove(stem);
}

bool RecoveryStore::WaitForWrites(int ms) const {
    return m_writer->WaitIdle(ms);
}

QString RecoveryStore::ImagePath(const QString& stem) const {
    return QDir(m_folder).filePath(stem + QStringLiteral(".syx"));
}

QString RecoveryStore::DescriptionPath(const QString& stem) const {
    return QDir(m_folder).filePath(stem + QStringLiteral(".json"));
}

QString RecoveryStore::LockPath(const QString& instance) const {
    return QDir(m_folder).filePath(instance + QStringLiteral(".lock"));
}

RecoveryStore::Orphans RecoveryStore::ClaimOrphans() {
    // Owner -> its entries, by number.
    QMap<QString, QMap<int, QString>> owners;
    for (const QString& name : QDir(m_folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = OwnName().match(name);
        if (!match.hasMatch() || match.captured(1) == m_instance)
            continue;
        QMap<int, QString>& stems = owners[match.captured(1)];
        if (!match.captured(2).isEmpty())
            stems.insert(match.captured(2).mid(1).toInt(), match.captured(1) + match.captured(2));
    }
    Orphans orphans;
    for (auto owner = owners.cbegin(); owner != owners.cend(); ++owner) {
        std::unique_ptr<QLockFile> lock = TakeLock(LockPath(owner.key()));
        if (!lock)
            continue; // a running Tolvane's
        bool claimed = false;
        for (const QString& stem : owner.value()) {
            Entry entry;
            QString reason;
            if (ReadEntry(stem, entry, reason)) {
                orphans.entries.push_back(std::move(entry));
                m_claimedStems << stem;
                claimed = true;
            } else {
                orphans.setAside.push_back(PutAside(stem, reason));
            }
        }
        if (claimed)
            m_claims.push_back(std::move(lock));
        // Otherwise the lock goes with `lock`, and with it the stale file.
    }
    std::stable_sort(orphans.entries.begin(), orphans.entries.end(), [](const Entry& a, const Entry& b) {
        return a.description.changed < b.description.changed;
    });
    return orphans;
}

bool RecoveryStore::ReadEntry(const QString& stem, Entry& entry, QString& reason) const {
    entry.stem = stem;
    QFile description(DescriptionPath(stem));
    if (!description.exists()) {
        reason = QStringLiteral("its description is missing");
        return false;
    }
    if (!description.open(QIODevice::ReadOnly) || description.size() > kMaxDescriptionBytes ||
        !ParseDescription(description.readAll(), entry.description)) {
        reason = QStringLiteral("its description does not read");
        return false;
    }
    if (!QFileInfo::exists(ImagePath(stem))) {
        reason = QStringLiteral("its dump image is missing");
        return false;
    }
    QString error;
    SystemDoc doc;
    if (!ReadDumpImage(ImagePath(stem), entry.image, error) || !ParseDumpImage(doc, entry.image, error)) {
        reason = QStringLiteral("its dump image does not read: %1").arg(error);
        return false;
    }
    return true;
}

RecoveryStore::SetAside RecoveryStore::PutAside(const QString& stem, const QString& reason) const {
    SetAside aside;
    aside.reason = reason;
    const QDir dir(m_folder);
    for (const QString& path : {ImagePath(stem), DescriptionPath(stem)}) {
        if (!QFileInfo::exists(path))
            continue;
        const QString name = QFileInfo(path).fileName();
        QString target = dir.filePath(QStringLiteral("damaged-") + name);
        for (int n = 2; QFileInfo::exists(target); ++n)
            target = dir.filePath(QStringLiteral("damaged-%1-%2").arg(n).arg(name));
        aside.keptAs << QDir::toNativeSeparators(QFile::rename(path, target) ? target : path);
    }
    return aside;
}

QString RecoveryStore::Adopt(const Entry& entry) {
    const QString stem = NewStem();
    Write(stem, entry.image, entry.description);
    m_claimedStems.removeAll(entry.stem);
    m_writer->Remove(entry.stem, {ImagePath(entry.stem), DescriptionPath(entry.stem)});
    return stem;
}

void RecoveryStore::DiscardClaimed() {
    for (const QString& stem : std::as_const(m_claimedStems))
        m_writer->Remove(stem, {ImagePath(stem), DescriptionPath(stem)});
    m_claimedStems.clear();
    ReleaseClaims();
}

void RecoveryStore::ReleaseClaims() {
    // The claimed files are settled before anyone else may take them.
    m_writer->WaitIdle(RecoveryWriter::kStopWaitMs);
    m_claimedStems.clear();
    m_claims.clear();
}
