// Arbitrary text as the "Settings" group of the store read at start-up: hostile types (byte
// arrays, lists, variants), sizes and numbers. Loading never crashes, and what the program then
// uses is corrected into range.
#include "FuzzRequire.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("tolvane-fuzz-settings-%1.ini")
                                  .arg(QString::number(QCoreApplication::applicationPid())));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write("[Settings]\n");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const Settings settings(path, QStringLiteral("/nonexistent"));
    Require(Settings::IsOfferedBufferSize(settings.BufferSize()));
    Require(Settings::NormalisedDelay(settings.DelayBetweenBuffers()) == settings.DelayBetweenBuffers());
    const TransferSettings transfer = settings.Transfer();
    Require(transfer.bufferSize == settings.BufferSize());
    (void)Settings::EncodeDisplay(settings.Display());
    QFile::remove(path);
    return 0;
}
