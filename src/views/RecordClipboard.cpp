#include "views/RecordClipboard.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <cstring>

QString RecordClipboard::formatName(Kind kind) {
    switch (kind) {
    case Kind::Patch:
        return QStringLiteral("ZIV10 Patch");
    case Kind::Bank:
        return QStringLiteral("ZIV10 Bank");
    case Kind::Set:
        break;
    }
    return QStringLiteral("ZIV10 Set");
}

QString RecordClipboard::mimeType(Kind kind) {
#ifdef Q_OS_WIN
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(formatName(kind));
#else
    return formatName(kind);
#endif
}

QByteArray RecordClipboard::encode(const RecordSlot& record) {
    const int n = record.IsPresent() ? record.Length() : 0;
    QByteArray payload(4 + n, '\0');
    const uint32_t u = static_cast<uint32_t>(n);
    for (int i = 0; i < 4; ++i)
        payload[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    if (n > 0)
        std::memcpy(payload.data() + 4, record.Data(), static_cast<size_t>(n));
    return payload;
}

RecordSlot RecordClipboard::decode(Kind kind, const QByteArray& payload, bool* ok) {
    bool good = false;
    RecordSlot record;
    if (payload.size() >= 4) {
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<uint32_t>(static_cast<uint8_t>(payload[i])) << (8 * i);
        const int32_t n = static_cast<int32_t>(u);
        // The data may be longer than n + 4 (clipboard memory is handed out in blocks).
        if (n == 0) {
            good = true;
        } else if (n > 0 && n <= payload.size() - 4) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(payload.constData()) + 4;
            if (isPlausible(kind, bytes, n)) {
                record.Assign(bytes, n);
                good = true;
            }
        }
    }
    if (ok)
        *ok = good;
    return record;
}

bool RecordClipboard::isPlausible(Kind kind, const uint8_t* data, int length) {
    if (!data || length <= 0 || length % 2 != 0)
        return false;
    for (int i = 0; i < length; ++i)
        if (data[i] > 0x7F) // a status byte inside the message would cut the dump short
            return false;
    switch (kind) {
    case Kind::Patch:
        return length >= PatchRecord::kFixedLength && PatchRecord(data, length).DeclaredLength() == length;
    case Kind::Bank:
        return length >= BankRecord::kFixedLength && BankRecord(data, length).DeclaredLength() == length;
    case Kind::Set:
        break;
    }
    return length >= 4 && 4 + 2 * ReadWordQuadAt(data, length, 0) == length;
}

bool RecordClipboard::available(Kind kind) {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    return mime && mime->hasFormat(mimeType(kind));
}

bool RecordClipboard::write(Kind kind, const RecordSlot& record) {
    if (!record.IsPresent())
        return false;
    auto* mime = new QMimeData;
    mime->setData(mimeType(kind), encode(record));
    QApplication::clipboard()->setMimeData(mime);
    return true;
}

RecordSlot RecordClipboard::read(Kind kind) {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(mimeType(kind)))
        return {};
    bool ok = false;
    RecordSlot record = decode(kind, mime->data(mimeType(kind)), &ok);
    if (!ok)
        QApplication::beep();
    return record;
}
