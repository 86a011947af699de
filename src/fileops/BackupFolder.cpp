#include "fileops/BackupFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimeZone>

#include <algorithm>
#include <utility>

namespace {
const QString kStampFormat = QStringLiteral("yyyy-MM-dd_HHmmss");

// "2026-03-14_191502-2_download.syx": stamp, number, kind.
const QRegularExpression& UtcName() {
    static const QRegularExpression name(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}_\\d{6})(?:-(\\d{1,6}))?_(download|upload)\\.syx$"));
    return name;
}

// "2026-03-14_201502-2.syx": stamp and number, in local time.
const QRegularExpression& LocalName() {
    static const QRegularExpression name(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}_\\d{6})(?:-(\\d{1,6}))?\\.syx$"));
    return name;
}

QString KindWord(BackupFolder::Kind kind) {
    return kind == BackupFolder::Kind::Upload ? QStringLiteral("upload") : QStringLiteral("download");
}

struct Found {
    BackupFolder::Backup backup;
    int number = 1;
    QDateTime fileTime;
};

// The backup a file name and its file time describe; false for a file Tolvane did not write.
bool Describe(const QFileInfo& info, Found& found) {
    const QString name = info.fileName();
    QRegularExpressionMatch match = UtcName().match(name);
    const bool utc = match.hasMatch();
    if (!utc)
        match = LocalName().match(name);
    if (!match.hasMatch())
        return false;
    // The calendar alone says whether a stamp is real: a local time in a daylight-saving gap
    // still names a backup.
    const QString text = match.captured(1);
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HHmmss"));
    if (!date.isValid() || !time.isValid())
        return false;
    found.backup.name = name;
    found.backup.localName = !utc;
    found.backup.kind = utc && match.captured(3) == QLatin1String("upload") ? BackupFolder::Kind::Upload
                                                                            : BackupFolder::Kind::Download;
    found.number = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    found.fileTime = info.lastModified().toUTC();
    found.backup.time = utc ? QDateTime(date, time, QTimeZone::utc()) : found.fileTime;
    return true;
}

bool Older(const Found& a, const Found& b) {
    if (a.backup.time != b.backup.time)
        return a.backup.time < b.backup.time;
    // Of the same second and kind, the number tells the order; a download and an upload of the
    // same second go by the file time.
    if (a.number != b.number)
        return a.number < b.number;
    if (a.fileTime != b.fileTime)
        return a.fileTime < b.fileTime;
    return a.backup.name < b.backup.name;
}

std::vector<Found> FindAll(const QString& path) {
    std::vector<Found> all;
    const QFileInfoList infos =
        QDir(path).entryInfoList({QStringLiteral("*.syx")}, QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo& info : infos) {
        Found found;
        if (Describe(info, found))
            all.push_back(std::move(found));
    }
    std::sort(all.begin(), all.end(), Older);
    return all;
}
} // namespace

QString BackupFolder::DefaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("backups"));
}

BackupFolder::BackupFolder(QString path) : m_path(std::move(path)) {}

QString BackupFolder::Write(const std::vector<uint8_t>& bytes, Kind kind, const QDateTime& when, int keep,
                            QString& error) const {
    QDir dir(m_path);
    if (!dir.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(m_path));
        return {};
    }
    const QDateTime at = when.isValid() ? when.toUTC() : QDateTime::currentDateTimeUtc();
    const QString stamp = at.toString(kStampFormat);
    const QString word = KindWord(kind);
    QString name = QStringLiteral("%1_%2.syx").arg(stamp, word);
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = QStringLiteral("%1-%2_%3.syx").arg(stamp).arg(n).arg(word);
    const QString path = dir.filePath(name);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        error = file.errorString();
        return {};
    }
    Prune(keep, name);
    return path;
}

std::vector<BackupFolder::Backup> BackupFolder::List() const {
    std::vector<Backup> list;
    for (Found& found : FindAll(m_path))
        list.push_back(std::move(found.backup));
    return list;
}

QStringList BackupFolder::Backups() const {
    QStringList names;
    for (const Backup& backup : List())
        names << backup.name;
    return names;
}

void BackupFolder::Prune(int keep, const QString& spare) const {
    std::vector<Backup> others = List();
    const auto spared =
        std::find_if(others.begin(), others.end(), [&](const Backup& b) { return b.name == spare; });
    int allowed = std::max(keep, 1);
    if (spared != others.end()) {
        others.erase(spared);
        --allowed;
    }
    QDir dir(m_path);
    for (size_t i = 0; i + static_cast<size_t>(allowed) < others.size(); ++i)
        dir.remove(others[i].name);
}
