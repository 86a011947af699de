#include "views/PedalboardDrag.h"

#include "dump/EntryNames.h"
#include "dump/SystemDoc.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace {

constexpr quint32 kMagic = 0x54504244; // "TPBD"

quint64 DocumentId(const SystemDoc& doc) {
    return static_cast<quint64>(reinterpret_cast<quintptr>(&doc));
}

} // namespace

QString PedalboardDrag::mimeType() {
    return QStringLiteral("application/x-tolvane-pedal");
}

QMimeData* PedalboardDrag::encode(const SystemDoc& doc, Source source, int patch, int bank, int index) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kMagic << static_cast<qint32>(source) << static_cast<qint32>(patch) << static_cast<qint32>(bank)
        << static_cast<qint32>(index) << DocumentId(doc)
        << static_cast<qint64>(QCoreApplication::applicationPid());
    auto* data = new QMimeData;
    data->setData(mimeType(), bytes);
    data->setText(QString::asprintf("%03d ", patch) + QString::fromStdString(PatchEntryName(doc, patch)));
    return data;
}

bool PedalboardDrag::decode(const QMimeData* data, Payload& payload) {
    if (!data || !data->hasFormat(mimeType()))
        return false;
    const QByteArray bytes = data->data(mimeType());
    // magic, four 32-bit numbers, the document and the process
    if (bytes.size() != 4 + 4 * 4 + 8 + 8)
        return false;
    QDataStream in(bytes);
    quint32 magic = 0;
    qint32 source = 0;
    qint32 patch = 0;
    qint32 bank = 0;
    qint32 index = 0;
    Payload read;
    in >> magic >> source >> patch >> bank >> index >> read.document >> read.process;
    if (in.status() != QDataStream::Ok || magic != kMagic ||
        (source != static_cast<qint32>(Source::Palette) && source != static_cast<qint32>(Source::Pedal)))
        return false;
    read.source = static_cast<Source>(source);
    read.patch = patch;
    read.bank = bank;
    read.index = index;
    payload = read;
    return true;
}

bool PedalboardDrag::fromDocument(const Payload& payload, const SystemDoc& doc) {
    return payload.document == DocumentId(doc) && payload.process == QCoreApplication::applicationPid();
}
