#include "fileops/BackupFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace {
const QRegularExpression& BackupName() {
    static const QRegularExpression name(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}_\\d{6})(?:-(\\d+))?\\.syx$"));
    return name;
}
} // namespace

QString BackupFolder::DefaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("backups"));
}

BackupFolder::BackupFolder(QString path) : m_path(std::move(path)) {}

QString BackupFolder::Write(const std::vector<uint8_t>& bytes, const QDateTime& when, int keep,
                            QString& error) const {
    QDir dir(m_path);
    if (!dir.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(m_path));
        return {};
    }
    const QString stamp = when.toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString path = dir.filePath(stamp + QStringLiteral(".syx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.syx").arg(stamp).arg(n));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        error = file.errorString();
        return {};
    }
    Prune(keep);
    return path;
}

QStringList BackupFolder::Backups() const {
    struct Entry {
        QString stamp;
        int number;
        QString name;
    };
    std::vector<Entry> entries;
    for (const QString& name : QDir(m_path).entryList({QStringLiteral("*.syx")}, QDir::Files)) {
        const QRegularExpressionMatch match = BackupName().match(name);
        if (match.hasMatch())
            entries.push_back(
                {match.captured(1), match.captured(2).isEmpty() ? 1 : match.captured(2).toInt(), name});
    }
    // The stamp sorts by time; a second backup of the same second comes after the first.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });
    QStringList names;
    for (const Entry& e : entries)
        names << e.name;
    return names;
}

void BackupFolder::Prune(int keep) const {
    const QStringList names = Backups();
    QDir dir(m_path);
    for (int i = 0; i < names.size() - std::max(keep, 1); ++i)
        dir.remove(names.at(i));
}
