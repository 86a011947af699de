#include "fileops/QtFileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

namespace {
QString ToQt(const std::string& path) {
    return QString::fromStdString(path);
}
} // namespace

bool QtFileOps::ReadPrefix(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                           std::string& error) {
    bytes.clear();
    const QFileInfo info(ToQt(path));
    if (info.isDir()) {
        error = "Is a directory";
        return false;
    }
    QFile file(ToQt(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString().toStdString();
        return false;
    }
    const QByteArray data = file.read(static_cast<qint64>(maxBytes));
    if (data.isEmpty() && file.error() != QFileDevice::NoError) {
        error = file.errorString().toStdString();
        return false;
    }
    bytes.assign(data.begin(), data.end());
    return true;
}

bool QtFileOps::IsReadWritable(const std::string& path) {
    const QFileInfo info(ToQt(path));
    return info.exists() && info.isFile() && info.isReadable() && info.isWritable();
}

bool QtFileOps::MoveToTrash(const std::string& path) {
    return QFile::moveToTrash(ToQt(path));
}

FileOps::WriteResult QtFileOps::Write(const std::string& path, const std::vector<uint8_t>& bytes,
                                      std::string& error) {
    const QFileInfo info(ToQt(path));
    // A rename would replace a read-only file as if it were writable; refuse as a plain open would.
    if (info.exists() && (!info.isFile() || !info.isWritable())) {
        error = "Access denied";
        return WriteResult::NotCreated;
    }
    QSaveFile file(ToQt(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString().toStdString();
        return WriteResult::NotCreated;
    }
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.commit()) {
        error = file.errorString().toStdString();
        file.cancelWriting();
        return WriteResult::NotWritten;
    }
    return WriteResult::Written;
}
