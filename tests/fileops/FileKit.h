#pragma once

// Files with chosen contents and modification times, for the folder tests.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace filekit {

using Bytes = std::vector<uint8_t>;

inline bool Write(const QString& path, const Bytes& bytes, const QDateTime& modified = QDateTime()) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.flush()) // a later flush would set the time again
        return false;
    return !modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime);
}

inline Bytes Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

} // namespace filekit
